#include "core/workflows/slideshowplayer.h"

#include "core/files/filesystem.h"
#include "core/formats/filekind.h"
#include "core/naming/namemask.h"
#include "core/operations/lowqualitycopy.h"
#include "core/imaging/imaging.h"
#include "core/settings/paramappli.h"
#include "core/operations/photooperations.h"
#include "core/userinterface.h"

namespace {

QString openingError(const QString &path, const QString &reason)
{
    return QStringLiteral("Erreur lors de l'ouverture du fichier ") + path + QStringLiteral(".\n") + reason;
}

// The file is gone afterwards, whether this call removed it or it had already gone.
bool removeFile(const QString &path)
{
    FileSystem::remove(path);
    return !FileSystem::exists(path);
}

} // namespace

SlideshowPlayer::SlideshowPlayer(QStringList &photos, const TParamAppli &settings, SlideshowView &view,
                                 UserInterface &ui, QObject *parent)
    : QObject(parent)
    , m_sequence(photos, settings.Boucler)
    , m_pacer(settings.Tempo)
    , m_settings(settings)
    , m_view(view)
    , m_ui(ui)
    , m_autoAdvance(settings.ActiverDiaporama)
{
    connect(&m_pacer, &SlideshowPacer::tick, this, &SlideshowPlayer::timerTick);
    connect(&m_loader, &SlideshowLoader::ready, this, &SlideshowPlayer::pictureReady);
}

SlideshowPlayer::~SlideshowPlayer()
{
    m_pacer.shutdown();
}

QString SlideshowPlayer::caption() const
{
    return QStringLiteral("(Photo %1 / %2) - %3")
        .arg(QString::number(m_sequence.IndicePhoto() + 1), QString::number(m_sequence.count()), m_sequence.current());
}

void SlideshowPlayer::setLookAhead(bool on)
{
    m_lookAhead = on;
    if (!on)
        m_loader.invalidate();
    else if (accepting() && m_sequence.IndicePhoto() >= 0)
        m_loader.prefetch(m_sequence.following(), m_view.pictureArea());
}

void SlideshowPlayer::start()
{
    if (m_finished || m_sequence.IndicePhoto() >= 0)
        return;
    if (m_sequence.isEmpty()) {
        finish();
        m_view.closePlayer();
        return;
    }
    m_sequence.next();
    AfficherPhoto();
}

void SlideshowPlayer::PhotoSuivante()
{
    if (!accepting())
        return;
    if (m_sequence.next() == SlideshowSequence::Advance::EndReached)
        TerminerDiaporama();
    else
        AfficherPhoto();
}

void SlideshowPlayer::PhotoPrecedente()
{
    if (accepting() && m_sequence.previous())
        AfficherPhoto();
}

void SlideshowPlayer::backToStart()
{
    if (accepting() && m_sequence.first())
        AfficherPhoto();
}

void SlideshowPlayer::goToEnd()
{
    if (accepting() && m_sequence.last())
        AfficherPhoto();
}

void SlideshowPlayer::quit()
{
    if (accepting())
        TerminerDiaporama();
}

void SlideshowPlayer::TerminerDiaporama()
{
    m_pacer.disable();
    m_busy = true;
    const bool quit = m_ui.askConfirmation(QStringLiteral("Quitter le diaporama ?"));
    if (quit && !m_finished) {
        finish();
        m_view.closePlayer();
        return;
    }
    endBusy();
}

void SlideshowPlayer::AfficherPhoto()
{
    // The delay runs from the moment the photo is on the screen, however long it took to load.
    m_pacer.disable();
    m_busy = true;
    m_view.showCaption(caption());
    m_loader.request(m_sequence.current(), m_view.pictureArea());
}

void SlideshowPlayer::pictureReady(const SlideshowPicture &picture)
{
    if (m_finished || picture.path != m_sequence.current())
        return;
    m_picture = picture;
    m_viewAngle = 0;
    const QSize area = m_view.pictureArea();
    if (m_picture.isDecoded() && (m_picture.area != area || m_picture.shown.isNull())) {
        m_picture.shown = fittedPicture(m_picture.decoded, area);
        m_picture.area = area;
    }
    m_view.showPicture(m_picture.shown);
    if (!m_picture.isDecoded()) {
        m_ui.showError(openingError(picture.path, picture.error));
        if (m_finished)
            return;
    }
    m_view.showNavigation(m_sequence.canGoBack(), m_sequence.canGoForward());
    endBusy();
    if (m_lookAhead)
        m_loader.prefetch(m_sequence.following(), area);
    emit photoDisplayed();
}

void SlideshowPlayer::timerTick()
{
    if (m_autoAdvance && !m_rotating)
        PhotoSuivante();
}

bool SlideshowPlayer::showTurned(const QImage &turned)
{
    const QImage shown = fittedPicture(turned, m_view.pictureArea());
    if (shown.isNull()) {
        m_ui.showError(QStringLiteral("Erreur convert.\n") + Imaging::errorText(Imaging::ErrorCode::OutOfMemory));
        return false;
    }
    m_view.showPicture(shown);
    return true;
}

