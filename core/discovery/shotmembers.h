#pragma once
// The files that travel together as one shot: IMG_0001.JPG, IMG_0001.CR2 and IMG_0001.XMP of
// one folder. The photo list of a search holds one path per shot, its key member (the JPEG,
// else the RAW or HEIF, else the video); this companion maps a key member to every member, key
// first, so that the windows, the filter and the slideshow keep working on the list while the
// transfer takes every member along. A path it does not know is a shot of one file: with the
// other formats off it stays empty.
#include <QHash>
#include <QString>
#include <QStringList>

class ShotMembers {
public:
    // Every member of the shot whose key member is keyPath, key first; {keyPath} when the shot
    // is that one file.
    QStringList membersOf(const QString &keyPath) const;
    // Records a shot of several files; members.first() is its key. One member records nothing.
    void add(const QStringList &members);
    // How many shots of several files it knows.
    qsizetype size() const { return m_members.size(); }
    bool isEmpty() const { return m_members.isEmpty(); }
    void clear() { m_members.clear(); }

private:
    QHash<QString, QStringList> m_members;
};
