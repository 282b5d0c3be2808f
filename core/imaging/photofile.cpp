#include "core/imaging/photofile.h"

#include "core/imaging/imaging.h"
#include "core/files/posixfile.h"

#include <cerrno>
#include <limits>
#include <utility>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Imaging::Detail {

namespace {

using FileDescriptor = PosixFile::Descriptor;

FileDescriptor openForReading(const QString &path, qint64 &size)
{
    FileDescriptor fd = PosixFile::open(path, O_RDONLY);
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

} // namespace Imaging::Detail
