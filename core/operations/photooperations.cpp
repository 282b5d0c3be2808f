#include "core/operations/photooperations.h"
#include "core/corelog.h"
#include "core/exif/datetimevalue.h"
#include "core/error.h"
#include "core/files/filesystem.h"
#include "core/imaging/imaging.h"
#include "core/exif/informationexif.h"
#include "core/formats/filekind.h"
#include "core/formats/formatreader.h"
#include "core/naming/namemask.h"
#include "core/operations/lowqualitycopy.h"
#include "core/settings/paramappli.h"
#include "core/files/paths.h"
#include "core/userinterface.h"

#include <algorithm>
#include <future>
#include <optional>

namespace {

void makeFolderOf(const QString &path, QStringList *created = nullptr)
{
    // A failure shows up as the copy error that follows.
    const QString folder = FileSystem::folderOf(path);
    if (!folder.isEmpty() && !FileSystem::makeFolders(folder, created))
        qCInfo(lumaroCore) << "folder" << folder << "not created";
}

// Takes back the folders a failed write made, the innermost first, as long as they are empty.
void removeFoldersMade(const QStringList &created)
{
    for (auto folder = created.crbegin(); folder != created.crend(); ++folder)
        if (!FileSystem::removeEmptyFolder(*folder))
            break;
}

void setModificationTime(const QString &path, const struct timespec &time)
{
    if (!FileSystem::setModificationTime(path, time))
        qCInfo(lumaroCore) << "date of" << path << "not set";
}

// Both paths name one file: the same text once cleaned, or the same file on the disk (a link,
// a second hard link, a name in other letter case on a card).
bool sameTarget(const QString &a, const QString &b)
{
    return FileSystem::absolutePath(a) == FileSystem::absolutePath(b) || FileSystem::sameFile(a, b);
}

QString writeErrorMessage(const QString &path)
{
    return QStringLiteral("Erreur pendant l'écriture du fichier %1.").arg(path);
}

} // namespace

QString NomBasseQualite(const TParamAppli &settings, const QString &photoPath)
{
    const QString path = Paths::toSlashes(photoPath);
    const QString folder = FileSystem::folderOf(path);
    const QString name = path.mid(folder.size());
    QString subFolder = Paths::toSlashes(settings.Repertoire);
    if (!subFolder.isEmpty() && !Paths::endsWithSeparator(subFolder))
        subFolder += QLatin1Char('/');
    return folder + subFolder + name.left(qMax<qsizetype>(0, name.size() - 4)) + QLatin1Char(' ') + settings.Suffixe
           + QStringLiteral(".JPG");
}

void RotationSansPerte(const QString &path, int angle)
{
    if (!Imaging::isQuarterTurn(angle))
        return;
    // The turned photo is the same photo: it keeps its date, which names and histories use.
    const std::optional<struct timespec> before = FileSystem::modificationTime(path);
    try {
        Imaging::turnLosslessly(path, angle);
    } catch (const LumaroError &error) {
        throw LumaroError(QStringLiteral("Erreur pendant la rotation sans perte. ") + error.message());
    }
    if (before)
        setModificationTime(path, *before);
}

namespace {

std::optional<std::pair<qint64, qint64>> sourceStamp(const QString &path)
{
    const std::optional<struct stat> info = FileSystem::status(path);
    if (!info)
        return std::nullopt;
    return std::make_pair(qint64(info->st_size), qint64(info->st_mtim.tv_sec) * 1000000000 + info->st_mtim.tv_nsec);
}

bool sourceUnchangedSince(const QString &source, const TurnedPhoto &turned)
{
    const auto now = sourceStamp(source);
    return now && now->first == turned.sourceSize && now->second == turned.sourceTimeNs;
}

// The source's bytes turned in memory, with the size and date the source had while it was
// read. Empty with *changed set when the source was written to while it was read: what was
// read may then be half of each version. Throws LumaroError with the imaging layer's reason
// when the photo cannot be turned.
TurnedPhoto turnSource(const QString &source, int angle, bool *changed)
{
    *changed = false;
    const auto before = sourceStamp(source);
    TurnedPhoto turned;
    turned.bytes = Imaging::turnedJpegFile(source, angle);
    if (!before || sourceStamp(source) != before) {
        *changed = true;
        return {};
    }
    turned.sourceSize = before->first;
    turned.sourceTimeNs = before->second;
    return turned;
}

} // namespace

TurnedPhoto turnedInMemory(const QString &source, int angle)
{
    if (!Imaging::isQuarterTurn(angle))
        return {};
    try {
        bool changed = false;
        return turnSource(source, angle, &changed);
    } catch (const LumaroError &) {
        return {};
    }
}

