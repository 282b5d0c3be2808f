#include "core/devices/devicesession.h"

#include "core/devices/devicedetector.h"
#include "core/devices/gphotoinfo.h"
#include "core/devices/gphotosupport.h"
#include "core/files/filename.h"
#include "core/files/filesystem.h"

namespace {

const QString DirectoryDriver = QStringLiteral("Directory Browse");

QString quoted(const QString &model)
{
    return QStringLiteral("« %1 »").arg(model);
}

// "/DCIM/100DEMO/IMG_0001.JPG" gives "/DCIM/100DEMO" and "IMG_0001.JPG", as libgphoto2 takes them.
std::pair<QByteArray, QByteArray> split(const QString &path)
{
    const QString clean = FileSystem::cleanPath(u'/' + path);
    const qsizetype slash = clean.lastIndexOf(u'/');
    const QString folder = slash <= 0 ? QStringLiteral("/") : clean.left(slash);
    return {FileName::encode(folder), FileName::encode(clean.mid(slash + 1))};
}

} // namespace

// The served folder of a "disk:" port as it was when the session opened: another folder (the
// mount undone) or none means that the device is gone.
struct DeviceSession::ServedFolder {
    QString path;
    dev_t device;
    ino_t inode;
};

struct DeviceSession::Library {
    explicit Library(std::chrono::milliseconds stallTime) : context(stallTime) {}
    Gphoto::Context context;
    Camera *camera = nullptr;
};

DeviceSession::DeviceSession(DeviceUri device, const Options &options)
    : m_device(std::move(device)), m_options(options), m_library(std::make_unique<Library>(options.stallTime))
{
}

DeviceSession::~DeviceSession()
{
    release();
}

DeviceResult<std::unique_ptr<DeviceSession>> DeviceSession::open(const DeviceUri &device)
{
    return open(device, Options());
}

DeviceResult<std::unique_ptr<DeviceSession>> DeviceSession::open(const DeviceUri &device, const Options &options)
{
    if (!device.isDevice())
        return DeviceOutcome::failure(DeviceStatus::Failed,
                                      QStringLiteral("%1 n'est pas l'adresse d'un appareil.").arg(device.toString()));
    DeviceUri target = device.withPath(QStringLiteral("/"));
    if (target.port().isEmpty()) {
        const std::optional<DetectedDevice> found = DeviceDetector::resolve(target.name());
        if (!found)
            return DeviceOutcome::failure(DeviceStatus::Gone,
                                          QStringLiteral("L'appareil %1 n'est pas branché.").arg(quoted(target.name())));
        target = DeviceUri::fromPort(found->port, QStringLiteral("/"), device.scheme());
    }
    std::unique_ptr<DeviceSession> session(new DeviceSession(target, options));
    const std::lock_guard lock(Gphoto::libraryLock());
    const DeviceOutcome outcome = session->openLocked();
    if (!outcome.ok())
        return outcome;
    return DeviceResult<std::unique_ptr<DeviceSession>>(std::move(session));
}

DeviceOutcome DeviceSession::openLocked()
{
    const QString port = m_device.port();
    const auto notPlugged = [&port] {
        return DeviceOutcome::failure(DeviceStatus::Gone, QStringLiteral("Aucun appareil n'est branché sur %1.").arg(port));
    };
    const Gphoto::Drivers drivers;
    if (!drivers.isLoaded())
        return DeviceOutcome::failure(DeviceStatus::Failed,
                                      QStringLiteral("Les pilotes des appareils photo (libgphoto2) sont introuvables."));
    GPContext *context = m_library->context.get();
    QString model;
    const QString served = m_device.diskFolder();
    if (!served.isEmpty()) {
        const std::optional<struct stat> status = FileSystem::status(served);
        if (!status || !S_ISDIR(status->st_mode))
            return notPlugged();
        m_served.reset(new ServedFolder{served, status->st_dev, status->st_ino});
        model = DirectoryDriver;
    } else {
        m_library->context.begin();
        for (const Gphoto::DetectedPort &detected : drivers.detect(context))
            if (detected.port == port) {
                model = detected.model;
                break;
            }
        if (model.isEmpty())
            return notPlugged();
    }
    m_identity.model = model;
    m_identity.port = port;

    const std::optional<CameraAbilities> abilities = drivers.abilities(model);
    const std::optional<GPPortInfo> portInfo = drivers.portInfo(port);
    if (!abilities || !portInfo)
        return DeviceOutcome::failure(DeviceStatus::Failed,
                                      QStringLiteral("Impossible d'ouvrir l'appareil %1 : libgphoto2 ne connaît pas le port %2.")
                                          .arg(quoted(model), port));
    m_canDelete = (abilities->file_operations & GP_FILE_OPERATION_DELETE) != 0;

    Camera *camera = nullptr;
    if (gp_camera_new(&camera) < GP_OK)
        throw std::bad_alloc();
    m_library->context.begin();
    int result = gp_camera_set_abilities(camera, *abilities);
    if (result >= GP_OK)
        result = gp_camera_set_port_info(camera, *portInfo);
    if (result >= GP_OK)
        result = gp_camera_init(camera, context);
    if (result < GP_OK) {
        const QString detail = m_library->context.describe(result);
        gp_camera_unref(camera);
        if (result == GP_ERROR_IO_USB_CLAIM || result == GP_ERROR_IO_LOCK)
            return DeviceOutcome::failure(
                DeviceStatus::Failed,
                QStringLiteral("L'appareil %1 est occupé par un autre programme (le gestionnaire de fichiers du bureau, "
                               "par exemple) : libérez-le, puis réessayez.")
                    .arg(quoted(model)));
        if (m_library->context.stalled() || !stillThere())
            return notPlugged();
        return DeviceOutcome::failure(DeviceStatus::Failed,
                                      QStringLiteral("Impossible d'ouvrir l'appareil %1 (%2).").arg(quoted(model), detail));
    }
    m_library->camera = camera;
    m_library->context.begin();
    m_identity = Gphoto::readIdentity(camera, m_library->context.get(), model, port);
    const DeviceResult<QList<DeviceStorage>> storages = readStorages();
    m_storages = storages.value;
    return DeviceOutcome::success();
}

