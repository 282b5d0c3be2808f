#include "core/sources/sourcechoice.h"

#include "core/sources/devicesource.h"

namespace SourceChoices {

namespace {

QString underscored(QString text)
{
    return text.simplified().replace(u' ', u'_');
}

} // namespace

QString rememberedText(const DetectedDevice &device)
{
    const DeviceUri::Scheme scheme =
        device.kind == DetectedDevice::Kind::Phone ? DeviceUri::Scheme::Mtp : DeviceUri::Scheme::Gphoto2;
    // A served folder has no other name than its port; it never moves.
    if (device.port.startsWith(QLatin1String("disk:")))
        return DeviceUri::fromPort(device.port, QStringLiteral("/"), scheme).toString();
    const QString name = device.serial.isEmpty() ? underscored(device.model)
                                                 : underscored(device.model + u' ' + device.serial);
    return DeviceUri::fromName(name, QStringLiteral("/"), scheme).toString();
}

QList<SourceChoice> fromDetected(const QList<DetectedDevice> &devices)
{
    QList<SourceChoice> choices;
    for (const DetectedDevice &device : devices)
        if (device.kind != DetectedDevice::Kind::Card)
            choices.append({DeviceSource::displayNameOf(device.model), rememberedText(device)});
    for (const DetectedDevice &device : devices)
        if (device.kind == DetectedDevice::Kind::Card && !device.folder.isEmpty())
            choices.append({device.folder.endsWith(u'/') ? device.folder : device.folder + u'/',
                            device.folder.endsWith(u'/') ? device.folder : device.folder + u'/'});
    return choices;
}

QString shownText(const QString &text)
{
    if (!DeviceUri::isDeviceText(text))
        return text;
    const std::optional<DeviceUri> uri = DeviceUri::parse(text);
    if (!uri)
        return text;
    if (!uri->name().isEmpty())
        return DeviceSource::displayNameOf(QString(uri->name()).replace(u'_', u' '));
    if (!uri->diskFolder().isEmpty())
        return DeviceSource::displayNameOf(QStringLiteral("Directory Browse (%1)").arg(uri->diskFolder()));
    return DeviceSource::displayNameOf(uri->port());
}

} // namespace SourceChoices
