// lumaro-bench-device FOLDER DESTINATION: empties libgphoto2's "Directory Browse" camera on
// FOLDER the way a transfer will: every file of every folder of the camera read through a
// device session, then written into DESTINATION (flat, as `gphoto2 --get-all-files` writes)
// by the verified write (flushed, read back past the page cache and compared). Prints the
// number of files and the milliseconds it took; exit code 1 on any failure.
#include "core/devices/devicesession.h"
#include "core/error.h"
#include "core/files/filesystem.h"
#include "core/files/safecopy.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTextStream>

#include <deque>
#include <future>

namespace {

struct CameraFile {
    QString path; // inside the camera
    QDateTime modified;
};

// Every file of the camera, folder after folder.
void collect(DeviceSession &session, const QString &folder, QList<CameraFile> &files)
{
    const DeviceResult<DeviceFolderListing> listing = session.list(folder);
    if (!listing.ok())
        throw LumaroError(listing.message);
    const QString prefix = folder == QLatin1String("/") ? folder : folder + u'/';
    for (const DeviceFileEntry &file : listing.value.files)
        files.append({prefix + file.name, file.modified});
    for (const QString &sub : listing.value.folders)
        collect(session, prefix + sub, files);
}

// Each file read from the camera then written by the verified write, with `inFlight` files on
// their way at once: while one waits for the disk to flush it or to read it back, the next is
// read and written.
int copyAll(DeviceSession &session, const QString &destination, int inFlight)
{
    QList<CameraFile> files;
    collect(session, QStringLiteral("/"), files);
    const auto transfer = [&session, &destination](const CameraFile &file) {
        const DeviceResult<QByteArray> bytes = session.readFile(file.path);
        if (!bytes.ok())
            throw LumaroError(bytes.message);
        const struct timespec modified = {time_t(file.modified.toSecsSinceEpoch()), 0};
        SafeCopy::writeContent(session.device().withPath(file.path).toString(), bytes.value, modified,
                               destination + u'/' + FileSystem::fileNameOf(file.path), SafeCopy::Mode::Verified);
    };
    std::deque<std::future<void>> running;
    for (const CameraFile &file : std::as_const(files)) {
        if (int(running.size()) >= inFlight) {
            running.front().get();
            running.pop_front();
        }
        running.push_back(std::async(std::launch::async, transfer, file));
    }
    for (std::future<void> &task : running)
        task.get();
    return int(files.size());
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QTextStream err(stderr);
    if (argc < 3 || argc > 4) {
        err << "Utilisation : lumaro-bench-device DOSSIER DESTINATION [EN_COURS]\n";
        return 2;
    }
    const int inFlight = argc == 4 ? std::max(1, std::atoi(argv[3])) : 1;
    const QString folder = FileSystem::absolutePath(QString::fromLocal8Bit(argv[1]));
    const QString destination = FileSystem::absolutePath(QString::fromLocal8Bit(argv[2]));
    QElapsedTimer timer;
    timer.start();
    try {
        if (!FileSystem::makeFolders(destination))
            throw LumaroError(QStringLiteral("Impossible de créer %1.").arg(destination));
        DeviceResult<std::unique_ptr<DeviceSession>> opened =
            DeviceSession::open(DeviceUri::fromPort(QStringLiteral("disk:") + folder));
        if (!opened.ok())
            throw LumaroError(opened.message);
        const int count = copyAll(*opened.value, destination, inFlight);
        QTextStream(stdout) << count << " fichiers, " << timer.elapsed() << " ms\n";
    } catch (const LumaroError &error) {
        err << error.message() << '\n';
        return 1;
    }
    return 0;
}
