#include "app/forparametrage.h"

#include "controls/saisie.h"
#include "controls/saisiebouton.h"
#include "controls/saisieentier.h"
#include "core/error.h"
#include "core/settings/paramappli.h"
#include "core/files/paths.h"
#include "core/settings/settingschange.h"
#include "dialogs/choisirrepertoire.h"
#include "dialogs/helpwindow.h"
#include "dialogs/messages.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QSlider>
#include <QTabWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <initializer_list>

namespace {

constexpr int DimensionCount = 6;
constexpr int DisplayModeCount = 4;
constexpr int SuffixLength = 10;

void enableAll(std::initializer_list<QWidget *> widgets, bool enabled)
{
    for (QWidget *widget : widgets)
        widget->setEnabled(enabled);
}

} // namespace

TforParametrage::TforParametrage(TParamAppli &settings, QWidget *parent)
    : QDialog(parent), m_settings(settings)
{
    setObjectName(QStringLiteral("TforParametrage"));
    setWindowTitle(QStringLiteral("Paramétrage de Lumaro"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    Help::setContext(this, Help::Context::Settings);

    pcParametrage = new QTabWidget(this);
    pcParametrage->setObjectName(QStringLiteral("pcParametrage"));
    tsDivers = buildGeneralPage();
    tsMasque = buildFolderMaskPage();
    tsMasqueFichier = buildPhotoMaskPage();
    tsLowQuality = buildLowQualityPage();
    tsDiaporama = buildSlideshowPage();
    pcParametrage->addTab(tsDivers, QStringLiteral("Général"));
    pcParametrage->addTab(tsMasque, QStringLiteral("Masque répertoire"));
    pcParametrage->addTab(tsMasqueFichier, QStringLiteral("Masque fichier"));
    pcParametrage->addTab(tsLowQuality, QStringLiteral("Basse résolution"));
    pcParametrage->addTab(tsDiaporama, QStringLiteral("Diaporama"));
    panBouton = buildButtonPanel();

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(pcParametrage, 1);
    layout->addWidget(panBouton);
    // A dialog border: the window takes the size its largest page needs with this system's fonts.
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connectHandlers();
    FormCreate();
}

void TforParametrage::connectHandlers()
{
    connect(slLecteurCarte, &TSaisieListe::listeClick, this, &TforParametrage::slLecteurCarteListeClick);
    connect(slRepertoire, &TSaisieListe::listeClick, this, &TforParametrage::slRepertoireListeClick);
    connect(slRepertoireAIgnorer, &TSaisieListe::listeClick, this, &TforParametrage::slRepertoireAIgnorerListeClick);
    connect(tbGaugeQualiteJPG, &QSlider::valueChanged, this, &TforParametrage::tbGaugeQualiteJPGChange);
    connect(cbGestionExif, &QCheckBox::toggled, this, &TforParametrage::cbGestionExifClick);
    connect(cbRepertoireSpecifique, &QCheckBox::toggled, this, &TforParametrage::cbRepertoireSpecifiqueClick);
    connect(cbRedimensionLowQ, &QCheckBox::toggled, this, &TforParametrage::cbRedimensionLowQClick);
    connect(cbDiaporamaAuto, &QCheckBox::toggled, this, &TforParametrage::cbDiaporamaAutoClick);
    connect(cbExecuterDiaporama, &QCheckBox::toggled, this, &TforParametrage::cbExecuterDiaporamaClick);
    connect(butValider, &QPushButton::clicked, this, &TforParametrage::butValiderClick);
    connect(butAnnuler, &QPushButton::clicked, this, &TforParametrage::butAnnulerClick);
}

void TforParametrage::FormCreate()
{
    const TParamAppli &s = m_settings;
    pcParametrage->setCurrentWidget(tsDivers);
    slLecteurCarte->AffecterTexte(s.LecteurCarte);
    slRepertoire->AffecterTexte(Paths::shownFolder(s.RepertoirePhoto));

    cbGestionExif->setChecked(s.GestionEXIF);
    cbGestionExifClick();

    saiMasqueNomPhoto->AffecterTexte(s.MasqueNomPhoto);
    // Ten characters are typed at most, but a longer suffix written in the file is shown and kept whole.
    saiSuffixeLowQ->setMaxLength(std::max(SuffixLength, int(s.Suffixe.size())));
    saiSuffixeLowQ->AffecterTexte(s.Suffixe);
    tbGaugeQualiteJPG->setValue(s.Qualite); // the track bar keeps it within 1..100
    tbGaugeQualiteJPGChange(tbGaugeQualiteJPG->value());
    saiRepertoireLow->AffecterTexte(s.Repertoire);
    cbActiverLowQuality->setChecked(s.ActiverLowQ);

    cbDiaporamaAuto->setChecked(s.ActiverDiaporama);
    cbDiaporamaAutoClick();
    seTempsDiaporama->setValeur(s.Tempo);

    cbRotationAuto->setChecked(s.RotationAuto);
    cbExportExif->setChecked(s.ExportInfoExif);
    cbRedimensionLowQ->setChecked(s.Redimensionner);
    cbRedimensionLowQClick();
    // A size the dialog does not offer selects nothing, and stays stored until the user picks one.
    if (s.IndiceNewDim >= 0 && s.IndiceNewDim < DimensionCount)
        m_dimensions->button(s.IndiceNewDim)->setChecked(true);

    cbRepertoireSpecifique->setChecked(s.RepertoireSpecif);
    cbRepertoireSpecifiqueClick();
    saiMasqueRepertoire->AffecterTexte(s.MasqueRepertoire);

    cbGarderInfoExifLQ->setChecked(s.GarderInfoEXIF);
    cbSupprimerPhoto->setChecked(s.SupprimerPhoto);
    cbEjecterCarte->setChecked(s.EjecterCarte);
    cbAutresFormats->setChecked(s.AutresFormats);
    cbNomPhotoDiaporama->setChecked(s.AfficherNom);
    cbBouclerDiaporama->setChecked(s.Boucler);
    slRepertoireAIgnorer->AffecterTexte(s.RepertoireAIgnorer);
    cbCacherCurseurDiapo->setChecked(s.CacherCurseur);
    cbExecuterDiaporama->setChecked(s.Executer);
    cbExecuterDiaporamaClick();

    // Likewise a display mode the list does not hold shows an empty list and stays stored.
    cbModeAffichagePP->setCurrentIndex(s.ModeAffichagePP >= 0 && s.ModeAffichagePP < DisplayModeCount ? s.ModeAffichagePP
                                                                                                      : -1);
    cbGarderInfoDateLow->setChecked(s.GarderInfoDateEXIF);
    saiExtensionSupp->AffecterTexte(s.ExtensionSupp);
}

void TforParametrage::copyToSettings(TParamAppli &s)
{
    s.LecteurCarte = Paths::withSeparator(slLecteurCarte->LireTexte());
    s.RepertoirePhoto = slRepertoire->LireTexte();
    s.MasqueNomPhoto = saiMasqueNomPhoto->LireTexte();
    if (cbModeAffichagePP->currentIndex() >= 0)
        s.ModeAffichagePP = cbModeAffichagePP->currentIndex();
    s.Suffixe = saiSuffixeLowQ->LireTexte();
    s.Qualite = tbGaugeQualiteJPG->value();
    s.Repertoire = saiRepertoireLow->LireTexte();
    s.ActiverLowQ = cbActiverLowQuality->isChecked();
    s.ActiverDiaporama = cbDiaporamaAuto->isChecked();
    s.Tempo = seTempsDiaporama->Valeur();
    s.GestionEXIF = cbGestionExif->isChecked();
    s.RotationAuto = cbRotationAuto->isChecked();
    s.ExportInfoExif = cbExportExif->isChecked();
    s.GarderInfoEXIF = cbGarderInfoExifLQ->isChecked();
    SettingsChange::applyExifManagement(s);
    s.Redimensionner = cbRedimensionLowQ->isChecked();
    if (m_dimensions->checkedId() >= 0)
        s.IndiceNewDim = m_dimensions->checkedId();
    s.GarderInfoDateEXIF = cbGarderInfoDateLow->isChecked();
    s.RepertoireSpecif = cbRepertoireSpecifique->isChecked();
    s.MasqueRepertoire = saiMasqueRepertoire->LireTexte();
    s.SupprimerPhoto = cbSupprimerPhoto->isChecked();
    s.EjecterCarte = cbEjecterCarte->isChecked();
    s.AutresFormats = cbAutresFormats->isChecked();
    s.Executer = cbExecuterDiaporama->isChecked();
    s.AfficherNom = cbNomPhotoDiaporama->isChecked();
    s.Boucler = cbBouclerDiaporama->isChecked();
    s.RepertoireAIgnorer = slRepertoireAIgnorer->LireTexte();
    s.CacherCurseur = cbCacherCurseurDiapo->isChecked();
    s.ExtensionSupp = saiExtensionSupp->LireTexte();
}

bool TforParametrage::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == slRepertoireAIgnorer && event->type() == QEvent::KeyRelease
        && static_cast<QKeyEvent *>(event)->key() == Qt::Key_Delete)
        slRepertoireAIgnorer->AffecterTexte(QString());
    return QDialog::eventFilter(watched, event);
}

