#pragma once
// What a call to a camera or phone gives back: how it went, in a few kinds the workflows treat
// differently, with the French message a window shows as it stands.
#include <QString>

#include <utility>

enum class DeviceStatus {
    Ok,
    // The device is not there (unplugged, switched off, the served folder removed or
    // unmounted): nothing more can be read from it; every later call says the same at once.
    Gone,
    // The device will not delete the file (write-protected card or photo, read-only storage,
    // an error of the camera): the file stays where it is.
    DeletionRefused,
    // No such file or folder on the device.
    NotFound,
    // Anything else: busy device, incomplete read, unexpected error of the library.
    Failed,
};

struct DeviceOutcome {
    DeviceStatus status = DeviceStatus::Ok;
    QString message; // empty when Ok

    bool ok() const { return status == DeviceStatus::Ok; }
    static DeviceOutcome success() { return {}; }
    static DeviceOutcome failure(DeviceStatus status, QString message) { return {status, std::move(message)}; }
};

// An outcome and, when it is Ok, a value.
template <typename T>
struct DeviceResult : DeviceOutcome {
    T value{};

    DeviceResult() = default;
    DeviceResult(T v) : value(std::move(v)) {}
    DeviceResult(DeviceOutcome outcome) : DeviceOutcome(std::move(outcome)) {}
};
