#include "probe/videoreader.h"

#include "core/exif/datetimevalue.h"
#include "core/exif/exifdate.h"

#include <QDateTime>
#include <QRegularExpression>
#include <QTimeZone>

extern "C" {
#include <libavformat/avformat.h>
#include <libavutil/display.h>
#include <libavutil/opt.h>
}

#include <cmath>
#include <cstring>

namespace VideoReader {

namespace {

using ProbeProtocol::Reply;
using Clock = std::chrono::steady_clock;

constexpr int IoBufferSize = 64 * 1024;
constexpr int64_t ProbeBytes = 8 * 1024 * 1024;
constexpr int64_t AnalyzeMicroseconds = 5 * AV_TIME_BASE;
// The demuxers of the files cameras and phones write; nothing else is even tried.
constexpr char Demuxers[] = "mov,mp4,m4a,3gp,3g2,mj2,mpegts,avi";

struct Source {
    const ProbeInput *input;
    qint64 position = 0;
    Clock::time_point deadline;
};

int readPacket(void *opaque, uint8_t *buffer, int size)
{
    auto *source = static_cast<Source *>(opaque);
    const qint64 n = source->input->read(source->position, reinterpret_cast<char *>(buffer), size);
    if (n < 0)
        return AVERROR(EIO);
    if (n == 0)
        return AVERROR_EOF;
    source->position += n;
    return int(n);
}

int64_t seekTo(void *opaque, int64_t offset, int whence)
{
    auto *source = static_cast<Source *>(opaque);
    const qint64 size = source->input->size();
    qint64 target = 0;
    switch (whence & ~AVSEEK_FORCE) {
    case AVSEEK_SIZE:
        return size;
    case SEEK_SET:
        target = offset;
        break;
    case SEEK_CUR:
        target = source->position + offset;
        break;
    case SEEK_END:
        target = size + offset;
        break;
    default:
        return AVERROR(EINVAL);
    }
    if (target < 0 || target > size)
        return AVERROR(EINVAL);
    source->position = target;
    return target;
}

int interrupted(void *opaque)
{
    return Clock::now() > static_cast<Source *>(opaque)->deadline ? 1 : 0;
}

// The demuxer and its input, released together.
class Demuxer {
public:
    explicit Demuxer(Source &source)
    {
        m_context = avformat_alloc_context();
        auto *buffer = static_cast<unsigned char *>(av_malloc(IoBufferSize));
        if (buffer)
            m_io = avio_alloc_context(buffer, IoBufferSize, 0, &source, readPacket, nullptr, seekTo);
        if (!m_io)
            av_free(buffer);
        if (!m_context || !m_io)
            return;
        m_context->pb = m_io;
        m_context->flags |= AVFMT_FLAG_CUSTOM_IO;
        m_context->interrupt_callback = {interrupted, &source};
        m_context->probesize = ProbeBytes;
        m_context->max_analyze_duration = AnalyzeMicroseconds;
        m_context->max_streams = 64;
        av_opt_set(m_context, "format_whitelist", Demuxers, 0);
        m_status = avformat_open_input(&m_context, nullptr, nullptr, nullptr); // frees it on failure
    }
    ~Demuxer()
    {
        avformat_close_input(&m_context);
        if (m_io) {
            av_freep(&m_io->buffer);
            avio_context_free(&m_io);
        }
    }
    Demuxer(const Demuxer &) = delete;
    Demuxer &operator=(const Demuxer &) = delete;

