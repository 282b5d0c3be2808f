#pragma once
// The time edit: hours and minutes in a masked field, a spin button to step either field, a
// field that returns to its last valid value when an impossible one is typed. 24-hour mode on
// systems whose time format has no AM/PM marker (French ones), 12-hour mode otherwise.
#include <QLineEdit>

class UpDownArrows;

class TSaisieHeure : public QLineEdit {
    Q_OBJECT
    Q_PROPERTY(bool AfficheFleche READ AfficheFleche WRITE setAfficheFleche)

public:
    // Shows the current time, with its spin button.
    explicit TSaisieHeure(QWidget *parent = nullptr);

    // Shows the hours and minutes of the value (the fraction of a day; whole days are ignored)
    // and takes them as the last valid values.
    void EcrireHeure(double hour);
    // The time shown as a fraction of a day; 0 (midnight) when the text is no valid time.
    double LireHeure() const;

    bool AfficheFleche() const { return m_afficheFleche; }
    void setAfficheFleche(bool shown);

    // Switches between the 24-hour and the 12-hour mode, converting the hours shown.
    void ChangerFormat24(bool format24);
    bool Format24() const { return m_format24; }
    bool isAfternoon() const { return m_afternoon; }

    // The spin button's steps: hours when the caret stands in them, minutes when it stands
    // in or just after them.
    void stepUp();
    void stepDown();

    UpDownArrows *arrows() const { return m_arrows; }
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

    // Whether the locale's time format shows hours 13 to 23 (no AM/PM marker).
    static bool formatLocale24(const QLocale &locale);

signals:
    // The text changed, after the field's own checks.
    void change();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void split();
    void AfficherHeure();
    void ControlerHeures();
    void ControlerMinutes();
    void applyMask();
    void tidy();
    void step(int direction);
    void onChange();
    // Hours and minutes of a text as the control reads them; false when it is no valid time.
    bool readText(const QString &content, int &hours, int &minutes) const;
    void arrange();

    UpDownArrows *m_arrows;
    bool m_afficheFleche = true;
    bool m_format24 = true;
    bool m_afternoon = false;
    QChar m_separator = QLatin1Char(':');
    QString m_hours, m_minutes;
    QString m_hoursValid, m_minutesValid;
    int m_typingPosition = -1; // where the last typed digit went, for the change checks
    bool m_checking = false;
};
