// The batch loop: counters, names, turns, deletion, the stop question, and what happens to the
// user's photos when something goes wrong in the middle of a card.
#include "core/workflows/batchtransfer.h"
#include "core/exif/exifdate.h"
#include "core/files/filename.h"
#include "core/files/filereplacement.h"
#include "core/files/filesystem.h"
#include "core/discovery/filtrephoto.h"
#include "core/discovery/recherchephotos.h"
#include "core/settings/paramappli.h"
#include "core/operations/photooperations.h"
#include "tests/batchrecorder.h"
#include "tests/cardworkspace.h"
#include "tests/testsupport.h"
#include "tools/democard.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <fcntl.h>
#include <sys/stat.h>

namespace {

QByteArray contentOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}


} // namespace

class TestBatchTransfer : public QObject {
    Q_OBJECT

    CardWorkspace m_work;

    BatchOptions options(const QString &theme = QStringLiteral("Noel")) const
    {
        BatchOptions o;
        o.destination = m_work.destination();
        o.theme = theme;
        return o;
    }

private slots:
    void initTestCase() { TestSupport::isolateEnvironment(); }

    void init() { m_work.open(); }
    void cleanup() { m_work.close(); }

    void countersNamesAndDeletion()
    {
        m_work.makeCard(3);
        m_work.settings->MasqueNomPhoto = QStringLiteral("#THEME #CPT3");
        m_work.settings->SupprimerPhoto = true;
        QStringList photos = m_work.card.photos;
        const QList<QByteArray> originals = {contentOf(photos[0]), contentOf(photos[1]), contentOf(photos[2])};
        BatchTransfer batch(*m_work.settings, m_work.ui, photos, options());
        BatchRecorder recorder;
        const BatchTransfer::Result result = batch.run(&recorder);

        QCOMPARE(result.end, BatchTransfer::End::Completed);
        QCOMPARE(result.failures, 0);
        QCOMPARE(recorder.started.size(), 3);
        for (int i = 0; i < 3; ++i) {
            QCOMPARE(recorder.started[i].number, i + 1);
            QCOMPARE(recorder.started[i].total, 3);
            QCOMPARE(recorder.started[i].destination, m_work.destination() + QStringLiteral("Noel 00%1.JPG").arg(i + 1));
        }
        // Each source went after its copy; the list lost their entries; the copies are the photos.
        QVERIFY(photos.isEmpty());
        for (const QString &source : m_work.card.photos)
            QVERIFY(!QFile::exists(source));
        QCOMPARE(batch.PhotosTransferees().size(), 3);
        QCOMPARE(contentOf(batch.PhotosTransferees().at(1)), originals[1]);
        QVERIFY(result.slideshowWanted); // Executer is on by default
        QVERIFY(m_work.ui.errors.isEmpty() && m_work.ui.information.isEmpty() && m_work.ui.confirmations.isEmpty());
    }

    void automaticTurnFollowsTheSetting()
    {
        m_work.makeCard(3); // photo 3 is recorded "right-top (6)"
        QVERIFY(m_work.card.orientation6.contains(m_work.card.photos[2]));
        for (const bool turn : {true, false}) {
            QDir(m_work.destination()).removeRecursively();
            m_work.settings->RotationAuto = turn;
            QStringList photos = m_work.card.photos;
            BatchTransfer batch(*m_work.settings, m_work.ui, photos, options());
            BatchRecorder recorder;
            batch.run(&recorder);
            const BatchPhoto &third = recorder.started.at(2);
            QCOMPARE(third.angle, turn ? 90 : 0);
            QVERIFY(!third.thumbnail.isNull());
            // The thumbnail is shown upright; the copy was turned without loss, or not at all.
            QCOMPARE(third.thumbnail.height() > third.thumbnail.width(), turn);
            const QSize written = QImageReader(third.destination).size();
            QCOMPARE(written.height() > written.width(), turn);
            QCOMPARE(recorder.started.at(0).angle, 0);
        }
    }

    void datesComeFromExifElseFromTheFile()
    {
        m_work.makeCard(3); // photo 2 has no EXIF at all
        QStringList photos = m_work.card.photos;
        BatchTransfer batch(*m_work.settings, m_work.ui, photos, options());
        BatchRecorder recorder;
        batch.run(&recorder);
        const BatchPhoto &plain = recorder.started.at(1);
        QCOMPARE(plain.date, ExifDate::fileDate(m_work.card.photos[1]));
        QCOMPARE(BatchTransfer::formatDate(38031.4376388889), QStringLiteral("samedi 14 février 2004 à 10:30:12"));
    }

