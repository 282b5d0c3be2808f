// The batch writes several photos ahead of the one whose turn it is. Whatever it does ahead,
// the user must see what a batch writing one photo at a time would give: the same names, no
// photo written over another, and after a stop or a failure nothing of what was done ahead.
#include "core/discovery/filtrephoto.h"
#include "core/discovery/recherchephotos.h"
#include "core/files/filesystem.h"
#include "core/settings/paramappli.h"
#include "core/workflows/batchtransfer.h"
#include "tests/batchrecorder.h"
#include "tests/cardworkspace.h"
#include "tests/testsupport.h"

#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QThread>
#include <QtTest>

namespace {


// What is below the folder (files, or folders), by path relative to it.
QStringList below(const QString &folder, QDir::Filters kind = QDir::Files)
{
    QStringList found;
    QDirIterator it(folder, kind | QDir::Hidden | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext())
        found << QDir(folder).relativeFilePath(it.next());
    found.sort();
    return found;
}

QByteArray digestOf(const QString &path)
{
    return QCryptographicHash::hash(TestSupport::readFile(path), QCryptographicHash::Sha256);
}

QStringList fileNames(const QList<BatchPhoto> &photos)
{
    QStringList names;
    for (const BatchPhoto &photo : photos)
        names << QFileInfo(photo.destination).fileName();
    return names;
}

} // namespace

class TestBatchInFlight : public QObject {
    Q_OBJECT

    CardWorkspace m_work;

    BatchOptions options() const
    {
        BatchOptions o;
        o.destination = m_work.destination();
        o.theme = QStringLiteral("Noel");
        o.thumbnails = false;
        return o;
    }

private slots:
    void initTestCase() { TestSupport::isolateEnvironment(); }
    void init()
    {
        m_work.open();
        m_work.settings->SupprimerPhoto = true;
    }
    void cleanup() { m_work.close(); }

    // One name for every photo: each takes the next free one, as when they came one by one,
    // and none replaces another although several are written at once.
    void photosInFlightNeverShareAName_data()
    {
        QTest::addColumn<QString>("mask");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("taken names numbered")
            << QStringLiteral("#THEME")
            << QStringList{QStringLiteral("Noel.JPG"), QStringLiteral("Noel - 1.JPG"), QStringLiteral("Noel - 2.JPG"),
                           QStringLiteral("Noel - 3.JPG"), QStringLiteral("Noel - 4.JPG"), QStringLiteral("Noel - 5.JPG"),
                           QStringLiteral("Noel - 6.JPG"), QStringLiteral("Noel - 7.JPG"), QStringLiteral("Noel - 8.JPG")};
        QTest::newRow("smallest free number")
            << QStringLiteral("#THEME #N2")
            << QStringList{QStringLiteral("Noel 01.JPG"), QStringLiteral("Noel 02.JPG"), QStringLiteral("Noel 03.JPG"),
                           QStringLiteral("Noel 04.JPG"), QStringLiteral("Noel 05.JPG"), QStringLiteral("Noel 06.JPG"),
                           QStringLiteral("Noel 07.JPG"), QStringLiteral("Noel 08.JPG"), QStringLiteral("Noel 09.JPG")};
    }
    void photosInFlightNeverShareAName()
    {
        QFETCH(QString, mask);
        QFETCH(QStringList, expected);
        m_work.makeCard(9);
        m_work.settings->MasqueNomPhoto = mask;
        QSet<QByteArray> sources;
        for (const QString &photo : std::as_const(m_work.card.photos))
            sources.insert(digestOf(photo));
        QStringList photos = m_work.card.photos;
        BatchTransfer batch(*m_work.settings, m_work.ui, photos, options());
        BatchRecorder recorder;
        QCOMPARE(batch.run(&recorder).failures, 0);
        QCOMPARE(fileNames(recorder.started), expected);
        QStringList sorted = expected;
        sorted.sort();
        QCOMPARE(below(m_work.destination()), sorted);
        // Every photo of the card is there once, whole.
        QSet<QByteArray> copies;
        for (const QString &name : expected)
            copies.insert(digestOf(m_work.destination() + name));
        QCOMPARE(copies, sources);
        QVERIFY(photos.isEmpty());
    }

