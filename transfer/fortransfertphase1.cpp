#include "transfer/fortransfertphase1.h"

#include "controls/saisie.h"
#include "controls/saisiebouton.h"
#include "core/error.h"
#include "core/settings/paramappli.h"
#include "core/files/paths.h"
#include "core/discovery/recherchephotos.h"
#include "core/discovery/shotmembers.h"
#include "core/sources/foldersource.h"
#include "core/sources/sourcechoice.h"
#include "core/userinterface.h"
#include "dialogs/choisirrepertoire.h"
#include "dialogs/helpwindow.h"
#include "dialogs/messages.h"
#include "dialogs/qtuserinterface.h"
#include "controls/forselectionphoto.h"
#include "transfer/fortransfertbatch.h"
#include "transfer/fortransfertphoto.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QPointer>
#include <QtConcurrent/QtConcurrentRun>
#include <QFutureWatcher>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

constexpr int BatchMode = 1;
constexpr int PhotoByPhotoMode = 2;

QPushButton *makeButton(const char *name, const QString &caption, QWidget *parent)
{
    auto *button = new QPushButton(caption, parent);
    button->setObjectName(QLatin1String(name));
    button->setMinimumWidth(75);
    return button;
}

TSaisieListe *makeFolderField(const char *name, QWidget *parent)
{
    auto *field = new TSaisieListe(parent);
    field->setObjectName(QLatin1String(name));
    field->setParametres(QStringLiteral("dfTout"));
    field->setReadOnly(true);   // a folder is chosen in the browser, never typed
    field->setAutoriseF4(false);
    field->setMinimumWidth(233);
    return field;
}

} // namespace

