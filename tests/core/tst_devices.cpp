// A camera must read like a card: its folders and files with their sizes and times, the very
// bytes of every photo, its own thumbnails, and a deletion that either happens or is refused
// with one clear message. A camera pulled out in the middle must stop the work at once, never
// hang it. Tested on libgphoto2's "Directory Browse" camera, which serves a folder as a camera.
#include "core/devices/devicedetector.h"
#include "core/devices/devicesession.h"
#include "core/files/filename.h"
#include "tests/testsupport.h"
#include "tools/democard.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QtTest>

#include <atomic>
#include <thread>

#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using TestSupport::readFile;

// A folder mounted over another for the time of a test (as root): a card in a reader, or the
// same folder seen read-only. Through the system calls, so that a name that is not UTF-8 keeps
// its bytes.
class BindMount {
public:
    BindMount(const QString &source, const QString &target, bool readOnly = false) : m_target(FileName::encode(target))
    {
        ::mkdir(m_target.constData(), 0755);
        const QByteArray from = FileName::encode(source);
        m_mounted = ::mount(from.constData(), m_target.constData(), nullptr, MS_BIND, nullptr) == 0;
        // A bind mount takes "read-only" only when it is mounted again.
        if (m_mounted && readOnly
            && ::mount(nullptr, m_target.constData(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr) != 0)
            unmount();
    }
    ~BindMount() { unmount(); }
    BindMount(const BindMount &) = delete;
    BindMount &operator=(const BindMount &) = delete;

    bool isMounted() const { return m_mounted; }
    void unmount()
    {
        if (m_mounted)
            ::umount2(m_target.constData(), MNT_DETACH);
        m_mounted = false;
        // QTemporaryDir cannot remove a name that is not UTF-8: the mount point goes here.
        ::rmdir(m_target.constData());
    }

private:
    QByteArray m_target;
    bool m_mounted = false;
};

DeviceUri served(const QString &folder)
{
    return DeviceUri::fromPort(QStringLiteral("disk:") + folder);
}

std::unique_ptr<DeviceSession> openServed(const QString &folder, const DeviceSession::Options &options = {})
{
    DeviceResult<std::unique_ptr<DeviceSession>> opened = DeviceSession::open(served(folder), options);
    if (!opened.ok())
        qWarning() << opened.message;
    return std::move(opened.value);
}

QString goneMessage()
{
    return QStringLiteral("L'appareil « Directory Browse » n'est plus accessible : a-t-il été débranché ?");
}

} // namespace

class TestDevices : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_card; // the served folder
    DemoCard::Contents m_contents;

    QString cardPath(const QString &devicePath) const { return m_card + devicePath; }

