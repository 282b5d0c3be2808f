#include "core/imaging/exifeditor.h"

#include "core/imaging/jpegsegments.h"

#include <exiv2/exiv2.hpp>

namespace Imaging::Detail {

namespace {

const Exiv2::byte *bytesOf(const QByteArray &data)
{
    return reinterpret_cast<const Exiv2::byte *>(data.constData());
}

// Updates a size tag where it is recorded, or adds it when asked to.
void setDimension(Exiv2::ExifData &exif, const char *key, int value, bool addWhenMissing)
{
    const Exiv2::ExifKey exifKey(key);
    auto it = exif.findKey(exifKey);
    if (it == exif.end()) {
        if (addWhenMissing)
            exif[key] = uint32_t(value);
        return;
    }
    // Keep a SHORT where the value fits, as cameras write it; LONG otherwise.
    if (it->typeId() == Exiv2::unsignedShort && value <= 0xFFFF)
        it->setValue(std::to_string(value));
    else
        *it = uint32_t(value);
}

QByteArray encoded(const QByteArray &original, Exiv2::ByteOrder order, const Exiv2::ExifData &exif)
{
    // When the changes fit in place, Exiv2 writes them into the buffer it was given (maker
    // notes then keep their offsets) and leaves the blob empty: give it a private copy.
    QByteArray inPlace(original.constData(), original.size());
    Exiv2::Blob blob;
    const Exiv2::WriteMethod method = Exiv2::ExifParser::encode(
        blob, reinterpret_cast<Exiv2::byte *>(inPlace.data()), uint32_t(inPlace.size()), order, exif);
    if (method == Exiv2::wmNonIntrusive)
        return inPlace;
    if (blob.empty())
        return {};
    return QByteArray(reinterpret_cast<const char *>(blob.data()), qsizetype(blob.size()));
}

} // namespace

void muteMetadataLibrary()
{
    Exiv2::LogMsg::setLevel(Exiv2::LogMsg::mute);
}

QByteArray exifThumbnail(const QByteArray &tiff)
{
    if (tiff.isEmpty())
        return {};
    muteMetadataLibrary();
    try {
        Exiv2::ExifData exif;
        Exiv2::ExifParser::decode(exif, bytesOf(tiff), uint32_t(tiff.size()));
        const Exiv2::ExifThumbC thumbnail(exif);
        if (std::string(thumbnail.mimeType()) != "image/jpeg")
            return {};
        const Exiv2::DataBuf data = thumbnail.copy();
        if (data.size_ <= 0 || !data.pData_)
            return {};
        return QByteArray(reinterpret_cast<const char *>(data.pData_), qsizetype(data.size_));
    } catch (...) {
        // Exiv2 reports damaged blocks by exceptions of its own: no thumbnail then.
        return {};
    }
}

QByteArray updatedExif(const QByteArray &tiff, const ExifUpdate &update)
{
    if (tiff.isEmpty())
        return tiff;
    muteMetadataLibrary();
    try {
        Exiv2::ExifData exif;
        const Exiv2::ByteOrder order = Exiv2::ExifParser::decode(exif, bytesOf(tiff), uint32_t(tiff.size()));
        if (exif.empty())
            return tiff;

        if (update.pixelSize.isValid()) {
            setDimension(exif, "Exif.Photo.PixelXDimension", update.pixelSize.width(), update.recordMissingSize);
            setDimension(exif, "Exif.Photo.PixelYDimension", update.pixelSize.height(), update.recordMissingSize);
            setDimension(exif, "Exif.Image.ImageWidth", update.pixelSize.width(), false);
            setDimension(exif, "Exif.Image.ImageLength", update.pixelSize.height(), false);
        }
        if (update.resetOrientation) {
            auto it = exif.findKey(Exiv2::ExifKey("Exif.Image.Orientation"));
            if (it != exif.end())
                *it = uint16_t(1);
        }
        if (update.rewriteThumbnail) {
            const Exiv2::ExifThumbC current(exif);
            const Exiv2::DataBuf data = current.copy();
            if (data.size_ > 0 && data.pData_) {
                const QByteArray replacement = update.rewriteThumbnail(
                    QByteArray(reinterpret_cast<const char *>(data.pData_), qsizetype(data.size_)));
                Exiv2::ExifThumb thumbnail(exif);
                if (replacement.isEmpty())
                    thumbnail.erase();
                else
                    thumbnail.setJpegThumbnail(bytesOf(replacement), long(replacement.size()));
            }
        }

        QByteArray result = encoded(tiff, order, exif);
        if (result.isEmpty() || result.size() + 6 > MaximumSegmentPayload) {
            // Exiv2 already drops its largest tags to fit a segment; the thumbnail goes last.
            Exiv2::ExifThumb(exif).erase();
            result = encoded(tiff, order, exif);
        }
        if (result.isEmpty() || result.size() + 6 > MaximumSegmentPayload)
            return tiff;
        return result;
    } catch (...) {
        return tiff;
    }
}

} // namespace Imaging::Detail
