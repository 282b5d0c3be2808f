// Feeds arbitrary bytes to every path that reads a photo: the EXIF entries, metadata,
// thumbnail (stored EXIF thumbnail or reduced decode), full and reduced decoding, the
// lossless turn with its EXIF rewrite, and a save that carries the metadata over.
// Any result is fine as long as it is a value or an ImagingError.
#include "core/exif/exifreader.h"
#include "core/imaging/imaging.h"

#include <QByteArray>

#include <cstddef>
#include <cstdint>

namespace {

// Full-size work only on pictures small enough to keep a million runs affordable; the guards
// and the thumbnail's reduced decoding still see every stated size.
constexpr qint64 FullWorkPixels = 250'000;
constexpr qint64 ReducedWorkPixels = 16'000'000;

qint64 pixels(QSize size)
{
    return qint64(size.width()) * size.height();
}

void exercise(const QByteArray &bytes)
{
    // The reader never throws: damaged blocks give fewer entries and a French reason.
    QString error;
    (void)ExifReader::readEntries(bytes, &error);
    (void)ExifReader::hasExif(bytes);
    (void)Imaging::Metadata::fromJpeg(bytes).hasExif();

    Imaging::Photo thumbnail;
    try {
        thumbnail = Imaging::decodeThumbnail(bytes, QSize(105, 105), Imaging::MetadataChoice::Load);
    } catch (const Imaging::ImagingError &) {
        return;
    }
    if (thumbnail.picture.format() != QImage::Format_RGB888 || thumbnail.width() > 105 || thumbnail.height() > 105)
        __builtin_trap();

    if (pixels(thumbnail.storedSize) > ReducedWorkPixels)
        return;
    try {
        const Imaging::Photo reduced = Imaging::decodePhoto(bytes, Imaging::MetadataChoice::Skip, QSize(64, 48));
        Imaging::SaveOptions options;
        options.quality = 40;
        options.metadata = thumbnail.metadata;
        options.pictureTurned = true;
        const QImage turned = Imaging::turnedPicture(reduced.picture, 90);
        (void)Imaging::encodeJpeg(Imaging::resized(turned, QSize(48, 64)), options);
    } catch (const Imaging::ImagingError &) {
    }

    if (pixels(thumbnail.storedSize) > FullWorkPixels)
        return;
    try {
        (void)Imaging::decodePhoto(bytes);
    } catch (const Imaging::ImagingError &) {
    }
    try {
        const QByteArray turned = Imaging::turnedJpeg(bytes, 90);
        (void)Imaging::Metadata::fromJpeg(turned);
    } catch (const Imaging::ImagingError &) {
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    static const Imaging::LibraryScope library;
    exercise(QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size)));
    return 0;
}