    void lowQualityOnlyLeavesTheCard()
    {
        m_work.makeCard(3);
        m_work.settings->SupprimerPhoto = true; // never applies in this mode
        QStringList photos = m_work.card.photos;
        BatchOptions o = options();
        o.lowQualityOnly = true;
        BatchTransfer batch(*m_work.settings, m_work.ui, photos, o);
        const BatchTransfer::Result result = batch.run();
        QCOMPARE(photos, m_work.card.photos);
        for (const QString &source : m_work.card.photos)
            QVERIFY(QFile::exists(source));
        QCOMPARE(batch.PhotosTransferees().size(), 3);
        for (const QString &copy : batch.PhotosTransferees()) {
            QVERIFY(copy.startsWith(m_work.destination() + QStringLiteral("Basse Resolution/")));
            QVERIFY(copy.endsWith(QStringLiteral(" Low.JPG")));
            QVERIFY(QFile::exists(copy));
        }
        QVERIFY(!QFile::exists(m_work.destination() + QStringLiteral("2024-07-12 - Noel 1.JPG")));
        QCOMPARE(result.failures, 0);
    }

    void aFailedLowQualityCopyDoesNotEndTheBatch()
    {
        m_work.makeCard(3);
        QFile::resize(m_work.card.photos[1], 100); // a damaged photo in the middle of the card
        QStringList photos = m_work.card.photos;
        BatchOptions o = options();
        o.lowQualityOnly = true;
        BatchTransfer batch(*m_work.settings, m_work.ui, photos, o);
        const BatchTransfer::Result result = batch.run();
        QCOMPARE(result.end, BatchTransfer::End::Completed);
        QCOMPARE(result.failures, 1);
        QCOMPARE(batch.PhotosTransferees().size(), 2); // only what exists
        for (const QString &copy : batch.PhotosTransferees())
            QVERIFY(QFile::exists(copy));
        QVERIFY(m_work.ui.errors.last().startsWith(QStringLiteral("Erreur pendant la sauvegarde basse résolution")));
    }

    void aDamagedPhotoIsStillCopiedByteForByte()
    {
        m_work.makeCard(3);
        m_work.settings->SupprimerPhoto = true;
        QFile::resize(m_work.card.photos[1], 200);
        const QByteArray damaged = contentOf(m_work.card.photos[1]);
        QStringList photos = m_work.card.photos;
        BatchTransfer batch(*m_work.settings, m_work.ui, photos, options());
        BatchRecorder recorder;
        const BatchTransfer::Result result = batch.run(&recorder);
        QCOMPARE(result.failures, 0);
        QCOMPARE(m_work.ui.errors.size(), 1);
        QVERIFY(m_work.ui.errors[0].startsWith(QStringLiteral("Erreur lors de l'ouverture du fichier ") + m_work.card.photos[1]
                                          + QStringLiteral(".\r")));
        QVERIFY(recorder.started[1].thumbnail.isNull());
        QCOMPARE(contentOf(recorder.started[1].destination), damaged);
        QVERIFY(photos.isEmpty());
    }

    void photosReadAheadAreStillReportedInListOrder()
    {
        m_work.makeCard(4); // photo 3 is recorded "right-top (6)"
        m_work.settings->RotationAuto = true;
        QFile::resize(m_work.card.photos[1], 200); // does not open: its message belongs to its turn
        QStringList photos = m_work.card.photos;
        BatchOptions o = options();
        o.lowQuality = true;
        BatchTransfer batch(*m_work.settings, m_work.ui, photos, o);
        QStringList events;
        BatchRecorder recorder;
        recorder.afterPhoto = [&](const BatchPhoto &photo) {
            events << QStringLiteral("%1: %2 + %3").arg(photo.number).arg(m_work.ui.errors.size()).arg(m_work.ui.information.size());
        };
        batch.run(&recorder);
        // Photo 2 does not open (an error) and has no low-quality copy (its transfer's message).
        QCOMPARE(events, (QStringList{QStringLiteral("1: 0 + 0"), QStringLiteral("2: 1 + 1"), QStringLiteral("3: 1 + 1"),
                                      QStringLiteral("4: 1 + 1")}));
        for (int i = 0; i < 4; ++i) {
            QCOMPARE(recorder.started[i].number, i + 1);
            QCOMPARE(recorder.started[i].source, m_work.card.photos[i]);
        }
        // Each photo got its own low-quality copy, turned as the photo was: the one read ahead
        // is never the one written for another photo.
        const QString third = recorder.started[2].destination;
        const QSize turned = QImageReader(NomBasseQualite(*m_work.settings, third)).size();
        const QSize plain = QImageReader(NomBasseQualite(*m_work.settings, recorder.started[3].destination)).size();
        QVERIFY(turned.height() > turned.width());
        QVERIFY(plain.width() > plain.height());
        QVERIFY(m_work.ui.errors[0].contains(m_work.card.photos[1]));
        QVERIFY2(m_work.ui.information[0].contains(QStringLiteral("Erreur pendant la sauvegarde basse résolution (1)")),
                 qPrintable(m_work.ui.information[0]));
    }

