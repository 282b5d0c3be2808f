#include "core/workflows/batchtransfer.h"

#include "core/error.h"
#include "core/exif/exifdate.h"
#include "core/files/filesystem.h"
#include "core/formats/formatreader.h"
#include "core/settings/paramappli.h"
#include "core/userinterface.h"
#include "core/workflows/batchpipeline.h"

#include <QLocale>

namespace {

// Passes everything through but keeps the last information text, so that the batch can
// fold a transfer's own message into the one it shows when it has to stop.
class HeldMessages : public UserInterface {
public:
    explicit HeldMessages(UserInterface &target) : m_target(target) {}
    void showError(const QString &text) override { m_target.showError(text); }
    void showInformation(const QString &text) override { m_held = text; }
    bool askConfirmation(const QString &text) override { return m_target.askConfirmation(text); }
    int openWait(const QString &title, const QString &text) override { return m_target.openWait(title, text); }
    void setWaitText(int handle, const QString &title, const QString &text) override
    {
        m_target.setWaitText(handle, title, text);
    }
    void closeWait(int handle) noexcept override { m_target.closeWait(handle); }
    void processEvents() override { m_target.processEvents(); }

    // Shows what was held, if anything.
    void release()
    {
        if (!m_held.isEmpty())
            m_target.showInformation(std::exchange(m_held, QString()));
    }
    const QString &held() const { return m_held; }

private:
    UserInterface &m_target;
    QString m_held;
};

// A file answers to the name, through a link that leads somewhere.
bool fileExists(const QString &path)
{
    return FileSystem::status(path).has_value();
}

QString folderOfAbsolute(const QString &path)
{
    return FileSystem::folderOf(FileSystem::absolutePath(path));
}

} // namespace

BatchTransfer::BatchTransfer(const TParamAppli &settings, UserInterface &ui, QStringList &photos, BatchOptions options,
                             const ShotMembers *shots)
    : m_settings(settings), m_ui(ui), m_photos(photos), m_options(std::move(options)), m_shots(shots)
{
    // The probes start only when a RAW, HEIF or video file is read.
    if (m_settings.AutresFormats) {
        FormatReader::Options formats;
        formats.probeProgram = m_options.probeProgram;
        m_formats = std::make_unique<FormatReader>(formats);
    }
}

// Waits for what the workers are doing: they read sources the caller may delete next.
BatchTransfer::~BatchTransfer() = default;

QString BatchTransfer::formatDate(double date)
{
    const auto clock = ExifDate::split(date);
    if (!clock)
        return QString();
    // The window speaks French whatever the system's language: so does its date line.
    return QLocale(QLocale::French, QLocale::France)
        .toString(QDateTime(clock->date, clock->time), QStringLiteral("dddd dd MMMM yyyy 'à' HH:mm:ss"));
}

void BatchTransfer::requestStop(StopKind kind)
{
    // A signal's immediate stop is never weakened into a question by a later button press.
    if (!m_stopRequested || kind == StopKind::Immediate)
        m_stopKind = kind;
    m_stopRequested = true;
}

BatchTransfer::Result BatchTransfer::run(BatchObserver *observer)
{
    Result result;
    if (m_started)
        return result;
    m_started = true;
    m_total = int(m_photos.size());
    // The settings as they are when the batch starts, for the workers.
    m_pipeline = std::make_unique<BatchPipeline>(m_settings, m_options, m_shots, m_formats.get());
    if (fromDevice())
        m_deletions = std::make_unique<DeviceDeletions>(m_options.source);

    while (m_index < m_photos.size()) {
        if (!processPhoto(observer)) {
            result.end = End::Aborted;
            break;
        }
        m_ui.processEvents();
        if (m_stopRequested && askToStop(result))
            break;
    }
    // What was written ahead of a stop leaves nothing behind.
    m_pipeline.reset();
    applyDeletions(true);
    // Unplugged while the camera deleted the last photos: they are safe, the batch ends there.
    if (m_deviceWentAway && m_abortMessage.isEmpty()) {
        abort(Reason::SourceGone, QString());
        result.end = End::Aborted;
    }
    if (result.end == End::Completed)
        result.slideshowWanted = m_settings.Executer && !m_written.isEmpty();
    result.failures = m_failures;
    return result;
}

