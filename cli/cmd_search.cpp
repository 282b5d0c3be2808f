#include "cli/commands.h"
#include "cli/consoleui.h"
#include "core/error.h"
#include "core/files/filesystem.h"
#include "core/discovery/filtrephoto.h"
#include "core/settings/paramappli.h"
#include "core/discovery/recherchephotos.h"
#include "cli/sourceargument.h"


int commandSearch(CliContext &context, const QCommandLineParser &line)
{
    const bool withSubfolders = !line.isSet(QStringLiteral("no-subfolders"));
    const QString argument = line.positionalArguments().front();
    const SourceArgument source = sourceArgument(argument);
    // A folder is listed as it was given (without a trailing "/" added).
    const QString folder = source.source ? source.text : FileSystem::absolutePath(PhotoSources::localPath(argument));

    TParamAppli settings(context.settingsFolder + QStringLiteral("Lumaro.ini"));
    // For this run only: the settings file is never written here.
    if (line.isSet(QStringLiteral("all-formats")))
        settings.AutresFormats = true;
    const TFiltrePhoto filter(settings.folder());
    QStringList photos, extraFiles;
    context.ui.quiet = true; // the wait texts would only clutter a listing meant for scripts
    if (source.source)
        RechercherPhotos(*source.source, folder, withSubfolders, filter, extraFiles, photos, settings, context.ui);
    else
        RechercherPhotos(folder, withSubfolders, filter, extraFiles, photos, settings, context.ui);

    // One line per shot, its key member; the other members travel with it.
    for (const QString &photo : std::as_const(photos))
        printLine(photo);
    printLine(QStringLiteral("--"));
    for (const QString &file : std::as_const(extraFiles))
        printLine(file);
    return 0;
}
