#include "core/workflows/batchtransfer.h"

#include "core/exif/exifdate.h"
#include "core/files/filereplacement.h"
#include "core/discovery/shotmembers.h"
#include "core/files/filesystem.h"
#include "core/formats/filekind.h"
#include "core/formats/formatinformation.h"
#include "core/imaging/imaging.h"
#include "core/operations/contenttransfer.h"
#include "core/operations/lowqualitycopy.h"
#include "core/naming/namemask.h"
#include "core/settings/paramappli.h"
#include "core/operations/photooperations.h"
#include "core/userinterface.h"

#include <QLocale>
#include <QFuture>
#include <QThreadPool>
#include <QtConcurrent/QtConcurrentRun>

#include <algorithm>
#include <deque>
#include <optional>

namespace {

const QSize ThumbnailBox(105, 105);

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

struct BatchTransfer::Preparation {
    QString openError;  // the imaging layer's text when the photo does not open
    std::unique_ptr<TListeInformationExif> exif = std::make_unique<TListeInformationExif>();
    double date = -1.0;
    int angle = 0;
    QImage thumbnail;
    bool video = false;
    qint64 durationMs = -1;
    std::optional<LowQualityCopy> lowQuality;
    TurnedPhoto turnedPhoto; // the source turned by `angle`, when it could be done ahead
    // A device's photo: its bytes as read, or why they could not be.
    std::optional<SourcePhoto> content;
    DeviceOutcome readOutcome;
};

// The photos after the current one, prepared on two worker threads (the turn, the reduced
// copy and the thumbnail are the work of the processor; the main thread is left with writing
// and reading back), so that the preparations are ready when their turn comes.
struct BatchTransfer::Lookahead {
    static constexpr int Depth = 3;
    static constexpr int Workers = 2;
    struct Entry {
        QString source;
        QFuture<Preparation> preparation;
    };
    QThreadPool worker;
    std::deque<Entry> entries;

    Lookahead() { worker.setMaxThreadCount(Workers); }
    ~Lookahead()
    {
        // Preparations not started are dropped; the one running is waited for: it reads a
        // source the caller may delete next.
        worker.clear();
        worker.waitForDone();
    }
};

BatchTransfer::BatchTransfer(const TParamAppli &settings, UserInterface &ui, QStringList &photos, BatchOptions options,
                             const ShotMembers *shots)
    : m_settings(settings), m_ui(ui), m_photos(photos), m_options(std::move(options)), m_shots(shots),
      m_ahead(std::make_unique<Lookahead>())
{
    // The probes start only when a RAW, HEIF or video file is read.
    if (m_settings.AutresFormats) {
        FormatReader::Options formats;
        formats.probeProgram = m_options.probeProgram;
        m_formats = std::make_unique<FormatReader>(formats);
    }
}

// Waits for a preparation still running: it reads a source the caller may delete next.
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

