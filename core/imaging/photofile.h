#pragma once
// Reading photo files (private to the imaging layer); they are written through FileReplacement.
#include <QByteArray>
#include <QString>

namespace Imaging::Detail {

// The whole file in one read. Throws FileNotFound, ReadFailed or EmptyFile.
QByteArray readWholeFile(const QString &path);
// At most `limit` bytes from the start of the file; `fileSize` receives the whole size.
// Throws like readWholeFile.
QByteArray readFileStart(const QString &path, qint64 limit, qint64 &fileSize);
} // namespace Imaging::Detail
