// Finding photos: order, folder and extension rules, histories per volume and folder, the filter,
// the copies of extra files, and the search command of lumaro-cli.
#include "core/error.h"
#include "core/discovery/filtrephoto.h"
#include "core/discovery/history.h"
#include "core/settings/paramappli.h"
#include "core/discovery/photoscanner.h"
#include "core/discovery/recherchephotos.h"
#include "core/files/textfile.h"
#include "core/files/volumeidentity.h"
#include "tests/testsupport.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>

#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/statvfs.h>

namespace {

QDateTime at(const QString &text)
{
    return QDateTime::fromString(text, QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

using TestSupport::readFile;

// A file with that content and last-write time; false when it cannot be made.
[[nodiscard]] bool makeFile(const QString &path, const QDateTime &time = at(QStringLiteral("2004-02-14 10:30:12")),
                            const QByteArray &content = "data")
{
    if (!TestSupport::writeFile(path, content))
        return false;
    QFile file(path);
    return file.open(QIODevice::ReadWrite) && file.setFileTime(time, QFileDevice::FileModificationTime);
}

} // namespace

class TestRechercherPhotos : public QObject {
    Q_OBJECT

    QTemporaryDir *m_dir = nullptr;
    QString m_settings; // settings folder, with "/"
    QString m_card;     // searched folder, with "/"

    TParamAppli settings() const { return TParamAppli(m_settings + QStringLiteral("Lumaro.ini")); }

    void writeSettings(const QString &general)
    {
        QFile file(m_settings + QStringLiteral("Lumaro.ini"));
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(("[General]\r\n" + general + "\r\n").toUtf8());
    }

    QStringList search(const TFiltrePhoto &filter, QStringList *extras = nullptr, bool withSubfolders = true,
                       const VolumeLocator &volumes = VolumeLocator(), RecordingUserInterface *ui = nullptr)
    {
        QStringList photos, extraFiles;
        RecordingUserInterface local;
        RechercherPhotos(m_card, withSubfolders, filter, extraFiles, photos, settings(), ui ? *ui : local, volumes);
        if (extras)
            *extras = extraFiles;
        return photos;
    }

    QStringList relative(const QStringList &paths) const
    {
        QStringList result;
        for (const QString &path : paths)
            result << (path.startsWith(m_card) ? path.mid(m_card.size()) : path);
        return result;
    }

    QStringList histories() const { return QDir(m_settings + QStringLiteral("Histo")).entryList(QDir::Files); }

private slots:
    void initTestCase() { TestSupport::isolateEnvironment(); }

    void init()
    {
        m_dir = new QTemporaryDir;
        QVERIFY(m_dir->isValid());
        m_settings = m_dir->filePath(QStringLiteral("settings/"));
        m_card = m_dir->filePath(QStringLiteral("card/"));
        QDir().mkpath(m_settings);
        QDir().mkpath(m_card);
    }
    void cleanup()
    {
        delete m_dir;
        m_dir = nullptr;
    }

    void orderIsByFileTimeThenPathIgnoringCase()
    {
        QVERIFY(makeFile(m_card + QStringLiteral("DCIM/IMG_0002.JPG"), at(QStringLiteral("2004-02-14 10:00:00"))));
        QVERIFY(makeFile(m_card + QStringLiteral("DCIM/IMG_0001.jpeg"), at(QStringLiteral("2004-02-14 11:00:00"))));
        QVERIFY(makeFile(m_card + QStringLiteral("b/c.JPG"), at(QStringLiteral("2004-02-14 09:00:00"))));
        QVERIFY(makeFile(m_card + QStringLiteral("B/a.jpg"), at(QStringLiteral("2004-02-14 09:00:01")))); // same even second
        QVERIFY(makeFile(m_card + QStringLiteral("a/z.jpg"), at(QStringLiteral("2004-02-14 09:00:00"))));
        // Two names that differ only by case are two photos on this system: both are offered.
        QVERIFY(makeFile(m_card + QStringLiteral("x.jpg"), at(QStringLiteral("2004-02-15 08:00:00"))));
        QVERIFY(makeFile(m_card + QStringLiteral("X.JPG"), at(QStringLiteral("2004-02-15 08:00:00"))));
        // A link back to the card's root neither loops nor lists a photo twice.
        QVERIFY(QFile::link(m_card, m_card + QStringLiteral("DCIM/boucle")));

        TFiltrePhoto filter(m_settings);
        RecordingUserInterface ui;
        const QStringList photos = search(filter, nullptr, true, VolumeLocator(), &ui);
        QCOMPARE(relative(photos), (QStringList{"a/z.jpg", "B/a.jpg", "b/c.JPG", "DCIM/IMG_0002.JPG",
                                                "DCIM/IMG_0001.jpeg", "X.JPG", "x.jpg"}));
        QCOMPARE(ui.waits.size(), size_t(1));
        QCOMPARE(ui.waits.front().text, QStringLiteral("Recherche des photos..."));
        QCOMPARE(ui.waits.front().title, QStringLiteral("Veuillez patienter"));
        QVERIFY(!ui.anyWaitOpen());
    }

    void dateKeyIsLocalTimeAtEvenSecond()
    {
        const QDateTime time = at(QStringLiteral("2004-07-01 23:59:59"));
        QCOMPARE(PhotoScanner::dateKey(time.toSecsSinceEpoch()), QStringLiteral("20040701235958"));
        QCOMPARE(PhotoScanner::dateKey(at(QStringLiteral("2004-02-14 00:00:01")).toSecsSinceEpoch()),
                 QStringLiteral("20040214000000"));
    }

    void fileRules_data()
    {
        QTest::addColumn<QString>("extensions");
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<QStringList>("photos");
        QTest::addColumn<QStringList>("extras");
        const QStringList files{"photo.Jpg", "photo.jpg.bak", "b.JPEG", "a.avi", "b.TIF", "c.gif", "README", "d.jpg.",
                                "e.mov"};
        QTest::newRow("substring of the setting") << "GIF;TIFF;AVI" << files << QStringList{"b.JPEG", "photo.Jpg"}
                                                  << QStringList{"a.avi", "b.TIF", "c.gif"};
        QTest::newRow("setting in lower case") << "avi" << files << QStringList{"b.JPEG", "photo.Jpg"} << QStringList{};
        QTest::newRow("no setting") << "" << files << QStringList{"b.JPEG", "photo.Jpg"} << QStringList{};
        QTest::newRow("backup of a photo") << "BAK" << files << QStringList{"b.JPEG", "photo.Jpg"}
                                           << QStringList{"photo.jpg.bak"};
    }
    void fileRules()
    {
        QFETCH(QString, extensions);
        QFETCH(QStringList, files);
        QFETCH(QStringList, photos);
        QFETCH(QStringList, extras);
        writeSettings(QStringLiteral("ExtensionSupp=") + extensions);
        for (const QString &name : files)
            QVERIFY(makeFile(m_card + name));
        QDir().mkpath(m_card + QStringLiteral("dossier.jpg")); // a folder is never a photo
        TFiltrePhoto filter(m_settings);
        QStringList foundExtras;
        QCOMPARE(relative(search(filter, &foundExtras)), photos);
        QCOMPARE(relative(foundExtras), extras);
    }

    void folderRules_data()
    {
        QTest::addColumn<QString>("ignored");
        QTest::addColumn<bool>("withSubfolders");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("low-quality folder, exact case only") << "" << true
                                                             << QStringList{"1.jpg", "basse resolution/3.jpg", "DCIM/2.jpg",
                                                                            "DCIM/sous/4.jpg"};
        QTest::newRow("folder to ignore, exact path") << "%1DCIM" << true
                                                      << QStringList{"1.jpg", "basse resolution/3.jpg"};
        QTest::newRow("folder to ignore, with its separator") << "%1DCIM/" << true
                                                              << QStringList{"1.jpg", "basse resolution/3.jpg"};
        QTest::newRow("folder to ignore, other case") << "%1dcim" << true
                                                      << QStringList{"1.jpg", "basse resolution/3.jpg", "DCIM/2.jpg",
                                                                     "DCIM/sous/4.jpg"};
        QTest::newRow("searched folder itself") << "%1" << true
                                                << QStringList{"1.jpg", "basse resolution/3.jpg", "DCIM/2.jpg",
                                                               "DCIM/sous/4.jpg"};
        QTest::newRow("without sub-folders") << "" << false << QStringList{"1.jpg"};
    }
    void folderRules()
    {
        QFETCH(QString, ignored);
        QFETCH(bool, withSubfolders);
        QFETCH(QStringList, expected);
        QString value = ignored;
        value.replace(QStringLiteral("%1"), m_card);
        if (ignored == QLatin1String("%1"))
            value.chop(1); // the searched folder, as the folder browser gives it
        writeSettings(QStringLiteral("RepertoireAIgnorer=") + value);
        QTime t(10, 0);
        int i = 0;
        for (const char *name : {"1.jpg", "DCIM/2.jpg", "basse resolution/3.jpg", "DCIM/sous/4.jpg",
                                    "Basse Resolution/5.jpg", "DCIM/Basse Resolution/6.jpg"})
            QVERIFY(makeFile(m_card + name, QDateTime(QDate(2004, 2, 14), t.addSecs(60 * i++))));
        TFiltrePhoto filter(m_settings);
        QStringList photos = relative(search(filter, nullptr, withSubfolders));
        photos.sort(Qt::CaseInsensitive);
        QCOMPARE(photos, expected);
    }

    void searchedFolderNamedLikeTheLowQualityFolder()
    {
        QVERIFY(makeFile(m_card + QStringLiteral("Basse Resolution/a.jpg")));
        const QString saved = m_card;
        m_card += QStringLiteral("Basse Resolution/");
        TFiltrePhoto filter(m_settings);
        QCOMPARE(relative(search(filter)), QStringList{"a.jpg"});
        m_card = saved;
    }

    void mountTableAndUuids()
    {
        const QByteArray table = "21 26 0:20 / /proc rw - proc proc rw\n"
                                 "26 1 254:0 / / rw,relatime - ext4 /dev/vda rw\n"
                                 "40 26 8:17 / /media/user/MA\\040CARTE rw,nosuid shared:7 - vfat /dev/sdb1 rw\n"
                                 "41 26 8:33 / /media/user/MA rw - exfat /dev/sdc1 rw\n"
                                 "42 26 0:50 / /media/user/MA rw - ntfs3 /dev/sdd1 rw\n"
                                 "garbage line\n";
        const QList<MountEntry> mounts = VolumeIdentity::parseMountInfo(table);
        QCOMPARE(mounts.size(), 5);
        QCOMPARE(mounts.at(2).mountPoint, QStringLiteral("/media/user/MA CARTE"));
        QCOMPARE(mounts.at(2).source, QStringLiteral("/dev/sdb1"));
        QCOMPARE(mounts.at(2).major, 8u);
        QCOMPARE(mounts.at(2).minor, 17u);

        QCOMPARE(VolumeIdentity::mountOf(mounts, QStringLiteral("/media/user/MA CARTE/DCIM"))->source, QStringLiteral("/dev/sdb1"));
        // A longer name that only begins like a mount point is not inside it.
        QCOMPARE(VolumeIdentity::mountOf(mounts, QStringLiteral("/media/user/MAX/DCIM"))->mountPoint, QStringLiteral("/"));
        // Two file systems on one mount point: the last one mounted hides the other.
        QCOMPARE(VolumeIdentity::mountOf(mounts, QStringLiteral("/media/user/MA"))->source, QStringLiteral("/dev/sdd1"));

        using VolumeIdentity::serialFromUuid;
        QCOMPARE(serialFromUuid(QStringLiteral("ABCD-1234"), QStringLiteral("vfat")), std::optional<quint32>(0xABCD1234u));
        QCOMPARE(serialFromUuid(QStringLiteral("4A3B-0C2D"), QStringLiteral("exfat")), std::optional<quint32>(0x4A3B0C2Du));
        QCOMPARE(serialFromUuid(QStringLiteral("1A2B3C4D5E6F7081"), QStringLiteral("ntfs")), std::optional<quint32>(0x5E6F7081u));
        QCOMPARE(serialFromUuid(QStringLiteral("1A2B3C4D5E6F7081"), QStringLiteral("fuseblk")), std::optional<quint32>(0x5E6F7081u));
        QCOMPARE(serialFromUuid(QStringLiteral("0b3e5f3a-1c2d-4e5f-8a9b-0c1d2e3f4a5b"), QStringLiteral("ext4")),
                 std::optional<quint32>(0x0b3e5f3au));
        QCOMPARE(serialFromUuid(QStringLiteral("not-a-uuid"), QStringLiteral("ext4")), std::nullopt);
    }

    void historyNames_data()
    {
        QTest::addColumn<quint32>("serial");
        QTest::addColumn<QString>("relativePath");
        QTest::addColumn<QString>("name");
        QTest::newRow("sub-folder") << 77u << "/DCIM/100 CANON/" << "77-DCIM100CANON.txt";
        QTest::newRow("root") << 77u << "/" << "77-.txt";
        QTest::newRow("largest serial") << 0xFFFFFFFFu << "/a\\b/" << "4294967295-ab.txt";
    }
    void historyNames()
    {
        QFETCH(quint32, serial);
        QFETCH(QString, relativePath);
        QFETCH(QString, name);
        QCOMPARE(History::fileName(serial, relativePath), name);
    }

    void historyNameTooLongIsShortenedButDistinct()
    {
        const QString deep = QStringLiteral("/") + QString(40, u'a') + QStringLiteral("/") + QString(120, u'b') + u'/';
        const QString name1 = History::fileName(77, deep + QString(120, u'c') + u'/');
        const QString name2 = History::fileName(77, deep + QString(120, u'd') + u'/');
        QVERIFY(QFile::encodeName(name1).size() <= 255);
        QVERIFY(name1 != name2);
        QVERIFY(name1.startsWith(QStringLiteral("77-aaaa")) && name1.endsWith(QStringLiteral(".txt")));
        // The search of such a folder keeps its history instead of failing.
        const QString folder = m_card + deep.mid(1) + QString(120, u'c') + u'/';
        QVERIFY(makeFile(folder + QStringLiteral("p.jpg")));
        const QString saved = m_card;
        m_card = folder;
        TFiltrePhoto filter(m_settings);
        QCOMPARE(search(filter).size(), 1);
        QCOMPARE(histories().size(), 1);
        m_card = saved;
    }

    void historyOfFatCardImage()
    {
        const QString mkfs = TestSupport::findMkfsVfat();
        if (mkfs.isEmpty())
            QSKIP("mkfs.vfat (dosfstools) is needed to make the card image");
        const QString image = m_dir->filePath(QStringLiteral("card.img"));
        QCOMPARE(QProcess::execute(mkfs, {QStringLiteral("-i"), QStringLiteral("1234ABCD"), QStringLiteral("-C"), image,
                                          QStringLiteral("2048")}),
                 0);
        const std::optional<BlockIdentity> identity = VolumeIdentity::probeDevice(image);
        QVERIFY(identity);
        QCOMPARE(identity->uuid, QStringLiteral("1234-ABCD"));

        // The card's contents stand in a folder that the mount table says holds the image.
        const QString mountPoint = m_dir->filePath(QStringLiteral("MA CARTE"));
        QVERIFY(makeFile(mountPoint + QStringLiteral("/DCIM/100 CANON/IMG_0001.JPG"), at(QStringLiteral("2004-02-14 10:30:12"))));
        QVERIFY(makeFile(mountPoint + QStringLiteral("/DCIM/100 CANON/IMG_0002.JPG"), at(QStringLiteral("2004-02-14 10:30:14"))));
        const VolumeLocator volumes(TestSupport::mountTable(mountPoint, image));

        m_card = mountPoint + QStringLiteral("/DCIM/100 CANON/");
        TFiltrePhoto filter(m_settings);
        search(filter, nullptr, true, volumes);
        m_card = mountPoint + u'/';
        search(filter, nullptr, true, volumes);
        QCOMPARE(histories(), (QStringList{"305441741-.txt", "305441741-DCIM100CANON.txt"}));
        const QString history = m_settings + QStringLiteral("Histo/305441741-DCIM100CANON.txt");
        QCOMPARE(readFile(history), (QStringLiteral("20040214103012%1/DCIM/100 CANON/IMG_0001.JPG\r\n"
                                                     "20040214103014%1/DCIM/100 CANON/IMG_0002.JPG\r\n")
                                          .arg(mountPoint)
                                          .toUtf8()));
    }

    void uuidFromTheDiskLinks()
    {
        // Any block device of this machine stands for the card; its link names the UUID.
        QString device;
        struct stat info {};
        for (const QString &name : QDir(QStringLiteral("/dev")).entryList(QDir::System | QDir::Files)) {
            const QString path = QStringLiteral("/dev/") + name;
            if (stat(QFile::encodeName(path).constData(), &info) == 0 && S_ISBLK(info.st_mode) && major(info.st_rdev) != 0) {
                device = path;
                break;
            }
        }
        if (device.isEmpty())
            QSKIP("no block device to link to");
        const QString links = m_dir->filePath(QStringLiteral("by-uuid"));
        QVERIFY(QDir().mkpath(links));
        QVERIFY(QFile::link(device, links + QStringLiteral("/4A3B-0C2D")));
        const QString mountPoint = m_dir->filePath(QStringLiteral("CARTE"));
        QVERIFY(QDir().mkpath(mountPoint + QStringLiteral("/DCIM")));
        // A FUSE mount shows an anonymous device number; its source names the device.
        const QByteArray fuseTable = QStringLiteral("26 1 254:0 / / rw - ext4 /dev/vda rw\n"
                                                    "40 26 0:77 / %1 rw - fuseblk %2 rw\n")
                                         .arg(mountPoint, device)
                                         .toUtf8();
        QCOMPARE(VolumeLocator(fuseTable, links).locate(mountPoint)->serial, 0x4A3B0C2Du);
        const QByteArray table = QStringLiteral("26 1 254:0 / / rw - ext4 /dev/vda rw\n"
                                                "40 26 %1:%2 / %3 rw - vfat /dev/absent rw\n")
                                     .arg(major(info.st_rdev))
                                     .arg(minor(info.st_rdev))
                                     .arg(mountPoint)
                                     .toUtf8();
        const std::optional<VolumeLocation> location = VolumeLocator(table, links).locate(mountPoint + QStringLiteral("/DCIM/"));
        QVERIFY(location);
        QCOMPARE(location->serial, 0x4A3B0C2Du);
        QCOMPARE(location->relativePath, QStringLiteral("/DCIM/"));
        // Without the link, nothing names the device: the folder's own file system id is used.
        QVERIFY(QFile::remove(links + QStringLiteral("/4A3B-0C2D")));
        const std::optional<VolumeLocation> other = VolumeLocator(table, links).locate(mountPoint + QStringLiteral("/DCIM/"));
        QVERIFY(!other || other->serial != 0x4A3B0C2Du);
    }

    void historyOnLocalDisk()
    {
        QFile mountInfo(QStringLiteral("/proc/self/mountinfo"));
        QVERIFY(mountInfo.open(QIODevice::ReadOnly));
        const QString canonical = QFileInfo(m_card).canonicalFilePath();
        const std::optional<MountEntry> mount = VolumeIdentity::mountOf(VolumeIdentity::parseMountInfo(mountInfo.readAll()), canonical);
        QVERIFY(mount);
        struct statvfs info {};
        QCOMPARE(statvfs(QFile::encodeName(canonical).constData(), &info), 0);
        const quint32 fsid = quint32(info.f_fsid & 0xFFFFFFFFu) ^ quint32((unsigned long long)info.f_fsid >> 32);
        if (fsid == 0)
            QSKIP("this file system gives neither a UUID nor a file-system id");

        TFiltrePhoto filter(m_settings);
        search(filter); // an empty card still writes its (empty) history
        const QStringList names = histories();
        QCOMPARE(names.size(), 1);
        QString expectedRest = mount->mountPoint == QLatin1String("/") ? canonical : canonical.mid(mount->mountPoint.size());
        expectedRest.remove(u'/').remove(u' ');
        QVERIFY2(names.front().endsWith(u'-' + expectedRest + QStringLiteral(".txt")), qPrintable(names.front()));
        bool numeric = false;
        const quint32 serial = names.front().section(u'-', 0, 0).toUInt(&numeric);
        QVERIFY(numeric);
        // Where neither udev nor libblkid names the disk, the file-system id is the serial.
        if (!QFileInfo::exists(QStringLiteral("/dev/disk/by-uuid")) && !VolumeIdentity::probeDevice(mount->source))
            QCOMPARE(serial, fsid);
        QCOMPARE(readFile(m_settings + QStringLiteral("Histo/") + names.front()), QByteArray());
    }

    void noVolumeMeansNoHistoryAndEveryPhotoIsNew()
    {
        QVERIFY(makeFile(m_card + QStringLiteral("a.jpg")));
        const VolumeLocator noMounts(QByteArray("nothing here\n"));
        writeSettings(QString());
        QFile filterFile(m_settings + QStringLiteral("Filtre.ini"));
        QVERIFY(filterFile.open(QIODevice::WriteOnly));
        filterFile.write("[Filtre]\r\nNouvellePhoto=1\r\n");
        filterFile.close();
        TFiltrePhoto filter(m_settings);
        QVERIFY(filter.NouvellePhoto);
        QCOMPARE(search(filter, nullptr, true, noMounts).size(), 1);
        QCOMPARE(search(filter, nullptr, true, noMounts).size(), 1);
        QVERIFY(histories().isEmpty());
    }

    void newPhotosOnly()
    {
        QVERIFY(makeFile(m_card + QStringLiteral("DCIM/a.jpg"), at(QStringLiteral("2004-02-14 10:00:00"))));
        QVERIFY(makeFile(m_card + QStringLiteral("DCIM/b.jpg"), at(QStringLiteral("2004-02-14 11:00:00"))));
        TFiltrePhoto filter(m_settings);
        filter.NouvellePhoto = true;
        QCOMPARE(search(filter).size(), 2);
        QCOMPARE(search(filter), QStringList()); // no transfer in between: nothing new
        QVERIFY(makeFile(m_card + QStringLiteral("DCIM/c.jpg"), at(QStringLiteral("2004-02-14 09:00:00"))));
        QVERIFY(makeFile(m_card + QStringLiteral("DCIM/b.jpg"), at(QStringLiteral("2004-02-14 12:00:00")))); // changed time
        QCOMPARE(relative(search(filter)), (QStringList{"DCIM/c.jpg", "DCIM/b.jpg"}));
        // The history holds every photo found, before the filter.
        filter.NouvellePhoto = false;
        QCOMPARE(search(filter).size(), 3);
        // A history written in another letter case still counts.
        QVERIFY(!histories().isEmpty());
        const QString history = m_settings + QStringLiteral("Histo/") + histories().front();
        QString text;
        QVERIFY(TextFile::read(history, text));
        QVERIFY(TestSupport::writeFile(history, text.toUpper().toUtf8()));
        filter.NouvellePhoto = true;
        QCOMPARE(search(filter), QStringList());
    }

    void historyThatCannotBeWrittenEndsTheSearch()
    {
        QVERIFY(makeFile(m_card + QStringLiteral("a.jpg")));
        TFiltrePhoto filter(m_settings);
        search(filter);
        QVERIFY(!histories().isEmpty());
        const QString history = m_settings + QStringLiteral("Histo/") + histories().front();
        QVERIFY(QFile::remove(history));
        QVERIFY(QDir().mkpath(history)); // a folder where the file should be
        RecordingUserInterface ui;
        QStringList photos, extras;
        QVERIFY_THROWS_EXCEPTION(LumaroError,
                                 RechercherPhotos(m_card, true, filter, extras, photos, settings(), ui, VolumeLocator()));
        QVERIFY(!ui.anyWaitOpen());
    }

    void lineBreakInNameIsFoundButKeptOutOfHistory()
    {
        QVERIFY(makeFile(m_card + QStringLiteral("a.jpg"), at(QStringLiteral("2004-02-14 10:00:00"))));
        QVERIFY(makeFile(m_card + QStringLiteral("b\nc.jpg"), at(QStringLiteral("2004-02-14 11:00:00"))));
        QVERIFY(makeFile(m_card + QStringLiteral("d.jpg"), at(QStringLiteral("2004-02-14 12:00:00"))));
        TFiltrePhoto filter(m_settings);
        filter.NouvellePhoto = true;
        QCOMPARE(relative(search(filter)), (QStringList{"a.jpg", "b\nc.jpg", "d.jpg"}));
        QVERIFY(!histories().isEmpty());
        const QByteArray history = readFile(m_settings + QStringLiteral("Histo/") + histories().front());
        const QString card = m_card;
        QCOMPARE(history, (QStringLiteral("20040214100000%1a.jpg\r\n20040214120000%1d.jpg\r\n").arg(card).toUtf8()));
        QCOMPARE(relative(search(filter)), QStringList{"b\nc.jpg"});
    }

    void nameFilter_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("type");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("year of the file date, any name") << "2004" << 0 << QStringList{"x/IMG_1.JPG", "Vacances/IMG_2.JPG"};
        QTest::newRow("folder name, other case") << "vacances" << 0 << QStringList{"Vacances/IMG_2.JPG"};
        QTest::newRow("drop the matches") << "vacances" << 1 << QStringList{"x/IMG_1.JPG", "y/img_3.jpg"};
        QTest::newRow("other drop value") << "vacances" << -1 << QStringList{"x/IMG_1.JPG", "y/img_3.jpg"};
        QTest::newRow("date and time digits") << "200502" << 0 << QStringList{"y/img_3.jpg"};
    }
    void nameFilter()
    {
        QFETCH(QString, text);
        QFETCH(int, type);
        QFETCH(QStringList, expected);
        QVERIFY(makeFile(m_card + QStringLiteral("x/IMG_1.JPG"), at(QStringLiteral("2004-02-14 10:00:00"))));
        QVERIFY(makeFile(m_card + QStringLiteral("Vacances/IMG_2.JPG"), at(QStringLiteral("2004-12-31 10:00:00"))));
        QVERIFY(makeFile(m_card + QStringLiteral("y/img_3.jpg"), at(QStringLiteral("2005-02-01 10:00:00"))));
        TFiltrePhoto filter(m_settings);
        filter.FiltreNom = text;
        filter.TypeFiltreNom = type;
        QCOMPARE(relative(search(filter)), expected);
    }

    void dateFilter_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("that day") << 0 << QStringList{"b.jpg", "c.jpg"};
        QTest::newRow("later days") << 1 << QStringList{"d.jpg"};
    }
    void dateFilter()
    {
        QFETCH(int, type);
        QFETCH(QStringList, expected);
        QVERIFY(makeFile(m_card + QStringLiteral("a.jpg"), at(QStringLiteral("2004-02-13 23:59:59"))));
        QVERIFY(makeFile(m_card + QStringLiteral("b.jpg"), at(QStringLiteral("2004-02-14 00:00:00"))));
        QVERIFY(makeFile(m_card + QStringLiteral("c.jpg"), at(QStringLiteral("2004-02-14 23:59:58"))));
        QVERIFY(makeFile(m_card + QStringLiteral("d.jpg"), at(QStringLiteral("2004-02-15 00:00:00"))));
        TFiltrePhoto filter(m_settings);
        filter.FiltreDate = 38031.0; // 14 February 2004
        filter.TypeFiltreDate = type;
        QCOMPARE(relative(search(filter)), expected);
    }

