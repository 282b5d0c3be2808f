#include "core/operations/contenttransfer.h"

#include "core/corelog.h"
#include "core/error.h"
#include "core/exif/informationexif.h"
#include "core/files/filesystem.h"
#include "core/imaging/imaging.h"
#include "core/operations/lowqualitycopy.h"
#include "core/settings/paramappli.h"
#include "core/sources/photosource.h"
#include "core/userinterface.h"

namespace {

void makeFolderOf(const QString &path)
{
    // A failure shows up as the copy error that follows.
    const QString folder = FileSystem::folderOf(path);
    if (!folder.isEmpty() && !FileSystem::makeFolders(folder))
        qCInfo(lumaroCore) << "folder" << folder << "not created";
}

bool sameTarget(const QString &a, const QString &b)
{
    return FileSystem::absolutePath(a) == FileSystem::absolutePath(b) || FileSystem::sameFile(a, b);
}

QDateTime dateOf(const struct timespec &time)
{
    return QDateTime::fromSecsSinceEpoch(qint64(time.tv_sec));
}

// Writes the final photo: the bytes as they came, or turned in memory. A photo that cannot be
// turned is still written as it is, and the turn's failure reported.
void writeFinal(const SourcePhoto &photo, const QString &destination, int angle, SafeCopy::Mode mode,
                const SafeCopy::Hooks &hooks, const QByteArray &turnedAhead)
{
    makeFolderOf(destination);
    if (!Imaging::isQuarterTurn(angle)) {
        SafeCopy::writeContent(photo.source, photo.content, photo.modified, destination, mode, hooks);
        return;
    }
    QByteArray turned = turnedAhead;
    if (turned.isEmpty()) {
        try {
            turned = Imaging::turnedJpeg(photo.content, angle);
        } catch (const LumaroError &error) {
            SafeCopy::writeContent(photo.source, photo.content, photo.modified, destination, mode, hooks);
            throw LumaroError(QStringLiteral("Erreur pendant la rotation sans perte. ") + error.message());
        }
    }
    SafeCopy::writeContent(photo.source, turned, photo.modified, destination, mode, hooks);
}

} // namespace

QString deletionRefusedMessage()
{
    return QStringLiteral("L'appareil refuse la suppression des photos : elles restent sur l'appareil, "
                          "le transfert continue sans les supprimer.");
}

QByteArray turnedContent(const QByteArray &content, int angle)
{
    if (!Imaging::isQuarterTurn(angle))
        return {};
    try {
        return Imaging::turnedJpeg(content, angle);
    } catch (const LumaroError &) {
        return {};
    }
}

ContentTransferResult TransfererContenu(const TParamAppli &settings, UserInterface &ui, const SourcePhoto &photo,
                                        PhotoSource &source, const QString &destinationRoot,
                                        const QString &destination, int angle, const TListeInformationExif &exif,
                                        bool exportExif, bool lowQuality, const SafeCopy::Hooks &copyHooks,
                                        const PreparedTransfer &prepared)
{
    ContentTransferResult result;
    const bool deleteSource = settings.SupprimerPhoto;
    try {
        const QString lowQualityPath = lowQuality ? NomBasseQualite(settings, destination) : QString();
        const QString exifPath = exportExif ? exifFileName(destination) : QString();
        checkInsideDestination(destinationRoot, destination);
        if (lowQuality)
            checkInsideDestination(destinationRoot, lowQualityPath);
        if (exportExif)
            checkInsideDestination(destinationRoot, exifPath);

        writeFinal(photo, destination, angle, deleteSource ? SafeCopy::Mode::Verified : SafeCopy::Mode::Plain,
                   copyHooks, prepared.turnedPhoto.bytes);
        if (lowQuality) {
            if (sameTarget(lowQualityPath, destination))
                throw LumaroError(SafeCopy::copyErrorMessage(photo.source, lowQualityPath));
            const LowQualityCopy made = prepared.lowQuality
                                            ? *prepared.lowQuality
                                            : LowQualityCopy::makeFromContent(LowQualityCopy::Options::fromSettings(settings),
                                                                              photo.content, angle, dateOf(photo.modified));
            EnregistrerBasseQualite(settings, photo.source, lowQualityPath, angle, &made);
        }
        if (exportExif) {
            if (sameTarget(exifPath, destination) || (lowQuality && sameTarget(exifPath, lowQualityPath)))
                throw LumaroError(QStringLiteral("Erreur pendant l'écriture du fichier %1.").arg(exifPath));
            writeExifFile(exif, destination);
        }
    } catch (const LumaroError &error) {
        ui.showInformation(QStringLiteral("Erreur pendant le transfert de la photo : \n") + error.message());
        return result;
    } catch (const std::exception &error) {
        ui.showInformation(QStringLiteral("Erreur pendant le transfert de la photo : \n")
                           + QString::fromLocal8Bit(error.what()));
        return result;
    }
    result.written = true;
    if (deleteSource) {
        result.deletion = source.remove(photo.source);
        if (result.deletion.status == DeviceStatus::DeletionRefused)
            result.deletion.message = deletionRefusedMessage();
        if (!result.deletion.ok())
            qCInfo(lumaroCore) << "source" << photo.source << "not deleted:" << result.deletion.message;
    }
    return result;
}
