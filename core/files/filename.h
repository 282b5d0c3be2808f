#pragma once
// Where paths cross between the file system and the program's strings, in both directions.
//
// A Linux file name is a string of bytes. Most are UTF-8, but a card written by a camera or by
// another system may hold names that are not, and two such names must neither merge nor vanish.
// Decoding keeps every byte that is not part of valid UTF-8 as a private-use character
// (U+F780 + byte - 0x80, for the bytes 0x80 to 0xFF), and encoding turns that character back
// into the byte; a valid sequence that would itself decode to one of these characters is kept
// byte by byte the same way. So encode(decode(bytes)) == bytes for any name, and a name read
// from the disk opens the very same file. The windows show such a byte as it decodes.
//
// Qt's QFile, QFileInfo and QDir encode names their own way, which loses these bytes: the core
// reaches user paths only through this unit (see FileSystem and PosixFile).
#include <QByteArray>
#include <QString>

namespace FileName {

QByteArray encode(const QString &path);
QString decode(const QByteArray &bytes);
QString decode(const char *bytes);

// The private-use character that stands for a byte of a name that is not UTF-8.
inline constexpr char16_t FirstEscape = 0xF780;
inline constexpr char16_t LastEscape = 0xF7FF;
inline bool isEscapedByte(QChar c)
{
    return c.unicode() >= FirstEscape && c.unicode() <= LastEscape;
}

} // namespace FileName
