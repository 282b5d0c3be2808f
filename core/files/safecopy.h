#pragma once
// Copying a photo so that the user never finds a half-written file under its final name:
// the bytes go to a temporary name in the destination folder (FileReplacement), the copy takes
// the source's last-write time, and only then is it renamed to its final name.
//
// A verified copy is made before a source is deleted: the copy is flushed to the disk, read
// back from the disk past the page cache (O_DIRECT, or with the cache dropped where a file
// system does not allow it) and compared: with the bytes themselves when they are in memory
// (a photo turned, a camera's file), else by its checksum against that of the bytes read from
// the source file as they went by. Only a copy that passes may replace the user's only original.
#include <QByteArray>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>

#include <time.h>

class FileReplacement;

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

// Copies source to target, replacing a file of that name (whose mode the copy keeps; a new
// file gets 0666 less the umask). Throws LumaroError
// "Erreur pendant la copie du fichier <source> en <target>." on any failure; the target is then
// as it was (absent or the old file) and no temporary file is left behind.
// The target's folder must exist.
void copyFile(const QString &source, const QString &target, Mode mode = Mode::Plain, const Hooks &hooks = {});

// Writes `content`, made from the source's bytes (the source turned without loss, for
// instance), as target, with the source's last-write time and the guarantees of copyFile:
// with Mode::Verified it is flushed, read back past the page cache and compared with
// `content` before it takes the target's place. Throws LumaroError with the copy error.
void writeFromSource(const QString &source, const QByteArray &content, const QString &target, Mode mode = Mode::Plain,
                     const Hooks &hooks = {});

// Writes bytes that come from elsewhere than a local file (a camera's file read into memory) as
// target, with the given last-write time (the access time is now) and the guarantees of
// copyFile: with Mode::Verified it is flushed, read back past the page cache and compared with
// `content` before it takes the target's place. `source` names the origin in the error message
// (a device file's address). Throws LumaroError with the copy error.
void writeContent(const QString &source, const QByteArray &content, const struct timespec &modified,
                  const QString &target, Mode mode = Mode::Plain, const Hooks &hooks = {});

// A copy written under its temporary name beside its target and, with Mode::Verified, flushed,
// read back past the page cache and found identical: only its rename is left, so that a
// transfer can write photos ahead on other threads and give them their names in order. It may
// be made on one thread and committed on another. Dropped uncommitted, it removes its
// temporary file: nothing is left of it.
class StagedFile {
public:
    StagedFile(std::unique_ptr<FileReplacement> file, Mode mode, QString error);
    StagedFile(StagedFile &&) noexcept;
    StagedFile &operator=(StagedFile &&) noexcept;
    ~StagedFile();

    // Renames the copy over its target and, with Mode::Verified, flushes the folder, so that
    // the new name is on the disk before a source may go. Throws LumaroError with the copy
    // error; the target is then as it was. Call once.
    void commit();
    // The file the copy replaces.
    const QString &target() const;

private:
    std::unique_ptr<FileReplacement> m_file;
    Mode m_mode;
    QString m_error;
};

// copyFile, writeFromSource and writeContent without their last step: the copy is left under
// its temporary name for StagedFile::commit(). They throw what those throw.
StagedFile stageFile(const QString &source, const QString &target, Mode mode = Mode::Plain, const Hooks &hooks = {});
StagedFile stageFromSource(const QString &source, const QByteArray &content, const QString &target,
                           Mode mode = Mode::Plain, const Hooks &hooks = {});
StagedFile stageContent(const QString &source, const QByteArray &content, const struct timespec &modified,
                        const QString &target, Mode mode = Mode::Plain, const Hooks &hooks = {});

// The program's copy error, shared by every copy step.
QString copyErrorMessage(const QString &source, const QString &target);

// The 64-bit XXH3 checksum of libxxhash, fed piece by piece.
class Checksum {
public:
    Checksum();
    ~Checksum();
    Checksum(const Checksum &) = delete;
    Checksum &operator=(const Checksum &) = delete;

    void add(const void *data, std::size_t size);
    std::uint64_t value() const;
    void reset(); // back to the checksum of nothing

private:
    struct State;
    std::unique_ptr<State> m_state;
};

} // namespace SafeCopy
