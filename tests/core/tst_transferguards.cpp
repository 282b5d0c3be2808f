// What a transfer refuses to do to the user's files: write outside the destination, replace
// what it reads, turn a damaged photo; and what it still does with a name as long as allowed.
#include "core/error.h"
#include "core/exif/informationexif.h"
#include "core/naming/namemask.h"
#include "core/settings/paramappli.h"
#include "core/operations/photooperations.h"
#include "core/operations/shottransfer.h"
#include "tests/testsupport.h"
#include "tools/democard.h"

#include <QDir>
#include <QFile>
#include <QImageReader>
#include <QTemporaryDir>
#include <QtTest>

namespace {

using TestSupport::readFile;
using TestSupport::writeFile;

QSize pictureSize(const QString &path)
{
    return QImageReader(path).size();
}

const QString TransferError = QStringLiteral("Erreur pendant le transfert de la photo : \n");

} // namespace

class TestTransferGuards : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    DemoCard::Contents m_card;

    // A settings store on a file that does not exist: every setting at its default.
    TParamAppli defaults() const { return TParamAppli(m_dir.filePath(QStringLiteral("settings/Lumaro.ini"))); }

    QString photo(int k) const { return m_card.photos.at(k - 1); }

private slots:
    void initTestCase()
    {
        TestSupport::isolateEnvironment();
        DemoCard::Options options;
        options.count = 4;
        // Sides that are whole 16-pixel blocks, so that lossless turns trim nothing.
        options.size = QSize(400, 304);
        m_card = DemoCard::write(m_dir.filePath(QStringLiteral("card")), options);
    }

    // A name as long as the file system allows: the copy, its turn, its reduced copy and its
    // EXIF text are all written, their temporary names do not grow with it.
    void longNamesAreTurnedAndExported()
    {
        QTemporaryDir dir;
        const QString base = QString(246, u'L'); // 250 bytes with ".JPG"
        const QString destination = dir.filePath(base + QStringLiteral(".JPG"));
        TListeInformationExif exif;
        LireInformationsExif(exif, m_card.orientation6.front(), true);
        RecordingUserInterface ui;
        QVERIFY(TransfererPhoto(defaults(), ui, m_card.orientation6.front(), dir.path(), destination, 90, exif, true,
                                true));
        QVERIFY2(ui.information.isEmpty(), qPrintable(ui.information.join(u'\n')));
        QCOMPARE(pictureSize(destination), QSize(304, 400));
        QCOMPARE(pictureSize(dir.filePath(QStringLiteral("Basse Resolution/") + base + QStringLiteral(" Low.JPG"))),
                 QSize(304, 400));
        QVERIFY(readFile(dir.filePath(base + QStringLiteral(".txt"))).contains("Orientation=right-top (6)\r\n"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 2);
    }

    // The reduced copy and the EXIF text never replace a file the transfer reads or has just
    // written: the step fails with its usual message and the source stays as it was.
    void neverWritesOverWhatTheTransferReads_data()
    {
        QTest::addColumn<QString>("situation");
        QTest::newRow("low-quality copy over the source") << QStringLiteral("lowq-source");
        QTest::newRow("low-quality copy through a link to the photo") << QStringLiteral("lowq-link");
        QTest::newRow("EXIF text over the source") << QStringLiteral("exif-source");
    }
    void neverWritesOverWhatTheTransferReads()
    {
        QFETCH(QString, situation);
        QTemporaryDir dir;
        TParamAppli settings = defaults();
        settings.SupprimerPhoto = true;
        QString source = dir.filePath(QStringLiteral("P Low.JPG"));
        const QString destination = dir.filePath(QStringLiteral("P.JPG"));
        QString expected;
        if (situation == QStringLiteral("lowq-source")) {
            // An empty sub-folder name puts "P Low.JPG" beside "P.JPG": the source's own name.
            settings.Repertoire.clear();
            expected = SafeCopy::copyErrorMessage(source, source);
        } else if (situation == QStringLiteral("lowq-link")) {
            source = dir.filePath(QStringLiteral("card/IMG_0001.JPG"));
            QVERIFY(QDir().mkpath(dir.filePath(QStringLiteral("Basse Resolution"))));
            QVERIFY(QFile::link(destination, dir.filePath(QStringLiteral("Basse Resolution/P Low.JPG"))));
            expected = SafeCopy::copyErrorMessage(source, dir.filePath(QStringLiteral("Basse Resolution/P Low.JPG")));
        } else {
            source = dir.filePath(QStringLiteral("P.txt"));
            expected = QStringLiteral("Erreur pendant l'écriture du fichier %1.").arg(source);
        }
        QVERIFY(writeFile(source, readFile(photo(1))));
        const bool lowQuality = situation != QStringLiteral("exif-source");
        TListeInformationExif exif;
        exif.Ajouter(0, 0, QStringLiteral("Date taken"), QStringLiteral("2004:02:14 10:30:12"));
        RecordingUserInterface ui;
        QVERIFY(!TransfererPhoto(settings, ui, source, dir.path(), destination, 0, exif, !lowQuality, lowQuality));
        QCOMPARE(ui.information, QStringList{TransferError + expected});
        QCOMPARE(readFile(source), readFile(photo(1)));
        QCOMPARE(readFile(destination), readFile(photo(1)));
    }

    // A theme, a mask or a card file name holding ".." cannot make the transfer write outside
    // the destination; "\" and "/" still make sub-folders of it.
    void pathsLeavingTheDestinationAreRefused_data()
    {
        QTest::addColumn<QString>("mask");
        QTest::addColumn<QString>("theme");
        QTest::addColumn<QString>("sourceName");
        QTest::addColumn<QString>("lowQualityFolder");
        QTest::addColumn<QString>("refused"); // the path named in the message, below the test folder
        QTest::newRow("theme climbing out") << "#THEME #N" << "../escaped" << "IMG_1.JPG" << QString() << "escaped 1.JPG";
        QTest::newRow("card file named ...jpg") << "#ORIG\\#N" << "" << "...jpg" << QString() << "1.JPG";
        QTest::newRow("low-quality folder climbing out")
            << "#THEME" << "Noel" << "IMG_1.JPG" << "../elsewhere" << "elsewhere/Noel Low.JPG";
        QTest::newRow("backslashes make sub-folders") << "#THEME #N" << "Noel\\Jour 1" << "IMG_1.JPG" << QString()
                                                      << QString();
    }
    void pathsLeavingTheDestinationAreRefused()
    {
        QFETCH(QString, mask);
        QFETCH(QString, theme);
        QFETCH(QString, sourceName);
        QFETCH(QString, lowQualityFolder);
        QFETCH(QString, refused);
        QTemporaryDir dir;
        const QString root = dir.filePath(QStringLiteral("photos/"));
        const QString source = dir.filePath(QStringLiteral("card/") + sourceName);
        QVERIFY(writeFile(source, readFile(photo(1))));
        TParamAppli settings = defaults();
        settings.MasqueNomPhoto = mask;
        settings.SupprimerPhoto = true;
        if (!lowQualityFolder.isEmpty())
            settings.Repertoire = lowQualityFolder;
        const bool lowQuality = !lowQualityFolder.isEmpty();
        const QString destination = CalculerNomPhoto(settings, theme, source, root, 38031.4375, false, 1);
        TListeInformationExif exif;
        RecordingUserInterface ui;
        const bool done = TransfererPhoto(settings, ui, source, root, destination, 90, exif, true, lowQuality);
        if (refused.isEmpty()) {
            QVERIFY(done);
            QCOMPARE(destination, root + QStringLiteral("Noel/Jour 1 1.JPG"));
            QVERIFY(QFile::exists(destination));
            return;
        }
        QVERIFY(!done);
        const QString outside = lowQuality ? NomBasseQualite(settings, destination) : destination;
        QCOMPARE(QDir::cleanPath(outside), QDir::cleanPath(dir.filePath(refused)));
        QCOMPARE(ui.information,
                 QStringList{TransferError + QStringLiteral("Le chemin %1 sort du répertoire de destination.").arg(outside)});
        // Refused before anything was written: not the photo, not even its folder.
        QVERIFY(!QFile::exists(dir.filePath(refused)));
        QVERIFY(!QFile::exists(root));
        QCOMPARE(readFile(source), readFile(photo(1)));

        // lumaro-cli name refuses the same path.
        if (lowQuality)
            return;
        QTemporaryDir settingsFolder;
        QVERIFY(writeFile(settingsFolder.filePath(QStringLiteral("Lumaro.ini")),
                          "[General]\r\nMasqueNomPhoto=" + mask.toUtf8() + "\r\n"));
        QString out, err;
        QCOMPARE(TestSupport::runCli({QStringLiteral("name"), QStringLiteral("--theme"), theme, QStringLiteral("--date"),
                                      QStringLiteral("2004:02:14 10:30:00"), source, root,
                                      QStringLiteral("--settings-dir"), settingsFolder.path()},
                                     &out, &err),
                 1);
        QVERIFY(out.isEmpty());
        QCOMPARE(err, QStringLiteral("Erreur : Le chemin %1 sort du répertoire de destination.\n").arg(destination));
    }

    // libjpeg-turbo only warns about a photo cut short; turning it would make the damage
    // permanent, so the turn is refused with the library's words and the file stays.
    void damagedPhotoIsNotTurned()
    {
        QTemporaryDir dir;
        const QByteArray whole = readFile(photo(4));
        const QString cut = dir.filePath(QStringLiteral("cut.JPG"));
        QVERIFY(writeFile(cut, whole.left(whole.size() * 6 / 10)));
        const QByteArray before = readFile(cut);
        QString message;
        try {
            RotationSansPerte(cut, 90);
        } catch (const LumaroError &error) {
            message = error.message();
        }
        QCOMPARE(message, QStringLiteral("Erreur pendant la rotation sans perte. Image JPEG endommagée "
                                         "(Premature end of JPEG file)"));
        QCOMPARE(readFile(cut), before);

        TParamAppli settings = defaults();
        settings.SupprimerPhoto = true;
        TListeInformationExif exif;
        RecordingUserInterface ui;
        QVERIFY(!TransfererPhoto(settings, ui, cut, dir.path(), dir.filePath(QStringLiteral("out/Noel.JPG")), 90, exif,
                                 false, false));
        QCOMPARE(ui.information, QStringList{TransferError + message});
        QCOMPARE(readFile(cut), before);
    }
};

QTEST_GUILESS_MAIN(TestTransferGuards)
#include "tst_transferguards.moc"
