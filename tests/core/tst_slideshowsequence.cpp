// The slideshow without its window: the list and its index, the pacing timer, and the player
// driven through a recording view.
#include "core/files/filename.h"
#include "core/files/filesystem.h"
#include "core/imaging/imaging.h"
#include "core/settings/paramappli.h"
#include "core/operations/photooperations.h"
#include "core/workflows/slideshowpacer.h"
#include "core/workflows/slideshowpicture.h"
#include "core/workflows/slideshowplayer.h"
#include "core/workflows/slideshowsequence.h"
#include "tests/testsupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QSignalSpy>
#include <QTest>

#include <csignal>
#include <limits>
#include <sys/resource.h>

namespace {

class RecordingView : public SlideshowView {
public:
    QSize area = QSize(800, 600);
    QStringList captions;
    QImage picture;
    int pictures = 0;
    bool previousEnabled = true, nextEnabled = true;
    bool closed = false;

    QSize pictureArea() const override { return area; }
    void showCaption(const QString &caption) override { captions << caption; }
    void showPicture(const QImage &shown) override
    {
        picture = shown;
        ++pictures;
    }
    void showNavigation(bool previous, bool next) override
    {
        previousEnabled = previous;
        nextEnabled = next;
    }
    void closePlayer() override { closed = true; }
};

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QSize storedSize(const QString &path)
{
    return QImageReader(path).size();
}

} // namespace

class TestSlideshowSequence : public QObject {
    Q_OBJECT

    QTemporaryDir *m_dir = nullptr;
    QStringList m_photos;
    std::unique_ptr<TParamAppli> m_settings;
    RecordingView m_view;
    RecordingUserInterface m_ui;

    // A JPEG of that size whose left half is red and right half blue, so turns can be told apart.
    QString writePhoto(const QString &name, QSize size)
    {
        QImage image(size, QImage::Format_RGB888);
        image.fill(Qt::blue);
        for (int y = 0; y < size.height(); ++y)
            for (int x = 0; x < size.width() / 2; ++x)
                image.setPixelColor(x, y, Qt::red);
        const QString path = m_dir->filePath(name);
        Imaging::saveJpeg(path, image, Imaging::SaveOptions{90, {}, false});
        return path;
    }

    std::unique_ptr<SlideshowPlayer> startedPlayer(int tempo = 1000000)
    {
        m_settings->Tempo = tempo;
        auto player = std::make_unique<SlideshowPlayer>(m_photos, *m_settings, m_view, m_ui);
        QSignalSpy shown(player.get(), &SlideshowPlayer::photoDisplayed);
        player->start();
        if (!shown.wait(10000))
            qWarning("the first photo was not displayed");
        return player;
    }

    static bool displayNext(SlideshowPlayer &player, void (SlideshowPlayer::*command)())
    {
        QSignalSpy shown(&player, &SlideshowPlayer::photoDisplayed);
        (player.*command)();
        return shown.wait(10000);
    }

private slots:
    void initTestCase() { TestSupport::isolateEnvironment(); }

    void init()
    {
        m_dir = new QTemporaryDir;
        m_settings = std::make_unique<TParamAppli>(m_dir->filePath(QStringLiteral("Lumaro.ini")));
        m_photos = {writePhoto(QStringLiteral("a.jpg"), QSize(400, 304)),
                    writePhoto(QStringLiteral("b.jpg"), QSize(304, 400)),
                    writePhoto(QStringLiteral("c.jpg"), QSize(32, 16))};
        m_view = RecordingView();
        m_ui = RecordingUserInterface();
    }

    void cleanup()
    {
        m_settings.reset();
        delete m_dir;
        m_dir = nullptr;
    }

    // --- the list and its index ---

