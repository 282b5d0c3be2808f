#pragma once
// The slideshow's set-up: the folder to play, whether its sub-folders count, the photo filter,
// then "&Suivant" finds the photos and plays them.
#include <QDialog>

#include <memory>

class QCheckBox;
class QGroupBox;
class QLabel;
class QPushButton;
class TFiltrePhoto;
class TParamAppli;
class TSaisieListe;

class TforParamDiaporama : public QDialog {
    Q_OBJECT
public:
    // Creates the dialog's own filter from "Filtre.ini"; the folder starts as the card reader.
    explicit TforParamDiaporama(TParamAppli &settings, QWidget *parent = nullptr);
    ~TforParamDiaporama() override;

    TFiltrePhoto &filter() { return *m_filtre; }

private slots:
    void slRepertoireListeClick();
    void butFiltreClick();
    void butSuivantClick();
    void butAnnulerClick();

private:
    void build();

    TParamAppli &m_settings;
    std::unique_ptr<TFiltrePhoto> m_filtre;
    QGroupBox *gbParametres = nullptr;
    QLabel *Label2 = nullptr;
    TSaisieListe *slRepertoire = nullptr;
    QCheckBox *cbSousRepertoire = nullptr;
    QPushButton *butFiltre = nullptr;
    QPushButton *butSuivant = nullptr;
    QPushButton *butAnnuler = nullptr;
};

// Runs the set-up dialog modally, centred on the screen; the settings are only read.
void LancerParamDiaporama(TParamAppli &settings);
