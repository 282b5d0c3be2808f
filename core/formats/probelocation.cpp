#include "core/formats/probelocation.h"

#include "core/files/filename.h"
#include "core/files/filesystem.h"
#include "core/files/paths.h"

#include <climits>
#include <unistd.h>

#ifndef LUMARO_PROBE_INSTALLED_FOLDER
#define LUMARO_PROBE_INSTALLED_FOLDER "../libexec/lumaro"
#endif

namespace ProbeLocation {

namespace {

bool isExecutableFile(const QString &path)
{
    return FileSystem::isFile(path) && ::access(FileName::encode(path).constData(), X_OK) == 0;
}

} // namespace

QString findFrom(const QString &programFolder)
{
    if (programFolder.isEmpty())
        return {};
    const QString folder = Paths::withSeparator(FileSystem::cleanPath(programFolder));
    const QString name = QString::fromLatin1(ProgramName);
    for (const QString &candidate :
         {folder + name, FileSystem::cleanPath(folder + QStringLiteral(LUMARO_PROBE_INSTALLED_FOLDER "/") + name)}) {
        if (isExecutableFile(candidate))
            return candidate;
    }
    return {};
}

QString runningProgramFolder()
{
    char buffer[PATH_MAX];
    const ssize_t n = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (n <= 0)
        return {};
    return FileSystem::folderOf(FileName::decode(QByteArray(buffer, qsizetype(n))));
}

QString find()
{
    return findFrom(runningProgramFolder());
}

} // namespace ProbeLocation
