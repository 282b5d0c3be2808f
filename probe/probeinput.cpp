#include "probe/probeinput.h"

#include "core/files/filename.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr qint64 HeadBytes = 64 * 1024;

} // namespace

std::optional<ProbeInput> ProbeInput::openFile(const QByteArray &encodedPath, QString *failure)
{
    ProbeInput input;
    // Not blocking: a pipe or a device under a camera file's name must not hold the probe.
    input.m_fd = PosixFile::open(FileName::decode(encodedPath), O_RDONLY | O_NONBLOCK);
    if (!input.m_fd.isOpen()) {
        *failure = errno == ENOENT ? QStringLiteral("Fichier introuvable") : QStringLiteral("Lecture impossible");
        return std::nullopt;
    }
    struct stat status {};
    if (::fstat(input.m_fd.get(), &status) != 0 || !S_ISREG(status.st_mode)) {
        *failure = QStringLiteral("Ce n'est pas un fichier");
        return std::nullopt;
    }
    if (status.st_size == 0) {
        *failure = QStringLiteral("Fichier vide");
        return std::nullopt;
    }
    input.m_path = encodedPath;
    input.m_size = status.st_size;
    QByteArray head(qsizetype(std::min<qint64>(input.m_size, HeadBytes)), Qt::Uninitialized);
    const ssize_t read = PosixFile::readFull(input.m_fd.get(), head.data(), size_t(head.size()));
    head.resize(qsizetype(std::max<ssize_t>(read, 0)));
    input.m_head = std::move(head);
    return input;
}

ProbeInput ProbeInput::fromBytes(QByteArray bytes)
{
    ProbeInput input;
    input.m_size = bytes.size();
    input.m_bytes = std::move(bytes);
    return input;
}

qint64 ProbeInput::read(qint64 offset, char *buffer, qint64 size) const
{
    if (offset < 0 || size < 0)
        return -1;
    if (offset >= m_size)
        return 0;
    size = std::min(size, m_size - offset);
    if (size == 0)
        return 0; // libheif asks for nothing with no buffer at all
    const QByteArray &memory = isFile() ? m_head : m_bytes;
    if (offset + size <= memory.size()) {
        std::memcpy(buffer, memory.constData() + offset, size_t(size));
        return size;
    }
    qint64 done = 0;
    while (done < size) {
        const ssize_t n = ::pread(m_fd.get(), buffer + done, size_t(size - done), off_t(offset + done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return -1;
        if (n == 0)
            break; // the file shrank since it was opened
        done += n;
    }
    return done;
}