DeviceResult<QList<DeviceStorage>> DeviceSession::readStorages()
{
    m_library->context.begin();
    int result = GP_OK;
    const std::optional<QList<DeviceStorage>> storages =
        Gphoto::readStorages(m_library->camera, m_library->context.get(), &result);
    if (storages)
        return *storages;
    return problem(result, DeviceStatus::Failed,
                   QStringLiteral("Impossible de lire les mémoires de l'appareil %1 (%2).")
                       .arg(quoted(m_identity.model), m_library->context.describe(result)));
}

DeviceResult<QList<DeviceStorage>> DeviceSession::storages()
{
    const std::lock_guard lock(Gphoto::libraryLock());
    const DeviceOutcome state = usable();
    if (!state.ok())
        return state;
    return readStorages();
}

bool DeviceSession::isOpen() const
{
    const std::lock_guard lock(Gphoto::libraryLock());
    return m_library->camera != nullptr;
}

void DeviceSession::release()
{
    const std::lock_guard lock(Gphoto::libraryLock());
    if (!m_library->camera)
        return;
    m_library->context.begin();
    gp_camera_exit(m_library->camera, m_library->context.get());
    gp_camera_unref(m_library->camera);
    m_library->camera = nullptr;
}

DeviceOutcome DeviceSession::usable() const
{
    if (!m_library->camera)
        return DeviceOutcome::failure(DeviceStatus::Failed,
                                      QStringLiteral("L'appareil %1 a été libéré.").arg(quoted(m_identity.model)));
    if (m_gone)
        return DeviceOutcome::failure(DeviceStatus::Gone, QStringLiteral("L'appareil %1 n'est plus accessible : a-t-il été "
                                                                         "débranché ?")
                                                              .arg(quoted(m_identity.model)));
    return DeviceOutcome::success();
}

bool DeviceSession::stillThere() const
{
    if (m_served) {
        const std::optional<struct stat> status = FileSystem::status(m_served->path);
        return status && S_ISDIR(status->st_mode) && status->st_dev == m_served->device
               && status->st_ino == m_served->inode;
    }
    // A USB device's port is listed only while it is plugged in.
    const Gphoto::Drivers drivers(Gphoto::Drivers::Load::PortsOnly);
    return !drivers.isLoaded() || drivers.isListed(m_device.port());
}

DeviceOutcome DeviceSession::markGone(bool stalled)
{
    m_gone = true;
    if (stalled)
        return DeviceOutcome::failure(DeviceStatus::Gone,
                                      QStringLiteral("L'appareil %1 ne répond plus.").arg(quoted(m_identity.model)));
    return usable();
}

DeviceOutcome DeviceSession::problem(int result, DeviceStatus otherwise, const QString &message)
{
    if (m_library->context.stalled())
        return markGone(true);
    if (!stillThere())
        return markGone(false);
    if (result == GP_ERROR_FILE_NOT_FOUND || result == GP_ERROR_DIRECTORY_NOT_FOUND)
        return DeviceOutcome::failure(DeviceStatus::NotFound, QString());
    return DeviceOutcome::failure(otherwise, message);
}

