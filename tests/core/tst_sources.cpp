// Cameras and phones as photo sources, with libgphoto2's "Directory Browse" camera serving a
// demo card: the search and its history, the batch that reads each file once, writes it by
// the verified write and deletes it on the device, a device that refuses deletion or goes away
// in the middle, and lumaro-cli on a device's address.
#include "core/discovery/filtrephoto.h"
#include "core/exif/exifdate.h"
#include "core/discovery/history.h"
#include "core/discovery/recherchephotos.h"
#include "core/operations/shottransfer.h"
#include "core/settings/paramappli.h"
#include "core/sources/devicesource.h"
#include "core/sources/foldersource.h"
#include "core/workflows/batchtransfer.h"
#include "core/workflows/photobyphoto.h"
#include "tests/testsupport.h"
#include "tools/democard.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

namespace {

QString servedUri(const QString &folder)
{
    return QStringLiteral("gphoto2://[disk:%1]/").arg(folder);
}

// The files of a folder and its sub-folders, by path below it, with their bytes.
QMap<QString, QByteArray> filesBelow(const QString &folder, const QString &suffix = QString())
{
    QMap<QString, QByteArray> files;
    QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        if (suffix.isEmpty() || path.endsWith(suffix, Qt::CaseInsensitive))
            files.insert(path.mid(folder.size()), TestSupport::readFile(path));
    }
    return files;
}

QStringList afterPrefix(const QStringList &paths, const QString &prefix)
{
    QStringList below;
    for (const QString &path : paths)
        below << (path.startsWith(prefix) ? path.mid(prefix.size()) : QStringLiteral("?") + path);
    return below;
}

} // namespace

class TestSources : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_camera; // the served folder
    QString m_card;   // the same demo card, as a folder
    DemoCard::Contents m_contents;
    std::unique_ptr<TParamAppli> m_settings;

    QString path(const QString &name) const { return m_dir->filePath(name); }

    std::shared_ptr<PhotoSource> openCamera(const DeviceSession::Options &options = {})
    {
        SourceOpening opening = PhotoSources::open(servedUri(m_camera), options);
        if (!opening.source)
            qWarning() << opening.message;
        return opening.source;
    }

    QStringList search(PhotoSource &source, const QString &root, QStringList *extras = nullptr, bool onlyNew = false)
    {
        TFiltrePhoto filter(path(QStringLiteral("settings")));
        filter.NouvellePhoto = onlyNew;
        QStringList photos, extraFiles;
        RecordingUserInterface ui;
        RechercherPhotos(source, root, true, filter, extraFiles, photos, *m_settings, ui);
        if (extras)
            *extras = extraFiles;
        return photos;
    }