    bool isOpen() const { return m_context && m_status >= 0; }
    AVFormatContext *get() const { return m_context; }

private:
    AVFormatContext *m_context = nullptr;
    AVIOContext *m_io = nullptr;
    int m_status = -1;
};

QSize shownSize(const AVStream *stream)
{
    const AVCodecParameters *codec = stream->codecpar;
    if (codec->width <= 0 || codec->height <= 0 || codec->width > ProbeProtocol::MaximumPictureSide
        || codec->height > ProbeProtocol::MaximumPictureSide)
        return {};
    QSize size(codec->width, codec->height);
    size_t matrixSize = 0;
    const uint8_t *matrix = av_stream_get_side_data(stream, AV_PKT_DATA_DISPLAYMATRIX, &matrixSize);
    if (matrix && matrixSize >= 9 * sizeof(int32_t)) {
        int32_t values[9];
        std::memcpy(values, matrix, sizeof values);
        const double rotation = av_display_rotation_get(values);
        if (std::isfinite(rotation) && std::lround(std::fabs(rotation)) % 180 == 90)
            size.transpose(); // a phone held upright: stored on its side
    }
    return size;
}

qint64 durationOf(const AVFormatContext *context, const AVStream *video)
{
    if (context->duration != AV_NOPTS_VALUE && context->duration > 0)
        return context->duration / 1000;
    if (video && video->duration != AV_NOPTS_VALUE && video->duration > 0 && video->time_base.den > 0)
        return qint64(double(video->duration) * video->time_base.num / video->time_base.den * 1000.0);
    return -1;
}

QString creationTimeOf(const AVFormatContext *context, const AVStream *video)
{
    const AVDictionaryEntry *entry = av_dict_get(context->metadata, "creation_time", nullptr, 0);
    if (!entry && video)
        entry = av_dict_get(video->metadata, "creation_time", nullptr, 0);
    return entry && entry->value ? QString::fromUtf8(entry->value).left(64) : QString();
}

Reply failureReply(const QString &reason)
{
    Reply reply;
    reply.failure = reason;
    return reply;
}

ExifReader::Entry entry(const char *name, const QString &value)
{
    return ExifReader::Entry{ExifReader::IfdNone, 0, QString::fromLatin1(name), value};
}

} // namespace

void prepare()
{
    av_log_set_level(AV_LOG_QUIET);
}

QDateTime localTimeOf(const QString &creationTime)
{
    static const QRegularExpression pattern(QStringLiteral(
        R"(^(\d{4})-(\d{2})-(\d{2})[T ](\d{2}):(\d{2}):(\d{2})(?:\.\d+)?\s*(Z|[+-]\d{2}:?\d{2})?$)"));
    const QRegularExpressionMatch match = pattern.match(creationTime.trimmed());
    if (!match.hasMatch())
        return {};
    const QDate date(match.captured(1).toInt(), match.captured(2).toInt(), match.captured(3).toInt());
    const QTime time(match.captured(4).toInt(), match.captured(5).toInt(), match.captured(6).toInt());
    if (!date.isValid() || !time.isValid())
        return {};
    int offsetSeconds = 0;
    const QString zone = match.captured(7);
    if (zone.size() > 1) {
        const QString digits = QString(zone.mid(1)).remove(u':');
        offsetSeconds = (digits.left(2).toInt() * 3600 + digits.mid(2, 2).toInt() * 60) * (zone[0] == u'-' ? -1 : 1);
    }
    return QDateTime(date, time, QTimeZone(offsetSeconds)).toLocalTime();
}

QString durationText(qint64 milliseconds)
{
    if (milliseconds < 60'000)
        return QStringLiteral("%1 s").arg(double(milliseconds) / 1000.0, 0, 'f', 2);
    const qint64 seconds = (milliseconds + 500) / 1000;
    return QStringLiteral("%1:%2:%3")
        .arg(seconds / 3600)
        .arg((seconds / 60) % 60, 2, 10, QLatin1Char('0'))
        .arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

Reply metadata(const ProbeInput &input, std::chrono::milliseconds budget)
{
    Source source{&input, 0, Clock::now() + budget};
    Demuxer demuxer(source);
    if (!demuxer.isOpen())
        return failureReply(Clock::now() > source.deadline ? QStringLiteral("Lecture trop longue, abandonnée")
                                                           : QStringLiteral("Vidéo illisible"));
    AVFormatContext *context = demuxer.get();
    int index = av_find_best_stream(context, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
    // Most camera files state the size and length in their headers; a transport stream needs
    // its first packets looked at.
    if (index < 0 || shownSize(context->streams[index]).isEmpty() || durationOf(context, context->streams[index]) < 0) {
        if (avformat_find_stream_info(context, nullptr) < 0 && Clock::now() > source.deadline)
            return failureReply(QStringLiteral("Lecture trop longue, abandonnée"));
        index = av_find_best_stream(context, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
    }
    if (index < 0)
        return failureReply(QStringLiteral("Vidéo illisible (aucune image)"));
    const AVStream *video = context->streams[index];

    Reply reply;
    const QDateTime taken = localTimeOf(creationTimeOf(context, video));
    if (taken.isValid())
        reply.entries.append(entry(ExifReader::DateTakenName, ExifDate::format(DateValue::fromDateTime(taken))));
    reply.durationMs = durationOf(context, video);
    if (reply.durationMs >= 0)
        reply.entries.append(entry("Duration", durationText(reply.durationMs)));
    reply.pixelSize = shownSize(video);
    if (reply.pixelSize.isValid()) {
        reply.entries.append(entry("Pixel X Dimension", QString::number(reply.pixelSize.width())));
        reply.entries.append(entry("Pixel Y Dimension", QString::number(reply.pixelSize.height())));
    }
    return reply;
}

} // namespace VideoReader
