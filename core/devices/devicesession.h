#pragma once
// One camera or phone opened through libgphoto2, for as long as the program works with it:
// what it is, its folders and files, their bytes and thumbnails, and the deletion of a file.
//
// Paths are those inside the device, starting with "/" ("/store_00010001/DCIM/100CANON", or
// "/DCIM/100DEMO/IMG_0001.JPG" for a served folder): DeviceUri::path() of a device file's URI.
//
// Threads: every call may come from any thread. libgphoto2 is not thread-safe, so each call
// holds the library's one lock for its length (calls on all sessions and detections follow
// each other). A call never waits for ever: a device that shows no progress for the stall time
// is given up (status Gone). Once a session has seen its device go, every call answers Gone at
// once without touching the device.
//
// The device is released (gp_camera_exit) by release() or when the session is destroyed; a
// desktop layer or another program may then open it again.
#include "core/devices/deviceidentity.h"
#include "core/devices/deviceresult.h"
#include "core/devices/deviceuri.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>

struct DeviceStorage {
    QString folder;        // where its files are on the device ("/store_00010001", or "/")
    QString description;   // the device's own words ("SD", "Internal shared storage")
    QString label;         // the volume label; may be empty
    qint64 capacity = -1;  // in bytes; -1 when the device does not say
    qint64 free = -1;      // in bytes; -1 when the device does not say
    bool deletable = true; // false for a storage that allows no deletion (write-protected card)
};

struct DeviceFileEntry {
    QString name;
    qint64 size = -1;      // in bytes; -1 when the device does not say
    QDateTime modified;    // local time; invalid when the device does not say
    bool deletable = true; // false when the device marks the file protected
};

struct DeviceFolderListing {
    QStringList folders; // the names of the sub-folders
    QList<DeviceFileEntry> files;
};

class DeviceSession {
public:
    struct Hooks {
        // Test seam: called at each progress the driver reports while it lists a folder or
        // reads a file, with the path in question (the library lock is held).
        std::function<void(const QString &devicePath)> onProgress;
    };
    struct Options {
        // How long a call may go without any progress from the device before it is given up.
        std::chrono::milliseconds stallTime{30000};
        Hooks hooks;
    };

    // Opens the device the URI names (its path is ignored): by its port, or by the name the
    // desktop gives it (resolved among the connected devices). A "disk:" port opens the
    // "Directory Browse" driver on that folder; another port the driver of the model that
    // libgphoto2 detects there. Gone when nothing is plugged in there; Failed when the URI is
    // not a device's, the device is held by another program, or the driver fails.
    static DeviceResult<std::unique_ptr<DeviceSession>> open(const DeviceUri &device, const Options &options);
    static DeviceResult<std::unique_ptr<DeviceSession>> open(const DeviceUri &device);

    ~DeviceSession();
    DeviceSession(const DeviceSession &) = delete;
    DeviceSession &operator=(const DeviceSession &) = delete;

    // The device by its port, path "/" (a named URI resolved); fixed for the session's life.
    const DeviceUri &device() const { return m_device; }
    // Serial number, or model and port; read when the session opened.
    const DeviceIdentity &identity() const { return m_identity; }
    // The device's storages as they are now (free space changes); empty when it does not say.
    DeviceResult<QList<DeviceStorage>> storages();

    // The sub-folders and files of a folder. libgphoto2 keeps what it listed for the session:
    // open a new session to see what changed on the device since.
    DeviceResult<DeviceFolderListing> list(const QString &folder);
    // The whole file. Failed when fewer bytes arrive than the device announced.
    DeviceResult<QByteArray> readFile(const QString &path);
    // The device's own small image of the file (a PTP thumbnail, or the EXIF thumbnail the
    // driver extracts), read without the whole file; an empty value with status Ok when the
    // device has none for that file.
    DeviceResult<QByteArray> thumbnail(const QString &path);
    // Deletes the file on the device. DeletionRefused (with one message for every cause) when
    // the storage, the file or the device does not allow it.
    DeviceOutcome remove(const QString &path);

    // Gives the device back (gp_camera_exit); later calls answer Failed. Safe to call twice.
    void release();
    bool isOpen() const;

private:
    DeviceSession(DeviceUri device, const Options &options);

    struct ServedFolder;
    DeviceOutcome openLocked();
    DeviceResult<QList<DeviceStorage>> readStorages();
    DeviceOutcome usable() const;
    // Sorts a failed call into Gone, NotFound or `otherwise`.
    DeviceOutcome problem(int result, DeviceStatus otherwise, const QString &message);
    bool stillThere() const;
    DeviceOutcome markGone(bool stalled);
    std::function<void()> progressHook(const QString &path) const;

    DeviceUri m_device;
    Options m_options;
    DeviceIdentity m_identity;
    QList<DeviceStorage> m_storages;
    bool m_canDelete = true;
    bool m_gone = false;
    std::unique_ptr<ServedFolder> m_served;
    struct Library;
    std::unique_ptr<Library> m_library;
};