private slots:
    void initTestCase() { TestSupport::isolateEnvironment(); }

    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_camera = path(QStringLiteral("camera"));
        m_card = path(QStringLiteral("card"));
        DemoCard::Options options;
        options.count = 6;
        options.size = QSize(320, 240);
        m_contents = DemoCard::write(m_camera, options);
        DemoCard::write(m_card, options);
        QVERIFY(QDir().mkpath(path(QStringLiteral("settings"))));
        m_settings = std::make_unique<TParamAppli>(path(QStringLiteral("settings/Lumaro.ini")));
        m_settings->RotationAuto = true;
        m_settings->SupprimerPhoto = true;
        // libgphoto2's folder camera lists the films but not GIF pictures.
        m_settings->ExtensionSupp = QStringLiteral("AVI");
        // The previews of the demo card are skipped as a low-quality folder is.
        m_settings->Repertoire = QStringLiteral("MINIATURES");
    }

    void cleanup()
    {
        m_settings.reset();
        m_dir.reset();
    }

    // What the source is and where its photos are named.
    void aDeviceSourceSaysWhatItIs()
    {
        const std::shared_ptr<PhotoSource> camera = openCamera();
        QVERIFY(camera);
        QVERIFY(camera->isDevice());
        QCOMPARE(camera->displayName(), QStringLiteral("Appareil : Directory Browse"));
        QCOMPARE(camera->root(), servedUri(m_camera));
        QVERIFY(camera->holds(servedUri(m_camera) + QStringLiteral("DCIM/100DEMO/IMG_0001.JPG")));
        QVERIFY(!camera->holds(servedUri(m_card) + QStringLiteral("DCIM/100DEMO/IMG_0001.JPG")));
        QVERIFY(!camera->holds(m_contents.photos.at(0)));

        const SourceOpening missing = PhotoSources::open(servedUri(path(QStringLiteral("nothing"))));
        QVERIFY(!missing.source);
        QVERIFY2(missing.message.contains(QStringLiteral("Aucun appareil")), qPrintable(missing.message));
        QVERIFY(!PhotoSources::open(QStringLiteral("gphoto2://")).source);

        // A card given as a file:// address is its folder, bytes of its name kept.
        QCOMPARE(PhotoSources::localPath(QStringLiteral("file:///media/moi/CARTE%20SD/DCIM/")),
                 QStringLiteral("/media/moi/CARTE SD/DCIM/"));
        QCOMPARE(PhotoSources::localPath(QStringLiteral("/media/moi/a%20b")), QStringLiteral("/media/moi/a%20b"));
        const SourceOpening folder = PhotoSources::open(QStringLiteral("file://") + m_card);
        QVERIFY(folder.source && !folder.source->isDevice());
        QCOMPARE(folder.source->root(), m_card + u'/');
        QVERIFY(folder.source->holds(QString(m_contents.photos.at(0)).replace(m_camera, m_card)));
    }

    // The device's search finds what the same card's search finds, in the same order, with
    // the same extra files; the preview folder is skipped the same way.
    void searchOfADeviceFindsWhatTheFolderSearchFinds()
    {
        const std::shared_ptr<PhotoSource> camera = openCamera();
        QVERIFY(camera);
        QStringList deviceExtras, folderExtras;
        const QStringList fromDevice = search(*camera, camera->root(), &deviceExtras);
        FolderSource card(m_card);
        TFiltrePhoto filter(path(QStringLiteral("settings")));
        filter.NouvellePhoto = false;
        QStringList fromFolder;
        RecordingUserInterface ui;
        RechercherPhotos(m_card + u'/', true, filter, folderExtras, fromFolder, *m_settings, ui);
        QCOMPARE(fromDevice.size(), m_contents.photos.size() + 0);
        QCOMPARE(afterPrefix(fromDevice, camera->root()), afterPrefix(fromFolder, m_card + u'/'));
        QCOMPARE(afterPrefix(deviceExtras, camera->root()), afterPrefix(folderExtras, m_card + u'/'));
        QVERIFY(!deviceExtras.isEmpty());
    }

    // The history of a device: a second search offers nothing new; the history file is named
    // after the device's identity; and lines written while the camera sat on another port
    // still count, as a card's do on another mount point.
    void historyFollowsTheDevice()
    {
        const std::shared_ptr<PhotoSource> camera = openCamera();
        QVERIFY(camera);
        QCOMPARE(search(*camera, camera->root(), nullptr, true).size(), m_contents.photos.size());
        QCOMPARE(search(*camera, camera->root(), nullptr, true), QStringList());
        const auto &identity = static_cast<DeviceSource &>(*camera).identity();
        const QString historyFile = History::filePath(m_settings->folder(), {identity.number(), QString(), QStringLiteral("/")});
        QVERIFY2(QFile::exists(historyFile), qPrintable(historyFile));
        QCOMPARE(History::read(historyFile).size(), m_contents.photos.size());

        // The same camera on another port: the serial gives the same file...
        const DeviceIdentity here{QStringLiteral("Canon"), QStringLiteral("Canon EOS 80D"), QStringLiteral("usb:002,005"),
                                  QStringLiteral("0123456789")};
        DeviceIdentity there = here;
        there.port = QStringLiteral("usb:001,009");
        QCOMPARE(there.number(), here.number());
        // ... and its lines, written under the other port's addresses, are known photos.
        const QString oldRoot = QStringLiteral("gphoto2://[usb:002,005]/");
        const QString newRoot = QStringLiteral("gphoto2://[usb:001,009]/");
        const QStringList previous{QStringLiteral("20240712091500") + oldRoot + QStringLiteral("store_00010001/DCIM/IMG_1.JPG"),
                                   QStringLiteral("20240712091700") + oldRoot + QStringLiteral("store_00010001/DCIM/IMG_2.JPG")};
        QStringList entries{QStringLiteral("20240712091500") + newRoot + QStringLiteral("store_00010001/DCIM/IMG_1.JPG"),
                            QStringLiteral("20240712091700") + newRoot + QStringLiteral("store_00010001/DCIM/IMG_2.JPG"),
                            QStringLiteral("20240712092000") + newRoot + QStringLiteral("store_00010001/DCIM/IMG_3.JPG")};
        History::removeKnownPhotos(entries, previous, newRoot, QStringLiteral("/"));
        QCOMPARE(entries, QStringList{QStringLiteral("20240712092000") + newRoot + QStringLiteral("store_00010001/DCIM/IMG_3.JPG")});
    }

    // The whole batch from the device: every photo written by the verified write, identical
    // to what the same card's batch writes (turned after its EXIF orientation), then deleted
    // on the device; the extra files copied from the device.
    void batchFromADeviceEmptiesIt()
    {
        const std::shared_ptr<PhotoSource> camera = openCamera();
        QVERIFY(camera);
        QStringList extras;
        QStringList photos = search(*camera, camera->root(), &extras);
        BatchOptions options;
        options.destination = path(QStringLiteral("out")) + u'/';
        options.source = camera;
        RecordingUserInterface ui;
        BatchTransfer batch(*m_settings, ui, photos, options);
        const BatchTransfer::Result result = batch.run();
        QCOMPARE(result.end, BatchTransfer::End::Completed);
        QCOMPARE(result.failures, 0);
        QCOMPARE(ui.errors, QStringList());
        QCOMPARE(ui.information, QStringList());
        QCOMPARE(photos, QStringList());
        QCOMPARE(batch.PhotosTransferees().size(), m_contents.photos.size());
        for (const QString &photo : m_contents.photos)
            QVERIFY2(!QFile::exists(photo), qPrintable(photo));
        const QStringList copies =
            EnregistrerExtensionsSupp(options.destination, extras, ui, *camera);
        QCOMPARE(copies.size(), extras.size());

        // The card's batch, on a copy of the same card, gives the same files, byte for byte.
        QStringList cardPhotos;
        {
            TFiltrePhoto filter(path(QStringLiteral("settings")));
            filter.NouvellePhoto = false;
            QStringList cardExtras;
            RechercherPhotos(m_card + u'/', true, filter, cardExtras, cardPhotos, *m_settings, ui);
            BatchOptions cardOptions;
            cardOptions.destination = path(QStringLiteral("from-card")) + u'/';
            BatchTransfer cardBatch(*m_settings, ui, cardPhotos, cardOptions);
            QCOMPARE(cardBatch.run().end, BatchTransfer::End::Completed);
            EnregistrerExtensionsSupp(cardOptions.destination, cardExtras, ui);
        }
        const QMap<QString, QByteArray> fromDevice = filesBelow(path(QStringLiteral("out")));
        QCOMPARE(fromDevice.size(), m_contents.photos.size() + extras.size());
        QVERIFY(fromDevice == filesBelow(path(QStringLiteral("from-card"))));
        // The copies keep the time the device gave for each file.
        for (const QString &name : fromDevice.keys())
            QCOMPARE(QFileInfo(path(QStringLiteral("out")) + name).lastModified(),
                     QFileInfo(path(QStringLiteral("from-card")) + name).lastModified());
    }

    // A device that will not delete: one message for the whole batch, every photo copied, the
    // protected ones left on the device and in the list.
    void deletionRefusedIsToldOnce()
    {
        for (const int index : {1, 3})
            QVERIFY(QFile::setPermissions(m_contents.photos.at(index), QFileDevice::ReadOwner | QFileDevice::ReadGroup));
        const std::shared_ptr<PhotoSource> camera = openCamera();
        QVERIFY(camera);
        QStringList photos = search(*camera, camera->root());
        BatchOptions options;
        options.destination = path(QStringLiteral("out")) + u'/';
        options.source = camera;
        RecordingUserInterface ui;
        BatchTransfer batch(*m_settings, ui, photos, options);
        const BatchTransfer::Result result = batch.run();
        QCOMPARE(result.end, BatchTransfer::End::Completed);
        QCOMPARE(ui.information, QStringList{deletionRefusedMessage()});
        QCOMPARE(ui.errors, QStringList());
        QCOMPARE(batch.PhotosTransferees().size(), m_contents.photos.size());
        QCOMPARE(photos.size(), 2);
        for (int index = 0; index < m_contents.photos.size(); ++index)
            QCOMPARE(QFile::exists(m_contents.photos.at(index)), index == 1 || index == 3);
    }

    // Unplugged while the third photo is read: the batch stops with one message; what was
    // written before is whole and verified, nothing stands half-written under a final name,
    // and the photos not transferred are still on the device.
    void deviceUnpluggedInTheMiddleStopsTheBatch()
    {
        const QString moved = path(QStringLiteral("unplugged"));
        DeviceSession::Options sessionOptions;
        bool unplugged = false;
        sessionOptions.hooks.onProgress = [&](const QString &devicePath) {
            if (!unplugged && devicePath.endsWith(QFileInfo(m_contents.photos.at(2)).fileName())
                && devicePath.contains(QStringLiteral("100DEMO/")) && !devicePath.contains(QStringLiteral("MINI")))
                unplugged = QDir().rename(m_camera, moved);
        };
        const std::shared_ptr<PhotoSource> camera = openCamera(sessionOptions);
        QVERIFY(camera);
        QStringList photos = search(*camera, camera->root());
        BatchOptions options;
        options.destination = path(QStringLiteral("out")) + u'/';
        options.source = camera;
        options.thumbnails = false;
        RecordingUserInterface ui;
        BatchTransfer batch(*m_settings, ui, photos, options);
        const BatchTransfer::Result result = batch.run();
        QVERIFY(unplugged);
        QCOMPARE(result.end, BatchTransfer::End::Aborted);
        QVERIFY2(ui.errors.size() == 1, qPrintable(ui.errors.join(u'|')));
        QVERIFY2(ui.errors.at(0).contains(QStringLiteral("l'appareil n'est plus accessible")), qPrintable(ui.errors.at(0)));
        QVERIFY(batch.PhotosTransferees().size() < m_contents.photos.size());
        QVERIFY(camera->gone());

        // Every file under a final name is one of the card's photos, whole (turned or not).
        const QMap<QString, QByteArray> written = filesBelow(path(QStringLiteral("out")));
        QCOMPARE(written.size(), batch.PhotosTransferees().size());
        for (auto it = written.cbegin(); it != written.cend(); ++it)
            QVERIFY2(!it.key().contains(QStringLiteral(".lumaro-")), qPrintable(it.key()));
        // The photos not deleted (those not written, and a written one whose deletion the
        // device could no longer do) are all still there, in the folder taken away.
        QVERIFY(photos.size() >= m_contents.photos.size() - written.size());
        for (const QString &photo : std::as_const(photos))
            QVERIFY2(QFile::exists(moved + u'/' + photo.mid(servedUri(m_camera).size())), qPrintable(photo));
    }

    // Photo by photo from the device: each photo's date from its EXIF data read from the
    // device, its turn, its copy written and verified, then deleted on the device; a
    // protected photo stays, told once.
    void photoByPhotoFromADevice()
    {
        QVERIFY(QFile::setPermissions(m_contents.photos.at(3), QFileDevice::ReadOwner | QFileDevice::ReadGroup));
        const std::shared_ptr<PhotoSource> camera = openCamera();
        QVERIFY(camera);
        QStringList photos = search(*camera, camera->root());
        PhotoByPhotoSession session(*m_settings, photos, path(QStringLiteral("out")) + u'/', QStringLiteral("Plage"));
        session.setSource(camera);
        session.setAutomaticRotation(true);
        session.showCurrent();
        TListeInformationExif onCard;
        LireInformationsExif(onCard, m_contents.photos.at(0), true);
        QCOMPARE(session.DateLue(), DatePhoto(onCard, m_contents.photos.at(0)));
        QVERIFY(onCard.Count() > 1); // its date is the EXIF one, not the file's
        RecordingUserInterface ui;
        QStringList names;
        PhotoByPhotoSession::After after = PhotoByPhotoSession::After::NextPhoto;
        while (after == PhotoByPhotoSession::After::NextPhoto) {
            names << session.NomFinal();
            after = session.transfer(session.NomFinal(), ui);
        }
        QCOMPARE(after, PhotoByPhotoSession::After::Finished);
        QCOMPARE(ui.information, QStringList{deletionRefusedMessage()});
        QCOMPARE(session.PhotosTransferees(), names);
        QCOMPARE(names.size(), m_contents.photos.size());
        QCOMPARE(photos.size(), 1);
        for (int index = 0; index < m_contents.photos.size(); ++index)
            QCOMPARE(QFile::exists(m_contents.photos.at(index)), index == 3);
        // A photo recorded on its side is written turned upright: as the card's transfer does.
        const int turned = m_contents.photos.indexOf(m_contents.orientation6.value(0));
        QVERIFY(turned >= 0);
        QImage upright;
        QVERIFY(upright.load(names.at(turned)));
        QCOMPARE(upright.size(), QSize(240, 320));
    }

    // lumaro-cli on a device's address: search, name and batch.
    void commandLineOnADevice()
    {
        const QString settings = path(QStringLiteral("cli-settings"));
        QVERIFY(TestSupport::writeFile(settings + QStringLiteral("/Lumaro.ini"),
                                       "[General]\r\nSupprimerPhoto=1\r\nRotationAuto=1\r\n[ImagesLowQ]\r\nRepertoire=MINIATURES\r\n"));
        QString out, err;
        QCOMPARE(TestSupport::runCli({QStringLiteral("search"), QStringLiteral("--settings-dir"), settings, servedUri(m_camera)},
                                     &out, &err),
                 0);
        const QStringList listed = out.split(u'\n', Qt::SkipEmptyParts);
        QCOMPARE(listed.indexOf(QStringLiteral("--")), m_contents.photos.size());
        QVERIFY(listed.at(0).startsWith(servedUri(m_camera) + QStringLiteral("DCIM/")));

        // A device file's name follows its EXIF date, read from its bytes on the device.
        QCOMPARE(TestSupport::runCli({QStringLiteral("name"), QStringLiteral("--settings-dir"), settings, listed.at(0),
                                      path(QStringLiteral("dest"))},
                                     &out, &err),
                 0);
        QCOMPARE(out.trimmed(), path(QStringLiteral("dest")) + QStringLiteral("/2024-07-12 -  1.JPG"));

        QCOMPARE(TestSupport::runCli({QStringLiteral("batch"), QStringLiteral("--settings-dir"), settings,
                                      servedUri(m_camera), path(QStringLiteral("dest"))},
                                     &out, &err),
                 0);
        const QStringList lines = out.split(u'\n', Qt::SkipEmptyParts);
        QCOMPARE(lines.indexOf(QStringLiteral("--")), m_contents.photos.size());
        for (const QString &photo : m_contents.photos)
            QVERIFY(!QFile::exists(photo));
        QVERIFY(QFile::exists(lines.first()));

        // A device that is not there: a clear message, status 1.
        QCOMPARE(TestSupport::runCli({QStringLiteral("batch"), QStringLiteral("--settings-dir"), settings,
                                      servedUri(path(QStringLiteral("nothing"))), path(QStringLiteral("dest"))},
                                     &out, &err),
                 1);
        QVERIFY2(err.contains(QStringLiteral("Aucun appareil")), qPrintable(err));
    }
};

QTEST_GUILESS_MAIN(TestSources)
#include "tst_sources.moc"
