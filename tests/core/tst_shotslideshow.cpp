// The slideshow on HEIF and RAW files: their pictures are shown upright; turning one is refused
// with a clear message and leaves the file as the camera wrote it (it cannot be turned without
// being rewritten); its low-quality copy is made from its picture, named as a JPEG's would be.
#include "core/files/filesystem.h"
#include "core/imaging/imaging.h"
#include "core/naming/namemask.h"
#include "core/operations/photooperations.h"
#include "core/settings/paramappli.h"
#include "core/workflows/slideshowplayer.h"
#include "tests/formatsamples.h"
#include "tests/testsupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

class RecordingView : public SlideshowView {
public:
    QImage picture;
    QStringList captions;
    bool closed = false;

    QSize pictureArea() const override { return QSize(800, 600); }
    void showCaption(const QString &caption) override { captions << caption; }
    void showPicture(const QImage &shown) override { picture = shown; }
    void showNavigation(bool, bool) override {}
    void closePlayer() override { closed = true; }
};

} // namespace

class TestShotSlideshow : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_probeLink; // lumaro-probe beside this test, where the players' readers look for it

private slots:
    void initTestCase()
    {
        TestSupport::isolateEnvironment();
        m_probeLink = QCoreApplication::applicationDirPath() + QStringLiteral("/lumaro-probe");
        QFile::remove(m_probeLink);
        QVERIFY(QFile::link(QStringLiteral(LUMARO_PROBE), m_probeLink));
    }
    void cleanupTestCase() { QFile::remove(m_probeLink); }

    void heifAndRawAreShownButNeverRewritten()
    {
        const QSize upright(400, 300);
        QVERIFY(QDir().mkpath(m_dir.filePath(QStringLiteral("card"))));
        QVERIFY(FormatSamples::jpeg(m_dir.filePath("side.jpg"), FormatSamples::storedFor(upright, 6), 6));
        QVERIFY(FormatSamples::heic(m_dir.filePath("side.jpg"), m_dir.filePath("card/IMG_0001.HEIC")));
        QVERIFY(FormatSamples::jpeg(m_dir.filePath("preview.jpg"), FormatSamples::storedFor(QSize(1200, 900), 6), 0));
        QVERIFY(FormatSamples::rawLike(m_dir.filePath("card/IMG_0002.CR2"), m_dir.filePath("preview.jpg"), 6));
        TParamAppli settings(m_dir.filePath(QStringLiteral("settings/Lumaro.ini")));
        settings.Redimensionner = true;
        settings.IndiceNewDim = 0;
        settings.ActiverDiaporama = false;
        QStringList photos{m_dir.filePath("card/IMG_0001.HEIC"), m_dir.filePath("card/IMG_0002.CR2")};
        RecordingView view;
        RecordingUserInterface ui;
        SlideshowPlayer player(photos, settings, view, ui);
        player.start();

        for (const QString &photo : QStringList(photos)) {
            QTRY_VERIFY2(!view.picture.isNull() && !player.isBusy(),
                         qPrintable(ui.errors.join(u'\n') + u'|' + view.captions.join(u'|')));
            // Upright and filling the area as a JPEG would.
            QCOMPARE(view.picture.size(), QSize(800, 600));
            QCOMPARE(FormatSamples::corners(view.picture), QStringLiteral("RGBW"));
            QVERIFY2(ui.errors.isEmpty(), qPrintable(ui.errors.join(u'\n')));

            const QByteArray before = TestSupport::readFile(photo);
            player.TournerPhoto(90);
            QCOMPARE(ui.errors.size(), 1);
            QVERIFY2(ui.errors.front().contains(QStringLiteral("ne peut pas être tournée sans être réécrite")),
                     qPrintable(ui.errors.front()));
            QCOMPARE(TestSupport::readFile(photo), before);
            QCOMPARE(FormatSamples::corners(view.picture), QStringLiteral("RGBW"));
            ui.errors.clear();

            player.saveLowQualityCopy();
            QVERIFY2(ui.errors.isEmpty(), qPrintable(ui.errors.join(u'\n')));
            const QString low = NomBasseQualite(settings, memberDestination(photo, QStringLiteral(".JPG")));
            const QImage copy = Imaging::loadPhoto(low).picture;
            QCOMPARE(copy.size(), QSize(320, 240));
            QCOMPARE(FormatSamples::corners(copy), QStringLiteral("RGBW"));

            view.picture = QImage();
            player.PhotoSuivante();
        }
    }
};

QTEST_GUILESS_MAIN(TestShotSlideshow)
#include "tst_shotslideshow.moc"