bool BatchTransfer::askToStop(Result &result)
{
    if (m_stopKind == StopKind::Immediate) {
        result.end = End::Stopped;
        return true;
    }
    if (!m_ui.askConfirmation(QStringLiteral("Confirmez-vous l'arrêt du transfert ?"))) {
        m_stopRequested = false;
        return false;
    }
    result.end = End::Stopped;
    // Nothing written, nothing to show: no question about a slideshow of nothing.
    if (!m_written.isEmpty())
        result.slideshowWanted =
            m_ui.askConfirmation(QStringLiteral("Voulez vous avoir un diaporama des photos transférées ?"));
    return true;
}

BatchPhoto BatchTransfer::describe(const BatchFlight &flight)
{
    const BatchPreparation &preparation = flight.preparation;
    BatchPhoto photo;
    photo.number = m_number;
    photo.total = m_total;
    photo.source = flight.source;
    // A device gone is told once, by the stop of the batch.
    if (!preparation.openError.isEmpty() && preparation.readOutcome.status != DeviceStatus::Gone)
        m_ui.showError(QStringLiteral("Erreur lors de l'ouverture du fichier ") + flight.source + QStringLiteral(".\r")
                       + preparation.openError);
    photo.date = preparation.date;
    photo.angle = preparation.angle;
    photo.thumbnail = preparation.thumbnail;
    photo.video = preparation.video;
    photo.durationMs = preparation.durationMs;
    photo.members = flight.members;
    photo.destination = flight.destination;
    return photo;
}

void BatchTransfer::applyDeletions(bool waitForAll)
{
    if (!m_deletions)
        return;
    for (const DeviceDeletions::Done &done : waitForAll ? m_deletions->waitForAll() : m_deletions->takeDone()) {
        if (done.outcome.ok()) {
            // Its turn is past: the photos after it move up by one.
            const qsizetype at = m_photos.indexOf(done.photo);
            if (at >= 0 && at < m_index) {
                m_photos.removeAt(at);
                --m_index;
            }
        } else if (done.outcome.status == DeviceStatus::DeletionRefused && !m_deletionRefusedTold) {
            // One message for the whole batch: the photos stay on the device, the copies go on.
            m_deletionRefusedTold = true;
            m_ui.showInformation(done.outcome.message);
        } else if (done.outcome.status == DeviceStatus::Gone) {
            m_deviceWentAway = true;
        }
    }
}

bool BatchTransfer::processPhoto(BatchObserver *observer)
{
    applyDeletions(false);
    if (m_index >= m_photos.size())
        return true;
    const QString source = m_photos.at(m_index);
    if (sourceGone(source)) {
        abort(Reason::SourceGone, QString());
        return false;
    }
    ++m_number;
    BatchFlight &flight = m_pipeline->front(m_photos, m_index, m_number);
    BatchPhoto photo = describe(flight);
    if (observer)
        observer->photoStarted(photo);
    m_ui.processEvents();

    const bool written = m_options.lowQualityOnly ? writeLowQualityOnly(photo, flight) : transfer(photo, flight);
    m_pipeline->popFront();
    if (observer)
        observer->photoFinished(photo, written);
    if (!m_abortMessage.isEmpty())
        return false;
    if (!written)
        ++m_failures;
    return true;
}

bool BatchTransfer::reportUnread(BatchPhoto &photo, const BatchFlight &flight)
{
    ++m_index;
    const DeviceOutcome &outcome = flight.preparation.readOutcome;
    if (outcome.status == DeviceStatus::Gone) {
        abort(Reason::SourceGone, QString());
        return false;
    }
    HeldMessages held(m_ui);
    held.showInformation(QStringLiteral("Erreur pendant le transfert de la photo : \n") + outcome.message);
    if (stopsEverything(photo.source, held.held()))
        return false;
    held.release();
    return false;
}