    // The third photo cannot be read: the photos written ahead behind it had names chosen
    // while its own was promised; they are named again, as if the batch went one by one.
    void aFailureInTheMiddleGivesTheNamesOfOneAtATime()
    {
        m_work.makeCard(8);
        m_work.settings->MasqueNomPhoto = QStringLiteral("#THEME");
        const QString broken = m_work.card.photos.at(2);
        QVERIFY(QFile::remove(broken));
        QVERIFY(QFile::link(m_work.path(QStringLiteral("nowhere.JPG")), broken));
        QStringList photos = m_work.card.photos;
        BatchTransfer batch(*m_work.settings, m_work.ui, photos, options());
        BatchRecorder recorder;
        const BatchTransfer::Result result = batch.run(&recorder);
        QCOMPARE(result.end, BatchTransfer::End::Completed);
        QCOMPARE(result.failures, 1);
        QCOMPARE(recorder.finished, (QList<bool>{true, true, false, true, true, true, true, true}));
        // The fourth photo takes the name the third could not use.
        QCOMPARE(fileNames(recorder.started),
                 (QStringList{QStringLiteral("Noel.JPG"), QStringLiteral("Noel - 1.JPG"), QStringLiteral("Noel - 2.JPG"),
                              QStringLiteral("Noel - 2.JPG"), QStringLiteral("Noel - 3.JPG"), QStringLiteral("Noel - 4.JPG"),
                              QStringLiteral("Noel - 5.JPG"), QStringLiteral("Noel - 6.JPG")}));
        QCOMPARE(below(m_work.destination()).size(), 7);
        QCOMPARE(photos, QStringList{broken});
        QCOMPARE(m_work.ui.information.size(), 1);
    }

    // Stopped after the second photo while the next ones were written ahead (into folders of
    // their own days): the destination holds the two photos and nothing else, no file under a
    // temporary name, no empty folder; the other photos are still on the card.
    void aStopTakesBackWhatWasWrittenAhead()
    {
        m_work.makeCard(8);
        m_work.settings->RepertoireSpecif = true;
        m_work.settings->MasqueRepertoire = QStringLiteral("#AAAA-#MM-#JJ");
        QStringList photos = m_work.card.photos;
        BatchTransfer batch(*m_work.settings, m_work.ui, photos, options());
        BatchRecorder recorder;
        recorder.afterPhoto = [&](const BatchPhoto &photo) {
            if (photo.number == 2) {
                // Time for the photos behind to be written ahead.
                QThread::msleep(300);
                batch.requestStop();
            }
        };
        m_work.ui.answers = {true, false}; // stop, and no slideshow
        const BatchTransfer::Result result = batch.run(&recorder);
        QCOMPARE(result.end, BatchTransfer::End::Stopped);
        QCOMPARE(recorder.started.size(), 2);
        QCOMPARE(batch.PhotosTransferees().size(), 2);
        QStringList written;
        for (const QString &path : batch.PhotosTransferees())
            written << QDir(m_work.destination()).relativeFilePath(path);
        written.sort();
        QCOMPARE(below(m_work.destination()), written);
        QStringList folders;
        for (const QString &path : std::as_const(written))
            folders << QFileInfo(path).path();
        folders.removeDuplicates();
        QCOMPARE(below(m_work.destination(), QDir::Dirs), folders);
        QCOMPARE(photos, m_work.card.photos.mid(2));
        for (const QString &photo : std::as_const(photos))
            QVERIFY(QFile::exists(photo));
    }

    // #ORIG names that differ only in letter case: two files on this disk, one on a card's
    // file system, where the second must take another name rather than replace the first.
    void namesThatDifferInCaseOnly()
    {
        m_work.makeCard(4);
        m_work.settings->MasqueNomPhoto = QStringLiteral("#ORIG");
        m_work.settings->SupprimerPhoto = false; // the same photos go twice
        QStringList sources = m_work.card.photos;
        const QString first = QFileInfo(sources.at(0)).completeBaseName();
        const QString other = QFileInfo(sources.at(1)).path() + u'/' + first.toLower() + QStringLiteral(".jpg");
        QVERIFY(QFile::rename(sources.at(1), other));
        sources[1] = other;
        QSet<QByteArray> digests;
        for (const QString &photo : std::as_const(sources))
            digests.insert(digestOf(photo));

        QStringList photos = sources;
        {
            BatchTransfer batch(*m_work.settings, m_work.ui, photos, options());
            BatchRecorder recorder;
            QCOMPARE(batch.run(&recorder).failures, 0);
            QCOMPARE(fileNames(recorder.started).mid(0, 2),
                     (QStringList{first + QStringLiteral(".JPG"), first.toLower() + QStringLiteral(".JPG")}));
        }

        const TestSupport::FatVolume stick(m_work.path(QStringLiteral("stick.img")), m_work.path(QStringLiteral("stick")),
                                           QStringLiteral("160M")); // room to write ahead
        if (!stick.mounted())
            QSKIP("mkfs.vfat and fusefat are needed for a volume that ignores letter case");
        BatchOptions onFat = options();
        onFat.destination = m_work.path(QStringLiteral("stick/"));
        photos = sources;
        BatchTransfer batch(*m_work.settings, m_work.ui, photos, onFat);
        BatchRecorder recorder;
        QCOMPARE(batch.run(&recorder).failures, 0);
        QCOMPARE(fileNames(recorder.started).at(1), first.toLower() + QStringLiteral(" - 1.JPG"));
        QSet<QByteArray> onStick;
        for (const QString &name : below(onFat.destination))
            onStick.insert(digestOf(onFat.destination + name));
        QCOMPARE(onStick, digests);
    }
};

QTEST_GUILESS_MAIN(TestBatchInFlight)
#include "tst_batchinflight.moc"
