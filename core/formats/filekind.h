#pragma once
// What kind of camera file a name holds, told by its extension alone (letter case ignored):
// the cheap test that sorts a card's files before anything is read. A file's content may still
// disagree with its name; the readers find that out and say so.
#include <QString>
#include <QStringList>

enum class FileKind {
    Jpeg,    // JPG, JPEG
    Raw,     // a camera's raw sensor data: CR2, CR3, NEF, ARW, DNG, ORF, RW2, RAF...
    Heif,    // HEIC, HEIF, HIF, AVIF
    Video,   // MP4, MOV, M4V, MTS, M2TS, AVI, 3GP
    Sidecar, // XMP, THM, WAV: files that follow the photo of the same name
    Other,
};

// The kind of a file name or path ("IMG_0001.CR2" is Raw): the text after the last dot of the
// name decides, as for the photo search. A name without a dot is Other.
FileKind fileKindOf(const QString &fileName);

// Whether the kind is read through the probe process (RAW, HEIF and video files).
bool isProbedKind(FileKind kind);

// The extensions of a kind, upper case and without the dot, in a fixed order (for hints and
// help texts); empty for Other.
QStringList extensionsOf(FileKind kind);
