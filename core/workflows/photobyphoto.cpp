#include "core/workflows/photobyphoto.h"

#include "core/exif/datetimevalue.h"
#include "core/error.h"
#include "core/discovery/shotmembers.h"
#include "core/files/filesystem.h"
#include "core/formats/filekind.h"
#include "core/formats/formatinformation.h"
#include "core/naming/namemask.h"
#include "core/settings/paramappli.h"
#include "core/operations/lowqualitycopy.h"
#include "core/operations/photooperations.h"
#include "core/operations/shottransfer.h"
#include "core/userinterface.h"

PhotoByPhotoSession::PhotoByPhotoSession(const TParamAppli &settings, QStringList &photos, QString destination,
                                         QString theme, const ShotMembers *shots)
    : m_settings(settings)
    , m_photos(photos)
    , m_shots(shots)
    , m_destination(std::move(destination))
    , m_theme(std::move(theme))
    , m_automaticRotation(settings.GestionEXIF && settings.RotationAuto)
    , m_exportExif(settings.GestionEXIF && settings.ExportInfoExif)
{
    m_themes << m_theme;
    if (settings.AutresFormats)
        m_formats = std::make_unique<FormatReader>();
}

PhotoByPhotoSession::~PhotoByPhotoSession() = default;

QStringList PhotoByPhotoSession::members() const
{
    return m_shots ? m_shots->membersOf(source()) : QStringList{source()};
}

bool PhotoByPhotoSession::turnable() const
{
    // The key member is the JPEG when the shot has one.
    return !m_formats || !isFormatFile(source());
}

bool PhotoByPhotoSession::isVideo() const
{
    return m_formats && fileKindOf(source()) == FileKind::Video;
}

bool PhotoByPhotoSession::exifManaged() const
{
    return m_settings.GestionEXIF;
}

void PhotoByPhotoSession::setAutomaticRotation(bool on)
{
    m_automaticRotation = on && exifManaged();
}

void PhotoByPhotoSession::setExportExif(bool on)
{
    m_exportExif = on && exifManaged();
}

QString PhotoByPhotoSession::source() const
{
    return m_photos.value(m_number - 1);
}

void PhotoByPhotoSession::showCurrent()
{
    const QString path = source();
    m_durationMs = -1;
    if (fromDevice()) {
        const QByteArray &content = deviceContent();
        if (m_formats && isFormatFile(path) && exifManaged() && !content.isEmpty())
            m_durationMs = readFormatInformation(*m_formats, m_exif, path, content, m_fileTime).durationMs;
        else
            LireInformationsExif(m_exif, content, m_fileTime, exifManaged() && !content.isEmpty());
        m_dateLue = DatePhoto(m_exif, m_fileTime);
    } else {
        if (m_formats && isFormatFile(path))
            m_durationMs = readFormatInformation(*m_formats, m_exif, path, exifManaged()).durationMs;
        else
            LireInformationsExif(m_exif, path, exifManaged());
        m_dateLue = DatePhoto(m_exif, path);
    }
    m_datePriseDeVue = m_dateLue;
    m_angle = 0;
    if (m_automaticRotation) {
        // The automatic turn is the one the rotation buttons would give.
        const int automatic = AngleOrientation(m_exif);
        if (automatic == 90)
            rotateRight();
        else if (automatic == 270)
            rotateLeft();
    }
}

void PhotoByPhotoSession::next()
{
    if (!hasNext())
        return;
    ++m_number;
    showCurrent();
}

void PhotoByPhotoSession::previous()
{
    if (!hasPrevious())
        return;
    --m_number;
    showCurrent();
}

void PhotoByPhotoSession::setDatePriseDeVue(double date)
{
    if (!DateValue::isNone(date))
        m_datePriseDeVue = date;
}

void PhotoByPhotoSession::rotateRight()
{
    if (!turnable())
        return;
    m_angle = m_angle + 90 > 270 ? 0 : m_angle + 90;
}

void PhotoByPhotoSession::rotateLeft()
{
    if (!turnable())
        return;
    m_angle = m_angle - 90 < 0 ? 270 : m_angle - 90;
}

void PhotoByPhotoSession::rememberTheme(const QString &theme)
{
    for (const QString &known : std::as_const(m_themes))
        if (known.compare(theme, Qt::CaseInsensitive) == 0)
            return;
    m_themes << theme;
}

QString PhotoByPhotoSession::NomFinal() const
{
    return transferName(m_settings, m_theme, members(), m_destination, m_datePriseDeVue, int(m_written.size()) + 1);
}

QString PhotoByPhotoSession::NomBasseQualite() const
{
    return CalculerNomBasseQualite(m_settings, m_theme, source(), m_destination, m_datePriseDeVue,
                                   int(m_written.size()) + 1);
}

PhotoByPhotoSession::After PhotoByPhotoSession::moveOn()
{
    if (!hasNext())
        return After::Finished;
    next();
    return After::NextPhoto;
}

