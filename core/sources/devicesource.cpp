#include "core/sources/devicesource.h"

#include "core/files/filesystem.h"

#include <QMutexLocker>

DeviceSource::DeviceSource(std::unique_ptr<DeviceSession> session, const DeviceUri &start)
    : m_session(std::move(session)), m_startPath(start.path())
{
}

QString DeviceSource::displayNameOf(const QString &model)
{
    return QStringLiteral("Appareil : ") + model;
}

QString DeviceSource::displayName() const
{
    return displayNameOf(identity().model);
}

QString DeviceSource::root() const
{
    const QString text = m_session->device().withPath(m_startPath).toString();
    return text.endsWith(u'/') ? text : text + u'/';
}

QString DeviceSource::devicePath(const QString &text) const
{
    const std::optional<DeviceUri> uri = DeviceUri::parse(text);
    if (!uri || !uri->sameDevice(m_session->device()))
        return QString();
    return uri->path();
}

bool DeviceSource::holds(const QString &photo) const
{
    return !devicePath(photo).isEmpty();
}

std::optional<SourceHistoryKey> DeviceSource::historyKey(const QString &folder) const
{
    QString path = devicePath(folder);
    if (path.isEmpty())
        return std::nullopt;
    if (!path.endsWith(u'/'))
        path += u'/';
    return SourceHistoryKey{identity().number(), path};
}

template <typename Result>
Result DeviceSource::noted(Result result)
{
    if (result.status == DeviceStatus::Gone)
        m_gone = true;
    return result;
}

DeviceResult<SourceListing> DeviceSource::list(const QString &folder)
{
    const QString path = devicePath(folder);
    if (path.isEmpty())
        return DeviceOutcome::failure(DeviceStatus::NotFound, QStringLiteral("%1 n'est pas sur l'appareil.").arg(folder));
    const DeviceResult<DeviceFolderListing> listed = noted(m_session->list(path));
    if (!listed.ok())
        return DeviceOutcome(listed);
    SourceListing listing;
    listing.folders = listed.value.folders;
    QMutexLocker lock(&m_filesLock);
    for (const DeviceFileEntry &entry : listed.value.files) {
        SourceFile file{entry.name, entry.size, entry.modified};
        m_files.insert(FileSystem::cleanPath(path + u'/' + entry.name), file);
        listing.files.append(file);
    }
    return listing;
}

DeviceResult<SourceFile> DeviceSource::describe(const QString &photo)
{
    const QString path = devicePath(photo);
    {
        QMutexLocker lock(&m_filesLock);
        const auto known = m_files.constFind(path);
        if (known != m_files.cend())
            return *known;
    }
    // Not listed yet: its folder's listing tells.
    const QString folder = FileSystem::folderOf(path);
    const DeviceResult<SourceListing> listed = list(m_session->device().withPath(folder).toString());
    if (!listed.ok())
        return DeviceOutcome(listed);
    QMutexLocker lock(&m_filesLock);
    const auto known = m_files.constFind(path);
    if (known == m_files.cend())
        return DeviceOutcome::failure(DeviceStatus::NotFound, QStringLiteral("Le fichier %1 n'est pas sur l'appareil.").arg(photo));
    return *known;
}

DeviceResult<QByteArray> DeviceSource::readFile(const QString &photo)
{
    const QString path = devicePath(photo);
    if (path.isEmpty())
        return DeviceOutcome::failure(DeviceStatus::NotFound, QStringLiteral("%1 n'est pas sur l'appareil.").arg(photo));
    {
        QMutexLocker lock(&m_filesLock);
        for (const auto &recent : std::as_const(m_recent))
            if (recent.first == path)
                return recent.second;
    }
    DeviceResult<QByteArray> read = noted(m_session->readFile(path));
    if (read.ok()) {
        QMutexLocker lock(&m_filesLock);
        m_recent.append({path, read.value});
        if (m_recent.size() > RecentReads)
            m_recent.removeFirst();
    }
    return read;
}

DeviceResult<QByteArray> DeviceSource::thumbnail(const QString &photo)
{
    const QString path = devicePath(photo);
    if (path.isEmpty())
        return QByteArray();
    return noted(m_session->thumbnail(path));
}

DeviceOutcome DeviceSource::remove(const QString &photo)
{
    const QString path = devicePath(photo);
    if (path.isEmpty())
        return DeviceOutcome::failure(DeviceStatus::NotFound, QStringLiteral("%1 n'est pas sur l'appareil.").arg(photo));
    const DeviceOutcome outcome = noted(m_session->remove(path));
    QMutexLocker lock(&m_filesLock);
    m_recent.removeIf([&](const QPair<QString, QByteArray> &recent) { return recent.first == path; });
    if (outcome.ok())
        m_files.remove(path);
    return outcome;
}

void DeviceSource::release()
{
    m_session->release();
}
