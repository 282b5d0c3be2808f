#include "core/photofile.h"

#include "core/imaging.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <limits>
#include <utility>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Imaging::Detail {

namespace {

class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : m_fd(fd) {}
    ~FileDescriptor() { close(); }
    FileDescriptor(FileDescriptor &&other) noexcept : m_fd(std::exchange(other.m_fd, -1)) {}
    FileDescriptor &operator=(FileDescriptor &&other) noexcept
    {
        if (this != &other) {
            close();
            m_fd = std::exchange(other.m_fd, -1);
        }
        return *this;
    }
    int get() const { return m_fd; }
    bool isOpen() const { return m_fd >= 0; }
    // Closing can report a delayed write error, so its result matters when writing.
    bool close()
    {
        if (m_fd < 0)
            return true;
        const int rc = ::close(m_fd);
        m_fd = -1;
        return rc == 0;
    }

private:
    int m_fd;
};

FileDescriptor openForReading(const QString &path, qint64 &size)
{
    const QByteArray name = QFile::encodeName(path);
    FileDescriptor fd(::open(name.constData(), O_RDONLY | O_CLOEXEC));
    if (!fd.isOpen())
        throw ImagingError(errno == ENOENT || errno == ENOTDIR ? ErrorCode::FileNotFound : ErrorCode::ReadFailed);
    struct stat info {};
    if (::fstat(fd.get(), &info) != 0 || !S_ISREG(info.st_mode))
        throw ImagingError(ErrorCode::ReadFailed);
    if (info.st_size == 0)
        throw ImagingError(ErrorCode::EmptyFile);
    size = info.st_size;
    return fd;
}

QByteArray readUpTo(int fd, qint64 wanted)
{
    QByteArray bytes;
    try {
        bytes = QByteArray(qsizetype(wanted), Qt::Uninitialized);
    } catch (const std::bad_alloc &) {
        throw ImagingError(ErrorCode::OutOfMemory);
    }
    qint64 done = 0;
    while (done < wanted) {
        const ssize_t n = ::read(fd, bytes.data() + done, size_t(wanted - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            throw ImagingError(ErrorCode::ReadFailed);
        if (n == 0)
            break; // the file shrank meanwhile: keep what was there
        done += n;
    }
    bytes.truncate(qsizetype(done));
    if (bytes.isEmpty())
        throw ImagingError(ErrorCode::EmptyFile);
    return bytes;
}

bool writeAll(int fd, const QByteArray &bytes)
{
    const char *data = bytes.constData();
    qint64 left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, data, size_t(left));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        data += n;
        left -= n;
    }
    return true;
}

} // namespace

QByteArray readWholeFile(const QString &path)
{
    qint64 size = 0;
    FileDescriptor fd = openForReading(path, size);
    if (size > qint64(std::numeric_limits<qsizetype>::max() / 2))
        throw ImagingError(ErrorCode::TooLarge);
    return readUpTo(fd.get(), size);
}

QByteArray readFileStart(const QString &path, qint64 limit, qint64 &fileSize)
{
    FileDescriptor fd = openForReading(path, fileSize);
    return readUpTo(fd.get(), std::min(limit, fileSize));
}

void writeFileSafely(const QString &path, const QByteArray &bytes)
{
    // Through a symbolic link, the file it points at is the one rewritten.
    const QFileInfo given(path);
    const QFileInfo target(given.isSymLink() && given.exists() ? given.canonicalFilePath() : path);
    const QString folder = target.absolutePath();
    const QByteArray targetName = QFile::encodeName(target.absoluteFilePath());

    // A hidden name in the same folder, so that the rename stays on one file system.
    QByteArray temporaryName;
    FileDescriptor fd(-1);
    for (int attempt = 0; attempt < 16 && !fd.isOpen(); ++attempt) {
        temporaryName = QFile::encodeName(folder + QLatin1String("/.") + target.fileName()
                                          + QLatin1Char('.')
                                          + QString::number(QRandomGenerator::global()->generate(), 36)
                                          + QLatin1String(".tmp"));
        fd = FileDescriptor(::open(temporaryName.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
        if (!fd.isOpen() && errno != EEXIST)
            break;
    }
    if (!fd.isOpen())
        throw ImagingError(ErrorCode::WriteFailed);

    bool written = writeAll(fd.get(), bytes);
    struct stat existing {};
    if (written && ::stat(targetName.constData(), &existing) == 0)
        written = ::fchmod(fd.get(), existing.st_mode & 07777) == 0;
    // The data must be on the disk before the name points at it, or a crash could leave an
    // empty photo under the old name.
    written = written && ::fdatasync(fd.get()) == 0;
    written = fd.close() && written;
    written = written && ::rename(temporaryName.constData(), targetName.constData()) == 0;
    if (!written) {
        ::unlink(temporaryName.constData());
        throw ImagingError(ErrorCode::WriteFailed);
    }
    // Make the rename itself durable; the file is already complete under its name, so a
    // failure here is not worth reporting.
    FileDescriptor directory(::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (directory.isOpen())
        ::fsync(directory.get());
}

} // namespace Imaging::Detail
