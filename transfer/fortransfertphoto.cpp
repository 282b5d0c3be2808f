#include "transfer/fortransfertphoto.h"

#include "controls/videoplaceholder.h"

#include "controls/togglebutton.h"
#include "controls/grid/extendedgrid.h"
#include "controls/photoimage.h"
#include "controls/saisiedate.h"
#include "controls/saisieheure.h"
#include "controls/wrappednamelabel.h"
#include "core/exif/datetimevalue.h"
#include "core/exif/exifdate.h"
#include "core/settings/paramappli.h"
#include "dialogs/helpwindow.h"
#include "slideshow/fordiaporama.h"
#include "dialogs/messages.h"
#include "transfer/cardejectbutton.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QFontMetrics>
#include <QFileInfo>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QProgressBar>
#include <QPushButton>
#include <QResizeEvent>
#include <QScreen>
#include <QStackedLayout>
#include <QTimer>
#include <QToolButton>

#include <cmath>

namespace {

bool maximisedMode(int mode)
{
    return mode == 1 || mode == 3;
}

bool simplifiedMode(int mode)
{
    return mode == 2 || mode == 3;
}

} // namespace

TforTransfertPhoto::TforTransfertPhoto(TParamAppli &settings, QStringList &photos, const QString &destination,
                                       const QString &theme, bool lowQuality, QWidget *parent,
                                       const ShotMembers *shots)
    : QDialog(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinMaxButtonsHint
                          | Qt::WindowCloseButtonHint)
    , m_settings(settings)
    , m_session(settings, photos, destination, theme, shots)
{
    m_preloader.setFormatReader(m_session.formatReader());
    setObjectName(QStringLiteral("TforTransfertPhoto"));
    setWindowTitle(QStringLiteral("Lumaro"));
    Help::setContext(this, Help::Context::PhotoByPhoto);
    build();
    setMinimumSize(799, 595);
    resize(799, 595);

    // The toggles start from the settings (EXIF management off: both up and disabled) and,
    // for the low-quality copy, from the set-up dialog.
    sbRotationAutomatique->setEnabled(m_session.exifManaged());
    sbExportExif->setEnabled(m_session.exifManaged());
    sbRotationAutomatique->setChecked(m_session.automaticRotation());
    sbExportExif->setChecked(m_session.exportExif());
    sbLowQuality->setChecked(lowQuality);
    m_session.setLowQuality(lowQuality);
    sbAgrandirEcran->setToolTip(QStringLiteral("Passer en mode affichage simplifié."));

    connect(actPrecedent, &QAction::triggered, this, &TforTransfertPhoto::butPrecedentClick);
    connect(actSuivant, &QAction::triggered, this, &TforTransfertPhoto::butSuivantClick);
    connect(actTransfert, &QAction::triggered, this, &TforTransfertPhoto::butTransfertClick);
    connect(actBasseQualite, &QAction::triggered, this, &TforTransfertPhoto::actBasseQualiteExecute);
    connect(actArreter, &QAction::triggered, this, &TforTransfertPhoto::butAnnulerClick);
    connect(sbRotationDroite, &QToolButton::clicked, this, &TforTransfertPhoto::sbRotationDroiteClick);
    connect(sbRotationGauche, &QToolButton::clicked, this, &TforTransfertPhoto::sbRotationGaucheClick);
    connect(sbAgrandirEcran, &QToolButton::toggled, this, &TforTransfertPhoto::sbAgrandirEcranClick);
    connect(sbRotationAutomatique, &QToolButton::toggled, this, [this](bool on) { m_session.setAutomaticRotation(on); });
    connect(sbLowQuality, &QToolButton::toggled, this, [this](bool on) { m_session.setLowQuality(on); });
    connect(sbExportExif, &QToolButton::toggled, this, [this](bool on) { m_session.setExportExif(on); });
    connect(saiNomPhoto, &QComboBox::editTextChanged, this, &TforTransfertPhoto::saiNomPhoto2Change);
    connect(butChangeDatePhoto, &QPushButton::clicked, this, &TforTransfertPhoto::butChangeDatePhotoClick);
    connect(sdDatePhoto, &QLineEdit::textChanged, this, &TforTransfertPhoto::sdDatePhotoChange);
    connect(shHeurePhoto, &TSaisieHeure::change, this, &TforTransfertPhoto::sdDatePhotoChange);
}

TforTransfertPhoto::~TforTransfertPhoto() = default;

QImage TforTransfertPhoto::picture() const
{
    return imaPhoto->picture();
}

