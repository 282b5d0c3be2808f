// Cards as they come from elsewhere: file names that are not UTF-8 go from the search to the
// transfer, the extra files and the history with their bytes intact, and a card mounted on
// another folder keeps its history.
#include "core/files/filename.h"
#include "core/discovery/filtrephoto.h"
#include "core/discovery/history.h"
#include "core/exif/informationexif.h"
#include "core/naming/namemask.h"
#include "core/settings/paramappli.h"
#include "core/operations/photooperations.h"
#include "core/operations/shottransfer.h"
#include "core/discovery/recherchephotos.h"
#include "core/files/textfile.h"
#include "core/files/volumeidentity.h"
#include "tests/testsupport.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <filesystem>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using TestSupport::readFile;
using TestSupport::writeFile;

// Files named by their raw bytes, which QFile cannot spell when they are not UTF-8.
[[nodiscard]] bool writeRaw(const QByteArray &path, const QByteArray &bytes, time_t time)
{
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0)
        return false;
    const struct timespec times[2] = {{time, 0}, {time, 0}};
    const bool written = ::write(fd, bytes.constData(), size_t(bytes.size())) == bytes.size()
                         && ::futimens(fd, times) == 0;
    return ::close(fd) == 0 && written;
}

QByteArray readRaw(const QByteArray &path)
{
    QByteArray bytes;
    const int fd = ::open(path.constData(), O_RDONLY);
    if (fd < 0)
        return bytes;
    char buffer[4096];
    for (ssize_t n; (n = ::read(fd, buffer, sizeof buffer)) > 0;)
        bytes.append(buffer, n);
    ::close(fd);
    return bytes;
}

