#pragma once
// The sources the set-up dialog offers beside the folder browser, and the form in which the
// settings remember a device (`LecteurCarte`): by its model and serial number, which stay the
// same from one plug-in to the next, not by its port, which changes.
//
//   gphoto2://Canon_EOS_80D_0123456789/   a camera with a serial number ('_' for blanks)
//   gphoto2://Canon_EOS_80D/              a camera without one (found while it is the only one)
//   mtp://Google_Pixel_7_28171FDH2000A1/  a phone
//   gphoto2://[disk:/some/folder]/        a folder served as a camera: its port is its name
// DeviceSession::open finds the device these name among those connected (DeviceDetector).
#include "core/devices/devicedetector.h"

#include <QList>
#include <QString>

struct SourceChoice {
    QString label; // "Appareil : Canon EOS 80D", or a card's folder
    QString text;  // what LecteurCarte holds: the remembered form, or the card's folder
};

namespace SourceChoices {

// One entry per camera or phone, then the cards libgphoto2 saw (as their folders), in the
// detection's order.
QList<SourceChoice> fromDetected(const QList<DetectedDevice> &devices);
// The remembered form of a detected camera or phone (see above).
QString rememberedText(const DetectedDevice &device);
// What the source field shows for a LecteurCarte text: a folder as it is, a device as
// "Appareil : " and the name it is remembered by.
QString shownText(const QString &text);

} // namespace SourceChoices
