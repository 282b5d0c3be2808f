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
QString photoArgument(const QCommandLineParser &line)
{
    const QString photo = line.positionalArguments().front();
    const QFileInfo info(photo);
    if (!info.exists())
        throw LumaroError(QStringLiteral("Fichier introuvable : %1").arg(photo));
    if (!info.isFile())
        throw LumaroError(QStringLiteral("Ce n'est pas un fichier : %1").arg(photo));
    return photo;
}

} // namespace

int commandExif(CliContext &, const QCommandLineParser &line)
{
    const bool noExif = line.isSet(QStringLiteral("no-exif"));
    const QString photo = photoArgument(line);
    TListeInformationExif list;
    LireInformationsExif(list, photo, !noExif);
    // The very bytes of the EXIF text file, CR LF included.
    QFile out;
    if (!out.open(stdout, QIODevice::WriteOnly))
        throw LumaroError(QStringLiteral("Sortie standard indisponible."));
    out.write(ContenuFichierExif(list));
    return 0;
}

int commandDate(CliContext &, const QCommandLineParser &line)
{
    const QString photo = photoArgument(line);
    TListeInformationExif list;
    LireInformationsExif(list, photo, true);
    const double date = DatePhoto(list, photo);
    QTextStream(stdout) << ExifDate::format(date) << '\t' << AngleOrientation(list) << '\n';
    return 0;
}
