// The operations a transfer applies to one photo: what they write, what they say when a step
// fails, and above all that a failure never costs the user a photo.
#include "tools/democard.h"
#include "core/error.h"
#include "core/exif/exifreader.h"
#include "core/files/filesystem.h"
#include "core/exif/informationexif.h"
#include "core/settings/paramappli.h"
#include "core/operations/photooperations.h"
#include "core/operations/shottransfer.h"
#include "core/operations/lowqualitycopy.h"
#include "tests/testsupport.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QTemporaryDir>
#include <QtTest>

#include <turbojpeg.h>

#include <map>

#include <sys/stat.h>

namespace {

using TestSupport::FileSizeLimit;
using TestSupport::modificationSeconds;
using TestSupport::readFile;
using TestSupport::writeFile;

QSize pictureSize(const QString &path)
{
    return QImageReader(path).size();
}

QString entryValue(const QString &path, const QString &name)
{
    for (const ExifReader::Entry &entry : ExifReader::readEntries(path))
        if (entry.name == name && entry.flag == ExifReader::IfdImage)
            return entry.value;
    for (const ExifReader::Entry &entry : ExifReader::readEntries(path))
        if (entry.name == name)
            return entry.value;
    return QString();
}

const QString TransferError = QStringLiteral("Erreur pendant le transfert de la photo : \n");

// The quantisation tables of a JPEG by their number (what its DQT segments hold), read up to
// the first scan.
std::map<int, QByteArray> quantisationTables(const QByteArray &jpeg)
{
    std::map<int, QByteArray> tables;
    const auto byte = [&jpeg](qsizetype at) { return at < jpeg.size() ? quint8(jpeg[at]) : 0; };
    for (qsizetype at = 2; at + 4 <= jpeg.size() && byte(at) == 0xFF && byte(at + 1) != 0xDA;) {
        const qsizetype length = byte(at + 2) << 8 | byte(at + 3);
        if (byte(at + 1) == 0xDB) {
            for (qsizetype table = at + 4; table < at + 2 + length;) {
                const int precision = byte(table) >> 4, number = byte(table) & 0x0F;
                const qsizetype size = precision ? 128 : 64;
                tables[number] = jpeg.mid(table + 1, size);
                table += 1 + size;
            }
        }
        at += 2 + length;
    }
    return tables;
}

// A small colour picture compressed by libjpeg-turbo itself at that quality.
QByteArray referenceJpeg(int quality)
{
    const tjhandle handle = tjInitCompress();
    QByteArray pixels(32 * 32 * 3, Qt::Uninitialized);
    for (qsizetype i = 0; i < pixels.size(); ++i)
        pixels[i] = char(i * 7);
    unsigned char *jpeg = nullptr;
    unsigned long size = 0;
    QByteArray bytes;
    if (tjCompress2(handle, reinterpret_cast<const unsigned char *>(pixels.constData()), 32, 0, 32, TJPF_RGB, &jpeg,
                    &size, TJSAMP_420, quality, 0)
        == 0)
        bytes = QByteArray(reinterpret_cast<const char *>(jpeg), qsizetype(size));
    tjFree(jpeg);
    tjDestroy(handle);
    return bytes;
}

} // namespace

class TestPhotoOperations : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    DemoCard::Contents m_card;

    // A settings store on a file that does not exist: every setting at its default.
    TParamAppli defaults() const { return TParamAppli(m_dir.filePath(QStringLiteral("settings/Lumaro.ini"))); }

    QString photo(int k) const { return m_card.photos.at(k - 1); }

    // A plain JPEG of the given size, without EXIF.
    QString jpegOfSize(QSize size, const QString &name)
    {
        QImage image(size, QImage::Format_RGB888);
        image.fill(QColor(40, 120, 200));
        const QString path = m_dir.filePath(name);
        image.save(path, "JPEG", 90);
        return path;
    }

