#pragma once
// Who a camera or phone is, whichever port it is plugged into today: what its history and the
// remembered source follow.
#include <QString>
#include <QtGlobal>

struct DeviceIdentity {
    QString manufacturer; // as the device says it (PTP DeviceInfo); may be empty
    QString model;        // the device's model, or libgphoto2's driver name ("Directory Browse")
    QString port;         // the libgphoto2 port it was opened on ("usb:002,005", "disk:/folder")
    QString serial;       // the device's serial number; empty when it gives none

    bool hasSerial() const { return !serial.isEmpty(); }

    // The stable text of the device: its serial number when it gives one (the same on every
    // port and with every driver), else its model and port ("Directory Browse disk:/folder"),
    // which changes when it is plugged elsewhere.
    QString text() const;
    // A 32-bit number that stands for text(), for names that take a volume serial (the history
    // file "<number>-<folder>.txt"): the XXH32 checksum, seed 0, of the UTF-8 bytes of text().
    // The same text gives the same number on every machine and in every version.
    quint32 number() const;

    // A serial number as the device reports it, cleaned: blanks trimmed; empty when it holds
    // nothing but zeros, as some devices report when they have none.
    static QString cleanSerial(const QString &serial);
};
