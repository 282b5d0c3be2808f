#include "core/operations/lowqualitycopy.h"

#include "core/corelog.h"
#include "core/exif/datetimevalue.h"
#include "core/error.h"
#include "core/files/filereplacement.h"
#include "core/files/filesystem.h"
#include "core/formats/formatreader.h"
#include "core/imaging/imaging.h"
#include "core/settings/paramappli.h"

namespace {

const QSize LowQualitySizes[] = {{320, 240}, {640, 480}, {720, 576}, {800, 600}, {1024, 768}, {1280, 1024}};

const QString ReadErrorPrefix = QStringLiteral("Erreur pendant la sauvegarde basse résolution (1). ");
const QString WriteErrorPrefix = QStringLiteral("Erreur pendant la sauvegarde basse résolution (2). ");

} // namespace

QSize lowQualityLandscapeSize(int sizeIndex)
{
    if (sizeIndex < 0 || sizeIndex >= int(std::size(LowQualitySizes)))
        return QSize();
    return LowQualitySizes[sizeIndex];
}

QSize lowQualitySize(int sizeIndex, QSize picture)
{
    const QSize landscape = lowQualityLandscapeSize(sizeIndex);
    if (!landscape.isValid())
        return QSize();
    return picture.width() > picture.height() ? landscape : landscape.transposed();
}

int boundedQuality(int quality)
{
    return qBound(1, quality, 100);
}

LowQualityCopy::Options LowQualityCopy::Options::fromSettings(const TParamAppli &settings)
{
    Options options;
    options.keepExif = settings.GestionEXIF && settings.GarderInfoEXIF;
    options.keepDate = settings.GarderInfoDateEXIF;
    options.landscape = settings.Redimensionner ? lowQualityLandscapeSize(settings.IndiceNewDim) : QSize();
    options.quality = boundedQuality(settings.Qualite);
    return options;
}

struct LowQualityCopy::Decoded {
    Imaging::Photo photo;
};

namespace {

// Decoding at a reduced scale is what makes the copy fast; the square of the long side covers
// the target whichever way the picture ends up after its turn.
QSize coveringSize(const LowQualityCopy::Options &options)
{
    return options.landscape.isValid() ? QSize(options.landscape.width(), options.landscape.width()) : QSize();
}

Imaging::MetadataChoice metadataChoice(const LowQualityCopy::Options &options)
{
    return options.keepExif ? Imaging::MetadataChoice::Load : Imaging::MetadataChoice::Skip;
}

} // namespace

LowQualityCopy LowQualityCopy::make(const Options &options, const QString &source, int angle,
                                    const QDateTime &sourceDate)
{
    LowQualityCopy copy;
    Decoded decoded;
    try {
        decoded.photo = Imaging::loadPhotoCovering(source, coveringSize(options), metadataChoice(options));
    } catch (const Imaging::ImagingError &error) {
        copy.m_readError = error.message();
        copy.m_sourceUnreadable =
            error.code() == Imaging::ErrorCode::FileNotFound || error.code() == Imaging::ErrorCode::ReadFailed;
        return copy;
    } catch (const LumaroError &error) {
        copy.m_readError = error.message();
        return copy;
    }
    return reduce(options, decoded, angle, sourceDate);
}

LowQualityCopy LowQualityCopy::makeFromContent(const Options &options, const QByteArray &content, int angle,
                                               const QDateTime &sourceDate)
{
    LowQualityCopy copy;
    Decoded decoded;
    try {
        decoded.photo = Imaging::decodePhoto(content, metadataChoice(options), coveringSize(options));
    } catch (const LumaroError &error) {
        copy.m_readError = error.message();
        return copy;
    }
    return reduce(options, decoded, angle, sourceDate);
}

LowQualityCopy LowQualityCopy::reduce(const Options &options, const Decoded &decoded, int angle,
                                      const QDateTime &sourceDate)
{
    const Imaging::Photo &photo = decoded.photo;
    QImage picture = photo.picture;
    bool turned = false;
    if (angle != 0) {
        try {
            picture = Imaging::turnedPicture(picture, angle);
            turned = Imaging::isQuarterTurn(angle);
        } catch (const LumaroError &) {
            // An angle other than a right angle leaves the picture as it is.
        }
    }
    return fromPicture(options, std::move(picture), photo.metadata, turned, sourceDate);
}

