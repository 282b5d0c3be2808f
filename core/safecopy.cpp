#include "core/safecopy.h"

#include "core/posixfile.h"
#include "core/error.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace SafeCopy {

namespace {

constexpr std::uint64_t P1 = 11400714785074694791ULL;
constexpr std::uint64_t P2 = 14029467366897019727ULL;
constexpr std::uint64_t P3 = 1609587929392839161ULL;
constexpr std::uint64_t P4 = 9650029242287828579ULL;
constexpr std::uint64_t P5 = 2870177450012600261ULL;

constexpr std::size_t BufferSize = 1 << 20;

inline std::uint64_t rotl(std::uint64_t x, int r) { return (x << r) | (x >> (64 - r)); }
inline std::uint64_t read64(const unsigned char *p)
{
    std::uint64_t v;
    std::memcpy(&v, p, 8);
    return v;
}
inline std::uint32_t read32(const unsigned char *p)
{
    std::uint32_t v;
    std::memcpy(&v, p, 4);
    return v;
}
inline std::uint64_t mixRound(std::uint64_t acc, std::uint64_t input)
{
    acc += input * P2;
    return rotl(acc, 31) * P1;
}
inline std::uint64_t mergeRound(std::uint64_t acc, std::uint64_t lane)
{
    acc ^= mixRound(0, lane);
    return acc * P1 + P4;
}

using PosixFile::Descriptor;
using PosixFile::writeAll;

// Reads until the buffer is full or the file ends; -1 on an error.
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

// Copies by read and write from the current offsets; fills the checksum when given.
// With startWriteback, the disk starts writing each piece at once, so that the flush that
// follows finds most of the file already written instead of starting from nothing.
bool copyByReading(int in, int out, Checksum *checksum, bool startWriteback = false)
{
    // Not zero-filled: every byte used is read first.
    const std::unique_ptr<char[]> buffer(new char[BufferSize]);
    off_t written = 0;
    for (;;) {
        const ssize_t n = readFull(in, buffer.get(), BufferSize);
        if (n < 0)
            return false;
        if (n == 0)
            return true;
        if (checksum)
            checksum->add(buffer.get(), std::size_t(n));
        if (!writeAll(out, buffer.get(), std::size_t(n)))
            return false;
        if (startWriteback)
            ::sync_file_range(out, written, n, SYNC_FILE_RANGE_WRITE);
        written += n;
    }
}

// Lets the kernel copy (reflink or in-kernel copy) and falls back to reading and writing
// where the file systems do not support it.
bool copyInKernel(int in, int out, off_t size)
{
    off_t left = size;
    while (left > 0) {
        const ssize_t n = ::copy_file_range(in, nullptr, out, nullptr, std::size_t(left), 0);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            if (errno == EXDEV || errno == ENOSYS || errno == EINVAL || errno == EOPNOTSUPP || errno == EBADF)
                return copyByReading(in, out, nullptr);
            return false;
        }
        if (n == 0) // the source shrank under us, or the kernel gives up: finish by reading
            return copyByReading(in, out, nullptr);
        left -= n;
    }
    // The source may have grown since it was measured.
    return copyByReading(in, out, nullptr);
}

// Checksum of the file as it is on the disk, not as the page cache remembers it.
bool checksumFromDisk(const QString &path, std::uint64_t *value, off_t *size)
{
    Descriptor fd(::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC));
    if (fd.get() < 0)
        return false;
    ::posix_fadvise(fd.get(), 0, 0, POSIX_FADV_DONTNEED);
    // Ask for the whole file at once: the disk serves one long read faster than the reads
    // that readahead would issue piece by piece.
    ::posix_fadvise(fd.get(), 0, 0, POSIX_FADV_WILLNEED);
    Checksum checksum;
    const std::unique_ptr<char[]> buffer(new char[BufferSize]);
    off_t total = 0;
    for (;;) {
        const ssize_t n = readFull(fd.get(), buffer.get(), BufferSize);
        if (n < 0)
            return false;
        if (n == 0)
            break;
        checksum.add(buffer.get(), std::size_t(n));
        total += n;
    }
    *value = checksum.value();
    *size = total;
    return true;
}

} // namespace

Checksum::Checksum(std::uint64_t seed)
    : m_lanes{seed + P1 + P2, seed + P2, seed, seed - P1}, m_seed(seed)
{
}

void Checksum::consumeStripe(const unsigned char *p)
{
    m_lanes[0] = mixRound(m_lanes[0], read64(p));
    m_lanes[1] = mixRound(m_lanes[1], read64(p + 8));
    m_lanes[2] = mixRound(m_lanes[2], read64(p + 16));
    m_lanes[3] = mixRound(m_lanes[3], read64(p + 24));
}