    void sequenceMovesAndStopsAtTheEnds()
    {
        QStringList photos{"a", "b", "c"};
        SlideshowSequence sequence(photos, false);
        QCOMPARE(sequence.IndicePhoto(), -1);
        QCOMPARE(sequence.current(), QString());
        QCOMPARE(sequence.next(), SlideshowSequence::Advance::Moved);
        QCOMPARE(sequence.current(), QStringLiteral("a"));
        QVERIFY(!sequence.canGoBack());
        QVERIFY(!sequence.previous());
        QCOMPARE(sequence.following(), QStringLiteral("b"));
        QVERIFY(sequence.last());
        QCOMPARE(sequence.current(), QStringLiteral("c"));
        QVERIFY(!sequence.canGoForward());
        QCOMPARE(sequence.following(), QString());
        // Loop off at the last photo: nothing moves, the caller asks whether to quit.
        QCOMPARE(sequence.next(), SlideshowSequence::Advance::EndReached);
        QCOMPARE(sequence.IndicePhoto(), 2);
        QVERIFY(sequence.previous());
        QCOMPARE(sequence.current(), QStringLiteral("b"));
        QVERIFY(sequence.first());
        QCOMPARE(sequence.IndicePhoto(), 0);
    }

    void sequenceLoopsBackToTheFirst()
    {
        QStringList photos{"a", "b"};
        SlideshowSequence sequence(photos, true);
        sequence.last();
        QCOMPARE(sequence.following(), QStringLiteral("a"));
        QCOMPARE(sequence.next(), SlideshowSequence::Advance::Looped);
        QCOMPARE(sequence.IndicePhoto(), 0);
        QVERIFY(sequence.canGoForward());
    }

    void emptyListNeverReadsAnEntry()
    {
        QStringList photos;
        SlideshowSequence sequence(photos, true);
        QCOMPARE(sequence.next(), SlideshowSequence::Advance::EndReached);
        QCOMPARE(sequence.IndicePhoto(), -1);
        QCOMPARE(sequence.current(), QString());
        QCOMPARE(sequence.following(), QString());
        QVERIFY(!sequence.first());
        QVERIFY(!sequence.last());
        QCOMPARE(sequence.removeCurrent(), SlideshowSequence::Removal::ListEmpty);
    }

    void removingKeepsTheIndexInTheList()
    {
        QStringList photos{"a", "b", "c", "d"};
        SlideshowSequence sequence(photos, false);
        sequence.next();
        sequence.next(); // "b"
        QCOMPARE(sequence.removeCurrent(), SlideshowSequence::Removal::ShowCurrent);
        QCOMPARE(sequence.current(), QStringLiteral("c")); // the one that followed, same place
        QCOMPARE(photos, (QStringList{"a", "c", "d"}));  // the caller's own list
        sequence.last();
        QCOMPARE(sequence.removeCurrent(), SlideshowSequence::Removal::ShowCurrent);
        QCOMPARE(sequence.IndicePhoto(), 1); // the new last photo, not past the end
        QCOMPARE(sequence.current(), QStringLiteral("c"));
        QVERIFY(!sequence.canGoForward());
        sequence.removeCurrent();
        QCOMPARE(sequence.removeCurrent(), SlideshowSequence::Removal::ListEmpty);
        QCOMPARE(sequence.IndicePhoto(), -1);
        QVERIFY(photos.isEmpty());
    }

    // --- the pacing timer ---

    void tempoIsWorkedOutIn64Bits()
    {
        QCOMPARE(SlideshowPacer::intervalFor(5), qint64(5000));
        QCOMPARE(SlideshowPacer::intervalFor(0), qint64(0));
        QCOMPARE(SlideshowPacer::intervalFor(-3), qint64(0));
        QCOMPARE(SlideshowPacer::intervalFor(std::numeric_limits<int>::max()), qint64(2147483647000));
        QVERIFY(SlideshowPacer::intervalFor(std::numeric_limits<qint64>::max()) > 0);
    }

    void tempoZeroOrLessNeverCounts()
    {
        for (qint64 tempo : {qint64(0), qint64(-1)}) {
            SlideshowPacer pacer(tempo);
            pacer.enable();
            QVERIFY(pacer.isEnabled());
            QVERIFY(!pacer.isCounting());
        }
    }

