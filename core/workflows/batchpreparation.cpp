#include "core/workflows/batchpreparation.h"

#include "core/error.h"
#include "core/files/filesystem.h"
#include "core/formats/filekind.h"
#include "core/formats/formatinformation.h"
#include "core/formats/formatreader.h"
#include "core/imaging/imaging.h"
#include "core/sources/photosource.h"

#include <QDateTime>

namespace {

const QSize ThumbnailBox(105, 105);

// A RAW, HEIF or video file: a file the probe cannot read keeps its file date and is copied as
// it is; nothing is shown to the user but the missing thumbnail (the reason is logged).
void prepareFormatFile(const BatchPreparationInput &input, BatchPreparation &preparation)
{
    const QString &source = input.members.first();
    const FormatMetadata metadata = readFormatInformation(*input.formats, *preparation.exif, source, true);
    preparation.date = DatePhoto(*preparation.exif, source);
    preparation.video = fileKindOf(source) == FileKind::Video;
    preparation.durationMs = metadata.durationMs;
    if (preparation.video)
        return;
    if (input.thumbnails)
        preparation.thumbnail = input.formats->picture(source, ThumbnailBox).picture;
    if (input.lowQuality)
        preparation.lowQuality = LowQualityCopy::makeFromFormat(LowQualityCopy::Options::fromSettings(input.settings),
                                                                *input.formats, source,
                                                                FileSystem::lastModified(source));
}

void prepareJpegFile(const BatchPreparationInput &input, BatchPreparation &preparation)
{
    const QString &source = input.members.first();
    Imaging::Photo thumbnail;
    bool loaded = false;
    try {
        // Without a window to show it, only whether the photo opens matters: its header says
        // so without decoding a photo that carries no thumbnail of its own.
        if (input.thumbnails)
            thumbnail = Imaging::loadThumbnail(source, ThumbnailBox);
        else
            Imaging::loadMetadata(source);
        loaded = true;
    } catch (const LumaroError &error) {
        preparation.openError = error.message();
    }
    // The batch reads the EXIF data whatever the setting says; a photo that does not open is
    // handled as one without EXIF data.
    LireInformationsExif(*preparation.exif, source, loaded);
    preparation.date = DatePhoto(*preparation.exif, source);
    if (input.settings.RotationAuto)
        preparation.angle = AngleOrientation(*preparation.exif);
    if (loaded && input.thumbnails) {
        preparation.thumbnail = thumbnail.picture;
        if (preparation.angle != 0 && !preparation.thumbnail.isNull())
            preparation.thumbnail = Imaging::turnedPicture(preparation.thumbnail, preparation.angle);
    }
    if (preparation.angle != 0 && input.turnAhead)
        preparation.turnedPhoto = turnedInMemory(source, preparation.angle);
    if (input.lowQuality)
        preparation.lowQuality = LowQualityCopy::make(LowQualityCopy::Options::fromSettings(input.settings), source,
                                                      preparation.angle, FileSystem::lastModified(source));
}

// Every member's bytes, key first; false with the reason kept when one cannot be read.
bool readMembers(const BatchPreparationInput &input, BatchPreparation &preparation)
{
    PhotoSource &device = *input.device;
    for (const QString &member : input.members) {
        const DeviceResult<SourceFile> described = device.describe(member);
        DeviceResult<QByteArray> read = device.readFile(member);
        if (!read.ok()) {
            preparation.contents.clear();
            preparation.readOutcome = read;
            preparation.openError = read.message;
            return false;
        }
        const QDateTime time = described.ok() ? described.value.modified : QDateTime();
        SourcePhoto content;
        content.source = member;
        content.content = std::move(read.value);
        const qint64 seconds = time.isValid() ? time.toSecsSinceEpoch() : QDateTime::currentSecsSinceEpoch();
        content.modified = {time_t(seconds), 0};
        preparation.contents.append(std::move(content));
    }
    return true;
}

QDateTime timeOf(const SourcePhoto &photo)
{
    return QDateTime::fromSecsSinceEpoch(qint64(photo.modified.tv_sec));
}

// A camera's shot, read once: everything else is made from these bytes.
void prepareDeviceShot(const BatchPreparationInput &input, BatchPreparation &preparation)
{
    const QString &key = input.members.first();
    const bool read = readMembers(input, preparation);
    const QByteArray &bytes = read ? preparation.contents.first().content : QByteArray();
    const QDateTime fileTime = read ? timeOf(preparation.contents.first()) : QDateTime();
    const LowQualityCopy::Options lowQuality = LowQualityCopy::Options::fromSettings(input.settings);

    if (input.formats && isFormatFile(key)) {
        FormatMetadata metadata;
        if (read)
            metadata = readFormatInformation(*input.formats, *preparation.exif, key, bytes, fileTime);
        else
            LireInformationsExif(*preparation.exif, QByteArray(), fileTime, false);
        preparation.date = DatePhoto(*preparation.exif, fileTime);
        preparation.video = fileKindOf(key) == FileKind::Video;
        preparation.durationMs = metadata.durationMs;
        if (!read || preparation.video)
            return;
        // The probe's picture is upright, which a camera's own thumbnail of a RAW need not be.
        if (input.thumbnails)
            preparation.thumbnail = input.formats->picture(key, bytes, ThumbnailBox).picture;
        if (input.lowQuality)
            preparation.lowQuality = LowQualityCopy::makeFromFormat(lowQuality, *input.formats, key, bytes, fileTime);
        return;
    }

    LireInformationsExif(*preparation.exif, bytes, fileTime, read);
    preparation.date = DatePhoto(*preparation.exif, fileTime);
    if (input.settings.RotationAuto)
        preparation.angle = AngleOrientation(*preparation.exif);
    if (input.thumbnails && read) {
        // The device's own thumbnail when it keeps one (PTP sends it without the file), else
        // the one the photo's bytes hold.
        const DeviceResult<QByteArray> small = input.device->thumbnail(key);
        for (const QByteArray *candidate : {&small.value, &bytes}) {
            if (candidate->isEmpty())
                continue;
            try {
                preparation.thumbnail = Imaging::decodeThumbnail(*candidate, ThumbnailBox).picture;
                break;
            } catch (const LumaroError &) {
            }
        }
        if (preparation.angle != 0 && !preparation.thumbnail.isNull())
            preparation.thumbnail = Imaging::turnedPicture(preparation.thumbnail, preparation.angle);
    }
    if (read && preparation.angle != 0 && input.turnAhead)
        preparation.turnedPhoto.bytes = turnedContent(bytes, preparation.angle);
    if (input.lowQuality)
        preparation.lowQuality = LowQualityCopy::makeFromContent(lowQuality, bytes, preparation.angle, fileTime);
}

} // namespace

BatchPreparation prepareBatchShot(const BatchPreparationInput &input)
{
    BatchPreparation preparation;
    if (input.members.isEmpty())
        return preparation;
    if (input.device)
        prepareDeviceShot(input, preparation);
    else if (input.formats && isFormatFile(input.members.first()))
        prepareFormatFile(input, preparation);
    else
        prepareJpegFile(input, preparation);
    return preparation;
}
