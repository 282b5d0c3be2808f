#pragma once
// What an opened camera says about itself, read through libgphoto2 (for the device units only;
// call with the library lock held).
#include "core/devices/deviceidentity.h"
#include "core/devices/devicesession.h"

#include <QList>

#include <optional>

#include <gphoto2/gphoto2.h>

namespace Gphoto {

// Serial number, manufacturer and model: from the PTP DeviceInfo entries of the configuration
// where the driver has them, else from its summary text; the model falls back to the driver's
// name of it.
DeviceIdentity readIdentity(Camera *camera, GPContext *context, const QString &driverModel, const QString &port);

// The camera's storages; empty list when the driver cannot say. Nothing (and the library's
// result code in *result) when the camera failed to answer.
std::optional<QList<DeviceStorage>> readStorages(Camera *camera, GPContext *context, int *result);

} // namespace Gphoto
