#include "core/operations/photooperations.h"
#include "core/corelog.h"
#include "core/error.h"
#include "core/files/filesystem.h"
#include "core/files/paths.h"
#include "core/imaging/imaging.h"
#include "core/operations/lowqualitycopy.h"
#include "core/settings/paramappli.h"

#include <optional>

void makeFolderOf(const QString &path, QStringList *created)
{
    const QString folder = FileSystem::folderOf(path);
    if (!folder.isEmpty() && !FileSystem::makeFolders(folder, created))
        qCInfo(lumaroCore) << "folder" << folder << "not created";
}

void removeFoldersMade(const QStringList &created)
{
    for (auto folder = created.crbegin(); folder != created.crend(); ++folder)
        if (!FileSystem::removeEmptyFolder(*folder))
            break;
}

namespace {

void setModificationTime(const QString &path, const struct timespec &time)
{
    if (!FileSystem::setModificationTime(path, time))
        qCInfo(lumaroCore) << "date of" << path << "not set";
}

} // namespace

bool sameTarget(const QString &a, const QString &b)
{
    return FileSystem::absolutePath(a) == FileSystem::absolutePath(b) || FileSystem::sameFile(a, b);
}

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

SafeCopy::StagedFile stageTurned(const QString &source, const QString &destination, int angle, SafeCopy::Mode mode,
                                 const SafeCopy::Hooks &copyHooks, const TurnedPhoto &turnedPhoto,
                                 QString *turnFailure)
{
    if (!Imaging::isQuarterTurn(angle))
        return SafeCopy::stageFile(source, destination, mode, copyHooks);
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
            *turnFailure = QStringLiteral("Erreur pendant la rotation sans perte. ") + error.message();
            return SafeCopy::stageFile(source, destination, mode, copyHooks);
        }
        // Written to while it was read: nothing that stands for it may replace it.
        if (changed)
            throw LumaroError(SafeCopy::copyErrorMessage(source, destination));
    }
    return SafeCopy::stageFromSource(source, turned.bytes, destination, mode, copyHooks);
}

void CopierEtTourner(const QString &source, const QString &destination, int angle, SafeCopy::Mode mode,
                     const SafeCopy::Hooks &copyHooks, const TurnedPhoto &turnedPhoto)
{
    makeFolderOf(destination);
    QString turnFailure;
    stageTurned(source, destination, angle, mode, copyHooks, turnedPhoto, &turnFailure).commit();
    if (!turnFailure.isEmpty())
        throw LumaroError(turnFailure);
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
