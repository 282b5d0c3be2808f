#include "core/devices/gphotoinfo.h"

#include "core/files/filename.h"

#include <cstdlib>

namespace Gphoto {

namespace {

QString widgetText(Camera *camera, GPContext *context, const char *name)
{
    CameraWidget *widget = nullptr;
    if (gp_camera_get_single_config(camera, name, &widget, context) < GP_OK || !widget)
        return QString();
    QString text;
    CameraWidgetType type;
    const char *value = nullptr;
    if (gp_widget_get_type(widget, &type) >= GP_OK
        && (type == GP_WIDGET_TEXT || type == GP_WIDGET_MENU || type == GP_WIDGET_RADIO)
        && gp_widget_get_value(widget, &value) >= GP_OK && value)
        text = QString::fromUtf8(value).trimmed();
    gp_widget_free(widget);
    return text;
}

// "Serial Number: 0123" and the like in the camera's summary.
QString summaryField(const QString &summary, const QString &label)
{
    for (const QString &line : summary.split(u'\n')) {
        const QString trimmed = line.trimmed();
        if (trimmed.startsWith(label + u':', Qt::CaseInsensitive))
            return trimmed.mid(label.size() + 1).trimmed();
    }
    return QString();
}

} // namespace

DeviceIdentity readIdentity(Camera *camera, GPContext *context, const QString &driverModel, const QString &port)
{
    QString serial = widgetText(camera, context, "serialnumber");
    QString manufacturer = widgetText(camera, context, "manufacturer");
    QString model = widgetText(camera, context, "cameramodel");
    if (serial.isEmpty() || manufacturer.isEmpty() || model.isEmpty()) {
        CameraText summary;
        if (gp_camera_get_summary(camera, &summary, context) >= GP_OK) {
            const QString text = QString::fromUtf8(summary.text);
            if (serial.isEmpty())
                serial = summaryField(text, QStringLiteral("Serial Number"));
            if (manufacturer.isEmpty())
                manufacturer = summaryField(text, QStringLiteral("Manufacturer"));
            if (model.isEmpty())
                model = summaryField(text, QStringLiteral("Model"));
        }
    }
    return {manufacturer, model.isEmpty() ? driverModel : model, port, DeviceIdentity::cleanSerial(serial)};
}

std::optional<QList<DeviceStorage>> readStorages(Camera *camera, GPContext *context, int *result)
{
    CameraStorageInformation *information = nullptr;
    int count = 0;
    *result = gp_camera_get_storageinfo(camera, &information, &count, context);
    // Many drivers cannot say: that is no failure of the camera.
    if (*result == GP_ERROR_NOT_SUPPORTED)
        return QList<DeviceStorage>();
    if (*result < GP_OK)
        return std::nullopt;
    QList<DeviceStorage> storages;
    for (int i = 0; i < count; ++i) {
        const CameraStorageInformation &info = information[i];
        DeviceStorage storage;
        storage.folder = info.fields & GP_STORAGEINFO_BASE ? FileName::decode(info.basedir) : QStringLiteral("/");
        if (info.fields & GP_STORAGEINFO_DESCRIPTION)
            storage.description = QString::fromUtf8(info.description).trimmed();
        if (info.fields & GP_STORAGEINFO_LABEL)
            storage.label = QString::fromUtf8(info.label).trimmed();
        if (info.fields & GP_STORAGEINFO_MAXCAPACITY)
            storage.capacity = qint64(info.capacitykbytes) * 1024;
        if (info.fields & GP_STORAGEINFO_FREESPACEKBYTES)
            storage.free = qint64(info.freekbytes) * 1024;
        if (info.fields & GP_STORAGEINFO_ACCESS)
            storage.deletable = info.access != GP_STORAGEINFO_AC_READONLY;
        storages.append(storage);
    }
    std::free(information);
    return storages;
}

} // namespace Gphoto