    void extraFilesAreCopiedUnderTheirExtension()
    {
        writeSettings(QStringLiteral("ExtensionSupp=AVI;TXT"));
        const QDateTime time = at(QStringLiteral("2004-02-14 10:30:12"));
        QVERIFY(makeFile(m_card + QStringLiteral("100/clip.avi"), time, "first"));
        QVERIFY(makeFile(m_card + QStringLiteral("101/clip.avi"), time, "second"));
        QVERIFY(makeFile(m_card + QStringLiteral("101/MVI_0001.AVI"), time, "third"));
        QVERIFY(makeFile(m_card + QStringLiteral("101/notes.txt"), time, "fourth"));
        const QString destination = m_dir->filePath(QStringLiteral("dest/"));
        QVERIFY(makeFile(destination + QStringLiteral("txt/notes.txt"), time, "already there"));
        QVERIFY(makeFile(destination + QStringLiteral("txt/notes.txt - 1"), time, "already there too"));
        TFiltrePhoto filter(m_settings);
        QStringList extras;
        search(filter, &extras);
        QCOMPARE(relative(extras), (QStringList{"100/clip.avi", "101/clip.avi", "101/MVI_0001.AVI", "101/notes.txt"}));

        RecordingUserInterface ui;
        EnregistrerExtensionsSupp(destination, extras, ui);
        QCOMPARE(ui.waits.size(), size_t(1));
        QCOMPARE(ui.waits.front().text, QStringLiteral("Veuillez patienter, enregistrement des extensions supplémenaires..."));
        QVERIFY(!ui.anyWaitOpen());
        QCOMPARE(readFile(destination + QStringLiteral("avi/clip.avi")), QByteArray("first"));
        QCOMPARE(readFile(destination + QStringLiteral("avi/clip.avi - 1")), QByteArray("second"));
        QCOMPARE(readFile(destination + QStringLiteral("AVI/MVI_0001.AVI")), QByteArray("third"));
        QCOMPARE(readFile(destination + QStringLiteral("txt/notes.txt")), QByteArray("already there"));
        QCOMPARE(readFile(destination + QStringLiteral("txt/notes.txt - 2")), QByteArray("fourth"));
        QCOMPARE(QFileInfo(destination + QStringLiteral("avi/clip.avi - 1")).lastModified(), time);
        // A copy that cannot be made is passed over; the others still are.
        QVERIFY(makeFile(m_dir->filePath(QStringLiteral("dest2/avi")), time, "a file where the folder should be"));
        QVERIFY(makeFile(m_card + QStringLiteral("101/z.txt"), time, "fifth"));
        EnregistrerExtensionsSupp(m_dir->filePath(QStringLiteral("dest2")),
                                  {m_card + QStringLiteral("100/clip.avi"), m_card + QStringLiteral("101/z.txt")}, ui);
        QCOMPARE(readFile(m_dir->filePath(QStringLiteral("dest2/txt/z.txt"))), QByteArray("fifth"));
    }

