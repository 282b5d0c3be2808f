#include "core/devices/devicedetector.h"

#include "core/devices/gphotosupport.h"

namespace {

// '_' read as a space, blanks simplified, for comparisons that ignore letter case.
QString normalised(const QString &text)
{
    QString copy = text;
    copy.replace(u'_', u' ');
    return copy.simplified();
}

bool sameText(const QString &a, const QString &b)
{
    return !a.isEmpty() && a.compare(b, Qt::CaseInsensitive) == 0;
}

QList<DetectedDevice> listPorts()
{
    const std::lock_guard lock(Gphoto::libraryLock());
    QList<DetectedDevice> devices;
    const Gphoto::Drivers drivers;
    if (!drivers.isLoaded())
        return devices;
    const Gphoto::Context context(std::chrono::seconds(30));
    for (const Gphoto::DetectedPort &found : drivers.detect(context.get())) {
        DetectedDevice device;
        device.model = found.model;
        device.port = found.port;
        if (found.port.startsWith(QLatin1String("disk:"))) {
            device.kind = DetectedDevice::Kind::Card;
            device.folder = found.port.mid(5);
            device.uri = DeviceUri::fromLocalPath(device.folder);
        } else {
            const std::optional<CameraAbilities> abilities = drivers.abilities(found.model);
            const bool phone = abilities && (abilities->device_type & GP_DEVICE_AUDIO_PLAYER);
            device.kind = phone ? DetectedDevice::Kind::Phone : DetectedDevice::Kind::Camera;
            device.uri = DeviceUri::fromPort(found.port, QStringLiteral("/"),
                                             phone ? DeviceUri::Scheme::Mtp : DeviceUri::Scheme::Gphoto2);
        }
        devices.append(device);
    }
    return devices;
}

void readDetails(DetectedDevice &device)
{
    // A card is opened as what it is underneath, a folder served as a camera.
    const DeviceUri uri = DeviceUri::fromPort(device.port);
    DeviceResult<std::unique_ptr<DeviceSession>> opened = DeviceSession::open(uri);
    if (!opened.ok()) {
        device.problem = opened.message;
        return;
    }
    const DeviceSession &session = *opened.value;
    device.serial = session.identity().serial;
    device.manufacturer = session.identity().manufacturer;
    if (device.kind != DetectedDevice::Kind::Card && !session.identity().model.isEmpty())
        device.model = session.identity().model;
    const DeviceResult<QList<DeviceStorage>> storages = opened.value->storages();
    device.storages = storages.value;
}

} // namespace

bool DetectedDevice::matchesName(const QString &name) const
{
    const QString wanted = normalised(name);
    const QString serialText = normalised(serial);
    if (!serialText.isEmpty() && (sameText(wanted, serialText) || wanted.endsWith(u' ' + serialText, Qt::CaseInsensitive)))
        return true;
    return sameText(wanted, normalised(model)) || sameText(wanted, normalised(manufacturer + u' ' + model));
}

namespace DeviceDetector {

QList<DetectedDevice> detect(Detail detail)
{
    QList<DetectedDevice> devices = listPorts();
    if (detail == Detail::Full)
        for (DetectedDevice &device : devices)
            readDetails(device);
    return devices;
}

std::optional<DetectedDevice> resolve(const QString &name)
{
    std::optional<DetectedDevice> found;
    for (const DetectedDevice &device : detect(Detail::Full)) {
        if (device.kind == DetectedDevice::Kind::Card || !device.matchesName(name))
            continue;
        if (found)
            return std::nullopt;
        found = device;
    }
    return found;
}

} // namespace DeviceDetector
