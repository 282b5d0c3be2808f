#include "probe/probeanswer.h"

#include "probe/heifreader.h"
#include "probe/probeinput.h"
#include "probe/rawreader.h"
#include "probe/videoreader.h"

#include <new>

namespace ProbeAnswer {

namespace {

using ProbeProtocol::Reply;
using ProbeProtocol::Request;

Reply failureReply(const QString &reason)
{
    Reply reply;
    reply.failure = reason;
    return reply;
}

Reply read(const Request &request, const ProbeInput &input)
{
    const bool metadata = request.what == Request::What::Metadata;
    switch (request.kind) {
    case FileKind::Heif:
        return metadata ? HeifReader::metadata(input) : HeifReader::picture(input, request.box, request.scale);
    case FileKind::Raw:
        return metadata ? RawReader::metadata(input) : RawReader::picture(input, request.box, request.scale);
    case FileKind::Video:
        if (!metadata)
            return failureReply(QStringLiteral("Pas d'image pour une vidéo"));
        // The probe's own deadline comes before the program's, so that it can still say why.
        return VideoReader::metadata(input, std::chrono::seconds(std::max(1, request.processorSeconds - 3)));
    default:
        return failureReply(QStringLiteral("Ce type de fichier n'est pas lu par le lecteur de formats"));
    }
}

} // namespace

void prepare()
{
    RawReader::prepare();
    VideoReader::prepare();
}

Reply answer(const Request &request)
{
    try {
        QString failure;
        std::optional<ProbeInput> input;
        if (request.source == Request::Source::Path)
            input = ProbeInput::openFile(request.data, &failure);
        else
            input = ProbeInput::fromBytes(request.data);
        if (!input)
            return failureReply(failure);
        Reply reply = read(request, *input);
        if (reply.failure.isEmpty() && request.what == Request::What::Picture && reply.picture.isNull())
            return failureReply(QStringLiteral("Fichier illisible"));
        return reply;
    } catch (const std::bad_alloc &) {
        return failureReply(QStringLiteral("Mémoire insuffisante"));
    } catch (...) {
        return failureReply(QStringLiteral("Fichier illisible"));
    }
}

} // namespace ProbeAnswer
