#include "core/files/filesystem.h"

#include "core/files/filename.h"
#include "core/files/posixfile.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <memory>

#include <dirent.h>
#include <fcntl.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace FileSystem {

namespace {

struct FreeDeleter {
    void operator()(char *p) const { std::free(p); }
};

} // namespace

std::optional<struct stat> status(const QString &path, bool followLinks)
{
    struct stat info {};
    const QByteArray name = FileName::encode(path);
    const int rc = followLinks ? ::stat(name.constData(), &info) : ::lstat(name.constData(), &info);
    if (rc != 0)
        return std::nullopt;
    return info;
}

bool exists(const QString &path)
{
    return !path.isEmpty() && status(path, false).has_value();
}

bool isFile(const QString &path)
{
    const std::optional<struct stat> info = status(path);
    return info && S_ISREG(info->st_mode);
}

bool isFolder(const QString &path)
{
    const std::optional<struct stat> info = status(path);
    return info && S_ISDIR(info->st_mode);
}

bool sameFile(const QString &a, const QString &b)
{
    const std::optional<struct stat> first = status(a);
    const std::optional<struct stat> second = status(b);
    return first && second && first->st_dev == second->st_dev && first->st_ino == second->st_ino;
}

bool makeFolders(const QString &path, QStringList *created)
{
    if (path.isEmpty())
        return false;
    if (isFolder(path))
        return true;
    const QString absolute = absolutePath(path);
    // Each missing part from the top down; a part that stands already is passed over.
    for (qsizetype slash = absolute.indexOf(u'/', 1); ; slash = absolute.indexOf(u'/', slash + 1)) {
        const QString part = slash < 0 ? absolute : absolute.left(slash);
        if (::mkdir(FileName::encode(part).constData(), 0777) == 0) {
            if (created)
                created->append(part);
        } else if (errno != EEXIST) {
            return false;
        }
        if (slash < 0)
            break;
    }
    return isFolder(absolute);
}

bool remove(const QString &path)
{
    return ::unlink(FileName::encode(path).constData()) == 0;
}

bool removeEmptyFolder(const QString &path)
{
    return ::rmdir(FileName::encode(path).constData()) == 0;
}

std::optional<quint64> freeSpace(const QString &folder)
{
    struct statvfs info {};
    if (::statvfs(FileName::encode(folder).constData(), &info) != 0)
        return std::nullopt;
    return quint64(info.f_bavail) * quint64(info.f_frsize);
}

std::optional<struct timespec> modificationTime(const QString &path)
{
    const std::optional<struct stat> info = status(path);
    if (!info)
        return std::nullopt;
    return info->st_mtim;
}

QDateTime lastModified(const QString &path)
{
    const std::optional<struct timespec> time = modificationTime(path);
    if (!time)
        return QDateTime();
    return QDateTime::fromMSecsSinceEpoch(qint64(time->tv_sec) * 1000 + time->tv_nsec / 1000000);
}

bool setModificationTime(const QString &path, const struct timespec &time)
{
    const struct timespec times[2] = {{0, UTIME_OMIT}, time};
    return ::utimensat(AT_FDCWD, FileName::encode(path).constData(), times, 0) == 0;
}

std::optional<QByteArray> readAll(const QString &path)
{
    const PosixFile::Descriptor fd = PosixFile::open(path, O_RDONLY);
    struct stat info {};
    if (!fd.isOpen() || ::fstat(fd.get(), &info) != 0 || S_ISDIR(info.st_mode))
        return std::nullopt;
    QByteArray bytes;
    char buffer[65536];
    for (;;) {
        const ssize_t n = PosixFile::readFull(fd.get(), buffer, sizeof buffer);
        if (n < 0)
            return std::nullopt;
        if (n == 0)
            break;
        bytes.append(buffer, qsizetype(n));
    }
    return bytes;
}

QStringList folderEntries(const QString &folder)
{
    QStringList names;
    DIR *dir = ::opendir(FileName::encode(folder).constData());
    if (!dir)
        return names;
    while (const dirent *entry = ::readdir(dir)) {
        const char *name = entry->d_name;
        if (name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0)))
            continue;
        names.append(FileName::decode(name));
    }
    ::closedir(dir);
    return names;
}

QString currentFolder()
{
    const std::unique_ptr<char, FreeDeleter> cwd(::getcwd(nullptr, 0));
    return cwd ? FileName::decode(cwd.get()) : QStringLiteral("/");
}

QString cleanPath(const QString &path)
{
    if (path.isEmpty())
        return path;
    const bool absolute = path.startsWith(u'/');
    QStringList parts;
    for (const QString &part : path.split(u'/', Qt::SkipEmptyParts)) {
        if (part == QLatin1String("."))
            continue;
        if (part == QLatin1String("..")) {
            if (!parts.isEmpty() && parts.back() != QLatin1String(".."))
                parts.removeLast();
            else if (!absolute)
                parts.append(part);
            continue;
        }
        parts.append(part);
    }
    const QString joined = parts.join(u'/');
    if (absolute)
        return u'/' + joined;
    return joined.isEmpty() ? QStringLiteral(".") : joined;
}

QString absolutePath(const QString &path)
{
    if (path.startsWith(u'/'))
        return cleanPath(path);
    return cleanPath(currentFolder() + u'/' + path);
}

QString canonicalPath(const QString &path)
{
    const std::unique_ptr<char, FreeDeleter> resolved(::realpath(FileName::encode(path).constData(), nullptr));
    return resolved ? FileName::decode(resolved.get()) : QString();
}

bool isInside(const QString &folder, const QString &path)
{
    const QString root = absolutePath(folder);
    const QString inner = absolutePath(path);
    if (root == QLatin1String("/"))
        return inner.size() > 1;
    return inner.size() > root.size() + 1 && inner.startsWith(root) && inner.at(root.size()) == u'/';
}

QString folderOf(const QString &path)
{
    const qsizetype slash = path.lastIndexOf(u'/');
    return slash < 0 ? QString() : path.left(slash + 1);
}

QString fileNameOf(const QString &path)
{
    return path.mid(path.lastIndexOf(u'/') + 1);
}

} // namespace FileSystem
