#include "core/workflows/batchpipeline.h"

#include "core/discovery/shotmembers.h"
#include "core/files/filereplacement.h"
#include "core/files/filesystem.h"
#include "core/sources/photosource.h"
#include "core/userinterface.h"
#include "core/workflows/batchtransfer.h"


#include <algorithm>

namespace {

// What a camera's shots may hold in memory at once, read ahead or waiting to be written;
// one shot is always allowed, whatever its size.
constexpr qint64 DeviceBytesAhead = qint64(512) << 20;
// Room the destination keeps beyond what is written ahead, so that the writes ahead never
// fill a disk that one photo at a time would not have filled.
constexpr qint64 DestinationMargin = qint64(64) << 20;

} // namespace

void WorkSignal::notify()
{
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        ++m_generation;
    }
    m_changed.notify_all();
}

void WorkSignal::waitPast(quint64 seen, std::chrono::milliseconds timeout)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    m_changed.wait_for(lock, timeout, [&] { return m_generation != seen; });
}

quint64 WorkSignal::generation() const
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    return m_generation;
}

DeviceDeletions::DeviceDeletions(std::shared_ptr<PhotoSource> device)
    : m_device(std::move(device)), m_thread([this] { deleteInTurn(); })
{
}

DeviceDeletions::~DeviceDeletions()
{
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_closing = true;
    }
    m_changed.notify_all();
    m_thread.join();
}

void DeviceDeletions::deleteInTurn()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    for (;;) {
        m_changed.wait(lock, [this] { return m_closing || !m_asked.empty(); });
        if (m_asked.empty())
            return; // closing, everything asked done
        const Asked asked = std::move(m_asked.front());
        m_asked.pop_front();
        m_busy = true;
        lock.unlock();
        Done done{asked.photo, deleteShotOnDevice(*m_device, asked.members)};
        lock.lock();
        m_busy = false;
        m_done.append(std::move(done));
        m_changed.notify_all();
    }
}

void DeviceDeletions::ask(const QString &photo, const QStringList &members)
{
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_asked.push_back({photo, members});
    }
    m_changed.notify_all();
}

QList<DeviceDeletions::Done> DeviceDeletions::takeDone()
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    return std::exchange(m_done, {});
}

QList<DeviceDeletions::Done> DeviceDeletions::waitForAll()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    m_changed.wait(lock, [this] { return m_asked.empty() && !m_busy; });
    return std::exchange(m_done, {});
}

bool BatchFlight::written() const
{
    return !transfer || writeDone->load();
}

qint64 BatchFlight::bytesHeld() const
{
    qint64 bytes = 0;
    for (const SourcePhoto &content : preparation.contents)
        bytes += content.content.size();
    return bytes;
}

struct BatchPipeline::Prepared {
    // Filled by the worker, which then sets `ready` and wakes the main thread.
    struct Slot {
        BatchPreparation preparation;
        std::atomic<bool> ready{false};
    };
    QString source;
    qint64 bytes = 0; // what the source says the shot weighs, for a camera's shot
    std::shared_ptr<Slot> slot = std::make_shared<Slot>();
    std::future<void> task;

    bool ready() const { return slot->ready.load(); }
    BatchPreparation take()
    {
        task.wait();
        return std::move(slot->preparation);
    }
};

BatchPipeline::BatchPipeline(const TParamAppli &settings, const BatchOptions &options, const ShotMembers *shots,
                             FormatReader *formats)
    : m_settings(settings), m_options(options), m_shots(shots), m_formats(formats)
{
}

BatchPipeline::~BatchPipeline()
{
    // Preparations not started are dropped; those running are waited for (by their futures).
    m_closing->store(true);
    m_prepared.clear();
    takeBackFrom(0);
}

QStringList BatchPipeline::membersOf(const QString &source) const
{
    return m_shots ? m_shots->membersOf(source) : QStringList{source};
}

BatchPreparationInput BatchPipeline::inputFor(const QStringList &members) const
{
    BatchPreparationInput input(m_settings);
    input.members = members;
    input.thumbnails = m_options.thumbnails;
    input.lowQuality = m_options.lowQuality || m_options.lowQualityOnly;
    input.turnAhead = !m_options.lowQualityOnly;
    input.device = m_options.source && m_options.source->isDevice() ? m_options.source.get() : nullptr;
    input.formats = m_formats;
    return input;
}

