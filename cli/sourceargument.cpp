#include "cli/sourceargument.h"

#include "core/error.h"
#include "core/files/filesystem.h"
#include "core/files/paths.h"

SourceArgument sourceArgument(const QString &argument)
{
    if (PhotoSources::isDeviceText(argument)) {
        SourceOpening opening = PhotoSources::open(argument);
        if (!opening.source)
            throw LumaroError(opening.message);
        return {opening.source->root(), std::move(opening.source)};
    }
    const QString folder = Paths::withSeparator(FileSystem::absolutePath(PhotoSources::localPath(argument)));
    if (!FileSystem::isFolder(folder))
        throw LumaroError(QStringLiteral("Le dossier %1 n'existe pas.").arg(folder));
    return {folder, nullptr};
}
