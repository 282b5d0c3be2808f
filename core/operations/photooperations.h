#pragma once
// What a transfer does to one photo once its new name is known: the copy under that name, the
// lossless turn, the low-quality copy for e-mail, the EXIF text file and the deletion of the
// source. The user's photo comes first: a copy is never half-written under its final name, a
// source is deleted only after its copy was read back from the disk and found identical, and a
// file rewritten in place is replaced whole or not at all.
#include "core/files/safecopy.h"

#include <QDateTime>
#include <QSize>
#include <QString>
#include <QStringList>

class TParamAppli;
class UserInterface;
class TListeInformationExif;
class LowQualityCopy;
class FormatReader;

// "Le chemin <path> sort du répertoire de destination."
QString outsideDestinationMessage(const QString &path);
// Throws LumaroError(outsideDestinationMessage(path)) unless the path, made absolute and
// cleaned of "." and "..", lies below the destination root (sub-folders made by "/" or "\" in
// a mask or theme are below it).
void checkInsideDestination(const QString &destinationRoot, const QString &path);

// The whole source turned without loss, with the size and date the source had when it was
// read: a source that changed since is copied and turned again rather than taken from here.
struct TurnedPhoto {
    QByteArray bytes;
    qint64 sourceSize = -1;
    qint64 sourceTimeNs = -1;
    bool isEmpty() const { return bytes.isEmpty(); }
};
struct PreparedTransfer {
    const LowQualityCopy *lowQuality = nullptr;
    TurnedPhoto turnedPhoto; // by the transfer's angle; empty when not made
    // Reads the picture of a shot whose key member is a HEIF or RAW file for its low-quality
    // copy, when none was made ahead; without one, the transfer starts its own.
    FormatReader *formatReader = nullptr;
};

// The source's bytes turned without loss by angle (90, 180 or 270), as RotationSansPerte would
// leave a copy of it; empty when the source cannot be read or turned, or changed while it was
// read, the turn then being left to CopierEtTourner, which reports why.
TurnedPhoto turnedInMemory(const QString &source, int angle);

// Creates the destination's folder and writes there, in one verified write when the source is
// to be deleted (temporary name, flush, read back past the page cache, compare, rename), the
// final photo: the source's bytes as they are, or turned in memory without loss when angle is
// 90, 180 or 270. A turn made ahead by turnedInMemory is used while the source is as it was
// then. Throws LumaroError: the copy error, or, for a photo that cannot be turned, "Erreur
// pendant la rotation sans perte. " + reason once the photo was copied as it is.
void CopierEtTourner(const QString &source, const QString &destination, int angle,
                     SafeCopy::Mode mode = SafeCopy::Mode::Plain, const SafeCopy::Hooks &copyHooks = {},
                     const TurnedPhoto &turnedPhoto = {});
// CopierEtTourner's write left under its temporary name for SafeCopy::StagedFile::commit();
// the destination's folder must exist. A photo that cannot be turned is staged as it is, with
// the turn's failure in *turnFailure. Throws the copy error.
SafeCopy::StagedFile stageTurned(const QString &source, const QString &destination, int angle, SafeCopy::Mode mode,
                                 const SafeCopy::Hooks &copyHooks, const TurnedPhoto &turnedPhoto,
                                 QString *turnFailure);

// Creates the missing folders of path's folder; created, if given, receives those it made, the
// outermost first. A failure shows up as the write error that follows.
void makeFolderOf(const QString &path, QStringList *created = nullptr);
// Both paths name one file: the same text once cleaned, or the same file on the disk (a link,
// a second hard link, a name in other letter case on a card).
bool sameTarget(const QString &a, const QString &b);

// Takes back the folders a failed write made, the innermost first, as long as they are empty.
void removeFoldersMade(const QStringList &created);

// Turns a JPEG file clockwise by 90, 180 or 270 degrees without recompression, in place and
// safely; its EXIF orientation becomes "top-left (1)" and its last-write time is kept. Other
// angles do nothing. Throws LumaroError "Erreur pendant la rotation sans perte. " + reason.
void RotationSansPerte(const QString &path, int angle);

// Writes the low-quality copy of source at lowQualityPath (folder created), turned by angle, or
// the copy already made of it (madeAhead, whose angle it keeps). Throws LumaroError with the copy
// error (also when lowQualityPath names the source itself) or one of the "sauvegarde basse
// résolution" errors; the folders it made for a copy that could not be written are removed again.
void EnregistrerBasseQualite(const TParamAppli &settings, const QString &source, const QString &lowQualityPath,
                             int angle, const LowQualityCopy *madeAhead = nullptr);

// Reduces and recompresses the copy at path in place, as the ImagesLowQ settings say;
// sourceDate is the source's last-write time, given to the copy when GarderInfoDateEXIF is on.
void ReduirePhoto(const TParamAppli &settings, const QString &path, int angle, const QDateTime &sourceDate);

// The path of a photo's low-quality copy: its folder, the sub-folder Repertoire, its name less
// its last four characters, a blank, Suffixe and ".JPG".
QString NomBasseQualite(const TParamAppli &settings, const QString &photoPath);
