// exif PHOTO [--no-exif]   and   date PHOTO
#include "cli/commands.h"
#include "core/error.h"
#include "core/exifdate.h"
#include "core/informationexif.h"

#include <QFile>
#include <QFileInfo>
#include <QTextStream>

#include <cstdio>

namespace {

// The one photo argument, which must name an existing file.
QString photoArgument(const QStringList &args, const QString &usage)
{
    for (const QString &arg : args)
        if (arg.startsWith(QLatin1String("--")))
            throw UsageError(QStringLiteral("Option inconnue : %1").arg(arg));
    if (args.size() != 1)
        throw UsageError(QStringLiteral("Utilisation : lumaro-cli %1").arg(usage));
    const QFileInfo info(args.front());
    if (!info.exists())
        throw LumaroError(QStringLiteral("Fichier introuvable : %1").arg(args.front()));
    if (!info.isFile())
        throw LumaroError(QStringLiteral("Ce n'est pas un fichier : %1").arg(args.front()));
    return args.front();
}

} // namespace

int commandExif(CliContext &, QStringList args)
{
    const bool noExif = takeFlag(args, QStringLiteral("--no-exif"));
    const QString photo = photoArgument(args, QStringLiteral("exif PHOTO [--no-exif]"));
    TListeInformationExif list;
    LireInformationsExif(list, photo, !noExif);
    // The very bytes of the EXIF text file, CR LF included.
    QFile out;
    if (!out.open(stdout, QIODevice::WriteOnly))
        throw LumaroError(QStringLiteral("Sortie standard indisponible."));
    out.write(ContenuFichierExif(list));
    return 0;
}

int commandDate(CliContext &, QStringList args)
{
    const QString photo = photoArgument(args, QStringLiteral("date PHOTO"));
    TListeInformationExif list;
    LireInformationsExif(list, photo, true);
    const double date = DatePhoto(list, photo);
    QTextStream(stdout) << ExifDate::format(date) << '\t' << AngleOrientation(list) << '\n';
    return 0;
}
