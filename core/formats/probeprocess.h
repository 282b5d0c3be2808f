#pragma once
// One lumaro-probe child process and the socket to it: started on demand, asked one request at
// a time, killed when it overruns its deadline, dies or answers garbage. Not thread-safe: one
// caller at a time (ProbePool hands each process to one caller).
#include <QByteArray>
#include <QString>

#include <chrono>
#include <optional>

#include <sys/types.h>

class ProbeProcess {
public:
    using Clock = std::chrono::steady_clock;

    explicit ProbeProcess(QString program);
    ~ProbeProcess(); // kills the child and reaps it
    ProbeProcess(const ProbeProcess &) = delete;
    ProbeProcess &operator=(const ProbeProcess &) = delete;

    // Sends a request body and waits for the reply body until the deadline, starting the child
    // first when none runs. Nothing, with a French reason in *failure, when the child could not
    // be started, overran the deadline, died, or broke the framing; the child is then gone and
    // the next call starts a new one.
    std::optional<QByteArray> exchange(const QByteArray &requestBody, Clock::time_point deadline, QString *failure);

    bool isRunning() const { return m_pid > 0; }
    // The child's process id while one runs, else 0 (for tests that kill it).
    pid_t pid() const { return m_pid; }
    // Kills the child, if any, and waits for it.
    void stop();

private:
    bool start(QString *failure);
    // Whether an idle child still waits for requests: one that died or was killed meanwhile is
    // not the next file's fault, and is replaced before the file is sent.
    bool stillWaiting() const;
    bool sendAll(const QByteArray &bytes, Clock::time_point deadline, QString *failure);
    bool receiveAll(char *buffer, qint64 size, Clock::time_point deadline, QString *failure);
    // The child stopped answering: why, from its exit status (reaped here).
    QString reasonOfEnd();

    QString m_program;
    pid_t m_pid = 0;
    int m_socket = -1;
};
