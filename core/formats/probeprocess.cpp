#include "core/formats/probeprocess.h"

#include "core/files/filename.h"
#include "core/formats/probeprotocol.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

extern char **environ;

namespace {

const QString NotStarted = QStringLiteral("Le lecteur de formats n'a pas pu démarrer");
const QString TimedOut = QStringLiteral("Lecture trop longue, abandonnée");
const QString Garbage = QStringLiteral("Réponse illisible du lecteur de formats");

// A thumbnail's reply fits at once; a full photo's (36 MB for 12 MP) grows as it comes.
constexpr qint64 ReservedReplyBytes = 64 * 1024 * 1024;
constexpr qint64 ReplyChunkBytes = 4 * 1024 * 1024;

// Milliseconds left until the deadline, for poll(); 0 once it has passed.
int millisecondsUntil(ProbeProcess::Clock::time_point deadline)
{
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - ProbeProcess::Clock::now());
    return int(std::clamp<qint64>(left.count(), 0, 24 * 3600 * 1000));
}

// Waits until the socket is ready for `events`; false at the deadline.
bool waitFor(int fd, short events, ProbeProcess::Clock::time_point deadline)
{
    for (;;) {
        pollfd p{fd, events, 0};
        const int timeout = millisecondsUntil(deadline);
        const int n = ::poll(&p, 1, timeout);
        if (n > 0)
            return true; // ready, or hung up: the read or write that follows tells which
        if (n == 0 || (n < 0 && errno != EINTR))
            return false;
    }
}

} // namespace

ProbeProcess::ProbeProcess(QString program) : m_program(std::move(program)) {}

ProbeProcess::~ProbeProcess()
{
    stop();
}

void ProbeProcess::stop()
{
    if (m_socket >= 0) {
        ::close(m_socket);
        m_socket = -1;
    }
    if (m_pid > 0) {
        ::kill(m_pid, SIGKILL);
        while (::waitpid(m_pid, nullptr, 0) < 0 && errno == EINTR) {
        }
        m_pid = 0;
    }
}

bool ProbeProcess::start(QString *failure)
{
    int pair[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, pair) != 0) {
        *failure = NotStarted;
        return false;
    }
    // The child reads and writes its socket as descriptor 0; its standard output goes nowhere,
    // so that a library printing there cannot mix text into the replies.
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pair[1], 0);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    const QByteArray program = FileName::encode(m_program);
    char *argv[] = {const_cast<char *>(program.constData()), nullptr};
    pid_t pid = 0;
    const int error = ::posix_spawn(&pid, program.constData(), &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(pair[1]);
    if (error != 0) {
        ::close(pair[0]);
        *failure = NotStarted;
        return false;
    }
    ::fcntl(pair[0], F_SETFL, ::fcntl(pair[0], F_GETFL) | O_NONBLOCK);
    m_socket = pair[0];
    m_pid = pid;
    return true;
}

bool ProbeProcess::sendAll(const QByteArray &bytes, Clock::time_point deadline, QString *failure)
{
    qint64 done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::send(m_socket, bytes.constData() + done, size_t(bytes.size() - done), MSG_NOSIGNAL);
        if (n > 0) {
            done += n;
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            if (waitFor(m_socket, POLLOUT, deadline))
                continue;
            *failure = TimedOut;
            return false;
        }
        *failure = reasonOfEnd();
        return false;
    }
    return true;
}

bool ProbeProcess::receiveAll(char *buffer, qint64 size, Clock::time_point deadline, QString *failure)
{
    qint64 done = 0;
    while (done < size) {
        const ssize_t n = ::recv(m_socket, buffer + done, size_t(size - done), 0);
        if (n > 0) {
            done += n;
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            if (waitFor(m_socket, POLLIN, deadline))
                continue;
            *failure = TimedOut;
            return false;
        }
        *failure = reasonOfEnd(); // end of stream or reset: the child is gone
        return false;
    }
    return true;
}

bool ProbeProcess::stillWaiting() const
{
    // An idle child has nothing to say: anything readable is its end (or garbage).
    pollfd p{m_socket, POLLIN, 0};
    return ::poll(&p, 1, 0) == 0;
}

QString ProbeProcess::reasonOfEnd()
{
    // The socket closes as the child dies; its status follows within moments.
    int status = 0;
    pid_t reaped = 0;
    for (int i = 0; i < 200 && reaped == 0; ++i) {
        reaped = ::waitpid(m_pid, &status, WNOHANG);
        if (reaped == 0)
            ::usleep(1000);
    }
    if (reaped == m_pid)
        m_pid = 0; // already reaped: stop() must not wait again
    if (reaped != 0 && WIFSIGNALED(status)) {
        const int signal = WTERMSIG(status);
        if (signal == SIGXCPU)
            return QStringLiteral("Lecture trop longue (temps de calcul dépassé), abandonnée");
        return QStringLiteral("Le lecteur de formats s'est arrêté sur ce fichier (signal %1)").arg(signal);
    }
    return QStringLiteral("Le lecteur de formats s'est arrêté sur ce fichier");
}

std::optional<QByteArray> ProbeProcess::exchange(const QByteArray &requestBody, Clock::time_point deadline,
                                                 QString *failure)
{
    if (m_pid > 0 && !stillWaiting())
        stop();
    if (m_pid <= 0 && !start(failure))
        return std::nullopt;
    const auto fail = [this] {
        stop();
        return std::nullopt;
    };
    if (!sendAll(ProbeProtocol::header(requestBody.size()), deadline, failure)
        || !sendAll(requestBody, deadline, failure))
        return fail();
    char head[ProbeProtocol::HeaderSize];
    if (!receiveAll(head, sizeof head, deadline, failure))
        return fail();
    const std::optional<qint64> length = ProbeProtocol::bodyLength(head, ProbeProtocol::MaximumReplyBytes);
    if (!length) {
        *failure = Garbage;
        return fail();
    }
    // Read as it arrives: a length claimed by a probe that then sends nothing costs nothing.
    QByteArray body;
    try {
        body.reserve(qsizetype(std::min<qint64>(*length, ReservedReplyBytes)));
        while (body.size() < *length) {
            const qsizetype at = body.size();
            const qint64 chunk = std::min<qint64>(*length - at, ReplyChunkBytes);
            body.resize(at + qsizetype(chunk));
            if (!receiveAll(body.data() + at, chunk, deadline, failure))
                return fail();
        }
    } catch (const std::bad_alloc &) {
        *failure = QStringLiteral("Mémoire insuffisante");
        return fail();
    }
    return body;
}