void CopierEtTourner(const QString &source, const QString &destination, int angle, SafeCopy::Mode mode,
                     const SafeCopy::Hooks &copyHooks, const TurnedPhoto &turnedPhoto)
{
    makeFolderOf(destination);
    if (!Imaging::isQuarterTurn(angle)) {
        SafeCopy::copyFile(source, destination, mode, copyHooks);
        return;
    }
    // The turned photo is written once, from the source's bytes, and read back as a copy is:
    // a photo turned after it was copied would replace a checked copy by an unchecked one.
    TurnedPhoto turned = turnedPhoto;
    if (turned.isEmpty() || !sourceUnchangedSince(source, turned)) {
        bool changed = false;
        try {
            turned = turnSource(source, angle, &changed);
        } catch (const LumaroError &error) {
            // A photo that cannot be turned is still copied as it is, and the user told why
            // it was not turned; its source stays.
            SafeCopy::copyFile(source, destination, mode, copyHooks);
            throw LumaroError(QStringLiteral("Erreur pendant la rotation sans perte. ") + error.message());
        }
        // Written to while it was read: nothing that stands for it may replace it.
        if (changed)
            throw LumaroError(SafeCopy::copyErrorMessage(source, destination));
    }
    SafeCopy::writeFromSource(source, turned.bytes, destination, mode, copyHooks);
}

void ReduirePhoto(const TParamAppli &settings, const QString &path, int angle, const QDateTime &sourceDate)
{
    LowQualityCopy::make(LowQualityCopy::Options::fromSettings(settings), path, angle, sourceDate).write(path);
}

void EnregistrerBasseQualite(const TParamAppli &settings, const QString &source, const QString &lowQualityPath,
                             int angle, const LowQualityCopy *madeAhead)
{
    const LowQualityCopy copy =
        madeAhead ? *madeAhead
                  : LowQualityCopy::make(LowQualityCopy::Options::fromSettings(settings), source, angle,
                                         FileSystem::lastModified(source));
    // Over its own source, writing the copy would take the photo with it.
    if (sameTarget(source, lowQualityPath))
        throw LumaroError(SafeCopy::copyErrorMessage(source, lowQualityPath));
    QStringList created;
    makeFolderOf(lowQualityPath, &created);
    try {
        copy.write(lowQualityPath, SafeCopy::copyErrorMessage(source, lowQualityPath));
    } catch (const LumaroError &) {
        // A copy that could not be written leaves no empty folder of its own behind.
        removeFoldersMade(created);
        throw;
    }
}

QString outsideDestinationMessage(const QString &path)
{
    return QStringLiteral("Le chemin %1 sort du répertoire de destination.").arg(path);
}

void checkInsideDestination(const QString &destinationRoot, const QString &path)
{
    if (!FileSystem::isInside(destinationRoot, path))
        throw LumaroError(outsideDestinationMessage(path));
}

bool TransfererPhoto(const TParamAppli &settings, UserInterface &ui, const QString &source,
                     const QString &destinationRoot, const QString &destination, int angle,
                     const TListeInformationExif &exif, bool exportExif, bool lowQuality,
                     const SafeCopy::Hooks &copyHooks, const PreparedTransfer &prepared)
{
    return transferShot(settings, ui, {source}, destinationRoot, destination, angle, exif, exportExif, lowQuality,
                        copyHooks, prepared);
}

namespace {

// The low-quality copy of a shot's key member, made while the members are written.
std::future<LowQualityCopy> lowQualityCopyOf(const TParamAppli &settings, FileKind keyKind, const QString &key,
                                             int angle, FormatReader *reader)
{
    const LowQualityCopy::Options options = LowQualityCopy::Options::fromSettings(settings);
    if (keyKind == FileKind::Raw || keyKind == FileKind::Heif) {
        return std::async(std::launch::async, [options, reader, key] {
            if (reader)
                return LowQualityCopy::makeFromFormat(options, *reader, key, FileSystem::lastModified(key));
            FormatReader ownReader;
            return LowQualityCopy::makeFromFormat(options, ownReader, key, FileSystem::lastModified(key));
        });
    }
    return std::async(std::launch::async, &LowQualityCopy::make, options, key, angle, FileSystem::lastModified(key));
}

} // namespace

