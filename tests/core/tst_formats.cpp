// Camera files other than JPEG, read through the probe process: the kinds told by the name,
// the dates (a video's UTC creation time in Paris time), orientations, EXIF entries named as for
// a JPEG, upright pictures of the right size from HEIF files (thumbnail item or primary image,
// turned by the container or by EXIF) and from RAW previews, files held in memory, names that
// are not UTF-8, and several threads sharing one reader. Material is made by heif-enc,
// exiv2 and ffmpeg from the program's own JPEGs.
#include "core/exif/exifdate.h"
#include "core/exif/exifreader.h"
#include "core/files/filename.h"
#include "core/formats/filekind.h"
#include "core/files/filesystem.h"
#include "core/formats/formatreader.h"
#include "core/formats/probelocation.h"
#include "core/imaging/imaging.h"
#include "tests/formatsamples.h"
#include "tests/testsupport.h"

#include <QTemporaryDir>
#include <QTest>

#include <atomic>
#include <cstdio>
#include <thread>

#include <sys/stat.h>
#include <unistd.h>

using FormatSamples::corners;
using TestSupport::readFile;

namespace {

constexpr QSize Upright(400, 300);
constexpr QSize PreviewUpright(1200, 900);

const ExifReader::Entry *entryNamed(const QList<ExifReader::Entry> &entries, const char *name)
{
    for (const ExifReader::Entry &entry : entries)
        if (entry.name == QLatin1String(name))
            return &entry;
    return nullptr;
}

QString valueOf(const QList<ExifReader::Entry> &entries, const char *name)
{
    const ExifReader::Entry *entry = entryNamed(entries, name);
    return entry ? entry->value : QStringLiteral("<none>");
}

} // namespace

class TestFormats : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    std::unique_ptr<FormatReader> m_reader;

    QString path(const QString &name) const { return m_dir.filePath(name); }

