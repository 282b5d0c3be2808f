#include "core/files/volumeidentity.h"

#include "core/files/filename.h"
#include "core/files/filesystem.h"
#include "core/files/paths.h"

#include <QRegularExpression>

#include <blkid/blkid.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/sysmacros.h>

#include <vector>

namespace VolumeIdentity {

namespace {

// The mount table writes blanks, tabs, line breaks and backslashes as "\ooo" octal escapes.
QString decodeField(const QByteArray &field)
{
    QByteArray bytes;
    bytes.reserve(field.size());
    for (qsizetype i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size()) {
            const QByteArray digits = field.mid(i + 1, 3);
            bool ok = digits.size() == 3;
            for (char c : digits)
                ok = ok && c >= '0' && c <= '7';
            if (ok) {
                bytes.append(char(digits.toInt(nullptr, 8)));
                i += 3;
                continue;
            }
        }
        bytes.append(field[i]);
    }
    return FileName::decode(bytes);
}

bool isPrefixFolder(const QString &mountPoint, const QString &path)
{
    if (mountPoint == QLatin1String("/"))
        return path.startsWith(u'/');
    return path == mountPoint || path.startsWith(mountPoint + u'/');
}

bool isHex(const QString &text)
{
    static const QRegularExpression hex(QStringLiteral("^[0-9A-Fa-f]+$"));
    return hex.match(text).hasMatch();
}

} // namespace

QList<MountEntry> parseMountInfo(const QByteArray &text)
{
    // id parent major:minor root mount-point options [optional fields...] - type source super-options
    QList<MountEntry> mounts;
    for (const QByteArray &line : text.split('\n')) {
        const QList<QByteArray> fields = line.simplified().split(' ');
        const qsizetype dash = fields.indexOf(QByteArray("-"));
        if (fields.size() < 6 || dash < 6 || dash + 2 >= fields.size())
            continue;
        const QList<QByteArray> device = fields[2].split(':');
        if (device.size() != 2)
            continue;
        MountEntry entry;
        bool okMajor = false, okMinor = false;
        entry.major = device[0].toUInt(&okMajor);
        entry.minor = device[1].toUInt(&okMinor);
        if (!okMajor || !okMinor)
            continue;
        entry.mountPoint = decodeField(fields[4]);
        if (entry.mountPoint.size() > 1 && entry.mountPoint.endsWith(u'/'))
            entry.mountPoint.chop(1);
        entry.fsType = decodeField(fields[dash + 1]);
        entry.source = decodeField(fields[dash + 2]);
        mounts.append(entry);
    }
    return mounts;
}

std::optional<MountEntry> mountOf(const QList<MountEntry> &mounts, const QString &absolutePath)
{
    std::optional<MountEntry> best;
    for (const MountEntry &entry : mounts) {
        if (!isPrefixFolder(entry.mountPoint, absolutePath))
            continue;
        if (!best || entry.mountPoint.size() >= best->mountPoint.size())
            best = entry;
    }
    return best;
}

std::optional<quint32> serialFromUuid(const QString &uuid, const QString &fsType)
{
    const QString type = fsType.toLower();
    const QString digits = QString(uuid).remove(u'-');
    if (digits.isEmpty() || !isHex(digits))
        return std::nullopt;
    static const QRegularExpression fatForm(QStringLiteral("^[0-9A-Fa-f]{4}-[0-9A-Fa-f]{4}$"));
    const bool fat = type == QLatin1String("vfat") || type == QLatin1String("msdos") || type == QLatin1String("fat")
                     || type == QLatin1String("exfat") || fatForm.match(uuid).hasMatch();
    const bool ntfs = type.startsWith(QLatin1String("ntfs")) || (digits.size() == 16 && uuid.size() == 16);
    QString chosen;
    if (fat)
        chosen = digits.right(8);
    else if (ntfs)
        chosen = digits.right(8); // printed high to low: the low 32 bits end the text
    else
        chosen = digits.left(8);
    bool ok = false;
    const quint32 serial = chosen.toUInt(&ok, 16);
    return ok ? std::optional<quint32>(serial) : std::nullopt;
}