    void onlyFilesThatExistAreListed()
    {
        m_work.makeCard(2);
        // The low-quality folder is a file: each photo is copied, then its low-quality copy fails.
        QVERIFY(QDir().mkpath(m_work.destination()));
        QFile blocker(m_work.destination() + QStringLiteral("Basse Resolution"));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        m_work.settings->SupprimerPhoto = true;
        QStringList photos = m_work.card.photos;
        BatchOptions o = options();
        o.lowQuality = true;
        BatchTransfer batch(*m_work.settings, m_work.ui, photos, o);
        const BatchTransfer::Result result = batch.run();
        QCOMPARE(result.failures, 2);
        QCOMPARE(m_work.ui.information.size(), 2); // the transfer's own message, once per photo
        QCOMPARE(batch.PhotosTransferees().size(), 2);
        for (const QString &copy : batch.PhotosTransferees())
            QVERIFY(QFile::exists(copy));
        QCOMPARE(photos, m_work.card.photos); // failed transfers delete nothing
        for (const QString &source : m_work.card.photos)
            QVERIFY(QFile::exists(source));

        // A destination that cannot be written at all lists nothing.
        QDir(m_work.destination()).removeRecursively();
        QFile wall(m_work.path(QStringLiteral("dest")));
        QVERIFY(wall.open(QIODevice::WriteOnly));
        wall.close();
        BatchTransfer blocked(*m_work.settings, m_work.ui, photos, options());
        QCOMPARE(blocked.run().failures, 2);
        QVERIFY(blocked.PhotosTransferees().isEmpty());
    }

    void stopAnsweredNoThenYes()
    {
        m_work.makeCard(4);
        QStringList photos = m_work.card.photos;
        BatchTransfer batch(*m_work.settings, m_work.ui, photos, options());
        BatchRecorder recorder;
        recorder.afterPhoto = [&](const BatchPhoto &photo) {
            if (photo.number == 1 || photo.number == 3)
                batch.requestStop();
        };
        m_work.ui.answers = {false, true, false}; // go on; then stop, and no slideshow
        const BatchTransfer::Result result = batch.run(&recorder);
        QCOMPARE(result.end, BatchTransfer::End::Stopped);
        QCOMPARE(recorder.started.size(), 3);
        QCOMPARE(m_work.ui.confirmations,
                 QStringList({QStringLiteral("Confirmez-vous l'arrêt du transfert ?"),
                              QStringLiteral("Confirmez-vous l'arrêt du transfert ?"),
                              QStringLiteral("Voulez vous avoir un diaporama des photos transférées ?")}));
        QVERIFY(!result.slideshowWanted);
        QCOMPARE(batch.PhotosTransferees().size(), 3);
    }