    void hugeTempoWaitsLongerThanOneTimer()
    {
        for (qint64 tempo : {qint64(std::numeric_limits<int>::max()), std::numeric_limits<qint64>::max()}) {
            SlideshowPacer pacer(tempo);
            QSignalSpy ticks(&pacer, &SlideshowPacer::tick);
            pacer.enable();
            QVERIFY(pacer.isCounting());
            QVERIFY(pacer.remaining() > qint64(std::numeric_limits<int>::max()));
            QTest::qWait(50);
            QCOMPARE(ticks.count(), 0);
        }
    }

    void pacerTicksHoldsAndShutsDown()
    {
        SlideshowPacer pacer(1);
        QSignalSpy ticks(&pacer, &SlideshowPacer::tick);
        pacer.enable();
        QVERIFY(ticks.wait(10000));
        QVERIFY(pacer.isCounting()); // on for the next delay, as long as it is enabled
        pacer.setHeld(true);
        QVERIFY(!pacer.isCounting());
        pacer.setHeld(false);
        QVERIFY(pacer.isCounting());
        pacer.disable();
        pacer.setHeld(false);
        QVERIFY(!pacer.isCounting());
        pacer.shutdown();
        pacer.enable();
        QVERIFY(!pacer.isCounting());
        QVERIFY(!pacer.isEnabled());
    }

    // --- the player ---

    void firstPhotoIsShownFittedWithItsCaption()
    {
        auto player = startedPlayer();
        QCOMPARE(m_view.captions.last(), QStringLiteral("(Photo 1 / 3) - ") + m_photos[0]);
        QCOMPARE(m_view.picture.size(), QSize(789, 600)); // 400 x 304 enlarged into 800 x 600
        QVERIFY(!m_view.previousEnabled);
        QVERIFY(m_view.nextEnabled);
        QVERIFY(!player->isBusy());
        QVERIFY(player->pacer().isCounting()); // from the moment the photo is shown
        QVERIFY(m_ui.errors.isEmpty());

        QVERIFY(displayNext(*player, &SlideshowPlayer::PhotoSuivante));
        QCOMPARE(m_view.picture.size(), QSize(456, 600)); // portrait
        QVERIFY(displayNext(*player, &SlideshowPlayer::PhotoSuivante));
        QCOMPARE(m_view.captions.last(), QStringLiteral("(Photo 3 / 3) - ") + m_photos[2]);
        QCOMPARE(m_view.picture.size(), QSize(800, 400)); // a tiny photo fills the screen too
        QVERIFY(m_view.previousEnabled);
        QVERIFY(!m_view.nextEnabled);
    }

    void emptyListClosesAtOnce()
    {
        m_photos.clear();
        m_settings->Boucler = true;
        SlideshowPlayer player(m_photos, *m_settings, m_view, m_ui);
        player.start();
        QVERIFY(m_view.closed);
        QVERIFY(player.isFinished());
        QVERIFY(m_view.captions.isEmpty());
        QVERIFY(!player.pacer().isCounting());
    }

    void lastPhotoWithoutLoopAsksToQuit()
    {
        auto player = startedPlayer();
        QVERIFY(displayNext(*player, &SlideshowPlayer::goToEnd));
        m_ui.answers = {false};
        player->PhotoSuivante();
        QCOMPARE(m_ui.confirmations, QStringList{QStringLiteral("Quitter le diaporama ?")});
        QCOMPARE(player->IndicePhoto(), 2);
        QVERIFY(!m_view.closed);
        QVERIFY(player->pacer().isCounting());

        m_ui.answers = {true};
        player->quit();
        QVERIFY(m_view.closed);
        QVERIFY(player->pacer().isShutDown());
        QVERIFY(!player->pacer().isCounting());
        // Nothing starts the timer or moves once it is over.
        player->PhotoPrecedente();
        player->backToStart();
        QCOMPARE(player->IndicePhoto(), 2);
        QVERIFY(!player->pacer().isCounting());
        QTest::qWait(50);
        QCOMPARE(m_ui.confirmations.size(), 2);
    }

