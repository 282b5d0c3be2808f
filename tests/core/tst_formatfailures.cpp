// Files that must not stop the program: damaged, truncated, looping and oversized RAW, HEIF and
// video files each give a failure reason without a hang, and the reader goes on with the next
// file; a probe that hangs, is killed mid-request, crashes or answers garbage is replaced; the
// probe runs under its limits; and the program's own EXIF reader refuses whatever is no JPEG
// before Exiv2 parses it.
#include "core/exif/exifdate.h"
#include "core/exif/exifreader.h"
#include "core/files/filename.h"
#include "core/formats/formatreader.h"
#include "core/exif/informationexif.h"
#include "tests/formatsamples.h"
#include "tests/testsupport.h"

#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <future>

#include <sys/stat.h>
#include <unistd.h>

using TestSupport::readFile;
using TestSupport::writeFile;

namespace {

const QString TooLong = QStringLiteral("Lecture trop longue");

FormatReader::Options quickOptions(const QString &probe = QStringLiteral(LUMARO_PROBE))
{
    FormatReader::Options options;
    options.probeProgram = probe;
    options.metadataTimeout = std::chrono::milliseconds(3000);
    options.pictureTimeout = std::chrono::milliseconds(4000);
    return options;
}

// A stand-in for the probe that answers with `reply` and then keeps still.
QString fakeProbe(const QString &folder, const QString &name, const QByteArray &reply)
{
    const QString script = folder + u'/' + name, answer = script + QStringLiteral(".reply");
    const QString text = QStringLiteral("#!/bin/sh\ncat '%1' >&0\nexec sleep 30\n").arg(answer);
    if (!writeFile(answer, reply) || !writeFile(script, text.toUtf8())
        || ::chmod(FileName::encode(script).constData(), 0755) != 0)
        return {};
    return script;
}

// Little-endian words, as the protocol writes them.
QByteArray le(std::initializer_list<quint32> words)
{
    QByteArray bytes;
    for (quint32 w : words)
        bytes.append(reinterpret_cast<const char *>(&w), 4); // this machine is little-endian
    return bytes;
}

QByteArray header(qint64 length)
{
    return le({0x31504D4C, 0}) + QByteArray(reinterpret_cast<const char *>(&length), 8);
}

QByteArray field(quint16 key, const QByteArray &content)
{
    return QByteArray(reinterpret_cast<const char *>(&key), 2) + le({quint32(content.size())}) + content;
}

QByteArray framed(const QByteArray &body)
{
    return header(body.size()) + body;
}

} // namespace

class TestFormatFailures : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    std::unique_ptr<FormatReader> m_reader;
    QByteArray m_heic, m_mp4, m_raw;

    QString path(const QString &name) const { return m_dir.filePath(name); }

    // A good file still reads after whatever came before.
    void checkStillWorking(FormatReader &reader)
    {
        const FormatPicture picture = reader.picture(path("GOOD.HEIC"), QSize(105, 105));
        QVERIFY2(picture.ok(), qPrintable(picture.failure));
        QCOMPARE(FormatSamples::corners(picture.picture), QStringLiteral("RGBW"));
        QVERIFY(reader.metadata(path("GOOD.MP4")).ok());
    }

