#pragma once
// The program's text files (settings, filter, history, EXIF text) are UTF-8 with CR LF line ends.
// Files brought from the old platform are Windows-1252; both are read.
#include <QByteArray>
#include <QString>
#include <QStringList>

namespace TextFile {

// UTF-8 when the bytes are valid UTF-8 (a leading byte-order mark is dropped), Windows-1252 otherwise.
QString decode(const QByteArray &bytes);
QString decodeWindows1252(const QByteArray &bytes);
// Windows-1252 bytes of a text; characters that code page lacks become '?'.
// Second member false when such a character was met.
QByteArray encodeWindows1252(const QString &text, bool *complete = nullptr);

// Lines split on CR LF, LF or a lone CR; a final line end does not start an empty line.
QStringList splitLines(const QString &text);
// Every line followed by CR LF, as UTF-8.
QByteArray joinCrlf(const QStringList &lines);

// Reads and decodes a whole file; false when it cannot be opened.
bool read(const QString &path, QString &text);

// Writes the bytes under a temporary name in the target's folder, flushes them and renames the
// result over the target, so a failure never leaves a half-written file. False on any failure;
// the target is then as it was.
bool writeAtomically(const QString &path, const QByteArray &bytes);

} // namespace TextFile
