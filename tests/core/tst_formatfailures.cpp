// Files that must not stop the program: damaged, truncated, looping and oversized RAW, HEIF and
// video files each give a failure reason without a hang, and the reader goes on with the next
// file; a probe that hangs, is killed mid-request, crashes or answers garbage is replaced; the
// probe runs under its limits; and the program's own EXIF reader refuses whatever is no JPEG
// before Exiv2 parses it.
#include "core/exifreader.h"
#include "core/filename.h"
#include "core/formats/formatreader.h"
#include "core/informationexif.h"
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

// A stand-in for the probe that answers every request with `reply` (Python bytes literal).
QString fakeProbe(const QString &folder, const QString &name, const QString &reply)
{
    const QString script = folder + u'/' + name;
    const QString text = QStringLiteral("#!/usr/bin/env python3\n"
                                        "import os, struct, sys\n"
                                        "reply = %1\n"
                                        "while True:\n"
                                        "    head = os.read(0, 16)\n"
                                        "    if len(head) < 16: sys.exit(0)\n"
                                        "    n = struct.unpack('<q', head[8:16])[0]\n"
                                        "    while n > 0: n -= len(os.read(0, n))\n"
                                        "    os.write(0, reply)\n")
                             .arg(reply);
    if (!writeFile(script, text.toUtf8()) || ::chmod(FileName::encode(script).constData(), 0755) != 0)
        return {};
    return script;
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
        QTest::newRow("MP4 named as a RAW") << "CLIP.CR2" << m_mp4;
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
        FormatReader reader(quickOptions());
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
        QTest::newRow("crashed") << int(SIGSEGV) << "Le lecteur de formats s'est arrêté sur ce fichier (signal 11)";
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
        QCOMPARE(pending.get().failure, reason);
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
        QTest::addColumn<QString>("reply");
        QTest::newRow("noise") << "bytes(range(256)) * 4";
        QTest::newRow("length of an exabyte") << "struct.pack('<IIq', 0x31504D4C, 0, 2**62)";
        QTest::newRow("negative length") << "struct.pack('<IIq', 0x31504D4C, 0, -5)";
        QTest::newRow("field beyond the body") << "struct.pack('<IIq', 0x31504D4C, 0, 6) + struct.pack('<HI', 1, 1000)";
        QTest::newRow("unknown field") << "struct.pack('<IIq', 0x31504D4C, 0, 10) + struct.pack('<HI', 99, 4) + b'abcd'";
        QTest::newRow("orientation 9") << "struct.pack('<IIq', 0x31504D4C, 0, 10) + struct.pack('<HII', 2, 4, 9)";
        QTest::newRow("entry name longer than the entry")
            << "struct.pack('<IIq', 0x31504D4C, 0, 22) + struct.pack('<HIIII', 3, 16, 0, 0, 4000) + b'abcd'";
        QTest::newRow("picture of the wrong size")
            << "struct.pack('<IIq', 0x31504D4C, 0, 28) + struct.pack('<HIIIII', 7, 22, 100, 100, 100, 100) + b'rgbrgb'";
        QTest::newRow("picture of 70000 pixels wide")
            << "struct.pack('<IIq', 0x31504D4C, 0, 25) + struct.pack('<HIIIII', 7, 19, 70000, 1, 1, 1) + b'rgb'";
        QTest::newRow("half a header, then silence") << "b'LMP1\\0\\0'";
    }
    void garbageAnswersAreSurvived()
    {
        QFETCH(QString, reply);
        const QString probe = fakeProbe(m_dir.path(), QStringLiteral("fake-%1").arg(QTest::currentDataTag()).replace(u' ', u'-'), reply);
        QVERIFY(!probe.isEmpty());
        FormatReader::Options options = quickOptions(probe);
        options.metadataTimeout = std::chrono::milliseconds(1000);
        options.pictureTimeout = std::chrono::milliseconds(1000);
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
