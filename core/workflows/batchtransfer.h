#pragma once
// Emptying a card in one go: every photo of the list is dated, named, turned after its EXIF
// orientation and transferred with the same settings, one after the other, in list order. The
// batch window and lumaro-cli both drive this loop and only show what it reports. The next
// photos are prepared and written ahead on worker threads (BatchPipeline), but each is named,
// put in place, reported and its source deleted in list order, as if they came one at a time.
//
// The user's photos come first: a photo is reported as written only once its file exists, a
// source is deleted only by the verified transfer, and when the card disappears or the
// destination fills up the batch stops after that photo instead of failing photo after photo.
#include "core/sources/photosource.h"

#include <QImage>
#include <QString>
#include <QStringList>

#include <memory>

class BatchPipeline;
class DeviceDeletions;
class FormatReader;
class ShotMembers;
struct BatchFlight;
class TParamAppli;
class UserInterface;

struct BatchOptions {
    QString destination;          // the destination root, with its trailing "/"
    QString theme;                // for #THEME
    bool lowQuality = false;      // also write each photo's low-quality copy
    bool lowQualityOnly = false;  // write only the low-quality copies; the photos stay on the card
    bool thumbnails = true;       // report a thumbnail of each photo
    // A camera or phone the photos are read from (each file once, through it); null for a
    // folder's photos, which are copied from their files.
    std::shared_ptr<PhotoSource> source;
    QString probeProgram;         // lumaro-probe for RAW, HEIF and video files; empty: the one beside the program
};

// What the window shows of the photo being processed.
struct BatchPhoto {
    int number = 0;          // 1 for the first photo of the batch
    int total = 0;           // photos in the list when the batch started
    QString source;          // full path on the card
    double date = -1.0;      // date taken, else the file's time
    QString destination;     // the file the batch writes: the photo, or its low-quality copy
    int angle = 0;           // the automatic turn, degrees clockwise
    QImage thumbnail;        // upright, fitting 105 x 105; null when none was asked or it failed
    bool video = false;      // the shot's key member is a video: no picture, a placeholder
    qint64 durationMs = -1;  // a video's length; -1 when unknown or not a video
    QStringList members;     // every file of the shot, key member (source) first
};

class BatchObserver {
public:
    virtual ~BatchObserver() = default;
    // The photo is about to be written: show its progress, date, names and thumbnail.
    virtual void photoStarted(const BatchPhoto &photo) = 0;
    // The photo is done; written is false when its transfer failed.
    virtual void photoFinished(const BatchPhoto &photo, bool written) { Q_UNUSED(photo) Q_UNUSED(written) }
};

class BatchTransfer {
public:
    enum class End {
        Completed, // every photo of the list was processed
        Stopped,   // the user's stop request was confirmed
        Aborted,   // the card went away or the destination is full: nothing more could be done
    };
    enum class StopKind {
        Ask,       // the stop button: the stop is confirmed with the user after the current photo
        Immediate, // a signal to the command-line program: no question
    };
    struct Result {
        End end = End::Completed;
        bool slideshowWanted = false; // run the slideshow of PhotosTransferees() now
        int failures = 0;             // photos whose transfer or copy failed
    };

    // photos is the search's list; entries whose source the transfer deleted are removed from it.
    // shots (the search's, kept by the caller as long as the batch) gives every member of the
    // shots of several files; each shot is transferred whole under one name.
    BatchTransfer(const TParamAppli &settings, UserInterface &ui, QStringList &photos, BatchOptions options,
                  const ShotMembers *shots = nullptr);
    ~BatchTransfer();
    BatchTransfer(const BatchTransfer &) = delete;
    BatchTransfer &operator=(const BatchTransfer &) = delete;

    // Processes the photos until the list is done or a stop is confirmed. Call once.
    Result run(BatchObserver *observer = nullptr);

    // Asks for a stop; it takes effect after the photo in progress. Safe from a signal handler
    // only through a flag the caller polls; the windows call it from their stop button.
    void requestStop(StopKind kind = StopKind::Ask);
    bool stopRequested() const { return m_stopRequested; }

    // Every file the batch wrote, in writing order (every member of a shot): what a final
    // slideshow shows.
    const QStringList &PhotosTransferees() const { return m_written; }
    int NumeroPhoto() const { return m_number; }
    int NombrePhotos() const { return m_total; }
    // What the user was told when the batch was aborted; empty otherwise.
    const QString &abortMessage() const { return m_abortMessage; }

    // The date line of the window: "samedi 14 février 2004 à 10:30:12".
    static QString formatDate(double date);

private:
    enum class Reason { SourceGone, DestinationFull };
    // False when the batch cannot go on.
    bool processPhoto(BatchObserver *observer);
    BatchPhoto describe(const BatchFlight &flight);
    bool transfer(BatchPhoto &photo, BatchFlight &flight);
    // A camera's shot whose files could not be read: told, and left where it is.
    bool reportUnread(BatchPhoto &photo, const BatchFlight &flight);
    bool fromDevice() const { return m_options.source && m_options.source->isDevice(); }
    bool writeLowQualityOnly(BatchPhoto &photo, const BatchFlight &flight);
    bool askToStop(Result &result);
    // What the camera's deletions asked before did: the photos it deleted leave the list.
    void applyDeletions(bool waitForAll);
    bool sourceGone(const QString &source) const;
    bool destinationFull(const QString &source) const;
    // After a failure: when the card went away or the destination is full, tells the user once
    // (with the photo's own message) and returns true.
    bool stopsEverything(const QString &source, const QString &photoMessage);
    void abort(Reason reason, const QString &photoMessage);

    const TParamAppli &m_settings;
    UserInterface &m_ui;
    QStringList &m_photos;
    BatchOptions m_options;
    const ShotMembers *m_shots;
    std::unique_ptr<FormatReader> m_formats; // RAW, HEIF and video files, with the other formats on
    std::unique_ptr<BatchPipeline> m_pipeline; // the photos prepared and written ahead
    std::unique_ptr<DeviceDeletions> m_deletions; // a camera's, done behind the batch
    bool m_deviceWentAway = false; // a deletion found the camera gone
    QStringList m_written;
    int m_index = 0;
    int m_number = 0;
    int m_total = 0;
    int m_failures = 0;
    bool m_started = false;
    bool m_stopRequested = false;
    StopKind m_stopKind = StopKind::Ask;
    QString m_abortMessage;
    bool m_deletionRefusedTold = false;
};
