#pragma once
// Copying a photo so that the user never finds a half-written file under its final name:
// the bytes go to a temporary name in the destination folder, the copy takes the source's
// last-write time, and only then is it renamed to its final name.
//
// A verified copy is made before a source is deleted: the copy is flushed to the disk, dropped
// from the page cache, read back from the disk and its checksum compared with that of the bytes
// read from the source. Only a copy that passes may replace the user's only original.
#include <QString>

#include <cstddef>
#include <cstdint>
#include <functional>

namespace SafeCopy {

enum class Mode {
    Plain,    // the source stays: no read-back
    Verified, // the source will be deleted: flush, read back and compare
};

// Test seam: called with the temporary file's path after the bytes are written and flushed,
// before the read-back. Lets a test damage the copy as a failing disk would.
struct Hooks {
    std::function<void(const QString &temporaryPath)> afterWrite;
};

// Copies source to target, replacing a file of that name. Throws LumaroError
// "Erreur pendant la copie du fichier <source> en <target>." on any failure; the target is then
// as it was (absent or the old file) and no temporary file is left behind.
// The target's folder must exist.
void copyFile(const QString &source, const QString &target, Mode mode = Mode::Plain, const Hooks &hooks = {});

// The program's copy error, shared by every copy step.
QString copyErrorMessage(const QString &source, const QString &target);

// A fast 64-bit checksum (the xxHash64 construction), fed piece by piece.
class Checksum {
public:
    explicit Checksum(std::uint64_t seed = 0);
    void add(const void *data, std::size_t size);
    std::uint64_t value() const;

private:
    void consumeStripe(const unsigned char *p);
    std::uint64_t m_lanes[4];
    std::uint64_t m_total = 0;
    unsigned char m_pending[32];
    std::size_t m_pendingSize = 0;
    std::uint64_t m_seed;
};

// A temporary file name in the folder of target, unique for this process and moment; the file
// is created empty (exclusively) and its open descriptor returned in *fd, or -1 on failure.
QString createTemporaryBeside(const QString &target, int *fd);

} // namespace SafeCopy