bool transferShot(const TParamAppli &settings, UserInterface &ui, const QStringList &members,
                  const QString &destinationRoot, const QString &destination, int angle,
                  const TListeInformationExif &exif, bool exportExif, bool lowQuality,
                  const SafeCopy::Hooks &copyHooks, const PreparedTransfer &prepared)
{
    if (members.isEmpty())
        return false;
    const QString &source = members.first();
    // Whatever is not a RAW, HEIF or video file is handled as a JPEG, as it always was.
    const auto kindOf = [](const QString &path) {
        const FileKind kind = fileKindOf(path);
        return isProbedKind(kind) ? kind : FileKind::Jpeg;
    };
    const FileKind keyKind = kindOf(source);
    // A video has no picture to reduce.
    const bool withLowQuality = lowQuality && keyKind != FileKind::Video;
    const LowQualityCopy *preparedLowQuality = prepared.lowQuality;
    const bool deleteSource = settings.SupprimerPhoto;
    QStringList destinations{destination};
    for (qsizetype i = 1; i < members.size(); ++i)
        destinations.append(memberDestination(destination, members.at(i)));
    try {
        // The copy for e-mail is a JPEG whatever the key member is.
        const QString lowQualityPath =
            withLowQuality ? NomBasseQualite(settings, keyKind == FileKind::Jpeg
                                                           ? destination
                                                           : memberDestination(destination, QStringLiteral(".JPG")))
                           : QString();
        const QString exifPath = exportExif ? exifFileName(destination) : QString();
        // A theme, a mask or a card file name may hold "..": nothing is written outside the
        // destination the user chose.
        for (const QString &target : std::as_const(destinations))
            checkInsideDestination(destinationRoot, target);
        if (withLowQuality)
            checkInsideDestination(destinationRoot, lowQualityPath);
        if (exportExif)
            checkInsideDestination(destinationRoot, exifPath);

        // The low-quality copy only reads the source: it is made on a thread of its own while
        // the photo is copied and turned, and written after them.
        std::future<LowQualityCopy> lowQualityCopy;
        if (withLowQuality && !preparedLowQuality)
            lowQualityCopy = lowQualityCopyOf(settings, keyKind, source, angle, prepared.formatReader);
        const SafeCopy::Mode mode = deleteSource ? SafeCopy::Mode::Verified : SafeCopy::Mode::Plain;
        for (qsizetype i = 0; i < members.size(); ++i) {
            // Only a JPEG is turned without loss; RAW, HEIF and video files keep the bytes and
            // the orientation the camera wrote.
            if (kindOf(members.at(i)) == FileKind::Jpeg)
                CopierEtTourner(members.at(i), destinations.at(i), angle, mode, copyHooks,
                                i == 0 ? prepared.turnedPhoto : TurnedPhoto());
            else
                CopierEtTourner(members.at(i), destinations.at(i), 0, mode, copyHooks);
        }
        // Neither the reduced copy nor the text may replace a file this transfer reads or has
        // just written.
        const auto written = [&](const QString &path) {
            return std::any_of(destinations.cbegin(), destinations.cend(),
                               [&](const QString &target) { return sameTarget(path, target); });
        };
        const auto read = [&](const QString &path) {
            return std::any_of(members.cbegin(), members.cend(),
                               [&](const QString &member) { return sameTarget(path, member); });
        };
        if (withLowQuality) {
            if (written(lowQualityPath))
                throw LumaroError(SafeCopy::copyErrorMessage(source, lowQualityPath));
            const LowQualityCopy made = preparedLowQuality ? *preparedLowQuality : lowQualityCopy.get();
            if (read(lowQualityPath))
                throw LumaroError(SafeCopy::copyErrorMessage(source, lowQualityPath));
            EnregistrerBasseQualite(settings, source, lowQualityPath, angle, &made);
        }
        if (exportExif) {
            if (read(exifPath) || written(exifPath) || (withLowQuality && sameTarget(exifPath, lowQualityPath)))
                throw LumaroError(writeErrorMessage(exifPath));
            writeExifFile(exif, destination);
        }
    } catch (const LumaroError &error) {
        ui.showInformation(QStringLiteral("Erreur pendant le transfert de la photo : \n") + error.message());
        return false;
    } catch (const std::exception &error) {
        ui.showInformation(QStringLiteral("Erreur pendant le transfert de la photo : \n")
                           + QString::fromLocal8Bit(error.what()));
        return false;
    }
    // Every member arrived: the shot leaves the card whole. A destination that is the source
    // itself must not take the only copy with it.
    if (deleteSource) {
        for (qsizetype i = 0; i < members.size(); ++i)
            if (!FileSystem::sameFile(members.at(i), destinations.at(i)) && !FileSystem::remove(members.at(i)))
                qCInfo(lumaroCore) << "source" << members.at(i) << "not deleted";
    }
    return true;
}