void TforParametrage::slLecteurCarteListeClick()
{
    const FolderChoice choice =
        ChoisirRepertoire(QStringLiteral("Choisissez le répertoire contenant les photos à transférer"));
    if (choice.confirmed)
        slLecteurCarte->AffecterTexte(Paths::withSeparator(choice.folder));
}

void TforParametrage::slRepertoireListeClick()
{
    const FolderChoice choice = ChoisirRepertoire(QStringLiteral("Choisissez le répertoire de destination des photos"));
    if (choice.confirmed)
        slRepertoire->AffecterTexte(choice.folder);
}

void TforParametrage::slRepertoireAIgnorerListeClick()
{
    // Only a folder of the source can be skipped by the search.
    const FolderChoice choice = ChoisirRepertoire(
        QStringLiteral("Choisissez le répertoire a ignorer lors du transfert des photos"), slLecteurCarte->LireTexte());
    if (choice.confirmed)
        slRepertoireAIgnorer->AffecterTexte(choice.folder);
}

void TforParametrage::tbGaugeQualiteJPGChange(int position)
{
    labQualiteJpg->setText(QString::number(position) + QStringLiteral(" %"));
}

void TforParametrage::cbGestionExifClick()
{
    enableAll({cbRotationAuto, cbExportExif, cbGarderInfoExifLQ}, cbGestionExif->isChecked());
}

