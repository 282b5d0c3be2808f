#include "core/sources/foldersource.h"

#include "core/files/filesystem.h"
#include "core/files/paths.h"

namespace {

DeviceOutcome goneOutcome()
{
    return DeviceOutcome::failure(DeviceStatus::Gone,
                                  QStringLiteral("La carte ou le dossier des photos n'est plus accessible."));
}

} // namespace

FolderSource::FolderSource(QString folder, VolumeLocator volumes)
    : m_root(Paths::withSeparator(folder)), m_volumes(std::move(volumes))
{
}

QString FolderSource::displayName() const
{
    return m_root;
}

bool FolderSource::holds(const QString &photo) const
{
    return !PhotoSources::isDeviceText(photo) && FileSystem::isInside(m_root, photo);
}

std::optional<SourceHistoryKey> FolderSource::historyKey(const QString &folder) const
{
    const std::optional<VolumeLocation> location = m_volumes.locate(folder);
    if (!location)
        return std::nullopt;
    return SourceHistoryKey{location->serial, location->relativePath};
}

DeviceResult<SourceListing> FolderSource::list(const QString &folder)
{
    if (!FileSystem::isFolder(folder))
        return gone() ? goneOutcome()
                      : DeviceOutcome::failure(DeviceStatus::NotFound,
                                               QStringLiteral("Le dossier %1 n'existe pas.").arg(folder));
    SourceListing listing;
    const QString base = Paths::withSeparator(folder);
    for (const QString &name : FileSystem::folderEntries(folder)) {
        const QString path = base + name;
        const std::optional<struct stat> info = FileSystem::status(path);
        if (!info)
            continue;
        if (S_ISDIR(info->st_mode)) {
            listing.folders.append(name);
        } else if (S_ISREG(info->st_mode)) {
            listing.files.append({name, qint64(info->st_size), FileSystem::lastModified(path)});
        }
    }
    return listing;
}

DeviceResult<SourceFile> FolderSource::describe(const QString &photo)
{
    const std::optional<struct stat> info = FileSystem::status(photo);
    if (!info || !S_ISREG(info->st_mode))
        return gone() ? goneOutcome()
                      : DeviceOutcome::failure(DeviceStatus::NotFound,
                                               QStringLiteral("Le fichier %1 n'existe pas.").arg(photo));
    return SourceFile{FileSystem::fileNameOf(photo), qint64(info->st_size), FileSystem::lastModified(photo)};
}

DeviceResult<QByteArray> FolderSource::readFile(const QString &photo)
{
    std::optional<QByteArray> bytes = FileSystem::readAll(photo);
    if (bytes)
        return std::move(*bytes);
    if (gone())
        return goneOutcome();
    return DeviceOutcome::failure(FileSystem::exists(photo) ? DeviceStatus::Failed : DeviceStatus::NotFound,
                                  QStringLiteral("Le fichier %1 ne peut être lu.").arg(photo));
}

DeviceResult<QByteArray> FolderSource::thumbnail(const QString &photo)
{
    // A folder keeps no thumbnails apart from the files: the photo's own header gives one.
    Q_UNUSED(photo)
    return QByteArray();
}

DeviceOutcome FolderSource::remove(const QString &photo)
{
    if (FileSystem::remove(photo))
        return DeviceOutcome::success();
    if (gone())
        return goneOutcome();
    return DeviceOutcome::failure(DeviceStatus::DeletionRefused,
                                  QStringLiteral("Le fichier %1 n'a pas pu être supprimé.").arg(photo));
}

bool FolderSource::gone() const
{
    return !FileSystem::isFolder(m_root);
}
