#pragma once
// The slideshow's pacing timer. Its delay is the Tempo setting in seconds, worked out in
// 64 bits: a delay longer than one timer can hold is counted down in several steps, so a huge
// Tempo waits (practically) for ever instead of overflowing into a short one. A Tempo of 0 or
// less never ticks. Once shut down with its window it never ticks again, whoever enables it.
#include <QDeadlineTimer>
#include <QObject>
#include <QTimer>

class SlideshowPacer : public QObject {
    Q_OBJECT
public:
    explicit SlideshowPacer(qint64 tempoSeconds, QObject *parent = nullptr);

    // Tempo seconds in milliseconds; 0 for a Tempo of 0 or less (no pacing).
    static qint64 intervalFor(qint64 tempoSeconds);
    qint64 interval() const { return m_interval; }

    // Enabling starts a full delay from now, as often as it is called; disabling stops the count.
    void enable();
    void disable();
    bool isEnabled() const { return m_enabled; }

    // Held, the timer does not count (a menu is open over the photo); released, an enabled
    // timer starts a full delay again.
    void setHeld(bool held);
    bool isHeld() const { return m_held; }

    // The window has closed: no tick from now on.
    void shutdown();
    bool isShutDown() const { return m_shutDown; }

    // Whether a tick is on its way (enabled, not held, with a delay, not shut down).
    bool isCounting() const { return m_timer.isActive(); }
    // Milliseconds before the next tick; -1 when none is on its way.
    qint64 remaining() const;

signals:
    void tick();

private:
    void arm();
    void armStep();
    void stepElapsed();

    QTimer m_timer;
    QDeadlineTimer m_deadline;
    qint64 m_interval;
    bool m_enabled = false;
    bool m_held = false;
    bool m_shutDown = false;
};
