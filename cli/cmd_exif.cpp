// exif PHOTO [--no-exif]   and   date PHOTO
#include "cli/commands.h"
#include "core/error.h"
#include "core/exif/exifdate.h"
#include "core/files/filesystem.h"
#include "core/exif/informationexif.h"

#include <cstdio>

namespace {

// The one photo argument, which must name an existing file.
QString photoArgument(const QCommandLineParser &line)
{
    const QString photo = line.positionalArguments().front();
    if (!FileSystem::status(photo))
        throw LumaroError(QStringLiteral("Fichier introuvable : %1").arg(photo));
    if (!FileSystem::isFile(photo))
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
    const QByteArray text = exifFileContent(list);
    if (std::fwrite(text.constData(), 1, size_t(text.size()), stdout) != size_t(text.size()))
        throw LumaroError(QStringLiteral("Sortie standard indisponible."));
    return 0;
}

int commandDate(CliContext &, const QCommandLineParser &line)
{
    const QString photo = photoArgument(line);
    TListeInformationExif list;
    LireInformationsExif(list, photo, true);
    const double date = DatePhoto(list, photo);
    printLine(ExifDate::format(date) + u'\t' + QString::number(AngleOrientation(list)));
    return 0;
}
