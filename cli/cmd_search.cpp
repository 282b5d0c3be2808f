#include "cli/commands.h"
#include "cli/consoleui.h"
#include "core/error.h"
#include "core/filtrephoto.h"
#include "core/paramappli.h"
#include "core/recherchephotos.h"

#include <QFileInfo>
#include <QTextStream>

int commandSearch(CliContext &context, QStringList args)
{
    const bool withSubfolders = !takeFlag(args, QStringLiteral("--no-subfolders"));
    if (args.size() != 1)
        throw LumaroError(QStringLiteral("Indiquez un seul dossier à parcourir."));
    const QString folder = QFileInfo(args.front()).absoluteFilePath();
    if (!QFileInfo(folder).isDir())
        throw LumaroError(QStringLiteral("Le dossier %1 n'existe pas.").arg(folder));

    const TParamAppli settings(context.settingsFolder + QStringLiteral("Lumaro.ini"));
    const TFiltrePhoto filter(settings.folder());
    QStringList photos, extraFiles;
    context.ui.quiet = true; // the wait texts would only clutter a listing meant for scripts
    RechercherPhotos(folder, withSubfolders, filter, extraFiles, photos, settings, context.ui);

    QTextStream out(stdout);
    for (const QString &photo : std::as_const(photos))
        out << photo << '\n';
    out << "--\n";
    for (const QString &file : std::as_const(extraFiles))
        out << file << '\n';
    return 0;
}