    void stopDuringTheLastPhotoStillAsks()
    {
        m_work.makeCard(2);
        QStringList photos = m_work.card.photos;
        BatchTransfer batch(*m_work.settings, m_work.ui, photos, options());
        BatchRecorder recorder;
        recorder.afterPhoto = [&](const BatchPhoto &photo) {
            if (photo.number == 2)
                batch.requestStop();
        };
        m_work.ui.answers = {true, false};
        const BatchTransfer::Result result = batch.run(&recorder);
        QCOMPARE(result.end, BatchTransfer::End::Stopped);
        QCOMPARE(m_work.ui.confirmations.size(), 2);
        QVERIFY(!result.slideshowWanted); // although Executer is on

        // Stopped with a yes to the slideshow question.
        QDir(m_work.destination()).removeRecursively();
        RecordingUserInterface ui;
        ui.answers = {true, true};
        QStringList again = m_work.card.photos;
        BatchTransfer second(*m_work.settings, ui, again, options());
        second.requestStop();
        QVERIFY(second.run().slideshowWanted);

        // A signal stops without any question.
        RecordingUserInterface quiet;
        BatchTransfer third(*m_work.settings, quiet, again, options());
        third.requestStop(BatchTransfer::StopKind::Immediate);
        QCOMPARE(third.run().end, BatchTransfer::End::Stopped);
        QVERIFY(quiet.confirmations.isEmpty());
        QCOMPARE(third.NumeroPhoto(), 1);
    }

    void aFullDestinationStopsTheBatchOnce()
    {
        DemoCard::Options big;
        big.count = 4;
        big.size = QSize(2048, 1536); // about a megabyte a photo
        m_work.card = DemoCard::write(m_work.path(QStringLiteral("card")), big);
        const TestSupport::FatVolume volume(m_work.path(QStringLiteral("stick.img")), m_work.path(QStringLiteral("stick")), QStringLiteral("2M"));
        if (!volume.mounted())
            QSKIP("mkfs.vfat and fusefat are needed for a small volume to fill");
        m_work.settings->SupprimerPhoto = true;
        QStringList photos = m_work.card.photos;
        BatchOptions o = options();
        o.destination = m_work.path(QStringLiteral("stick/"));
        BatchTransfer batch(*m_work.settings, m_work.ui, photos, o);
        BatchRecorder recorder;
        const BatchTransfer::Result result = batch.run(&recorder);
        QCOMPARE(result.end, BatchTransfer::End::Aborted);
        QCOMPARE(m_work.ui.errors.size(), 1); // one message, not one per photo left
        QVERIFY(m_work.ui.errors[0].contains(QStringLiteral("le disque de destination est plein")));
        QVERIFY(m_work.ui.information.isEmpty());
        // Whatever was written is whole, and every photo not written is still on the card.
        for (const QString &copy : batch.PhotosTransferees())
            QVERIFY(QFileInfo(copy).size() > 0);
        QCOMPARE(photos.size() + batch.PhotosTransferees().size(), 4);
        for (const QString &source : photos)
            QVERIFY(QFile::exists(source));
        QCOMPARE(recorder.started.size(), batch.PhotosTransferees().size() + 1);
    }

    void commandLine()
    {
        m_work.makeCard(6);
        QStringList photos = m_work.card.photos;
        QString out, err;
        QCOMPARE(TestSupport::runCli({QStringLiteral("batch"), QStringLiteral("--settings-dir"), m_work.path(QStringLiteral("settings")),
                                      m_work.path(QStringLiteral("card"))}, &out, &err), 2);
        QVERIFY(err.contains(QStringLiteral("Utilisation : lumaro-cli batch")));

        // Deletion on, extra files listed after "--", progress and the slideshow list apart.
        QDir().mkpath(m_work.path(QStringLiteral("settings")));
        QFile ini(m_work.path(QStringLiteral("settings/Lumaro.ini")));
        QVERIFY(ini.open(QIODevice::WriteOnly));
        ini.write(QStringLiteral("[General]\r\nSupprimerPhoto=1\r\nExtensionSupp=AVI;GIF\r\nRepertoireAIgnorer=%1\r\n")
                      .arg(m_work.card.thumbnailFolder).toUtf8());
        ini.close();
        const int code = TestSupport::runCli({QStringLiteral("batch"), QStringLiteral("--settings-dir"),
                                              m_work.path(QStringLiteral("settings")), QStringLiteral("--theme"),
                                              QStringLiteral("Mer"), m_work.path(QStringLiteral("card")), m_work.destination()},
                                             &out, &err);
        QCOMPARE(code, 0);
        const QStringList lines = out.split(u'\n', Qt::SkipEmptyParts);
        const qsizetype separator = lines.indexOf(QStringLiteral("--"));
        QCOMPARE(separator, 6);
        for (qsizetype i = 0; i < separator; ++i) {
            QVERIFY(lines[i].startsWith(m_work.destination()));
            QVERIFY(QFile::exists(lines[i]));
        }
        QCOMPARE(lines.size() - separator - 1, m_work.card.extraFiles.size());
        QVERIFY(err.contains(QStringLiteral("transfert de la photo 3 sur 6 : IMG_0003.JPG -> 2024-07-13 - Mer ")));
        for (const QString &source : m_work.card.photos)
            QVERIFY(!QFile::exists(source));
    }

