#pragma once
// The one way the program writes a file: under a short temporary name beside the target, then
// flushed and renamed over it, so that the user never finds half a file under a final name
// and a failed write leaves the old file whole. Photos, turned photos, low-quality copies, EXIF
// texts, extra files, settings, the filter and the histories are all written through here.
//
// Modes: a new file gets what cp gives it, 0666 less the umask; a file replaced keeps its mode
// (and its owner when the process may give it). Through a symbolic link the file it leads to
// is replaced. The temporary name has a fixed length (".lumaro-XXXXXXXX.tmp"), so a target
// whose name is as long as the file system allows can still be written.
#include <QByteArray>
#include <QString>

#include "core/files/posixfile.h"

class FileReplacement {
public:
    enum class Sync {
        None, // renamed when written: fast, for copies whose source stays
        Full, // the data on the disk before the rename, the folder flushed after it
    };

    // Creates the temporary file beside the target (whose folder must exist).
    explicit FileReplacement(const QString &target, Sync sync = Sync::Full);
    // Removes the temporary file unless it was committed.
    ~FileReplacement();
    FileReplacement(const FileReplacement &) = delete;
    FileReplacement &operator=(const FileReplacement &) = delete;

    bool isOpen() const { return m_fd.isOpen(); }
    // The temporary file while it is open; -1 once closed.
    int descriptor() const { return m_fd.get(); }
    const QString &temporaryPath() const { return m_temporary; }
    // The file that commit() replaces: the target, or the file its link leads to.
    const QString &targetPath() const { return m_target; }

    bool write(const char *data, qsizetype size);
    bool write(const QByteArray &bytes) { return write(bytes.constData(), bytes.size()); }

    // Gives the file its mode, flushes it (Sync::Full) and closes it, so that it can be read
    // back under temporaryPath() before it takes the target's place. False on any failure.
    bool close();
    // close() if not done yet, then the rename over the target, then (Sync::Full) the folder's
    // flush. False when the file could not take its place: the target is then as it was.
    bool commit();
    // After a commit with Sync::Full: whether the folder's flush succeeded, that is whether
    // the new name would survive a crash.
    bool folderSynced() const { return m_folderSynced; }

    // Writes the bytes as the whole new content of the file, with Sync::Full. False on any
    // failure, the file being then as it was.
    static bool writeWhole(const QString &path, const QByteArray &bytes);

    // Removes from the folder the temporary files that an interrupted program left behind (a
    // crash, a kill, a card pulled out): those no running write holds and that are a few
    // seconds old. Returns how many went.
    static int removeLeftovers(const QString &folder);

private:
    QString m_target;
    QString m_temporary;
    PosixFile::Descriptor m_fd;
    PosixFile::Descriptor m_lock; // the temporary file's lock, a duplicate of m_fd kept open
    Sync m_sync;
    bool m_closed = false;
    bool m_failed = false;
    bool m_committed = false;
    bool m_folderSynced = false;
};