PhotoByPhotoSession::After PhotoByPhotoSession::transfer(const QString &finalName, UserInterface &ui)
{
    if (fromDevice())
        return transferFromDevice(finalName, ui);
    const QString path = source();
    const QStringList files = members();
    PreparedTransfer prepared;
    prepared.formatReader = m_formats.get();
    const bool succeeded = transferShot(m_settings, ui, files, m_destination, finalName, m_angle, m_exif, m_exportExif,
                                        m_lowQuality, {}, prepared);
    // A copy can exist although a later step failed: it was written, under a name that was free.
    for (const QString &member : files) {
        const QString written = member == path ? finalName : memberDestination(finalName, member);
        if (succeeded || FileSystem::status(written))
            m_written.append(written);
    }
    if (succeeded && m_settings.SupprimerPhoto && !FileSystem::status(path)) {
        // The photo that follows takes the place of the one whose source went.
        m_photos.removeAt(m_number - 1);
        --m_number;
    }
    // A failed transfer moves on all the same, as a successful one does.
    return moveOn();
}

PhotoByPhotoSession::After PhotoByPhotoSession::lowQualityOnly(UserInterface &ui)
{
    const QString target = NomBasseQualite();
    try {
        checkInsideDestination(m_destination, target);
        if (isVideo())
            throw LumaroError(QStringLiteral("Une vidéo n'a pas de copie basse résolution."));
        const LowQualityCopy::Options options = LowQualityCopy::Options::fromSettings(m_settings);
        if (fromDevice()) {
            const QByteArray &content = deviceContent();
            if (content.isEmpty())
                throw LumaroError(m_readOutcome.message);
            // A HEIF's image or a RAW's preview is upright already.
            const bool format = m_formats && isFormatFile(source());
            const LowQualityCopy made =
                format ? LowQualityCopy::makeFromFormat(options, *m_formats, source(), content, m_fileTime)
                       : LowQualityCopy::makeFromContent(options, content, m_angle, m_fileTime);
            EnregistrerBasseQualite(m_settings, source(), target, format ? 0 : m_angle, &made);
        } else if (m_formats && isFormatFile(source())) {
            // A HEIF's image or a RAW's preview, upright already.
            const LowQualityCopy made =
                LowQualityCopy::makeFromFormat(options, *m_formats, source(), FileSystem::lastModified(source()));
            EnregistrerBasseQualite(m_settings, source(), target, 0, &made);
        } else {
            EnregistrerBasseQualite(m_settings, source(), target, m_angle);
        }
    } catch (const LumaroError &error) {
        ui.showError(error.message());
        return After::SamePhoto;
    }
    m_written.append(target);
    return moveOn();
}

const QByteArray &PhotoByPhotoSession::deviceContent()
{
    const QString path = source();
    if (m_contentPath == path)
        return m_content;
    m_contentPath = path;
    const DeviceResult<SourceFile> described = m_source->describe(path);
    m_fileTime = described.ok() ? described.value.modified : QDateTime();
    DeviceResult<QByteArray> read = m_source->readFile(path);
    m_readOutcome = read;
    m_content = read.ok() ? std::move(read.value) : QByteArray();
    return m_content;
}

PhotoByPhotoSession::After PhotoByPhotoSession::transferFromDevice(const QString &finalName, UserInterface &ui)
{
    // Every file of the shot, each read once (the one shown was read for its preview).
    const QStringList files = members();
    QList<SourcePhoto> contents;
    for (const QString &member : files) {
        SourcePhoto photo;
        photo.source = member;
        QDateTime time;
        if (member == source()) {
            photo.content = deviceContent();
            time = m_fileTime;
        } else {
            DeviceResult<QByteArray> read = m_source->readFile(member);
            const DeviceResult<SourceFile> described = m_source->describe(member);
            m_readOutcome = read;
            photo.content = read.ok() ? std::move(read.value) : QByteArray();
            time = described.ok() ? described.value.modified : QDateTime();
        }
        if (photo.content.isEmpty() && !m_readOutcome.ok()) {
            ui.showInformation(QStringLiteral("Erreur pendant le transfert de la photo : \n") + m_readOutcome.message);
            return m_readOutcome.status == DeviceStatus::Gone ? After::Finished : moveOn();
        }
        const qint64 seconds = time.isValid() ? time.toSecsSinceEpoch() : QDateTime::currentSecsSinceEpoch();
        photo.modified = {time_t(seconds), 0};
        contents.append(std::move(photo));
    }
    PreparedTransfer prepared;
    prepared.formatReader = m_formats.get();
    ShotTransfer transfer(m_settings, files, m_destination, finalName, m_angle, m_exif, m_exportExif, m_lowQuality, {},
                          prepared, contents);
    transfer.write();
    const ShotResult result = transfer.finish(ui, m_source.get());
    for (const QString &written : transfer.destinations())
        if (result.written || FileSystem::status(written))
            m_written.append(written);
    if (result.deletion.status == DeviceStatus::DeletionRefused && !m_deletionRefusedTold) {
        m_deletionRefusedTold = true;
        ui.showInformation(result.deletion.message);
    }
    if (result.written && m_settings.SupprimerPhoto && result.deletion.ok()) {
        m_photos.removeAt(m_number - 1);
        --m_number;
    }
    m_contentPath.clear();
    m_content.clear();
    // Unplugged: nothing more can be read from it.
    if (result.deletion.status == DeviceStatus::Gone || m_source->gone()) {
        ui.showError(QStringLiteral("Le transfert est arrêté : l'appareil n'est plus accessible.\n"
                                    "Les photos qui n'ont pas été transférées sont restées sur l'appareil."));
        return After::Finished;
    }
    return moveOn();
}