bool BatchTransfer::transfer(BatchPhoto &photo, BatchFlight &flight)
{
    if (!flight.transfer)
        return reportUnread(photo, flight);
    m_pipeline->waitForFront(m_photos, m_index, m_number, m_ui);
    if (flight.transfer->failed() && m_pipeline->speculating()) {
        // The photos written behind it may have taken the room it needed, or what it had to
        // read: it is written again, alone.
        m_pipeline->dropBehindFront();
        m_pipeline->rewriteFront();
    }
    HeldMessages held(m_ui);
    const bool device = fromDevice();
    const ShotResult result = device ? ShotResult{flight.transfer->finishKeepingSources(held), {}}
                                     : flight.transfer->finish(held);
    // A copy can exist although a later step (another member, low-quality copy, EXIF text)
    // failed: it was written all the same, under a name that was free before.
    for (const QString &written : flight.transfer->destinations())
        if (result.written || fileExists(written))
            m_written.append(written);
    // A camera deletes behind the batch; its photos leave the list when it has.
    if (result.written && m_settings.SupprimerPhoto && device)
        m_deletions->ask(photo.source, flight.members);
    if (result.written && m_settings.SupprimerPhoto && !device && !fileExists(photo.source))
        m_photos.removeAt(m_index);
    else
        ++m_index;
    if (!result.written && stopsEverything(photo.source, held.held()))
        return false;
    held.release();
    return result.written;
}

bool BatchTransfer::writeLowQualityOnly(BatchPhoto &photo, const BatchFlight &flight)
{
    ++m_index; // the photo itself stays on the card and in the list
    if (photo.video)
        return true; // a video has no low-quality copy
    try {
        checkInsideDestination(m_options.destination, photo.destination);
        EnregistrerBasseQualite(m_settings, photo.source, photo.destination, flight.preparation.angle,
                                &*flight.preparation.lowQuality);
    } catch (const LumaroError &error) {
        if (!stopsEverything(photo.source, error.message()))
            m_ui.showError(error.message());
        return false;
    }
    m_written.append(photo.destination);
    return true;
}

bool BatchTransfer::sourceGone(const QString &source) const
{
    if (fromDevice())
        return m_options.source->gone();
    // A missing photo in a folder that is still there was only moved away; a missing folder
    // means the card was pulled out.
    return !fileExists(source) && !FileSystem::isFolder(folderOfAbsolute(source));
}

bool BatchTransfer::destinationFull(const QString &source) const
{
    // The destination may not exist yet: its nearest folder that does tells the disk.
    QString folder = FileSystem::absolutePath(m_options.destination);
    while (folder != QLatin1String("/") && !FileSystem::isFolder(folder))
        folder = FileSystem::cleanPath(folder + QStringLiteral("/.."));
    const std::optional<quint64> available = FileSystem::freeSpace(folder);
    const std::optional<struct stat> photo = FileSystem::status(source);
    return available && *available < quint64(photo ? photo->st_size : 0) + 65536;
}

bool BatchTransfer::stopsEverything(const QString &source, const QString &photoMessage)
{
    if (sourceGone(source))
        abort(Reason::SourceGone, photoMessage);
    else if (destinationFull(source))
        abort(Reason::DestinationFull, photoMessage);
    else
        return false;
    return true;
}

void BatchTransfer::abort(Reason reason, const QString &photoMessage)
{
    m_abortMessage = (photoMessage.isEmpty() ? QString() : photoMessage + QStringLiteral("\n\n"))
                     + QStringLiteral("Le transfert est arrêté : ")
                     + (reason == Reason::DestinationFull ? QStringLiteral("le disque de destination est plein.")
                        : fromDevice() ? QStringLiteral("l'appareil n'est plus accessible.")
                                       : QStringLiteral("la carte ou le dossier des photos n'est plus accessible."))
                     + (fromDevice() ? QStringLiteral("\nLes photos qui n'ont pas été transférées sont restées sur l'appareil.")
                                     : QStringLiteral("\nLes photos qui n'ont pas été transférées sont restées à leur place."));
    m_ui.showError(m_abortMessage);
}