    while (m_index < m_photos.size()) {
        if (!processPhoto(observer)) {
            result.end = End::Aborted;
            break;
        }
        m_ui.processEvents();
        if (m_stopRequested && askToStop(result))
            break;
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

void BatchTransfer::prepareFormat(const TParamAppli &settings, const BatchOptions &options, const QString &source,
                                  FormatReader &formats, Preparation &preparation)
{
    // A file the probe cannot read keeps its file date and is copied as it is: nothing is
    // shown to the user but the missing thumbnail (the reason is logged).
    const FormatMetadata metadata = readFormatInformation(formats, *preparation.exif, source, true);
    preparation.date = DatePhoto(*preparation.exif, source);
    preparation.video = fileKindOf(source) == FileKind::Video;
    preparation.durationMs = metadata.durationMs;
    if (preparation.video)
        return;
    if (options.thumbnails) {
        const FormatPicture thumbnail = formats.picture(source, ThumbnailBox);
        preparation.thumbnail = thumbnail.picture;
    }
    if (options.lowQuality || options.lowQualityOnly)
        preparation.lowQuality = LowQualityCopy::makeFromFormat(LowQualityCopy::Options::fromSettings(settings), formats,
                                                                source, FileSystem::lastModified(source));
}

BatchTransfer::Preparation BatchTransfer::prepare(const TParamAppli &settings, const BatchOptions &options,
                                                  const QString &source, FormatReader *formats)
{
    if (options.source && options.source->isDevice())
        return prepareFromSource(settings, options, source);
    Preparation preparation;
    if (formats && isFormatFile(source)) {
        prepareFormat(settings, options, source, *formats, preparation);
        return preparation;
    }
    Imaging::Photo thumbnail;
    bool loaded = false;
    try {
        // Without a window to show it, only whether the photo opens matters: its header says
        // so without decoding a photo that carries no thumbnail of its own.
        if (options.thumbnails)
            thumbnail = Imaging::loadThumbnail(source, ThumbnailBox);
        else
            Imaging::loadMetadata(source);
        loaded = true;
    } catch (const LumaroError &error) {
        preparation.openError = error.message();
    }
    // The batch reads the EXIF data whatever the setting says; a photo that does not open is
    // handled as one without EXIF data.
    LireInformationsExif(*preparation.exif, source, loaded);
    preparation.date = DatePhoto(*preparation.exif, source);
    if (settings.RotationAuto)
        preparation.angle = AngleOrientation(*preparation.exif);
    if (loaded && options.thumbnails) {
        preparation.thumbnail = thumbnail.picture;
        if (preparation.angle != 0 && !preparation.thumbnail.isNull())
            preparation.thumbnail = Imaging::turnedPicture(preparation.thumbnail, preparation.angle);
    }
    if (preparation.angle != 0 && !options.lowQualityOnly)
        preparation.turnedPhoto = turnedInMemory(source, preparation.angle);
    if (options.lowQuality || options.lowQualityOnly)
        preparation.lowQuality = LowQualityCopy::make(LowQualityCopy::Options::fromSettings(settings), source,
                                                      preparation.angle, FileSystem::lastModified(source));
    return preparation;
}

BatchTransfer::Preparation BatchTransfer::takePreparation(const QString &source)
{
    auto &entries = m_ahead->entries;
    while (!entries.empty()) {
        Lookahead::Entry entry = std::move(entries.front());
        entries.pop_front();
        if (entry.source == source)
            return entry.preparation.takeResult();
    }
    return prepare(m_settings, m_options, source, m_formats.get());
}

void BatchTransfer::prepareAhead()
{
    auto &entries = m_ahead->entries;
    for (qsizetype i = m_index; i < m_photos.size() && i <= m_index + Lookahead::Depth; ++i) {
        const QString &source = m_photos.at(i);
        if (std::any_of(entries.begin(), entries.end(), [&](const Lookahead::Entry &e) { return e.source == source; }))
            continue;
        // The settings are copied: the worker must not read the store while a window may change it.
        entries.push_back({source, QtConcurrent::run(&m_ahead->worker,
                                                     [settings = m_settings, options = m_options, source,
                                                      formats = m_formats.get()] {
                                                         return prepare(settings, options, source, formats);
                                                     })});
    }
}

BatchPhoto BatchTransfer::describe(const QString &source, Preparation &preparation)
{
    BatchPhoto photo;
    photo.number = m_number;
    photo.total = m_total;
    photo.source = source;
    // A device gone is told once, by the stop of the batch.
    if (!preparation.openError.isEmpty() && preparation.readOutcome.status != DeviceStatus::Gone)
        m_ui.showError(QStringLiteral("Erreur lors de l'ouverture du fichier ") + source + QStringLiteral(".\r")
                       + preparation.openError);
    m_exif = std::move(preparation.exif);
    photo.date = preparation.date;
    photo.angle = preparation.angle;
    photo.thumbnail = preparation.thumbnail;
    photo.video = preparation.video;
    photo.durationMs = preparation.durationMs;
    photo.members = m_shots ? m_shots->membersOf(source) : QStringList{source};
    return photo;
}

bool BatchTransfer::processPhoto(BatchObserver *observer)
{
    const QString source = m_photos.at(m_index);
    if (sourceGone(source)) {
        abort(Reason::SourceGone, QString());
        return false;
    }
    ++m_number;
    // The next photos are read while this one is written: they follow it in the list whether
    // or not it leaves the list.
    prepareAhead();
    Preparation preparation = takePreparation(source);
    BatchPhoto photo = describe(source, preparation);
    const bool lone = photo.members.size() == 1 && fileKindOf(source) == FileKind::Jpeg;
    photo.destination = m_options.lowQualityOnly
        ? CalculerNomBasseQualite(m_settings, m_options.theme, source, m_options.destination, photo.date, m_number)
        : lone ? CalculerNomPhoto(m_settings, m_options.theme, source, m_options.destination, photo.date, false, m_number)
               : shotName(m_settings, m_options.theme, photo.members, m_options.destination, photo.date, m_number);
    if (observer)
        observer->photoStarted(photo);
    m_ui.processEvents();

    removeLeftoversBeside(photo.destination);
    if (m_options.lowQuality && !m_options.lowQualityOnly)
        removeLeftoversBeside(NomBasseQualite(m_settings, memberDestination(photo.destination, QStringLiteral(".JPG"))));
    const bool written = m_options.lowQualityOnly ? writeLowQualityOnly(photo, preparation)
                         : fromDevice()           ? transferFromSource(photo, preparation)
                                                  : transfer(photo, preparation);
    if (observer)
        observer->photoFinished(photo, written);
    if (!m_abortMessage.isEmpty())
        return false;
    if (!written)
        ++m_failures;
    return true;
}

bool BatchTransfer::transfer(BatchPhoto &photo, const Preparation &preparation)
{
    HeldMessages held(m_ui);
    const PreparedTransfer prepared{preparation.lowQuality ? &*preparation.lowQuality : nullptr,
                                    preparation.turnedPhoto, m_formats.get()};
    const bool succeeded = transferShot(m_settings, held, photo.members, m_options.destination, photo.destination,
                                        photo.angle, *m_exif, m_settings.ExportInfoExif, m_options.lowQuality, {},
                                        prepared);
    // A copy can exist although a later step (another member, low-quality copy, EXIF text)
    // failed: it was written all the same, under a name that was free before.
    for (const QString &member : std::as_const(photo.members)) {
        const QString written = member == photo.source ? photo.destination
                                                       : memberDestination(photo.destination, member);
        if (succeeded || fileExists(written))
            m_written.append(written);
    }
    if (succeeded && m_settings.SupprimerPhoto && !fileExists(photo.source))
        m_photos.removeAt(m_index);
    else
        ++m_index;
    if (!succeeded && stopsEverything(photo.source, held.held()))
        return false;
    held.release();
    return succeeded;
}

bool BatchTransfer::writeLowQualityOnly(BatchPhoto &photo, const Preparation &preparation)
{
    ++m_index; // the photo itself stays on the card and in the list
    if (photo.video)
        return true; // a video has no low-quality copy
    try {
        checkInsideDestination(m_options.destination, photo.destination);
        EnregistrerBasseQualite(m_settings, photo.source, photo.destination, preparation.angle, &*preparation.lowQuality);
    } catch (const LumaroError &error) {
        if (!stopsEverything(photo.source, error.message()))
            m_ui.showError(error.message());
        return false;
    }
    m_written.append(photo.destination);
    return true;
}

void BatchTransfer::removeLeftoversBeside(const QString &path)
{
    const QString folder = folderOfAbsolute(path);
    if (m_cleanedFolders.contains(folder))
        return;
    m_cleanedFolders.insert(folder);
    FileReplacement::removeLeftovers(folder);
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

// --- Photos of a camera or phone ---------------------------------------------------------------

BatchTransfer::Preparation BatchTransfer::prepareFromSource(const TParamAppli &settings, const BatchOptions &options,
                                                            const QString &source)
{
    Preparation preparation;
    PhotoSource &photos = *options.source;
    // The device is read once per photo: everything else is made from these bytes.
    const DeviceResult<SourceFile> described = photos.describe(source);
    DeviceResult<QByteArray> read = photos.readFile(source);
    const QDateTime fileTime = described.ok() ? described.value.modified : QDateTime();
    if (read.ok()) {
        SourcePhoto content;
        content.source = source;
        content.content = std::move(read.value);
        const qint64 seconds = fileTime.isValid() ? fileTime.toSecsSinceEpoch() : QDateTime::currentSecsSinceEpoch();
        content.modified = {time_t(seconds), 0};
        preparation.content = std::move(content);
    } else {
        preparation.readOutcome = read;
        preparation.openError = read.message;
    }
    const QByteArray &bytes = preparation.content ? preparation.content->content : QByteArray();

    LireInformationsExif(*preparation.exif, bytes, fileTime, preparation.content.has_value());
    preparation.date = DatePhoto(*preparation.exif, fileTime);
    if (settings.RotationAuto)
        preparation.angle = AngleOrientation(*preparation.exif);
    if (options.thumbnails && preparation.content) {
        // The device's own thumbnail when it keeps one (PTP sends it without the file), else
        // the one the photo's bytes hold.
        const DeviceResult<QByteArray> small = photos.thumbnail(source);
        for (const QByteArray *candidate : {&small.value, &bytes}) {
            if (candidate->isEmpty())
                continue;
            try {
                preparation.thumbnail = Imaging::decodeThumbnail(*candidate, ThumbnailBox).picture;
                break;
            } catch (const LumaroError &) {
            }
        }
        if (preparation.angle != 0 && !preparation.thumbnail.isNull())
            preparation.thumbnail = Imaging::turnedPicture(preparation.thumbnail, preparation.angle);
    }
    if (preparation.content && preparation.angle != 0 && !options.lowQualityOnly)
        preparation.turnedPhoto.bytes = turnedContent(bytes, preparation.angle);
    if (options.lowQuality || options.lowQualityOnly)
        preparation.lowQuality = LowQualityCopy::makeFromContent(LowQualityCopy::Options::fromSettings(settings), bytes,
                                                                 preparation.angle, fileTime);
    return preparation;
}

bool BatchTransfer::transferFromSource(BatchPhoto &photo, const Preparation &preparation)
{
    if (!preparation.content && preparation.readOutcome.status == DeviceStatus::Gone) {
        ++m_index;
        abort(Reason::SourceGone, QString());
        return false;
    }
    HeldMessages held(m_ui);
    ContentTransferResult result;
    if (preparation.content) {
        result = TransfererContenu(m_settings, held, *preparation.content, *m_options.source, m_options.destination,
                                   photo.destination, photo.angle, *m_exif, m_settings.ExportInfoExif,
                                   m_options.lowQuality, {},
                                   {preparation.lowQuality ? &*preparation.lowQuality : nullptr, preparation.turnedPhoto});
    } else {
        held.showInformation(QStringLiteral("Erreur pendant le transfert de la photo : \n") + preparation.readOutcome.message);
    }
    if (result.written || fileExists(photo.destination))
        m_written.append(photo.destination);
    if (result.written && m_settings.SupprimerPhoto && result.deletion.ok())
        m_photos.removeAt(m_index);
    else
        ++m_index;
    // One message for the whole batch: the photos stay on the device, the copies go on.
    if (result.deletion.status == DeviceStatus::DeletionRefused && !m_deletionRefusedTold) {
        m_deletionRefusedTold = true;
        m_ui.showInformation(result.deletion.message);
    }
    if (!result.written && stopsEverything(photo.source, held.held()))
        return false;
    // Unplugged once the photo was written: it is safe, the batch stops after it.
    if (result.deletion.status == DeviceStatus::Gone) {
        abort(Reason::SourceGone, QString());
        return true;
    }
    held.release();
    return result.written;
}
