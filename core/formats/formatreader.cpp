#include "core/formats/formatreader.h"

#include "core/corelog.h"
#include "core/exif/exifdate.h"
#include "core/files/filename.h"
#include "core/files/filesystem.h"
#include "core/formats/filekind.h"
#include "core/formats/probelocation.h"
#include "core/formats/probepool.h"
#include "core/formats/probeprotocol.h"

#include <sys/stat.h>

using ProbeProtocol::Request;

struct FormatReader::Call {
    Request request;
    QString name; // the path, or the name of a file in memory, for the log
};

namespace {

const QString NoVideoPicture = QStringLiteral("Pas d'image pour une vidéo");

// What can be said without a probe: a file that is not there, not a file, or empty.
QString failureBeforeReading(const QString &path)
{
    const std::optional<struct stat> status = FileSystem::status(path);
    if (!status)
        return QStringLiteral("Fichier introuvable");
    if (!S_ISREG(status->st_mode))
        return QStringLiteral("Ce n'est pas un fichier");
    if (status->st_size == 0)
        return QStringLiteral("Fichier vide");
    return {};
}

QString failureOfKind(FileKind kind)
{
    if (!isProbedKind(kind))
        return QStringLiteral("Ce type de fichier n'est pas lu par le lecteur de formats");
    return {};
}

Request::Scale protocolScale(FormatReader::Scale scale)
{
    return scale == FormatReader::Scale::Cover ? Request::Scale::Cover : Request::Scale::Fit;
}

int secondsOf(std::chrono::milliseconds timeout)
{
    // The processor limit backs up the wall-clock deadline: a little beyond it.
    return int(std::chrono::duration_cast<std::chrono::seconds>(timeout).count()) + 2;
}

template <typename Result>
Result failed(const QString &name, const QString &reason)
{
    qCInfo(lumaroCore) << "file" << name << "not read:" << reason;
    Result result;
    result.failure = reason;
    return result;
}

} // namespace

FormatReader::FormatReader() : FormatReader(Options()) {}

FormatReader::FormatReader(Options options) : m_options(std::move(options))
{
    if (m_options.probeProgram.isEmpty())
        m_options.probeProgram = ProbeLocation::find();
    m_pool = std::make_unique<ProbePool>(m_options.probeProgram, m_options.maximumProbes);
}

FormatReader::~FormatReader() = default;

std::optional<ProbeProtocol::Reply> FormatReader::ask(const Call &call, QString *failure)
{
    if (m_options.probeProgram.isEmpty()) {
        *failure = QStringLiteral("Lecteur de formats introuvable (%1)").arg(QLatin1String(ProbeLocation::ProgramName));
        return std::nullopt;
    }
    const auto timeout =
        call.request.what == Request::What::Metadata ? m_options.metadataTimeout : m_options.pictureTimeout;
    const QByteArray body = ProbeProtocol::encodeRequest(call.request);
    return m_pool->exchange(body, ProbeProcess::Clock::now() + timeout, failure);
}

FormatMetadata FormatReader::metadataOf(const Call &call)
{
    QString failure;
    std::optional<ProbeProtocol::Reply> reply = ask(call, &failure);
    if (!reply)
        return failed<FormatMetadata>(call.name, failure);
    if (!reply->failure.isEmpty())
        return failed<FormatMetadata>(call.name, reply->failure);
    FormatMetadata metadata;
    metadata.orientation = reply->orientation;
    metadata.entries = std::move(reply->entries);
    metadata.exifBlock = std::move(reply->exifBlock);
    metadata.durationMs = reply->durationMs;
    metadata.pixelSize = reply->pixelSize;
    for (const ExifReader::Entry &entry : std::as_const(metadata.entries)) {
        if (entry.name.compare(QLatin1String(ExifReader::DateTakenName), Qt::CaseInsensitive) == 0) {
            metadata.dateTaken = ExifDate::parse(entry.value);
            break;
        }
    }
    return metadata;
}

FormatPicture FormatReader::pictureOf(const Call &call)
{
    QString failure;
    std::optional<ProbeProtocol::Reply> reply = ask(call, &failure);
    if (!reply)
        return failed<FormatPicture>(call.name, failure);
    if (reply->failure.isEmpty() && reply->picture.isNull())
        return failed<FormatPicture>(call.name, QStringLiteral("Réponse illisible du lecteur de formats"));
    if (!reply->failure.isEmpty())
        return failed<FormatPicture>(call.name, reply->failure);
    FormatPicture picture;
    picture.picture = std::move(reply->picture);
    picture.storedSize = reply->storedSize;
    return picture;
}

FormatMetadata FormatReader::metadata(const QString &path)
{
    const FileKind kind = fileKindOf(path);
    QString failure = failureOfKind(kind);
    if (failure.isEmpty())
        failure = failureBeforeReading(path);
    if (!failure.isEmpty())
        return failed<FormatMetadata>(path, failure);
    Call call{{Request::What::Metadata, kind, Request::Source::Path, Request::Scale::Fit, QSize(),
               secondsOf(m_options.metadataTimeout), FileName::encode(path)},
              path};
    return metadataOf(call);
}

FormatMetadata FormatReader::metadata(const QString &name, const QByteArray &content)
{
    const FileKind kind = fileKindOf(name);
    QString failure = failureOfKind(kind);
    if (failure.isEmpty() && content.isEmpty())
        failure = QStringLiteral("Fichier vide");
    if (failure.isEmpty() && content.size() > ProbeProtocol::MaximumFileBytes)
        failure = QStringLiteral("Fichier trop grand pour être lu en mémoire");
    if (!failure.isEmpty())
        return failed<FormatMetadata>(name, failure);
    Call call{{Request::What::Metadata, kind, Request::Source::Bytes, Request::Scale::Fit, QSize(),
               secondsOf(m_options.metadataTimeout), content},
              name};
    return metadataOf(call);
}

FormatPicture FormatReader::picture(const QString &path, QSize box, Scale scale)
{
    const FileKind kind = fileKindOf(path);
    QString failure = kind == FileKind::Video ? NoVideoPicture : failureOfKind(kind);
    if (failure.isEmpty())
        failure = failureBeforeReading(path);
    if (!failure.isEmpty())
        return failed<FormatPicture>(path, failure);
    Call call{{Request::What::Picture, kind, Request::Source::Path, protocolScale(scale), box.isEmpty() ? QSize() : box,
               secondsOf(m_options.pictureTimeout), FileName::encode(path)},
              path};
    return pictureOf(call);
}

FormatPicture FormatReader::picture(const QString &name, const QByteArray &content, QSize box, Scale scale)
{
    const FileKind kind = fileKindOf(name);
    QString failure = kind == FileKind::Video ? NoVideoPicture : failureOfKind(kind);
    if (failure.isEmpty() && content.isEmpty())
        failure = QStringLiteral("Fichier vide");
    if (failure.isEmpty() && content.size() > ProbeProtocol::MaximumFileBytes)
        failure = QStringLiteral("Fichier trop grand pour être lu en mémoire");
    if (!failure.isEmpty())
        return failed<FormatPicture>(name, failure);
    Call call{{Request::What::Picture, kind, Request::Source::Bytes, protocolScale(scale), box.isEmpty() ? QSize() : box,
               secondsOf(m_options.pictureTimeout), content},
              name};
    return pictureOf(call);
}

std::vector<pid_t> FormatReader::probeProcesses() const
{
    return m_pool->runningProcesses();
}