private slots:
    void initTestCase()
    {
        TestSupport::isolateEnvironment();
        DemoCard::Options options;
        options.count = 6;
        // Sides that are whole 16-pixel blocks, so that lossless turns trim nothing.
        options.size = QSize(400, 304);
        m_card = DemoCard::write(m_dir.filePath(QStringLiteral("card")), options);
    }

    void lowQualitySizeTable_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<QSize>("picture");
        QTest::addColumn<QSize>("expected");
        QTest::newRow("3000x2000, 1") << 1 << QSize(3000, 2000) << QSize(640, 480);
        QTest::newRow("2000x3000, 1") << 1 << QSize(2000, 3000) << QSize(480, 640);
        QTest::newRow("square is portrait") << 1 << QSize(1000, 1000) << QSize(480, 640);
        QTest::newRow("0") << 0 << QSize(4000, 3000) << QSize(320, 240);
        QTest::newRow("2") << 2 << QSize(4000, 3000) << QSize(720, 576);
        QTest::newRow("3") << 3 << QSize(4000, 3000) << QSize(800, 600);
        QTest::newRow("4 portrait") << 4 << QSize(3000, 4000) << QSize(768, 1024);
        QTest::newRow("5") << 5 << QSize(4000, 3000) << QSize(1280, 1024);
        QTest::newRow("6: no resizing") << 6 << QSize(4000, 3000) << QSize();
        QTest::newRow("-1: no resizing") << -1 << QSize(4000, 3000) << QSize();
    }

    void lowQualitySizeTable()
    {
        QFETCH(int, index);
        QFETCH(QSize, picture);
        QFETCH(QSize, expected);
        QCOMPARE(lowQualitySize(index, picture), expected);
    }

    void qualityIsClamped_data()
    {
        QTest::addColumn<int>("quality");
        QTest::addColumn<int>("expected");
        QTest::newRow("-5") << -5 << 1;
        QTest::newRow("0") << 0 << 1;
        QTest::newRow("40") << 40 << 40;
        QTest::newRow("100") << 100 << 100;
        QTest::newRow("65536 + 40") << 65576 << 100;
    }

    void qualityIsClamped()
    {
        QFETCH(int, quality);
        QFETCH(int, expected);
        QCOMPARE(boundedQuality(quality), expected);
        // And the copy is written with it, not refused.
        TParamAppli settings = defaults();
        settings.Qualite = quality;
        const QString target = m_dir.filePath(QStringLiteral("quality/%1.JPG").arg(quality));
        EnregistrerBasseQualite(settings, photo(1), target, 0);
        QCOMPARE(pictureSize(target), QSize(400, 304));
    }

    // The copy is compressed at the quality the settings give: its quantisation tables are the
    // ones libjpeg-turbo makes for that quality (its size alone would not tell).
    void lowQualityCopyHasTheTablesOfItsQuality_data()
    {
        QTest::addColumn<int>("quality");
        QTest::addColumn<int>("other");
        QTest::newRow("40") << 40 << 85;
        QTest::newRow("85") << 85 << 40;
    }

    void lowQualityCopyHasTheTablesOfItsQuality()
    {
        QFETCH(int, quality);
        QFETCH(int, other);
        const std::map<int, QByteArray> expected = quantisationTables(referenceJpeg(quality));
        QCOMPARE(expected.size(), size_t(2)); // luminance and chrominance
        QVERIFY(expected != quantisationTables(referenceJpeg(other)));
        for (bool resized : {false, true}) {
            TParamAppli settings = defaults();
            settings.Qualite = quality;
            settings.Redimensionner = resized;
            const QString target = m_dir.filePath(QStringLiteral("tables/%1 %2.JPG").arg(quality).arg(resized));
            EnregistrerBasseQualite(settings, photo(1), target, resized ? 90 : 0);
            QVERIFY(quantisationTables(readFile(target)) == expected);
        }
    }

    // A copy that cannot be written takes back the folders it made for itself, and only those.
    void aFailedLowQualityCopyLeavesNoFolderOfItsOwn()
    {
        QTemporaryDir dir;
        QVERIFY(writeFile(dir.filePath(QStringLiteral("kept/other.txt")), "x"));
        QVERIFY(FileSystem::makeFolders(dir.filePath(QStringLiteral("kept/empty"))));
        const QString target = dir.filePath(QStringLiteral("kept/empty/a/b/x Low.JPG"));
        QString message;
        {
            FileSizeLimit limit(1000);
            try {
                EnregistrerBasseQualite(defaults(), photo(1), target, 0);
            } catch (const LumaroError &error) {
                message = error.message();
            }
        }
        QCOMPARE(message, SafeCopy::copyErrorMessage(photo(1), target));
        QVERIFY(FileSystem::isFolder(dir.filePath(QStringLiteral("kept/empty"))));
        QVERIFY(!FileSystem::exists(dir.filePath(QStringLiteral("kept/empty/a"))));

        // A photo that does not decode: the same, up to the destination made for it.
        const QString broken = dir.filePath(QStringLiteral("broken.JPG"));
        QVERIFY(writeFile(broken, "not a photo"));
        QVERIFY_THROWS_EXCEPTION(LumaroError, EnregistrerBasseQualite(defaults(), broken,
                                                                      dir.filePath(QStringLiteral("new/Basse Resolution/x.JPG")), 0));
        QVERIFY(!FileSystem::exists(dir.filePath(QStringLiteral("new"))));
        // What is taken back is what the folder's making reports, the outermost first.
        QStringList created;
        QVERIFY(FileSystem::makeFolders(dir.filePath(QStringLiteral("made/inner")), &created));
        QCOMPARE(created, (QStringList{dir.filePath(QStringLiteral("made")), dir.filePath(QStringLiteral("made/inner"))}));

        // Written, the copy keeps its folders.
        EnregistrerBasseQualite(defaults(), photo(1), dir.filePath(QStringLiteral("ok/Basse Resolution/x.JPG")), 0);
        QVERIFY(FileSystem::isFile(dir.filePath(QStringLiteral("ok/Basse Resolution/x.JPG"))));
    }

    void lowQualityName_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("photo");
        QTest::addColumn<QString>("expected");
        QTest::newRow("defaults") << QString() << QStringLiteral("/p/2004/Noel 005.JPG")
                                  << QStringLiteral("/p/2004/Basse Resolution/Noel 005 Low.JPG");
        QTest::newRow(".jpeg keeps its dot") << QString() << QStringLiteral("/p/IMG_1.jpeg")
                                             << QStringLiteral("/p/Basse Resolution/IMG_1. Low.JPG");
        QTest::newRow("folder with separator") << QStringLiteral("Mail/") << QStringLiteral("/p/a.JPG")
                                               << QStringLiteral("/p/Mail/a Low.JPG");
        QTest::newRow("backslash folder") << QStringLiteral("Mail\\Petit") << QStringLiteral("/p/a.JPG")
                                          << QStringLiteral("/p/Mail/Petit/a Low.JPG");
    }

    void lowQualityName()
    {
        QFETCH(QString, folder);
        QFETCH(QString, photo);
        QFETCH(QString, expected);
        TParamAppli settings = defaults();
        if (!folder.isEmpty())
            settings.Repertoire = folder;
        QCOMPARE(NomBasseQualite(settings, photo), expected);
    }

    void plainTransfer_data()
    {
        QTest::addColumn<bool>("deleteSource");
        QTest::newRow("source stays") << false;
        QTest::newRow("source deleted") << true;
    }

    void plainTransfer()
    {
        QFETCH(bool, deleteSource);
        const QString source = m_dir.filePath(QStringLiteral("plain-src.JPG"));
        QFile::remove(source);
        QVERIFY(QFile::copy(photo(1), source));
        const QByteArray bytes = readFile(source);
        const qint64 time = modificationSeconds(source);
        TParamAppli settings = defaults();
        settings.SupprimerPhoto = deleteSource;
        RecordingUserInterface ui;
        TListeInformationExif exif;
        const QString destination = m_dir.filePath(QStringLiteral("plain/2024/07/Vacances 1.JPG"));
        QVERIFY(TransfererPhoto(settings, ui, source, m_dir.path(), destination, 0, exif, false, false));
        QVERIFY(ui.information.isEmpty());
        QCOMPARE(readFile(destination), bytes);
        QCOMPARE(modificationSeconds(destination), time);
        QCOMPARE(QFile::exists(source), !deleteSource);
        QCOMPARE(QDir(QFileInfo(destination).absolutePath()).entryList(QDir::Files | QDir::Hidden),
                 QStringList{QStringLiteral("Vacances 1.JPG")});
        QFile::remove(destination);
    }

    void failedStepKeepsSource_data()
    {
        QTest::addColumn<QString>("situation");
        QTest::newRow("destination folder is a file") << QStringLiteral("blocked");
        QTest::newRow("copy damaged on the disk") << QStringLiteral("damaged");
        QTest::newRow("low-quality folder is a file") << QStringLiteral("lowq");
        QTest::newRow("low-quality copy is no JPEG") << QStringLiteral("notjpeg");
    }

    void failedStepKeepsSource()
    {
        QFETCH(QString, situation);
        QTemporaryDir dir;
        const QString source = dir.filePath(QStringLiteral("card/IMG_0001.JPG"));
        QVERIFY(writeFile(source, situation == QStringLiteral("notjpeg") ? QByteArray("not a photo") : readFile(photo(1))));
        QString destination = dir.filePath(QStringLiteral("out/Noel 1.JPG"));
        TParamAppli settings = defaults();
        settings.SupprimerPhoto = true;
        SafeCopy::Hooks hooks;
        QString expected;
        bool lowQuality = false;
        if (situation == QStringLiteral("blocked")) {
            QVERIFY(writeFile(dir.filePath(QStringLiteral("out")), "a file where the folder should be"));
            expected = SafeCopy::copyErrorMessage(source, destination);
        } else if (situation == QStringLiteral("damaged")) {
            hooks.afterWrite = [](const QString &temporary) {
                QFile file(temporary);
                if (file.open(QIODevice::ReadWrite)) {
                    file.seek(file.size() / 2);
                    file.write("XXXX");
                }
            };
            expected = SafeCopy::copyErrorMessage(source, destination);
        } else if (situation == QStringLiteral("lowq")) {
            QVERIFY(writeFile(dir.filePath(QStringLiteral("out/Basse Resolution")), "a file where the folder should be"));
            lowQuality = true;
            expected = SafeCopy::copyErrorMessage(source, dir.filePath(QStringLiteral("out/Basse Resolution/Noel 1 Low.JPG")));
        } else {
            lowQuality = true;
            expected = QStringLiteral("Erreur pendant la sauvegarde basse résolution (1). ");
        }
        RecordingUserInterface ui;
        TListeInformationExif exif;
        exif.Ajouter(0, 0, QStringLiteral("Date taken"), QStringLiteral("2004:02:14 10:30:12"));
        QVERIFY(!TransfererPhoto(settings, ui, source, dir.path(), destination, 0, exif, true, lowQuality, hooks));
        QCOMPARE(ui.information.size(), 1);
        QVERIFY2(ui.information.front().startsWith(TransferError + expected), qPrintable(ui.information.front()));
        QVERIFY(ui.errors.isEmpty());
        QVERIFY(QFile::exists(source));
        // Later steps were skipped: no EXIF text file.
        QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("out/Noel 1.txt"))));
        // Nothing undone: a photo copied before the failing step stays.
        const bool copied = situation == QStringLiteral("lowq") || situation == QStringLiteral("notjpeg");
        QCOMPARE(QFile::exists(destination), copied);
        // A photo that does not decode leaves no full-size file under the low-quality name.
        QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("out/Basse Resolution/Noel 1 Low.JPG"))));
    }

    void exifTextFileReplacesOldOne()
    {
        QTemporaryDir dir;
        const QString destination = dir.filePath(QStringLiteral("Noel 1.JPG"));
        QVERIFY(writeFile(dir.filePath(QStringLiteral("Noel 1.txt")), "old text that is longer than the new one\r\n\r\n\r\n"));
        TListeInformationExif exif;
        exif.Ajouter(271, 1, QStringLiteral("Manufacturer"), QStringLiteral("DEMO"));
        exif.Ajouter(36867, 2, QStringLiteral("Date taken"), QStringLiteral("2004:02:14 10:30:12"));
        exif.Ajouter(1, 1, QStringLiteral("Comment"), QStringLiteral(" deux\nlignes é "));
        RecordingUserInterface ui;
        QVERIFY(TransfererPhoto(defaults(), ui, photo(1), dir.path(), destination, 0, exif, true, false));
        QCOMPARE(readFile(dir.filePath(QStringLiteral("Noel 1.txt"))),
                 QByteArray("Manufacturer=DEMO\r\nDate taken=2004:02:14 10:30:12\r\nComment= deux\nlignes \xC3\xA9 \r\n"));
    }

    void lowQualityCopy_data()
    {
        QTest::addColumn<QSize>("source");
        QTest::addColumn<int>("angle");
        QTest::addColumn<int>("index");
        QTest::addColumn<QSize>("expected");
        QTest::newRow("landscape 1") << QSize(600, 400) << 0 << 1 << QSize(640, 480);
        QTest::newRow("portrait 1") << QSize(400, 600) << 0 << 1 << QSize(480, 640);
        QTest::newRow("square gives portrait") << QSize(500, 500) << 0 << 1 << QSize(480, 640);
        QTest::newRow("landscape turned 90 gives portrait") << QSize(400, 300) << 90 << 0 << QSize(240, 320);
        QTest::newRow("turned 180 stays landscape") << QSize(400, 300) << 180 << 0 << QSize(320, 240);
        QTest::newRow("index 6 keeps the size") << QSize(600, 400) << 0 << 6 << QSize(600, 400);
        QTest::newRow("index 6 turned 270") << QSize(600, 400) << 270 << 6 << QSize(400, 600);
    }

    void lowQualityCopy()
    {
        QFETCH(QSize, source);
        QFETCH(int, angle);
        QFETCH(int, index);
        QFETCH(QSize, expected);
        const QString path = jpegOfSize(source, QStringLiteral("sized.jpg"));
        TParamAppli settings = defaults();
        settings.Redimensionner = true;
        settings.IndiceNewDim = index;
        const QString target = m_dir.filePath(QStringLiteral("lowq/sized Low.JPG"));
        EnregistrerBasseQualite(settings, path, target, angle);
        QCOMPARE(pictureSize(target), expected);
    }

    void lowQualityExifAndDate_data()
    {
        QTest::addColumn<bool>("exifHandling");
        QTest::addColumn<bool>("keepExif");
        QTest::addColumn<bool>("keepDate");
        QTest::newRow("EXIF kept, date kept") << true << true << true;
        QTest::newRow("EXIF dropped") << true << false << false;
        QTest::newRow("EXIF management off") << false << true << false;
    }

    void lowQualityExifAndDate()
    {
        QFETCH(bool, exifHandling);
        QFETCH(bool, keepExif);
        QFETCH(bool, keepDate);
        TParamAppli settings = defaults();
        settings.GestionEXIF = exifHandling;
        settings.GarderInfoEXIF = keepExif;
        settings.GarderInfoDateEXIF = keepDate;
        settings.Redimensionner = true;
        settings.IndiceNewDim = 0;
        // Photo 3 is recorded with orientation 6, and its date has odd seconds.
        const QString source = m_card.orientation6.front();
        const QString target = m_dir.filePath(QStringLiteral("lowqexif/turned Low.JPG"));
        EnregistrerBasseQualite(settings, source, target, 90);
        QCOMPARE(pictureSize(target), QSize(240, 320));
        const bool keep = exifHandling && keepExif;
        QCOMPARE(ExifReader::hasExif(target), keep);
        if (keep) {
            QCOMPARE(entryValue(target, QStringLiteral("Orientation")), QStringLiteral("top-left (1)"));
            QCOMPARE(entryValue(target, QStringLiteral("Manufacturer")), entryValue(source, QStringLiteral("Manufacturer")));
            // The copy records its own size, not the source's.
            QCOMPARE(entryValue(target, QStringLiteral("Pixel X Dimension")), QStringLiteral("240"));
            QCOMPARE(entryValue(target, QStringLiteral("Pixel Y Dimension")), QStringLiteral("320"));
        }
        const qint64 sourceTime = modificationSeconds(source);
        if (keepDate)
            QCOMPARE(modificationSeconds(target), sourceTime - sourceTime % 2);
        else
            QVERIFY(modificationSeconds(target) > sourceTime + 86400);
    }

    void rotationResetsOrientation()
    {
        const QString path = m_dir.filePath(QStringLiteral("turn.JPG"));
        QFile::remove(path);
        QVERIFY(QFile::copy(m_card.orientation6.front(), path));
        const qint64 time = modificationSeconds(path);
        QCOMPARE(entryValue(path, QStringLiteral("Orientation")), QStringLiteral("right-top (6)"));
        RotationSansPerte(path, 90);
        QCOMPARE(pictureSize(path), QSize(304, 400));
        QCOMPARE(entryValue(path, QStringLiteral("Orientation")), QStringLiteral("top-left (1)"));
        QCOMPARE(modificationSeconds(path), time);
        // Angles that are no right angle do nothing.
        const QByteArray before = readFile(path);
        RotationSansPerte(path, 45);
        RotationSansPerte(path, 0);
        QCOMPARE(readFile(path), before);
    }

    // The batch turns photos ahead in memory: the file written must be the one a copy turned in
    // place gives, with the same checks before the source goes.
    void turnMadeAheadIsWrittenAsTurnedCopy()
    {
        QTemporaryDir dir;
        TParamAppli settings = defaults();
        settings.SupprimerPhoto = true;
        TListeInformationExif exif;
        RecordingUserInterface ui;
        const auto cardCopy = [&](const QString &name) {
            const QString path = dir.filePath(QStringLiteral("card/") + name);
            return writeFile(path, readFile(m_card.orientation6.front())) ? path : QString();
        };
        const QString inPlace = cardCopy(QStringLiteral("a.JPG"));
        const QString ahead = cardCopy(QStringLiteral("b.JPG"));
        const qint64 time = modificationSeconds(inPlace);
        QVERIFY(TransfererPhoto(settings, ui, inPlace, dir.path(), dir.filePath(QStringLiteral("out/a.JPG")), 90, exif,
                                false, false));
        PreparedTransfer prepared;
        prepared.turnedPhoto = turnedInMemory(ahead, 90);
        QVERIFY(!prepared.turnedPhoto.isEmpty());
        QVERIFY(TransfererPhoto(settings, ui, ahead, dir.path(), dir.filePath(QStringLiteral("out/b.JPG")), 90, exif,
                                false, false, {}, prepared));
        QVERIFY(ui.information.isEmpty());
        QCOMPARE(readFile(dir.filePath(QStringLiteral("out/b.JPG"))), readFile(dir.filePath(QStringLiteral("out/a.JPG"))));
        QCOMPARE(modificationSeconds(dir.filePath(QStringLiteral("out/b.JPG"))), time);
        QVERIFY(!QFile::exists(ahead));

        // A turned copy damaged on its way to the disk keeps the source.
        const QString damaged = cardCopy(QStringLiteral("c.JPG"));
        prepared.turnedPhoto = turnedInMemory(damaged, 90);
        SafeCopy::Hooks hooks;
        hooks.afterWrite = [](const QString &temporary) {
            QFile file(temporary);
            if (file.open(QIODevice::ReadWrite)) {
                file.seek(file.size() / 2);
                file.write("XXXX");
            }
        };
        const QString target = dir.filePath(QStringLiteral("out/c.JPG"));
        QVERIFY(!TransfererPhoto(settings, ui, damaged, dir.path(), target, 90, exif, false, false, hooks, prepared));
        QCOMPARE(ui.information.size(), 1);
        QCOMPARE(ui.information.front(), TransferError + SafeCopy::copyErrorMessage(damaged, target));
        QVERIFY(QFile::exists(damaged));
        QVERIFY(!QFile::exists(target));
        QCOMPARE(QDir(dir.filePath(QStringLiteral("out"))).entryList(QDir::Files | QDir::Hidden).size(), 2);

        // A source written to after it was turned ahead is copied and turned as it is now: the
        // bytes read earlier would stand in for a photo about to be deleted.
        const QString changed = cardCopy(QStringLiteral("e.JPG"));
        prepared.turnedPhoto = turnedInMemory(changed, 90);
        QVERIFY(writeFile(changed, readFile(m_card.photos.back())));
        ui.information.clear();
        const QString fresh = dir.filePath(QStringLiteral("out/e.JPG"));
        QVERIFY(TransfererPhoto(settings, ui, changed, dir.path(), fresh, 90, exif, false, false, {}, prepared));
        const QString expected = dir.filePath(QStringLiteral("expected.JPG"));
        QVERIFY(writeFile(expected, readFile(m_card.photos.back())));
        RotationSansPerte(expected, 90);
        QCOMPARE(readFile(fresh), readFile(expected));

        // What cannot be turned is not turned ahead; the transfer then says why.
        const QString broken = dir.filePath(QStringLiteral("card/d.JPG"));
        QVERIFY(writeFile(broken, "not a photo"));
        QVERIFY(turnedInMemory(broken, 90).isEmpty());
        QVERIFY(turnedInMemory(ahead + QStringLiteral(".gone"), 90).isEmpty());
    }

    // A photo that cannot be turned (its scan cut short) is copied as it is, the user is told
    // why it was not turned, and its source stays although deletion is on.
    void aPhotoThatCannotBeTurnedIsCopiedAsItIs()
    {
        QTemporaryDir dir;
        const QString source = dir.filePath(QStringLiteral("card/IMG_0003.JPG"));
        const QByteArray whole = readFile(m_card.orientation6.front());
        QVERIFY(writeFile(source, whole.left(whole.size() * 3 / 5)));
        const QByteArray damaged = readFile(source);
        TParamAppli settings = defaults();
        settings.SupprimerPhoto = true;
        RecordingUserInterface ui;
        TListeInformationExif exif;
        const QString destination = dir.filePath(QStringLiteral("out/Noel 1.JPG"));
        QVERIFY(!TransfererPhoto(settings, ui, source, dir.path(), destination, 90, exif, false, false));
        const QString expected = TransferError + QStringLiteral("Erreur pendant la rotation sans perte. ");
        QCOMPARE(ui.information.size(), 1);
        QVERIFY2(ui.information.front().startsWith(expected) && ui.information.front().size() > expected.size(),
                 qPrintable(ui.information.front()));
        QCOMPARE(readFile(destination), damaged);
        QCOMPARE(readFile(source), damaged);
        QCOMPARE(QDir(dir.filePath(QStringLiteral("out"))).entryList(QDir::Files | QDir::Hidden),
                 QStringList{QStringLiteral("Noel 1.JPG")});
    }

    void inPlaceRewriteSurvivesFailure_data()
    {
        QTest::addColumn<QString>("operation");
        QTest::newRow("lossless rotation") << QStringLiteral("rotate");
        QTest::newRow("low-quality reduction") << QStringLiteral("reduce");
        QTest::newRow("rotation of no JPEG") << QStringLiteral("notjpeg");
    }

    void inPlaceRewriteSurvivesFailure()
    {
        QFETCH(QString, operation);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("only copy.JPG"));
        QVERIFY(writeFile(path, operation == QStringLiteral("notjpeg") ? QByteArray(5000, 'x') : readFile(photo(4))));
        const QByteArray before = readFile(path);
        QString message;
        {
            // Big enough for nothing: every write of the new file fails half-way.
            FileSizeLimit limit(2000);
            try {
                if (operation == QStringLiteral("reduce"))
                    ReduirePhoto(defaults(), path, 0, QDateTime());
                else
                    RotationSansPerte(path, 90);
            } catch (const LumaroError &error) {
                message = error.message();
            }
        }
        const QString expected = operation == QStringLiteral("reduce")
                                     ? QStringLiteral("Erreur pendant la sauvegarde basse résolution (2). ")
                                     : QStringLiteral("Erreur pendant la rotation sans perte. ");
        QVERIFY2(message.startsWith(expected) && message.size() > expected.size(), qPrintable(message));
        QCOMPARE(readFile(path), before);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("only copy.JPG")});
    }

    void sameSourceAndDestinationIsNotDeleted()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("IMG.JPG"));
        QVERIFY(writeFile(path, readFile(photo(1))));
        TParamAppli settings = defaults();
        settings.SupprimerPhoto = true;
        RecordingUserInterface ui;
        TListeInformationExif exif;
        QVERIFY(TransfererPhoto(settings, ui, path, dir.path(), path, 0, exif, false, false));
        QCOMPARE(readFile(path), readFile(photo(1)));
    }

    void demoCardContents()
    {
        QCOMPARE(m_card.photos.size(), 6);
        QCOMPARE(m_card.photos.filter(QStringLiteral("/DCIM/100DEMO/")).size(), 3);
        QCOMPARE(m_card.photos.filter(QStringLiteral("/DCIM/101DEMO/")).size(), 3);
        QCOMPARE(m_card.withoutExif.size(), 1);
        QVERIFY(!m_card.orientation6.isEmpty());
        QVERIFY(!m_card.orientation8.isEmpty());
        qint64 previous = 0;
        for (const QString &path : m_card.photos) {
            QCOMPARE(pictureSize(path), QSize(400, 304));
            QCOMPARE(ExifReader::hasExif(path), !m_card.withoutExif.contains(path));
            const qint64 time = modificationSeconds(path);
            QVERIFY(time > previous);
            previous = time;
        }
        TListeInformationExif exif;
        LireInformationsExif(exif, photo(1), true);
        QVERIFY(exif.Chercher(QStringLiteral("Date taken")));
        QCOMPARE(exif.Chercher(QStringLiteral("Date taken"))->Valeur, QStringLiteral("2024:07:12 09:15:07"));
        QCOMPARE(AngleOrientation(exif), 0);
        LireInformationsExif(exif, m_card.orientation8.front(), true);
        QCOMPARE(AngleOrientation(exif), 270);
        bool thumbnailDescribed = false;
        for (const ExifReader::Entry &entry : ExifReader::readEntries(photo(1)))
            thumbnailDescribed = thumbnailDescribed || entry.flag == ExifReader::IfdThumbnail;
        QVERIFY(thumbnailDescribed);
        QVERIFY(!QDir(m_card.thumbnailFolder).entryList({QStringLiteral("*.JPG")}, QDir::Files).isEmpty());
        for (const QString &extra : m_card.extraFiles)
            QVERIFY(QFileInfo(extra).size() > 0);
        QVERIFY(m_card.extraFiles.filter(QStringLiteral(".AVI")).size() == 1);
        QVERIFY(m_card.extraFiles.filter(QStringLiteral(".GIF")).size() == 1);
    }

    void commandLine()
    {
        QTemporaryDir dir;
        const QString settings = dir.filePath(QStringLiteral("settings"));
        QString out, err;
        QCOMPARE(TestSupport::runCli({QStringLiteral("demo-card"), dir.filePath(QStringLiteral("card")),
                                      QStringLiteral("--count"), QStringLiteral("3"), QStringLiteral("--size"),
                                      QStringLiteral("320x240"), QStringLiteral("--settings-dir"), settings},
                                     &out, &err),
                 0);
        const QString source = dir.filePath(QStringLiteral("card/DCIM/100DEMO/IMG_0001.JPG"));
        QCOMPARE(pictureSize(source), QSize(320, 240));
        QVERIFY(QFile::exists(dir.filePath(QStringLiteral("card/DCIM/101DEMO/IMG_0003.JPG"))));

        const QString destination = dir.filePath(QStringLiteral("photos/Noel 1.JPG"));
        QCOMPARE(TestSupport::runCli({QStringLiteral("transfer"), source, destination, QStringLiteral("--angle"),
                                      QStringLiteral("90"), QStringLiteral("--export-exif"), QStringLiteral("--low"),
                                      QStringLiteral("--settings-dir"), settings},
                                     &out, &err),
                 0);
        QCOMPARE(pictureSize(destination), QSize(240, 320));
        QCOMPARE(pictureSize(dir.filePath(QStringLiteral("photos/Basse Resolution/Noel 1 Low.JPG"))), QSize(240, 320));
        QVERIFY(readFile(dir.filePath(QStringLiteral("photos/Noel 1.txt"))).contains("Date taken=2024:07:12 09:15:07\r\n"));
        QVERIFY(QFile::exists(source));

        QCOMPARE(TestSupport::runCli({QStringLiteral("rotate"), destination, QStringLiteral("270"),
                                      QStringLiteral("--settings-dir"), settings}),
                 0);
        QCOMPARE(pictureSize(destination), QSize(320, 240));
        QCOMPARE(TestSupport::runCli({QStringLiteral("lowq"), source, dir.filePath(QStringLiteral("small.JPG")),
                                      QStringLiteral("--settings-dir"), settings}),
                 0);
        QCOMPARE(pictureSize(dir.filePath(QStringLiteral("small.JPG"))), QSize(320, 240));

        // Errors: a French message, nothing crashes; exit code 2 for a wrong command line, 1 for
        // work that failed.
        QCOMPARE(TestSupport::runCli({QStringLiteral("rotate"), destination, QStringLiteral("45"),
                                      QStringLiteral("--settings-dir"), settings},
                                     &out, &err),
                 2);
        QVERIFY(err.contains(QStringLiteral("Angle incorrect")));
        QVERIFY(writeFile(dir.filePath(QStringLiteral("blocked")), "file"));
        QCOMPARE(TestSupport::runCli({QStringLiteral("transfer"), source, dir.filePath(QStringLiteral("blocked/x.JPG")),
                                      QStringLiteral("--settings-dir"), settings},
                                     &out, &err),
                 1);
        QVERIFY2(err.contains(QStringLiteral("Erreur pendant le transfert de la photo")), qPrintable(err));
        QCOMPARE(TestSupport::runCli({QStringLiteral("lowq"), dir.filePath(QStringLiteral("none.JPG")),
                                      dir.filePath(QStringLiteral("x.JPG")), QStringLiteral("--settings-dir"), settings},
                                     &out, &err),
                 1);
        QVERIFY(err.contains(QStringLiteral("Erreur pendant la copie du fichier")));
    }
};

QTEST_GUILESS_MAIN(TestPhotoOperations)
#include "tst_photooperations.moc"
