#pragma once
// The cameras and phones connected now, as libgphoto2 sees them, for the source choice and
// `lumaro-cli devices`.
//
// libgphoto2 also reports a mounted card whose root holds a DCIM folder, as a "Mass Storage
// Camera" on a "disk:" port. Such a card reads better as a folder (the program's card
// handling, its volume serial for the history): it is listed as a Card, with its folder.
//
// Threads: any thread; the calls into libgphoto2 hold its lock (see DeviceSession). With full
// details every device is opened for a moment: a device that a session of this program holds
// at that time is listed with a problem ("occupé") rather than opened twice.
#include "core/devices/deviceidentity.h"
#include "core/devices/devicesession.h"
#include "core/devices/deviceuri.h"

#include <QList>
#include <QString>

#include <optional>

struct DetectedDevice {
    enum class Kind {
        Camera, // a still camera (PTP, or a driver of its own)
        Phone,  // a phone or player (MTP)
        Card,   // a mounted card holding DCIM: use its folder
    };

    Kind kind = Kind::Camera;
    QString model; // libgphoto2's name of the model ("Canon EOS 80D", "Mass Storage Camera")
    QString port;  // "usb:002,005", "disk:/media/user/CARD"
    // gphoto2://[port]/ for a camera, mtp://[port]/ for a phone, file:///folder for a card.
    DeviceUri uri = DeviceUri::fromPort(QStringLiteral("usb:"));
    QString folder; // for a card, the folder it is mounted on; empty otherwise

    // With full details (the device opened for a moment):
    QString manufacturer;         // when the device says it
    QString serial;               // empty when the device gives none
    QList<DeviceStorage> storages; // empty when the device does not say
    QString problem;              // why it could not be opened, in French; empty otherwise

    DeviceIdentity identity() const { return {manufacturer, model, port, serial}; }
    // Whether a name the desktop gives a device ("Canon_Inc._Canon_EOS_80D_0123456", the text of
    // mtp://NAME/) stands for this one: compared with '_' read as a space and letter case
    // ignored, the name is the serial or ends with " " and the serial, or it is the model, or
    // the manufacturer then the model.
    bool matchesName(const QString &name) const;
};

namespace DeviceDetector {

enum class Detail {
    Ports, // model, port, URI and kind only: nothing is opened
    Full,  // and each device opened for its serial number and storages
};

// In libgphoto2's order.
QList<DetectedDevice> detect(Detail detail = Detail::Full);
// The connected camera or phone (not a card) that a desktop name stands for; empty when none,
// or when two devices answer to it.
std::optional<DetectedDevice> resolve(const QString &name);

} // namespace DeviceDetector
