#pragma once
// The date edit: a masked field in the locale's date order, arrows to step it a day at a time
// and a button that opens a calendar. Its value is a day count since 30 December 1899
// (DateValue), -1.0 when the field holds no valid date.
#include "controls/formatdate.h"
#include "controls/saisiebouton.h"

class TFlecheHautBas;

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
    void setAfficheFleche(bool affiche);
    bool AfficheCalend() const { return AfficheBouton(); }
    void setAfficheCalend(bool affiche);

    const FormatDate &format() const { return m_format; }
    TFlecheHautBas *fleches() const { return m_fleches; }

    // Where the calendar window of that size opens for a field at that screen rectangle.
    static QPoint positionCalendrier(const QRect &champ, const QRect &ecran, const QSize &calendrier);

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void actionBouton() override;
    void quitter() override;
    void disposer() override;

private:
    void ecrireJour(const QDate &jour);
    void pas(int jours);

    FormatDate m_format;
    TFlecheHautBas *m_fleches;
    bool m_afficheFleche = true;
};