    void lastPhotoWithLoopStartsAgain()
    {
        m_settings->Boucler = true;
        auto player = startedPlayer();
        QVERIFY(displayNext(*player, &SlideshowPlayer::goToEnd));
        QVERIFY(displayNext(*player, &SlideshowPlayer::PhotoSuivante));
        QCOMPARE(player->IndicePhoto(), 0);
        QCOMPARE(m_view.captions.last(), QStringLiteral("(Photo 1 / 3) - ") + m_photos[0]);
        QVERIFY(m_ui.confirmations.isEmpty());
    }

    void timerMovesOnByItselfOnlyWhenAutomatic()
    {
        auto player = startedPlayer(1);
        QVERIFY(player->autoAdvance()); // Activer is on by default
        QSignalSpy shown(player.get(), &SlideshowPlayer::photoDisplayed);
        QVERIFY(shown.wait(10000));
        QCOMPARE(player->IndicePhoto(), 1);
        // "Diaporama automatique" unticked: the timer still ticks, and nothing moves.
        player->setAutoAdvance(false);
        QSignalSpy ticks(&player->pacer(), &SlideshowPacer::tick);
        QVERIFY(ticks.wait(10000));
        QCOMPARE(player->IndicePhoto(), 1);
        QCOMPARE(shown.count(), 1);
    }

    void inputDuringALoadIsDropped()
    {
        auto player = startedPlayer();
        QSignalSpy shown(player.get(), &SlideshowPlayer::photoDisplayed);
        player->PhotoSuivante();
        QVERIFY(player->isBusy());
        m_ui.answers = {true, true};
        player->SupprimerPhoto();
        player->TournerPhoto(90);
        player->PhotoSuivante();
        player->saveLowQualityCopy();
        player->quit();
        QVERIFY(m_ui.confirmations.isEmpty());
        QVERIFY(shown.wait(10000));
        QCOMPARE(player->IndicePhoto(), 1);
        QCOMPARE(m_photos.size(), 3);
        for (const QString &path : m_photos)
            QVERIFY(QFile::exists(path));
        QVERIFY(!QFile::exists(NomBasseQualite(*m_settings, m_photos[1])));
        QCOMPARE(storedSize(m_photos[1]), QSize(304, 400));
    }

    void deletingTheLastPhotoShowsTheNewLast()
    {
        auto player = startedPlayer();
        QVERIFY(displayNext(*player, &SlideshowPlayer::goToEnd));
        const QString gone = m_photos[2];
        const QString lowQuality = NomBasseQualite(*m_settings, gone);
        EnregistrerBasseQualite(*m_settings, gone, lowQuality, 0);
        m_ui.answers = {true};
        QSignalSpy shown(player.get(), &SlideshowPlayer::photoDisplayed);
        player->SupprimerPhoto();
        QCOMPARE(m_ui.confirmations, QStringList{QStringLiteral("Supprimer la photo définitivement ?")});
        QVERIFY(shown.wait(10000));
        QVERIFY(!QFile::exists(gone));
        QVERIFY(!QFile::exists(lowQuality));
        QCOMPARE(m_photos.size(), 2);
        QCOMPARE(player->IndicePhoto(), 1);
        QCOMPARE(m_view.captions.last(), QStringLiteral("(Photo 2 / 2) - ") + m_photos[1]);
        QVERIFY(!m_view.nextEnabled);
        QVERIFY(player->pacer().isCounting());
    }

    void deletingInTheMiddleShowsTheFollowing()
    {
        auto player = startedPlayer();
        m_ui.answers = {false};
        player->SupprimerPhoto(); // refused: nothing changes
        QCOMPARE(m_photos.size(), 3);
        QVERIFY(QFile::exists(m_photos[0]));
        QVERIFY(player->pacer().isCounting());

        const QString following = m_photos[1];
        m_ui.answers = {true};
        QVERIFY(displayNext(*player, &SlideshowPlayer::SupprimerPhoto));
        QCOMPARE(player->IndicePhoto(), 0);
        QCOMPARE(m_view.captions.last(), QStringLiteral("(Photo 1 / 2) - ") + following);
    }

    void deletingTheOnlyPhotoCloses()
    {
        m_photos = m_photos.mid(0, 1);
        auto player = startedPlayer();
        m_ui.answers = {true};
        player->SupprimerPhoto();
        QVERIFY(m_view.closed);
        QVERIFY(m_photos.isEmpty());
        QVERIFY(player->pacer().isShutDown());
    }

