#include "core/devices/gphotosupport.h"

#include "core/files/filename.h"

namespace Gphoto {

std::mutex &libraryLock()
{
    static std::mutex lock;
    return lock;
}

ListPointer newList()
{
    CameraList *list = nullptr;
    if (gp_list_new(&list) < GP_OK)
        throw std::bad_alloc();
    return ListPointer(list);
}

Drivers::Drivers(Load load) : m_portsOnly(load == Load::PortsOnly)
{
    // No context here: loading reports nothing the user could act on, and it never waits on a
    // device.
    if (gp_port_info_list_new(&m_ports) < GP_OK || gp_port_info_list_load(m_ports) < GP_OK) {
        if (m_ports)
            gp_port_info_list_free(m_ports);
        m_ports = nullptr;
        return;
    }
    if (m_portsOnly)
        return;
    if (gp_abilities_list_new(&m_abilities) < GP_OK || gp_abilities_list_load(m_abilities, nullptr) < GP_OK) {
        if (m_abilities)
            gp_abilities_list_free(m_abilities);
        m_abilities = nullptr;
    }
}

Drivers::~Drivers()
{
    if (m_abilities)
        gp_abilities_list_free(m_abilities);
    if (m_ports)
        gp_port_info_list_free(m_ports);
}

QList<DetectedPort> Drivers::detect(GPContext *context) const
{
    QList<DetectedPort> found;
    if (!m_abilities || !m_ports)
        return found;
    const ListPointer list = newList();
    if (gp_abilities_list_detect(m_abilities, m_ports, list.get(), context) < GP_OK)
        return found;
    for (int i = 0, n = gp_list_count(list.get()); i < n; ++i) {
        const char *model = nullptr;
        const char *port = nullptr;
        if (gp_list_get_name(list.get(), i, &model) >= GP_OK && gp_list_get_value(list.get(), i, &port) >= GP_OK)
            found.append({FileName::decode(model), FileName::decode(port)});
    }
    return found;
}

std::optional<CameraAbilities> Drivers::abilities(const QString &model) const
{
    if (!m_abilities)
        return std::nullopt;
    const int index = gp_abilities_list_lookup_model(m_abilities, FileName::encode(model).constData());
    CameraAbilities abilities;
    if (index < GP_OK || gp_abilities_list_get_abilities(m_abilities, index, &abilities) < GP_OK)
        return std::nullopt;
    return abilities;
}

std::optional<GPPortInfo> Drivers::portInfo(const QString &path) const
{
    if (!isLoaded())
        return std::nullopt;
    const int index = gp_port_info_list_lookup_path(m_ports, FileName::encode(path).constData());
    GPPortInfo info = nullptr;
    if (index < GP_OK || gp_port_info_list_get_info(m_ports, index, &info) < GP_OK)
        return std::nullopt;
    return info;
}

bool Drivers::isListed(const QString &path) const
{
    if (!isLoaded())
        return false;
    const QByteArray wanted = FileName::encode(path);
    for (int i = 0, n = gp_port_info_list_count(m_ports); i < n; ++i) {
        GPPortInfo info = nullptr;
        char *name = nullptr;
        char *portPath = nullptr;
        // Entries without a name are the generic ones ("usb:", "disk:"), which match any port of
        // their kind; only a named entry says that a device is there.
        if (gp_port_info_list_get_info(m_ports, i, &info) < GP_OK || gp_port_info_get_name(info, &name) < GP_OK
            || gp_port_info_get_path(info, &portPath) < GP_OK)
            continue;
        if (name && *name && portPath && wanted == portPath)
            return true;
    }
    return false;
}

Context::Context(std::chrono::milliseconds stallTime) : m_context(gp_context_new()), m_stallTime(stallTime)
{
    if (!m_context)
        throw std::bad_alloc();
    gp_context_set_progress_funcs(m_context, progressStart, progressUpdate, progressStop, this);
    gp_context_set_cancel_func(m_context, cancel, this);
    gp_context_set_error_func(m_context, error, this);
}

Context::~Context()
{
    gp_context_unref(m_context);
}

void Context::begin(std::function<void()> onProgress)
{
    m_lastProgress = std::chrono::steady_clock::now();
    m_lastValue = -1;
    m_stalled = false;
    m_errors.clear();
    m_onProgress = std::move(onProgress);
}

QString Context::describe(int result) const
{
    const QString code = QString::fromUtf8(gp_result_as_string(result));
    return m_errors.isEmpty() ? code : m_errors;
}

void Context::progressed()
{
    m_lastProgress = std::chrono::steady_clock::now();
}

unsigned int Context::progressStart(GPContext *, float, const char *, void *data)
{
    auto *self = static_cast<Context *>(data);
    self->progressed();
    self->m_lastValue = -1;
    return 1;
}

void Context::progressUpdate(GPContext *, unsigned int, float current, void *data)
{
    auto *self = static_cast<Context *>(data);
    // A driver that reports the same value again is not moving: only a step forward counts,
    // or a read that no longer advances would keep itself alive for ever.
    if (current > self->m_lastValue) {
        self->m_lastValue = current;
        self->progressed();
    }
    if (self->m_onProgress)
        self->m_onProgress();
}

void Context::progressStop(GPContext *, unsigned int, void *data)
{
    static_cast<Context *>(data)->progressed();
}

GPContextFeedback Context::cancel(GPContext *, void *data)
{
    auto *self = static_cast<Context *>(data);
    if (std::chrono::steady_clock::now() - self->m_lastProgress > self->m_stallTime)
        self->m_stalled = true;
    return self->m_stalled ? GP_CONTEXT_FEEDBACK_CANCEL : GP_CONTEXT_FEEDBACK_OK;
}

void Context::error(GPContext *, const char *text, void *data)
{
    auto *self = static_cast<Context *>(data);
    if (!self->m_errors.isEmpty())
        self->m_errors += u' ';
    self->m_errors += QString::fromUtf8(text).trimmed();
}

} // namespace Gphoto
