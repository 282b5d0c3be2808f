#pragma once
// Ejecting a card once its photos are transferred, through UDisks2 on D-Bus, as the desktop's
// "safely remove" does: the file system unmounted, then the drive powered off (or its medium
// ejected) when it can be, so that the card can be pulled out without harm.
//
// A folder is ejectable when it lies on a file system that UDisks2 manages, that is mounted
// where the folder's mount is, and that belongs to a removable drive (not the system's disks).
// Anything else is NotManaged: the windows then do not offer to eject.
//
// Threads: any thread (QDBusConnection is thread-safe). The calls block: the unmount waits
// while the system writes what is left to the card, up to two minutes.
#include <QByteArray>
#include <QDBusConnection>
#include <QString>

#include <optional>

class CardEject {
public:
    enum class Result {
        Ejected,    // unmounted, and the drive powered off or its medium ejected when it can be
        Unmounted,  // unmounted, but the drive would not power off: the card may be pulled out
        Refused,    // UDisks2 refused to unmount (a file still open, another program using it)
        NotManaged, // not on a removable file system that UDisks2 manages, or no UDisks2 at all
    };
    struct Outcome {
        Result result = Result::NotManaged;
        // In French, with UDisks2's own text when it refused something; empty for Ejected.
        QString message;
    };

    // The system bus and the live mount table by default. Tests give a private bus, and a
    // mount table (the text of /proc/self/mountinfo) in which their folder is a mount.
    explicit CardEject(QDBusConnection bus = QDBusConnection::systemBus(), std::optional<QByteArray> mountInfo = {});

    // Whether eject() could eject the card that holds the folder (one query to UDisks2).
    bool canEject(const QString &folder) const;
    Outcome eject(const QString &folder) const;

private:
    struct Target;
    std::optional<Target> find(const QString &folder) const;

    QDBusConnection m_bus;
    std::optional<QByteArray> m_mountInfo;
};
