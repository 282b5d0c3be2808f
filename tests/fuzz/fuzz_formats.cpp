// Feeds arbitrary bytes to everything the probe runs on a camera file that is not a JPEG: the
// HEIF reader (metadata, thumbnail-sized and covering pictures), the RAW reader through Exiv2
// and the video reader through libavformat, as the probe calls them for a file sent in memory;
// and to the program's side of the protocol, which must take any reply a probe may send.
// Any result is fine as long as it is a reply; a picture must respect what was asked.
#include "core/formats/probeprotocol.h"
#include "probe/probeanswer.h"

#include <QByteArray>

#include <cstddef>
#include <cstdint>

namespace {

using ProbeProtocol::Request;

void read(const QByteArray &bytes, FileKind kind, Request::What what, QSize box, Request::Scale scale)
{
    Request request;
    request.what = what;
    request.kind = kind;
    request.source = Request::Source::Bytes;
    request.scale = scale;
    request.box = box;
    request.processorSeconds = 4; // a video read gives up after a second
    request.data = bytes;
    const ProbeProtocol::Reply reply = ProbeAnswer::answer(request);
    if (!reply.failure.isEmpty() && (!reply.picture.isNull() || !reply.entries.isEmpty()))
        __builtin_trap();
    if (what == Request::What::Picture && reply.failure.isEmpty()) {
        const QSize size = reply.picture.size();
        if (reply.picture.format() != QImage::Format_RGB888
            || (scale == Request::Scale::Fit && (size.width() > box.width() || size.height() > box.height())))
            __builtin_trap();
    }
    // What the probe sends must read back on the program's side.
    const QByteArray encoded = ProbeProtocol::encodeReply(reply);
    if (!ProbeProtocol::decodeReply(encoded))
        __builtin_trap();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    static const bool prepared = (ProbeAnswer::prepare(), true);
    (void)prepared;
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    if (bytes.isEmpty())
        return 0;

    // The program's side: a reply, a request and a header, as any probe might send them.
    (void)ProbeProtocol::decodeReply(bytes);
    (void)ProbeProtocol::decodeRequest(bytes);
    if (bytes.size() >= ProbeProtocol::HeaderSize)
        (void)ProbeProtocol::bodyLength(bytes.constData(), ProbeProtocol::MaximumReplyBytes);

    read(bytes, FileKind::Heif, Request::What::Metadata, {}, Request::Scale::Fit);
    read(bytes, FileKind::Heif, Request::What::Picture, QSize(105, 105), Request::Scale::Fit);
    read(bytes, FileKind::Raw, Request::What::Metadata, {}, Request::Scale::Fit);
    read(bytes, FileKind::Raw, Request::What::Picture, QSize(160, 160), Request::Scale::Cover);
    read(bytes, FileKind::Video, Request::What::Metadata, {}, Request::Scale::Fit);
    return 0;
}
