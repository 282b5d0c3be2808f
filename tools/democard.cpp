#include "tools/democard.h"
#include "core/error.h"
#include "core/imaging/imaging.h"
#include "core/imaging/jpegsegments.h"
#include "core/imaging/turbojpeghandle.h"

#include <QDir>
#include <QFile>

#include <exiv2/exiv2.hpp>

#include <cmath>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <vector>

namespace DemoCard {

namespace {

constexpr int ThumbnailWidth = 160;
constexpr int ThumbnailHeight = 120;
constexpr int PhotoQuality = 92;

QString writeError(const QString &path)
{
    return QStringLiteral("Impossible d'écrire le fichier %1.").arg(path);
}

// One generated scene: a sky and a ground in colours of their own, a sun and two hills, and
// sensor-like grain so that the photos weigh what a camera's do.
struct Scene {
    int index;
    float skyTop[3], skyBottom[3], ground[3], sun[3];
    float sunX, sunY, sunRadius, horizon, hillPhase;

    explicit Scene(int k) : index(k)
    {
        const float hue = float((k * 47) % 360);
        const auto channel = [&](float shift, float low, float high) {
            return low + (high - low) * 0.5f * (1.0f + std::cos((hue + shift) * 3.14159265f / 180.0f));
        };
        for (int c = 0; c < 3; ++c) {
            skyTop[c] = channel(float(c) * 120.0f, 40.0f, 200.0f);
            skyBottom[c] = channel(float(c) * 120.0f + 60.0f, 120.0f, 250.0f);
            ground[c] = channel(float(c) * 120.0f + 180.0f, 20.0f, 150.0f);
            sun[c] = channel(float(c) * 120.0f + 300.0f, 180.0f, 255.0f);
        }
        sunX = 0.15f + 0.7f * float((k * 37) % 100) / 100.0f;
        sunY = 0.12f + 0.25f * float((k * 53) % 100) / 100.0f;
        sunRadius = 0.05f + 0.06f * float((k * 29) % 100) / 100.0f;
        horizon = 0.55f + 0.2f * float((k * 61) % 100) / 100.0f;
        hillPhase = float(k) * 0.7f;
    }

