#pragma once
// Reading and safely rewriting photo files (private to the imaging layer).
#include <QByteArray>
#include <QString>

namespace Imaging::Detail {

// The whole file in one read. Throws FileNotFound, ReadFailed or EmptyFile.
QByteArray readWholeFile(const QString &path);
// At most `limit` bytes from the start of the file; `fileSize` receives the whole size.
// Throws like readWholeFile.
QByteArray readFileStart(const QString &path, qint64 limit, qint64 &fileSize);
// Writes the bytes under a temporary name in the target's folder, flushes them to disk and
// renames the result over the target (which keeps its permissions). On any failure the
// temporary file is removed, the target is as it was, and WriteFailed is thrown.
void writeFileSafely(const QString &path, const QByteArray &bytes);

} // namespace Imaging::Detail
