#include "core/workflows/slideshowpacer.h"

#include <limits>

namespace {
// The longest single wait a Qt timer takes.
constexpr qint64 LongestStep = std::numeric_limits<int>::max();
} // namespace

SlideshowPacer::SlideshowPacer(qint64 tempoSeconds, QObject *parent)
    : QObject(parent), m_interval(intervalFor(tempoSeconds))
{
    m_timer.setSingleShot(true);
    m_timer.setTimerType(Qt::CoarseTimer);
    connect(&m_timer, &QTimer::timeout, this, &SlideshowPacer::stepElapsed);
}

qint64 SlideshowPacer::intervalFor(qint64 tempoSeconds)
{
    if (tempoSeconds <= 0)
        return 0;
    // Far beyond any real delay; keeps the product inside 64 bits whatever the caller passes.
    constexpr qint64 limit = std::numeric_limits<qint64>::max() / 1000;
    return qMin(tempoSeconds, limit) * 1000;
}

void SlideshowPacer::enable()
{
    if (m_shutDown)
        return;
    m_enabled = true;
    arm();
}

void SlideshowPacer::disable()
{
    m_enabled = false;
    m_timer.stop();
}

void SlideshowPacer::setHeld(bool held)
{
    m_held = held;
    if (held)
        m_timer.stop();
    else
        arm();
}

void SlideshowPacer::shutdown()
{
    m_shutDown = true;
    m_enabled = false;
    m_timer.stop();
}

qint64 SlideshowPacer::remaining() const
{
    if (!m_timer.isActive())
        return -1;
    return m_deadline.isForever() ? std::numeric_limits<qint64>::max() : m_deadline.remainingTime();
}

void SlideshowPacer::arm()
{
    m_timer.stop();
    if (!m_enabled || m_held || m_shutDown || m_interval <= 0)
        return;
    m_deadline = QDeadlineTimer(m_interval);
    armStep();
}

void SlideshowPacer::armStep()
{
    // A deadline too far for the clock is "for ever", whose remaining time reads -1.
    const qint64 left = m_deadline.isForever() ? LongestStep : m_deadline.remainingTime();
    m_timer.start(int(qBound<qint64>(0, left, LongestStep)));
}

void SlideshowPacer::stepElapsed()
{
    if (!m_enabled || m_held || m_shutDown)
        return;
    if (!m_deadline.hasExpired()) {
        armStep();
        return;
    }
    // The next delay is counted from now, unless the tick's handler set its own.
    m_deadline = QDeadlineTimer(m_interval);
    armStep();
    emit tick();
}