TforTransfertPhase1::TforTransfertPhase1(TParamAppli &settings, int mode, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
    , m_settings(settings)
    , m_mode(mode)
    , m_filtre(settings.folder())
{
    setObjectName(QStringLiteral("TforTransfertPhase1"));
    setWindowTitle(QStringLiteral("Lumaro - Paramétrage du transfert"));
    build();

    if (PhotoSources::isDeviceText(settings.LecteurCarte))
        setSource(settings.LecteurCarte);
    else
        slLecteurCarte->AffecterTexte(settings.LecteurCarte);
    slRepertoire->AffecterTexte(Paths::shownFolder(settings.RepertoirePhoto));
    cbLowQuality->setChecked(settings.ActiverLowQ);
    cbMiniature->setChecked(settings.MiniatureBatch());
    layOutForMode();
    saiNomPhoto->setFocus();
}

void TforTransfertPhase1::build()
{
    gbParametres = new QGroupBox(this);
    gbParametres->setObjectName(QStringLiteral("gbParametres"));

    slLecteurCarte = makeFolderField("slLecteurCarte", gbParametres);
    slRepertoire = makeFolderField("slRepertoire", gbParametres);
    saiNomPhoto = new TSaisie(gbParametres);
    saiNomPhoto->setObjectName(QStringLiteral("saiNomPhoto"));
    saiNomPhoto->setParametres(
        QStringLiteral("[dfNombre, dfSigne, dfSeparatDec, dfLettreMin, dfLettreMaj, dfLettreAcc, dfEspace, {#}]"));
    saiNomPhoto->setMinimumWidth(241);

    cbSeulementLowQ = new QCheckBox(QStringLiteral("Ne générer que les copies en basse résolution"), gbParametres);
    cbSeulementLowQ->setObjectName(QStringLiteral("cbSeulementLowQ"));
    cbLowQuality = new QCheckBox(QStringLiteral("Création automatique de copies en basse résolution"), gbParametres);
    cbLowQuality->setObjectName(QStringLiteral("cbLowQuality"));
    cbMiniature = new QCheckBox(QStringLiteral("Visualiser les miniatures des photos transférées"), gbParametres);
    cbMiniature->setObjectName(QStringLiteral("cbMiniature"));

    auto *grid = new QGridLayout(gbParametres);
    grid->setContentsMargins(12, 14, 12, 10);
    grid->setVerticalSpacing(10);
    const auto addRow = [grid](int row, const QString &caption, QWidget *field, QWidget *buddy) {
        auto *label = new QLabel(caption, field->parentWidget());
        label->setBuddy(buddy);
        grid->addWidget(label, row, 0);
        grid->addWidget(field, row, 1);
    };
    addRow(0, QStringLiteral("Chemin source :"), slLecteurCarte, slLecteurCarte);
    addRow(1, QStringLiteral("Répertoire des photos :"), slRepertoire, slRepertoire);
    addRow(2, QStringLiteral("Thème des photos :"), saiNomPhoto, saiNomPhoto);
    auto *boxes = new QVBoxLayout;
    boxes->setContentsMargins(20, 4, 0, 0);
    boxes->addWidget(cbSeulementLowQ);
    boxes->addWidget(cbLowQuality);
    boxes->addWidget(cbMiniature);
    grid->addLayout(boxes, 3, 0, 1, 2);
    grid->setColumnStretch(1, 1);

    butFiltre = makeButton("butFiltre", QStringLiteral("&Filtrer les photos"), this);
    butSuivant = makeButton("butSuivant", QStringLiteral("&Suivant"), this);
    butSuivant->setDefault(true); // Enter in the theme starts the search
    butAnnuler = makeButton("butAnnuler", QStringLiteral("&Arrêter"), this);
    butFiltre->setAutoDefault(false);
    butAnnuler->setAutoDefault(false);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(butFiltre);
    buttons->addStretch(1);
    buttons->addWidget(butSuivant);
    buttons->addWidget(butAnnuler);

    auto *main = new QVBoxLayout(this);
    main->setContentsMargins(8, 8, 8, 8);
    main->addWidget(gbParametres, 1);
    main->addSpacing(6);
    main->addLayout(buttons);

    connect(slLecteurCarte, &TSaisieListe::listeClick, this, &TforTransfertPhase1::slLecteurCarteListeClick);
    connect(slRepertoire, &TSaisieListe::listeClick, this, &TforTransfertPhase1::slRepertoireListeClick);
    connect(cbSeulementLowQ, &QCheckBox::toggled, this, &TforTransfertPhase1::cbSeulementLowQClick);
    connect(butFiltre, &QPushButton::clicked, this, &TforTransfertPhase1::butFiltreClick);
    connect(butSuivant, &QPushButton::clicked, this, &TforTransfertPhase1::butSuivantClick);
    connect(butAnnuler, &QPushButton::clicked, this, &TforTransfertPhase1::butAnnulerClick);
}

void TforTransfertPhase1::layOutForMode()
{
    const bool batch = m_mode == BatchMode;
    Help::setContext(this, batch ? Help::Context::BatchSetUp : Help::Context::PhotoByPhoto);
    // In photo-by-photo mode the window shows only the source, the destination and the theme;
    // the low-quality box keeps the value it took from the settings for the window that follows.
    cbSeulementLowQ->setVisible(batch);
    cbLowQuality->setVisible(batch);
    cbMiniature->setVisible(batch);
    // The designed sizes, or what the captions need with this system's fonts.
    layout()->activate();
    const QSize needed = minimumSizeHint();
    setFixedSize(qMax(395, needed.width()), qMax(batch ? 288 : 218, needed.height()));
}

void TforTransfertPhase1::setSource(const QString &folder)
{
    if (PhotoSources::isDeviceText(folder)) {
        m_deviceText = folder;
        slLecteurCarte->AffecterTexte(SourceChoices::shownText(folder));
        return;
    }
    m_deviceText.clear();
    slLecteurCarte->AffecterTexte(folder.isEmpty() ? folder : Paths::withSeparator(folder));
}

QString TforTransfertPhase1::sourceText() const
{
    const QString shown = slLecteurCarte->LireTexte();
    if (!m_deviceText.isEmpty() && shown == SourceChoices::shownText(m_deviceText))
        return m_deviceText;
    return shown;
}

void TforTransfertPhase1::chooseFolder()
{
    const FolderChoice choice =
        ChoisirRepertoire(QStringLiteral("Choisissez le répertoire contenant les photos à transférer"));
    if (choice.confirmed)
        setSource(choice.folder);
}

void TforTransfertPhase1::slLecteurCarteListeClick()
{
    if (m_busy)
        return;
    if (!m_sourceMenu) {
        m_sourceMenu = new QMenu(this);
        m_sourceMenu->setObjectName(QStringLiteral("menuSources"));
    }
    fillSourceMenu({}, true);
    // Detection opens every device for a moment: never on the window's thread.
    const int detection = ++m_detection;
    auto *watcher = new QFutureWatcher<QList<DetectedDevice>>(this);
    connect(watcher, &QFutureWatcher<QList<DetectedDevice>>::finished, this, [this, watcher, detection] {
        watcher->deleteLater();
        if (detection == m_detection && m_sourceMenu->isVisible())
            fillSourceMenu(watcher->result(), false);
    });
    const auto detect = m_detect ? m_detect : [] { return DeviceDetector::detect(DeviceDetector::Detail::Full); };
    watcher->setFuture(QtConcurrent::run(detect));
    m_sourceMenu->popup(slLecteurCarte->mapToGlobal(QPoint(0, slLecteurCarte->height())));
}

void TforTransfertPhase1::fillSourceMenu(const QList<DetectedDevice> &devices, bool searching)
{
    m_sourceMenu->clear();
    const QList<SourceChoice> choices = SourceChoices::fromDetected(devices);
    if (choices.isEmpty()) {
        QAction *none = m_sourceMenu->addAction(searching ? QStringLiteral("Recherche des appareils…")
                                                          : QStringLiteral("Aucun appareil branché"));
        none->setObjectName(QStringLiteral("actAucunAppareil"));
        none->setEnabled(false);
    }
    for (const SourceChoice &choice : choices) {
        QAction *action = m_sourceMenu->addAction(choice.label);
        action->setObjectName(QStringLiteral("actSource"));
        action->setData(choice.text);
        connect(action, &QAction::triggered, this, [this, text = choice.text] { setSource(text); });
    }
    m_sourceMenu->addSeparator();
    QAction *folder = m_sourceMenu->addAction(QStringLiteral("Autre dossier…"));
    folder->setObjectName(QStringLiteral("actAutreDossier"));
    // Once the menu has closed: the folder browser is a window of its own.
    connect(folder, &QAction::triggered, this, &TforTransfertPhase1::chooseFolder, Qt::QueuedConnection);
}

void TforTransfertPhase1::slRepertoireListeClick()
{
    const FolderChoice choice = ChoisirRepertoire(QStringLiteral("Choisissez le répertoire de destination des photos"));
    if (choice.confirmed)
        slRepertoire->AffecterTexte(Paths::withSeparator(choice.folder));
}

void TforTransfertPhase1::cbSeulementLowQClick()
{
    cbLowQuality->setEnabled(!cbSeulementLowQ->isChecked());
}

void TforTransfertPhase1::butFiltreClick()
{
    if (!m_busy)
        LancerSelectionPhoto(m_filtre, this);
}

void TforTransfertPhase1::butAnnulerClick()
{
    reject();
}

void TforTransfertPhase1::reject()
{
    // Nothing may close the dialog under its own search or transfer.
    if (!m_busy)
        QDialog::reject();
}

void TforTransfertPhase1::closeEvent(QCloseEvent *event)
{
    if (m_busy)
        event->ignore();
    else
        QDialog::closeEvent(event);
}

void TforTransfertPhase1::butSuivantClick()
{
    if (m_busy)
        return;
    const QString source = sourceText();
    const QString destination = slRepertoire->LireTexte();
    // An empty field would mean the root of the whole disk: never searched or written by accident.
    if (source.isEmpty() || destination.isEmpty()) {
        MessageInformation(QStringLiteral("Veuillez saisir un répertoire."));
        return;
    }

    m_busy = true;
    gbParametres->setEnabled(false);
    for (QPushButton *button : {butFiltre, butSuivant, butAnnuler})
        button->setEnabled(false);
    const auto reopen = [this] {
        m_busy = false;
        gbParametres->setEnabled(true);
        for (QPushButton *button : {butFiltre, butSuivant, butAnnuler})
            button->setEnabled(true);
    };

    QtUserInterface ui;
    QStringList photos, extraFiles;
    const bool device = PhotoSources::isDeviceText(source);
    std::shared_ptr<PhotoSource> photoSource;
    if (device) {
        photoSource = openDevice(source);
        if (!photoSource) {
            reopen();
            return;
        }
    } else {
        photoSource = std::make_shared<FolderSource>(Paths::withSeparator(source));
    }
    ShotMembers shots;
    try {
        if (device)
            RechercherPhotos(*photoSource, photoSource->root(), true, m_filtre, extraFiles, photos, m_settings, ui,
                             &shots);
        else
            RechercherPhotos(Paths::withSeparator(source), true, m_filtre, extraFiles, photos, m_settings, ui,
                             VolumeLocator(), &shots);
    } catch (const LumaroError &error) {
        photoSource->release();
        MessageErreur(error.message());
        reopen();
        return;
    }
    const QString folder = Paths::withSeparator(destination);
    if (photos.isEmpty())
        MessageInformation(QStringLiteral("Aucune photo à transférer !"));
    else
        transferPhotos(photos, shots, folder, saiNomPhoto->LireTexte(), photoSource);
    // Also when nothing was found and after a stopped transfer.
    if (!extraFiles.isEmpty())
        EnregistrerExtensionsSupp(folder, extraFiles, ui, *photoSource);
    // The transfer is over, extra files included: the desktop may take the device again.
    photoSource->release();
    reopen();
    accept();
}

std::shared_ptr<PhotoSource> TforTransfertPhase1::openDevice(const QString &text)
{
    SourceOpening opening;
    {
        QtUserInterface waitUi;
        WaitScope wait(waitUi, QStringLiteral("Connexion à l'appareil..."));
        opening = PhotoSources::open(text);
    }
    if (!opening.source) {
        MessageErreur(opening.message);
        return nullptr;
    }
    // Offered again next time, by its model and serial number.
    if (text != m_settings.LecteurCarte) {
        try {
            m_settings.rememberSource(text);
        } catch (const LumaroError &error) {
            MessageErreur(error.message());
        }
    }
    return opening.source;
}

void TforTransfertPhase1::transferPhotos(QStringList &photos, const ShotMembers &shots, const QString &destination,
                                         const QString &theme, const std::shared_ptr<PhotoSource> &source)
{
    if (m_mode == PhotoByPhotoMode) {
        // The low-quality box is hidden in this mode; it still carries the settings' choice.
        LancerTransfertPhoto(m_settings, photos, destination, theme, cbLowQuality->isChecked(), this, source, &shots);
        return;
    }
    try {
        m_settings.setMiniatureBatch(cbMiniature->isChecked());
    } catch (const LumaroError &error) {
        // The choice is in force for this transfer all the same: a settings file that cannot be
        // written is no reason to leave the photos on the card.
        MessageErreur(error.message());
    }
    LancerTransfertBatch(m_settings, photos, destination, theme, cbLowQuality->isChecked(),
                         cbSeulementLowQ->isChecked(), cbMiniature->isChecked(), this, source, &shots);
}