void TforParametrage::cbRepertoireSpecifiqueClick()
{
    saiMasqueRepertoire->setEnabled(cbRepertoireSpecifique->isChecked());
}

void TforParametrage::cbRedimensionLowQClick()
{
    rgDimensionLowQ->setEnabled(cbRedimensionLowQ->isChecked());
}

void TforParametrage::cbDiaporamaAutoClick()
{
    enableAll({seTempsDiaporama, cbBouclerDiaporama, labTempsDiapo1, labTempsDiapo2}, cbDiaporamaAuto->isChecked());
}

void TforParametrage::cbExecuterDiaporamaClick()
{
    // Shares the delay and the loop box with the rule above: whichever ran last decides.
    enableAll({cbDiaporamaAuto, seTempsDiaporama, cbBouclerDiaporama, cbNomPhotoDiaporama, cbCacherCurseurDiapo,
                labTempsDiapo1, labTempsDiapo2},
               cbExecuterDiaporama->isChecked());
}

void TforParametrage::butValiderClick()
{
    if (!SettingsChange::photoNameMaskIsValid(saiMasqueNomPhoto->LireTexte())) {
        MessageInformation(SettingsChange::photoNameMaskMessage());
        pcParametrage->setCurrentWidget(tsMasqueFichier);
        saiMasqueNomPhoto->setFocus();
        return;
    }
    try {
        SettingsChange::applyAndWrite(m_settings, [this](TParamAppli &s) { copyToSettings(s); });
    } catch (const LumaroError &error) {
        // The settings are as before "&Valider"; the dialog stays open to try again or cancel.
        MessageErreur(error.message());
        return;
    }
    accept();
}

void TforParametrage::butAnnulerClick()
{
    reject();
}

void LancerParametrage(TParamAppli &settings)
{
    QWidget *owner = QApplication::activeWindow();
    TforParametrage dialog(settings, owner);
    dialog.adjustSize();
    if (const QScreen *screen = owner ? owner->screen() : QGuiApplication::primaryScreen())
        dialog.move(screen->availableGeometry().center() - dialog.rect().center());
    dialog.exec();
}
