#pragma once
// The file-system queries and small changes of the core, on paths of the program (QString),
// each encoded by FileName so that a name read from the disk reaches the same file again.
// Plain POSIX underneath: nothing here follows Qt's own encoding of names.
#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>

#include <optional>

#include <sys/stat.h>

namespace FileSystem {

// stat(2), or lstat(2) when links are not followed; empty when nothing answers.
std::optional<struct stat> status(const QString &path, bool followLinks = true);

// Anything at all answers to the name, even a link that leads nowhere.
bool exists(const QString &path);
bool isFile(const QString &path);   // a regular file, through links
bool isFolder(const QString &path); // a folder, through links
// Both names lead to the same existing file.
bool sameFile(const QString &a, const QString &b);

// Creates the folder and its missing parents (mode 0777 less the umask, as mkdir -p does);
// true when a folder stands there in the end. The folders this call made, the outermost
// first, are added to *created when it is given.
bool makeFolders(const QString &path, QStringList *created = nullptr);
// Removes a file (not a folder); false when it could not be removed.
bool remove(const QString &path);
// Removes a folder only when it is empty; false when it is still there or was never one.
bool removeEmptyFolder(const QString &path);

// The bytes the process may still write on the file system that holds the folder (what
// statvfs(3) calls f_bavail); empty when it cannot be asked.
std::optional<quint64> freeSpace(const QString &folder);

// The last-write time; empty when the file does not exist.
std::optional<struct timespec> modificationTime(const QString &path);
// The same as a local date-time; invalid when the file does not exist.
QDateTime lastModified(const QString &path);
// Sets the last-write time and leaves the access time alone; false on failure.
bool setModificationTime(const QString &path, const struct timespec &time);

// A whole (small) file; empty when it cannot be read.
std::optional<QByteArray> readAll(const QString &path);
// The names in a folder (without "." and ".."), in no particular order; empty when it cannot
// be listed.
QStringList folderEntries(const QString &folder);

// The working folder of the process.
QString currentFolder();
// The path made absolute against the working folder, then cleaned.
QString absolutePath(const QString &path);
// "." and empty parts dropped, ".." taken back, "/" kept between parts only, by the text alone
// (links are not looked at): "/a/./b/../c//" gives "/a/c". ".." above the root stays at the root.
QString cleanPath(const QString &path);
// Links and "." or ".." resolved by the system; empty when the path does not exist.
QString canonicalPath(const QString &path);
// Whether the path, made absolute and cleaned, lies strictly below the folder made absolute
// and cleaned the same way.
bool isInside(const QString &folder, const QString &path);

// The folder part of a path with its trailing "/" ("" for a bare name), and the name after it.
QString folderOf(const QString &path);
QString fileNameOf(const QString &path);

} // namespace FileSystem
