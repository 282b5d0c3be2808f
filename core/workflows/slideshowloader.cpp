#include "core/workflows/slideshowloader.h"

#include "core/formats/formatreader.h"

#include <QMetaObject>

SlideshowLoader::SlideshowLoader(QObject *parent) : QObject(parent), m_formats(std::make_unique<FormatReader>())
{
    // One worker for the photo asked for and one for the look-ahead: a request never queues
    // behind a look-ahead that the user has just made useless.
    m_pool.setMaxThreadCount(2);
}

SlideshowLoader::~SlideshowLoader()
{
    m_pool.clear();
    m_pool.waitForDone();
}

SlideshowLoader::Ticket SlideshowLoader::start(const QString &path, QSize area)
{
    const Ticket ticket = ++m_lastTicket;
    // A plain task, not QtConcurrent::run: nothing waits on a result, which comes back queued.
    m_pool.start([this, ticket, path, area] {
        const SlideshowPicture picture = prepareSlideshowPicture(path, area, m_formats.get());
        // Queued to the loader's thread; dropped by Qt if the loader is gone by then.
        QMetaObject::invokeMethod(this, [this, ticket, picture] { finished(ticket, picture); }, Qt::QueuedConnection);
    });
    return ticket;
}

void SlideshowLoader::request(const QString &path, QSize area)
{
    if (m_ahead.ticket != 0 && m_ahead.path == path && m_ahead.area == area) {
        m_wanted = m_ahead.ticket;
        if (m_ahead.done) {
            const Ticket ticket = m_wanted;
            const SlideshowPicture picture = m_ahead.picture;
            QMetaObject::invokeMethod(this, [this, ticket, picture] { deliver(ticket, picture); }, Qt::QueuedConnection);
        }
        return;
    }
    m_wanted = start(path, area);
}

void SlideshowLoader::prefetch(const QString &path, QSize area)
{
    if (path.isEmpty() || area.isEmpty()) {
        invalidate();
        return;
    }
    if (m_ahead.ticket != 0 && m_ahead.path == path && m_ahead.area == area)
        return;
    invalidate();
    m_ahead.path = path;
    m_ahead.area = area;
    m_ahead.ticket = start(path, area);
}

void SlideshowLoader::invalidate()
{
    // A request already served by the look-ahead keeps its ticket and still gets its picture.
    m_ahead = Ahead();
}

void SlideshowLoader::cancel()
{
    m_wanted = 0;
    invalidate();
    m_pool.clear();
}

bool SlideshowLoader::holdsAhead(const QString &path, QSize area) const
{
    return m_ahead.ticket != 0 && m_ahead.done && m_ahead.path == path && m_ahead.area == area;
}

void SlideshowLoader::finished(Ticket ticket, const SlideshowPicture &picture)
{
    if (ticket == m_ahead.ticket && ticket != 0) {
        m_ahead.done = true;
        m_ahead.picture = picture;
        emit prefetched();
    }
    deliver(ticket, picture);
}

void SlideshowLoader::deliver(Ticket ticket, const SlideshowPicture &picture)
{
    if (ticket == 0 || ticket != m_wanted)
        return;
    m_wanted = 0;
    // The photo is on its way to the screen: the look-ahead slot is free for the next one.
    if (ticket == m_ahead.ticket)
        m_ahead = Ahead();
    emit ready(picture);
}
