// What a source's deletion waits for, seen from the disk's side: every file written before it
// was flushed under its temporary name, renamed, its folder flushed, and, for the photo itself,
// read back and found identical. The file probe (tests/shim/fileprobe.h) records the program's
// flushes, renames and deletions in order, and damages a flushed temporary file as a failing
// disk would.
#include "core/workflows/batchtransfer.h"
#include "core/files/filename.h"
#include "core/files/filesystem.h"
#include "core/exif/informationexif.h"
#include "core/settings/paramappli.h"
#include "core/workflows/photobyphoto.h"
#include "core/operations/photooperations.h"
#include "core/operations/shottransfer.h"
#include "core/discovery/recherchephotos.h"
#include "core/files/safecopy.h"
#include "tests/cardworkspace.h"
#include "tests/shim/fileprobe.h"
#include "tests/testsupport.h"

#include <QtTest>

namespace {

using TestSupport::readFile;
using TestSupport::writeFile;

const QString TransferError = QStringLiteral("Erreur pendant le transfert de la photo : \n");

struct Event {
    QString kind, path, to;
};

// The record of the probe, paths decoded as the program decodes them.
QList<Event> eventsIn(const QString &log)
{
    QList<Event> events;
    for (const QByteArray &line : readFile(log).split('\n')) {
        const QList<QByteArray> fields = line.split('\t');
        if (fields.size() < 2)
            continue;
        events.append({QString::fromLatin1(fields[0]), FileName::decode(fields[1]),
                       fields.size() > 2 ? FileName::decode(fields[2]) : QString()});
    }
    return events;
}

// A path with its folder resolved by the system, so that names given by the program and names
// read from /proc compare; the file itself may be gone.
QString resolved(const QString &path)
{
    const QString folder = FileSystem::canonicalPath(FileSystem::folderOf(FileSystem::absolutePath(path)));
    return folder + u'/' + FileSystem::fileNameOf(path);
}

bool isFlush(const Event &event)
{
    return event.kind == QLatin1String("fdatasync") || event.kind == QLatin1String("fsync");
}

// Empty when the record shows the safe write of target: a temporary file flushed, then renamed
// to target, then the target's folder flushed, and all of that before the source (when given)
// was deleted. Otherwise what is missing.
QString checkSafeWrite(const QList<Event> &events, const QString &target, const QString &source = QString())
{
    const QString final = resolved(target);
    qsizetype renamed = -1;
    for (qsizetype i = 0; i < events.size() && renamed < 0; ++i)
        if (events[i].kind == QLatin1String("rename") && resolved(events[i].to) == final)
            renamed = i;
    if (renamed < 0)
        return QStringLiteral("nothing was renamed to ") + target;
    const QString temporary = resolved(events[renamed].path);
    qsizetype flushed = -1;
    for (qsizetype i = 0; i < renamed; ++i)
        if (isFlush(events[i]) && events[i].path == temporary)
            flushed = i;
    if (flushed < 0)
        return QStringLiteral("renamed to %1 without being flushed first").arg(target);
    const QString folder = FileSystem::canonicalPath(FileSystem::folderOf(final));
    qsizetype folderFlushed = -1;
    for (qsizetype i = renamed + 1; i < events.size() && folderFlushed < 0; ++i)
        if (isFlush(events[i]) && events[i].path == folder)
            folderFlushed = i;
    if (folderFlushed < 0)
        return QStringLiteral("the folder of %1 was not flushed after the rename").arg(target);
    if (source.isEmpty())
        return QString();
    for (qsizetype i = 0; i < events.size(); ++i) {
        if (events[i].kind == QLatin1String("unlink") && resolved(events[i].path) == resolved(source))
            return i > folderFlushed ? QString()
                                     : QStringLiteral("%1 deleted before %2 was safe on the disk").arg(source, target);
    }
    return QStringLiteral("the source %1 was not deleted").arg(source);
}

bool damaged(const QList<Event> &events)
{
    return std::any_of(events.begin(), events.end(), [](const Event &e) { return e.kind == QLatin1String("damaged"); });
}

class DestinationRecorder : public BatchObserver {
public:
    QString destination;
    void photoStarted(const BatchPhoto &photo) override { destination = photo.destination; }
};

// Records (and damages) for the time of one scope.
class Probe {
public:
    explicit Probe(const QString &log, const QString &damageReference = QString())
        : m_log(FileName::encode(log)), m_reference(FileName::encode(damageReference))
    {
        FileSystem::remove(log);
        FileProbe::start(m_log.constData(), m_reference.isEmpty() ? nullptr : m_reference.constData());
    }
    ~Probe() { FileProbe::stop(); }
    Probe(const Probe &) = delete;
    Probe &operator=(const Probe &) = delete;

private:
    QByteArray m_log, m_reference;
};

} // namespace

class TestVerifiedWrite : public QObject {
    Q_OBJECT

