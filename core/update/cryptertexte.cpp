#include "core/update/cryptertexte.h"

#include "core/files/textfile.h"

#include <QRandomGenerator>

namespace {

QString hexPair(int value)
{
    return QStringLiteral("%1").arg(value & 0xFF, 2, 16, QLatin1Char('0')).toUpper();
}

// Both work on the 8-bit Western code page, as the texts and keys were written in it.
QString encipher(const QByteArray &text, const QByteArray &key, int firstByte)
{
    const int r = firstByte >= 0 ? (firstByte & 0xFF) : int(QRandomGenerator::global()->bounded(256));
    QString output = hexPair(r);
    int p = r;
    qsizetype k = 0;
    for (char c : text) {
        const int v = (int(static_cast<unsigned char>(c)) + p) % 255;
        k = k % key.size() + 1;
        p = v ^ int(static_cast<unsigned char>(key.at(k - 1)));
        output += hexPair(p);
    }
    return output;
}

QString decipher(const QString &text, const QByteArray &key)
{
    if (text.size() < 2)
        return {};
    bool ok = false;
    int p = text.left(2).toInt(&ok, 16);
    if (!ok)
        return {};
    QByteArray output;
    qsizetype k = 0;
    for (qsizetype i = 2; i + 1 < text.size(); i += 2) {
        const int x = text.mid(i, 2).toInt(&ok, 16);
        if (!ok)
            return {};
        k = k % key.size() + 1;
        const int v = int(static_cast<unsigned char>(key.at(k - 1))) ^ x;
        const int code = v > p ? v - p : v + 255 - p;
        output += char(code);
        p = x;
    }
    return TextFile::decodeWindows1252(output);
}

} // namespace

QString CrypterTexte(const QString &mode, const QString &text, const QString &key, int firstByte)
{
    if (key.isEmpty())
        return {};
    const QByteArray keyBytes = TextFile::encodeWindows1252(key);
    if (mode == QLatin1String("E"))
        return encipher(TextFile::encodeWindows1252(text), keyBytes, firstByte);
    if (mode == QLatin1String("D"))
        return decipher(text, keyBytes);
    return {};
}