void TforTransfertPhoto::InitialiserAffichage()
{
    if (simplifiedMode(m_settings.ModeAffichagePP))
        sbAgrandirEcran->setChecked(true);
    pbGauge->setMinimum(1);
    pbGauge->setMaximum(m_session.total());
    pbGauge->setValue(1);
    saiNomPhoto->addItem(m_session.theme());
    saiNomPhoto->setCurrentIndex(0);
    m_session.showCurrent();
    AfficherPhotoCourante();
}

void TforTransfertPhoto::updateNavigation()
{
    actSuivant->setEnabled(m_session.hasNext());
    actPrecedent->setEnabled(m_session.hasPrevious());
}

void TforTransfertPhoto::AfficherPhotoCourante()
{
    const QString path = m_session.source();
    m_preloader.setTarget(imaPhoto->size() * imaPhoto->devicePixelRatioF());
    try {
        m_decoded = m_session.isVideo() ? videoPlaceholder(imaPhoto->size().boundedTo(QSize(640, 480)), m_session.durationMs())
                                        : m_preloader.load(path).picture;
    } catch (const LumaroError &error) {
        // The photo is passed by or transferred as it is; only its picture is missing.
        m_decoded = QImage();
        MessageErreur(QStringLiteral("Erreur lors de l'ouverture du fichier ") + path + QStringLiteral(".\n")
                      + error.message());
    }
    RemplirGrilleExif();
    gbInfoPhoto->setTitle(QStringLiteral("Photo %1 / %2").arg(m_session.NumeroPhoto()).arg(m_session.total()));
    labNomPhoto->setText(path);
    m_dates->setCurrentWidget(panAfficheDatePhoto); // moving to another photo closes the editor
    labDatePhoto->setText(QLocale(QLocale::French, QLocale::France)
                              .toString(DateValue::toDateTime(m_session.DateLue()),
                                        QStringLiteral("ddd dd MMM yyyy 'à' HH:mm:ss")));
    saiNomPhoto2Change();
    showPicture();
    updateNavigation();
    updateTurnButtons();
    // The neighbours are decoded on a worker thread while the user looks at this one.
    if (!m_lookAhead) {
        m_preloader.preload({});
        return;
    }
    const int n = m_session.NumeroPhoto();
    QStringList around{path};
    if (m_session.hasNext())
        around << m_session.sourceAt(n + 1);
    if (m_session.hasPrevious())
        around << m_session.sourceAt(n - 1);
    m_preloader.preload(around);
}

void TforTransfertPhoto::updateTurnButtons()
{
    if (!m_settings.AutresFormats)
        return;
    // RAW, HEIF and video files are never rewritten: a shot turns by its JPEG alone.
    const bool turnable = m_session.turnable();
    const bool withOthers = m_session.members().size() > 1;
    const QString note = turnable ? QStringLiteral("La rotation ne s'applique qu'à la photo JPEG")
                                  : QStringLiteral("Pas de rotation : les photos RAW, HEIF et les vidéos ne sont jamais "
                                                   "réécrites, la rotation ne s'applique qu'à la photo JPEG");
    const auto tip = [&](const QString &base) { return turnable && !withOthers ? base : base + u'\n' + note; };
    sbRotationDroite->setEnabled(turnable);
    sbRotationGauche->setEnabled(turnable);
    sbRotationDroite->setToolTip(tip(QStringLiteral("Rotation de 90° dans le sens des aiguilles d'une montre")));
    sbRotationGauche->setToolTip(tip(QStringLiteral("Rotation de 90° dans le sens inverse des aiguilles d'une montre")));
}

void TforTransfertPhoto::showPicture()
{
    imaPhoto->setPicture(m_decoded.isNull() || m_session.AnglePhoto() == 0
                             ? m_decoded
                             : Imaging::turnedPicture(m_decoded, m_session.AnglePhoto()));
}

void TforTransfertPhoto::RemplirGrilleExif()
{
    const TListeInformationExif &exif = m_session.InfosExif();
    egInfoExif->setRowCount(exif.Count() + 1);
    const QFontMetrics metrics(egInfoExif->font());
    m_widestExifName = 0;
    for (int i = 0; i < exif.Count(); ++i) {
        egInfoExif->setCells(0, i + 1, exif.Items(i).Nom);
        egInfoExif->setCells(1, i + 1, exif.Items(i).Valeur);
        m_widestExifName = qMax(m_widestExifName, metrics.horizontalAdvance(exif.Items(i).Nom));
    }
    fitExifColumns();
}

