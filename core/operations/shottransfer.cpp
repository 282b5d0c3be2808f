#include "core/operations/shottransfer.h"

#include "core/corelog.h"
#include "core/error.h"
#include "core/exif/informationexif.h"
#include "core/files/filesystem.h"
#include "core/formats/filekind.h"
#include "core/formats/formatreader.h"
#include "core/imaging/imaging.h"
#include "core/naming/namemask.h"
#include "core/operations/lowqualitycopy.h"
#include "core/sources/photosource.h"
#include "core/userinterface.h"

#include <QDateTime>

#include <algorithm>
#include <future>

namespace {

// Whatever is not a RAW, HEIF or video file is handled as a JPEG, as it always was.
FileKind kindOf(const QString &path)
{
    const FileKind kind = fileKindOf(path);
    return isProbedKind(kind) ? kind : FileKind::Jpeg;
}

QString writeErrorMessage(const QString &path)
{
    return QStringLiteral("Erreur pendant l'écriture du fichier %1.").arg(path);
}

QDateTime dateOf(const struct timespec &time)
{
    return QDateTime::fromSecsSinceEpoch(qint64(time.tv_sec));
}

// A camera's file as it will be written: its bytes as they came, or turned in memory. A photo
// that cannot be turned is still staged as it is, and the turn's failure given back.
SafeCopy::StagedFile stageContent(const SourcePhoto &photo, const QString &destination, int angle,
                                  SafeCopy::Mode mode, const SafeCopy::Hooks &hooks, const QByteArray &turnedAhead,
                                  QString *turnFailure)
{
    if (!Imaging::isQuarterTurn(angle))
        return SafeCopy::stageContent(photo.source, photo.content, photo.modified, destination, mode, hooks);
    QByteArray turned = turnedAhead;
    if (turned.isEmpty()) {
        try {
            turned = Imaging::turnedJpeg(photo.content, angle);
        } catch (const LumaroError &error) {
            *turnFailure = QStringLiteral("Erreur pendant la rotation sans perte. ") + error.message();
            return SafeCopy::stageContent(photo.source, photo.content, photo.modified, destination, mode, hooks);
        }
    }
    return SafeCopy::stageContent(photo.source, turned, photo.modified, destination, mode, hooks);
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

ShotTransfer::ShotTransfer(const TParamAppli &settings, QStringList members, QString destinationRoot,
                           QString destination, int angle, const TListeInformationExif &exif, bool exportExif,
                           bool lowQuality, SafeCopy::Hooks copyHooks, PreparedTransfer prepared,
                           QList<SourcePhoto> contents)
    : m_settings(settings), m_members(std::move(members)), m_root(std::move(destinationRoot)), m_angle(angle),
      m_exif(exif), m_exportExif(exportExif), m_hooks(std::move(copyHooks)), m_prepared(prepared),
      m_contents(std::move(contents))
{
    // A video has no picture to reduce.
    m_withLowQuality = lowQuality && !m_members.isEmpty() && kindOf(m_members.first()) != FileKind::Video;
    m_destinations.append(destination);
    for (qsizetype i = 1; i < m_members.size(); ++i)
        m_destinations.append(memberDestination(destination, m_members.at(i)));
}

ShotTransfer::~ShotTransfer() = default;

QString ShotTransfer::lowQualityPath() const
{
    // The copy for e-mail is a JPEG whatever the key member is.
    const QString &key = m_destinations.first();
    return NomBasseQualite(m_settings, kindOf(m_members.first()) == FileKind::Jpeg
                                           ? key
                                           : memberDestination(key, QStringLiteral(".JPG")));
}

void ShotTransfer::check() const
{
    // A theme, a mask or a card file name may hold "..": nothing is written outside the
    // destination the user chose.
    for (const QString &target : m_destinations)
        checkInsideDestination(m_root, target);
    if (m_withLowQuality)
        checkInsideDestination(m_root, lowQualityPath());
    if (m_exportExif)
        checkInsideDestination(m_root, exifFileName(m_destinations.first()));
}

SafeCopy::StagedFile ShotTransfer::writeMember(qsizetype index, QString *turnFailure)
{
    const QString &member = m_members.at(index);
    const QString &target = m_destinations.at(index);
    const SafeCopy::Mode mode = m_settings.SupprimerPhoto ? SafeCopy::Mode::Verified : SafeCopy::Mode::Plain;
    // Only a JPEG is turned without loss; RAW, HEIF and video files keep the bytes and the
    // orientation the camera wrote.
    const int angle = kindOf(member) == FileKind::Jpeg ? m_angle : 0;
    const TurnedPhoto turnedAhead = index == 0 ? m_prepared.turnedPhoto : TurnedPhoto();
    makeFolderOf(target, &m_createdFolders);
    if (!m_contents.isEmpty())
        return stageContent(m_contents.at(index), target, angle, mode, m_hooks, turnedAhead.bytes, turnFailure);
    return stageTurned(member, target, angle, mode, m_hooks, turnedAhead, turnFailure);
}

LowQualityCopy ShotTransfer::makeLowQualityCopy() const
{
    const LowQualityCopy::Options options = LowQualityCopy::Options::fromSettings(m_settings);
    const QString &key = m_members.first();
    const bool format = kindOf(key) != FileKind::Jpeg;
    if (!m_contents.isEmpty()) {
        const SourcePhoto &photo = m_contents.first();
        if (!format)
            return LowQualityCopy::makeFromContent(options, photo.content, m_angle, dateOf(photo.modified));
        if (m_prepared.formatReader)
            return LowQualityCopy::makeFromFormat(options, *m_prepared.formatReader, key, photo.content,
                                                  dateOf(photo.modified));
        FormatReader ownReader;
        return LowQualityCopy::makeFromFormat(options, ownReader, key, photo.content, dateOf(photo.modified));
    }
    if (!format)
        return LowQualityCopy::make(options, key, m_angle, FileSystem::lastModified(key));
    if (m_prepared.formatReader)
        return LowQualityCopy::makeFromFormat(options, *m_prepared.formatReader, key, FileSystem::lastModified(key));
    FormatReader ownReader;
    return LowQualityCopy::makeFromFormat(options, ownReader, key, FileSystem::lastModified(key));
}

void ShotTransfer::write()
{
    if (m_members.isEmpty()) {
        m_failure = QStringLiteral("Aucun fichier à transférer.");
        return;
    }
    try {
        check();
        // The low-quality copy only reads the source: it is made on a thread of its own while
        // the members are written.
        std::future<LowQualityCopy> lowQualityCopy;
        if (m_withLowQuality && !m_prepared.lowQuality)
            lowQualityCopy = std::async(std::launch::async, [this] { return makeLowQualityCopy(); });
        for (qsizetype i = 0; i < m_members.size(); ++i) {
            QString turnFailure;
            SafeCopy::StagedFile member = writeMember(i, &turnFailure);
            // A file this write replaces is never taken back: it was the user's.
            const bool replaces = FileSystem::exists(m_destinations.at(i));
            member.commit();
            if (!replaces)
                if (const std::optional<struct stat> placed = FileSystem::status(m_destinations.at(i), false))
                    m_placed.push_back({m_destinations.at(i), placed->st_dev, placed->st_ino});
            if (!turnFailure.isEmpty())
                throw LumaroError(turnFailure);
        }
        if (lowQualityCopy.valid())
            m_lowQuality = lowQualityCopy.get();
    } catch (const LumaroError &error) {
        m_failure = error.message();
    } catch (const std::exception &error) {
        m_failure = QString::fromLocal8Bit(error.what());
    }
}

bool ShotTransfer::sameAsWritten(const QString &path) const
{
    return std::any_of(m_destinations.cbegin(), m_destinations.cend(),
                       [&](const QString &target) { return sameTarget(path, target); });
}

bool ShotTransfer::sameAsRead(const QString &path) const
{
    // A camera's files are no files of this disk.
    if (!m_contents.isEmpty())
        return false;
    return std::any_of(m_members.cbegin(), m_members.cend(),
                       [&](const QString &member) { return sameTarget(path, member); });
}

void ShotTransfer::writeCompanions()
{
    const QString &source = m_members.first();
    // Neither the reduced copy nor the text may replace a file this transfer reads or has
    // just written.
    const QString lowQuality = m_withLowQuality ? lowQualityPath() : QString();
    if (m_withLowQuality) {
        if (sameAsWritten(lowQuality) || sameAsRead(lowQuality))
            throw LumaroError(SafeCopy::copyErrorMessage(source, lowQuality));
        EnregistrerBasseQualite(m_settings, source, lowQuality, m_angle,
                                m_prepared.lowQuality ? m_prepared.lowQuality : &*m_lowQuality);
    }
    if (m_exportExif) {
        const QString exifPath = exifFileName(m_destinations.first());
        if (sameAsRead(exifPath) || sameAsWritten(exifPath) || (m_withLowQuality && sameTarget(exifPath, lowQuality)))
            throw LumaroError(writeErrorMessage(exifPath));
        writeExifFile(m_exif, m_destinations.first());
    }
}

bool ShotTransfer::finishKeepingSources(UserInterface &ui)
{
    try {
        if (!m_failure.isEmpty())
            throw LumaroError(m_failure);
        writeCompanions();
    } catch (const LumaroError &error) {
        ui.showInformation(QStringLiteral("Erreur pendant le transfert de la photo : \n") + error.message());
        return false;
    } catch (const std::exception &error) {
        ui.showInformation(QStringLiteral("Erreur pendant le transfert de la photo : \n")
                           + QString::fromLocal8Bit(error.what()));
        return false;
    }
    return true;
}

ShotResult ShotTransfer::finish(UserInterface &ui, PhotoSource *device)
{
    ShotResult result;
    result.written = finishKeepingSources(ui);
    if (!result.written || !m_settings.SupprimerPhoto)
        return result;
    // Every member arrived: the shot leaves the card whole.
    if (device && !m_contents.isEmpty()) {
        result.deletion = deleteShotOnDevice(*device, m_members);
        return result;
    }
    // A destination that is the source itself must not take the only copy with it.
    for (qsizetype i = 0; i < m_members.size(); ++i)
        if (!FileSystem::sameFile(m_members.at(i), m_destinations.at(i)) && !FileSystem::remove(m_members.at(i)))
            qCInfo(lumaroCore) << "source" << m_members.at(i) << "not deleted";
    return result;
}

DeviceOutcome deleteShotOnDevice(PhotoSource &device, const QStringList &members)
{
    for (const QString &member : members) {
        DeviceOutcome deletion = device.remove(member);
        if (deletion.ok())
            continue;
        if (deletion.status == DeviceStatus::DeletionRefused)
            deletion.message = deletionRefusedMessage();
        qCInfo(lumaroCore) << "source" << member << "not deleted:" << deletion.message;
        return deletion;
    }
    return DeviceOutcome::success();
}

void ShotTransfer::takeBack(QStringList *foldersMade)
{
    // The last first: a member's folder may be another's. Only the very file this write put
    // there goes, never one that took its name since.
    for (auto placed = m_placed.crbegin(); placed != m_placed.crend(); ++placed) {
        const std::optional<struct stat> now = FileSystem::status(placed->path, false);
        if (!now || now->st_dev != placed->device || now->st_ino != placed->inode || !FileSystem::remove(placed->path))
            qCInfo(lumaroCore) << "copy" << placed->path << "not taken back";
    }
    m_placed.clear();
    m_lowQuality.reset();
    if (foldersMade)
        foldersMade->append(m_createdFolders);
    else
        removeFoldersMade(m_createdFolders);
    m_createdFolders.clear();
}

bool transferShot(const TParamAppli &settings, UserInterface &ui, const QStringList &members,
                  const QString &destinationRoot, const QString &destination, int angle,
                  const TListeInformationExif &exif, bool exportExif, bool lowQuality,
                  const SafeCopy::Hooks &copyHooks, const PreparedTransfer &prepared)
{
    if (members.isEmpty())
        return false;
    ShotTransfer transfer(settings, members, destinationRoot, destination, angle, exif, exportExif, lowQuality,
                          copyHooks, prepared);
    transfer.write();
    return transfer.finish(ui).written;
}

bool TransfererPhoto(const TParamAppli &settings, UserInterface &ui, const QString &source,
                     const QString &destinationRoot, const QString &destination, int angle,
                     const TListeInformationExif &exif, bool exportExif, bool lowQuality,
                     const SafeCopy::Hooks &copyHooks, const PreparedTransfer &prepared)
{
    return transferShot(settings, ui, {source}, destinationRoot, destination, angle, exif, exportExif, lowQuality,
                        copyHooks, prepared);
}
