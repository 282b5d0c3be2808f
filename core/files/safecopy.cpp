#include "core/files/safecopy.h"

#include "core/error.h"
#include "core/files/filereplacement.h"
#include "core/files/posixfile.h"

#include <xxhash.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace SafeCopy {

namespace {

constexpr std::size_t BufferSize = 1 << 20;

using PosixFile::Descriptor;
using PosixFile::readFull;
using PosixFile::writeAll;

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

struct AlignedFree {
    void operator()(void *p) const { std::free(p); }
};

// Receives a file's bytes in order, as the disk gives them back.
using BlockSink = std::function<void(const char *, std::size_t)>;

// Reads the whole file with O_DIRECT, past the page cache: what comes back is what the disk
// holds. False when the file system does not read that way (or stops short), so that the
// caller reads through the cache instead.
bool readDirect(const QString &path, const BlockSink &add, off_t *size)
{
    const Descriptor fd = PosixFile::open(path, O_RDONLY | O_DIRECT);
    struct stat status {};
    if (!fd.isOpen() || ::fstat(fd.get(), &status) != 0)
        return false;
    void *memory = nullptr;
    if (::posix_memalign(&memory, 4096, BufferSize) != 0)
        return false;
    const std::unique_ptr<char, AlignedFree> buffer(static_cast<char *>(memory));
    off_t total = 0;
    for (;;) {
        ssize_t n;
        do
            n = ::read(fd.get(), buffer.get(), BufferSize);
        while (n < 0 && errno == EINTR);
        if (n < 0)
            return false;
        add(buffer.get(), std::size_t(n));
        total += n;
        // Only the end of the file gives a short read here; anything else is read again
        // through the cache rather than trusted.
        if (std::size_t(n) < BufferSize) {
            if (total != status.st_size)
                return false;
            break;
        }
    }
    *size = total;
    return true;
}

// The file as it is on the disk, not as the page cache remembers it. `restart` is called
// before the file is read again through the cache, when the direct read gave up half-way.
bool readFromDisk(const QString &path, const std::function<void()> &restart, const BlockSink &add, off_t *size)
{
    if (readDirect(path, add, size))
        return true;
    restart();
    const Descriptor fd = PosixFile::open(path, O_RDONLY);
    if (!fd.isOpen())
        return false;
    // Without O_DIRECT, the cached pages are dropped first (the data were flushed before).
    ::posix_fadvise(fd.get(), 0, 0, POSIX_FADV_DONTNEED);
    // Ask for the whole file at once: the disk serves one long read faster than the reads
    // that readahead would issue piece by piece.
    ::posix_fadvise(fd.get(), 0, 0, POSIX_FADV_WILLNEED);
    const std::unique_ptr<char[]> buffer(new char[BufferSize]);
    off_t total = 0;
    for (;;) {
        const ssize_t n = readFull(fd.get(), buffer.get(), BufferSize);
        if (n < 0)
            return false;
        if (n == 0)
            break;
        add(buffer.get(), std::size_t(n));
        total += n;
    }
    *size = total;
    return true;
}

// A copy of a file, whose bytes went by only once, is known by its checksum.
bool diskHoldsChecksum(const QString &path, std::uint64_t expected, off_t expectedSize)
{
    Checksum checksum;
    off_t size = 0;
    const bool read = readFromDisk(
        path, [&checksum] { checksum.reset(); },
        [&checksum](const char *data, std::size_t n) { checksum.add(data, n); }, &size);
    return read && size == expectedSize && checksum.value() == expected;
}

// Bytes still in memory are compared with the disk byte for byte: exact, and cheaper than
// hashing both sides.
bool diskHoldsBytes(const QString &path, const QByteArray &content)
{
    qsizetype at = 0;
    bool same = true;
    off_t size = 0;
    const bool read = readFromDisk(
        path,
        [&] {
            at = 0;
            same = true;
        },
        [&](const char *data, std::size_t n) {
            same = same && qsizetype(n) <= content.size() - at && std::memcmp(content.constData() + at, data, n) == 0;
            at += qsizetype(n);
        },
        &size);
    return read && same && size == off_t(content.size());
}

} // namespace

struct Checksum::State {
    XXH3_state_t *state = XXH3_createState();
    ~State() { XXH3_freeState(state); }
};

Checksum::Checksum() : m_state(std::make_unique<State>())
{
    if (!m_state->state)
        throw std::bad_alloc();
    reset();
}

Checksum::~Checksum() = default;

void Checksum::reset()
{
    XXH3_64bits_reset(m_state->state);
}

void Checksum::add(const void *data, std::size_t size)
{
    XXH3_64bits_update(m_state->state, data, size);
}

std::uint64_t Checksum::value() const
{
    return XXH3_64bits_digest(m_state->state);
}

QString copyErrorMessage(const QString &source, const QString &target)
{
    return QStringLiteral("Erreur pendant la copie du fichier ") + source + QStringLiteral(" en ") + target
           + QStringLiteral(".");
}

