// How the core meets the file system: a name that is not UTF-8 comes back to the same bytes,
// every file is written whole under a short temporary name, and the files the program makes
// get the mode cp would give them.
#include "core/files/filename.h"
#include "core/files/filereplacement.h"
#include "core/files/filesystem.h"
#include "core/discovery/filtrephoto.h"
#include "core/discovery/history.h"
#include "core/exif/informationexif.h"
#include "core/settings/paramappli.h"
#include "core/operations/photooperations.h"
#include "core/operations/shottransfer.h"
#include "core/discovery/recherchephotos.h"
#include "tests/testsupport.h"
#include "tools/democard.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>
#include <unistd.h>

namespace {

using TestSupport::fileMode;
using TestSupport::readFile;
using TestSupport::writeFile;

QStringList filesIn(const QString &folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

} // namespace

class TestFileSafety : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

private slots:
    void initTestCase() { TestSupport::isolateEnvironment(); }

    void namesComeBackToTheirBytes_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("utf8");
        QTest::newRow("ASCII") << QByteArray("IMG_0001.JPG") << true;
        QTest::newRow("accents") << QByteArray("No\xC3\xABl \xC3\xA9t\xC3\xA9.jpg") << true;
        QTest::newRow("four-byte character") << QByteArray("\xF0\x9F\x93\xB7.jpg") << true;
        QTest::newRow("Latin-1 byte") << QByteArray("c\xFF.jpg") << false;
        QTest::newRow("lone continuation byte") << QByteArray("\x80") << false;
        QTest::newRow("overlong slash") << QByteArray("a\xC0\xAF") << false;
        QTest::newRow("surrogate half") << QByteArray("\xED\xA0\x80x") << false;
        QTest::newRow("beyond U+10FFFF") << QByteArray("\xF4\x90\x80\x80") << false;
        QTest::newRow("sequence cut short") << QByteArray("\xE2\x82") << false;
        // Valid UTF-8 for a character that stands for a raw byte: kept byte by byte too.
        QTest::newRow("escape character itself") << QByteArray("\xEF\x9E\x80\xEF\x9F\xBF") << false;
    }
    void namesComeBackToTheirBytes()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, utf8);
        const QString name = FileName::decode(bytes);
        QCOMPARE(FileName::encode(name), bytes);
        QCOMPARE(FileName::decode(bytes.constData()), name);
        QVERIFY(!name.contains(QChar(QChar::ReplacementCharacter)));
        if (utf8)
            QCOMPARE(name, QString::fromUtf8(bytes));
    }

    void anyBytesComeBack()
    {
        QRandomGenerator random(42);
        for (int round = 0; round < 5000; ++round) {
            QByteArray bytes;
            const int length = int(random.bounded(24));
            for (int i = 0; i < length; ++i)
                bytes.append(char(1 + random.bounded(255)));
            QCOMPARE(FileName::encode(FileName::decode(bytes)), bytes);
        }
        // Two names that differ by a byte that is not UTF-8 stay two names.
        QVERIFY(FileName::decode(QByteArray("c\xFF.jpg")) != FileName::decode(QByteArray("c\xFE.jpg")));
    }

    void pathsAreCleanedByTheirText_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("clean");
        QTest::newRow("already clean") << "/a/b" << "/a/b";
        QTest::newRow("dots and doubled slashes") << "/a/./b//c/" << "/a/b/c";
        QTest::newRow("parent") << "/a/b/../c" << "/a/c";
        QTest::newRow("above the root") << "/../../x" << "/x";
        QTest::newRow("relative parents kept") << "../a/../../b" << "../../b";
        QTest::newRow("three dots are a name") << "/a/.../b" << "/a/.../b";
        QTest::newRow("nothing left") << "a/.." << ".";
    }
    void pathsAreCleanedByTheirText()
    {
        QFETCH(QString, path);
        QFETCH(QString, clean);
        QCOMPARE(FileSystem::cleanPath(path), clean);
    }

    void insideTheDestination_data()
    {
        QTest::addColumn<QString>("root");
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("inside");
        QTest::newRow("photo in the root") << "/p/" << "/p/Noel 1.JPG" << true;
        QTest::newRow("sub-folders") << "/p" << "/p/2004/Février/Noel 005.JPG" << true;
        QTest::newRow("a name starting with two dots") << "/p/" << "/p/..Noel.JPG" << true;
        QTest::newRow("theme climbing out") << "/p/" << "/p/../../../../tmp/x 1.JPG" << false;
        QTest::newRow("climbing out and back in") << "/p/" << "/p/a/../../p/x.JPG" << true;
        QTest::newRow("a sibling with the same start") << "/p" << "/photos/x.JPG" << false;
        QTest::newRow("the root itself") << "/p/" << "/p/./" << false;
        QTest::newRow("everything below /") << "/" << "/x.JPG" << true;
    }
    void insideTheDestination()
    {
        QFETCH(QString, root);
        QFETCH(QString, path);
        QFETCH(bool, inside);
        QCOMPARE(FileSystem::isInside(root, path), inside);
    }

    // A new file gets 0666 less the umask, as from cp; a file replaced keeps its mode.
    void replacementModes_data()
    {
        QTest::addColumn<int>("mask");
        QTest::newRow("umask 022") << 022;
        QTest::newRow("umask 077") << 077;
    }
    void replacementModes()
    {
        QFETCH(int, mask);
        const TestSupport::UmaskScope umaskScope{mode_t(mask & 0777)};
        QTemporaryDir dir;
        const QString created = dir.filePath(QStringLiteral("new.txt"));
        QVERIFY(FileReplacement::writeWhole(created, "new\r\n"));
        QCOMPARE(fileMode(created), 0666 & ~mask);

        const QString kept = dir.filePath(QStringLiteral("kept.txt"));
        QVERIFY(writeFile(kept, "old"));
        QVERIFY(::chmod(QFile::encodeName(kept).constData(), 0604) == 0);
        QVERIFY(FileReplacement::writeWhole(kept, "replaced"));
        QCOMPARE(readFile(kept), QByteArray("replaced"));
        QCOMPARE(fileMode(kept), 0604);

        // Through a link, the file it leads to is replaced and the link stays.
        const QString link = dir.filePath(QStringLiteral("link.txt"));
        QVERIFY(QFile::link(kept, link));
        QVERIFY(FileReplacement::writeWhole(link, "through the link"));
        QVERIFY(QFileInfo(link).isSymLink());
        QCOMPARE(readFile(kept), QByteArray("through the link"));
        QCOMPARE(fileMode(kept), 0604);
        QCOMPARE(filesIn(dir.path()), (QStringList{"kept.txt", "link.txt", "new.txt"}));
    }

    // The temporary name does not grow with the target's: a name as long as the file system
    // allows can be written, and a failure leaves neither half a file nor a temporary one.
    void longNamesAndFailures()
    {
        QTemporaryDir dir;
        const QString longest = dir.filePath(QString(251, u'n') + QStringLiteral(".JPG"));
        QVERIFY(FileReplacement::writeWhole(longest, QByteArray(1000, 'x')));
        QCOMPARE(readFile(longest).size(), 1000);

        const QString target = dir.filePath(QStringLiteral("only.txt"));
        QVERIFY(writeFile(target, "the old content"));
        {
            const TestSupport::FileSizeLimit limit(100);
            QVERIFY(!FileReplacement::writeWhole(target, QByteArray(5000, 'y')));
        }
        QCOMPARE(readFile(target), QByteArray("the old content"));
        QCOMPARE(filesIn(dir.path()).size(), 2);

        // A target whose folder is a file: nothing to open, nothing left behind.
        QVERIFY(!FileReplacement::writeWhole(target + QStringLiteral("/x"), "x"));
        FileReplacement unopened(dir.filePath(QStringLiteral("missing/x")));
        QVERIFY(!unopened.isOpen());
        QVERIFY(!unopened.commit());
        QCOMPARE(filesIn(dir.path()).size(), 2);
    }

    // Every kind of file the program makes, under two umasks, and files it rewrites in place.
    void everyFileGetsTheModeOfCp_data()
    {
        QTest::addColumn<int>("mask");
        QTest::newRow("umask 022") << 022;
        QTest::newRow("umask 027") << 027;
    }
    void everyFileGetsTheModeOfCp()
    {
        QFETCH(int, mask);
        const int expected = 0666 & ~mask;
        QTemporaryDir dir;
        DemoCard::Options options;
        options.count = 3;
        options.size = QSize(320, 240);
        const DemoCard::Contents card = DemoCard::write(dir.filePath(QStringLiteral("card")), options);
        for (const QString &file : card.photos + card.extraFiles)
            QVERIFY(::chmod(QFile::encodeName(file).constData(), 0644) == 0);

        const TestSupport::UmaskScope umaskScope{mode_t(mask)};
        const QString settingsFolder = dir.filePath(QStringLiteral("settings/"));
        TParamAppli settings(settingsFolder + QStringLiteral("Lumaro.ini"));
        settings.EcrireParametres();
        QCOMPARE(fileMode(settings.filePath()), expected);
        TFiltrePhoto filter(settingsFolder);
        filter.EnregistrerFiltre();
        QCOMPARE(fileMode(filter.filePath()), expected);
        const QString history = settingsFolder + QStringLiteral("Histo/1-DCIM.txt");
        History::write(history, {QStringLiteral("20040214103012/card/DCIM/IMG_0001.JPG")});
        QCOMPARE(fileMode(history), expected);

        const QString root = dir.filePath(QStringLiteral("photos"));
        const QString destination = root + QStringLiteral("/2024/Vacances 1.JPG");
        TListeInformationExif exif;
        LireInformationsExif(exif, card.orientation6.front(), true);
        RecordingUserInterface ui;
        QVERIFY(TransfererPhoto(settings, ui, card.orientation6.front(), root, destination, 90, exif, true, true));
        const QString lowQuality = root + QStringLiteral("/2024/Basse Resolution/Vacances 1 Low.JPG");
        const QString text = root + QStringLiteral("/2024/Vacances 1.txt");
        for (const QString &file : {destination, lowQuality, text})
            QVERIFY2(fileMode(file) == expected, qPrintable(file));
        QCOMPARE(fileMode(root + QStringLiteral("/2024")), 0777 & ~mask);
        EnregistrerExtensionsSupp(root, card.extraFiles, ui);
        QCOMPARE(fileMode(root + QStringLiteral("/AVI/MVI_0001.AVI")), expected);
        QCOMPARE(fileMode(root + QStringLiteral("/GIF/ANIM_0001.GIF")), expected);

        // Rewritten in place: each keeps the mode the user gave it.
        for (const QString &file : {settings.filePath(), destination, text, history})
            QVERIFY(::chmod(QFile::encodeName(file).constData(), 0640) == 0);
        settings.Tempo = 9;
        settings.EcrireParametres();
        RotationSansPerte(destination, 270);
        writeExifFile(exif, destination);
        History::write(history, {});
        for (const QString &file : {settings.filePath(), destination, text, history})
            QVERIFY2(fileMode(file) == 0640, qPrintable(file));
        QVERIFY(ui.information.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestFileSafety)
#include "tst_filesafety.moc"