void Checksum::add(const void *data, std::size_t size)
{
    auto p = static_cast<const unsigned char *>(data);
    m_total += size;
    if (m_pendingSize > 0) {
        const std::size_t take = std::min(size, sizeof m_pending - m_pendingSize);
        std::memcpy(m_pending + m_pendingSize, p, take);
        m_pendingSize += take;
        p += take;
        size -= take;
        if (m_pendingSize < sizeof m_pending)
            return;
        consumeStripe(m_pending);
        m_pendingSize = 0;
    }
    while (size >= 32) {
        consumeStripe(p);
        p += 32;
        size -= 32;
    }
    std::memcpy(m_pending, p, size);
    m_pendingSize = size;
}

std::uint64_t Checksum::value() const
{
    std::uint64_t h;
    if (m_total >= 32) {
        h = rotl(m_lanes[0], 1) + rotl(m_lanes[1], 7) + rotl(m_lanes[2], 12) + rotl(m_lanes[3], 18);
        for (std::uint64_t lane : m_lanes)
            h = mergeRound(h, lane);
    } else {
        h = m_seed + P5;
    }
    h += m_total;
    const unsigned char *p = m_pending;
    std::size_t left = m_pendingSize;
    for (; left >= 8; p += 8, left -= 8)
        h = rotl(h ^ mixRound(0, read64(p)), 27) * P1 + P4;
    if (left >= 4) {
        h = rotl(h ^ (std::uint64_t(read32(p)) * P1), 23) * P2 + P3;
        p += 4;
        left -= 4;
    }
    for (; left > 0; ++p, --left)
        h = rotl(h ^ (*p * P5), 11) * P1;
    h ^= h >> 33;
    h *= P2;
    h ^= h >> 29;
    h *= P3;
    h ^= h >> 32;
    return h;
}

QString copyErrorMessage(const QString &source, const QString &target)
{
    return QStringLiteral("Erreur pendant la copie du fichier ") + source + QStringLiteral(" en ") + target
           + QStringLiteral(".");
}

QString createTemporaryBeside(const QString &target, int *fd)
{
    const QString folder = QFileInfo(target).absolutePath();
    QByteArray pattern = QFile::encodeName(folder + QStringLiteral("/.lumaro-XXXXXX.tmp"));
    *fd = ::mkostemps(pattern.data(), 4, O_CLOEXEC);
    return *fd < 0 ? QString() : QFile::decodeName(pattern);
}

void copyFile(const QString &source, const QString &target, Mode mode, const Hooks &hooks)
{
    const auto fail = [&] { return LumaroError(copyErrorMessage(source, target)); };

    Descriptor in(::open(QFile::encodeName(source).constData(), O_RDONLY | O_CLOEXEC));
    struct stat status {};
    if (in.get() < 0 || ::fstat(in.get(), &status) != 0 || !S_ISREG(status.st_mode))
        throw fail();
    // Sequential reading: the kernel reads ahead further.
    ::posix_fadvise(in.get(), 0, 0, POSIX_FADV_SEQUENTIAL);

    int rawOut = -1;
    const QString temporary = createTemporaryBeside(target, &rawOut);
    Descriptor out(rawOut);
    if (out.get() < 0)
        throw fail();
    const QByteArray temporaryName = QFile::encodeName(temporary);
    bool done = false;
    struct Cleanup {
        const QByteArray &name;
        const bool &done;
        ~Cleanup()
        {
            if (!done)
                ::unlink(name.constData());
        }
    } cleanup{temporaryName, done};

    Checksum sourceChecksum;
    const bool copied = mode == Mode::Verified ? copyByReading(in.get(), out.get(), &sourceChecksum, true)
                                               : copyInKernel(in.get(), out.get(), status.st_size);
    struct stat written {};
    if (!copied || ::fstat(out.get(), &written) != 0)
        throw fail();
    // The copy keeps the source's last-write time: names and histories are built from it.
    const struct timespec times[2] = {status.st_atim, status.st_mtim};
    if (::futimens(out.get(), times) != 0)
        throw fail();

    if (mode == Mode::Verified) {
        // The data and the size reach the disk here; the rest of the inode (its date) goes
        // with the folder's flush below, which commits the file system's journal.
        if (::fdatasync(out.get()) != 0 || !out.close())
            throw fail();
        if (hooks.afterWrite)
            hooks.afterWrite(temporary);
        std::uint64_t copyChecksum = 0;
        off_t copySize = 0;
        if (!checksumFromDisk(temporary, &copyChecksum, &copySize) || copySize != written.st_size
            || copyChecksum != sourceChecksum.value())
            throw fail();
    } else if (!out.close()) {
        throw fail();
    }
    if (::rename(temporaryName.constData(), QFile::encodeName(target).constData()) != 0)
        throw fail();
    done = true;
    // The new name must be on the disk too before the caller may delete the source.
    if (mode == Mode::Verified && !PosixFile::syncFolderOf(target))
        throw fail();
}

} // namespace SafeCopy
