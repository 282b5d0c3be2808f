#include "core/files/textfile.h"

#include "core/files/filesystem.h"

#include <QStringDecoder>

namespace TextFile {

namespace {
// Windows-1252 0x80..0x9F; 0 marks the five unassigned bytes, read as the C1 control of that code.
constexpr char16_t Cp1252High[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};
} // namespace

QString decodeWindows1252(const QByteArray &bytes)
{
    QString text;
    text.reserve(bytes.size());
    for (char c : bytes) {
        const unsigned char b = static_cast<unsigned char>(c);
        if (b >= 0x80 && b < 0xA0 && Cp1252High[b - 0x80] != 0)
            text.append(QChar(Cp1252High[b - 0x80]));
        else
            text.append(QChar(char16_t(b)));
    }
    return text;
}

QByteArray encodeWindows1252(const QString &text, bool *complete)
{
    QByteArray bytes;
    bytes.reserve(text.size());
    bool all = true;
    for (QChar ch : text) {
        const char16_t u = ch.unicode();
        if (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) {
            bytes.append(char(u));
            continue;
        }
        int found = -1;
        for (int i = 0; i < 32; ++i)
            if (Cp1252High[i] == u && u != 0)
                found = i;
        if (found >= 0) {
            bytes.append(char(0x80 + found));
        } else {
            bytes.append('?');
            all = false;
        }
    }
    if (complete)
        *complete = all;
    return bytes;
}

QString decode(const QByteArray &bytes)
{
    // A byte-order mark is the only sign of UTF-16 worth trusting: without it, such a file
    // would read as Windows-1252 with a NUL after each letter.
    if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF")) {
        QStringDecoder utf16(bytes.startsWith("\xFF\xFE") ? QStringDecoder::Utf16LE : QStringDecoder::Utf16BE,
                             QStringDecoder::Flag::Stateless);
        return utf16.decode(bytes.mid(2));
    }
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(bytes);
    if (utf8.hasError())
        return decodeWindows1252(bytes);
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    return text;
}

QStringList splitLines(const QString &text)
{
    QStringList lines;
    qsizetype start = 0;
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text.at(i);
        if (c == u'\r' || c == u'\n') {
            lines.append(text.mid(start, i - start));
            if (c == u'\r' && i + 1 < n && text.at(i + 1) == u'\n')
                ++i;
            start = i + 1;
        }
    }
    if (start < n)
        lines.append(text.mid(start));
    return lines;
}

QByteArray joinCrlf(const QStringList &lines)
{
    QByteArray bytes;
    for (const QString &line : lines) {
        bytes += line.toUtf8();
        bytes += "\r\n";
    }
    return bytes;
}

bool read(const QString &path, QString &text)
{
    const std::optional<QByteArray> bytes = FileSystem::readAll(path);
    if (!bytes)
        return false;
    text = decode(*bytes);
    return true;
}

} // namespace TextFile