void TforTransfertPhoto::fitExifColumns()
{
    // The values keep their 160 pixels; a name such as "Date and Time (digitized)" that does not
    // fit in its 130 pixels takes the room the panel has left beside them instead of being cut.
    constexpr int nameWidth = 130;
    constexpr int valueWidth = 160;
    constexpr int cellPadding = 12;
    const int room = egInfoExif->viewport()->width() - valueWidth - 2;
    egInfoExif->Colonnes().Items(0).setLargeur(qBound(nameWidth, m_widestExifName + cellPadding, qMax(nameWidth, room)));
}

void TforTransfertPhoto::sbRotationDroiteClick()
{
    m_session.rotateRight();
    showPicture();
}

void TforTransfertPhoto::sbRotationGaucheClick()
{
    m_session.rotateLeft();
    showPicture();
}

void TforTransfertPhoto::sbAgrandirEcranClick()
{
    const bool simplified = sbAgrandirEcran->isChecked();
    sbAgrandirEcran->setToolTip(simplified ? QStringLiteral("Revenir à un affichage standard.")
                                           : QStringLiteral("Passer en mode affichage simplifié."));
    panInfoExif->setVisible(!simplified);
    panSaisie->setVisible(!simplified);
}

void TforTransfertPhoto::saiNomPhoto2Change()
{
    m_session.setTheme(saiNomPhoto->currentText());
    m_nomFinal = m_session.NomFinal();
    labNomFinalPhoto->setText(QFileInfo(m_nomFinal).fileName());
    labNomFinalPhoto->setToolTip(m_nomFinal);
}

void TforTransfertPhoto::saiNomPhotoExit()
{
    const QString theme = saiNomPhoto->currentText();
    if (saiNomPhoto->findText(theme, Qt::MatchFixedString) < 0) {
        saiNomPhoto->addItem(theme);
        m_session.rememberTheme(theme);
    }
}

void TforTransfertPhoto::butChangeDatePhotoClick()
{
    // Opening starts from the photo's own date; closing puts it back. The editor holds hours and
    // minutes: either way the seconds become 0, which a name that shows them tells at once.
    m_session.restoreDate();
    const double date = m_session.DatePriseDeVue();
    const double day = std::floor(date);
    sdDatePhoto->EcrireDate(day);
    shHeurePhoto->EcrireHeure(day + std::floor((date - day) * 1440.0 + 1e-7) / 1440.0);
    sdDatePhotoChange();
    m_dates->setCurrentWidget(m_dates->currentWidget() == panAfficheDatePhoto ? panSaisieDatePhoto
                                                                               : panAfficheDatePhoto);
}

void TforTransfertPhoto::sdDatePhotoChange()
{
    const double day = sdDatePhoto->LireDate();
    if (DateValue::isNone(day))
        return; // an editor holding no date leaves the last valid date in force
    const double minutes = std::floor(shHeurePhoto->LireHeure() * 1440.0 + 0.5);
    m_session.setDatePriseDeVue(std::floor(day) + minutes / 1440.0);
    saiNomPhoto2Change();
}

void TforTransfertPhoto::butSuivantClick()
{
    if (m_busy || !m_session.hasNext())
        return;
    m_session.next();
    pbGauge->setValue(pbGauge->value() + 1);
    AfficherPhotoCourante();
}

void TforTransfertPhoto::butPrecedentClick()
{
    if (m_busy || !m_session.hasPrevious())
        return;
    m_session.previous();
    pbGauge->setValue(pbGauge->value() - 1);
    AfficherPhotoCourante();
}

void TforTransfertPhoto::AfficherCopieEnCours(bool on)
{
    m_saisie->setCurrentWidget(on ? static_cast<QWidget *>(gbCopy) : gbParametreTransfert);
}

void TforTransfertPhoto::runCopy(const std::function<PhotoByPhotoSession::After()> &copy)
{
    if (m_busy)
        return;
    m_busy = true;
    const QList<QWidget *> inputs = {sbRotationAutomatique, sbRotationDroite, sbRotationGauche, sbLowQuality,
                                     sbExportExif, saiNomPhoto, butChangeDatePhoto, panSaisieDatePhoto,
                                     sbAgrandirEcran};
    const QList<QAction *> actions = {actPrecedent, actBasseQualite, actTransfert, actSuivant, actArreter};
    QList<bool> enabled;
    for (QAction *action : actions) {
        enabled << action->isEnabled();
        action->setEnabled(false);
    }
    for (QWidget *input : inputs)
        input->setEnabled(false);
    labInfoCopy->setText(m_nomFinal);
    AfficherCopieEnCours(true);
    QApplication::processEvents(); // the wait group is drawn before the copy starts

    const PhotoByPhotoSession::After after = copy();

    // What the user clicked or typed during the copy reaches disabled controls: dropped.
    QApplication::processEvents();
    for (QWidget *input : inputs)
        input->setEnabled(true);
    sbRotationAutomatique->setEnabled(m_session.exifManaged());
    sbExportExif->setEnabled(m_session.exifManaged());
    updateTurnButtons();
    for (qsizetype i = 0; i < actions.size(); ++i)
        actions[i]->setEnabled(enabled[i]);
    m_busy = false;
    AfficherCopieEnCours(false);
    afterCopy(after);
}

