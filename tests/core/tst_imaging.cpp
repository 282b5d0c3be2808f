// The imaging layer: guards against damaged files, thumbnail sizes, DCT-reduced loading,
// lossless turns identical to jpegtran's with their EXIF brought up to date, safe rewriting in
// place, and copies that keep their metadata. Photos are made at run time with the layer's own
// writer; exiftool writes and reads back EXIF, jpegtran is the reference for lossless turns.
#include "core/imaging/imaging.h"
#include "tests/testsupport.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>

using namespace Imaging;

namespace {

using TestSupport::FileSizeLimit;
using TestSupport::readFile;
using TestSupport::writeFile;

// A picture whose quadrants are red (top left), green (top right), blue (bottom left) and
// white (bottom right), so that any turn or mirror shows in four pixels.
QImage quadrants(int width, int height)
{
    QImage picture(width, height, QImage::Format_RGB888);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const bool right = x >= width / 2, bottom = y >= height / 2;
            const QRgb c = !bottom ? (right ? qRgb(0, 200, 0) : qRgb(220, 0, 0))
                                   : (right ? qRgb(255, 255, 255) : qRgb(0, 0, 220));
            picture.setPixel(x, y, c);
        }
    }
    return picture;
}

enum class Colour { Red, Green, Blue, White, Other };

Colour colourAt(const QImage &picture, double fx, double fy)
{
    const QColor c = picture.pixelColor(int(fx * (picture.width() - 1)), int(fy * (picture.height() - 1)));
    if (c.red() > 180 && c.green() > 180 && c.blue() > 180)
        return Colour::White;
    if (c.red() > 150 && c.green() < 80 && c.blue() < 80)
        return Colour::Red;
    if (c.green() > 150 && c.red() < 80 && c.blue() < 80)
        return Colour::Green;
    if (c.blue() > 150 && c.red() < 80 && c.green() < 80)
        return Colour::Blue;
    return Colour::Other;
}

// The four corner colours, top left, top right, bottom left, bottom right.
QList<Colour> corners(const QImage &picture)
{
    return {colourAt(picture, 0.1, 0.1), colourAt(picture, 0.9, 0.1), colourAt(picture, 0.1, 0.9),
            colourAt(picture, 0.9, 0.9)};
}

QString tool(const char *name)
{
    return QStandardPaths::findExecutable(QString::fromLatin1(name));
}

// Runs a program and returns its standard output; "<failed>" (which no comparison expects)
// when it fails.
QByteArray run(const QString &program, const QStringList &arguments)
{
    QByteArray out;
    return TestSupport::runProgram(program, arguments, &out) ? out : QByteArray("<failed>");
}

QString exifTag(const QString &path, const QString &tag)
{
    return QString::fromUtf8(run(tool("exiftool"), {QStringLiteral("-s3"), QStringLiteral("-n"), QLatin1Char('-') + tag, path}))
        .trimmed();
}

// Bytes of a JPEG whose first frame header states another size.
QByteArray withStatedSize(QByteArray jpeg, int width, int height)
{
    const qsizetype sof = jpeg.indexOf(QByteArray("\xFF\xC0", 2));
    if (sof < 0)
        return {};
    jpeg[sof + 5] = char(height >> 8);
    jpeg[sof + 6] = char(height & 0xFF);
    jpeg[sof + 7] = char(width >> 8);
    jpeg[sof + 8] = char(width & 0xFF);
    return jpeg;
}

long peakMemoryKiB()
{
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

} // namespace

Q_DECLARE_METATYPE(Imaging::ErrorCode)

class TestImaging : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString path(const QString &name) const { return m_dir.filePath(name); }

    // A JPEG of the quadrant picture written by the layer (4:2:0 below quality 90).
    QString makePhoto(const QString &name, int width, int height, int quality = 85)
    {
        const QString file = path(name);
        saveJpeg(file, quadrants(width, height), SaveOptions{quality, {}, false});
        return file;
    }

    bool haveExiftool() const { return !tool("exiftool").isEmpty(); }