private slots:
    void initTestCase()
    {
        TestSupport::isolateEnvironment();
        m_reader = std::make_unique<FormatReader>(quickOptions());
        QVERIFY(FormatSamples::jpeg(path("good.jpg"), FormatSamples::quadrants(QSize(400, 300)), 1));
        QVERIFY(FormatSamples::heic(path("good.jpg"), path("GOOD.HEIC"), 160));
        QVERIFY(FormatSamples::video(path("GOOD.MP4"), QStringLiteral("2024-07-12T08:30:00Z")));
        QVERIFY(FormatSamples::video(path("GOOD.AVI"), QStringLiteral("2024-07-12T08:30:00Z")));
        QVERIFY(FormatSamples::rawLike(path("GOOD.NEF"), path("good.jpg"), 1));
        m_heic = readFile(path("GOOD.HEIC"));
        m_mp4 = readFile(path("GOOD.MP4"));
        m_raw = readFile(path("GOOD.NEF"));
        QVERIFY(!m_heic.isEmpty() && !m_mp4.isEmpty() && !m_raw.isEmpty());
    }

    void hostileFilesGiveReasons_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("bytes");
        QRandomGenerator random(20);
        QByteArray garbage(8192, '\0');
        for (char &c : garbage)
            c = char(random.generate());
        QTest::newRow("HEIC cut in half") << "CUT.HEIC" << m_heic.left(m_heic.size() / 2);
        QTest::newRow("HEIC cut after its boxes") << "CUT2.HEIC" << m_heic.left(200);
        QTest::newRow("MP4 cut in half") << "CUT.MP4" << m_mp4.left(m_mp4.size() / 2);
        QTest::newRow("MP4 header only") << "CUT2.MOV" << m_mp4.left(64);
        QTest::newRow("RAW cut in half") << "CUT.NEF" << m_raw.left(m_raw.size() / 2);
        QTest::newRow("garbage HEIC") << "NOISE.HEIC" << garbage;
        QTest::newRow("garbage CR3") << "NOISE.CR3" << garbage;
        QTest::newRow("garbage MTS") << "NOISE.MTS" << garbage;
        QTest::newRow("box pointing back, HEIC") << "BACK.HEIC" << FormatSamples::boxPointingBack();
        QTest::newRow("box pointing back, CR3") << "BACK.CR3" << FormatSamples::boxPointingBack();
        QTest::newRow("box pointing back, MP4") << "BACK.MP4" << FormatSamples::boxPointingBack();
        QTest::newRow("absurd item extents") << "ILOC.HEIC" << FormatSamples::withAbsurdExtents(m_heic);
        QTest::newRow("gigantic image declared") << "HUGE.HEIC" << FormatSamples::withDeclaredSize(m_heic, 60000, 60000);
        QTest::newRow("too many pixels declared") << "HUGE2.HEIC" << FormatSamples::withDeclaredSize(m_heic, 30000, 30000);
        QTest::newRow("TIFF whose IFD loops") << "LOOP.NEF" << FormatSamples::loopingTiff();
        QTest::newRow("HEIC named as a video") << "IMG.MOV" << m_heic;
    }
    void hostileFilesGiveReasons()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        QVERIFY(!bytes.isEmpty());
        QVERIFY(writeFile(path(name), bytes));
        const FormatPicture picture = m_reader->picture(path(name), QSize(105, 105));
        QVERIFY(!picture.ok());
        QVERIFY(picture.picture.isNull());
        QVERIFY2(!picture.failure.startsWith(TooLong), qPrintable(picture.failure));
        const FormatMetadata metadata = m_reader->metadata(path(name));
        // Some still give their metadata (a video's header, a loop read once); none hangs.
        QVERIFY2(!metadata.failure.startsWith(TooLong), qPrintable(metadata.failure));
        const FormatMetadata inMemory = m_reader->metadata(name, bytes);
        QCOMPARE(inMemory.failure, metadata.failure);
        checkStillWorking(*m_reader);
    }

    void rawReaderTakesOnlyRawStructures_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("bytes");
        // Exiv2 would take each of these with a parser of its own, some of which loop for ever
        // on a damaged file.
        QTest::newRow("MP4 as CR2") << "CLIP.CR2" << m_mp4;
        QTest::newRow("AVI as NEF") << "CLIP.NEF" << readFile(path("GOOD.AVI"));
        QTest::newRow("HEIC as CR3") << "IMG.CR3" << m_heic;
        QTest::newRow("JPEG as ARW") << "IMG.ARW" << readFile(path("good.jpg"));
    }
    void rawReaderTakesOnlyRawStructures()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        QVERIFY(!bytes.isEmpty());
        QVERIFY(writeFile(path(name), bytes));
        const QString refused = QStringLiteral("Fichier RAW illisible (format non reconnu)");
        QCOMPARE(m_reader->metadata(path(name)).failure, refused);
        QCOMPARE(m_reader->picture(path(name), QSize(105, 105)).failure, refused);
        QCOMPARE(m_reader->metadata(name, bytes).failure, refused);
    }

    void whatIsNoFileFailsAtOnce()
    {
        FormatReader reader(quickOptions());
        QVERIFY(writeFile(path("EMPTY.HEIC"), {}));
        QVERIFY(QDir().mkpath(path("FOLDER.HEIC")));
        QVERIFY(::mkfifo(FileName::encode(path("PIPE.MP4")).constData(), 0644) == 0);
        QCOMPARE(reader.metadata(path("EMPTY.HEIC")).failure, QStringLiteral("Fichier vide"));
        QCOMPARE(reader.picture(path("FOLDER.HEIC"), QSize()).failure, QStringLiteral("Ce n'est pas un fichier"));
        QCOMPARE(reader.metadata(path("PIPE.MP4")).failure, QStringLiteral("Ce n'est pas un fichier"));
        QCOMPARE(reader.metadata(path("MISSING.CR2")).failure, QStringLiteral("Fichier introuvable"));
        QCOMPARE(reader.metadata(QStringLiteral("EMPTY.HEIC"), QByteArray()).failure, QStringLiteral("Fichier vide"));
        QVERIFY(reader.probeProcesses().empty()); // none of these needed a probe
    }

    void hungProbeIsReplaced()
    {
        FormatReader::Options options = quickOptions();
        options.metadataTimeout = std::chrono::milliseconds(1000);
        FormatReader reader(options);
        checkStillWorking(reader);
        const std::vector<pid_t> before = reader.probeProcesses();
        QCOMPARE(before.size(), size_t(1));
        ::kill(before[0], SIGSTOP); // as a parser caught in an endless loop
        const FormatMetadata metadata = reader.metadata(path("GOOD.HEIC"));
        QVERIFY2(metadata.failure.startsWith(TooLong), qPrintable(metadata.failure));
        QVERIFY(reader.probeProcesses().empty()); // killed and reaped
        checkStillWorking(reader);
    }

    void probeKilledMidRequestIsReplaced_data()
    {
        QTest::addColumn<int>("signal");
        QTest::addColumn<QString>("reason");
        QTest::newRow("killed") << int(SIGKILL) << "Le lecteur de formats s'est arrêté sur ce fichier (signal 9)";
        // The signal a crash ends with: 11 as it is, 6 under AddressSanitizer, which catches it.
        QTest::newRow("crashed") << int(SIGSEGV) << "Le lecteur de formats s'est arrêté sur ce fichier (signal ";
        QTest::newRow("out of processor time") << int(SIGXCPU) << "Lecture trop longue (temps de calcul dépassé), abandonnée";
    }
    void probeKilledMidRequestIsReplaced()
    {
        QFETCH(int, signal);
        QFETCH(QString, reason);
        FormatReader reader(quickOptions());
        checkStillWorking(reader);
        const pid_t probe = reader.probeProcesses().at(0);
        ::kill(probe, SIGSTOP); // the request waits in the socket
        auto pending = std::async(std::launch::async, [&] { return reader.picture(path("GOOD.HEIC"), QSize()); });
        QVERIFY(pending.wait_for(std::chrono::milliseconds(300)) == std::future_status::timeout);
        ::kill(probe, signal);
        ::kill(probe, SIGCONT);
        const QString failure = pending.get().failure;
        QVERIFY2(failure.startsWith(reason), qPrintable(failure));
        checkStillWorking(reader);
        QVERIFY(reader.probeProcesses().at(0) != probe);
    }

    void probeKilledWhileIdleIsNotTheFilesFault()
    {
        FormatReader reader(quickOptions());
        checkStillWorking(reader);
        const pid_t probe = reader.probeProcesses().at(0);
        ::kill(probe, SIGKILL);
        QTest::qWait(50);
        checkStillWorking(reader);
    }

    void garbageAnswersAreSurvived_data()
    {
        QTest::addColumn<QByteArray>("reply");
        QByteArray noise;
        for (int i = 0; i < 1024; ++i)
            noise.append(char(i * 7));
        QTest::newRow("noise") << noise;
        QTest::newRow("length of an exabyte") << header(qint64(1) << 62);
        QTest::newRow("negative length") << header(-5);
        QTest::newRow("700 MB announced, then silence") << header(700'000'000);
        QTest::newRow("field beyond the body") << framed(field(1, {}).left(2) + le({1000}));
        QTest::newRow("unknown field") << framed(field(99, "abcd"));
        QTest::newRow("orientation 9") << framed(field(2, le({9})));
        QTest::newRow("failure with entries") << framed(field(1, "non") + field(3, le({0, 0, 1}) + "ab"));
        QTest::newRow("entry name longer than the entry") << framed(field(3, le({0, 0, 4000}) + "abcd"));
        QTest::newRow("picture of the wrong size") << framed(field(7, le({100, 100, 100, 100}) + "rgbrgb"));
        QTest::newRow("picture 70000 pixels wide") << framed(field(7, le({70000, 1, 1, 1}) + "rgb"));
        QTest::newRow("half a header, then silence") << QByteArray("LMP1\0\0", 6);
    }
    void garbageAnswersAreSurvived()
    {
        QFETCH(QByteArray, reply);
        const QString probe = fakeProbe(m_dir.path(), QStringLiteral("fake-%1").arg(QTest::currentDataTag()).replace(u' ', u'-'), reply);
        QVERIFY(!probe.isEmpty());
        FormatReader::Options options = quickOptions(probe);
        options.metadataTimeout = std::chrono::milliseconds(500);
        options.pictureTimeout = std::chrono::milliseconds(500);
        FormatReader reader(options);
        for (int round = 0; round < 2; ++round) {
            const FormatMetadata metadata = reader.metadata(path("GOOD.HEIC"));
            QVERIFY(!metadata.ok());
            QVERIFY(metadata.entries.isEmpty());
            const FormatPicture picture = reader.picture(path("GOOD.HEIC"), QSize(105, 105));
            QVERIFY(!picture.ok());
            QVERIFY(picture.picture.isNull());
        }
    }

    void wellFormedReplyIsReadAsDocumented()
    {
        // The other half of the garbage cases: the format the protocol's header describes.
        const qint64 duration = 1500;
        const QByteArray reply = framed(field(2, le({3})) + field(3, le({2, 0x9003, 10}) + "Date taken2020:01:02 03:04:05")
                                        + field(5, QByteArray(reinterpret_cast<const char *>(&duration), 8))
                                        + field(6, le({320, 240})));
        const QString probe = fakeProbe(m_dir.path(), QStringLiteral("fake-good"), reply);
        QVERIFY(!probe.isEmpty());
        FormatReader reader(quickOptions(probe));
        const FormatMetadata metadata = reader.metadata(path("GOOD.HEIC"));
        QVERIFY2(metadata.ok(), qPrintable(metadata.failure));
        QCOMPARE(metadata.orientation, 3);
        QCOMPARE(metadata.entries.size(), 1);
        QCOMPARE(metadata.entries[0].flag, quint32(ExifReader::IfdPhoto));
        QCOMPARE(metadata.entries[0].tag, quint32(0x9003));
        QCOMPARE(metadata.entries[0].value, QStringLiteral("2020:01:02 03:04:05"));
        QCOMPARE(ExifDate::format(metadata.dateTaken), QStringLiteral("2020:01:02 03:04:05"));
        QCOMPARE(metadata.durationMs, duration);
        QCOMPARE(metadata.pixelSize, QSize(320, 240));
    }

    void missingProbeIsAReasonToo()
    {
        FormatReader reader(quickOptions(path("no-such-probe")));
        QCOMPARE(reader.metadata(path("GOOD.HEIC")).failure, QStringLiteral("Le lecteur de formats n'a pas pu démarrer"));
    }

    void probeRunsUnderItsLimits()
    {
        FormatReader reader(quickOptions());
        checkStillWorking(reader);
        const QByteArray limits = readFile(QStringLiteral("/proc/%1/limits").arg(reader.probeProcesses().at(0)));
        const auto limitOf = [&](const char *name) {
            for (const QByteArray &line : limits.split('\n'))
                if (line.startsWith(name))
                    return line.mid(26).simplified().split(' ').value(0);
            return QByteArray();
        };
        QVERIFY2(limitOf("Max cpu time") != "unlimited", limits.constData());
#if !defined(__SANITIZE_ADDRESS__)
        QVERIFY2(limitOf("Max address space") != "unlimited", limits.constData());
#endif
    }

    void programsOwnExifReaderRefusesOtherContent_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("MP4") << m_mp4;
        QTest::newRow("malformed MP4") << FormatSamples::boxPointingBack();
        QTest::newRow("HEIC") << m_heic;
        QTest::newRow("TIFF with EXIF") << m_raw;
    }
    void programsOwnExifReaderRefusesOtherContent()
    {
        // Exiv2 chooses its parser by content: named .JPG, these must never reach it.
        QFETCH(QByteArray, bytes);
        QVERIFY(writeFile(path("FAKE.JPG"), bytes));
        QString error;
        QVERIFY(ExifReader::readEntries(path("FAKE.JPG"), &error).isEmpty());
        QCOMPARE(error, QStringLiteral("Ce fichier n'est pas une image JPEG"));
        QVERIFY(ExifReader::readEntries(bytes, &error).isEmpty());
        QCOMPARE(error, QStringLiteral("Ce fichier n'est pas une image JPEG"));
        QVERIFY(!ExifReader::hasExif(path("FAKE.JPG")));
        TListeInformationExif list;
        LireInformationsExif(list, path("FAKE.JPG"), true);
        QCOMPARE(list.Count(), 1); // the file date only
    }
};

QTEST_GUILESS_MAIN(TestFormatFailures)
#include "tst_formatfailures.moc"