void TforTransfertPhoto::afterCopy(PhotoByPhotoSession::After after)
{
    switch (after) {
    case PhotoByPhotoSession::After::NextPhoto:
        pbGauge->setValue(pbGauge->value() + 1);
        AfficherPhotoCourante();
        break;
    case PhotoByPhotoSession::After::Finished:
        ProposerDiaporama();
        finish();
        break;
    case PhotoByPhotoSession::After::SamePhoto:
        updateNavigation();
        break;
    }
}

void TforTransfertPhoto::butTransfertClick()
{
    const QString target = m_nomFinal;
    runCopy([this, target] {
        // The transferred photo's file is gone or changed: its decoded picture too.
        m_preloader.forget(m_session.source());
        return m_session.transfer(target, m_ui);
    });
}

void TforTransfertPhoto::actBasseQualiteExecute()
{
    runCopy([this] { return m_session.lowQualityOnly(m_ui); });
}

void TforTransfertPhoto::setSource(std::shared_ptr<PhotoSource> source)
{
    m_source = source;
    m_session.setSource(source);
    m_preloader.setSource(std::move(source));
}

void TforTransfertPhoto::setCardEject(const CardEject &eject)
{
    butEjecter->setCardEject(eject);
}

void TforTransfertPhoto::butAnnulerClick()
{
    if (m_busy)
        return;
    if (m_ejectOffered) {
        finish();
        return;
    }
    if (m_session.stopNeedsConfirmation()
        && !MessageConfirmation(QStringLiteral("Confirmez vous l'arrêt du transfert ?")))
        return;
    ProposerDiaporama();
    finish();
}

void TforTransfertPhoto::ProposerDiaporama()
{
    if (!m_settings.Executer || m_session.PhotosTransferees().isEmpty())
        return;
    QStringList written = m_session.PhotosTransferees();
    LancerDiaporama(m_settings, written);
}

void TforTransfertPhoto::finish()
{
    if (!m_ejectOffered) {
        // A removable card: ejected now, or the window stays open to offer it.
        if (butEjecter->offer(m_source.get(), m_settings.EjecterCarte)) {
            m_ejectOffered = true;
            for (QAction *action : {actPrecedent, actBasseQualite, actTransfert, actSuivant})
                action->setEnabled(false);
            panSaisie->setEnabled(false);
            connect(butEjecter, &CardEjectButton::ejected, this, [this] {
                m_finished = true;
                accept();
            });
            return;
        }
    }
    m_finished = true;
    accept();
}

void TforTransfertPhoto::reject()
{
    // Escape is the stop button; the close box ends the window at once (closeEvent).
    if (!m_finished)
        butAnnulerClick();
}

void TforTransfertPhoto::closeEvent(QCloseEvent *event)
{
    if (m_busy) {
        event->ignore();
        return;
    }
    // Closed by its title bar: at once, without question or slideshow.
    m_finished = true;
    event->accept();
    done(QDialog::Rejected);
}

void TforTransfertPhoto::resizeEvent(QResizeEvent *event)
{
    QDialog::resizeEvent(event);
    fitExifColumns();
    update();
}

bool TforTransfertPhoto::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == saiNomPhoto && event->type() == QEvent::FocusOut)
        saiNomPhotoExit();
    return QDialog::eventFilter(watched, event);
}

int LancerTransfertPhoto(TParamAppli &settings, QStringList &photos, const QString &destination,
                         const QString &theme, bool lowQuality, QWidget *parent, std::shared_ptr<PhotoSource> source,
                         const ShotMembers *shots)
{
    TforTransfertPhoto window(settings, photos, destination, theme, lowQuality, parent, shots);
    window.setSource(std::move(source));
    if (maximisedMode(settings.ModeAffichagePP)) {
        window.setWindowState(window.windowState() | Qt::WindowMaximized);
    } else if (const QScreen *screen = parent ? parent->screen() : QGuiApplication::primaryScreen()) {
        window.move(screen->availableGeometry().center() - window.rect().center());
    }
    // The first photo once the window is shown: its picture is decoded for the size the window
    // really takes.
    QTimer::singleShot(0, &window, [&window] { window.InitialiserAffichage(); });
    return window.exec();
}
