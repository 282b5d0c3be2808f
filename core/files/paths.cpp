#include "core/files/paths.h"

#include "core/files/filename.h"
#include "core/files/filesystem.h"

#include <pwd.h>
#include <unistd.h>

namespace Paths {

bool endsWithSeparator(const QString &path)
{
    return path.endsWith(u'/') || path.endsWith(u'\\');
}

QString withSeparator(const QString &path)
{
    return endsWithSeparator(path) ? path : path + u'/';
}

QString shownFolder(const QString &stored)
{
    return stored == QLatin1String("/") || stored == QLatin1String("\\") ? QString() : stored;
}

QString toSlashes(const QString &path)
{
    QString result = path;
    result.replace(u'\\', u'/');
    return result;
}

QString settingsFolder(const QString &executableFolder)
{
    if (!executableFolder.isEmpty() && FileSystem::isFile(withSeparator(executableFolder) + QStringLiteral("Lumaro.ini")))
        return withSeparator(executableFolder);
    // Not QStandardPaths: Qt 6.4 takes a relative XDG_CONFIG_HOME as it is and loses the bytes of
    // a home whose name is not UTF-8.
    QString base = FileName::decode(qgetenv("XDG_CONFIG_HOME"));
    if (!base.startsWith(u'/')) {
        QString home = FileName::decode(qgetenv("HOME"));
        if (!home.startsWith(u'/'))
            home = QStringLiteral("/");
        base = withSeparator(home) + QStringLiteral(".config");
    }
    return withSeparator(base) + QStringLiteral("lumaro/");
}

QString defaultCardReader()
{
    QString login;
    if (const passwd *entry = getpwuid(getuid()); entry && entry->pw_name)
        login = FileName::decode(entry->pw_name);
    if (login.isEmpty())
        login = qEnvironmentVariable("USER");
    return QStringLiteral("/media/") + login + u'/';
}

} // namespace Paths
