#include "core/imaging/imaging.h"

#include "core/files/filereplacement.h"
#include "core/imaging/exifeditor.h"
#include "core/imaging/jpegdecoder.h"
#include "core/imaging/jpegsegments.h"
#include "core/imaging/jpegtransform.h"
#include "core/imaging/jpegwriter.h"
#include "core/imaging/photofile.h"

#include <exiv2/exiv2.hpp>

#include <algorithm>

namespace Imaging {

using namespace Detail;

namespace {

// The head of a camera file holds its EXIF block (at most 64 KiB) and the frame header well
// within this, so a thumbnail stored in the EXIF data costs one small read.
constexpr qint64 HeadReadSize = 128 * 1024;
// The size of the thumbnail written into a copy whose picture was turned.
constexpr QSize StoredThumbnailBox(160, 160);
constexpr int StoredThumbnailQuality = 80;
// A stored thumbnail fits in the 64 KiB of an EXIF block; one claiming more pixels than this
// is damaged or a trap, and is not decoded.
constexpr int StoredThumbnailMaximumSide = 2048;

bool plausibleThumbnailSize(QSize size)
{
    return size.width() <= StoredThumbnailMaximumSide && size.height() <= StoredThumbnailMaximumSide;
}

int normalisedAngle(int angle)
{
    const int a = ((angle % 360) + 360) % 360;
    if (a % 90 != 0)
        throw ImagingError(ErrorCode::UnsupportedAngle);
    return a;
}

Metadata metadataOf(const JpegLayout &layout)
{
    return Metadata(layout.exif, layout.iccProfile);
}

QImage smoothlyReduced(const QImage &picture, QSize size)
{
    if (picture.size() == size)
        return picture;
    QImage out = picture.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    if (out.format() != QImage::Format_RGB888)
        out = out.convertToFormat(QImage::Format_RGB888);
    if (out.isNull())
        throw ImagingError(ErrorCode::OutOfMemory);
    return out;
}

// The EXIF thumbnail fitted into the box, or a null image when there is none that decodes
// cleanly.
QImage embeddedThumbnail(const JpegLayout &layout, QSize box)
{
    const QByteArray jpeg = exifThumbnail(layout.exif);
    if (jpeg.isEmpty())
        return {};
    try {
        const JpegLayout thumbnailLayout = scanJpegLayout(jpeg);
        const QSize size = checkedJpegSize(jpeg, thumbnailLayout);
        if (!plausibleThumbnailSize(size))
            return {};
        const QSize fit = fittedSize(size, box);
        DecodedPicture decoded = decodeJpeg(jpeg, thumbnailLayout, fit, DecodeQuality::Fast, Warnings::Refuse);
        return smoothlyReduced(decoded.picture, fit);
    } catch (const ImagingError &) {
        return {};
    }
}

Photo thumbnailFromWholeFile(const QByteArray &jpeg, const JpegLayout &layout, QSize box, MetadataChoice metadata)
{
    Photo photo;
    photo.formatName = QStringLiteral("JPEG");
    if (metadata == MetadataChoice::Load)
        photo.metadata = metadataOf(layout);
    photo.picture = embeddedThumbnail(layout, box);
    if (!photo.picture.isNull()) {
        photo.storedSize = checkedJpegSize(jpeg, layout);
        return photo;
    }
    const QSize stored = checkedJpegSize(jpeg, layout);
    const QSize fit = fittedSize(stored, box);
    DecodedPicture decoded = decodeJpeg(jpeg, layout, fit, DecodeQuality::Fast, Warnings::Accept);
    photo.storedSize = decoded.storedSize;
    photo.picture = smoothlyReduced(decoded.picture, fit);
    return photo;
}

// A stored thumbnail turned with the photo. Losslessly when its size is whole blocks;
// otherwise decoded, turned and compressed again, since trimming would cut a visible strip
// off so small a picture. Empty when it cannot be read: a thumbnail showing the photo the
// wrong way round is worse than none.
QByteArray turnedThumbnail(const QByteArray &thumbnail, int angle)
{
    try {
        // Sized first: the transform allocates for whatever size the header claims.
        const JpegLayout layout = scanJpegLayout(thumbnail);
        if (!plausibleThumbnailSize(checkedJpegSize(thumbnail, layout)))
            return {};
        try {
            return turnJpegData(thumbnail, angle, PartialBlocks::Refuse);
        } catch (const ImagingError &) {
        }
        const DecodedPicture decoded = decodeJpeg(thumbnail, layout, QSize(), DecodeQuality::Accurate, Warnings::Refuse);
        return compressPicture(turnedPicture(decoded.picture, angle), StoredThumbnailQuality);
    } catch (const ImagingError &) {
        return {};
    }
}

} // namespace

QString errorText(ErrorCode code)
{
    switch (code) {
    case ErrorCode::FileNotFound:
        return QStringLiteral("Fichier introuvable");
    case ErrorCode::ReadFailed:
        return QStringLiteral("Lecture impossible");
    case ErrorCode::EmptyFile:
        return QStringLiteral("Fichier vide");
    case ErrorCode::NotJpeg:
        return QStringLiteral("Ce fichier n'est pas une image JPEG");
    case ErrorCode::DamagedJpeg:
        return QStringLiteral("Image JPEG endommagée");
    case ErrorCode::TooLarge:
        return QStringLiteral("Image trop grande");
    case ErrorCode::OutOfMemory:
        return QStringLiteral("Mémoire insuffisante");
    case ErrorCode::WriteFailed:
        return QStringLiteral("Écriture impossible");
    case ErrorCode::UnsupportedAngle:
        return QStringLiteral("Angle de rotation non pris en charge");
    case ErrorCode::InvalidSize:
        return QStringLiteral("Dimensions demandées incorrectes");
    }
    return QStringLiteral("Erreur inconnue");
}

Metadata Metadata::fromJpeg(const QByteArray &jpeg)
{
    return metadataOf(scanJpegLayout(jpeg));
}

Photo decodePhoto(const QByteArray &jpeg, MetadataChoice metadata, QSize target)
{
    const JpegLayout layout = scanJpegLayout(jpeg);
    DecodedPicture decoded = decodeJpeg(jpeg, layout, target, DecodeQuality::Accurate, Warnings::Accept);
    Photo photo;
    photo.picture = std::move(decoded.picture);
    photo.formatName = QStringLiteral("JPEG");
    photo.storedSize = decoded.storedSize;
    if (metadata == MetadataChoice::Load)
        photo.metadata = metadataOf(layout);
    return photo;
}

Photo decodeThumbnail(const QByteArray &jpeg, QSize box, MetadataChoice metadata)
{
    if (box.isEmpty())
        throw ImagingError(ErrorCode::InvalidSize);
    return thumbnailFromWholeFile(jpeg, scanJpegLayout(jpeg), box, metadata);
}

Photo loadPhoto(const QString &path, MetadataChoice metadata)
{
    return decodePhoto(readWholeFile(path), metadata);
}

Photo loadPhotoCovering(const QString &path, QSize target, MetadataChoice metadata)
{
    return decodePhoto(readWholeFile(path), metadata, target);
}

Photo loadThumbnail(const QString &path, QSize box, MetadataChoice metadata)
{
    if (box.isEmpty())
        throw ImagingError(ErrorCode::InvalidSize);
    qint64 fileSize = 0;
    const QByteArray head = readFileStart(path, HeadReadSize, fileSize);
    if (head.size() == fileSize)
        return thumbnailFromWholeFile(head, scanJpegLayout(head), box, metadata);

    // Most camera photos: the stored thumbnail and the frame header lie in the first bytes.
    const JpegLayout layout = scanJpegLayout(head);
    if (!layout.startsWithSoi)
        throw ImagingError(ErrorCode::NotJpeg);
    if (layout.reachedScan && !layout.exif.isEmpty()) {
        const QImage picture = embeddedThumbnail(layout, box);
        if (!picture.isNull()) {
            Photo photo;
            photo.picture = picture;
            photo.formatName = QStringLiteral("JPEG");
            photo.storedSize = checkedJpegSize(head, layout);
            if (metadata == MetadataChoice::Load)
                photo.metadata = metadataOf(layout);
            return photo;
        }
    }
    const QByteArray whole = readWholeFile(path);
    return thumbnailFromWholeFile(whole, scanJpegLayout(whole), box, metadata);
}

Metadata loadMetadata(const QString &path)
{
    qint64 fileSize = 0;
    const QByteArray head = readFileStart(path, HeadReadSize, fileSize);
    const JpegLayout layout = scanJpegLayout(head);
    if (!layout.startsWithSoi)
        throw ImagingError(ErrorCode::NotJpeg);
    if (layout.reachedScan || head.size() == fileSize)
        return metadataOf(layout);
    // Unusually large segments before the picture (a big colour profile): read on.
    return Metadata::fromJpeg(readWholeFile(path));
}

QSize storedSize(const QString &path)
{
    try {
        qint64 fileSize = 0;
        QByteArray bytes = readFileStart(path, HeadReadSize, fileSize);
        JpegLayout layout = scanJpegLayout(bytes);
        // Unusually large segments before the frame header (a big colour profile): read on.
        if (layout.startsWithSoi && layout.frameWidth <= 0 && bytes.size() < fileSize) {
            bytes = readWholeFile(path);
            layout = scanJpegLayout(bytes);
        }
        if (layout.frameWidth > 0 && layout.frameHeight > 0)
            return QSize(layout.frameWidth, layout.frameHeight);
    } catch (const LumaroError &) {
        // The decoding that follows reports why the file cannot be read.
    }
    return {};
}

QSize fittedSize(QSize picture, QSize box)
{
    if (picture.isEmpty() || box.isEmpty())
        return {};
    if (picture.width() <= box.width() && picture.height() <= box.height())
        return picture;
    const qint64 w = picture.width(), h = picture.height();
    const qint64 bw = box.width(), bh = box.height();
    // Compare w/h with bw/bh without rounding: the wider one decides which side is full.
    if (w * bh >= h * bw) {
        const qint64 height = (h * bw * 2 + w) / (w * 2); // rounded to nearest
        return QSize(int(bw), int(std::max<qint64>(1, height)));
    }
    const qint64 width = (w * bh * 2 + h) / (h * 2);
    return QSize(int(std::max<qint64>(1, width)), int(bh));
}

QImage turnedPicture(const QImage &picture, int angle)
{
    const int a = normalisedAngle(angle);
    QImage out;
    if (a == 0)
        out = picture;
    else if (a == 180)
        out = picture.mirrored(true, true);
    else
        out = picture.transformed(QTransform().rotate(a));
    if (out.format() != QImage::Format_RGB888 && !out.isNull())
        out = out.convertToFormat(QImage::Format_RGB888);
    if (out.isNull() && !picture.isNull())
        throw ImagingError(ErrorCode::OutOfMemory);
    return out;
}

QImage resized(const QImage &picture, QSize size)
{
    if (size.isEmpty() || size.width() > MaximumSide || size.height() > MaximumSide
        || qint64(size.width()) * size.height() > MaximumPixels || picture.isNull())
        throw ImagingError(ErrorCode::InvalidSize);
    QImage out = picture;
    if (out.format() != QImage::Format_RGB888)
        out = out.convertToFormat(QImage::Format_RGB888);
    return smoothlyReduced(out, size);
}

QByteArray encodeJpeg(const QImage &picture, const SaveOptions &options)
{
    const int quality = std::clamp(options.quality, 1, 100);
    const QByteArray jpeg = compressPicture(picture, quality);
    if (options.metadata.isEmpty())
        return jpeg;

    QByteArray segments;
    if (options.metadata.hasExif()) {
        ExifUpdate update;
        update.pixelSize = picture.size();
        update.recordMissingSize = true;
        update.resetOrientation = options.pictureTurned;
        if (options.pictureTurned) {
            // The stored thumbnail shows the picture as it was: make it again from the turned one.
            update.rewriteThumbnail = [&picture](const QByteArray &) {
                const QImage small = resized(picture, fittedSize(picture.size(), StoredThumbnailBox));
                return compressPicture(small, StoredThumbnailQuality);
            };
        }
        segments += exifSegment(updatedExif(options.metadata.exifBlock(), update));
    }
    if (!options.metadata.iccProfile().isEmpty())
        segments += iccSegments(options.metadata.iccProfile());
    return withExifSegment(jpeg, scanJpegLayout(jpeg), segments);
}

void saveJpeg(const QString &path, const QImage &picture, const SaveOptions &options)
{
    if (!FileReplacement::writeWhole(path, encodeJpeg(picture, options)))
        throw ImagingError(ErrorCode::WriteFailed);
}

QByteArray turnedJpeg(const QByteArray &jpeg, int angle)
{
    const int a = normalisedAngle(angle);
    const JpegLayout before = scanJpegLayout(jpeg);
    checkedJpegSize(jpeg, before); // the guards, before the transform allocates anything
    if (a == 0)
        return jpeg;

    QByteArray turned = turnJpegData(jpeg, a);
    const JpegLayout after = scanJpegLayout(turned);
    resetXmpOrientation(turned, after); // same length: the offsets in `after` still hold
    if (after.exif.isEmpty())
        return turned;

    ExifUpdate update;
    update.pixelSize = QSize(after.frameWidth, after.frameHeight);
    update.resetOrientation = true;
    update.rewriteThumbnail = [a](const QByteArray &thumbnail) { return turnedThumbnail(thumbnail, a); };
    const QByteArray exif = updatedExif(after.exif, update);
    const QByteArray segment = exifSegment(exif);
    if (segment.isEmpty())
        return turned;
    return withExifSegment(turned, after, segment);
}

QByteArray turnedJpegFile(const QString &path, int angle)
{
    return turnedJpeg(readWholeFile(path), angle);
}

void turnLosslessly(const QString &path, int angle)
{
    if (normalisedAngle(angle) == 0)
        return;
    if (!FileReplacement::writeWhole(path, turnedJpegFile(path, angle)))
        throw ImagingError(ErrorCode::WriteFailed);
}

LibraryScope::LibraryScope() : m_previousLevel(int(Exiv2::LogMsg::level()))
{
    muteMetadataLibrary();
}

LibraryScope::~LibraryScope()
{
    Exiv2::LogMsg::setLevel(Exiv2::LogMsg::Level(m_previousLevel));
}

} // namespace Imaging
