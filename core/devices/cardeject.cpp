#include "core/devices/cardeject.h"

#include "core/files/filename.h"
#include "core/files/filesystem.h"
#include "core/files/volumeidentity.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QMap>
#include <QVariantMap>

namespace {

const QString Service = QStringLiteral("org.freedesktop.UDisks2");
const QString ManagerPath = QStringLiteral("/org/freedesktop/UDisks2");
const QString ObjectManager = QStringLiteral("org.freedesktop.DBus.ObjectManager");
const QString BlockInterface = QStringLiteral("org.freedesktop.UDisks2.Block");
const QString FilesystemInterface = QStringLiteral("org.freedesktop.UDisks2.Filesystem");
const QString DriveInterface = QStringLiteral("org.freedesktop.UDisks2.Drive");

constexpr int QueryTimeout = 25000;
// Unmounting writes what the system still holds for the card, which a slow card takes a while to
// take in.
constexpr int UnmountTimeout = 120000;
constexpr int PowerOffTimeout = 30000;

using Interfaces = QMap<QString, QVariantMap>;
using ManagedObjects = QMap<QString, Interfaces>;

// a{sv}, its values unwrapped from their variants.
QVariantMap readProperties(const QDBusArgument &argument)
{
    QVariantMap properties;
    argument.beginMap();
    while (!argument.atEnd()) {
        QString name;
        QDBusVariant value;
        argument.beginMapEntry();
        argument >> name >> value;
        argument.endMapEntry();
        properties.insert(name, value.variant());
    }
    argument.endMap();
    return properties;
}

// The reply of GetManagedObjects, a{oa{sa{sv}}}.
ManagedObjects readManagedObjects(const QDBusArgument &argument)
{
    ManagedObjects objects;
    argument.beginMap();
    while (!argument.atEnd()) {
        QDBusObjectPath path;
        Interfaces interfaces;
        argument.beginMapEntry();
        argument >> path;
        argument.beginMap();
        while (!argument.atEnd()) {
            QString interface;
            argument.beginMapEntry();
            argument >> interface;
            interfaces.insert(interface, readProperties(argument));
            argument.endMapEntry();
        }
        argument.endMap();
        argument.endMapEntry();
        objects.insert(path.path(), interfaces);
    }
    argument.endMap();
    return objects;
}

// MountPoints, aay: each a path of bytes ending with a NUL.
QStringList mountPoints(const QVariant &value)
{
    QStringList points;
    if (!value.canConvert<QDBusArgument>())
        return points;
    const QDBusArgument argument = value.value<QDBusArgument>();
    argument.beginArray();
    while (!argument.atEnd()) {
        QByteArray bytes;
        argument >> bytes;
        if (bytes.endsWith('\0'))
            bytes.chop(1);
        points.append(FileName::decode(bytes));
    }
    argument.endArray();
    return points;
}

QString objectPath(const QVariant &value)
{
    return value.value<QDBusObjectPath>().path();
}

QString daemonText(const QDBusMessage &reply)
{
    const QString text = reply.errorMessage().trimmed();
    return text.isEmpty() ? reply.errorName() : text;
}

} // namespace

struct CardEject::Target {
    QString block;      // the object of the block device with the file system
    QString drive;      // its drive's object; empty when it has none
    QVariantMap driveProperties;
};

CardEject::CardEject(QDBusConnection bus, std::optional<QByteArray> mountInfo)
    : m_bus(std::move(bus)), m_mountInfo(std::move(mountInfo))
{
}

std::optional<CardEject::Target> CardEject::find(const QString &folder) const
{
    if (!m_bus.isConnected())
        return std::nullopt;
    // The mount that holds the folder, links resolved.
    QString path = FileSystem::canonicalPath(folder);
    if (path.isEmpty())
        path = FileSystem::absolutePath(folder);
    const QByteArray table = m_mountInfo ? *m_mountInfo
                                         : FileSystem::readAll(QStringLiteral("/proc/self/mountinfo")).value_or(QByteArray());
    const std::optional<MountEntry> mount = VolumeIdentity::mountOf(VolumeIdentity::parseMountInfo(table), path);
    if (!mount)
        return std::nullopt;

    QDBusMessage call = QDBusMessage::createMethodCall(Service, ManagerPath, ObjectManager, QStringLiteral("GetManagedObjects"));
    const QDBusMessage reply = m_bus.call(call, QDBus::Block, QueryTimeout);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return std::nullopt;
    const ManagedObjects objects = readManagedObjects(reply.arguments().constFirst().value<QDBusArgument>());

    for (auto object = objects.cbegin(); object != objects.cend(); ++object) {
        const Interfaces &interfaces = object.value();
        if (!interfaces.contains(FilesystemInterface) || !interfaces.contains(BlockInterface))
            continue;
        if (!mountPoints(interfaces.value(FilesystemInterface).value(QStringLiteral("MountPoints"))).contains(mount->mountPoint))
            continue;
        const QVariantMap block = interfaces.value(BlockInterface);
        Target target{object.key(), objectPath(block.value(QStringLiteral("Drive"))), {}};
        if (target.drive == QLatin1String("/"))
            target.drive.clear();
        if (!target.drive.isEmpty())
            target.driveProperties = objects.value(target.drive).value(DriveInterface);
        // The system's own disks are not offered: only what the user plugs in and pulls out.
        const bool removable = !block.value(QStringLiteral("HintSystem"), true).toBool()
                               || target.driveProperties.value(QStringLiteral("Removable")).toBool()
                               || target.driveProperties.value(QStringLiteral("MediaRemovable")).toBool();
        if (!removable)
            return std::nullopt;
        return target;
    }
    return std::nullopt;
}

bool CardEject::canEject(const QString &folder) const
{
    return find(folder).has_value();
}

CardEject::Outcome CardEject::eject(const QString &folder) const
{
    const std::optional<Target> target = find(folder);
    if (!target)
        return {Result::NotManaged, QStringLiteral("Le dossier %1 n'est pas sur une carte que le système peut éjecter.").arg(folder)};

    const QVariantMap noOptions;
    QDBusMessage unmount = QDBusMessage::createMethodCall(Service, target->block, FilesystemInterface, QStringLiteral("Unmount"));
    unmount << noOptions;
    const QDBusMessage unmounted = m_bus.call(unmount, QDBus::Block, UnmountTimeout);
    if (unmounted.type() != QDBusMessage::ReplyMessage)
        return {Result::Refused, QStringLiteral("La carte n'a pas pu être éjectée : %1").arg(daemonText(unmounted))};

    QString method;
    if (target->driveProperties.value(QStringLiteral("CanPowerOff")).toBool())
        method = QStringLiteral("PowerOff");
    else if (target->driveProperties.value(QStringLiteral("Ejectable")).toBool())
        method = QStringLiteral("Eject");
    if (method.isEmpty())
        return {Result::Ejected, QString()};
    QDBusMessage powerOff = QDBusMessage::createMethodCall(Service, target->drive, DriveInterface, method);
    powerOff << noOptions;
    const QDBusMessage done = m_bus.call(powerOff, QDBus::Block, PowerOffTimeout);
    if (done.type() != QDBusMessage::ReplyMessage)
        return {Result::Unmounted, QStringLiteral("La carte est démontée et peut être retirée, mais le lecteur n'a pas pu "
                                                  "être mis hors tension : %1")
                                       .arg(daemonText(done))};
    return {Result::Ejected, QString()};
}
