// lumaro-probe: reads the RAW, HEIF and video files the program hands it, one request at a time
// on descriptor 0 (a socket), and answers on the same descriptor (core/formats/probeprotocol.h).
// It runs apart from the program so that a file that crashes or hangs a parser ends only this
// process, which the program then replaces. Not meant to be started by hand.
#include "core/formats/probeprotocol.h"
#include "probe/probeanswer.h"
#include "probe/probelimits.h"

#include <QByteArray>

#include <cerrno>
#include <csignal>

#include <unistd.h>

namespace {

constexpr int Channel = 0;

// Reads exactly `size` bytes; false at the end of the stream or on an error.
bool readExactly(char *buffer, qint64 size)
{
    qint64 done = 0;
    while (done < size) {
        const ssize_t n = ::read(Channel, buffer + done, size_t(size - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += n;
    }
    return true;
}

bool writeAll(const QByteArray &bytes)
{
    qint64 done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(Channel, bytes.constData() + done, size_t(bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += n;
    }
    return true;
}

} // namespace

int main()
{
    std::signal(SIGPIPE, SIG_IGN); // a program that went away is seen as a failed write
    ProbeLimits::limitMemory();
    ProbeAnswer::prepare();
    for (;;) {
        char head[ProbeProtocol::HeaderSize];
        if (!readExactly(head, sizeof head))
            return 0; // the program closed the socket: its work is done
        const std::optional<qint64> length = ProbeProtocol::bodyLength(head, ProbeProtocol::MaximumRequestBytes);
        if (!length)
            return 2;
        QByteArray body(qsizetype(*length), Qt::Uninitialized);
        if (!readExactly(body.data(), *length))
            return 0;
        const std::optional<ProbeProtocol::Request> request = ProbeProtocol::decodeRequest(std::move(body));
        if (!request)
            return 2;
        ProbeLimits::allowProcessorSeconds(request->processorSeconds);
        const QByteArray reply = ProbeProtocol::encodeReply(ProbeAnswer::answer(*request));
        if (!writeAll(ProbeProtocol::header(reply.size())) || !writeAll(reply))
            return 0;
    }
}
