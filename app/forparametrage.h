#pragma once
// The settings dialog: five pages that show every setting but MiniatureBatch, a few boxes that
// enable the controls depending on them, and "&Valider", which checks the photo-name mask and
// writes the settings file at once. "&Annuler" leaves the settings as they were.
#include <QDialog>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QSlider;
class QTabWidget;
class QWidget;
class TParamAppli;
class TSaisie;
class TSaisieEntier;
class TSaisieListe;

class TforParametrage : public QDialog {
    Q_OBJECT
public:
    // The controls show the settings from the start; the settings change only on "&Valider".
    explicit TforParametrage(TParamAppli &settings, QWidget *parent = nullptr);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private slots:
    void slLecteurCarteListeClick();
    void slRepertoireListeClick();
    void slRepertoireAIgnorerListeClick();
    void tbGaugeQualiteJPGChange(int position);
    void cbGestionExifClick();
    void cbRepertoireSpecifiqueClick();
    void cbRedimensionLowQClick();
    void cbDiaporamaAutoClick();
    void cbExecuterDiaporamaClick();
    void butValiderClick();
    void butAnnulerClick();

private:
    // One builder per page (forparametragepages.cpp).
    QWidget *buildGeneralPage();
    QWidget *buildFolderMaskPage();
    QWidget *buildPhotoMaskPage();
    QWidget *buildLowQualityPage();
    QWidget *buildSlideshowPage();
    QWidget *buildButtonPanel();
    void connectHandlers();

    // The opening sequence: the settings into the controls, each rule run in its turn.
    void FormCreate();
    // The controls into the settings; with GestionEXIF off the EXIF settings are switched off.
    // A display mode or size that nothing selects leaves the stored value as it was.
    void copyToSettings(TParamAppli &settings);

    TParamAppli &m_settings;

    QTabWidget *pcParametrage = nullptr;
    QWidget *tsDivers = nullptr;
    QWidget *tsMasque = nullptr;
    QWidget *tsMasqueFichier = nullptr;
    QWidget *tsLowQuality = nullptr;
    QWidget *tsDiaporama = nullptr;
    QWidget *panBouton = nullptr;
    QPushButton *butValider = nullptr;
    QPushButton *butAnnuler = nullptr;

    // Général
    TSaisieListe *slLecteurCarte = nullptr;
    TSaisieListe *slRepertoire = nullptr;
    TSaisieListe *slRepertoireAIgnorer = nullptr;
    QCheckBox *cbGestionExif = nullptr;
    QCheckBox *cbRotationAuto = nullptr;
    QCheckBox *cbExportExif = nullptr;
    QCheckBox *cbSupprimerPhoto = nullptr;
    QCheckBox *cbEjecterCarte = nullptr;
    QCheckBox *cbAutresFormats = nullptr;
    QLabel *labAutresFormats = nullptr;
    QComboBox *cbModeAffichagePP = nullptr;
    TSaisie *saiExtensionSupp = nullptr;
    // Masque répertoire
    QCheckBox *cbRepertoireSpecifique = nullptr;
    TSaisie *saiMasqueRepertoire = nullptr;
    // Masque fichier
    TSaisie *saiMasqueNomPhoto = nullptr;
    // Basse résolution
    QCheckBox *cbActiverLowQuality = nullptr;
    TSaisie *saiSuffixeLowQ = nullptr;
    TSaisie *saiRepertoireLow = nullptr;
    QSlider *tbGaugeQualiteJPG = nullptr;
    QLabel *labQualiteJpg = nullptr;
    QCheckBox *cbRedimensionLowQ = nullptr;
    QGroupBox *rgDimensionLowQ = nullptr;
    QButtonGroup *m_dimensions = nullptr; // the items of rgDimensionLowQ, ids 0 to 5
    QCheckBox *cbGarderInfoExifLQ = nullptr;
    QCheckBox *cbGarderInfoDateLow = nullptr;
    // Diaporama
    QCheckBox *cbExecuterDiaporama = nullptr;
    QCheckBox *cbDiaporamaAuto = nullptr;
    QLabel *labTempsDiapo1 = nullptr;
    TSaisieEntier *seTempsDiaporama = nullptr;
    QLabel *labTempsDiapo2 = nullptr;
    QCheckBox *cbBouclerDiaporama = nullptr;
    QCheckBox *cbNomPhotoDiaporama = nullptr;
    QCheckBox *cbCacherCurseurDiapo = nullptr;
};

// Runs the settings dialog modally, centred on the screen. Whether the settings changed is seen
// in the settings themselves.
void LancerParametrage(TParamAppli &settings);