private slots:
    void initTestCase()
    {
        TestSupport::isolateEnvironment();
        QVERIFY(m_dir.isValid());
        // A write beyond RLIMIT_FSIZE must fail with EFBIG rather than end the process.
        std::signal(SIGXFSZ, SIG_IGN);
    }

    void fittedSizeRoundsToNearest_data()
    {
        QTest::addColumn<QSize>("picture");
        QTest::addColumn<QSize>("box");
        QTest::addColumn<QSize>("expected");
        QTest::newRow("500x375 rounds up, not truncated") << QSize(500, 375) << QSize(105, 105) << QSize(105, 79);
        QTest::newRow("portrait") << QSize(375, 500) << QSize(105, 105) << QSize(79, 105);
        QTest::newRow("camera 4:3") << QSize(4000, 3000) << QSize(105, 105) << QSize(105, 79);
        QTest::newRow("camera 3:2") << QSize(6000, 4000) << QSize(105, 105) << QSize(105, 70);
        QTest::newRow("square") << QSize(1000, 1000) << QSize(105, 105) << QSize(105, 105);
        QTest::newRow("smaller is not enlarged") << QSize(50, 40) << QSize(105, 105) << QSize(50, 40);
        QTest::newRow("thin keeps one pixel") << QSize(3000, 2) << QSize(105, 105) << QSize(105, 1);
        QTest::newRow("wide box") << QSize(1000, 1000) << QSize(200, 100) << QSize(100, 100);
    }
    void fittedSizeRoundsToNearest()
    {
        QFETCH(QSize, picture);
        QFETCH(QSize, box);
        QFETCH(QSize, expected);
        QCOMPARE(fittedSize(picture, box), expected);
    }

    // Without a stored thumbnail the photo itself is reduced, to the rounded size.
    void thumbnailOfDecodedPhoto_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<QSize>("expected");
        QTest::newRow("500x375") << QSize(500, 375) << QSize(105, 79);
        QTest::newRow("portrait 375x500") << QSize(375, 500) << QSize(79, 105);
        QTest::newRow("larger than the read-ahead") << QSize(1600, 1200) << QSize(105, 79);
        QTest::newRow("small stays") << QSize(64, 48) << QSize(64, 48);
    }
    void thumbnailOfDecodedPhoto()
    {
        QFETCH(QSize, size);
        QFETCH(QSize, expected);
        const QString file = makePhoto(QStringLiteral("thumb-%1x%2.jpg").arg(size.width()).arg(size.height()),
                                       size.width(), size.height(), 95);
        const Photo photo = loadThumbnail(file, QSize(105, 105));
        QCOMPARE(photo.picture.size(), expected);
        QCOMPARE(photo.storedSize, size);
        QCOMPARE(photo.picture.format(), QImage::Format_RGB888);
        QCOMPARE(corners(photo.picture), (QList<Colour>{Colour::Red, Colour::Green, Colour::Blue, Colour::White}));
    }

    // The stored EXIF thumbnail is used when it decodes, the photo otherwise; a large photo is
    // read only as far as its thumbnail when that is enough.
    void thumbnailPrefersStoredOne_data()
    {
        QTest::addColumn<bool>("goodThumbnail");
        QTest::addColumn<bool>("large");
        QTest::newRow("stored thumbnail used") << true << false;
        QTest::newRow("stored thumbnail of a large photo") << true << true;
        QTest::newRow("damaged stored thumbnail ignored") << false << false;
        QTest::newRow("damaged stored thumbnail of a large photo") << false << true;
    }
    void thumbnailPrefersStoredOne()
    {
        if (!haveExiftool())
            QSKIP("exiftool is not installed");
        QFETCH(bool, goodThumbnail);
        QFETCH(bool, large);
        const QString file = path(QStringLiteral("stored-thumb.jpg"));
        // Red with noise: a large photo then weighs far more than the head read for thumbnails.
        QImage red(large ? 1600 : 640, large ? 1200 : 480, QImage::Format_RGB888);
        QRandomGenerator noise(7);
        for (int y = 0; y < red.height(); ++y)
            for (int x = 0; x < red.width(); ++x)
                red.setPixel(x, y, qRgb(200 + int(noise.bounded(40)), int(noise.bounded(40)), int(noise.bounded(40))));
        saveJpeg(file, red, SaveOptions{95, {}, false});
        if (large)
            QVERIFY(QFileInfo(file).size() > 512 * 1024);
        const QString thumb = path(QStringLiteral("blue-thumb.jpg"));
        if (goodThumbnail) {
            QImage blue(160, 120, QImage::Format_RGB888);
            blue.fill(qRgb(0, 0, 220));
            saveJpeg(thumb, blue, SaveOptions{80, {}, false});
        } else {
            QVERIFY(writeFile(thumb, QByteArray("\xFF\xD8\xFF\xDB garbage that is no JPEG at all")));
        }
        QVERIFY(TestSupport::runProgram(tool("exiftool"), {"-q", "-overwrite_original", "-Make=Lumaro", "-ThumbnailImage<=" + thumb, file}));

        const Photo photo = loadThumbnail(file, QSize(105, 105), MetadataChoice::Load);
        QCOMPARE(photo.picture.size(), QSize(105, 79));
        QCOMPARE(photo.storedSize, red.size());
        QCOMPARE(colourAt(photo.picture, 0.5, 0.5), goodThumbnail ? Colour::Blue : Colour::Red);
        QVERIFY(photo.metadata.hasExif());
        QVERIFY(!loadThumbnail(file, QSize(105, 105)).metadata.hasExif());
        QCOMPARE(loadMetadata(file).exifBlock(), photo.metadata.exifBlock());
    }

    // A colour profile split over several segments comes back whole and goes into the copy.
    void colourProfileCarriedOver()
    {
        const QByteArray plain = encodeJpeg(quadrants(64, 48), SaveOptions{80, {}, false});
        QByteArray profile;
        for (int i = 0; i < 70000; ++i)
            profile.append(char(i * 7 % 251));
        const Metadata given(QByteArray(), profile);
        const QByteArray withProfile = encodeJpeg(quadrants(64, 48), SaveOptions{80, given, false});
        QVERIFY(withProfile.size() > plain.size() + profile.size());
        const QString file = path(QStringLiteral("profile.jpg"));
        QVERIFY(writeFile(file, withProfile));

        const Photo photo = loadPhoto(file, MetadataChoice::Load);
        QCOMPARE(photo.metadata.iccProfile(), profile);
        QVERIFY(!photo.metadata.hasExif());
        const QByteArray copy = encodeJpeg(turnedPicture(photo.picture, 90), SaveOptions{40, photo.metadata, true});
        QCOMPARE(Metadata::fromJpeg(copy).iccProfile(), profile);
        QVERIFY(loadPhoto(file).metadata.isEmpty());
    }

    // Every damaged or foreign input gives its French text, whatever the operation.
    void guards_data()
    {
        QTest::addColumn<QByteArray>("bytes"); // empty with "missing" set: no file at all
        QTest::addColumn<bool>("missing");
        QTest::addColumn<Imaging::ErrorCode>("expected");
        QTest::addColumn<QString>("text");
        const QByteArray good = readFile(makePhoto(QStringLiteral("guard-source.jpg"), 320, 240));
        QVERIFY(!good.isEmpty());
        QTest::newRow("missing file") << QByteArray() << true << ErrorCode::FileNotFound << "Fichier introuvable";
        QTest::newRow("zero bytes") << QByteArray() << false << ErrorCode::EmptyFile << "Fichier vide";
        QTest::newRow("text file") << QByteArray("Date taken=2004:02:14\r\n") << false << ErrorCode::NotJpeg
                                   << "Ce fichier n'est pas une image JPEG";
        QTest::newRow("PNG") << QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16) << false << ErrorCode::NotJpeg
                             << "Ce fichier n'est pas une image JPEG";
        QTest::newRow("start of image then junk") << QByteArray("\xFF\xD8junkjunkjunk", 14) << false
                                                  << ErrorCode::DamagedJpeg << "Image JPEG endommagée";
        QTest::newRow("truncated header") << good.left(100) << false << ErrorCode::DamagedJpeg
                                          << "Image JPEG endommagée";
        QTest::newRow("400 megapixels stated") << withStatedSize(good, 20000, 20000) << false << ErrorCode::TooLarge
                                               << "Image trop grande";
        QTest::newRow("side over the limit") << withStatedSize(good, 65535, 16) << false << ErrorCode::TooLarge
                                             << "Image trop grande";
        QTest::newRow("zero height stated") << withStatedSize(good, 320, 0) << false << ErrorCode::DamagedJpeg
                                            << "Image JPEG endommagée";
    }
    void guards()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, missing);
        QFETCH(Imaging::ErrorCode, expected);
        QFETCH(QString, text);
        const QString file = path(QStringLiteral("guarded.jpg"));
        QFile::remove(file);
        if (!missing)
            QVERIFY(writeFile(file, bytes));
        const QByteArray before = readFile(file);

        const std::function<void()> operations[] = {
            [&] { loadPhoto(file); },
            [&] { loadPhotoCovering(file, QSize(640, 480)); },
            [&] { loadThumbnail(file, QSize(105, 105), MetadataChoice::Load); },
            [&] { turnLosslessly(file, 90); },
        };
        for (const auto &operation : operations) {
            try {
                operation();
                QFAIL("no error raised");
            } catch (const ImagingError &error) {
                QCOMPARE(error.code(), expected);
                QCOMPARE(error.message(), text);
            }
        }
        QCOMPARE(readFile(file), before);
        QCOMPARE(QFile::exists(file), !missing);
    }

    // libjpeg-turbo only warns about a scan cut short: the photo still opens, grey below.
    void truncatedScanStillLoads()
    {
        const QString file = makePhoto(QStringLiteral("whole.jpg"), 640, 480);
        const QByteArray bytes = readFile(file);
        const QString cut = path(QStringLiteral("cut.jpg"));
        QVERIFY(writeFile(cut, bytes.left(bytes.size() * 6 / 10)));

        const Photo photo = loadPhoto(cut);
        QCOMPARE(photo.picture.size(), QSize(640, 480));
        QCOMPARE(colourAt(photo.picture, 0.1, 0.1), Colour::Red);
        QCOMPARE(loadThumbnail(cut, QSize(105, 105)).picture.size(), QSize(105, 79));
        QCOMPARE(loadPhotoCovering(cut, QSize(160, 120)).picture.size(), QSize(160, 120));
    }

    // Reduction in the decoder: the strongest 1/8 step that still covers the target.
    void loadCoveringUsesDctScale_data()
    {
        QTest::addColumn<QSize>("stored");
        QTest::addColumn<QSize>("target");
        QTest::addColumn<QSize>("expected");
        QTest::newRow("4000x3000 for 640x480 at 1/4") << QSize(4000, 3000) << QSize(640, 480) << QSize(1000, 750);
        QTest::newRow("exactly 1/8") << QSize(800, 600) << QSize(100, 75) << QSize(100, 75);
        QTest::newRow("one pixel more needs 1/4") << QSize(800, 600) << QSize(101, 75) << QSize(200, 150);
        QTest::newRow("3/8 step") << QSize(800, 600) << QSize(290, 200) << QSize(300, 225);
        QTest::newRow("portrait target on landscape") << QSize(800, 600) << QSize(480, 640) << QSize(800, 600);
        QTest::newRow("larger target: full size") << QSize(320, 240) << QSize(640, 480) << QSize(320, 240);
        QTest::newRow("no target: full size") << QSize(320, 240) << QSize() << QSize(320, 240);
    }
    void loadCoveringUsesDctScale()
    {
        QFETCH(QSize, stored);
        QFETCH(QSize, target);
        QFETCH(QSize, expected);
        const QString file = makePhoto(QStringLiteral("cover-%1.jpg").arg(stored.width()), stored.width(),
                                       stored.height());
        const Photo photo = loadPhotoCovering(file, target, MetadataChoice::Skip);
        QCOMPARE(photo.picture.size(), expected);
        QCOMPARE(photo.storedSize, stored);
        QCOMPARE(photo.formatName, QStringLiteral("JPEG"));
        QCOMPARE(corners(photo.picture), (QList<Colour>{Colour::Red, Colour::Green, Colour::Blue, Colour::White}));
    }

    // Other JPEG kinds that cameras and editors write all decode to the same 24-bit picture.
    void decodesJpegVariants_data()
    {
        QTest::addColumn<QStringList>("convertOptions");
        QTest::addColumn<bool>("grey");
        QTest::newRow("progressive") << QStringList{"-interlace", "JPEG"} << false;
        QTest::newRow("4:4:4") << QStringList{"-sampling-factor", "1x1"} << false;
        QTest::newRow("4:2:2") << QStringList{"-sampling-factor", "2x1"} << false;
        QTest::newRow("CMYK") << QStringList{"-colorspace", "CMYK"} << false;
        QTest::newRow("greyscale") << QStringList{"-colorspace", "Gray"} << true;
    }
    void decodesJpegVariants()
    {
        if (tool("convert").isEmpty())
            QSKIP("ImageMagick is not installed");
        QFETCH(QStringList, convertOptions);
        QFETCH(bool, grey);
        const QString png = path(QStringLiteral("variant.png"));
        QVERIFY(quadrants(120, 90).save(png));
        const QString jpeg = path(QStringLiteral("variant.jpg"));
        QVERIFY(TestSupport::runProgram(tool("convert"), QStringList{png} + convertOptions + QStringList{"-quality", "92", jpeg}));
        const Photo photo = loadPhoto(jpeg);
        QCOMPARE(photo.picture.size(), QSize(120, 90));
        QCOMPARE(photo.picture.format(), QImage::Format_RGB888);
        if (grey) {
            const QColor c = photo.picture.pixelColor(5, 5);
            QVERIFY(c.red() == c.green() && c.green() == c.blue());
        } else {
            QCOMPARE(corners(photo.picture), (QList<Colour>{Colour::Red, Colour::Green, Colour::Blue, Colour::White}));
        }
    }

    void turnedPictureTurnsClockwise_data()
    {
        QTest::addColumn<int>("angle");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<QList<Colour>>("expected");
        using C = Colour;
        QTest::newRow("0") << 0 << QSize(80, 60) << QList<C>{C::Red, C::Green, C::Blue, C::White};
        QTest::newRow("90") << 90 << QSize(60, 80) << QList<C>{C::Blue, C::Red, C::White, C::Green};
        QTest::newRow("180") << 180 << QSize(80, 60) << QList<C>{C::White, C::Blue, C::Green, C::Red};
        QTest::newRow("270") << 270 << QSize(60, 80) << QList<C>{C::Green, C::White, C::Red, C::Blue};
        QTest::newRow("-90 is 270") << -90 << QSize(60, 80) << QList<C>{C::Green, C::White, C::Red, C::Blue};
    }
    void turnedPictureTurnsClockwise()
    {
        QFETCH(int, angle);
        QFETCH(QSize, size);
        QFETCH(QList<Colour>, expected);
        const QImage out = turnedPicture(quadrants(80, 60), angle);
        QCOMPARE(out.size(), size);
        QCOMPARE(out.format(), QImage::Format_RGB888);
        QCOMPARE(corners(out), expected);
    }

    void refusesOddAnglesAndSizes()
    {
        const QString file = makePhoto(QStringLiteral("angles.jpg"), 64, 48);
        const QByteArray before = readFile(file);
        for (int angle : {45, 1, 91}) {
            try {
                turnLosslessly(file, angle);
                QFAIL("angle accepted");
            } catch (const ImagingError &error) {
                QCOMPARE(error.code(), ErrorCode::UnsupportedAngle);
            }
            QVERIFY_THROWS_EXCEPTION(ImagingError, turnedPicture(quadrants(8, 8), angle));
        }
        QCOMPARE(readFile(file), before);
        QVERIFY_THROWS_EXCEPTION(ImagingError, resized(quadrants(8, 8), QSize(0, 10)));
        QCOMPARE(resized(quadrants(80, 60), QSize(640, 480)).size(), QSize(640, 480));
        QCOMPARE(resized(quadrants(4000, 30), QSize(30, 4000)).size(), QSize(30, 4000));
    }

    // The turned file holds exactly the image data jpegtran -trim makes; odd sizes that are
    // not whole MCUs included (4:2:0 photos of 4000 x 3000 are such).
    void losslessTurnMatchesJpegtran_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<int>("quality");
        QTest::addColumn<int>("angle");
        for (int angle : {90, 180, 270}) {
            QTest::addRow("4:2:0 100x75 by %d", angle) << QSize(100, 75) << 85 << angle;
            QTest::addRow("4:2:0 333x250 by %d", angle) << QSize(333, 250) << 85 << angle;
            QTest::addRow("4:2:0 whole MCUs 320x240 by %d", angle) << QSize(320, 240) << 85 << angle;
            QTest::addRow("4:4:4 101x77 by %d", angle) << QSize(101, 77) << 95 << angle;
        }
    }
    void losslessTurnMatchesJpegtran()
    {
        const QString jpegtran = tool("jpegtran");
        if (jpegtran.isEmpty())
            QSKIP("jpegtran is not installed");
        QFETCH(QSize, size);
        QFETCH(int, quality);
        QFETCH(int, angle);
        const QString file = makePhoto(QStringLiteral("turn.jpg"), size.width(), size.height(), quality);
        const QByteArray reference = run(jpegtran, {"-rotate", QString::number(angle), "-trim", "-copy", "all", file});
        turnLosslessly(file, angle);
        const QByteArray turned = readFile(file);

        // Without EXIF there is nothing to update: the files are the same, byte for byte.
        QCOMPARE(turned, reference);
        const Photo ours = decodePhoto(turned);
        const Photo theirs = decodePhoto(reference);
        QCOMPARE(ours.picture, theirs.picture);
        const QSize expected = angle == 180 ? size : size.transposed();
        QVERIFY(ours.picture.width() <= expected.width() && ours.picture.width() > expected.width() - 16);
        QVERIFY(ours.picture.height() <= expected.height() && ours.picture.height() > expected.height() - 16);
    }

    // After a turn the EXIF (and XMP) says "top-left", the recorded size follows and the
    // stored thumbnail shows the picture the same way round as the photo.
    void losslessTurnUpdatesExif_data()
    {
        QTest::addColumn<int>("orientation");
        QTest::addColumn<int>("angle");
        QTest::addColumn<QList<Colour>>("corners");
        using C = Colour;
        QTest::newRow("right-top (6) by 90") << 6 << 90 << QList<C>{C::Blue, C::Red, C::White, C::Green};
        QTest::newRow("left-bottom (8) by 270") << 8 << 270 << QList<C>{C::Green, C::White, C::Red, C::Blue};
        QTest::newRow("top-left by 180") << 1 << 180 << QList<C>{C::White, C::Blue, C::Green, C::Red};
    }
    void losslessTurnUpdatesExif()
    {
        if (!haveExiftool())
            QSKIP("exiftool is not installed");
        QFETCH(int, orientation);
        QFETCH(int, angle);
        QFETCH(QList<Colour>, corners);
        const QString file = makePhoto(QStringLiteral("exif-turn.jpg"), 320, 240);
        const QString thumb = path(QStringLiteral("exif-turn-thumb.jpg"));
        saveJpeg(thumb, quadrants(160, 120), SaveOptions{80, {}, false});
        QVERIFY(TestSupport::runProgram(tool("exiftool"), {"-q", "-overwrite_original", "-Make=Lumaro", "-DateTimeOriginal=2004:02:14 10:30:12",
                               QStringLiteral("-Orientation#=%1").arg(orientation),
                               QStringLiteral("-XMP-tiff:Orientation#=%1").arg(orientation), "-ExifImageWidth=320",
                               "-ExifImageHeight=240", "-ThumbnailImage<=" + thumb, file}));

        const QString jpegtran = tool("jpegtran");
        const QByteArray reference = jpegtran.isEmpty()
            ? QByteArray()
            : run(jpegtran, {"-rotate", QString::number(angle), "-trim", "-copy", "all", file});

        turnLosslessly(file, angle);

        if (!reference.isEmpty())
            QCOMPARE(loadPhoto(file).picture, decodePhoto(reference).picture);
        QCOMPARE(exifTag(file, "EXIF:Orientation"), QStringLiteral("1"));
        QCOMPARE(exifTag(file, "XMP-tiff:Orientation"), QStringLiteral("1"));
        const QSize expected = angle == 180 ? QSize(320, 240) : QSize(240, 320);
        QCOMPARE(exifTag(file, "ExifImageWidth").toInt(), expected.width());
        QCOMPARE(exifTag(file, "ExifImageHeight").toInt(), expected.height());
        QCOMPARE(exifTag(file, "Make"), QStringLiteral("Lumaro"));
        QCOMPARE(exifTag(file, "DateTimeOriginal"), QStringLiteral("2004:02:14 10:30:12"));

        const Photo photo = loadPhoto(file, MetadataChoice::Load);
        QCOMPARE(photo.picture.size(), expected);
        QCOMPARE(::corners(photo.picture), corners);
        QVERIFY(photo.metadata.hasExif());
        const QByteArray storedThumbnail = run(tool("exiftool"), {"-b", "-ThumbnailImage", file});
        const Photo thumbnail = decodePhoto(storedThumbnail);
        QCOMPARE(thumbnail.picture.size(), angle == 180 ? QSize(160, 120) : QSize(120, 160));
        QCOMPARE(::corners(thumbnail.picture), corners);
        // The layer's own thumbnail comes from it too and is upright like the photo.
        QCOMPARE(::corners(loadThumbnail(file, QSize(105, 105)).picture), corners);
    }

    // Found by the fuzzer: a stored thumbnail whose header claims 60000 x 60000 pixels made the
    // turn allocate gigabytes for it. Such a thumbnail is now ignored when loading and dropped
    // when turning; the photo itself is unaffected.
    void implausibleStoredThumbnailIsDropped()
    {
        if (!haveExiftool())
            QSKIP("exiftool is not installed");
        const QString file = makePhoto(QStringLiteral("trap-thumb.jpg"), 320, 240);
        const QString thumb = path(QStringLiteral("trap-thumb-small.jpg"));
        QVERIFY(writeFile(thumb, withStatedSize(encodeJpeg(quadrants(160, 120), SaveOptions{80, {}, false}), 60000, 60000)));
        QVERIFY(TestSupport::runProgram(tool("exiftool"), {"-q", "-overwrite_original", "-Orientation#=6", "-ThumbnailImage<=" + thumb, file}));
        QVERIFY(!run(tool("exiftool"), {"-b", "-ThumbnailImage", file}).isEmpty());

        const Photo before = loadThumbnail(file, QSize(105, 105));
        QCOMPARE(before.picture.size(), QSize(105, 79));
        QCOMPARE(corners(before.picture), (QList<Colour>{Colour::Red, Colour::Green, Colour::Blue, Colour::White}));

        const long peakBefore = peakMemoryKiB();
        turnLosslessly(file, 90);
        // The high-water mark of this process: a few megabytes for this photo, not gigabytes.
        QVERIFY2(peakMemoryKiB() - peakBefore < 512 * 1024, "the turn used far more memory than the photo needs");
        QCOMPARE(exifTag(file, "EXIF:Orientation"), QStringLiteral("1"));
        QVERIFY(run(tool("exiftool"), {"-b", "-ThumbnailImage", file}).isEmpty());
        QCOMPARE(loadThumbnail(file, QSize(105, 105)).picture.size(), QSize(79, 105));
    }

    // A rewrite in place that fails leaves the photo exactly as it was, and no stray file.
    void failedRewriteKeepsOriginal_data()
    {
        QTest::addColumn<QString>("situation");
        QTest::addColumn<Imaging::ErrorCode>("expected");
        QTest::newRow("disk full while writing the turn") << "limit-turn" << ErrorCode::WriteFailed;
        QTest::newRow("disk full while saving a copy over") << "limit-save" << ErrorCode::WriteFailed;
        QTest::newRow("corrupted photo") << "corrupted" << ErrorCode::DamagedJpeg;
        QTest::newRow("folder where the file should be") << "folder" << ErrorCode::ReadFailed;
    }
    void failedRewriteKeepsOriginal()
    {
        QFETCH(QString, situation);
        QFETCH(Imaging::ErrorCode, expected);
        const QString folder = path(QStringLiteral("rewrite-") + situation);
        QVERIFY(QDir().mkpath(folder));
        QString file = folder + QStringLiteral("/photo.jpg");
        saveJpeg(file, quadrants(640, 480), SaveOptions{90, {}, false});
        if (situation == QLatin1String("corrupted")) {
            QByteArray bytes = readFile(file);
            QVERIFY(writeFile(file, bytes.left(120) + QByteArray(400, '\x11')));
        } else if (situation == QLatin1String("folder")) {
            QVERIFY(QFile::remove(file));
            QVERIFY(QDir().mkpath(file));
        }
        const QByteArray before = readFile(file);
        const QStringList entriesBefore = QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
        try {
            const FileSizeLimit limit(situation.startsWith(QLatin1String("limit")) ? 4096 : RLIM_INFINITY);
            if (situation == QLatin1String("limit-save"))
                saveJpeg(file, quadrants(640, 480), SaveOptions{100, {}, false});
            else
                turnLosslessly(file, 90);
            QFAIL("no error raised");
        } catch (const ImagingError &error) {
            QCOMPARE(error.code(), expected);
            QCOMPARE(error.message(), errorText(expected));
        }
        QCOMPARE(readFile(file), before);
        QCOMPARE(QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), entriesBefore);
    }

    void rewriteKeepsPermissions()
    {
        const QString file = makePhoto(QStringLiteral("permissions.jpg"), 64, 48);
        const QByteArray name = QFile::encodeName(file);
        QCOMPARE(::chmod(name.constData(), 0640), 0);
        turnLosslessly(file, 180);
        struct stat info {};
        QCOMPARE(::stat(name.constData(), &info), 0);
        QCOMPARE(info.st_mode & 07777, mode_t(0640));
    }

    // Qualities outside 1..100 are brought to the nearest bound, not passed on.
    void qualityIsClamped_data()
    {
        QTest::addColumn<int>("given");
        QTest::addColumn<int>("used");
        QTest::newRow("0") << 0 << 1;
        QTest::newRow("-20") << -20 << 1;
        QTest::newRow("101") << 101 << 100;
        QTest::newRow("65535") << 65535 << 100;
        QTest::newRow("40 as is") << 40 << 40;
    }
    void qualityIsClamped()
    {
        QFETCH(int, given);
        QFETCH(int, used);
        const QImage picture = quadrants(96, 64);
        const QByteArray bytes = encodeJpeg(picture, SaveOptions{given, {}, false});
        QCOMPARE(bytes, encodeJpeg(picture, SaveOptions{used, {}, false}));
        QVERIFY(bytes != encodeJpeg(picture, SaveOptions{used == 40 ? 41 : 50, {}, false}));
        QCOMPARE(decodePhoto(bytes).picture.size(), picture.size());
    }

    // A reduced copy keeps the photo's metadata with its own size; a turned one is upright.
    void savedCopyKeepsMetadata_data()
    {
        QTest::addColumn<int>("angle");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<QString>("orientation");
        QTest::newRow("reduced only") << 0 << QSize(320, 240) << "6";
        QTest::newRow("turned and reduced") << 90 << QSize(240, 320) << "1";
    }
    void savedCopyKeepsMetadata()
    {
        if (!haveExiftool())
            QSKIP("exiftool is not installed");
        QFETCH(int, angle);
        QFETCH(QSize, size);
        QFETCH(QString, orientation);
        const QString source = makePhoto(QStringLiteral("keep-source.jpg"), 800, 600, 90);
        const QString thumb = path(QStringLiteral("keep-thumb.jpg"));
        saveJpeg(thumb, quadrants(160, 120), SaveOptions{80, {}, false});
        QVERIFY(TestSupport::runProgram(tool("exiftool"), {"-q", "-overwrite_original", "-Make=Lumaro", "-Model=Test", "-DateTimeOriginal=2004:02:14 10:30:12",
                               "-Orientation#=6", "-ExifImageWidth=800", "-ExifImageHeight=600",
                               "-ThumbnailImage<=" + thumb, source}));

        Photo photo = loadPhotoCovering(source, QSize(320, 240), MetadataChoice::Load);
        QCOMPARE(photo.picture.size(), QSize(400, 300));
        QVERIFY(photo.metadata.hasExif());
        QImage picture = turnedPicture(photo.picture, angle);
        picture = resized(picture, size);
        const QString copy = path(QStringLiteral("keep-copy.jpg"));
        saveJpeg(copy, picture, SaveOptions{40, photo.metadata, angle != 0});

        QCOMPARE(exifTag(copy, "Make"), QStringLiteral("Lumaro"));
        QCOMPARE(exifTag(copy, "Model"), QStringLiteral("Test"));
        QCOMPARE(exifTag(copy, "DateTimeOriginal"), QStringLiteral("2004:02:14 10:30:12"));
        QCOMPARE(exifTag(copy, "ExifImageWidth").toInt(), size.width());
        QCOMPARE(exifTag(copy, "ExifImageHeight").toInt(), size.height());
        QCOMPARE(exifTag(copy, "Orientation"), orientation);
        const Photo reloaded = loadPhoto(copy);
        QCOMPARE(reloaded.picture.size(), size);
        const Photo thumbnail = decodePhoto(run(tool("exiftool"), {"-b", "-ThumbnailImage", copy}));
        QCOMPARE(thumbnail.picture.size(), angle ? QSize(120, 160) : QSize(160, 120));
        QCOMPARE(corners(thumbnail.picture), corners(picture));

        // Without metadata the copy has none.
        saveJpeg(copy, picture, SaveOptions{40, {}, false});
        QVERIFY(!loadMetadata(copy).hasExif());
    }

    // A photo without any size recorded gets one in its copy.
    void savedCopyRecordsMissingSize()
    {
        if (!haveExiftool())
            QSKIP("exiftool is not installed");
        const QString source = makePhoto(QStringLiteral("nosize.jpg"), 200, 100);
        QVERIFY(TestSupport::runProgram(tool("exiftool"), {"-q", "-overwrite_original", "-Make=Lumaro", source}));
        QCOMPARE(exifTag(source, "ExifImageWidth"), QString());
        const Metadata metadata = loadMetadata(source);
        QVERIFY(metadata.hasExif());
        const QString copy = path(QStringLiteral("nosize-copy.jpg"));
        saveJpeg(copy, quadrants(64, 32), SaveOptions{75, metadata, false});
        QCOMPARE(exifTag(copy, "ExifImageWidth").toInt(), 64);
        QCOMPARE(exifTag(copy, "ExifImageHeight").toInt(), 32);
        QCOMPARE(exifTag(copy, "Make"), QStringLiteral("Lumaro"));
    }
};

QTEST_GUILESS_MAIN(TestImaging)
#include "tst_imaging.moc"
