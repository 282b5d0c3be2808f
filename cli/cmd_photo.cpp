// The photo operations of a transfer, one photo at a time, with the settings of the settings folder.
#include "cli/commands.h"
#include "cli/consoleui.h"
#include "core/error.h"
#include "core/files/filesystem.h"
#include "core/exif/informationexif.h"
#include "core/settings/paramappli.h"
#include "core/operations/photooperations.h"
#include "core/operations/shottransfer.h"


namespace {

int takeAngle(const QString &text)
{
    bool ok = false;
    const int angle = text.toInt(&ok);
    if (!ok || (angle != 0 && angle != 90 && angle != 180 && angle != 270))
        throw UsageError(QStringLiteral("Angle incorrect : %1 (0, 90, 180 ou 270)").arg(text));
    return angle;
}

int angleOption(const QCommandLineParser &line)
{
    return line.isSet(QStringLiteral("angle")) ? takeAngle(line.value(QStringLiteral("angle"))) : 0;
}

TParamAppli settingsOf(const CliContext &context)
{
    return TParamAppli(context.settingsFolder + QStringLiteral("Lumaro.ini"));
}

} // namespace

int commandRotate(CliContext &, const QCommandLineParser &line)
{
    const QStringList args = line.positionalArguments();
    RotationSansPerte(args.at(0), takeAngle(args.at(1)));
    return 0;
}

int commandLowQuality(CliContext &context, const QCommandLineParser &line)
{
    const int angle = angleOption(line);
    const QStringList args = line.positionalArguments();
    EnregistrerBasseQualite(settingsOf(context), args.at(0), args.at(1), angle);
    return 0;
}

int commandTransfer(CliContext &context, const QCommandLineParser &line)
{
    const int angle = angleOption(line);
    const bool exportExif = line.isSet(QStringLiteral("export-exif"));
    const bool lowQuality = line.isSet(QStringLiteral("low"));
    QString root = line.value(QStringLiteral("root"));
    const QStringList args = line.positionalArguments();
    if (!line.isSet(QStringLiteral("root")))
        root = FileSystem::folderOf(FileSystem::absolutePath(args.at(1)));
    const TParamAppli settings = settingsOf(context);
    // As a transfer window does: the EXIF list of the source first.
    TListeInformationExif exif;
    LireInformationsExif(exif, args.at(0), settings.GestionEXIF);
    return TransfererPhoto(settings, context.ui, args.at(0), root, args.at(1), angle, exif, exportExif, lowQuality) ? 0
                                                                                                                 : 1;
}
