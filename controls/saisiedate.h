#pragma once
// The date edit: a masked field in the locale's date order, arrows to step it a day at a time
// and a button that opens a calendar. Its value is a day count since 30 December 1899
// (DateValue), -1.0 when the field holds no valid date.
#include "controls/dateformat.h"
#include "controls/saisiebouton.h"

class UpDownArrows;

class TSaisieDate : public TCustomSaisieBouton {
    Q_OBJECT
    Q_PROPERTY(bool AfficheFleche READ AfficheFleche WRITE setAfficheFleche)
    Q_PROPERTY(bool AfficheCalend READ AfficheCalend WRITE setAfficheCalend)

public:
    // Shows today's date, centred, with its arrows and its calendar button.
    explicit TSaisieDate(QWidget *parent = nullptr);

    // -1 empties the field; any other value shows its day in the display format.
    void EcrireDate(double date);
    // The day shown, or -1 when the text is empty or not a valid date.
    double LireDate() const;

    // One day later or earlier; from today when the field holds no valid date.
    void JourSuivant();
    void JourPrecedent();
    // Opens the calendar below the field (above it near the bottom of the screen).
    void OuvrirCalendrier();

    bool AfficheFleche() const { return m_afficheFleche; }
    void setAfficheFleche(bool shown);
    bool AfficheCalend() const { return AfficheBouton(); }
    void setAfficheCalend(bool shown);

    const DateFormat &format() const { return m_format; }
    UpDownArrows *arrows() const { return m_arrows; }

    // Where the calendar window of that size opens for a field at that screen rectangle.
    static QPoint calendarPosition(const QRect &field, const QRect &screen, const QSize &calendar);

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void buttonAction() override;
    void quitter() override;
    void arrange() override;

private:
    void writeDay(const QDate &day);
    void step(int days);

    DateFormat m_format;
    UpDownArrows *m_arrows;
    bool m_afficheFleche = true;
};