namespace {

// Flushes, reads back and compares a finished copy (Mode::Verified): what is left is its rename.
StagedFile verified(std::unique_ptr<FileReplacement> out, Mode mode, const Hooks &hooks,
                    const std::function<bool(const QString &)> &diskHoldsCopy, const std::function<LumaroError()> &fail)
{
    if (mode == Mode::Verified) {
        // The data and the size reach the disk here; the rest of the inode (its date) goes
        // with the folder's flush at the commit, which commits the file system's journal.
        if (!out->close())
            throw fail();
        if (hooks.afterWrite)
            hooks.afterWrite(out->temporaryPath());
        if (!diskHoldsCopy(out->temporaryPath()))
            throw fail();
    }
    return StagedFile(std::move(out), mode, fail().message());
}

FileReplacement::Sync syncFor(Mode mode)
{
    return mode == Mode::Verified ? FileReplacement::Sync::Full : FileReplacement::Sync::None;
}

} // namespace

StagedFile::StagedFile(std::unique_ptr<FileReplacement> file, Mode mode, QString error)
    : m_file(std::move(file)), m_mode(mode), m_error(std::move(error))
{
}

StagedFile::StagedFile(StagedFile &&) noexcept = default;
StagedFile &StagedFile::operator=(StagedFile &&) noexcept = default;
StagedFile::~StagedFile() = default;

const QString &StagedFile::target() const
{
    return m_file->targetPath();
}

void StagedFile::commit()
{
    if (!m_file->commit())
        throw LumaroError(m_error);
    // The new name must be on the disk too before the caller may delete the source.
    if (m_mode == Mode::Verified && !m_file->folderSynced())
        throw LumaroError(m_error);
}

StagedFile stageFile(const QString &source, const QString &target, Mode mode, const Hooks &hooks)
{
    const auto fail = [&] { return LumaroError(copyErrorMessage(source, target)); };

    const Descriptor in = PosixFile::open(source, O_RDONLY);
    struct stat status {};
    if (!in.isOpen() || ::fstat(in.get(), &status) != 0 || !S_ISREG(status.st_mode))
        throw fail();
    // Sequential reading: the kernel reads ahead further.
    ::posix_fadvise(in.get(), 0, 0, POSIX_FADV_SEQUENTIAL);

    auto out = std::make_unique<FileReplacement>(target, syncFor(mode));
    if (!out->isOpen())
        throw fail();

    Checksum sourceChecksum;
    const bool copied = mode == Mode::Verified ? copyByReading(in.get(), out->descriptor(), &sourceChecksum, true)
                                               : copyInKernel(in.get(), out->descriptor(), status.st_size);
    struct stat written {};
    if (!copied || ::fstat(out->descriptor(), &written) != 0)
        throw fail();
    // The copy keeps the source's last-write time: names and histories are built from it.
    const struct timespec times[2] = {status.st_atim, status.st_mtim};
    if (::futimens(out->descriptor(), times) != 0)
        throw fail();
    const auto diskHoldsCopy = [&](const QString &path) {
        return diskHoldsChecksum(path, sourceChecksum.value(), written.st_size);
    };
    return verified(std::move(out), mode, hooks, diskHoldsCopy, fail);
}

void copyFile(const QString &source, const QString &target, Mode mode, const Hooks &hooks)
{
    stageFile(source, target, mode, hooks).commit();
}

namespace {

// The bytes under a temporary name beside the target, with the given times.
StagedFile stageBytes(const QByteArray &content, const struct timespec (&times)[2], const QString &target, Mode mode,
                      const Hooks &hooks, const std::function<LumaroError()> &fail)
{
    auto out = std::make_unique<FileReplacement>(target, syncFor(mode));
    if (!out->isOpen())
        throw fail();
    // Piece by piece, the disk starting on each piece at once (as a copy does): the flush that
    // follows then finds most of the file already written.
    qsizetype at = 0;
    do {
        const qsizetype size = std::min(content.size() - at, qsizetype(BufferSize));
        if (!out->write(content.constData() + at, size))
            throw fail();
        if (mode == Mode::Verified)
            ::sync_file_range(out->descriptor(), at, size, SYNC_FILE_RANGE_WRITE);
        at += size;
    } while (at < content.size());
    if (::futimens(out->descriptor(), times) != 0)
        throw fail();
    const auto diskHoldsCopy = [&content](const QString &path) { return diskHoldsBytes(path, content); };
    return verified(std::move(out), mode, hooks, diskHoldsCopy, fail);
}

} // namespace

StagedFile stageFromSource(const QString &source, const QByteArray &content, const QString &target, Mode mode,
                           const Hooks &hooks)
{
    const auto fail = [&] { return LumaroError(copyErrorMessage(source, target)); };

    const Descriptor in = PosixFile::open(source, O_RDONLY);
    struct stat status {};
    if (!in.isOpen() || ::fstat(in.get(), &status) != 0 || !S_ISREG(status.st_mode))
        throw fail();
    const struct timespec times[2] = {status.st_atim, status.st_mtim};
    return stageBytes(content, times, target, mode, hooks, fail);
}

void writeFromSource(const QString &source, const QByteArray &content, const QString &target, Mode mode,
                     const Hooks &hooks)
{
    stageFromSource(source, content, target, mode, hooks).commit();
}

StagedFile stageContent(const QString &source, const QByteArray &content, const struct timespec &modified,
                        const QString &target, Mode mode, const Hooks &hooks)
{
    const auto fail = [&] { return LumaroError(copyErrorMessage(source, target)); };
    const struct timespec times[2] = {{0, UTIME_NOW}, modified};
    return stageBytes(content, times, target, mode, hooks, fail);
}

void writeContent(const QString &source, const QByteArray &content, const struct timespec &modified,
                  const QString &target, Mode mode, const Hooks &hooks)
{
    stageContent(source, content, modified, target, mode, hooks).commit();
}

} // namespace SafeCopy
