#pragma once
// The photos a batch works on ahead of the one whose turn it is. Two kinds of work run on
// worker threads while the main thread finishes photos in list order:
// - preparation: the thumbnail, EXIF list, date, turn and low-quality copy of the next photos
//   (a camera's files read once, here);
// - writing: up to Flights photos named and put in place at once (each written under a
//   temporary name, flushed, read back and compared when the sources go, then renamed), so
//   that the waits for the disk of several photos overlap.
// Everything the user or the list can see of a photo happens at the front, one photo after
// the other: the batch finishes the front flight (its low-quality copy and EXIF text, the
// deletion of its sources), reports it, and only then looks at the next. The sources of a
// photo written ahead are untouched until its turn, so what is done ahead is speculation
// that can be taken back: a photo's name is promised to it (PromisedNames) so that no later
// photo takes it, and a flight dropped (a stop, a failure before it) takes back the files it
// put in place and the folders it made, and forgets its name. A front that fails drops the
// flights behind it, which are named and written again, so that every name is the one a
// batch writing one photo at a time would have given.
#include "core/naming/namemask.h"
#include "core/operations/shottransfer.h"
#include "core/workflows/batchpreparation.h"

#include <QSet>

#include <atomic>
#include <condition_variable>
#include <deque>
#include <future>
#include <memory>
#include <mutex>
#include <semaphore>
#include <thread>

class FormatReader;
class PhotoSource;
class ShotMembers;
struct BatchOptions;
struct BatchPhoto;

// Wakes the main thread when a worker finishes something.
class WorkSignal {
public:
    void notify();
    // Waits until a notification newer than `seen`, or the timeout.
    void waitPast(quint64 seen, std::chrono::milliseconds timeout);
    quint64 generation() const;

private:
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    quint64 m_generation = 0;
};

// A camera's deletions, one after the other on a thread of their own: the batch goes on with
// the next photos while the camera deletes. Each is asked once its photo was written and
// verified, as ever; it is only done later.
class DeviceDeletions {
public:
    struct Done {
        QString photo; // the shot's key member, as the photo list names it
        DeviceOutcome outcome;
    };

    explicit DeviceDeletions(std::shared_ptr<PhotoSource> device);
    ~DeviceDeletions(); // does the deletions asked first
    DeviceDeletions(const DeviceDeletions &) = delete;
    DeviceDeletions &operator=(const DeviceDeletions &) = delete;

    void ask(const QString &photo, const QStringList &members);
    // The deletions done since the last call, in the order they were asked.
    QList<Done> takeDone();
    // Waits for every deletion asked, then takeDone().
    QList<Done> waitForAll();

private:
    struct Asked {
        QString photo;
        QStringList members;
    };
    void deleteInTurn();

    std::shared_ptr<PhotoSource> m_device;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<Asked> m_asked;
    QList<Done> m_done;
    bool m_busy = false;
    bool m_closing = false;
    std::thread m_thread; // one thread: the camera deletes in the order the photos were written
};

struct BatchFlight {
    QString source; // the shot's key member, as the photo list names it
    QStringList members;
    BatchPreparation preparation;
    QString destination; // empty until named
    int number = 0;      // the counter its name was made with
    std::unique_ptr<ShotTransfer> transfer; // null until its writing starts
    std::future<void> writing;
    // Set by the writer before it wakes the main thread (the future is ready only once the
    // writer's thread has returned, a moment later).
    std::shared_ptr<std::atomic<bool>> writeDone = std::make_shared<std::atomic<bool>>(false);

    bool named() const { return !destination.isEmpty(); }
    bool written() const;
    qint64 bytesHeld() const; // a camera's bytes it holds in memory
};

class BatchPipeline {
public:
    static constexpr int Flights = 4;        // photos written at once
    static constexpr int PreparedAhead = 2;  // photos prepared beyond the flights

    BatchPipeline(const TParamAppli &settings, const BatchOptions &options, const ShotMembers *shots,
                  FormatReader *formats);
    // Waits for what the workers are doing: they read sources the caller may delete next.
    ~BatchPipeline();
    BatchPipeline(const BatchPipeline &) = delete;
    BatchPipeline &operator=(const BatchPipeline &) = delete;

    // The flight of photos[index], the photo whose turn it is, numbered `number`: prepared
    // (waiting for its preparation if need be) and, outside the low-quality-only mode, named
    // and being written. Flights ahead that are not for it are dropped.
    BatchFlight &front(const QStringList &photos, qsizetype index, int number);
    // Starts what can start without waiting: the next preparations, and flights for the
    // photos after the front whose preparation is ready.
    void advance(const QStringList &photos, qsizetype index, int number);
    // Waits until the front is written, keeping the flights behind it going and letting the
    // windows repaint.
    void waitForFront(const QStringList &photos, qsizetype index, int number, UserInterface &ui);
    // The front is done (committed or not): its name is no longer a promise.
    void popFront();
    // Takes back the flights behind the front, keeping their preparations: they are named
    // and written again when their turn comes.
    void dropBehindFront();
    // Whether flights behind the front are written ahead.
    bool speculating() const;
    // Writes the front again from scratch, under the same name (after the flights behind it,
    // whose writes may have taken its disk space, were taken back).
    void rewriteFront();

private:
    struct Prepared;
    BatchPreparationInput inputFor(const QStringList &members) const;
    QStringList membersOf(const QString &source) const;
    void prepareAhead(const QStringList &photos, qsizetype from);
    // The preparation of `source`, if it is ready (or when `wait` is set, once it is).
    std::optional<BatchPreparation> takePreparation(const QString &source, bool wait);
    // Names the flight; false (and left unnamed) when it must wait for the flights before it.
    bool name(BatchFlight &flight);
    void write(BatchFlight &flight);
    // Takes back the flights from `first` to the last, the last first, then the folders they
    // made that are left empty.
    void takeBackFrom(std::size_t first);
    void takeBack(BatchFlight &flight, QStringList &foldersMade);
    void waitForWrite(BatchFlight &flight);
    // Whether one more photo may be written ahead: the destination must keep room for all.
    bool roomForAnother(const BatchFlight &candidate) const;
    void removeLeftoversBeside(const QString &path);

    TParamAppli m_settings;
    const BatchOptions &m_options;
    const ShotMembers *m_shots;
    FormatReader *m_formats;
    PromisedNames m_promised;
    std::shared_ptr<WorkSignal> m_signal = std::make_shared<WorkSignal>();
    // The preparations are the processor's work (turns, reduced copies, thumbnails): two at a
    // time; the writes are mostly waits for the disk, one thread each.
    std::counting_semaphore<2> m_preparing{2};
    std::shared_ptr<std::atomic<bool>> m_closing = std::make_shared<std::atomic<bool>>(false);
    std::deque<std::unique_ptr<Prepared>> m_prepared;
    std::deque<BatchFlight> m_flights;
    QSet<QString> m_cleanedFolders;
};
