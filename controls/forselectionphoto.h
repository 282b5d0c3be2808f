#pragma once
// The photo filter dialog: the user narrows the photos that the next search offers, for this run
// ("&Valider") or as the default of every later run ("&Défaut").
#include <QDialog>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QPushButton;
class TFiltrePhoto;
class TSaisie;
class TSaisieDate;

class TforSelectionPhoto : public QDialog {
    Q_OBJECT

public:
    // The filter belongs to the caller; the dialog edits it in place.
    explicit TforSelectionPhoto(TFiltrePhoto &filter, QWidget *parent = nullptr);

    TFiltrePhoto &FiltreEdite;

    // The filter's values into the controls, and back.
    void AfficherFiltre();
    void ReporterFiltre();

protected:
    // Neither Enter nor Escape closes the dialog: only its buttons do.
    void keyPressEvent(QKeyEvent *event) override;

private slots:
    void butValiderClick();
    void butAnnulerClick();
    void butDefaultClick();

private:
    void build();

    QGroupBox *gbSelection = nullptr;
    QComboBox *cbFiltreNom = nullptr;
    TSaisie *saiNom = nullptr;
    QComboBox *cbFiltreDate = nullptr;
    TSaisieDate *sdDate = nullptr;
    QCheckBox *cbNouvellePhoto = nullptr;
    QPushButton *butDefault = nullptr;
    QPushButton *butValider = nullptr;
    QPushButton *butAnnuler = nullptr;
};

// Runs the dialog modally on the filter and returns when it is closed.
void LancerSelectionPhoto(TFiltrePhoto &filter, QWidget *parent = nullptr);