std::function<void()> DeviceSession::progressHook(const QString &path) const
{
    if (!m_options.hooks.onProgress)
        return {};
    return [hook = m_options.hooks.onProgress, path] { hook(path); };
}

namespace {

QString notFoundMessage(const QString &path, const QString &model)
{
    return QStringLiteral("%1 est introuvable sur l'appareil %2.").arg(path, quoted(model));
}

} // namespace

DeviceResult<DeviceFolderListing> DeviceSession::list(const QString &folder)
{
    const std::lock_guard lock(Gphoto::libraryLock());
    const DeviceOutcome state = usable();
    if (!state.ok())
        return state;
    Camera *camera = m_library->camera;
    GPContext *context = m_library->context.get();
    const QByteArray path = FileName::encode(FileSystem::cleanPath(u'/' + folder));
    const auto failed = [&](int result) {
        DeviceOutcome outcome = problem(result, DeviceStatus::Failed,
                                        QStringLiteral("Impossible de lire le contenu du dossier %1 de l'appareil %2 (%3).")
                                            .arg(folder, quoted(m_identity.model), m_library->context.describe(result)));
        if (outcome.status == DeviceStatus::NotFound)
            outcome.message = notFoundMessage(folder, m_identity.model);
        return outcome;
    };

    DeviceFolderListing listing;
    const Gphoto::ListPointer folders = Gphoto::newList();
    m_library->context.begin(progressHook(folder));
    int result = gp_camera_folder_list_folders(camera, path.constData(), folders.get(), context);
    if (result < GP_OK || m_library->context.stalled())
        return failed(result);
    for (int i = 0, n = gp_list_count(folders.get()); i < n; ++i) {
        const char *name = nullptr;
        if (gp_list_get_name(folders.get(), i, &name) >= GP_OK && name)
            listing.folders.append(FileName::decode(name));
    }

    const Gphoto::ListPointer files = Gphoto::newList();
    m_library->context.begin(progressHook(folder));
    result = gp_camera_folder_list_files(camera, path.constData(), files.get(), context);
    if (result < GP_OK || m_library->context.stalled())
        return failed(result);
    for (int i = 0, n = gp_list_count(files.get()); i < n; ++i) {
        const char *name = nullptr;
        if (gp_list_get_name(files.get(), i, &name) < GP_OK || !name)
            continue;
        CameraFileInfo info{};
        m_library->context.begin(progressHook(folder));
        result = gp_camera_file_get_info(camera, path.constData(), name, &info, context);
        if (result < GP_OK || m_library->context.stalled()) {
            const DeviceOutcome outcome = failed(result);
            // A file deleted since the folder was listed is simply not there any more.
            if (outcome.status == DeviceStatus::NotFound)
                continue;
            return outcome;
        }
        DeviceFileEntry entry;
        entry.name = FileName::decode(name);
        if (info.file.fields & GP_FILE_INFO_SIZE)
            entry.size = qint64(info.file.size);
        if ((info.file.fields & GP_FILE_INFO_MTIME) && info.file.mtime > 0)
            entry.modified = QDateTime::fromSecsSinceEpoch(qint64(info.file.mtime));
        if (info.file.fields & GP_FILE_INFO_PERMISSIONS)
            entry.deletable = (info.file.permissions & GP_FILE_PERM_DELETE) != 0;
        listing.files.append(entry);
    }
    return listing;
}

DeviceResult<QByteArray> DeviceSession::readFile(const QString &path)
{
    std::unique_lock lock(Gphoto::libraryLock());
    const DeviceOutcome state = usable();
    if (!state.ok())
        return state;
    Camera *camera = m_library->camera;
    GPContext *context = m_library->context.get();
    const auto [folder, name] = split(path);
    const auto failed = [&](int result) {
        DeviceOutcome outcome = problem(result, DeviceStatus::Failed,
                                        QStringLiteral("Impossible de lire %1 sur l'appareil %2 (%3).")
                                            .arg(path, quoted(m_identity.model), m_library->context.describe(result)));
        if (outcome.status == DeviceStatus::NotFound)
            outcome.message = notFoundMessage(path, m_identity.model);
        return outcome;
    };

    CameraFileInfo info{};
    m_library->context.begin();
    int result = gp_camera_file_get_info(camera, folder.constData(), name.constData(), &info, context);
    if (result < GP_OK || m_library->context.stalled())
        return failed(result);

    CameraFile *raw = nullptr;
    if (gp_file_new(&raw) < GP_OK)
        throw std::bad_alloc();
    const Gphoto::FilePointer file(raw);
    m_library->context.begin(progressHook(path));
    result = gp_camera_file_get(camera, folder.constData(), name.constData(), GP_FILE_TYPE_NORMAL, file.get(), context);
    // A driver may end a cancelled read with success and the bytes it had: the stall decides.
    if (result < GP_OK || m_library->context.stalled())
        return failed(result);
    const char *data = nullptr;
    unsigned long size = 0;
    if (gp_file_get_data_and_size(file.get(), &data, &size) < GP_OK)
        return failed(GP_ERROR);
    if ((info.file.fields & GP_FILE_INFO_SIZE) && size != info.file.size) {
        if (!stillThere())
            return markGone(false);
        return DeviceOutcome::failure(DeviceStatus::Failed,
                                      QStringLiteral("La lecture de %1 sur l'appareil %2 est incomplète (%3 octets reçus "
                                                     "sur %4).")
                                          .arg(path, quoted(m_identity.model))
                                          .arg(qulonglong(size))
                                          .arg(qulonglong(info.file.size)));
    }
    // The bytes are copied once the library is free for the other threads' calls.
    lock.unlock();
    return QByteArray(data, qsizetype(size));
}