void SlideshowPlayer::TournerPhoto(int angle)
{
    if (!accepting() || (angle != 90 && angle != 270))
        return;
    // The timer keeps counting; its ticks wait for the turn to end.
    m_rotating = true;
    m_busy = true;
    const QString path = m_sequence.current();
    if (!m_picture.isDecoded() || m_picture.path != path) {
        // The photo did not load when it was shown: only what loads now may be turned.
        SlideshowPicture reloaded = prepareSlideshowPicture(path, m_view.pictureArea(), m_loader.formatReader());
        if (!reloaded.isDecoded()) {
            m_ui.showError(openingError(path, reloaded.error));
            endRotation();
            return;
        }
        m_picture = reloaded;
        m_viewAngle = 0;
    }

    // Every turn starts from the file as it is on disk: unsaved turns do not add up.
    QImage turned;
    try {
        turned = Imaging::turnedPicture(m_picture.decoded, angle);
    } catch (const LumaroError &error) {
        m_ui.showError(QStringLiteral("Erreur convert.\n") + error.message());
    }
    if (turned.isNull() || !showTurned(turned)) {
        endRotation();
        return;
    }
    if (!m_saveRotations) {
        m_viewAngle = angle;
        endRotation();
        return;
    }

    try {
        // A HEIF or RAW file is never rewritten: it keeps the orientation the camera wrote.
        if (isProbedKind(fileKindOf(path)))
            throw LumaroError(QStringLiteral("La photo %1 n'est pas une photo JPEG : elle ne peut pas être tournée sans "
                                             "être réécrite. La rotation ne s'applique qu'aux photos JPEG.")
                                  .arg(path));
        RotationSansPerte(path, angle);
    } catch (const LumaroError &error) {
        // The file is as it was: so is the screen.
        m_ui.showError(error.message());
        QImage before = m_picture.decoded;
        if (m_viewAngle != 0)
            before = Imaging::turnedPicture(before, m_viewAngle);
        showTurned(before);
        endRotation();
        return;
    }
    m_loader.invalidate();
    m_picture.decoded = turned;
    m_viewAngle = 0;

    // An existing low-quality copy follows its photo.
    const QString lowQuality = NomBasseQualite(m_settings, path);
    if (!lowQuality.isEmpty() && FileSystem::status(lowQuality)) {
        try {
            ::EnregistrerBasseQualite(m_settings, path, lowQuality, 0);
        } catch (const LumaroError &error) {
            m_ui.showError(error.message());
        }
    }
    endRotation();
}

void SlideshowPlayer::endRotation()
{
    m_rotating = false;
    m_busy = false;
    if (m_lookAhead && !m_finished)
        m_loader.prefetch(m_sequence.following(), m_view.pictureArea());
}

void SlideshowPlayer::SupprimerPhoto()
{
    if (!accepting())
        return;
    m_pacer.disable();
    m_busy = true;
    if (!m_ui.askConfirmation(QStringLiteral("Supprimer la photo définitivement ?"))) {
        endBusy();
        return;
    }
    const QString path = m_sequence.current();
    if (!removeFile(path)) {
        // The photo is still there: so are its entry and its low-quality copy.
        m_ui.showError(QStringLiteral("Impossible de supprimer le fichier ") + path + QStringLiteral("."));
        endBusy();
        return;
    }
    const QString lowQuality = NomBasseQualite(m_settings, path);
    if (!lowQuality.isEmpty() && FileSystem::status(lowQuality))
        FileSystem::remove(lowQuality);
    m_loader.invalidate();
    m_picture = SlideshowPicture();
    if (m_sequence.removeCurrent() == SlideshowSequence::Removal::ListEmpty) {
        finish();
        m_view.closePlayer();
        return;
    }
    AfficherPhoto();
}

void SlideshowPlayer::saveLowQualityCopy()
{
    if (!accepting())
        return;
    m_pacer.disable();
    m_busy = true;
    const QString path = m_sequence.current();
    try {
        if (isProbedKind(fileKindOf(path))) {
            // From the HEIF's image or the RAW's preview, upright, named as a JPEG's would be.
            const LowQualityCopy copy = LowQualityCopy::makeFromFormat(
                LowQualityCopy::Options::fromSettings(m_settings), *m_loader.formatReader(), path,
                FileSystem::lastModified(path));
            ::EnregistrerBasseQualite(m_settings, path,
                                      NomBasseQualite(m_settings, memberDestination(path, QStringLiteral(".JPG"))), 0,
                                      &copy);
        } else {
            ::EnregistrerBasseQualite(m_settings, path, NomBasseQualite(m_settings, path), 0);
        }
    } catch (const LumaroError &error) {
        m_ui.showError(error.message());
    } catch (const std::exception &error) {
        m_ui.showError(QString::fromLocal8Bit(error.what()));
    }
    endBusy();
}

void SlideshowPlayer::endBusy()
{
    m_busy = false;
    if (!m_finished)
        m_pacer.enable();
}

void SlideshowPlayer::areaChanged()
{
    if (m_finished || !m_picture.isDecoded())
        return;
    const QSize area = m_view.pictureArea();
    QImage picture = m_picture.decoded;
    if (m_viewAngle != 0)
        picture = Imaging::turnedPicture(picture, m_viewAngle);
    m_picture.shown = fittedPicture(picture, area);
    m_picture.area = area;
    m_view.showPicture(m_picture.shown);
    if (m_lookAhead && !m_busy)
        m_loader.prefetch(m_sequence.following(), area);
}

void SlideshowPlayer::finish()
{
    m_finished = true;
    m_pacer.shutdown();
    m_loader.cancel();
}
