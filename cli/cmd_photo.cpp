// The photo operations of a transfer, one photo at a time, with the settings of the settings folder.
#include "cli/commands.h"
#include "cli/consoleui.h"
#include "core/error.h"
#include "core/filesystem.h"
#include "core/informationexif.h"
#include "core/paramappli.h"
#include "core/photooperations.h"


namespace {

int takeAngle(const QString &text)
{
    bool ok = false;
    const int angle = text.toInt(&ok);
    if (!ok || (angle != 0 && angle != 90 && angle != 180 && angle != 270))
        throw UsageError(QStringLiteral("Angle incorrect : %1 (0, 90, 180 ou 270)").arg(text));
    return angle;
}

int takeAngleOption(QStringList &args)
{
    QString value;
    return takeOption(args, QStringLiteral("--angle"), &value) ? takeAngle(value) : 0;
}

void expectArguments(const QStringList &args, int count, const char *usage)
{
    for (const QString &arg : args)
        if (arg.startsWith(QLatin1String("--")))
            throw UsageError(QStringLiteral("Option inconnue : %1").arg(arg));
    if (args.size() != count)
        throw UsageError(QStringLiteral("Utilisation : lumaro-cli ") + QString::fromUtf8(usage));
}

TParamAppli settingsOf(const CliContext &context)
{
    return TParamAppli(context.settingsFolder + QStringLiteral("Lumaro.ini"));
}

} // namespace

int commandRotate(CliContext &, QStringList args)
{
    expectArguments(args, 2, "rotate PHOTO ANGLE");
    RotationSansPerte(args.at(0), takeAngle(args.at(1)));
    return 0;
}

int commandLowQuality(CliContext &context, QStringList args)
{
    const int angle = takeAngleOption(args);
    expectArguments(args, 2, "lowq PHOTO CIBLE [--angle A]");
    EnregistrerBasseQualite(settingsOf(context), args.at(0), args.at(1), angle);
    return 0;
}

int commandTransfer(CliContext &context, QStringList args)
{
    const int angle = takeAngleOption(args);
    const bool exportExif = takeFlag(args, QStringLiteral("--export-exif"));
    const bool lowQuality = takeFlag(args, QStringLiteral("--low"));
    QString root;
    const bool rootGiven = takeOption(args, QStringLiteral("--root"), &root);
    expectArguments(args, 2, "transfer SOURCE DESTINATION [--root DOSSIER] [--angle A] [--export-exif] [--low]");
    if (!rootGiven)
        root = FileSystem::folderOf(FileSystem::absolutePath(args.at(1)));
    const TParamAppli settings = settingsOf(context);
    // As a transfer window does: the EXIF list of the source first.
    TListeInformationExif exif;
    LireInformationsExif(exif, args.at(0), settings.GestionEXIF);
    return TransfererPhoto(settings, context.ui, args.at(0), root, args.at(1), angle, exif, exportExif, lowQuality) ? 0
                                                                                                                 : 1;
}
