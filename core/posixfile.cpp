#include "core/posixfile.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace PosixFile {

bool Descriptor::close()
{
    const int fd = std::exchange(m_fd, -1);
    return fd < 0 || ::close(fd) == 0;
}

bool writeAll(int fd, const char *data, std::size_t size)
{
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        data += n;
        size -= std::size_t(n);
    }
    return true;
}

bool syncFolderOf(const QString &path)
{
    Descriptor folder(::open(QFile::encodeName(QFileInfo(path).absolutePath()).constData(),
                             O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    return folder.isOpen() && ::fsync(folder.get()) == 0;
}

bool replaceWhole(const QString &path, const QByteArray &bytes)
{
    const QFileInfo given(path);
    const QFileInfo target(given.isSymLink() && given.exists() ? given.canonicalFilePath() : path);
    const QString folder = target.absolutePath();
    const QByteArray targetName = QFile::encodeName(target.absoluteFilePath());

    // A hidden name in the same folder, so that the rename stays on one file system.
    QByteArray temporaryName;
    Descriptor fd;
    for (int attempt = 0; attempt < 16 && !fd.isOpen(); ++attempt) {
        temporaryName = QFile::encodeName(folder + QLatin1String("/.") + target.fileName() + QLatin1Char('.')
                                          + QString::number(QRandomGenerator::global()->generate(), 36)
                                          + QLatin1String(".tmp"));
        fd = Descriptor(::open(temporaryName.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
        if (!fd.isOpen() && errno != EEXIST)
            break;
    }
    if (!fd.isOpen())
        return false;

    bool written = writeAll(fd.get(), bytes.constData(), std::size_t(bytes.size()));
    struct stat existing {};
    if (written && ::stat(targetName.constData(), &existing) == 0)
        written = ::fchmod(fd.get(), existing.st_mode & 07777) == 0;
    // The data must be on the disk before the name points at it, or a crash could leave an
    // empty file under the old name.
    written = written && ::fdatasync(fd.get()) == 0;
    written = fd.close() && written;
    written = written && ::rename(temporaryName.constData(), targetName.constData()) == 0;
    if (!written) {
        ::unlink(temporaryName.constData());
        return false;
    }
    // The file is already complete under its name; a failure to flush the folder is not worth
    // reporting.
    syncFolderOf(target.absoluteFilePath());
    return true;
}

} // namespace PosixFile