    void aFileAlreadyGoneCountsAsDeleted()
    {
        auto player = startedPlayer();
        QVERIFY(QFile::remove(m_photos[0]));
        m_ui.answers = {true};
        QVERIFY(displayNext(*player, &SlideshowPlayer::SupprimerPhoto));
        QVERIFY(m_ui.errors.isEmpty());
        QCOMPARE(m_photos.size(), 2);
    }

    // A photo whose name is not UTF-8 (a card written by another system) is deleted for real,
    // its low-quality copy with it.
    void deletingAPhotoWhoseNameIsNotUtf8()
    {
        const QString odd = writePhoto(FileName::decode(QByteArray("d\xFF.jpg")), QSize(64, 48));
        QVERIFY(FileSystem::isFile(odd));
        const QString lowQuality = NomBasseQualite(*m_settings, odd);
        EnregistrerBasseQualite(*m_settings, odd, lowQuality, 0);
        QVERIFY(FileSystem::isFile(lowQuality));
        m_photos = {odd, m_photos[0]};
        auto player = startedPlayer();
        QVERIFY(m_ui.errors.isEmpty());
        m_ui.answers = {true};
        QVERIFY(displayNext(*player, &SlideshowPlayer::SupprimerPhoto));
        QVERIFY(m_ui.errors.isEmpty());
        QVERIFY(!FileSystem::exists(odd));
        QVERIFY(!FileSystem::exists(lowQuality));
        QCOMPARE(m_photos.size(), 1);
    }

    // The fit, hence the DCT scale a photo is decoded at, comes from the size in its header, read
    // through the program's own file layer: a name that is not UTF-8 is decoded as small as any.
    void aPhotoWhoseNameIsNotUtf8IsDecodedAtItsScale()
    {
        const QString plain = writePhoto(QStringLiteral("wide.jpg"), QSize(1600, 400));
        const QString odd = writePhoto(FileName::decode(QByteArray("w\xFF.jpg")), QSize(1600, 400));
        QCOMPARE(Imaging::storedSize(odd), QSize(1600, 400));
        QCOMPARE(Imaging::storedSize(m_dir->filePath(QStringLiteral("missing.jpg"))), QSize());
        const SlideshowPicture wanted = prepareSlideshowPicture(plain, QSize(400, 300));
        const SlideshowPicture got = prepareSlideshowPicture(odd, QSize(400, 300));
        QVERIFY(got.error.isEmpty());
        // A quarter covers the 400 x 100 it is shown at; the whole area would have taken 1200 x 300.
        QCOMPARE(got.decoded.size(), QSize(400, 100));
        QCOMPARE(got.decoded.size(), wanted.decoded.size());
        QCOMPARE(got.shown.size(), QSize(400, 100));
    }

