#include "cli/commands.h"
#include "core/devices/devicedetector.h"

#include <QLocale>

namespace {

// "12,3 Go", in the decimal units the desktop shows for a card.
QString size(qint64 bytes)
{
    const QLocale french(QLocale::French, QLocale::France);
    if (bytes >= 1000LL * 1000 * 1000)
        return french.toString(double(bytes) / 1e9, 'f', 1) + QStringLiteral(" Go");
    return french.toString(double(bytes) / 1e6, 'f', 1) + QStringLiteral(" Mo");
}

QString kindLabel(DetectedDevice::Kind kind)
{
    switch (kind) {
    case DetectedDevice::Kind::Camera:
        return QStringLiteral("Appareil photo");
    case DetectedDevice::Kind::Phone:
        return QStringLiteral("Téléphone ou lecteur");
    case DetectedDevice::Kind::Card:
        break;
    }
    return QStringLiteral("Carte mémoire (à ouvrir comme dossier)");
}

QString storageLine(const DeviceStorage &storage)
{
    QString text = storage.description.isEmpty() ? storage.label : storage.description;
    if (text.isEmpty())
        text = QStringLiteral("mémoire");
    text += QStringLiteral(" (%1)").arg(storage.folder);
    if (storage.free >= 0 && storage.capacity >= 0)
        text += QStringLiteral(", %1 libres sur %2").arg(size(storage.free), size(storage.capacity));
    else if (storage.capacity >= 0)
        text += QStringLiteral(", %1").arg(size(storage.capacity));
    if (!storage.deletable)
        text += QStringLiteral(", protégée contre l'effacement");
    return text;
}

} // namespace

int commandDevices(CliContext &, const QCommandLineParser &line)
{
    const bool details = !line.isSet(QStringLiteral("no-details"));
    const QList<DetectedDevice> devices =
        DeviceDetector::detect(details ? DeviceDetector::Detail::Full : DeviceDetector::Detail::Ports);
    if (devices.isEmpty()) {
        printLine(QStringLiteral("Aucun appareil branché."));
        return 0;
    }
    bool first = true;
    for (const DetectedDevice &device : devices) {
        if (!first)
            printLine(QString());
        first = false;
        printLine(QStringLiteral("%1 : %2").arg(kindLabel(device.kind), device.model));
        printLine(QStringLiteral("  Port : %1").arg(device.port));
        printLine(QStringLiteral("  Adresse : %1").arg(device.uri.toString()));
        if (!device.folder.isEmpty())
            printLine(QStringLiteral("  Dossier : %1").arg(device.folder));
        if (!details)
            continue;
        if (!device.problem.isEmpty()) {
            printLine(QStringLiteral("  Problème : %1").arg(device.problem));
            continue;
        }
        if (!device.manufacturer.isEmpty())
            printLine(QStringLiteral("  Fabricant : %1").arg(device.manufacturer));
        printLine(QStringLiteral("  Numéro de série : %1")
                      .arg(device.serial.isEmpty() ? QStringLiteral("aucun") : device.serial));
        for (const DeviceStorage &storage : device.storages)
            printLine(QStringLiteral("  Mémoire : %1").arg(storageLine(storage)));
    }
    return 0;
}
