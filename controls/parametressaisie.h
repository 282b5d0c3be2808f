#pragma once
// What an edit's parameter text allows: the characters a user may type and the completion
// applied to the text when it is read or left. Characters are those of the Windows-1252 code
// page, the one the fields' values were always typed in.
#include <QChar>
#include <QString>

#include <bitset>

class ParametresSaisie {
public:
    enum class Completion { Aucune, Gauche, Droite };

    ParametresSaisie() = default;
    explicit ParametresSaisie(const QString &parametres);

    // True when the character may be typed. Backspace always may; other control characters never.
    bool accepte(QChar caractere) const;
    Completion completion() const { return m_completion; }
    QChar caractereCompletion() const { return m_compCar; }

    // The text filled with the completion character up to the maximum length (0 = no maximum);
    // an empty text stays empty. Left completion goes after a leading sign.
    QString completer(const QString &texte, int longueurMax) const;

private:
    std::bitset<256> m_autorises; // by Windows-1252 byte
    Completion m_completion = Completion::Aucune;
    QChar m_compCar = QLatin1Char(' ');
};
