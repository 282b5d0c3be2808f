#include "core/files/filereplacement.h"

#include "core/corelog.h"
#include "core/files/filename.h"
#include "core/files/filesystem.h"
#include "core/files/paths.h"

#include <QRandomGenerator>
#include <QRegularExpression>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <ctime>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int RandomLength = 8;
constexpr int Attempts = 32;
constexpr int LeftoverAgeSeconds = 2;

QString randomPart()
{
    static const char alphabet[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    QString text;
    for (int i = 0; i < RandomLength; ++i)
        text.append(QLatin1Char(alphabet[QRandomGenerator::global()->bounded(36)]));
    return text;
}

// The file a write to this path really replaces: a link that leads to a file is followed.
QString resolvedTarget(const QString &path)
{
    const std::optional<struct stat> link = FileSystem::status(path, false);
    if (link && S_ISLNK(link->st_mode) && FileSystem::status(path)) {
        const QString canonical = FileSystem::canonicalPath(path);
        if (!canonical.isEmpty())
            return canonical;
    }
    return path;
}

} // namespace

FileReplacement::FileReplacement(const QString &target, Sync sync) : m_target(resolvedTarget(target)), m_sync(sync)
{
    const QString folder = FileSystem::folderOf(FileSystem::absolutePath(m_target));
    for (int attempt = 0; attempt < Attempts && !m_fd.isOpen(); ++attempt) {
        m_temporary = folder + QStringLiteral(".lumaro-") + randomPart() + QStringLiteral(".tmp");
        // 0666 before the umask: the mode a new file gets from cp.
        m_fd = PosixFile::open(m_temporary, O_WRONLY | O_CREAT | O_EXCL, 0666);
        if (!m_fd.isOpen() && errno != EEXIST)
            break;
    }
    if (!m_fd.isOpen()) {
        m_temporary.clear();
        return;
    }
    // Held until the file is renamed or removed, also after close() while it is read back: a
    // temporary file nobody holds is the leftover of an interrupted program (removeLeftovers).
    m_lock = PosixFile::Descriptor(::dup(m_fd.get()));
    if (m_lock.isOpen())
        ::flock(m_lock.get(), LOCK_EX | LOCK_NB);
}

int FileReplacement::removeLeftovers(const QString &folder)
{
    static const QRegularExpression pattern(QStringLiteral("^\\.lumaro-[a-z0-9]{8}\\.tmp$"));
    int removed = 0;
    const QString base = Paths::withSeparator(folder);
    for (const QString &name : FileSystem::folderEntries(base)) {
        if (!pattern.match(name).hasMatch())
            continue;
        const QString path = base + name;
        const std::optional<struct stat> info = FileSystem::status(path, false);
        // A file just created may not be locked yet by its writer: only files left for a while.
        if (!info || !S_ISREG(info->st_mode) || info->st_mtim.tv_sec > ::time(nullptr) - LeftoverAgeSeconds)
            continue;
        const PosixFile::Descriptor fd = PosixFile::open(path, O_RDONLY | O_NOFOLLOW);
        if (!fd.isOpen() || ::flock(fd.get(), LOCK_EX | LOCK_NB) != 0)
            continue; // another program is writing it
        if (::unlink(FileName::encode(path).constData()) == 0) {
            ++removed;
            qCInfo(lumaroCore) << "leftover temporary file removed:" << path;
        }
    }
    return removed;
}

FileReplacement::~FileReplacement()
{
    m_fd.close();
    if (!m_committed && !m_temporary.isEmpty())
        ::unlink(FileName::encode(m_temporary).constData());
    m_lock.close();
}

bool FileReplacement::write(const char *data, qsizetype size)
{
    const bool written = m_fd.isOpen() && PosixFile::writeAll(m_fd.get(), data, std::size_t(size));
    m_failed = m_failed || !written;
    return written;
}

bool FileReplacement::close()
{
    if (m_closed)
        return !m_failed;
    m_closed = true;
    if (!m_fd.isOpen()) {
        m_failed = true;
        return false;
    }
    bool done = !m_failed;
    // A file replaced keeps its mode and, where the process may, its owner. A file system
    // without modes (FAT) refuses both: the new content matters more than either.
    if (done) {
        if (const std::optional<struct stat> existing = FileSystem::status(m_target)) {
            struct stat mine {};
            const bool known = ::fstat(m_fd.get(), &mine) == 0;
            if (known && (mine.st_mode & 07777) != (existing->st_mode & 07777)
                && ::fchmod(m_fd.get(), existing->st_mode & 07777) != 0)
                qCInfo(lumaroCore) << "mode of" << m_target << "not kept";
            if (known && (mine.st_uid != existing->st_uid || mine.st_gid != existing->st_gid)
                && ::fchown(m_fd.get(), existing->st_uid, existing->st_gid) != 0)
                qCInfo(lumaroCore) << "owner of" << m_target << "not kept";
        }
    }
    // The data must be on the disk before the name points at it, or a crash could leave an
    // empty file under the final name.
    if (done && m_sync == Sync::Full)
        done = ::fdatasync(m_fd.get()) == 0;
    done = m_fd.close() && done;
    m_failed = !done;
    return done;
}

bool FileReplacement::commit()
{
    if (m_committed)
        return true;
    if (!close())
        return false;
    if (::rename(FileName::encode(m_temporary).constData(), FileName::encode(m_target).constData()) != 0)
        return false;
    m_committed = true;
    m_lock.close();
    if (m_sync == Sync::Full) {
        m_folderSynced = PosixFile::syncFolderOf(m_target);
        if (!m_folderSynced)
            qCInfo(lumaroCore) << "folder of" << m_target << "not flushed";
    }
    return true;
}

bool FileReplacement::writeWhole(const QString &path, const QByteArray &bytes)
{
    FileReplacement file(path, Sync::Full);
    return file.isOpen() && file.write(bytes) && file.commit();
}