namespace {

// A picture that covers the copy's box: the reader scales by its longer side.
QSize coveringBox(const LowQualityCopy::Options &options)
{
    return options.landscape.isValid() ? QSize(options.landscape.width(), options.landscape.width()) : QSize();
}

} // namespace

LowQualityCopy LowQualityCopy::makeFromFormat(const Options &options, FormatReader &reader, const QString &source,
                                              const QDateTime &sourceDate)
{
    FormatPicture picture = reader.picture(source, coveringBox(options), FormatReader::Scale::Cover);
    const FormatMetadata metadata = picture.ok() && options.keepExif ? reader.metadata(source) : FormatMetadata();
    return fromFormatPicture(options, std::move(picture), metadata, sourceDate);
}

LowQualityCopy LowQualityCopy::makeFromFormat(const Options &options, FormatReader &reader, const QString &name,
                                              const QByteArray &content, const QDateTime &sourceDate)
{
    FormatPicture picture = reader.picture(name, content, coveringBox(options), FormatReader::Scale::Cover);
    const FormatMetadata metadata =
        picture.ok() && options.keepExif ? reader.metadata(name, content) : FormatMetadata();
    return fromFormatPicture(options, std::move(picture), metadata, sourceDate);
}

LowQualityCopy LowQualityCopy::fromFormatPicture(const Options &options, FormatPicture picture,
                                                 const FormatMetadata &metadata, const QDateTime &sourceDate)
{
    if (!picture.ok()) {
        LowQualityCopy copy;
        copy.m_readError = picture.failure;
        return copy;
    }
    // The picture is upright already: the copy's orientation must say so.
    return fromPicture(options, std::move(picture.picture), Imaging::Metadata(metadata.exifBlock, {}),
                       metadata.orientation != 1, sourceDate);
}

LowQualityCopy LowQualityCopy::fromPicture(const Options &options, QImage picture, const Imaging::Metadata &metadata,
                                           bool turned, const QDateTime &sourceDate)
{
    LowQualityCopy copy;
    if (options.keepDate)
        copy.m_date = sourceDate;
    if (options.landscape.isValid()) {
        const QSize size = picture.width() > picture.height() ? options.landscape : options.landscape.transposed();
        try {
            picture = Imaging::resized(picture, size);
        } catch (const LumaroError &) {
            // The copy is then only recompressed.
        }
    }

    Imaging::SaveOptions save;
    save.quality = options.quality;
    if (options.keepExif)
        save.metadata = metadata;
    save.pictureTurned = turned;
    try {
        copy.m_jpeg = Imaging::encodeJpeg(picture, save);
    } catch (const LumaroError &error) {
        // Reported as a failed save, as when the writing itself fails.
        copy.m_readError.clear();
        copy.m_jpeg.clear();
        copy.m_date = QDateTime();
        copy.m_writeError = error.message();
    }
    return copy;
}

void LowQualityCopy::write(const QString &path, const QString &copyError) const
{
    if (m_sourceUnreadable && !copyError.isEmpty())
        throw LumaroError(copyError);
    if (!m_readError.isEmpty())
        throw LumaroError(ReadErrorPrefix + m_readError);
    if (!m_writeError.isEmpty())
        throw LumaroError(WriteErrorPrefix + m_writeError);
    if (!FileReplacement::writeWhole(path, m_jpeg))
        throw LumaroError(copyError.isEmpty() ? WriteErrorPrefix + Imaging::errorText(Imaging::ErrorCode::WriteFailed)
                                              : copyError);
    if (m_date.isValid()) {
        const qint64 seconds = DateValue::evenSecond(m_date).toSecsSinceEpoch();
        if (!FileSystem::setModificationTime(path, {time_t(seconds), 0}))
            qCInfo(lumaroCore) << "date of" << path << "not set";
    }
}
