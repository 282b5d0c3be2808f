#pragma once
// A few lumaro-probe processes shared by the threads of one owner: a caller borrows an idle one
// (or a new one, started lazily) for one exchange and gives it back, so that a warm probe serves
// the next request without a new start. At most `maximum` exist at once; a further caller waits
// for one to come back.
#include "core/formats/probeprocess.h"
#include "core/formats/probeprotocol.h"

#include <condition_variable>
#include <memory>
#include <mutex>
#include <vector>

class ProbePool {
public:
    ProbePool(QString program, int maximum);
    ~ProbePool(); // every probe is stopped; no exchange may be under way
    ProbePool(const ProbePool &) = delete;
    ProbePool &operator=(const ProbePool &) = delete;

    // One exchange with a probe of the pool (see ProbeProcess::exchange), its reply decoded.
    // A probe whose reply does not decode is stopped: the next exchange starts a new one.
    // Thread-safe.
    std::optional<ProbeProtocol::Reply> exchange(const QByteArray &requestBody,
                                                 ProbeProcess::Clock::time_point deadline, QString *failure);

    // The process ids of the probes running now, idle or busy (for tests that kill one).
    std::vector<pid_t> runningProcesses() const;

private:
    std::unique_ptr<ProbeProcess> borrow();
    void giveBack(std::unique_ptr<ProbeProcess> probe);

    const QString m_program;
    const int m_maximum;
    mutable std::mutex m_mutex;
    std::condition_variable m_returned;
    std::vector<std::unique_ptr<ProbeProcess>> m_idle;
    std::vector<ProbeProcess *> m_busy;
};