void BatchPipeline::prepareAhead(const QStringList &photos, qsizetype from)
{
    const bool device = m_options.source && m_options.source->isDevice();
    qint64 held = 0;
    for (const BatchFlight &flight : m_flights)
        held += flight.bytesHeld();
    for (const auto &prepared : m_prepared)
        held += prepared->bytes;
    const qsizetype end = std::min<qsizetype>(photos.size(), from + Flights + PreparedAhead);
    for (qsizetype i = from; i < end; ++i) {
        const QString &source = photos.at(i);
        if (std::any_of(m_flights.cbegin(), m_flights.cend(), [&](const BatchFlight &f) { return f.source == source; })
            || std::any_of(m_prepared.cbegin(), m_prepared.cend(),
                           [&](const auto &p) { return p->source == source; }))
            continue;
        auto prepared = std::make_unique<Prepared>();
        prepared->source = source;
        const QStringList members = membersOf(source);
        if (device) {
            // A camera's files are held in memory from their reading to their writing.
            for (const QString &member : members)
                prepared->bytes += std::max<qint64>(0, m_options.source->describe(member).value.size);
            if (held > 0 && held + prepared->bytes > DeviceBytesAhead)
                break;
            held += prepared->bytes;
        }
        prepared->task = std::async(std::launch::async, [input = inputFor(members), slot = prepared->slot,
                                                         preparing = &m_preparing, closing = m_closing, signal = m_signal] {
            preparing->acquire();
            if (!closing->load())
                slot->preparation = prepareBatchShot(input);
            preparing->release();
            slot->ready.store(true);
            signal->notify();
        });
        m_prepared.push_back(std::move(prepared));
    }
}

std::optional<BatchPreparation> BatchPipeline::takePreparation(const QString &source, bool wait)
{
    const auto found = std::find_if(m_prepared.begin(), m_prepared.end(),
                                    [&](const auto &prepared) { return prepared->source == source; });
    if (found == m_prepared.end()) {
        if (!wait)
            return std::nullopt;
        return prepareBatchShot(inputFor(membersOf(source)));
    }
    if (!wait && !(*found)->ready())
        return std::nullopt;
    BatchPreparation preparation = (*found)->take();
    // The photos before it in the list are passed: what was prepared for them is of no use.
    m_prepared.erase(m_prepared.begin(), found + 1);
    return preparation;
}

bool BatchPipeline::name(BatchFlight &flight)
{
    const BatchPreparation &preparation = flight.preparation;
    const QString &destination = m_options.destination;
    flight.destination =
        m_options.lowQualityOnly
            ? CalculerNomBasseQualite(m_settings, m_options.theme, flight.source, destination, preparation.date,
                                      flight.number)
            : transferName(m_settings, m_options.theme, flight.members, destination, preparation.date, flight.number,
                           QLocale(), &m_promised);
    // A name like a promised one but for its letter case may be that very file (a card's
    // file system) or another: the photo waits until the other is on the disk and the disk
    // can tell.
    for (const QString &member : flight.members)
        if (m_promised.differsInCaseOnly(memberDestination(flight.destination, member))) {
            flight.destination.clear();
            return false;
        }
    // The first time the batch writes into a folder, what an interrupted run left there goes
    // (never a file being written: its writer holds it).
    removeLeftoversBeside(flight.destination);
    if (m_options.lowQuality && !m_options.lowQualityOnly)
        removeLeftoversBeside(NomBasseQualite(m_settings, memberDestination(flight.destination, QStringLiteral(".JPG"))));
    return true;
}

void BatchPipeline::write(BatchFlight &flight)
{
    BatchPreparation &preparation = flight.preparation;
    // A camera's shot that could not be read has nothing to write: the batch reports it.
    if (m_options.lowQualityOnly || (preparation.contents.isEmpty() && preparation.readOutcome.status != DeviceStatus::Ok))
        return;
    const PreparedTransfer prepared{preparation.lowQuality ? &*preparation.lowQuality : nullptr,
                                    preparation.turnedPhoto, m_formats};
    flight.transfer = std::make_unique<ShotTransfer>(m_settings, flight.members, m_options.destination,
                                                     flight.destination, preparation.angle, *preparation.exif,
                                                     m_settings.ExportInfoExif, m_options.lowQuality,
                                                     SafeCopy::Hooks{}, prepared, preparation.contents);
    m_promised.promise(flight.transfer->destinations());
    flight.writeDone->store(false);
    flight.writing = std::async(std::launch::async, [transfer = flight.transfer.get(), done = flight.writeDone,
                                                     signal = m_signal] {
        transfer->write();
        done->store(true);
        signal->notify();
    });
}

void BatchPipeline::waitForWrite(BatchFlight &flight)
{
    if (flight.writing.valid())
        flight.writing.wait();
}

void BatchPipeline::takeBack(BatchFlight &flight, QStringList &foldersMade)
{
    if (flight.transfer) {
        waitForWrite(flight);
        m_promised.release(flight.transfer->destinations());
        flight.transfer->takeBack(&foldersMade);
        flight.transfer.reset();
    }
    flight.destination.clear();
}

void BatchPipeline::takeBackFrom(std::size_t first)
{
    QStringList foldersMade;
    for (std::size_t k = m_flights.size(); k > first; --k)
        takeBack(m_flights[k - 1], foldersMade);
    // The deepest first; one that holds a file of a photo kept stays.
    std::sort(foldersMade.begin(), foldersMade.end(),
              [](const QString &a, const QString &b) { return a.size() > b.size(); });
    for (const QString &folder : std::as_const(foldersMade))
        FileSystem::removeEmptyFolder(folder);
}

