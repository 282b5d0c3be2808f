#pragma once
// The history of a card and folder: the photos that the last search of that folder found, one
// "date key + full path" line each, in "Histo/" under the settings folder. A photo absent from it
// is new to the next search, wherever the card is mounted now.
#include "core/files/volumeidentity.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace History {

// "<serial>-<relative folder>.txt" without blanks or separators: serial 77 and "/DCIM/100 CANON/"
// give "77-DCIM100CANON.txt", the volume's root "77-.txt". A name too long for the file system
// is cut and ends with a digest of the whole, so that it stays distinct.
QString fileName(quint32 serial, const QString &relativePath);

// The history file of that folder, or nothing when its volume gives no serial.
std::optional<QString> filePath(const QString &settingsFolder, const QString &folder, const VolumeLocator &volumes);
// The history file of a folder already located.
QString filePath(const QString &settingsFolder, const VolumeLocation &location);

// The lines of a history file; an empty list when it does not exist.
// Throws LumaroError when it exists but cannot be read.
QStringList read(const QString &path);

// Replaces the file with these entries, CR LF after each, creating "Histo/" when needed.
// An entry holding a line break is left out: it would split its line and corrupt the file.
// Throws LumaroError when the file cannot be written.
void write(const QString &path, const QStringList &entries);

// Takes out of `entries` (date key + full path, the paths below `root`, the folder searched
// as given, ending with "/") every photo that a line of the previous history names: the same
// date key and the same path below the card's mount point, letter case ignored. A card keeps
// its history wherever it is mounted: the lines hold the paths under the folder the card was
// mounted on when they were written, and that folder is recognised as the one part that,
// taken off the lines, makes the most of them match (relativeFolder is the folder searched
// below its mount point, "/" first and last). Lines written under the present mount point
// match as they stand.
void removeKnownPhotos(QStringList &entries, const QStringList &previous, const QString &root,
                       const QString &relativeFolder);

} // namespace Historique
