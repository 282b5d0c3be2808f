#include "core/sources/photosource.h"

#include "core/devices/deviceuri.h"
#include "core/sources/devicesource.h"
#include "core/sources/foldersource.h"

QString PhotoSource::childOf(const QString &folder, const QString &name)
{
    return folder.endsWith(u'/') ? folder + name : folder + u'/' + name;
}

namespace PhotoSources {

bool isDeviceText(const QString &text)
{
    return DeviceUri::isDeviceText(text);
}

QString localPath(const QString &text)
{
    if (!text.startsWith(QStringLiteral("file://"), Qt::CaseInsensitive))
        return text;
    const std::optional<DeviceUri> uri = DeviceUri::parse(text);
    if (!uri || uri->isDevice())
        return text;
    // A folder keeps the trailing "/" it was given with: the search adds one anyway.
    return text.endsWith(u'/') && uri->path() != QLatin1String("/") ? uri->path() + u'/' : uri->path();
}

SourceOpening open(const QString &text, const DeviceSession::Options &options)
{
    if (!isDeviceText(text))
        return {std::make_shared<FolderSource>(localPath(text)), QString()};
    const std::optional<DeviceUri> uri = DeviceUri::parse(text);
    if (!uri)
        return {nullptr, QStringLiteral("L'adresse %1 ne désigne aucun appareil.").arg(text)};
    DeviceResult<std::unique_ptr<DeviceSession>> session = DeviceSession::open(*uri, options);
    if (!session.ok())
        return {nullptr, session.message};
    return {std::make_shared<DeviceSource>(std::move(session.value), *uri), QString()};
}

SourceOpening open(const QString &text)
{
    return open(text, DeviceSession::Options());
}

} // namespace PhotoSources
