#include "core/paths.h"

#include <QDir>
#include <QFileInfo>

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

QString toSlashes(const QString &path)
{
    QString result = path;
    result.replace(u'\\', u'/');
    return result;
}

QString settingsFolder(const QString &executableFolder)
{
    if (!executableFolder.isEmpty() && QFileInfo(withSeparator(executableFolder) + QStringLiteral("Lumaro.ini")).isFile())
        return withSeparator(executableFolder);
    QString base = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (base.isEmpty() || !QDir::isAbsolutePath(base))
        base = QDir::homePath() + QStringLiteral("/.config");
    return withSeparator(base) + QStringLiteral("lumaro/");
}

QString defaultCardReader()
{
    QString login;
    if (const passwd *entry = getpwuid(getuid()); entry && entry->pw_name)
        login = QString::fromLocal8Bit(entry->pw_name);
    if (login.isEmpty())
        login = qEnvironmentVariable("USER");
    return QStringLiteral("/media/") + login + u'/';
}

} // namespace Paths