    void interruptedCommandLine()
    {
        DemoCard::Options options;
        options.count = 40;
        options.size = QSize(2048, 1536);
        m_work.card = DemoCard::write(m_work.path(QStringLiteral("card")), options);
        QDir().mkpath(m_work.path(QStringLiteral("settings")));
        QFile ini(m_work.path(QStringLiteral("settings/Lumaro.ini")));
        QVERIFY(ini.open(QIODevice::WriteOnly));
        ini.write(QStringLiteral("[General]\r\nSupprimerPhoto=1\r\nRepertoireAIgnorer=%1\r\n").arg(m_work.card.thumbnailFolder).toUtf8());
        ini.close();

        QProcess cli;
        // Low-quality copies make each photo take long enough for the signal to come mid-card.
        cli.start(TestSupport::cliPath(), {QStringLiteral("batch"), QStringLiteral("--low"), QStringLiteral("--settings-dir"),
                                           m_work.path(QStringLiteral("settings")), m_work.path(QStringLiteral("card")), m_work.destination()});
        QVERIFY(cli.waitForStarted());
        cli.setReadChannel(QProcess::StandardError); // the progress, line by line
        QByteArray err;
        while (!err.contains("transfert de la photo 3 sur") && cli.state() == QProcess::Running) {
            cli.waitForReadyRead(5000);
            err += cli.readAllStandardError();
        }
        ::kill(pid_t(cli.processId()), SIGINT);
        QVERIFY(cli.waitForFinished(60000));
        QCOMPARE(cli.exitStatus(), QProcess::NormalExit);
        QCOMPARE(cli.exitCode(), 130);
        const QStringList written = QString::fromUtf8(cli.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
        const qsizetype listed = written.indexOf(QStringLiteral("--"));
        QVERIFY(listed >= 3 && listed < 40);
        // Every photo is either still on the card or written whole; nothing is half-written.
        int onCard = 0;
        for (const QString &source : m_work.card.photos)
            onCard += QFile::exists(source) ? 1 : 0;
        QCOMPARE(onCard + listed, 40);
        for (qsizetype i = 0; i < listed; ++i)
            QVERIFY(!QImageReader(written[i]).read().isNull());
        QCOMPARE(QDir(m_work.destination()).entryList(QDir::Files | QDir::Hidden).size(), listed);
        QCOMPARE(QDir(m_work.destination() + QStringLiteral("Basse Resolution")).entryList(QDir::Files | QDir::Hidden).size(), listed);
    }

    void aFatCardKeepsItsHistoryWhereverItIsMounted()
    {
        const QString image = m_work.path(QStringLiteral("card.img"));
        QStringList first;
        {
            const TestSupport::FatVolume card(image, m_work.path(QStringLiteral("media/CARD")), QStringLiteral("32M"));
            if (!card.mounted())
                QSKIP("mkfs.vfat and fusefat are needed for a FAT card");
            DemoCard::Options small;
            small.count = 4;
            small.size = QSize(320, 240);
            const DemoCard::Contents demo = DemoCard::write(m_work.path(QStringLiteral("media/CARD")), small);
            m_work.settings->RepertoireAIgnorer = demo.thumbnailFolder;
            m_work.settings->SupprimerPhoto = true;
            TFiltrePhoto filter(m_work.path(QStringLiteral("settings/")));
            filter.NouvellePhoto = true;
            QStringList extra;
            RechercherPhotos(m_work.path(QStringLiteral("media/CARD/")), true, filter, extra, first, *m_work.settings, m_work.ui,
                             VolumeLocator(TestSupport::mountTable(m_work.path(QStringLiteral("media/CARD")), image)));
            QCOMPARE(first.size(), 4);
            // The serial comes from the UUID "1234-ABCD" that libblkid reads on the image the table names.
            QVERIFY(QFile::exists(m_work.path(QStringLiteral("settings/Histo/305441741-.txt"))));
            // Half the photos go; FAT keeps file times to two seconds, and so do the copies.
            QStringList two = first.mid(0, 2);
            BatchTransfer batch(*m_work.settings, m_work.ui, two, options());
            QCOMPARE(batch.run().failures, 0);
            QVERIFY(two.isEmpty());
            for (const QString &copy : batch.PhotosTransferees())
                QCOMPARE(QFileInfo(copy).lastModified().time().second() % 2, 0);
        }
        // The same card elsewhere: only the photos that were not there before are new.
        const TestSupport::FatVolume again(image, m_work.path(QStringLiteral("other/mount")));
        QVERIFY(again.mounted());
        QVERIFY(QDir(m_work.path(QStringLiteral("other/mount/DCIM"))).exists());
        m_work.settings->RepertoireAIgnorer = m_work.path(QStringLiteral("other/mount/DCIM/100DEMO/MINIATURES"));
        TFiltrePhoto filter(m_work.path(QStringLiteral("settings/")));
        filter.NouvellePhoto = true;
        QStringList later, extra;
        RechercherPhotos(m_work.path(QStringLiteral("other/mount/")), true, filter, extra, later, *m_work.settings, m_work.ui,
                         VolumeLocator(TestSupport::mountTable(m_work.path(QStringLiteral("other/mount")), image)));
        QVERIFY2(later.isEmpty(), qPrintable(later.join(u' ')));
    }

    void aNameLeavingTheDestinationFailsThatPhotoOnly()
    {
        m_work.makeCard(2);
        m_work.settings->SupprimerPhoto = true;
        m_work.settings->MasqueNomPhoto = QStringLiteral("#THEME #N");
        for (const bool lowOnly : {false, true}) {
            QStringList photos = m_work.card.photos;
            BatchOptions o = options(QStringLiteral("../../../../x"));
            o.lowQualityOnly = lowOnly;
            RecordingUserInterface ui;
            BatchTransfer batch(*m_work.settings, ui, photos, o);
            const BatchTransfer::Result result = batch.run();
            QCOMPARE(result.end, BatchTransfer::End::Completed);
            QCOMPARE(result.failures, 2);
            QVERIFY(batch.PhotosTransferees().isEmpty());
            QCOMPARE(photos, m_work.card.photos);
            const QString message = (ui.information + ui.errors).value(0);
            QVERIFY2(message.endsWith(QStringLiteral(" sort du répertoire de destination.")), qPrintable(message));
            QVERIFY(!QFile::exists(m_work.path(QStringLiteral("x 1.JPG"))) && !QDir(m_work.root() + QStringLiteral("/../x 1.JPG")).exists());
        }
        for (const QString &source : m_work.card.photos)
            QVERIFY(QFile::exists(source));
    }

    void leftoversOfAnInterruptedRunGo()
    {
        m_work.makeCard(1);
        QVERIFY(QDir().mkpath(m_work.destination()));
        const QString leftover = m_work.destination() + QStringLiteral(".lumaro-abcd1234.tmp");
        QFile file(leftover);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("half a photo");
        file.close();
        // A write under way in the same folder (another program) holds its file: it stays.
        FileReplacement live(m_work.destination() + QStringLiteral("autre.JPG"));
        QVERIFY(live.isOpen());
        const struct timespec old[2] = {{0, UTIME_OMIT}, {::time(nullptr) - 60, 0}};
        for (const QString &path : {leftover, live.temporaryPath()})
            QCOMPARE(::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), old, 0), 0);
        QStringList photos = m_work.card.photos;
        BatchTransfer batch(*m_work.settings, m_work.ui, photos, options());
        QCOMPARE(batch.run().failures, 0);
        QVERIFY(!QFile::exists(leftover));
        QVERIFY(QFile::exists(live.temporaryPath()));
    }

    void aPulledCardStopsTheBatchOnce()
    {
        m_work.makeCard(5);
        m_work.settings->SupprimerPhoto = true;
        QStringList photos = m_work.card.photos;
        BatchTransfer batch(*m_work.settings, m_work.ui, photos, options());
        BatchRecorder recorder;
        recorder.afterPhoto = [&](const BatchPhoto &photo) {
            if (photo.number == 2) // the card goes, with the photos not yet transferred
                QDir(m_work.path(QStringLiteral("card"))).removeRecursively();
        };
        const BatchTransfer::Result result = batch.run(&recorder);
        QCOMPARE(result.end, BatchTransfer::End::Aborted);
        QVERIFY(!result.slideshowWanted);
        QCOMPARE(recorder.started.size(), 2);
        QCOMPARE(m_work.ui.errors.size(), 1);
        QVERIFY(m_work.ui.errors[0].contains(QStringLiteral("n'est plus accessible")));
        QCOMPARE(batch.PhotosTransferees().size(), 2);
        QCOMPARE(photos.size(), 3);
    }

    // A card written by another system may name a folder or a photo with bytes that are not
    // UTF-8: its photos are found, copied and deleted like any other, and lumaro-cli prints
    // their names with those very bytes.
    void namesThatAreNotUtf8()
    {
        m_work.makeCard(6);
        const QByteArray folders = FileName::encode(m_work.path(QStringLiteral("card/DCIM/")));
        QCOMPARE(::rename(folders + "101DEMO", folders + "101D\xE9MO"), 0);
        const QString oddFolder = FileName::decode(QByteArray("101D\xE9MO"));
        QStringList photos = m_work.card.photos;
        photos.replaceInStrings(QStringLiteral("/101DEMO/"), u'/' + oddFolder + u'/');
        const QStringList sources = photos;
        m_work.settings->SupprimerPhoto = true;
        BatchTransfer batch(*m_work.settings, m_work.ui, photos, options());
        const BatchTransfer::Result result = batch.run();
        QVERIFY2(m_work.ui.errors.isEmpty(), qPrintable(m_work.ui.errors.join(u'\n')));
        QCOMPARE(result.end, BatchTransfer::End::Completed);
        QCOMPARE(result.failures, 0);
        QCOMPARE(batch.PhotosTransferees().size(), 6);
        QVERIFY(photos.isEmpty());
        for (const QString &source : sources)
            QVERIFY(!FileSystem::exists(source));

        // The same through lumaro-cli, with a photo whose own name is not UTF-8 kept by #ORIG.
        DemoCard::Options small;
        small.count = 6;
        small.size = QSize(320, 240);
        const DemoCard::Contents card = DemoCard::write(m_work.path(QStringLiteral("card2")), small);
        const QByteArray cardFolders = FileName::encode(m_work.path(QStringLiteral("card2/DCIM/")));
        QCOMPARE(::rename(cardFolders + "101DEMO", cardFolders + "101D\xE9MO"), 0);
        QCOMPARE(::rename(cardFolders + "101D\xE9MO/IMG_0005.JPG", cardFolders + "101D\xE9MO/c\xFF.JPG"), 0);
        QVERIFY(TestSupport::writeFile(m_work.path(QStringLiteral("settings/Lumaro.ini")),
                                       QStringLiteral("[General]\r\nSupprimerPhoto=1\r\nMasqueNomPhoto=#ORIG\r\n"
                                                      "RepertoireAIgnorer=%1\r\n")
                                           .arg(card.thumbnailFolder)
                                           .toUtf8()));
        const TestSupport::CliRun run = TestSupport::runCliRaw(
            {QStringLiteral("batch"), QStringLiteral("--settings-dir"), m_work.path(QStringLiteral("settings")),
             m_work.path(QStringLiteral("card2")), m_work.path(QStringLiteral("cli"))});
        QVERIFY2(run.exitCode == 0, run.err.constData());
        const QList<QByteArray> lines = run.out.split('\n');
        const qsizetype separator = lines.indexOf("--");
        QCOMPARE(separator, 6);
        for (qsizetype i = 0; i < separator; ++i)
            QVERIFY2(FileSystem::isFile(FileName::decode(lines[i])), lines[i].constData());
        QVERIFY(lines.contains(FileName::encode(m_work.path(QStringLiteral("cli/"))) + "c\xFF.JPG"));
        // No character standing for a byte ever leaves as its UTF-8 form (EF 9E xx, EF 9F xx).
        QVERIFY(!run.out.contains("\xEF\x9E") && !run.out.contains("\xEF\x9F"));
        QVERIFY(!run.err.contains("\xEF\x9E") && !run.err.contains("\xEF\x9F"));
        QVERIFY2(run.err.contains(" : c\xFF.JPG -> c\xFF.JPG\n"), run.err.constData());
        QVERIFY(!FileSystem::exists(FileName::decode(cardFolders + "101D\xE9MO/c\xFF.JPG")));
    }
};

QTEST_GUILESS_MAIN(TestBatchTransfer)
#include "tst_batchtransfer.moc"
