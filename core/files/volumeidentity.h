#pragma once
// Which volume a folder lies on and the serial number that names its history, so that the same
// card keeps the same history whatever the folder it is mounted on.
//
// Only the volume's own mount entry and device are looked at. The serial comes from the
// file-system UUID of the mount's source (the name udev links to that device in
// /dev/disk/by-uuid, else what libblkid reads on the source, a block device or an image file):
// a FAT or exFAT "ABCD-1234" is 0xABCD1234, the number the card showed on the old platform; an
// NTFS UUID gives its low 32 bits; another its first 8 hexadecimal digits. Without a UUID the two
// halves of the statvfs file-system id, combined by exclusive or, serve when they are not zero.
// Otherwise (a FUSE mount names no device and mostly has a zero id) the volume has no serial and
// the search keeps no history.
#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

struct MountEntry {
    unsigned major = 0, minor = 0;
    QString mountPoint; // without a trailing "/" (but "/" for the root)
    QString fsType;
    QString source;     // the device or image, as the mount table names it
};

struct BlockIdentity {
    QString uuid;
    QString type;
};

struct VolumeLocation {
    quint32 serial = 0;
    QString mountPoint;
    QString relativePath; // the folder below the mount point, starting with "/"
};

namespace VolumeIdentity {

// The entries of a /proc/self/mountinfo text, "\040"-style escapes decoded.
QList<MountEntry> parseMountInfo(const QByteArray &text);
// The mount whose mount point is the longest prefix of the absolute path (the last one mounted
// wins among equals, as it hides the others).
std::optional<MountEntry> mountOf(const QList<MountEntry> &mounts, const QString &absolutePath);
// The serial that a UUID stands for; empty when it holds no hexadecimal digits to use.
std::optional<quint32> serialFromUuid(const QString &uuid, const QString &fsType);
// The UUID and type that libblkid finds on a block device or an image file.
std::optional<BlockIdentity> probeDevice(const QString &devicePath);

} // namespace VolumeIdentity

// Locates folders on the mounted volumes. The default reads the live mount table at each call
// (cards come and go); tests give their own table, whose sources may be image files.
class VolumeLocator {
public:
    VolumeLocator() = default;
    // A fixed mount table, and the folder of UUID links that udev keeps for the block devices.
    explicit VolumeLocator(QByteArray mountInfo, QString uuidLinks = QStringLiteral("/dev/disk/by-uuid"))
        : m_mountInfo(std::move(mountInfo)), m_uuidLinks(std::move(uuidLinks)), m_fixed(true)
    {
    }

    // Empty when the folder does not exist or its volume gives no serial.
    std::optional<VolumeLocation> locate(const QString &folder) const;

private:
    std::optional<quint32> serialOf(const MountEntry &mount, const QString &folder) const;

    QByteArray m_mountInfo;
    QString m_uuidLinks = QStringLiteral("/dev/disk/by-uuid");
    bool m_fixed = false;
};