    // RGB pixels, row after row, of the scene drawn at width x height.
    std::vector<unsigned char> render(int width, int height, bool grain) const
    {
        std::vector<unsigned char> pixels(size_t(width) * size_t(height) * 3);
        std::uint32_t noise = 2463534242u + std::uint32_t(index) * 7919u;
        const float aspect = float(width) / float(height);
        std::vector<float> hill(static_cast<size_t>(width));
        // The ground's stripes, sin(40u + 30v + c), split into a column part and a row part so
        // that no sine is computed per pixel.
        std::vector<float> sinU(static_cast<size_t>(width)), cosU(static_cast<size_t>(width));
        for (int x = 0; x < width; ++x) {
            const float u = float(x) / float(width);
            hill[size_t(x)] = horizon - 0.08f * std::sin(u * 6.0f + hillPhase) - 0.04f * std::sin(u * 17.0f);
            sinU[size_t(x)] = 25.0f * std::sin(u * 40.0f);
            cosU[size_t(x)] = 25.0f * std::cos(u * 40.0f);
        }
        unsigned char *p = pixels.data();
        for (int y = 0; y < height; ++y) {
            const float v = float(y) / float(height);
            const float dy = (v - sunY);
            float sinV[3], cosV[3];
            for (int c = 0; c < 3; ++c) {
                sinV[c] = std::sin(v * 30.0f + float(c));
                cosV[c] = std::cos(v * 30.0f + float(c));
            }
            for (int x = 0; x < width; ++x) {
                const float u = float(x) / float(width);
                float rgb[3];
                if (v > hill[size_t(x)]) {
                    const float shade = 0.7f + 0.3f * (1.0f - v);
                    for (int c = 0; c < 3; ++c)
                        rgb[c] = ground[c] * shade + sinU[size_t(x)] * cosV[c] + cosU[size_t(x)] * sinV[c];
                } else {
                    const float dx = (u - sunX) * aspect;
                    if (dx * dx + dy * dy < sunRadius * sunRadius) {
                        for (int c = 0; c < 3; ++c)
                            rgb[c] = sun[c];
                    } else {
                        for (int c = 0; c < 3; ++c)
                            rgb[c] = skyTop[c] + (skyBottom[c] - skyTop[c]) * v;
                    }
                }
                for (int c = 0; c < 3; ++c) {
                    float value = rgb[c];
                    if (grain) {
                        noise ^= noise << 13;
                        noise ^= noise >> 17;
                        noise ^= noise << 5;
                        value += float(int(noise & 31u) - 16);
                    }
                    *p++ = (unsigned char)(value < 0.0f ? 0.0f : (value > 255.0f ? 255.0f : value));
                }
            }
        }
        return pixels;
    }
};

// The photos are compressed as a camera does (half-resolution chroma, fast DCT), through the
// imaging layer's TurboJPEG handle.
QByteArray compress(const std::vector<unsigned char> &rgb, int width, int height, int quality)
{
    try {
        Imaging::Detail::TurboJpegHandle handle(Imaging::Detail::TurboJpegHandle::Kind::Compress);
        Imaging::Detail::TurboJpegBuffer output;
        if (tjCompress2(handle.get(), rgb.data(), width, 0, height, TJPF_RGB, output.dataPointer(),
                        output.sizePointer(), TJSAMP_420, quality, TJFLAG_FASTDCT)
            == 0)
            return output.toByteArray();
    } catch (const Imaging::ImagingError &) {
    }
    throw LumaroError(QStringLiteral("Impossible de créer les photos de démonstration."));
}

// Cameras write the EXIF segment right after the start of the image and no JFIF segment.
QByteArray withExif(const QByteArray &jpeg, const Exiv2::Blob &blob)
{
    QByteArray bare = jpeg;
    if (bare.size() > 6 && uchar(bare[2]) == 0xFF && uchar(bare[3]) == 0xE0)
        bare.remove(2, 2 + ((uchar(bare[4]) << 8) | uchar(bare[5])));
    const QByteArray tiff(reinterpret_cast<const char *>(blob.data()), qsizetype(blob.size()));
    const QByteArray segment = Imaging::Detail::exifSegment(tiff);
    if (segment.isEmpty())
        throw LumaroError(QStringLiteral("Impossible de créer les photos de démonstration."));
    return Imaging::Detail::withExifSegment(bare, Imaging::Detail::scanJpegLayout(bare), segment);
}

// The recorded orientation of photo k: by default 6 for photos 3, 8, 13... and 8 for photos
// 5, 10, 15...; with a share, that share of the photos spread evenly, 6 and 8 in turns.
int orientationOf(int k, int turnedPercent)
{
    if (turnedPercent < 0)
        return k % 5 == 3 ? 6 : (k % 5 == 0 ? 8 : 1);
    const int turnedBefore = (k - 1) * turnedPercent / 100;
    const int turnedSoFar = k * turnedPercent / 100;
    if (turnedSoFar == turnedBefore)
        return 1;
    return turnedSoFar % 2 ? 6 : 8;
}

Exiv2::Blob exifBlock(const QDateTime &shot, int orientation, int k, QSize size, const QByteArray &thumbnail)
{
    Exiv2::ExifData exif;
    const std::string date = shot.toString(QStringLiteral("yyyy:MM:dd HH:mm:ss")).toStdString();
    exif["Exif.Image.Make"] = std::string(k % 3 == 0 ? "DEMOPHOTO" : "CAMERA DEMO");
    exif["Exif.Image.Model"] = std::string(k % 3 == 0 ? "DemoPhoto Z1" : "Demo 12 MP");
    exif["Exif.Image.Orientation"] = std::uint16_t(orientation);
    exif["Exif.Image.DateTime"] = date;
    exif["Exif.Photo.DateTimeOriginal"] = date;
    exif["Exif.Photo.DateTimeDigitized"] = date;
    exif["Exif.Photo.PixelXDimension"] = std::uint32_t(size.width());
    exif["Exif.Photo.PixelYDimension"] = std::uint32_t(size.height());
    exif["Exif.Photo.ExposureTime"] = Exiv2::URational(1, 60 + 10 * (k % 7));
    exif["Exif.Photo.FNumber"] = Exiv2::URational(28 + 4 * (k % 5), 10);
    exif["Exif.Photo.ISOSpeedRatings"] = std::uint16_t(100 << (k % 4));
    Exiv2::ExifThumb thumb(exif);
    thumb.setJpegThumbnail(reinterpret_cast<const Exiv2::byte *>(thumbnail.constData()), long(thumbnail.size()));
    Exiv2::Blob blob;
    Exiv2::ExifParser::encode(blob, Exiv2::littleEndian, exif);
    return blob;
}

void writeFile(const QString &path, const QByteArray &bytes, const QDateTime &time)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size() || !file.flush())
        throw LumaroError(writeError(path));
    file.close();
    const qint64 ms = time.toMSecsSinceEpoch();
    const struct timespec times[2] = {{time_t(ms / 1000), long(ms % 1000) * 1000000L},
                                      {time_t(ms / 1000), long(ms % 1000) * 1000000L}};
    if (::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, 0) != 0)
        throw LumaroError(writeError(path));
}