    CardWorkspace m_work;

    QString log() const { return m_work.path(QStringLiteral("probe.log")); }

    // A card photo recorded "right-top (6)": the automatic turn is 90.
    QString photoToTurn() const { return m_work.card.orientation6.front(); }

private slots:
    void initTestCase() { TestSupport::isolateEnvironment(); }

    void init()
    {
        m_work.open();
        m_work.makeCard(3);
        m_work.settings->SupprimerPhoto = true;
    }
    void cleanup()
    {
        FileProbe::stop();
        m_work.close();
    }

    void everyWriteIsFlushedBeforeItsRename_data()
    {
        QTest::addColumn<QString>("operation");
        QTest::newRow("verified copy") << QStringLiteral("copy");
        QTest::newRow("verified write of bytes made from the source") << QStringLiteral("fromSource");
        QTest::newRow("transfer with deletion") << QStringLiteral("plain");
        QTest::newRow("turned transfer with deletion") << QStringLiteral("turned");
        QTest::newRow("transfer turned ahead, with deletion") << QStringLiteral("ahead");
        QTest::newRow("transfer with low-quality copy and EXIF text") << QStringLiteral("extras");
        QTest::newRow("batch with deletion") << QStringLiteral("batch");
        QTest::newRow("extra files") << QStringLiteral("extraFiles");
    }

    void everyWriteIsFlushedBeforeItsRename()
    {
        QFETCH(QString, operation);
        const QString source = operation == QLatin1String("plain") || operation == QLatin1String("copy")
                                   ? m_work.card.photos.front()
                                   : photoToTurn();
        const QString target = m_work.destination() + QStringLiteral("2024/Noel 1.JPG");
        const bool turned = operation == QLatin1String("turned") || operation == QLatin1String("ahead");
        // (target, source deleted after it or empty)
        QList<QPair<QString, QString>> writes;
        RecordingUserInterface &ui = m_work.ui;
        TListeInformationExif exif;
        {
            const Probe probe(log());
            if (operation == QLatin1String("copy")) {
                QVERIFY(FileSystem::makeFolders(FileSystem::folderOf(target)));
                SafeCopy::copyFile(source, target, SafeCopy::Mode::Verified);
                writes.append({target, QString()});
            } else if (operation == QLatin1String("fromSource")) {
                QVERIFY(FileSystem::makeFolders(FileSystem::folderOf(target)));
                SafeCopy::writeFromSource(source, "bytes made from the source", target, SafeCopy::Mode::Verified);
                writes.append({target, QString()});
            } else if (operation == QLatin1String("plain") || turned) {
                PreparedTransfer prepared;
                if (operation == QLatin1String("ahead"))
                    prepared.turnedPhoto = turnedInMemory(source, 90);
                QVERIFY(TransfererPhoto(*m_work.settings, ui, source, m_work.destination(), target, turned ? 90 : 0,
                                        exif, false, false, {}, prepared));
                writes.append({target, source});
            } else if (operation == QLatin1String("extras")) {
                LireInformationsExif(exif, source, true);
                QVERIFY(TransfererPhoto(*m_work.settings, ui, source, m_work.destination(), target, 90, exif, true,
                                        true));
                writes.append({target, source});
                writes.append({NomBasseQualite(*m_work.settings, target), source});
                writes.append({exifFileName(target), source});
            } else if (operation == QLatin1String("batch")) {
                m_work.settings->RotationAuto = true;
                QStringList photos = m_work.card.photos;
                const QStringList sources = photos;
                BatchOptions options;
                options.destination = m_work.destination();
                BatchTransfer batch(*m_work.settings, ui, photos, options);
                QCOMPARE(batch.run().end, BatchTransfer::End::Completed);
                QCOMPARE(batch.PhotosTransferees().size(), sources.size());
                for (qsizetype i = 0; i < sources.size(); ++i)
                    writes.append({batch.PhotosTransferees()[i], sources[i]});
            } else {
                const QStringList copies = EnregistrerExtensionsSupp(m_work.destination(), m_work.card.extraFiles, ui);
                QCOMPARE(copies.size(), m_work.card.extraFiles.size());
                for (const QString &copy : copies)
                    writes.append({copy, QString()});
            }
        }
        QVERIFY2(ui.information.isEmpty() && ui.errors.isEmpty(), qPrintable((ui.information + ui.errors).join(u'\n')));
        const QList<Event> events = eventsIn(log());
        QVERIFY(!writes.isEmpty());
        for (const auto &[written, deletedSource] : writes) {
            const QString problem = checkSafeWrite(events, written, deletedSource);
            QVERIFY2(problem.isEmpty(), qPrintable(problem));
        }
    }

