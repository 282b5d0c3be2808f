#include "core/workflows/slideshowsequence.h"

SlideshowSequence::SlideshowSequence(QStringList &photos, bool loop) : m_photos(photos), m_loop(loop) {}

QString SlideshowSequence::current() const
{
    return m_index >= 0 && m_index < count() ? m_photos.at(m_index) : QString();
}

SlideshowSequence::Advance SlideshowSequence::next()
{
    if (m_index < count() - 1) {
        ++m_index;
        return Advance::Moved;
    }
    // An empty list has no first photo to start again with.
    if (m_loop && !isEmpty()) {
        m_index = 0;
        return Advance::Looped;
    }
    return Advance::EndReached;
}

bool SlideshowSequence::previous()
{
    if (m_index <= 0 || isEmpty())
        return false;
    m_index = qMin(m_index, count()) - 1;
    return true;
}

bool SlideshowSequence::first()
{
    if (isEmpty())
        return false;
    m_index = 0;
    return true;
}

bool SlideshowSequence::last()
{
    if (isEmpty())
        return false;
    m_index = count() - 1;
    return true;
}

QString SlideshowSequence::following() const
{
    if (m_index < count() - 1)
        return m_photos.at(m_index + 1);
    return m_loop && !isEmpty() ? m_photos.first() : QString();
}

SlideshowSequence::Removal SlideshowSequence::removeCurrent()
{
    if (m_index >= 0 && m_index < count())
        m_photos.removeAt(m_index);
    if (isEmpty()) {
        m_index = -1;
        return Removal::ListEmpty;
    }
    m_index = qBound(0, m_index, count() - 1);
    return Removal::ShowCurrent;
}
