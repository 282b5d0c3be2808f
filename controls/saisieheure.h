#pragma once
// The time edit: hours and minutes in a masked field, a spin button to step either field, a
// field that returns to its last valid value when an impossible one is typed. 24-hour mode on
// systems whose time format has no AM/PM marker (French ones), 12-hour mode otherwise.
#include <QLineEdit>

class TFlecheHautBas;

class TSaisieHeure : public QLineEdit {
    Q_OBJECT
    Q_PROPERTY(bool AfficheFleche READ AfficheFleche WRITE setAfficheFleche)

public:
    // Shows the current time, with its spin button.
    explicit TSaisieHeure(QWidget *parent = nullptr);

    // Shows the hours and minutes of the value (the fraction of a day; whole days are ignored)
    // and takes them as the last valid values.
    void EcrireHeure(double heure);
    // The time shown as a fraction of a day; 0 (midnight) when the text is no valid time.
    double LireHeure() const;

    bool AfficheFleche() const { return m_afficheFleche; }
    void setAfficheFleche(bool affiche);

    // Switches between the 24-hour and the 12-hour mode, converting the hours shown.
    void ChangerFormat24(bool format24);
    bool Format24() const { return m_format24; }
    bool ApresMidi() const { return m_apresMidi; }

    // The spin button's steps: hours when the caret stands in them, minutes when it stands
    // in or just after them.
    void PasHaut();
    void PasBas();

    TFlecheHautBas *fleches() const { return m_fleches; }
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
    void Decouper();
    void AfficherHeure();
    void ControlerHeures();
    void ControlerMinutes();
    void appliquerMasque();
    void ranger();
    void pas(int sens);
    void surChangement();
    // Hours and minutes of a text as the control reads them; false when it is no valid time.
    bool lireTexte(const QString &texte, int &heures, int &minutes) const;
    void disposer();

    TFlecheHautBas *m_fleches;
    bool m_afficheFleche = true;
    bool m_format24 = true;
    bool m_apresMidi = false;
    QChar m_separateur = QLatin1Char(':');
    QString m_heures, m_minutes;
    QString m_heuresValides, m_minutesValides;
    int m_positionFrappe = -1; // where the last typed digit went, for the change checks
    bool m_dansControle = false;
};
