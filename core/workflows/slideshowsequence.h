#pragma once
// Which photo of a slideshow is on display and where each command leads. The list belongs to
// the caller (the set-up dialog or a transfer window): deleting a photo removes its entry
// from that very list, so the caller sees what is left when the slideshow ends.
#include <QString>
#include <QStringList>

class SlideshowSequence {
public:
    SlideshowSequence(QStringList &photos, bool loop);

    // Zero-based index of the photo on display; -1 before the first one is shown and once the
    // list is empty.
    int IndicePhoto() const { return m_index; }
    int count() const { return int(m_photos.size()); }
    bool isEmpty() const { return m_photos.isEmpty(); }
    bool loops() const { return m_loop; }
    // The path on display; empty when there is none.
    QString current() const;

    bool canGoBack() const { return m_index > 0; }
    bool canGoForward() const { return m_index < count() - 1; }

    enum class Advance {
        Moved,      // the next photo is now current
        Looped,     // the end was reached and the slideshow starts again at the first photo
        EndReached, // the last photo is on display (or the list is empty): nothing moved
    };
    Advance next();
    // False at the first photo, where nothing moves.
    bool previous();
    // False when the list is empty.
    bool first();
    bool last();

    // The photo that next() would show, for decoding it ahead; empty when next() would not move.
    QString following() const;

    enum class Removal { ShowCurrent, ListEmpty };
    // Removes the current entry. The photo that followed takes its place; when the last photo
    // was removed the new last one is current.
    Removal removeCurrent();

private:
    QStringList &m_photos;
    int m_index = -1;
    bool m_loop;
};
