#include "core/files/filename.h"

#include <cstring>

namespace FileName {

namespace {

// The length of the valid UTF-8 sequence starting at p (at most `left` bytes), and its code
// point; 0 when the bytes there are not valid UTF-8 (overlong forms, surrogates and code points
// beyond U+10FFFF included).
int validSequence(const unsigned char *p, qsizetype left, char32_t *codePoint)
{
    const unsigned char b = p[0];
    int length;
    char32_t value;
    char32_t minimum;
    if (b < 0x80) {
        *codePoint = b;
        return 1;
    } else if (b >= 0xC2 && b <= 0xDF) {
        length = 2;
        value = b & 0x1F;
        minimum = 0x80;
    } else if (b >= 0xE0 && b <= 0xEF) {
        length = 3;
        value = b & 0x0F;
        minimum = 0x800;
    } else if (b >= 0xF0 && b <= 0xF4) {
        length = 4;
        value = b & 0x07;
        minimum = 0x10000;
    } else {
        return 0;
    }
    if (left < length)
        return 0;
    for (int i = 1; i < length; ++i) {
        if ((p[i] & 0xC0) != 0x80)
            return 0;
        value = (value << 6) | (p[i] & 0x3F);
    }
    if (value < minimum || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF))
        return 0;
    *codePoint = value;
    return length;
}

void appendUtf8(QByteArray &out, char32_t c)
{
    if (c < 0x80) {
        out.append(char(c));
    } else if (c < 0x800) {
        out.append(char(0xC0 | (c >> 6)));
        out.append(char(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
        out.append(char(0xE0 | (c >> 12)));
        out.append(char(0x80 | ((c >> 6) & 0x3F)));
        out.append(char(0x80 | (c & 0x3F)));
    } else {
        out.append(char(0xF0 | (c >> 18)));
        out.append(char(0x80 | ((c >> 12) & 0x3F)));
        out.append(char(0x80 | ((c >> 6) & 0x3F)));
        out.append(char(0x80 | (c & 0x3F)));
    }
}

QString decodeBytes(const unsigned char *p, qsizetype size)
{
    QString text;
    text.reserve(size);
    qsizetype i = 0;
    while (i < size) {
        char32_t c = 0;
        const int length = validSequence(p + i, size - i, &c);
        if (length == 0 || (c >= FirstEscape && c <= LastEscape)) {
            // One escape per byte; a valid sequence for an escape character is kept byte by
            // byte too, or it would come back as a single byte.
            const int bytes = length == 0 ? 1 : length;
            for (int k = 0; k < bytes; ++k)
                text.append(QChar(char16_t(FirstEscape + (p[i + k] - 0x80))));
            i += bytes;
            continue;
        }
        if (c < 0x10000) {
            text.append(QChar(char16_t(c)));
        } else {
            text.append(QChar::highSurrogate(c));
            text.append(QChar::lowSurrogate(c));
        }
        i += length;
    }
    return text;
}

} // namespace

QByteArray encode(const QString &path)
{
    QByteArray out;
    out.reserve(path.size());
    const qsizetype n = path.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t u = path.at(i).unicode();
        if (u >= FirstEscape && u <= LastEscape) {
            out.append(char(0x80 + (u - FirstEscape)));
        } else if (QChar::isHighSurrogate(u) && i + 1 < n && QChar::isLowSurrogate(path.at(i + 1).unicode())) {
            appendUtf8(out, QChar::surrogateToUcs4(u, path.at(i + 1).unicode()));
            ++i;
        } else if (QChar::isSurrogate(u)) {
            appendUtf8(out, 0xFFFD); // a lone half of a pair names nothing
        } else {
            appendUtf8(out, u);
        }
    }
    return out;
}

QString decode(const QByteArray &bytes)
{
    return decodeBytes(reinterpret_cast<const unsigned char *>(bytes.constData()), bytes.size());
}

QString decode(const char *bytes)
{
    return decodeBytes(reinterpret_cast<const unsigned char *>(bytes), qsizetype(std::strlen(bytes)));
}

} // namespace FileName
