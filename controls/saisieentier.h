#pragma once
// The whole-number edit: digits (and a sign when allowed), a range checked while typing and on
// leaving, and an optional completion with zeros on the left.
#include "controls/saisie.h"

class TSaisieEntier : public TCustomSaisie {
    Q_OBJECT
    Q_PROPERTY(int ValeurMax READ ValeurMax WRITE setValeurMax)
    Q_PROPERTY(int ValeurMin READ ValeurMin WRITE setValeurMin)
    Q_PROPERTY(bool AutoriseSigne READ AutoriseSigne WRITE setAutoriseSigne)
    Q_PROPERTY(bool CompleteAuto READ CompleteAuto WRITE setCompleteAuto)
    Q_PROPERTY(int Valeur READ Valeur WRITE setValeur)

public:
    // Right-aligned, holding "0", range 0 to 0 (no range check until one is given).
    explicit TSaisieEntier(QWidget *parent = nullptr);

    // An assignment that would put the maximum under the minimum (or the reverse) is ignored;
    // a negative limit allows the sign.
    int ValeurMax() const { return m_valeurMax; }
    void setValeurMax(int value);
    int ValeurMin() const { return m_valeurMin; }
    void setValeurMin(int value);

    // Each replaces the parameter text according to the pair of them.
    bool AutoriseSigne() const { return m_autoriseSigne; }
    void setAutoriseSigne(bool allowed);
    bool CompleteAuto() const { return m_completeAuto; }
    void setCompleteAuto(bool complete);

    // The text as a number, 0 when it is none.
    int Valeur() const;
    void setValeur(int value);

    // What the field returns to when it is left with a value out of range or no number:
    // "0" when 0 lies in the range, the minimum otherwise.
    QString defaultValue() const;

signals:
    // When connected, these replace the beep and the message for a value above the maximum
    // or below the minimum.
    void maxExceeded();
    void minExceeded();

protected:
    bool acceptCharacter(QChar character) override;
    void enter() override;
    void quitter() override;

private:
    void updateSettings();
    void reportMax();
    void reportMin();
    // A range message in the warning box, after the beep when Beep is on.
    void warn(const QString &message);
    static QString withoutLeadingZeros(const QString &content);

    int m_valeurMax = 0;
    int m_valeurMin = 0;
    bool m_autoriseSigne = false;
    bool m_completeAuto = false;
};
