#include "core/photooperations.h"
#include "core/datetimevalue.h"
#include "core/error.h"
#include "core/imaging.h"
#include "core/informationexif.h"
#include "core/paramappli.h"
#include "core/paths.h"
#include "core/userinterface.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <fcntl.h>
#include <sys/stat.h>

namespace {

const QSize LowQualitySizes[] = {{320, 240}, {640, 480}, {720, 576}, {800, 600}, {1024, 768}, {1280, 1024}};

bool isQuarterTurn(int angle)
{
    return angle == 90 || angle == 180 || angle == 270;
}

// The folder of a path, with its trailing "/".
QString folderOf(const QString &path)
{
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    return slash < 0 ? QString() : path.left(slash + 1);
}

void makeFolderOf(const QString &path)
{
    // A failure shows up as the copy error that follows.
    const QString folder = folderOf(path);
    if (!folder.isEmpty())
        QDir().mkpath(folder);
}

bool statFile(const QString &path, struct stat *status)
{
    return ::stat(QFile::encodeName(path).constData(), status) == 0;
}

bool sameFile(const QString &a, const QString &b)
{
    struct stat first {}, second {};
    return statFile(a, &first) && statFile(b, &second) && first.st_dev == second.st_dev
           && first.st_ino == second.st_ino;
}

void setModificationTime(const QString &path, const struct timespec &time)
{
    const struct timespec times[2] = {{0, UTIME_OMIT}, time};
    ::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, 0);
}

} // namespace

QSize TailleBasseQualitePaysage(int indiceNewDim)
{
    if (indiceNewDim < 0 || indiceNewDim >= int(std::size(LowQualitySizes)))
        return QSize();
    return LowQualitySizes[indiceNewDim];
}

QSize TailleBasseQualite(int indiceNewDim, QSize picture)
{
    const QSize landscape = TailleBasseQualitePaysage(indiceNewDim);
    if (!landscape.isValid())
        return QSize();
    return picture.width() > picture.height() ? landscape : landscape.transposed();
}

int QualiteBornee(int qualite)
{
    return qBound(1, qualite, 100);
}

QString NomBasseQualite(const TParamAppli &settings, const QString &photoPath)
{
    const QString path = Paths::toSlashes(photoPath);
    const QString folder = folderOf(path);
    const QString name = path.mid(folder.size());
    QString subFolder = Paths::toSlashes(settings.Repertoire);
    if (!subFolder.isEmpty() && !Paths::endsWithSeparator(subFolder))
        subFolder += QLatin1Char('/');
    return folder + subFolder + name.left(qMax<qsizetype>(0, name.size() - 4)) + QLatin1Char(' ') + settings.Suffixe
           + QStringLiteral(".JPG");
}

void RotationSansPerte(const QString &path, int angle)
{
    if (!isQuarterTurn(angle))
        return;
    // The turned photo is the same photo: it keeps its date, which names and histories use.
    struct stat before {};
    const bool known = statFile(path, &before);
    try {
        Imaging::transformLosslessly(path, angle);
    } catch (const LumaroError &error) {
        throw LumaroError(QStringLiteral("Erreur pendant la rotation sans perte. ") + error.message());
    }
    if (known)
        setModificationTime(path, before.st_mtim);
}

void CopierEtTourner(const QString &source, const QString &destination, int angle, SafeCopy::Mode mode,
                     const SafeCopy::Hooks &copyHooks)
{
    makeFolderOf(destination);
    SafeCopy::copyFile(source, destination, mode, copyHooks);
    if (angle != 0)
        RotationSansPerte(destination, angle);
}

void ReduirePhoto(const TParamAppli &settings, const QString &path, int angle, const QDateTime &sourceDate)
{
    const bool keepExif = settings.GestionEXIF && settings.GarderInfoEXIF;
    const QSize landscape = settings.Redimensionner ? TailleBasseQualitePaysage(settings.IndiceNewDim) : QSize();
    // Decoding at a reduced scale is what makes the copy fast; the square of the long side
    // covers the target whichever way the picture ends up after its turn.
    const QSize covering = landscape.isValid() ? QSize(landscape.width(), landscape.width()) : QSize();

    Imaging::Photo photo;
    try {
        photo = Imaging::loadPhotoCovering(path, covering,
                                           keepExif ? Imaging::MetadataChoice::Load : Imaging::MetadataChoice::Skip);
    } catch (const LumaroError &error) {
        throw LumaroError(QStringLiteral("Erreur pendant la sauvegarde basse résolution (1). ") + error.message());
    }

    QImage picture = photo.picture;
    bool turned = false;
    if (angle != 0) {
        try {
            picture = Imaging::rotated(picture, angle);
            turned = isQuarterTurn(angle);
        } catch (const LumaroError &) {
            // An angle other than a right angle leaves the picture as it is.
        }
    }
    if (landscape.isValid()) {
        try {
            picture = Imaging::resized(picture, TailleBasseQualite(settings.IndiceNewDim, picture.size()));
        } catch (const LumaroError &) {
            // The copy is then only recompressed.
        }
    }

    Imaging::SaveOptions options;
    options.quality = QualiteBornee(settings.Qualite);
    if (keepExif)
        options.metadata = photo.metadata;
    options.pictureTurned = turned;
    try {
        Imaging::saveJpeg(path, picture, options);
    } catch (const LumaroError &error) {
        throw LumaroError(QStringLiteral("Erreur pendant la sauvegarde basse résolution (2). ") + error.message());
    }

    if (settings.GarderInfoDateEXIF && sourceDate.isValid()) {
        const qint64 seconds = DateValue::evenSecond(sourceDate).toSecsSinceEpoch();
        setModificationTime(path, {time_t(seconds), 0});
    }
}

void EnregistrerBasseQualite(const TParamAppli &settings, const QString &source, const QString &lowQualityPath,
                             int angle)
{
    makeFolderOf(lowQualityPath);
    SafeCopy::copyFile(source, lowQualityPath, SafeCopy::Mode::Plain);
    ReduirePhoto(settings, lowQualityPath, angle, QFileInfo(source).lastModified());
}

bool TransfererPhoto(const TParamAppli &settings, UserInterface &ui, const QString &source,
                     const QString &destination, int angle, const TListeInformationExif &exif, bool exportExif,
                     bool lowQuality, const SafeCopy::Hooks &copyHooks)
{
    const bool deleteSource = settings.SupprimerPhoto;
    try {
        CopierEtTourner(source, destination, angle, deleteSource ? SafeCopy::Mode::Verified : SafeCopy::Mode::Plain,
                        copyHooks);
        if (lowQuality)
            EnregistrerBasseQualite(settings, source, NomBasseQualite(settings, destination), angle);
        if (exportExif)
            EnregistrerFichierExif(exif, destination);
    } catch (const LumaroError &error) {
        ui.showInformation(QStringLiteral("Erreur pendant le transfert de la photo : \n") + error.message());
        return false;
    } catch (const std::exception &error) {
        ui.showInformation(QStringLiteral("Erreur pendant le transfert de la photo : \n")
                           + QString::fromLocal8Bit(error.what()));
        return false;
    }
    // A destination that is the source itself must not take the only copy with it.
    if (deleteSource && !sameFile(source, destination))
        QFile::remove(source);
    return true;
}
