#pragma once
// Plain POSIX file work for the units that must control reading, writing and flushing
// themselves: the photo files, the verified copies and the files replaced whole. Paths are
// encoded by FileName, so every name the program has read opens the same file again.
#include <QString>

#include <cstddef>
#include <utility>

#include <sys/types.h>

namespace PosixFile {

// Closes a descriptor on every path out of a function.
class Descriptor {
public:
    explicit Descriptor(int fd = -1) : m_fd(fd) {}
    ~Descriptor() { close(); }
    Descriptor(Descriptor &&other) noexcept : m_fd(std::exchange(other.m_fd, -1)) {}
    Descriptor &operator=(Descriptor &&other) noexcept
    {
        if (this != &other) {
            close();
            m_fd = std::exchange(other.m_fd, -1);
        }
        return *this;
    }
    int get() const { return m_fd; }
    bool isOpen() const { return m_fd >= 0; }
    // Closes and reports the result: a delayed write error surfaces here.
    bool close();

private:
    int m_fd;
};

// open(2) on a path of the program, close-on-exec; the descriptor is not open on failure
// (errno tells why).
Descriptor open(const QString &path, int flags, mode_t mode = 0);

// Writes every byte, going on after interruptions; false on an error.
bool writeAll(int fd, const char *data, std::size_t size);
// Reads until the buffer is full or the file ends; the number of bytes read, -1 on an error.
ssize_t readFull(int fd, char *data, std::size_t size);
// Flushes the folder that holds path, so that a rename in it survives a crash.
bool syncFolderOf(const QString &path);

} // namespace PosixFile
