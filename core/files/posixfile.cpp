#include "core/files/posixfile.h"

#include "core/files/filename.h"
#include "core/files/filesystem.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace PosixFile {

bool Descriptor::close()
{
    const int fd = std::exchange(m_fd, -1);
    return fd < 0 || ::close(fd) == 0;
}

Descriptor open(const QString &path, int flags, mode_t mode)
{
    return Descriptor(::open(FileName::encode(path).constData(), flags | O_CLOEXEC, mode));
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

ssize_t readFull(int fd, char *data, std::size_t size)
{
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = ::read(fd, data + done, size - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return -1;
        }
        if (n == 0)
            break;
        done += std::size_t(n);
    }
    return ssize_t(done);
}

bool syncFolderOf(const QString &path)
{
    const Descriptor folder = open(FileSystem::folderOf(FileSystem::absolutePath(path)), O_RDONLY | O_DIRECTORY);
    return folder.isOpen() && ::fsync(folder.get()) == 0;
}

} // namespace PosixFile