namespace {

// What the flight will write on the destination's disk, its small companions aside.
qint64 bytesToWrite(const BatchFlight &flight)
{
    if (flight.preparation.readFromDevice())
        return flight.bytesHeld();
    qint64 bytes = 0;
    for (const QString &member : flight.members)
        if (const std::optional<struct stat> info = FileSystem::status(member))
            bytes += info->st_size;
    return bytes;
}

} // namespace

bool BatchPipeline::roomForAnother(const BatchFlight &candidate) const
{
    qint64 bytes = bytesToWrite(candidate);
    for (const BatchFlight &flight : m_flights)
        bytes += bytesToWrite(flight);
    QString folder = FileSystem::absolutePath(m_options.destination);
    while (folder != QLatin1String("/") && !FileSystem::isFolder(folder))
        folder = FileSystem::cleanPath(folder + QStringLiteral("/.."));
    const std::optional<quint64> available = FileSystem::freeSpace(folder);
    return available && *available > quint64(2 * bytes + DestinationMargin);
}

void BatchPipeline::removeLeftoversBeside(const QString &path)
{
    const QString folder = FileSystem::folderOf(FileSystem::absolutePath(path));
    if (m_cleanedFolders.contains(folder))
        return;
    m_cleanedFolders.insert(folder);
    FileReplacement::removeLeftovers(folder);
}

BatchFlight &BatchPipeline::front(const QStringList &photos, qsizetype index, int number)
{
    const QString &source = photos.at(index);
    // A list changed behind the batch's back (a photo taken out) leaves flights for others.
    if (!m_flights.empty() && m_flights.front().source != source) {
        takeBackFrom(0);
        m_flights.clear();
    }
    if (m_flights.empty()) {
        BatchFlight flight;
        flight.source = source;
        flight.members = membersOf(source);
        prepareAhead(photos, index + 1);
        flight.preparation = *takePreparation(source, true);
        m_flights.push_back(std::move(flight));
    }
    BatchFlight &front = m_flights.front();
    if (!front.named()) {
        // Nothing is promised before the front: it is always named.
        front.number = number;
        name(front);
        write(front);
    }
    advance(photos, index, number);
    return front;
}

void BatchPipeline::advance(const QStringList &photos, qsizetype index, int number)
{
    // A low-quality copy is written at the front only, and named there: its name is free when
    // the copies before it are on the disk.
    const bool writesAhead = !m_options.lowQualityOnly;
    // Flights dropped behind the front are named again in order, before any new one.
    for (std::size_t k = 1; k < m_flights.size(); ++k) {
        BatchFlight &flight = m_flights[k];
        if (flight.named() || !writesAhead)
            continue;
        flight.number = number + int(k);
        if (!roomForAnother(flight) || !name(flight))
            return;
        write(flight);
    }
    while (m_flights.size() < std::size_t(Flights) && index + qsizetype(m_flights.size()) < photos.size()) {
        const QString &source = photos.at(index + qsizetype(m_flights.size()));
        prepareAhead(photos, index + qsizetype(m_flights.size()));
        std::optional<BatchPreparation> preparation = takePreparation(source, false);
        if (!preparation)
            break;
        BatchFlight flight;
        flight.source = source;
        flight.members = membersOf(source);
        flight.preparation = std::move(*preparation);
        flight.number = number + int(m_flights.size());
        const bool room = writesAhead && roomForAnother(flight);
        m_flights.push_back(std::move(flight));
        if (!writesAhead)
            continue;
        // Otherwise kept prepared, named and written when its turn comes; nothing after it
        // goes first.
        if (!room || !name(m_flights.back()))
            break;
        write(m_flights.back());
    }
    prepareAhead(photos, index + qsizetype(m_flights.size()));
}

void BatchPipeline::waitForFront(const QStringList &photos, qsizetype index, int number, UserInterface &ui)
{
    BatchFlight &flight = m_flights.front();
    if (!flight.transfer)
        return;
    for (;;) {
        const quint64 seen = m_signal->generation();
        if (flight.written())
            break;
        advance(photos, index, number);
        m_signal->waitPast(seen, std::chrono::milliseconds(50));
        ui.processEvents();
    }
    waitForWrite(flight);
}

void BatchPipeline::popFront()
{
    BatchFlight &flight = m_flights.front();
    waitForWrite(flight);
    if (flight.transfer)
        m_promised.release(flight.transfer->destinations());
    m_flights.pop_front();
}

bool BatchPipeline::speculating() const
{
    return std::any_of(m_flights.begin() + (m_flights.empty() ? 0 : 1), m_flights.end(),
                       [](const BatchFlight &flight) { return flight.transfer != nullptr; });
}

void BatchPipeline::dropBehindFront()
{
    takeBackFrom(1);
}

void BatchPipeline::rewriteFront()
{
    BatchFlight &flight = m_flights.front();
    const int number = flight.number;
    const QString destination = flight.destination;
    takeBackFrom(0);
    // Its name was free before and nothing took it since: it keeps it.
    flight.number = number;
    flight.destination = destination;
    write(flight);
    waitForWrite(flight);
}
