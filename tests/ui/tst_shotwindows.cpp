// The windows on shots (the other formats on): the batch window empties a card of RAW+JPEG
// pairs, HEIC photos, videos with their THM files and damaged files, every shot under one name,
// without a message; a video is shown by a placeholder with its duration; the slideshow leaves
// videos and sidecars out; photo by photo, a shot without a JPEG cannot be turned and says why.
#include "controls/videoplaceholder.h"
#include "core/discovery/filtrephoto.h"
#include "core/discovery/recherchephotos.h"
#include "core/discovery/shotmembers.h"
#include "core/settings/paramappli.h"
#include "core/workflows/photobyphoto.h"
#include "slideshow/fordiaporama.h"
#include "tests/formatsamples.h"
#include "tests/testsupport.h"
#include "tests/ui/modaldriver.h"
#include "transfer/fortransfertbatch.h"
#include "transfer/fortransfertphoto.h"

#include <QDir>
#include <QFile>
#include <QToolButton>
#include <QtTest>

class TestShotWindows : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    QString path(const QString &relative) const { return m_dir->filePath(relative); }

private slots:
    void initTestCase() { TestSupport::isolateEnvironment(); }
    void init() { m_dir = std::make_unique<QTemporaryDir>(); }

    void videoCaptionsTellTheDuration()
    {
        QCOMPARE(videoCaption(12400), QStringLiteral("Vidéo 0:12"));
        QCOMPARE(videoCaption(65000), QStringLiteral("Vidéo 1:05"));
        QCOMPARE(videoCaption(3723000), QStringLiteral("Vidéo 1:02:03"));
        QCOMPARE(videoCaption(-1), QStringLiteral("Vidéo"));
        QCOMPARE(videoPlaceholder(QSize(105, 79), 12000).size(), QSize(105, 79));
    }

    void batchWindowEmptiesACardOfShots()
    {
        const QString card = path(QStringLiteral("card/DCIM/"));
        QVERIFY(FormatSamples::jpeg(card + QStringLiteral("IMG_0001.JPG"), FormatSamples::quadrants({400, 300}), 1));
        QVERIFY(FormatSamples::jpeg(path("preview.jpg"), FormatSamples::quadrants({1200, 900}), 0));
        QVERIFY(FormatSamples::rawLike(card + QStringLiteral("IMG_0001.CR2"), path("preview.jpg"), 1));
        QVERIFY(FormatSamples::heic(card + QStringLiteral("IMG_0001.JPG"), card + QStringLiteral("IMG_0002.HEIC")));
        QVERIFY(FormatSamples::video(card + QStringLiteral("MVI_0003.MP4"), QStringLiteral("2023-07-01T10:00:00Z")));
        QVERIFY(TestSupport::writeFile(card + QStringLiteral("MVI_0003.THM"), "thm"));
        QVERIFY(TestSupport::writeFile(card + QStringLiteral("BAD_0004.MP4"), QByteArray(3000, '\x01')));
        QVERIFY(TestSupport::writeFile(card + QStringLiteral("BAD_0005.HEIC"), QByteArray("\0\0\0\x18" "ftypheic", 12)));

        TParamAppli settings(path(QStringLiteral("settings/Lumaro.ini")));
        settings.AutresFormats = true;
        settings.SupprimerPhoto = true;
        settings.Executer = false;
        settings.MasqueNomPhoto = QStringLiteral("#ORIG");
        TFiltrePhoto filter(settings.folder());
        QStringList photos, extras;
        ShotMembers shots;
        RecordingUserInterface ui;
        RechercherPhotos(path(QStringLiteral("card/")), true, filter, extras, photos, settings, ui, VolumeLocator(),
                         &shots);
        QCOMPARE(photos.size(), 5);

        BatchOptions options;
        options.destination = path(QStringLiteral("dest/"));
        options.probeProgram = QStringLiteral(LUMARO_PROBE);
        TforTransfertBatch window(settings, photos, options, nullptr, &shots);
        window.setStartDelay(0);
        ModalDriver driver;
        window.exec();
        QCOMPARE(driver.boxTexts, QStringList());
        QCOMPARE(QDir(path(QStringLiteral("dest"))).entryList(QDir::Files, QDir::Name),
                 (QStringList{"BAD_0004.MP4", "BAD_0005.HEIC", "IMG_0001.CR2", "IMG_0001.JPG", "IMG_0002.HEIC",
                              "MVI_0003.MP4", "MVI_0003.THM"}));
        QCOMPARE(QDir(card).entryList(QDir::Files), QStringList());
        QCOMPARE(window.transfer().PhotosTransferees().size(), 7);
        QVERIFY(photos.isEmpty());

        // The end-of-transfer slideshow shows the pictures only: a list of videos and
        // sidecars opens nothing.
        QStringList notPictures{path(QStringLiteral("dest/MVI_0003.MP4")), path(QStringLiteral("dest/MVI_0003.THM"))};
        QCOMPARE(LancerDiaporama(settings, notPictures), int(QDialog::Rejected));
        QVERIFY(notPictures.isEmpty());
    }

    // A shot without a JPEG keeps the orientation its camera wrote: the turn buttons are off
    // and say why; its name keeps its own extension.
    void photoByPhotoTurnsOnlyJpegShots()
    {
        QVERIFY(QDir().mkpath(path(QStringLiteral("card"))));
        QVERIFY(FormatSamples::jpeg(path("a.jpg"), FormatSamples::quadrants({400, 300}), 1));
        QVERIFY(FormatSamples::heic(path("a.jpg"), path("card/IMG_0002.HEIC")));
        QVERIFY(TestSupport::writeFile(path("card/IMG_0003.JPG"), TestSupport::readFile(path("a.jpg"))));
        QVERIFY(TestSupport::writeFile(path("card/IMG_0003.CR2"), "raw"));
        TParamAppli settings(path(QStringLiteral("settings/Lumaro.ini")));
        settings.AutresFormats = true;
        settings.MasqueNomPhoto = QStringLiteral("#ORIG");
        ShotMembers shots;
        shots.add({path("card/IMG_0003.JPG"), path("card/IMG_0003.CR2")});
        QStringList photos{path("card/IMG_0002.HEIC"), path("card/IMG_0003.JPG")};

        PhotoByPhotoSession session(settings, photos, path(QStringLiteral("dest/")), QString(), &shots);
        session.showCurrent();
        QVERIFY(!session.turnable());
        session.rotateRight();
        QCOMPARE(session.AnglePhoto(), 0);
        QVERIFY(session.NomFinal().endsWith(QStringLiteral("/IMG_0002.HEIC")));
        session.next();
        QVERIFY(session.turnable());
        session.rotateRight();
        QCOMPARE(session.AnglePhoto(), 90);
        QCOMPARE(session.members().size(), 2);

        TforTransfertPhoto window(settings, photos, path(QStringLiteral("dest/")), QString(), false, nullptr, &shots);
        window.show();
        window.InitialiserAffichage();
        auto *right = window.findChild<QToolButton *>(QStringLiteral("sbRotationDroite"));
        QVERIFY(right);
        QVERIFY(!right->isEnabled());
        QVERIFY(right->toolTip().contains(QStringLiteral("la rotation ne s'applique qu'à la photo JPEG")));
    }
};

QTEST_MAIN(TestShotWindows)
#include "tst_shotwindows.moc"