    // "Enregistrer une basse résolution" of a photo that does not decode leaves no folder behind.
    void aFailedLowQualitySaveLeavesNoFolder()
    {
        const QString broken = m_dir->filePath(QStringLiteral("broken.jpg"));
        QFile file(broken);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write("not a photo") > 0);
        file.close();
        m_photos = {broken, m_photos[0]};
        auto player = startedPlayer();
        m_ui.errors.clear();
        player->saveLowQualityCopy();
        QCOMPARE(m_ui.errors.size(), 1);
        QVERIFY2(m_ui.errors[0].startsWith(QStringLiteral("Erreur pendant la sauvegarde basse résolution (1). ")),
                 qPrintable(m_ui.errors[0]));
        QVERIFY(!FileSystem::exists(m_dir->filePath(QStringLiteral("Basse Resolution"))));
        QVERIFY(player->pacer().isCounting());
    }

    void unsavedTurnsDoNotAddUp()
    {
        auto player = startedPlayer();
        player->setSaveRotations(false);
        const QByteArray before = readAll(m_photos[0]);
        player->TournerPhoto(90);
        QCOMPARE(m_view.picture.size(), QSize(456, 600));
        QCOMPARE(m_view.picture.pixelColor(5, 5).red() > 200, true); // the red half is now on top
        player->TournerPhoto(90);
        QCOMPARE(m_view.picture.size(), QSize(456, 600)); // 90 again, not 180
        QCOMPARE(readAll(m_photos[0]), before);
        QVERIFY(!player->RotationEnCours());
    }

    void savedTurnsTurnTheFileAndItsLowQualityCopy()
    {
        auto player = startedPlayer();
        QVERIFY(player->saveRotations()); // ticked at start
        const QString lowQuality = NomBasseQualite(*m_settings, m_photos[0]);
        EnregistrerBasseQualite(*m_settings, m_photos[0], lowQuality, 0);
        QCOMPARE(storedSize(lowQuality), QSize(400, 304));

        player->TournerPhoto(90);
        QCOMPARE(storedSize(m_photos[0]), QSize(304, 400));
        QCOMPARE(storedSize(lowQuality), QSize(304, 400));
        player->TournerPhoto(90);
        QCOMPARE(storedSize(m_photos[0]), QSize(400, 304));
        QCOMPARE(m_view.picture.size(), QSize(789, 600));
        // Turned twice to the right: the red half is now on the right.
        QVERIFY(m_view.picture.pixelColor(m_view.picture.width() - 5, 300).red() > 200);
        const QImage onDisk = Imaging::loadPhoto(m_photos[0]).picture;
        QVERIFY(onDisk.pixelColor(onDisk.width() - 5, 150).red() > 200);
        QVERIFY(!player->RotationEnCours());
        QVERIFY(m_ui.errors.isEmpty());

        player->TournerPhoto(270);
        QCOMPARE(storedSize(m_photos[0]), QSize(304, 400));
    }

    void aFailedTurnLeavesThePlayerAsBefore()
    {
        auto player = startedPlayer();
        const QByteArray before = readAll(m_photos[0]);
        const QImage shownBefore = m_view.picture;
        {
            const TestSupport::FileSizeLimit limit(64);
            player->TournerPhoto(90);
        }
        QCOMPARE(m_ui.errors.size(), 1);
        QVERIFY(m_ui.errors[0].startsWith(QStringLiteral("Erreur pendant la rotation sans perte. ")));
        QCOMPARE(readAll(m_photos[0]), before);
        QCOMPARE(m_view.picture.size(), shownBefore.size()); // the screen shows the file as it is
        QVERIFY(!player->RotationEnCours());
        QVERIFY(!player->isBusy());
        QVERIFY(player->pacer().isCounting());
        // And the player goes on as usual.
        QVERIFY(displayNext(*player, &SlideshowPlayer::PhotoSuivante));
        QCOMPARE(player->IndicePhoto(), 1);
    }

    void theNextPhotoIsDecodedAhead()
    {
        auto player = startedPlayer();
        QTRY_VERIFY_WITH_TIMEOUT(player->loader().holdsAhead(m_photos[1], m_view.area), 10000);
        // Served from the look-ahead: shown on the next turn of the event loop.
        QVERIFY(displayNext(*player, &SlideshowPlayer::PhotoSuivante));
        QCOMPARE(m_view.picture.size(), QSize(456, 600));

        // A turn written to disk makes what was decoded ahead doubtful.
        QTRY_VERIFY_WITH_TIMEOUT(player->loader().holdsAhead(m_photos[2], m_view.area), 10000);
        player->TournerPhoto(90);
        QVERIFY(!player->loader().holdsAhead(m_photos[2], m_view.area));

        player->setLookAhead(false);
        QVERIFY(displayNext(*player, &SlideshowPlayer::backToStart));
        QTest::qWait(200);
        QVERIFY(!player->loader().holdsAhead(m_photos[1], m_view.area));
    }

    void aResizedAreaFitsThePhotoAgain()
    {
        auto player = startedPlayer();
        m_view.area = QSize(1000, 200);
        player->areaChanged();
        QCOMPARE(m_view.picture.size(), QSize(263, 200));
    }
};

QTEST_GUILESS_MAIN(TestSlideshowSequence)
#include "tst_slideshowsequence.moc"
