#pragma once
// What the device units share of libgphoto2 (not for other units): the one lock, the lists of
// drivers and ports, and a context that bounds how long a call may wait for a silent device.
#include <QList>
#include <QString>

#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>

#include <gphoto2/gphoto2.h>

namespace Gphoto {

// libgphoto2 is not thread-safe (its drivers and port libraries keep state of their own, and
// loading them touches process-wide lists): every call into it, from any thread, holds this
// lock. It is the one piece of shared state of the device units.
std::mutex &libraryLock();

struct ListDeleter {
    void operator()(CameraList *list) const { gp_list_unref(list); }
};
using ListPointer = std::unique_ptr<CameraList, ListDeleter>;
ListPointer newList();

struct FileDeleter {
    void operator()(CameraFile *file) const { gp_file_unref(file); }
};
using FilePointer = std::unique_ptr<CameraFile, FileDeleter>;

struct DetectedPort {
    QString model;
    QString port;
};

// The drivers that libgphoto2 knows and the ports it sees now (loaded at construction: the port
// list changes as devices come and go). Call with the library lock held.
class Drivers {
public:
    enum class Load {
        All,
        PortsOnly, // enough for isListed(), without loading every camera driver
    };
    explicit Drivers(Load load = Load::All);
    ~Drivers();
    Drivers(const Drivers &) = delete;
    Drivers &operator=(const Drivers &) = delete;

    bool isLoaded() const { return m_ports && (m_abilities || m_portsOnly); }
    // The cameras connected now, with the port each one is on.
    QList<DetectedPort> detect(GPContext *context) const;
    std::optional<CameraAbilities> abilities(const QString &model) const;
    // The port of that name: one the library listed, or (for a "disk:" path or another form
    // of a generic port) one made for it. Empty when no port library serves the name.
    std::optional<GPPortInfo> portInfo(const QString &path) const;
    // Whether the port is among those listed now (a concrete USB port is listed only while
    // its device is plugged in).
    bool isListed(const QString &path) const;

private:
    CameraAbilitiesList *m_abilities = nullptr;
    GPPortInfoList *m_ports = nullptr;
    bool m_portsOnly = false;
};

// A libgphoto2 context that collects the error texts of the drivers and cancels a call in which
// the device has shown no progress for the stall time: a device that stops answering in the
// middle of a transfer must not hold the program (and the library lock) for ever.
class Context {
public:
    explicit Context(std::chrono::milliseconds stallTime);
    ~Context();
    Context(const Context &) = delete;
    Context &operator=(const Context &) = delete;

    GPContext *get() const { return m_context; }
    // Before each call: the stall clock restarts, the texts and the cancel flag are cleared.
    // onProgress, when given, runs at each progress the driver reports during the call.
    void begin(std::function<void()> onProgress = {});
    // Whether the last call was cancelled because the device stalled.
    bool stalled() const { return m_stalled; }
    // The driver's own texts about the last call, or libgphoto2's text for the result code.
    QString describe(int result) const;

private:
    static unsigned int progressStart(GPContext *, float target, const char *text, void *data);
    static void progressUpdate(GPContext *, unsigned int id, float current, void *data);
    static void progressStop(GPContext *, unsigned int id, void *data);
    static GPContextFeedback cancel(GPContext *, void *data);
    static void error(GPContext *, const char *text, void *data);
    void progressed();

    GPContext *m_context;
    std::chrono::milliseconds m_stallTime;
    std::chrono::steady_clock::time_point m_lastProgress;
    float m_lastValue = -1;
    bool m_stalled = false;
    QString m_errors;
    std::function<void()> m_onProgress;
};

} // namespace Gphoto