std::optional<BlockIdentity> probeDevice(const QString &devicePath)
{
    const QByteArray path = FileName::encode(devicePath);
    blkid_probe probe = blkid_new_probe_from_filename(path.constData());
    if (!probe)
        return std::nullopt;
    std::optional<BlockIdentity> result;
    blkid_probe_enable_superblocks(probe, 1);
    blkid_probe_set_superblocks_flags(probe, BLKID_SUBLKS_UUID | BLKID_SUBLKS_TYPE);
    if (blkid_do_safeprobe(probe) == 0) {
        const char *uuid = nullptr;
        const char *type = nullptr;
        if (blkid_probe_lookup_value(probe, "UUID", &uuid, nullptr) == 0 && uuid && *uuid) {
            BlockIdentity identity;
            identity.uuid = QString::fromLatin1(uuid);
            if (blkid_probe_lookup_value(probe, "TYPE", &type, nullptr) == 0 && type)
                identity.type = QString::fromLatin1(type);
            result = identity;
        }
    }
    blkid_free_probe(probe);
    return result;
}

} // namespace VolumeIdentity

namespace {

// The UUID that udev published for that block device number, if any.
std::optional<QString> uuidFromDiskLinks(const QString &folder, dev_t device)
{
    if (::major(device) == 0) // not a block device (tmpfs, FUSE, network)
        return std::nullopt;
    for (const QString &name : FileSystem::folderEntries(folder)) {
        const std::optional<struct stat> target = FileSystem::status(Paths::withSeparator(folder) + name);
        if (target && S_ISBLK(target->st_mode) && target->st_rdev == device)
            return name;
    }
    return std::nullopt;
}

// The device number of the mount's source when it is a block device (FUSE and btrfs mounts show
// an anonymous number in the table, their source names the real device).
std::optional<dev_t> sourceDevice(const QString &source)
{
    if (!source.startsWith(u'/'))
        return std::nullopt;
    const std::optional<struct stat> info = FileSystem::status(source);
    if (!info || !S_ISBLK(info->st_mode))
        return std::nullopt;
    return info->st_rdev;
}

bool isReadableSource(const QString &source)
{
    if (!source.startsWith(u'/'))
        return false;
    const std::optional<struct stat> info = FileSystem::status(source);
    return info && (S_ISBLK(info->st_mode) || S_ISREG(info->st_mode));
}

} // namespace

std::optional<quint32> VolumeLocator::serialOf(const MountEntry &mount, const QString &folder) const
{
    std::vector<dev_t> devices{makedev(mount.major, mount.minor)};
    if (const std::optional<dev_t> source = sourceDevice(mount.source); source && *source != devices.front())
        devices.push_back(*source);
    for (const dev_t device : devices) {
        if (const std::optional<QString> uuid = uuidFromDiskLinks(m_uuidLinks, device)) {
            if (const std::optional<quint32> serial = VolumeIdentity::serialFromUuid(*uuid, mount.fsType))
                return serial;
        }
    }
    // What libblkid reads on the source the mount entry names, a device or an image file. Nothing
    // else is looked at: a FUSE mount names its program rather than a device, and goes on to its
    // file-system id, which is zero for most of them.
    if (isReadableSource(mount.source)) {
        if (const std::optional<BlockIdentity> identity = VolumeIdentity::probeDevice(mount.source)) {
            const QString type = identity->type.isEmpty() ? mount.fsType : identity->type;
            if (const std::optional<quint32> serial = VolumeIdentity::serialFromUuid(identity->uuid, type))
                return serial;
        }
    }
    struct statvfs info {};
    if (statvfs(FileName::encode(folder).constData(), &info) != 0)
        return std::nullopt;
    const unsigned long long fsid = info.f_fsid;
    const quint32 combined = quint32(fsid & 0xFFFFFFFFull) ^ quint32(fsid >> 32);
    if (combined == 0)
        return std::nullopt;
    return combined;
}

std::optional<VolumeLocation> VolumeLocator::locate(const QString &folder) const
{
    const QString canonical = FileSystem::canonicalPath(folder);
    if (canonical.isEmpty() || !FileSystem::isFolder(canonical))
        return std::nullopt;
    QByteArray table = m_mountInfo;
    if (!m_fixed) {
        const std::optional<QByteArray> live = FileSystem::readAll(QStringLiteral("/proc/self/mountinfo"));
        if (!live)
            return std::nullopt;
        table = *live;
    }
    const std::optional<MountEntry> mount = VolumeIdentity::mountOf(VolumeIdentity::parseMountInfo(table), canonical);
    if (!mount)
        return std::nullopt;
    const std::optional<quint32> serial = serialOf(*mount, canonical);
    if (!serial)
        return std::nullopt;
    VolumeLocation location;
    location.serial = *serial;
    location.mountPoint = mount->mountPoint;
    QString rest = mount->mountPoint == QLatin1String("/") ? canonical : canonical.mid(mount->mountPoint.size());
    if (!rest.startsWith(u'/'))
        rest.prepend(u'/');
    if (!rest.endsWith(u'/'))
        rest.append(u'/');
    location.relativePath = rest;
    return location;
}