    // The turned photo is the one file of a turned transfer: damaged on its way to the disk, it
    // is caught by the read-back and the source stays, in photo-by-photo mode as in the batch.
    void aDamagedTurnedPhotoKeepsItsSource_data()
    {
        QTest::addColumn<QString>("workflow");
        QTest::newRow("photo by photo") << QStringLiteral("photo");
        QTest::newRow("batch") << QStringLiteral("batch");
        QTest::newRow("transfer without a turn made ahead") << QStringLiteral("transfer");
    }

    void aDamagedTurnedPhotoKeepsItsSource()
    {
        QFETCH(QString, workflow);
        m_work.settings->RotationAuto = true;
        const QString source = photoToTurn();
        const QByteArray original = readFile(source);
        QStringList photos{source};
        QString target;
        {
            const Probe probe(log(), source);
            if (workflow == QLatin1String("photo")) {
                PhotoByPhotoSession session(*m_work.settings, photos, m_work.destination(), QStringLiteral("Noel"));
                session.showCurrent();
                QCOMPARE(session.AnglePhoto(), 90);
                target = session.NomFinal();
                QCOMPARE(session.transfer(target, m_work.ui), PhotoByPhotoSession::After::Finished);
                QVERIFY(session.PhotosTransferees().isEmpty());
            } else if (workflow == QLatin1String("batch")) {
                BatchOptions options;
                options.destination = m_work.destination();
                options.theme = QStringLiteral("Noel");
                BatchTransfer batch(*m_work.settings, m_work.ui, photos, options);
                DestinationRecorder recorder;
                QCOMPARE(batch.run(&recorder).failures, 1);
                QVERIFY(batch.PhotosTransferees().isEmpty());
                target = recorder.destination;
            } else {
                target = m_work.destination() + QStringLiteral("Noel 1.JPG");
                TListeInformationExif exif;
                QVERIFY(!TransfererPhoto(*m_work.settings, m_work.ui, source, m_work.destination(), target, 90, exif,
                                         false, false));
            }
        }
        QVERIFY2(damaged(eventsIn(log())), "the probe damaged nothing");
        QCOMPARE(m_work.ui.information + m_work.ui.errors,
                 QStringList{TransferError + SafeCopy::copyErrorMessage(source, target)});
        QCOMPARE(readFile(source), original);
        QCOMPARE(photos, QStringList{source});
        QVERIFY(!FileSystem::exists(target));
    }

    // lumaro-cli cannot be given a hook: the probe is preloaded into it.
    void aDamagedTurnedPhotoKeepsItsSourceInTheCommandLine()
    {
        const QString settings = m_work.path(QStringLiteral("settings"));
        QVERIFY(writeFile(settings + QStringLiteral("/Lumaro.ini"), "[General]\r\nSupprimerPhoto=1\r\n"));
        const QString source = m_work.card.photos.front();
        const QByteArray original = readFile(source);
        const QString target = m_work.destination() + QStringLiteral("Noel 1.JPG");
        const auto environment = [&](bool damage) {
            QList<QPair<QString, QString>> variables{{QStringLiteral("LD_PRELOAD"), QStringLiteral(LUMARO_FILEPROBE)},
                                                     {QStringLiteral("LUMARO_PROBE_LOG"), log()}};
            if (damage)
                variables.append({QStringLiteral("LUMARO_PROBE_DAMAGE"), source});
#ifdef __SANITIZE_ADDRESS__
            // The probe comes before the sanitizer's runtime among the preloaded libraries.
            variables.append({QStringLiteral("ASAN_OPTIONS"),
                              qEnvironmentVariable("ASAN_OPTIONS") + QStringLiteral(":verify_asan_link_order=0")});
#endif
            return variables;
        };
        const QStringList arguments{QStringLiteral("transfer"), source, target, QStringLiteral("--angle"),
                                    QStringLiteral("90"), QStringLiteral("--settings-dir"), settings};
        const TestSupport::CliRun damagedRun = TestSupport::runCliRaw(arguments, environment(true));
        QVERIFY2(damaged(eventsIn(log())), damagedRun.err.constData());
        QCOMPARE(damagedRun.exitCode, 1);
        QVERIFY2(QString::fromUtf8(damagedRun.err).contains(SafeCopy::copyErrorMessage(source, target)),
                 damagedRun.err.constData());
        QCOMPARE(readFile(source), original);
        QVERIFY(!FileSystem::exists(target));

        // Undamaged, the same command writes the turned photo safely, then deletes the source.
        FileSystem::remove(log());
        const TestSupport::CliRun run = TestSupport::runCliRaw(arguments, environment(false));
        QVERIFY2(run.exitCode == 0, run.err.constData());
        QVERIFY(!FileSystem::exists(source));
        const QString problem = checkSafeWrite(eventsIn(log()), target, source);
        QVERIFY2(problem.isEmpty(), qPrintable(problem));
    }
};

QTEST_GUILESS_MAIN(TestVerifiedWrite)
#include "tst_verifiedwrite.moc"
