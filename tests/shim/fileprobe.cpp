#include "fileprobe.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include <dlfcn.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

struct Settings {
    std::atomic<bool> active{false};
    char log[4096] = {};
    char reference[4096] = {};
};

Settings &settings()
{
    static Settings instance;
    return instance;
}

template <typename Function>
Function next(const char *name)
{
    void *symbol = ::dlsym(RTLD_NEXT, name);
    Function function;
    std::memcpy(&function, &symbol, sizeof function);
    return function;
}

using FdFunction = int (*)(int);
using RenameFunction = int (*)(const char *, const char *);
using UnlinkFunction = int (*)(const char *);

std::string pathOf(int fd)
{
    char link[64];
    std::snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
    char target[4096];
    const ssize_t n = ::readlink(link, target, sizeof target);
    return n > 0 ? std::string(target, std::size_t(n)) : std::string();
}

void record(const std::string &line)
{
    Settings &s = settings();
    if (!s.active.load() || !s.log[0])
        return;
    const int fd = ::open(s.log, O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0)
        return;
    const std::string text = line + '\n';
    [[maybe_unused]] const ssize_t written = ::write(fd, text.data(), text.size());
    ::close(fd);
}

bool readWhole(const char *path, std::string *bytes)
{
    const int fd = ::open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    char buffer[65536];
    ssize_t n;
    while ((n = ::read(fd, buffer, sizeof buffer)) > 0)
        bytes->append(buffer, std::size_t(n));
    ::close(fd);
    return n == 0;
}

bool isTemporaryFile(const std::string &path)
{
    const std::size_t slash = path.rfind('/');
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    return name.size() == 20 && name.compare(0, 8, ".lumaro-") == 0 && name.compare(16, 4, ".tmp") == 0;
}

// Changes one byte in the middle of a flushed temporary file whose bytes are not the
// reference's, and flushes it again: the disk now holds something else than was written.
void damage(int fd, const std::string &path, FdFunction flush)
{
    Settings &s = settings();
    if (!s.active.load() || !s.reference[0] || !isTemporaryFile(path))
        return;
    std::string written, reference;
    if (!readWhole(path.c_str(), &written) || written.empty() || !readWhole(s.reference, &reference)
        || written == reference)
        return;
    const off_t middle = off_t(written.size() / 2);
    const char changed = char(written[std::size_t(middle)] ^ 0x5A);
    if (::pwrite(fd, &changed, 1, middle) == 1 && flush(fd) == 0)
        record("damaged\t" + path);
}

void configureFromEnvironment() __attribute__((constructor));
void configureFromEnvironment()
{
    const char *log = std::getenv("LUMARO_PROBE_LOG");
    const char *reference = std::getenv("LUMARO_PROBE_DAMAGE");
    if (log || reference)
        FileProbe::start(log ? log : "", reference);
}

} // namespace

namespace FileProbe {

void start(const char *logPath, const char *damageReference)
{
    Settings &s = settings();
    s.active.store(false);
    std::snprintf(s.log, sizeof s.log, "%s", logPath);
    std::snprintf(s.reference, sizeof s.reference, "%s", damageReference ? damageReference : "");
    s.active.store(true);
}

void stop()
{
    settings().active.store(false);
}

} // namespace FileProbe

extern "C" {

int fdatasync(int fd)
{
    static const FdFunction real = next<FdFunction>("fdatasync");
    const int result = real(fd);
    if (result == 0 && settings().active.load()) {
        const int saved = errno;
        const std::string path = pathOf(fd);
        record("fdatasync\t" + path);
        damage(fd, path, real);
        errno = saved;
    }
    return result;
}

int fsync(int fd)
{
    static const FdFunction real = next<FdFunction>("fsync");
    const int result = real(fd);
    if (result == 0 && settings().active.load()) {
        const int saved = errno;
        const std::string path = pathOf(fd);
        record("fsync\t" + path);
        damage(fd, path, real);
        errno = saved;
    }
    return result;
}

int rename(const char *from, const char *to)
{
    static const RenameFunction real = next<RenameFunction>("rename");
    const int result = real(from, to);
    if (result == 0 && settings().active.load()) {
        const int saved = errno;
        record(std::string("rename\t") + from + '\t' + to);
        errno = saved;
    }
    return result;
}

int unlink(const char *path)
{
    static const UnlinkFunction real = next<UnlinkFunction>("unlink");
    const int result = real(path);
    if (result == 0 && settings().active.load()) {
        const int saved = errno;
        record(std::string("unlink\t") + path);
        errno = saved;
    }
    return result;
}

} // extern "C"