void makeFolder(const QString &path)
{
    if (!QDir().mkpath(path))
        throw LumaroError(QStringLiteral("Impossible de créer le dossier %1.").arg(path));
}

// A real, if tiny, GIF picture: 1 x 1, one colour.
QByteArray tinyGif()
{
    static const unsigned char bytes[] = {0x47, 0x49, 0x46, 0x38, 0x39, 0x61, 0x01, 0x00, 0x01, 0x00, 0x80, 0x00,
                                          0x00, 0xFF, 0x80, 0x00, 0x00, 0x00, 0x00, 0x21, 0xF9, 0x04, 0x01, 0x00,
                                          0x00, 0x00, 0x00, 0x2C, 0x00, 0x00, 0x00, 0x00, 0x01, 0x00, 0x01, 0x00,
                                          0x00, 0x02, 0x02, 0x44, 0x01, 0x00, 0x3B};
    return QByteArray(reinterpret_cast<const char *>(bytes), sizeof bytes);
}

// The head of an AVI film followed by filler: enough for the program to copy it along.
QByteArray smallFilm()
{
    QByteArray bytes("RIFF");
    const quint32 size = 4096 - 8;
    for (int i = 0; i < 4; ++i)
        bytes.append(char((size >> (8 * i)) & 0xFF));
    bytes.append("AVI LIST");
    bytes.append(QByteArray(4096 - bytes.size(), '\0'));
    return bytes;
}

} // namespace

Contents write(const QString &folder, const Options &options)
{
    if (options.count < 1 || options.size.width() < 16 || options.size.height() < 16
        || qint64(options.size.width()) * options.size.height() > 100'000'000)
        throw LumaroError(QStringLiteral("Nombre de photos ou dimensions incorrects."));
    const QString root = QDir::cleanPath(QDir(folder).absolutePath());
    const QString first = root + QStringLiteral("/DCIM/100DEMO");
    const QString second = root + QStringLiteral("/DCIM/101DEMO");
    Contents contents;
    contents.thumbnailFolder = first + QStringLiteral("/MINIATURES");
    makeFolder(contents.thumbnailFolder);
    if (options.count > 1)
        makeFolder(second);

    // About four days of shooting, whatever the number of photos.
    const qint64 step = qMax<qint64>(2, (4 * 86400) / options.count);
    const int firstFolderCount = (options.count + 1) / 2;
    for (int k = 1; k <= options.count; ++k) {
        const Scene scene(k);
        const QDateTime shot = options.firstShot.addSecs((k - 1) * step + (step > 100 ? (k * 7) % 59 : 0));
        const QString name = QStringLiteral("IMG_%1.JPG").arg(k, 4, 10, QLatin1Char('0'));
        const QString path = (k <= firstFolderCount ? first : second) + QLatin1Char('/') + name;
        const QByteArray thumbnail =
            compress(scene.render(ThumbnailWidth, ThumbnailHeight, false), ThumbnailWidth, ThumbnailHeight, 80);
        QByteArray jpeg = compress(scene.render(options.size.width(), options.size.height(), true),
                                              options.size.width(), options.size.height(), PhotoQuality);
        const bool exif = k != 2;
        if (exif) {
            const int orientation = orientationOf(k, options.turnedPercent);
            try {
                jpeg = withExif(jpeg, exifBlock(shot, orientation, k, options.size, thumbnail));
            } catch (const Exiv2::AnyError &) {
                throw LumaroError(QStringLiteral("Impossible de créer les photos de démonstration."));
            }
            if (orientation == 6)
                contents.orientation6 << path;
            if (orientation == 8)
                contents.orientation8 << path;
        } else {
            contents.withoutExif << path;
        }
        writeFile(path, jpeg, shot);
        contents.photos << path;
        if (k <= qMin(firstFolderCount, 5))
            writeFile(contents.thumbnailFolder + QLatin1Char('/') + name, thumbnail, shot);
    }

    const QDateTime last = options.firstShot.addSecs(options.count * step);
    const QString film = first + QStringLiteral("/MVI_0001.AVI");
    writeFile(film, smallFilm(), last);
    const QString gif = (options.count > 1 ? second : first) + QStringLiteral("/ANIM_0001.GIF");
    writeFile(gif, tinyGif(), last.addSecs(2));
    contents.extraFiles << film << gif;
    return contents;
}

} // namespace DemoCard
