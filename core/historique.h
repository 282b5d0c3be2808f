#pragma once
// The history of a card and folder: the photos that the last search of that folder found, one
// "date key + full path" line each, in "Histo/" under the settings folder. A photo absent from it
// is new to the next search.
#include "core/volumeidentity.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace Historique {

// "<serial>-<relative folder>.txt" without blanks or separators: serial 77 and "/DCIM/100 CANON/"
// give "77-DCIM100CANON.txt", the volume's root "77-.txt". A name too long for the file system
// is cut and ends with a digest of the whole, so that it stays distinct.
QString fileName(quint32 serial, const QString &relativePath);

// The history file of that folder, or nothing when its volume gives no serial.
std::optional<QString> filePath(const QString &settingsFolder, const QString &folder, const VolumeLocator &volumes);

// The lines of a history file; an empty list when it does not exist.
// Throws LumaroError when it exists but cannot be read.
QStringList read(const QString &path);

// Replaces the file with these entries, CR LF after each, creating "Histo/" when needed.
// An entry holding a line break is left out: it would split its line and corrupt the file.
// Throws LumaroError when the file cannot be written.
void write(const QString &path, const QStringList &entries);

} // namespace Historique
