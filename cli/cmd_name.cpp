// name [--theme T] [--date "YYYY:MM:DD HH:NN:SS"] [--counter N] [--low] PHOTO DESTINATION
#include "cli/commands.h"
#include "core/error.h"
#include "core/exif/exifdate.h"
#include "core/files/filesystem.h"
#include "core/exif/informationexif.h"
#include "core/formats/formatinformation.h"
#include "core/naming/namemask.h"
#include "core/settings/paramappli.h"
#include "core/operations/photooperations.h"
#include "core/sources/photosource.h"


int commandName(CliContext &context, const QCommandLineParser &line)
{
    const QString theme = line.value(QStringLiteral("theme"));
    const bool hasDate = line.isSet(QStringLiteral("date"));
    const QString dateText = line.value(QStringLiteral("date"));
    const QString counterText =
        line.isSet(QStringLiteral("counter")) ? line.value(QStringLiteral("counter")) : QStringLiteral("1");
    const bool low = line.isSet(QStringLiteral("low"));
    const QString photo = line.positionalArguments().at(0);
    const QString destination = line.positionalArguments().at(1);
    if (destination.isEmpty())
        throw LumaroError(QStringLiteral("Le dossier de destination est vide."));

    bool counterOk = false;
    const int counter = counterText.toInt(&counterOk);
    if (!counterOk || counter < 0)
        throw UsageError(QStringLiteral("Compteur invalide : %1").arg(counterText));

    TParamAppli settings(context.settingsFolder + QStringLiteral("Lumaro.ini"));
    if (line.isSet(QStringLiteral("all-formats")))
        settings.AutresFormats = true;
    // A RAW, HEIF or video file keeps its own extension and is dated from its own metadata.
    const bool otherFormat = settings.AutresFormats && isFormatFile(photo);

    double date = -1.0;
    if (hasDate) {
        date = ExifDate::parse(dateText);
        if (date < 0)
            throw UsageError(QStringLiteral("Date invalide : %1 (attendu AAAA:MM:JJ HH:MM:SS)").arg(dateText));
    } else if (PhotoSources::isDeviceText(photo)) {
        // A camera's file: its date from its bytes, else from the time the device gives.
        const SourceOpening opening = PhotoSources::open(photo);
        if (!opening.source)
            throw LumaroError(opening.message);
        const DeviceResult<SourceFile> described = opening.source->describe(photo);
        const DeviceResult<QByteArray> bytes = opening.source->readFile(photo);
        if (!bytes.ok())
            throw LumaroError(bytes.message);
        TListeInformationExif list;
        const QDateTime fileTime = described.ok() ? described.value.modified : QDateTime();
        LireInformationsExif(list, bytes.value, fileTime, true);
        date = DatePhoto(list, fileTime);
        opening.source->release();
    } else {
        if (!FileSystem::isFile(photo))
            throw LumaroError(QStringLiteral("Fichier introuvable : %1").arg(photo));
        TListeInformationExif list;
        if (otherFormat) {
            FormatReader reader;
            readFormatInformation(reader, list, photo, true);
        } else {
            LireInformationsExif(list, photo, true);
        }
        date = DatePhoto(list, photo);
    }

    const QString path = low ? CalculerNomBasseQualite(settings, theme, photo, destination, date, counter)
                             : transferName(settings, theme, {photo}, destination, date, counter);
    // What a transfer would refuse is refused here too.
    checkInsideDestination(destination, path);
    printLine(path);
    return 0;
}
