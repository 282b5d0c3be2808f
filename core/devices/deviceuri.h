#pragma once
// The addresses of cameras, phones and cards, in the form the desktop uses, so that a device
// file can travel through the program as one string (a photo list entry names its device).
//
//   gphoto2://[usb:002,005]/                 a camera on a USB port (libgphoto2's port name)
//   gphoto2://[usb:002,005]/store_00010001/DCIM/100CANON/IMG_0001.JPG   a file of that camera
//   gphoto2://[disk:/some/folder]/           libgphoto2's "Directory Browse" camera on a folder
//   mtp://[usb:002,005]/   mtp://SAMSUNG_Android_R58M123/   a phone by port, or by the name the
//                                            desktop gives it (resolved by DeviceDetector)
//   file:///media/user/CARD/DCIM/            a card (or any folder), as a local path
//
// Paths and ports are percent-encoded bytes: a name that is not UTF-8 keeps its bytes through
// FileName's escapes, both ways. A path is kept cleaned ("." and ".." taken out, so that it
// never climbs above the device's root) and without a trailing "/", except the root "/"; the
// built text therefore ends with "/" only for the root.
#include <QString>

#include <optional>

class DeviceUri {
public:
    enum class Scheme { Gphoto2, Mtp, File };

    // Empty when the text is not one of the forms above (another scheme, no port or name, a
    // file URI of another host, a relative path).
    static std::optional<DeviceUri> parse(const QString &text);
    // Whether the text starts like a device's address (gphoto2:// or mtp://, in any letter case),
    // without checking the rest: how a path of the program tells a device file from a local one.
    static bool isDeviceText(const QString &text);

    // A device by its libgphoto2 port ("usb:002,005", "disk:/some/folder").
    static DeviceUri fromPort(const QString &port, const QString &path = QStringLiteral("/"),
                              Scheme scheme = Scheme::Gphoto2);
    // A device by the name the desktop gives it (the text between "mtp://" and the next "/").
    static DeviceUri fromName(const QString &name, const QString &path = QStringLiteral("/"),
                              Scheme scheme = Scheme::Mtp);
    // A local folder or file, made absolute and cleaned.
    static DeviceUri fromLocalPath(const QString &path);

    Scheme scheme() const { return m_scheme; }
    bool isDevice() const { return m_scheme != Scheme::File; }
    // The libgphoto2 port; empty for a device named by its desktop name, and for a file.
    const QString &port() const { return m_port; }
    // The desktop name of a device given by name; empty otherwise.
    const QString &name() const { return m_name; }
    // The folder or file inside the device (starting with "/"), or the local path of a file URI.
    const QString &path() const { return m_path; }
    // For a "disk:" port, the folder that libgphoto2 serves as a camera; empty otherwise.
    QString diskFolder() const;

    // The same device with another path inside it (cleaned), or with a name added to the path.
    DeviceUri withPath(const QString &path) const;
    DeviceUri child(const QString &name) const;
    // Whether both name the same device (scheme, port or name), whatever their paths.
    bool sameDevice(const DeviceUri &other) const;

    QString toString() const;

    friend bool operator==(const DeviceUri &, const DeviceUri &) = default;

private:
    DeviceUri() = default;

    Scheme m_scheme = Scheme::File;
    QString m_port;
    QString m_name;
    QString m_path = QStringLiteral("/");
};
