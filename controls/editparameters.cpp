#include "controls/editparameters.h"

#include "core/files/textfile.h"

#include <QLocale>

namespace {

// The Windows-1252 byte of a character, or -1 when the code page has none for it.
int byte1252(QChar character)
{
    bool complete = false;
    const QByteArray bytes = TextFile::encodeWindows1252(QString(character), &complete);
    if (!complete || bytes.size() != 1)
        return -1;
    return static_cast<unsigned char>(bytes.at(0));
}

void add(std::bitset<256> &set, const QString &characters)
{
    for (const QChar c : characters) {
        const int byte = byte1252(c);
        if (byte >= 0)
            set.set(size_t(byte));
    }
}

void addRange(std::bitset<256> &set, int first, int last)
{
    for (int i = first; i <= last; ++i)
        set.set(size_t(i));
}

} // namespace

EditParameters::EditParameters(const QString &settings)
{
    const auto contains = [&](const char *word) { return settings.contains(QLatin1String(word)); };

    if (contains("dfTout")) {
        addRange(m_allowed, 32, 255);
    } else {
        if (contains("dfLettreMaj"))
            addRange(m_allowed, 'A', 'Z');
        if (contains("dfLettreMin"))
            addRange(m_allowed, 'a', 'z');
        if (contains("dfLettreAcc"))
            for (int code : {224, 231, 232, 233, 234, 238, 249, 251})
                m_allowed.set(size_t(code));
        if (contains("dfEspace"))
            m_allowed.set(32);
        if (contains("dfNombre"))
            addRange(m_allowed, '0', '9');
        if (contains("dfCodeSpe"))
            for (int code : {33, 34, 35, 36, 37, 40, 41, 47})
                m_allowed.set(size_t(code));
        if (contains("dfSigne")) {
            m_allowed.set('+');
            m_allowed.set('-');
        }
        if (contains("dfSeparatDec"))
            add(m_allowed, QLocale().decimalPoint());
        const qsizetype opening = settings.indexOf(QLatin1Char('{'));
        const qsizetype closing = settings.indexOf(QLatin1Char('}'));
        if (opening >= 0 && closing > opening)
            add(m_allowed, settings.mid(opening + 1, closing - opening - 1));
    }

    if (contains("CompleteDroite"))
        m_completion = Completion::Right;
    else if (contains("CompleteGauche"))
        m_completion = Completion::Left;
    if (m_completion != Completion::None) {
        const qsizetype word = settings.indexOf(QLatin1String("CompCar"));
        const qsizetype position = word + 7;
        if (word >= 0 && position < settings.size())
            m_compCar = settings.at(position);
    }
}

bool EditParameters::accepts(QChar character) const
{
    if (character == QChar(8))
        return true;
    if (character.unicode() < 32)
        return false;
    const int byte = byte1252(character);
    return byte >= 0 && m_allowed.test(size_t(byte));
}

QString EditParameters::completer(const QString &content, int lengthLimit) const
{
    if (m_completion == Completion::None || lengthLimit <= 0 || content.isEmpty()
        || content.size() >= lengthLimit)
        return content;
    const QString padding(lengthLimit - content.size(), m_compCar);
    if (m_completion == Completion::Right)
        return content + padding;
    const bool sign = content.startsWith(QLatin1Char('+')) || content.startsWith(QLatin1Char('-'));
    QString result = content;
    result.insert(sign ? 1 : 0, padding);
    return result;
}