QDateTime at(const QString &text)
{
    return QDateTime::fromString(text, QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

[[nodiscard]] bool makeFile(const QString &path, const QDateTime &time)
{
    if (!writeFile(path, "photo"))
        return false;
    QFile file(path);
    return file.open(QIODevice::ReadWrite) && file.setFileTime(time, QFileDevice::FileModificationTime);
}

} // namespace

class TestCards : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { TestSupport::isolateEnvironment(); }

    void namesThatAreNotUtf8()
    {
        QTemporaryDir dir;
        // QTemporaryDir cannot spell the names it would have to remove.
        const struct Cleanup {
            std::string path;
            ~Cleanup() { std::filesystem::remove_all(path); }
        } cleanup{QFile::encodeName(dir.path()).toStdString()};
        const QByteArray card = QFile::encodeName(dir.filePath(QStringLiteral("card/")));
        QVERIFY(QDir().mkpath(dir.filePath(QStringLiteral("card"))));
        QVERIFY(writeRaw(card + "c\xFF.jpg", "first photo", 1076751000));
        QVERIFY(writeRaw(card + "c\xFE.jpg", "second photo", 1076751100));
        QVERIFY(writeRaw(card + "film\xE9.avi", "a film", 1076751200));
        const QString settingsFolder = dir.filePath(QStringLiteral("settings/"));
        QVERIFY(writeFile(settingsFolder + QStringLiteral("Lumaro.ini"),
                          "[General]\r\nMasqueNomPhoto=#ORIG\r\nExtensionSupp=AVI\r\n"));
        const TParamAppli settings(settingsFolder + QStringLiteral("Lumaro.ini"));
        TFiltrePhoto filter(settingsFolder);
        filter.NouvellePhoto = true;
        RecordingUserInterface ui;

        QStringList photos, extras;
        RechercherPhotos(FileName::decode(card), true, filter, extras, photos, settings, ui);
        QCOMPARE(photos.size(), 2);
        QCOMPARE(FileName::encode(photos.at(0)), card + "c\xFF.jpg");
        QCOMPARE(FileName::encode(photos.at(1)), card + "c\xFE.jpg");
        QCOMPARE(extras.size(), 1);

        // Two photos, two destinations, each with the bytes of its source name.
        const QString root = dir.filePath(QStringLiteral("photos/"));
        TListeInformationExif exif;
        for (const QString &photo : std::as_const(photos)) {
            LireInformationsExif(exif, photo, true);
            const QString destination = CalculerNomPhoto(settings, QString(), photo, root, DatePhoto(exif, photo), false, 1);
            QVERIFY(TransfererPhoto(settings, ui, photo, root, destination, 0, exif, true, false));
        }
        QVERIFY2(ui.information.isEmpty(), qPrintable(ui.information.join(u'\n')));
        const QByteArray out = QFile::encodeName(root);
        QCOMPARE(readRaw(out + "c\xFF.JPG"), QByteArray("first photo"));
        QCOMPARE(readRaw(out + "c\xFE.JPG"), QByteArray("second photo"));
        QVERIFY(readRaw(out + "c\xFF.txt").startsWith("Date taken=2004:02:14 10:30:00\r\n"));
        EnregistrerExtensionsSupp(root, extras, ui);
        QCOMPARE(readRaw(out + "avi/film\xE9.avi"), QByteArray("a film"));

        // The history names the files that exist, so that the next search knows them.
        const QStringList history = TextFile::splitLines(QString::fromUtf8(
            readFile(settingsFolder + QStringLiteral("Histo/") + QDir(settingsFolder + QStringLiteral("Histo")).entryList(QDir::Files).value(0))));
        QCOMPARE(history.size(), 2);
        for (const QString &line : history)
            QVERIFY(::access(FileName::encode(line.mid(14)).constData(), F_OK) == 0);
        photos.clear();
        extras.clear();
        RechercherPhotos(FileName::decode(card), true, filter, extras, photos, settings, ui);
        QCOMPARE(photos, QStringList());
    }

    void historyFollowsTheCardToAnotherMountPoint_data()
    {
        QTest::addColumn<QString>("searched"); // below the mount point
        QTest::newRow("the card's root") << QString();
        QTest::newRow("a folder of the card") << QStringLiteral("DCIM/");
    }
    void historyFollowsTheCardToAnotherMountPoint()
    {
        QFETCH(QString, searched);
        QTemporaryDir dir;
        const QString image = dir.filePath(QStringLiteral("card.img"));
        if (!TestSupport::makeCardImage(image))
            QSKIP("mkfs.vfat (dosfstools) is needed to make the card image");
        const QString settingsFolder = dir.filePath(QStringLiteral("settings/"));
        const TParamAppli settings(settingsFolder + QStringLiteral("Lumaro.ini"));
        TFiltrePhoto filter(settingsFolder);
        filter.NouvellePhoto = true;
        RecordingUserInterface ui;
        const auto search = [&](const QString &mountPoint) {
            QStringList photos, extras;
            RechercherPhotos(mountPoint + u'/' + searched, true, filter, extras, photos, settings, ui,
                             VolumeLocator(TestSupport::mountTable(mountPoint, image)));
            for (QString &photo : photos)
                photo.remove(0, mountPoint.size() + 1);
            return photos;
        };

        const QString first = dir.filePath(QStringLiteral("media/me/CARTE"));
        QVERIFY(makeFile(first + QStringLiteral("/DCIM/100CANON/IMG_0001.JPG"), at(QStringLiteral("2004-02-14 10:30:12"))));
        QVERIFY(makeFile(first + QStringLiteral("/DCIM/100CANON/IMG_0002.JPG"), at(QStringLiteral("2004-02-14 10:30:14"))));
        QCOMPARE(search(first).size(), 2);

        // The card comes back on another folder with one photo more: only that one is new.
        const QString second = dir.filePath(QStringLiteral("run/mnt/autre carte"));
        QVERIFY(QDir().mkpath(dir.filePath(QStringLiteral("run/mnt"))));
        QVERIFY(QDir().rename(first, second));
        QVERIFY(makeFile(second + QStringLiteral("/DCIM/100CANON/IMG_0003.JPG"), at(QStringLiteral("2004-02-14 10:30:16"))));
        QCOMPARE(search(second), QStringList{QStringLiteral("DCIM/100CANON/IMG_0003.JPG")});

        // The lines keep their form, full paths under the present mount point, and the history
        // still works once back on the first folder.
        const QString name = searched.isEmpty() ? QStringLiteral("305441741-.txt") : QStringLiteral("305441741-DCIM.txt");
        QCOMPARE(readFile(settingsFolder + QStringLiteral("Histo/") + name),
                 QStringLiteral("20040214103012%1/DCIM/100CANON/IMG_0001.JPG\r\n"
                                "20040214103014%1/DCIM/100CANON/IMG_0002.JPG\r\n"
                                "20040214103016%1/DCIM/100CANON/IMG_0003.JPG\r\n")
                     .arg(second)
                     .toUtf8());
        QVERIFY(QDir().rename(second, first));
        QCOMPARE(search(first), QStringList());
    }

    // A card served by a FUSE program is known by its mount entry alone: the live mount table
    // names the program, not the image, and the file system's id is zero, so it keeps no history
    // and every photo stays new. Once a table names the image as the source, libblkid reads the
    // card's serial there, and the history follows the card to another mount point.
    void fuseCardIsKnownByItsMountEntryOnly()
    {
        QTemporaryDir dir;
        const QString image = dir.filePath(QStringLiteral("card.img"));
        if (!TestSupport::makeCardImage(image))
            QSKIP("mkfs.vfat (dosfstools) is needed to make the card image");
        const QString settingsFolder = dir.filePath(QStringLiteral("settings/"));
        const TParamAppli settings(settingsFolder + QStringLiteral("Lumaro.ini"));
        TFiltrePhoto filter(settingsFolder);
        filter.NouvellePhoto = true;
        RecordingUserInterface ui;
        const auto search = [&](const QString &mountPoint, const VolumeLocator &volumes) {
            QStringList photos, extras;
            RechercherPhotos(mountPoint + u'/', true, filter, extras, photos, settings, ui, volumes);
            for (QString &photo : photos)
                photo.remove(0, mountPoint.size() + 1);
            return photos;
        };
        const auto histories = [&] { return QDir(settingsFolder + QStringLiteral("Histo")).entryList(QDir::Files); };
        const QStringList both{QStringLiteral("DCIM/IMG_0001.JPG"), QStringLiteral("DCIM/IMG_0002.JPG")};

        const QString first = dir.filePath(QStringLiteral("media/me/CARTE"));
        {
            const TestSupport::FatVolume card(image, first);
            if (!card.mounted())
                QSKIP("fusefat is needed to serve the card image");
            QVERIFY(writeFile(first + QStringLiteral("/DCIM/IMG_0001.JPG"), "first photo"));
            QVERIFY(writeFile(first + QStringLiteral("/DCIM/IMG_0002.JPG"), "second photo"));

            QVERIFY(!VolumeLocator().locate(first));
            QCOMPARE(search(first, VolumeLocator()), both);
            QCOMPARE(search(first, VolumeLocator()), both);
            QCOMPARE(histories(), QStringList());

            const std::optional<VolumeLocation> location =
                VolumeLocator(TestSupport::mountTable(first, image)).locate(first + QStringLiteral("/DCIM"));
            QVERIFY(location);
            QCOMPARE(location->serial, 0x1234ABCDu);
            QCOMPARE(location->relativePath, QStringLiteral("/DCIM/"));
            QCOMPARE(search(first, VolumeLocator(TestSupport::mountTable(first, image))), both);
            QCOMPARE(histories(), QStringList{QStringLiteral("305441741-.txt")});
        }

        // The same image on another folder, one photo more: only that one is new.
        const QString second = dir.filePath(QStringLiteral("run/autre carte"));
        const TestSupport::FatVolume again(image, second);
        QVERIFY(again.mounted());
        QCOMPARE(QDir(second + QStringLiteral("/DCIM")).entryList(QDir::Files), (QStringList{"IMG_0001.JPG", "IMG_0002.JPG"}));
        QVERIFY(writeFile(second + QStringLiteral("/DCIM/IMG_0003.JPG"), "third photo"));
        QCOMPARE(search(second, VolumeLocator(TestSupport::mountTable(second, image))),
                 QStringList{QStringLiteral("DCIM/IMG_0003.JPG")});
        QCOMPARE(histories(), QStringList{QStringLiteral("305441741-.txt")});
    }

    // The former mount point is the one that makes most lines match: a photo of another folder
    // with the same name and time does not pass for a known one.
    void formerMountPointIsRecognised()
    {
        const QString key = QStringLiteral("20040214103012");
        const QStringList previous = {key + QStringLiteral("/media/me/CARTE/DCIM/A/IMG_1.JPG"),
                                      key + QStringLiteral("/media/me/CARTE/DCIM/B/IMG_2.JPG"),
                                      key + QStringLiteral("/media/me/CARTE/X/A/IMG_1.JPG")};
        QStringList entries = {key + QStringLiteral("/mnt/c/DCIM/A/IMG_1.JPG"), key + QStringLiteral("/mnt/c/DCIM/B/IMG_2.JPG"),
                               key + QStringLiteral("/mnt/c/A/IMG_1.JPG"), key + QStringLiteral("/mnt/c/X/A/img_1.jpg"),
                               QStringLiteral("20040214103014/mnt/c/DCIM/A/IMG_1.JPG")};
        History::removeKnownPhotos(entries, previous, QStringLiteral("/mnt/c/"), QStringLiteral("/"));
        QCOMPARE(entries, (QStringList{key + QStringLiteral("/mnt/c/A/IMG_1.JPG"),
                                       QStringLiteral("20040214103014/mnt/c/DCIM/A/IMG_1.JPG")}));
    }
};

QTEST_GUILESS_MAIN(TestCards)
#include "tst_cards.moc"