private slots:
    void initTestCase()
    {
        TestSupport::isolateEnvironment();
        FormatReader::Options options;
        options.probeProgram = QStringLiteral(LUMARO_PROBE);
        m_reader = std::make_unique<FormatReader>(options);

        // HEIF from the program's JPEGs: one stored on its side with orientation 6, one upright,
        // one with a thumbnail item, and one turned by the container as phones write them.
        QVERIFY(FormatSamples::jpeg(path("side.jpg"), FormatSamples::storedFor(Upright, 6), 6));
        QVERIFY(FormatSamples::jpeg(path("upright.jpg"), FormatSamples::quadrants(Upright), 1));
        QVERIFY(FormatSamples::heic(path("side.jpg"), path("IMG_0001.HEIC")));
        QVERIFY(FormatSamples::heic(path("upright.jpg"), path("IMG_0002.heic")));
        QVERIFY(FormatSamples::heic(path("side.jpg"), path("IMG_0003.HEIC"), 160));
        QVERIFY(FormatSamples::heic(path("side.jpg"), path("IMG_0004.AVIF")));
        const QByteArray turned = FormatSamples::withTurn(readFile(path("IMG_0001.HEIC")), 3);
        QVERIFY(!turned.isEmpty());
        QVERIFY(TestSupport::writeFile(path("PHONE_0001.HEIC"), turned));

        // RAW-like files, one per orientation, their previews stored as the camera holds them.
        for (int orientation = 1; orientation <= 8; ++orientation) {
            const QString preview = path(QStringLiteral("preview-%1.jpg").arg(orientation));
            QVERIFY(FormatSamples::jpeg(preview, FormatSamples::storedFor(PreviewUpright, orientation), 0, {}));
            QVERIFY(FormatSamples::rawLike(path(QStringLiteral("RAW_%1.CR2").arg(orientation)), preview, orientation));
        }

        QVERIFY(FormatSamples::video(path("MVI_0001.MP4"), QStringLiteral("2024-07-12T08:30:00Z")));
        QVERIFY(FormatSamples::video(path("MVI_0002.MOV"), QStringLiteral("2024-01-15T23:30:00.000000Z")));
        QVERIFY(FormatSamples::video(path("00001.MTS"), {}));
        QVERIFY(FormatSamples::video(path("PORTRAIT.MP4"), QStringLiteral("2024-07-12T08:30:00Z"), 90));
    }

    void kindsByName_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("kind");
        QTest::newRow("JPEG") << "IMG_0001.JPG" << int(FileKind::Jpeg);
        QTest::newRow("jpeg") << "dir/b.jpeg" << int(FileKind::Jpeg);
        QTest::newRow("CR2") << "IMG_0001.CR2" << int(FileKind::Raw);
        QTest::newRow("cr3") << "/card/DCIM/img_0001.cr3" << int(FileKind::Raw);
        QTest::newRow("3FR") << "a.3fr" << int(FileKind::Raw);
        QTest::newRow("X3F") << "a.X3F" << int(FileKind::Raw);
        QTest::newRow("HEIC") << "IMG_1234.HEIC" << int(FileKind::Heif);
        QTest::newRow("hif") << "a.Hif" << int(FileKind::Heif);
        QTest::newRow("AVIF") << "a.avif" << int(FileKind::Heif);
        QTest::newRow("M2TS") << "00001.m2ts" << int(FileKind::Video);
        QTest::newRow("3GP") << "clip.3gp" << int(FileKind::Video);
        QTest::newRow("THM") << "MVI_0001.THM" << int(FileKind::Sidecar);
        QTest::newRow("WAV") << "IMG_0001.wav" << int(FileKind::Sidecar);
        QTest::newRow("XMP") << "IMG_0001.CR2.xmp" << int(FileKind::Sidecar);
        QTest::newRow("backup") << "photo.jpg.bak" << int(FileKind::Other);
        QTest::newRow("no extension") << "README" << int(FileKind::Other);
        QTest::newRow("dot in folder only") << "/card/DCIM.HEIC/IMG" << int(FileKind::Other);
        QTest::newRow("trailing dot") << "IMG_0001." << int(FileKind::Other);
    }
    void kindsByName()
    {
        QFETCH(QString, name);
        QFETCH(int, kind);
        QCOMPARE(int(fileKindOf(name)), kind);
    }

    void everyListedExtensionHasItsKind()
    {
        const QStringList raw = extensionsOf(FileKind::Raw);
        for (const char *needed : {"CR2", "CR3", "CRW", "NEF", "NRW", "ARW", "SR2", "SRF", "DNG", "ORF", "RW2", "RAF",
                                   "PEF", "SRW", "3FR", "IIQ", "ERF", "MRW", "X3F"})
            QVERIFY2(raw.contains(QLatin1String(needed)), needed);
        for (FileKind kind : {FileKind::Jpeg, FileKind::Raw, FileKind::Heif, FileKind::Video, FileKind::Sidecar})
            for (const QString &extension : extensionsOf(kind))
                QCOMPARE(int(fileKindOf(QStringLiteral("x.") + extension.toLower())), int(kind));
        QCOMPARE(extensionsOf(FileKind::Video).size(), 7);
        QVERIFY(extensionsOf(FileKind::Other).isEmpty());
    }

    void heifMetadataReadsLikeItsJpeg()
    {
        const FormatMetadata metadata = m_reader->metadata(path("IMG_0001.HEIC"));
        QVERIFY2(metadata.ok(), qPrintable(metadata.failure));
        QCOMPARE(metadata.orientation, 6);
        QCOMPARE(ExifDate::format(metadata.dateTaken), QStringLiteral("2021:03:04 05:06:07"));
        QCOMPARE(valueOf(metadata.entries, "Orientation"), QStringLiteral("right-top (6)"));
        QCOMPARE(valueOf(metadata.entries, "Manufacturer"), QStringLiteral("Lumaro"));
        QVERIFY(metadata.exifBlock.startsWith("II") || metadata.exifBlock.startsWith("MM"));
        QCOMPARE(metadata.durationMs, -1);

        // The same entries, names and values as the program lists for the JPEG it came from.
        const QList<ExifReader::Entry> jpeg = ExifReader::readEntries(path("side.jpg"));
        QCOMPARE(metadata.entries.size(), jpeg.size());
        for (int i = 0; i < jpeg.size(); ++i) {
            QCOMPARE(metadata.entries[i].name, jpeg[i].name);
            QCOMPARE(metadata.entries[i].value, jpeg[i].value);
            QCOMPARE(metadata.entries[i].tag, jpeg[i].tag);
            QCOMPARE(metadata.entries[i].flag, jpeg[i].flag);
        }
    }

    void heifPictures_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QSize>("box");
        QTest::addColumn<bool>("cover");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<QSize>("stored");
        QTest::newRow("on its side, full size") << "IMG_0001.HEIC" << QSize() << false << Upright << QSize(300, 400);
        QTest::newRow("on its side, thumbnail") << "IMG_0001.HEIC" << QSize(105, 105) << false << QSize(105, 79)
                                                << QSize(300, 400);
        QTest::newRow("on its side, covering") << "IMG_0001.HEIC" << QSize(200, 200) << true << QSize(267, 200)
                                               << QSize(300, 400);
        QTest::newRow("upright, fitting") << "IMG_0002.heic" << QSize(200, 200) << false << QSize(200, 150)
                                          << Upright;
        QTest::newRow("never enlarged") << "IMG_0002.heic" << QSize(1000, 1000) << false << Upright << Upright;
        QTest::newRow("AVIF") << "IMG_0004.AVIF" << QSize(105, 105) << false << QSize(105, 79) << QSize(300, 400);
        QTest::newRow("thumbnail item") << "IMG_0003.HEIC" << QSize(105, 105) << false << QSize(105, 79)
                                        << QSize(300, 400);
        QTest::newRow("thumbnail item too small") << "IMG_0003.HEIC" << QSize(360, 360) << false << QSize(360, 270)
                                                  << QSize(300, 400);
        // Turned by its 'irot' property and not once more by its EXIF orientation 6.
        QTest::newRow("turned by the container") << "PHONE_0001.HEIC" << QSize() << false << Upright << Upright;
        QTest::newRow("turned by the container, small") << "PHONE_0001.HEIC" << QSize(105, 105) << false
                                                        << QSize(105, 79) << Upright;
    }
    void heifPictures()
    {
        QFETCH(QString, name);
        QFETCH(QSize, box);
        QFETCH(bool, cover);
        QFETCH(QSize, size);
        QFETCH(QSize, stored);
        const FormatPicture picture =
            m_reader->picture(path(name), box, cover ? FormatReader::Scale::Cover : FormatReader::Scale::Fit);
        QVERIFY2(picture.ok(), qPrintable(picture.failure));
        QCOMPARE(picture.picture.size(), size);
        QCOMPARE(picture.picture.format(), QImage::Format_RGB888);
        QCOMPARE(picture.storedSize, stored);
        QCOMPARE(corners(picture.picture), QStringLiteral("RGBW"));
    }

    void thumbnailItemServesSmallBoxes()
    {
        // Without its primary image's data, the file can still give its thumbnail item: proof
        // that a small box is served from it, and a large one is not.
        const QByteArray broken = FormatSamples::withDamagedItemData(readFile(path("IMG_0003.HEIC")), 1);
        QVERIFY(!broken.isEmpty());
        QVERIFY(TestSupport::writeFile(path("NOPRIMARY.HEIC"), broken));
        const FormatPicture small = m_reader->picture(path("NOPRIMARY.HEIC"), QSize(105, 105));
        QVERIFY2(small.ok(), qPrintable(small.failure));
        QCOMPARE(small.picture.size(), QSize(105, 79));
        QCOMPARE(corners(small.picture), QStringLiteral("RGBW"));
        QVERIFY(!m_reader->picture(path("NOPRIMARY.HEIC"), QSize(360, 360)).ok());
        QVERIFY(!m_reader->picture(path("NOPRIMARY.HEIC"), QSize()).ok());
    }

    void rawMetadata()
    {
        const FormatMetadata metadata = m_reader->metadata(path("RAW_6.CR2"));
        QVERIFY2(metadata.ok(), qPrintable(metadata.failure));
        QCOMPARE(metadata.orientation, 6);
        QCOMPARE(ExifDate::format(metadata.dateTaken), QStringLiteral("2021:03:04 05:06:07"));
        QCOMPARE(valueOf(metadata.entries, "Date taken"), QStringLiteral("2021:03:04 05:06:07"));
        QCOMPARE(valueOf(metadata.entries, "Orientation"), QStringLiteral("right-top (6)"));
        QCOMPARE(valueOf(metadata.entries, "Model"), QStringLiteral("Raw Test"));
        // The offsets of the file's own pictures mean nothing in a copy and are left out.
        QVERIFY(!entryNamed(metadata.entries, "Strip Offsets"));
        // The block a low-quality copy would carry reads back as the RAW's own entries.
        Imaging::SaveOptions save;
        save.metadata = Imaging::Metadata(metadata.exifBlock, {});
        const QByteArray copy = Imaging::encodeJpeg(FormatSamples::quadrants(QSize(64, 48)), save);
        const QList<ExifReader::Entry> carried = ExifReader::readEntries(copy);
        QCOMPARE(valueOf(carried, "Model"), QStringLiteral("Raw Test"));
        QCOMPARE(valueOf(carried, "Date taken"), QStringLiteral("2021:03:04 05:06:07"));
        QCOMPARE(valueOf(carried, "Orientation"), QStringLiteral("right-top (6)"));
    }

    void rawPreviewsComeUpright_data()
    {
        QTest::addColumn<int>("orientation");
        for (int orientation = 1; orientation <= 8; ++orientation)
            QTest::addRow("orientation %d", orientation) << orientation;
    }
    void rawPreviewsComeUpright()
    {
        QFETCH(int, orientation);
        const QString raw = path(QStringLiteral("RAW_%1.CR2").arg(orientation));
        const FormatPicture full = m_reader->picture(raw, QSize());
        QVERIFY2(full.ok(), qPrintable(full.failure));
        QCOMPARE(full.picture.size(), PreviewUpright);
        QCOMPARE(full.storedSize, orientation >= 5 ? PreviewUpright.transposed() : PreviewUpright);
        QCOMPARE(corners(full.picture), QStringLiteral("RGBW"));

        const FormatPicture small = m_reader->picture(raw, QSize(160, 160));
        QVERIFY2(small.ok(), qPrintable(small.failure));
        QCOMPARE(small.picture.size(), QSize(160, 120));
        QCOMPARE(corners(small.picture), QStringLiteral("RGBW"));

        const FormatPicture copy = m_reader->picture(raw, QSize(640, 640), FormatReader::Scale::Cover);
        QVERIFY2(copy.ok(), qPrintable(copy.failure));
        QCOMPARE(copy.picture.size(), QSize(854, 640));
    }

    void videoMetadata_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("date");
        QTest::addColumn<QSize>("size");
        // Stored in UTC: 08:30 UTC is 10:30 in Paris in summer; 23:30 UTC is past midnight in winter.
        QTest::newRow("MP4") << "MVI_0001.MP4" << "2024:07:12 10:30:00" << QSize(320, 240);
        QTest::newRow("MOV") << "MVI_0002.MOV" << "2024:01:16 00:30:00" << QSize(320, 240);
        QTest::newRow("transport stream") << "00001.MTS" << QString() << QSize(320, 240);
        QTest::newRow("filmed upright") << "PORTRAIT.MP4" << "2024:07:12 10:30:00" << QSize(240, 320);
    }
    void videoMetadata()
    {
        QFETCH(QString, name);
        QFETCH(QString, date);
        QFETCH(QSize, size);
        const FormatMetadata metadata = m_reader->metadata(path(name));
        QVERIFY2(metadata.ok(), qPrintable(metadata.failure));
        QCOMPARE(ExifDate::format(metadata.dateTaken), date);
        QCOMPARE(valueOf(metadata.entries, "Date taken"), date.isEmpty() ? QStringLiteral("<none>") : date);
        QVERIFY2(metadata.durationMs >= 900 && metadata.durationMs <= 1200, qPrintable(QString::number(metadata.durationMs)));
        QCOMPARE(metadata.pixelSize, size);
        QCOMPARE(valueOf(metadata.entries, "Pixel X Dimension"), QString::number(size.width()));
        QCOMPARE(valueOf(metadata.entries, "Pixel Y Dimension"), QString::number(size.height()));
        QVERIFY(valueOf(metadata.entries, "Duration").endsWith(QLatin1String(" s")));

        const FormatPicture picture = m_reader->picture(path(name), QSize(105, 105));
        QCOMPARE(picture.failure, QStringLiteral("Pas d'image pour une vidéo"));
        QVERIFY(picture.picture.isNull());
    }

    void filesInMemoryReadAsOnDisk()
    {
        for (const char *name : {"IMG_0001.HEIC", "RAW_6.CR2", "MVI_0001.MP4"}) {
            const FormatMetadata fromDisk = m_reader->metadata(path(name));
            const FormatMetadata inMemory = m_reader->metadata(QString::fromLatin1(name), readFile(path(name)));
            QVERIFY2(inMemory.ok(), qPrintable(inMemory.failure));
            QCOMPARE(inMemory.dateTaken, fromDisk.dateTaken);
            QCOMPARE(inMemory.orientation, fromDisk.orientation);
            QCOMPARE(inMemory.entries.size(), fromDisk.entries.size());
            QCOMPARE(inMemory.durationMs, fromDisk.durationMs);
        }
        const FormatPicture picture =
            m_reader->picture(QStringLiteral("DCIM/IMG_0001.HEIC"), readFile(path("IMG_0001.HEIC")), QSize(105, 105));
        QVERIFY2(picture.ok(), qPrintable(picture.failure));
        QCOMPARE(picture.picture.size(), QSize(105, 79));
        QCOMPARE(corners(picture.picture), QStringLiteral("RGBW"));
        // The name alone tells the kind: the same bytes named as a JPEG are not the probe's.
        QVERIFY(!m_reader->metadata(QStringLiteral("IMG_0001.JPG"), readFile(path("IMG_0001.HEIC"))).ok());
    }

    void namesThatAreNotUtf8()
    {
        const QString name = m_dir.path() + u'/' + FileName::decode(QByteArray("\xC9T\xC9_\xE9t\xE9.HEIC"));
        QVERIFY(TestSupport::writeFile(path("copy.heic"), readFile(path("IMG_0001.HEIC"))));
        QVERIFY(::rename(FileName::encode(path("copy.heic")).constData(), FileName::encode(name).constData()) == 0);
        const FormatMetadata metadata = m_reader->metadata(name);
        ::unlink(FileName::encode(name).constData()); // Qt could not remove it with the folder
        QVERIFY2(metadata.ok(), qPrintable(metadata.failure));
        QCOMPARE(metadata.orientation, 6);
    }

    void otherKindsAreNotProbed()
    {
        FormatReader::Options options;
        options.probeProgram = QStringLiteral(LUMARO_PROBE);
        FormatReader reader(options);
        QVERIFY(!reader.metadata(path("side.jpg")).ok());
        QVERIFY(!reader.picture(path("side.jpg"), QSize(105, 105)).ok());
        QVERIFY(!reader.metadata(QStringLiteral("IMG_0001.THM"), QByteArray("x")).ok());
        QVERIFY(reader.probeProcesses().empty());
    }

    void probeFoundBesideOrInstalled()
    {
        // The build tree: beside the program. An installed tree: bin/ and libexec/lumaro/.
        const QString root = path("tree");
        const QString beside = root + QStringLiteral("/usr/bin/lumaro-probe");
        const QString installed = root + QStringLiteral("/usr/libexec/lumaro/lumaro-probe");
        QVERIFY(TestSupport::writeFile(installed, "#!/bin/sh\n"));
        QCOMPARE(ProbeLocation::findFrom(root + QStringLiteral("/usr/bin")), QString());
        QVERIFY(::chmod(FileName::encode(installed).constData(), 0755) == 0);
        QCOMPARE(ProbeLocation::findFrom(root + QStringLiteral("/usr/bin/")), installed);
        QVERIFY(TestSupport::writeFile(beside, "#!/bin/sh\n"));
        QVERIFY(::chmod(FileName::encode(beside).constData(), 0755) == 0);
        QCOMPARE(ProbeLocation::findFrom(root + QStringLiteral("/usr/bin")), beside);
        QVERIFY(ProbeLocation::findFrom(QString()).isEmpty());
        // This test program lies in the build's tests folder, one below the probe.
        QCOMPARE(ProbeLocation::findFrom(ProbeLocation::runningProgramFolder() + QStringLiteral("..")),
                 FileSystem::cleanPath(QStringLiteral(LUMARO_PROBE)));
    }

    void threadsShareWarmProbes()
    {
        FormatReader::Options options;
        options.probeProgram = QStringLiteral(LUMARO_PROBE);
        FormatReader reader(options);
        QVERIFY(reader.metadata(path("IMG_0001.HEIC")).ok());
        const std::vector<pid_t> first = reader.probeProcesses();
        QCOMPARE(first.size(), size_t(1));
        QVERIFY(reader.picture(path("RAW_6.CR2"), QSize(105, 105)).ok());
        QCOMPARE(reader.probeProcesses(), first); // the same probe, kept warm

        std::atomic<int> failures{0};
        const auto work = [&](int k) {
            for (int i = 0; i < 6; ++i) {
                const FormatPicture p = reader.picture(path((i + k) % 2 ? "IMG_0003.HEIC" : "RAW_8.CR2"), QSize(105, 105));
                const FormatMetadata m = reader.metadata(path("MVI_0001.MP4"));
                if (!p.ok() || corners(p.picture) != QStringLiteral("RGBW") || !m.ok() || m.pixelSize != QSize(320, 240))
                    ++failures;
            }
        };
        std::thread a(work, 0), b(work, 1), c(work, 2);
        a.join();
        b.join();
        c.join();
        QCOMPARE(failures.load(), 0);
        QVERIFY(reader.probeProcesses().size() <= 3);
    }
};

QTEST_GUILESS_MAIN(TestFormats)
#include "tst_formats.moc"
