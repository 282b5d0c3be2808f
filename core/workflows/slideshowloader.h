#pragma once
// Decodes the slideshow's photos on worker threads: the photo asked for now, and the one that
// will be asked for next (look-ahead), so that moving on only has to paint it. Results come
// back on the thread that owns the loader, through `ready`.
#include "core/workflows/slideshowpicture.h"

#include <QObject>
#include <QThreadPool>

#include <memory>

#include <cstdint>

class FormatReader;

class SlideshowLoader : public QObject {
    Q_OBJECT
public:
    explicit SlideshowLoader(QObject *parent = nullptr);
    // Waits for the workers: nothing is delivered after the loader is gone.
    ~SlideshowLoader() override;

    // The photo to show now. `ready` follows once it is decoded, on a later turn of the event
    // loop even when the look-ahead already holds it. A newer request replaces this one.
    void request(const QString &path, QSize area);
    // Starts decoding the photo expected next, replacing any earlier look-ahead.
    void prefetch(const QString &path, QSize area);
    // The files may have changed (turned, deleted): forget what was decoded ahead.
    void invalidate();
    // Nothing asked for is wanted any more (the window is closing).
    void cancel();

    // Whether a request is waiting for its picture.
    bool isLoading() const { return m_wanted != 0; }
    // The reader of the HEIF and RAW files shown, shared with the player's own commands.
    FormatReader *formatReader() const { return m_formats.get(); }
    // Whether the look-ahead holds that photo, decoded.
    bool holdsAhead(const QString &path, QSize area) const;

signals:
    void ready(const SlideshowPicture &picture);
    // The look-ahead has finished decoding.
    void prefetched();

private:
    using Ticket = std::uint64_t;
    struct Ahead {
        Ticket ticket = 0;
        QString path;
        QSize area;
        bool done = false;
        SlideshowPicture picture;
    };

    Ticket start(const QString &path, QSize area);
    void finished(Ticket ticket, const SlideshowPicture &picture);
    void deliver(Ticket ticket, const SlideshowPicture &picture);

    // HEIF and RAW pictures; declared before the pool, so that it outlives the pool's tasks.
    std::unique_ptr<FormatReader> m_formats;
    QThreadPool m_pool;
    Ticket m_lastTicket = 0;
    Ticket m_wanted = 0; // the request being served; 0 when none
    Ahead m_ahead;
};