    void cliSearch()
    {
        writeSettings(QStringLiteral("ExtensionSupp=AVI"));
        QFile filterFile(m_settings + QStringLiteral("Filtre.ini"));
        QVERIFY(filterFile.open(QIODevice::WriteOnly));
        filterFile.write("[Filtre]\r\nFiltreNom=dcim\r\n");
        filterFile.close();
        QVERIFY(makeFile(m_card + QStringLiteral("DCIM/b.jpg"), at(QStringLiteral("2004-02-14 10:00:00"))));
        QVERIFY(makeFile(m_card + QStringLiteral("DCIM/a.JPG"), at(QStringLiteral("2004-02-14 11:00:00"))));
        QVERIFY(makeFile(m_card + QStringLiteral("autre.jpg"), at(QStringLiteral("2004-02-14 09:00:00"))));
        QVERIFY(makeFile(m_card + QStringLiteral("DCIM/clip.avi")));
        QString out, err;
        QCOMPARE(TestSupport::runCli({QStringLiteral("search"), QStringLiteral("--settings-dir"), m_settings, m_card}, &out, &err), 0);
        QCOMPARE(out, QStringLiteral("%1DCIM/b.jpg\n%1DCIM/a.JPG\n--\n%1DCIM/clip.avi\n").arg(m_card));
        QCOMPARE(histories().size(), 1);
        QCOMPARE(TextFile::splitLines(QString::fromUtf8(readFile(m_settings + QStringLiteral("Histo/") + histories().front()))).size(), 3);

        QCOMPARE(TestSupport::runCli({QStringLiteral("search"), QStringLiteral("--no-subfolders"), QStringLiteral("--settings-dir"),
                                      m_settings, m_card},
                                     &out, &err),
                 0);
        QCOMPARE(out, QStringLiteral("--\n"));
        QCOMPARE(TestSupport::runCli({QStringLiteral("search"), QStringLiteral("--settings-dir"), m_settings,
                                      m_card + QStringLiteral("absent")},
                                     &out, &err),
                 1);
        QVERIFY(err.contains(QStringLiteral("n'existe pas")));
    }
};

QTEST_GUILESS_MAIN(TestRechercherPhotos)
#include "tst_recherchephotos.moc"
