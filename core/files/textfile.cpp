#include "core/files/textfile.h"

#include "core/files/filesystem.h"

#include <QStringDecoder>

#include <cerrno>
#include <functional>
#include <iconv.h>

namespace TextFile {

namespace {

// Converts with the C library's iconv (Qt 6.4 knows Windows-1252 only when built with ICU).
// Where the input holds what the other side lacks, `invalid` writes what stands for the next
// `unit` input bytes instead, and the conversion goes on after them.
QByteArray convert(const char *to, const char *from, QByteArray input, qsizetype unit,
                   const std::function<void(const char *at, QByteArray &out)> &invalid)
{
    QByteArray out;
    const iconv_t converter = iconv_open(to, from);
    if (converter == iconv_t(-1))
        return out;
    char *in = input.data();
    size_t inLeft = size_t(input.size());
    char buffer[4096];
    while (inLeft > 0) {
        char *next = buffer;
        size_t room = sizeof buffer;
        const size_t done = iconv(converter, &in, &inLeft, &next, &room);
        out.append(buffer, next - buffer);
        // EILSEQ: nothing on the other side for it; EINVAL: half a character at the end.
        if (done == size_t(-1) && (errno == EILSEQ || errno == EINVAL)) {
            invalid(in, out);
            const size_t skipped = qMin(size_t(unit), inLeft);
            in += skipped;
            inLeft -= skipped;
        } else if (done == size_t(-1) && errno != E2BIG) {
            break;
        }
    }
    iconv_close(converter);
    return out;
}

} // namespace

QString decodeWindows1252(const QByteArray &bytes)
{
    // The five bytes the code page leaves unassigned read as the C1 control of that code.
    const QByteArray utf16 = convert("UTF-16LE", "WINDOWS-1252", bytes, 1, [](const char *at, QByteArray &out) {
        out.append(*at);
        out.append('\0');
    });
    return QStringDecoder(QStringDecoder::Utf16LE).decode(utf16);
}

QByteArray encodeWindows1252(const QString &text, bool *complete)
{
    QByteArray utf16;
    utf16.reserve(text.size() * 2);
    for (const QChar c : text) {
        utf16.append(char(c.unicode() & 0xFF));
        utf16.append(char(c.unicode() >> 8));
    }
    bool all = true;
    // One "?" a UTF-16 unit: a character beyond the first plane gives two, as it always has.
    const QByteArray bytes = convert("WINDOWS-1252", "UTF-16LE", utf16, 2, [&all](const char *, QByteArray &out) {
        out.append('?');
        all = false;
    });
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
