#pragma once
// What an edit's parameter text allows: the characters a user may type and the completion
// applied to the text when it is read or left. Characters are those of the Windows-1252 code
// page, the one the fields' values were always typed in.
#include <QChar>
#include <QString>

#include <bitset>

class EditParameters {
public:
    enum class Completion { None, Left, Right };

    EditParameters() = default;
    explicit EditParameters(const QString &settings);

    // True when the character may be typed. Backspace always may; other control characters never.
    bool accepts(QChar character) const;
    Completion completion() const { return m_completion; }
    QChar completionCharacter() const { return m_compCar; }

    // The text filled with the completion character up to the maximum length (0 = no maximum);
    // an empty text stays empty. Left completion goes after a leading sign.
    QString completer(const QString &content, int lengthLimit) const;

private:
    std::bitset<256> m_allowed; // by Windows-1252 byte
    Completion m_completion = Completion::None;
    QChar m_compCar = QLatin1Char(' ');
};