DeviceResult<QByteArray> DeviceSession::thumbnail(const QString &path)
{
    const std::lock_guard lock(Gphoto::libraryLock());
    const DeviceOutcome state = usable();
    if (!state.ok())
        return state;
    Camera *camera = m_library->camera;
    GPContext *context = m_library->context.get();
    const auto [folder, name] = split(path);
    CameraFile *raw = nullptr;
    if (gp_file_new(&raw) < GP_OK)
        throw std::bad_alloc();
    const Gphoto::FilePointer file(raw);
    m_library->context.begin();
    int result = gp_camera_file_get(camera, folder.constData(), name.constData(), GP_FILE_TYPE_PREVIEW, file.get(), context);
    const char *data = nullptr;
    unsigned long size = 0;
    if (result >= GP_OK && !m_library->context.stalled() && gp_file_get_data_and_size(file.get(), &data, &size) >= GP_OK)
        return QByteArray(data, qsizetype(size));
    if (m_library->context.stalled())
        return markGone(true);
    // No thumbnail, unless the file itself or the device is missing.
    CameraFileInfo info{};
    m_library->context.begin();
    result = gp_camera_file_get_info(camera, folder.constData(), name.constData(), &info, context);
    if (result < GP_OK || !stillThere()) {
        DeviceOutcome outcome = problem(result, DeviceStatus::Ok, QString());
        if (outcome.status == DeviceStatus::NotFound)
            outcome.message = notFoundMessage(path, m_identity.model);
        if (!outcome.ok())
            return outcome;
    }
    return QByteArray();
}

DeviceOutcome DeviceSession::remove(const QString &path)
{
    const std::lock_guard lock(Gphoto::libraryLock());
    const DeviceOutcome state = usable();
    if (!state.ok())
        return state;
    Camera *camera = m_library->camera;
    GPContext *context = m_library->context.get();
    const auto [folder, name] = split(path);
    const DeviceOutcome refused = DeviceOutcome::failure(DeviceStatus::DeletionRefused,
                                                         QStringLiteral("L'appareil refuse la suppression des photos."));

    CameraFileInfo info{};
    m_library->context.begin();
    int result = gp_camera_file_get_info(camera, folder.constData(), name.constData(), &info, context);
    if (result < GP_OK || m_library->context.stalled()) {
        DeviceOutcome outcome = problem(result, DeviceStatus::Failed,
                                        QStringLiteral("Impossible de supprimer %1 sur l'appareil %2 (%3).")
                                            .arg(path, quoted(m_identity.model), m_library->context.describe(result)));
        if (outcome.status == DeviceStatus::NotFound)
            outcome.message = notFoundMessage(path, m_identity.model);
        return outcome;
    }
    // What the device says beforehand: a driver that cannot delete, a protected photo, a
    // storage that allows no deletion.
    if (!m_canDelete || ((info.file.fields & GP_FILE_INFO_PERMISSIONS) && !(info.file.permissions & GP_FILE_PERM_DELETE)))
        return refused;
    const QString clean = FileSystem::cleanPath(u'/' + path);
    for (const DeviceStorage &storage : std::as_const(m_storages))
        if (!storage.deletable && (storage.folder == QLatin1String("/") || clean.startsWith(storage.folder + u'/')))
            return refused;

    m_library->context.begin();
    result = gp_camera_file_delete(camera, folder.constData(), name.constData(), context);
    if (result < GP_OK || m_library->context.stalled()) {
        DeviceOutcome outcome = problem(result, DeviceStatus::DeletionRefused, refused.message);
        if (outcome.status == DeviceStatus::NotFound)
            outcome.message = notFoundMessage(path, m_identity.model);
        return outcome;
    }
    return DeviceOutcome::success();
}
