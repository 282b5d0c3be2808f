#pragma once
// The program's text files (settings, filter, history, EXIF text) are UTF-8 with CR LF line ends.
// Files brought from the old platform are Windows-1252, or UTF-16 when an editor saved them
// so; all are read, and written back as UTF-8 (through FileReplacement).
#include <QByteArray>
#include <QString>
#include <QStringList>

namespace TextFile {

// UTF-16 after its byte-order mark (FF FE or FE FF), UTF-8 when the bytes are valid UTF-8 (a
// leading byte-order mark is dropped), Windows-1252 otherwise.
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

} // namespace TextFile