private slots:
    void initTestCase() { TestSupport::isolateEnvironment(); }

    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_card = m_dir->filePath(QStringLiteral("camera"));
        DemoCard::Options options;
        options.count = 3;
        options.size = QSize(320, 240);
        m_contents = DemoCard::write(m_card, options);
    }

    void cleanup() { m_dir.reset(); }

    void listsFoldersAndFilesWithSizesAndTimes()
    {
        const std::unique_ptr<DeviceSession> session = openServed(m_card);
        QVERIFY(session);
        QCOMPARE(session->device().toString(), served(m_card).toString());
        const DeviceResult<DeviceFolderListing> root = session->list(QStringLiteral("/"));
        QVERIFY2(root.ok(), qPrintable(root.message));
        QCOMPARE(root.value.folders, QStringList{QStringLiteral("DCIM")});
        QVERIFY(root.value.files.isEmpty());

        const DeviceResult<DeviceFolderListing> dcim = session->list(QStringLiteral("/DCIM"));
        QVERIFY(dcim.ok());
        QStringList folders = dcim.value.folders;
        folders.sort();
        QCOMPARE(folders, (QStringList{QStringLiteral("100DEMO"), QStringLiteral("101DEMO")}));

        const DeviceResult<DeviceFolderListing> photos = session->list(QStringLiteral("/DCIM/100DEMO/"));
        QVERIFY(photos.ok());
        QCOMPARE(photos.value.folders, QStringList{QStringLiteral("MINIATURES")});
        int checked = 0;
        for (const DeviceFileEntry &entry : photos.value.files) {
            const QFileInfo file(m_card + QStringLiteral("/DCIM/100DEMO/") + entry.name);
            QVERIFY2(file.isFile(), qPrintable(entry.name));
            QCOMPARE(entry.size, file.size());
            QCOMPARE(entry.modified, QDateTime::fromSecsSinceEpoch(file.lastModified().toSecsSinceEpoch()));
            QVERIFY(entry.deletable);
            ++checked;
        }
        QVERIFY(checked >= 2); // the two photos, and the film the driver knows

        const DeviceResult<DeviceFolderListing> missing = session->list(QStringLiteral("/DCIM/999NONE"));
        QCOMPARE(missing.status, DeviceStatus::NotFound);
        QCOMPARE(missing.message,
                 QStringLiteral("/DCIM/999NONE est introuvable sur l'appareil « Directory Browse »."));
    }

    void readsTheVeryBytesOfEveryPhoto()
    {
        const std::unique_ptr<DeviceSession> session = openServed(m_card);
        QVERIFY(session);
        for (const QString &photo : std::as_const(m_contents.photos)) {
            const QString devicePath = photo.mid(m_card.size());
            const DeviceResult<QByteArray> bytes = session->readFile(devicePath);
            QVERIFY2(bytes.ok(), qPrintable(bytes.message));
            QCOMPARE(bytes.value, readFile(photo));
        }
        const DeviceResult<QByteArray> missing = session->readFile(QStringLiteral("/DCIM/100DEMO/IMG_9999.JPG"));
        QCOMPARE(missing.status, DeviceStatus::NotFound);
        QVERIFY(missing.value.isEmpty());
    }

    // The driver gives a photo's EXIF thumbnail; a photo without one has none.
    void thumbnailsAreTheDevicesOwn()
    {
        const std::unique_ptr<DeviceSession> session = openServed(m_card);
        QVERIFY(session);
        const QString withExif = m_contents.photos.at(0);
        QByteArray embedded;
        QVERIFY(TestSupport::runProgram(QStringLiteral("exiftool"), {QStringLiteral("-b"), QStringLiteral("-ThumbnailImage"), withExif},
                                        &embedded));
        QVERIFY(embedded.startsWith("\xFF\xD8"));
        const DeviceResult<QByteArray> thumbnail = session->thumbnail(withExif.mid(m_card.size()));
        QVERIFY2(thumbnail.ok(), qPrintable(thumbnail.message));
        QCOMPARE(thumbnail.value, embedded);
        QVERIFY(thumbnail.value.size() < readFile(withExif).size() / 4);

        QCOMPARE(m_contents.withoutExif.size(), 1);
        const DeviceResult<QByteArray> none = session->thumbnail(m_contents.withoutExif.front().mid(m_card.size()));
        QVERIFY2(none.ok(), qPrintable(none.message));
        QVERIFY(none.value.isEmpty());

        const DeviceResult<QByteArray> missing = session->thumbnail(QStringLiteral("/DCIM/100DEMO/IMG_9999.JPG"));
        QCOMPARE(missing.status, DeviceStatus::NotFound);
    }

    void deletesAFile()
    {
        const std::unique_ptr<DeviceSession> session = openServed(m_card);
        QVERIFY(session);
        const QString photo = m_contents.photos.at(0);
        const QString devicePath = photo.mid(m_card.size());
        const QString folder = QFileInfo(devicePath).path();
        QVERIFY(session->list(folder).ok());
        const DeviceOutcome removed = session->remove(devicePath);
        QVERIFY2(removed.ok(), qPrintable(removed.message));
        QVERIFY(!QFile::exists(photo));
        const DeviceResult<DeviceFolderListing> after = session->list(folder);
        QVERIFY(after.ok());
        for (const DeviceFileEntry &entry : after.value.files)
            QVERIFY(entry.name != QFileInfo(photo).fileName());
        QCOMPARE(session->remove(devicePath).status, DeviceStatus::NotFound);
        // The other photos are untouched.
        QCOMPARE(readFile(m_contents.photos.at(1)).isEmpty(), false);
    }

    // A protected photo, and a storage the system will not write (a read-only mount, which
    // root cannot write either): one message, and the photo stays.
    void deletionRefused()
    {
        const QString protectedPhoto = m_contents.photos.at(1);
        QVERIFY(QFile::setPermissions(protectedPhoto, QFileDevice::ReadOwner | QFileDevice::ReadGroup));
        {
            const std::unique_ptr<DeviceSession> session = openServed(m_card);
            QVERIFY(session);
            const DeviceOutcome refused = session->remove(protectedPhoto.mid(m_card.size()));
            QCOMPARE(refused.status, DeviceStatus::DeletionRefused);
            QCOMPARE(refused.message, QStringLiteral("L'appareil refuse la suppression des photos."));
            QVERIFY(QFile::exists(protectedPhoto));
        }

        if (::geteuid() != 0)
            QSKIP("a read-only mount needs root");
        const QString readOnly = m_dir->filePath(QStringLiteral("read-only"));
        BindMount mount(m_card, readOnly, true);
        QVERIFY(mount.isMounted());
        const std::unique_ptr<DeviceSession> session = openServed(readOnly);
        QVERIFY(session);
        const QString photo = m_contents.photos.at(0);
        const DeviceOutcome refused = session->remove(photo.mid(m_card.size()));
        QCOMPARE(refused.status, DeviceStatus::DeletionRefused);
        QCOMPARE(refused.message, QStringLiteral("L'appareil refuse la suppression des photos."));
        QVERIFY(QFile::exists(photo));
        // Reading still works on that camera.
        QCOMPARE(session->readFile(photo.mid(m_card.size())).value, readFile(photo));
    }

    // The served folder removed while a folder is being listed: Gone, and every later call
    // answers Gone at once.
    void cameraGoneInTheMiddleOfAListing()
    {
        const QString moved = m_dir->filePath(QStringLiteral("unplugged"));
        DeviceSession::Options options;
        bool unplugged = false;
        options.hooks.onProgress = [&](const QString &path) {
            if (!unplugged && path == QLatin1String("/DCIM/100DEMO"))
                unplugged = QDir().rename(m_card, moved);
        };
        const std::unique_ptr<DeviceSession> session = openServed(m_card, options);
        QVERIFY(session);
        QVERIFY(session->list(QStringLiteral("/DCIM")).ok());
        const DeviceResult<DeviceFolderListing> listing = session->list(QStringLiteral("/DCIM/100DEMO"));
        QVERIFY(unplugged);
        QCOMPARE(listing.status, DeviceStatus::Gone);
        QCOMPARE(listing.message, goneMessage());

        // Even once the folder is back: that device is gone for this session.
        QVERIFY(QDir().rename(moved, m_card));
        const DeviceResult<QByteArray> bytes = session->readFile(m_contents.photos.at(0).mid(m_card.size()));
        QCOMPARE(bytes.status, DeviceStatus::Gone);
        QCOMPARE(session->remove(m_contents.photos.at(0).mid(m_card.size())).status, DeviceStatus::Gone);
        QVERIFY(QFile::exists(m_contents.photos.at(0)));
        QCOMPARE(session->thumbnail(m_contents.photos.at(0).mid(m_card.size())).status, DeviceStatus::Gone);
    }

    // A card reader's mount undone between two photos: the mount point is still a folder, but
    // not the camera's.
    void cameraUnmountedBetweenTwoReads()
    {
        if (::geteuid() != 0)
            QSKIP("a bind mount needs root");
        const QString mountPoint = m_dir->filePath(QStringLiteral("reader"));
        BindMount mount(m_card, mountPoint);
        QVERIFY(mount.isMounted());
        const std::unique_ptr<DeviceSession> session = openServed(mountPoint);
        QVERIFY(session);
        const QString first = m_contents.photos.at(0).mid(m_card.size());
        QVERIFY(session->readFile(first).ok());
        mount.unmount();
        const DeviceResult<QByteArray> second = session->readFile(m_contents.photos.at(2).mid(m_card.size()));
        QCOMPARE(second.status, DeviceStatus::Gone);
        QCOMPARE(second.message, goneMessage());
    }

    // A file that stops delivering bytes in the middle of a read (the driver would wait for
    // them for ever): the read is given up after the stall time, and nothing partial is
    // handed over as the photo.
    void aStalledReadEndsAndGivesNothing()
    {
        const QString photo = m_contents.photos.at(0);
        QByteArray large(3 * 1024 * 1024, 'x');
        large.prepend(readFile(photo));
        QVERIFY(TestSupport::writeFile(photo, large));
        DeviceSession::Options options;
        options.stallTime = std::chrono::milliseconds(300);
        bool cut = false;
        options.hooks.onProgress = [&](const QString &) {
            if (!cut)
                cut = ::truncate(QFile::encodeName(photo).constData(), 100000) == 0;
        };
        const std::unique_ptr<DeviceSession> session = openServed(m_card, options);
        QVERIFY(session);
        QElapsedTimer timer;
        timer.start();
        const DeviceResult<QByteArray> bytes = session->readFile(photo.mid(m_card.size()));
        QVERIFY(cut);
        QVERIFY2(timer.elapsed() < 20000, "the read waited far beyond its stall time");
        QCOMPARE(bytes.status, DeviceStatus::Gone);
        QCOMPARE(bytes.message, QStringLiteral("L'appareil « Directory Browse » ne répond plus."));
        QVERIFY(bytes.value.isEmpty());
    }

    void opensOnlyWhatIsThere()
    {
        const DeviceResult<std::unique_ptr<DeviceSession>> missing =
            DeviceSession::open(served(m_dir->filePath(QStringLiteral("nothing"))));
        QCOMPARE(missing.status, DeviceStatus::Gone);
        QCOMPARE(missing.message,
                 QStringLiteral("Aucun appareil n'est branché sur disk:%1.").arg(m_dir->filePath(QStringLiteral("nothing"))));
        QVERIFY(!missing.value);

        const DeviceResult<std::unique_ptr<DeviceSession>> card = DeviceSession::open(DeviceUri::fromLocalPath(m_card));
        QCOMPARE(card.status, DeviceStatus::Failed);
        QCOMPARE(card.message, QStringLiteral("file://%1 n'est pas l'adresse d'un appareil.").arg(m_card));

        const DeviceResult<std::unique_ptr<DeviceSession>> named =
            DeviceSession::open(DeviceUri::fromName(QStringLiteral("No_Such_Phone_0000X")));
        QCOMPARE(named.status, DeviceStatus::Gone);
        QCOMPARE(named.message, QStringLiteral("L'appareil « No_Such_Phone_0000X » n'est pas branché."));
    }

    // "Directory Browse" gives no serial: the identity falls back to the model and the port.
    void identityOfAServedFolder()
    {
        const std::unique_ptr<DeviceSession> session = openServed(m_card);
        QVERIFY(session);
        const DeviceIdentity &identity = session->identity();
        QCOMPARE(identity.model, QStringLiteral("Directory Browse"));
        QCOMPARE(identity.port, QStringLiteral("disk:") + m_card);
        QVERIFY(!identity.hasSerial());
        QCOMPARE(identity.text(), QStringLiteral("Directory Browse disk:") + m_card);

        const DeviceResult<QList<DeviceStorage>> storages = session->storages();
        QVERIFY(storages.ok());
        QCOMPARE(storages.value.size(), 1);
        QCOMPARE(storages.value.front().folder, QStringLiteral("/"));
        QVERIFY(storages.value.front().capacity > 0);
        QVERIFY(storages.value.front().free >= 0 && storages.value.front().free <= storages.value.front().capacity);
        QVERIFY(storages.value.front().deletable);
    }

    void releaseGivesTheDeviceBack()
    {
        std::unique_ptr<DeviceSession> session = openServed(m_card);
        QVERIFY(session);
        QVERIFY(session->isOpen());
        session->release();
        QVERIFY(!session->isOpen());
        session->release();
        const DeviceResult<QByteArray> bytes = session->readFile(m_contents.photos.at(0).mid(m_card.size()));
        QCOMPARE(bytes.status, DeviceStatus::Failed);
        QCOMPARE(bytes.message, QStringLiteral("L'appareil « Directory Browse » a été libéré."));
        QCOMPARE(session->remove(m_contents.photos.at(0).mid(m_card.size())).status, DeviceStatus::Failed);
        QVERIFY(QFile::exists(m_contents.photos.at(0)));
    }

    // Worker threads reading at once through two sessions get every byte right.
    void threadsShareTheLibrarySafely()
    {
        const std::unique_ptr<DeviceSession> first = openServed(m_card);
        const std::unique_ptr<DeviceSession> second = openServed(m_card);
        QVERIFY(first && second);
        std::atomic<int> wrong{0};
        std::vector<std::thread> workers;
        for (int t = 0; t < 4; ++t)
            workers.emplace_back([&, t] {
                DeviceSession &session = t % 2 ? *first : *second;
                for (int round = 0; round < 5; ++round)
                    for (const QString &photo : std::as_const(m_contents.photos)) {
                        const QString path = photo.mid(m_card.size());
                        if (session.readFile(path).value != readFile(photo) || !session.thumbnail(path).ok()
                            || !session.list(QFileInfo(path).path()).ok())
                            ++wrong;
                    }
            });
        for (std::thread &worker : workers)
            worker.join();
        QCOMPARE(wrong.load(), 0);
    }

    // libgphoto2 sees a mounted folder holding DCIM as a camera: it is listed as a card, to be
    // used as a folder.
    void detectsAMountedCardAsACard()
    {
        if (::geteuid() != 0)
            QSKIP("a bind mount needs root");
        const QString mountPoint = m_dir->filePath(QStringLiteral("carte %1").arg(QChar(0xE9)));
        BindMount mount(m_card, mountPoint);
        QVERIFY(mount.isMounted());
        for (const DeviceDetector::Detail detail : {DeviceDetector::Detail::Ports, DeviceDetector::Detail::Full}) {
            bool found = false;
            for (const DetectedDevice &device : DeviceDetector::detect(detail)) {
                if (device.port != QStringLiteral("disk:") + mountPoint)
                    continue;
                found = true;
                QCOMPARE(device.kind, DetectedDevice::Kind::Card);
                QCOMPARE(device.folder, mountPoint);
                QCOMPARE(device.uri.toString(), DeviceUri::fromLocalPath(mountPoint).toString());
                QVERIFY(device.problem.isEmpty());
                QCOMPARE(device.storages.size(), detail == DeviceDetector::Detail::Full ? 1 : 0);
            }
            QVERIFY(found);
        }
        mount.unmount();
        for (const DetectedDevice &device : DeviceDetector::detect(DeviceDetector::Detail::Ports))
            QVERIFY(device.port != QStringLiteral("disk:") + mountPoint);
        // A folder with no DCIM is no card.
        QVERIFY(QDir(m_card).rename(QStringLiteral("DCIM"), QStringLiteral("PHOTOS")));
        BindMount plain(m_card, mountPoint);
        QVERIFY(plain.isMounted());
        for (const DetectedDevice &device : DeviceDetector::detect(DeviceDetector::Detail::Ports))
            QVERIFY(device.port != QStringLiteral("disk:") + mountPoint);
    }

    // `lumaro-cli devices` names the card's folder with the very bytes of its name.
    void cliListsTheDevices()
    {
        if (::geteuid() != 0)
            QSKIP("a bind mount needs root");
        const QString mountPoint = m_dir->filePath(FileName::decode(QByteArray("card \xE9t\xE9")));
        BindMount mount(m_card, mountPoint);
        QVERIFY(mount.isMounted());
        QProcess cli;
        cli.start(TestSupport::cliPath(), {QStringLiteral("devices")});
        QVERIFY(cli.waitForFinished(60000));
        QCOMPARE(cli.exitCode(), 0);
        const QByteArray out = cli.readAllStandardOutput();
        const QByteArray folder = FileName::encode(mountPoint);
        const QByteArray block = "Carte m\xC3\xA9moire (\xC3\xA0 ouvrir comme dossier) : Mass Storage Camera\n"
                                 "  Port : disk:" + folder + "\n"
                                 "  Adresse : " + DeviceUri::fromLocalPath(mountPoint).toString().toLatin1() + "\n"
                                 "  Dossier : " + folder + "\n"
                                 "  Num\xC3\xA9ro de s\xC3\xA9rie : aucun\n"
                                 "  M\xC3\xA9moire : Directory Driver (/), ";
        QVERIFY2(out.contains(block), out.constData());
        QVERIFY(DeviceUri::fromLocalPath(mountPoint).toString().contains(QStringLiteral("card%20%E9t%E9")));

        cli.start(TestSupport::cliPath(), {QStringLiteral("devices"), QStringLiteral("--no-details")});
        QVERIFY(cli.waitForFinished(60000));
        const QByteArray quick = cli.readAllStandardOutput();
        QVERIFY(quick.contains("  Dossier : " + folder + "\n"));
        QVERIFY(!quick.contains("Num\xC3\xA9ro de s\xC3\xA9rie"));
    }
};

QTEST_GUILESS_MAIN(TestDevices)
#include "tst_devices.moc"
