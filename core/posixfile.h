#pragma once
// Plain POSIX file work shared by the units that must control flushing themselves: the photo
// files, the verified copies and every file the program replaces whole.
#include <QByteArray>
#include <QString>

#include <cstddef>
#include <utility>

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

// Writes every byte, going on after interruptions; false on an error.
bool writeAll(int fd, const char *data, std::size_t size);
// Flushes the folder that holds path, so that a rename in it survives a crash.
bool syncFolderOf(const QString &path);

// Writes the bytes under a hidden temporary name in the target's folder, flushes them to disk and
// renames the result over the target (which keeps its permissions; through a symbolic link the
// file it points at is replaced). False on any failure: the temporary file is removed and the
// target is as it was.
bool replaceWhole(const QString &path, const QByteArray &bytes);

} // namespace PosixFile
