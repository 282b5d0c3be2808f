#pragma once
// The EXIF list of a RAW, HEIF or video file, filled as LireInformationsExif fills a JPEG's, so
// that the windows, the names and the EXIF text file treat every member of a shot alike.
#include "core/formats/formatreader.h"

class TListeInformationExif;

// Refills the list with the file's entries read through the reader (readExif on and the file
// read): a RAW's or HEIF's EXIF entries, a video's date, duration and picture size. Otherwise,
// and for a file that tells nothing, the one entry "Date taken" with the file's date, as for a
// JPEG without EXIF. Returns what the reader said (failure logged there).
FormatMetadata readFormatInformation(FormatReader &reader, TListeInformationExif &list, const QString &path,
                                     bool readExif);

// The same for a file read into memory (a camera's, its kind told by its name); fileTime is the
// time its source gives for it, the date when the file tells none.
FormatMetadata readFormatInformation(FormatReader &reader, TListeInformationExif &list, const QString &name,
                                     const QByteArray &content, const QDateTime &fileTime);

// Whether the file is a RAW, HEIF or video file, read through FormatReader rather than as a JPEG.
bool isFormatFile(const QString &path);
