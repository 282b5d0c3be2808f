#include "core/formats/probepool.h"

#include <algorithm>

ProbePool::ProbePool(QString program, int maximum) : m_program(std::move(program)), m_maximum(std::max(1, maximum)) {}

ProbePool::~ProbePool() = default;

std::unique_ptr<ProbeProcess> ProbePool::borrow()
{
    std::unique_lock lock(m_mutex);
    m_returned.wait(lock, [this] { return !m_idle.empty() || int(m_busy.size()) < m_maximum; });
    std::unique_ptr<ProbeProcess> probe;
    if (!m_idle.empty()) {
        probe = std::move(m_idle.back());
        m_idle.pop_back();
    } else {
        probe = std::make_unique<ProbeProcess>(m_program); // started by its first exchange
    }
    m_busy.push_back(probe.get());
    return probe;
}

void ProbePool::giveBack(std::unique_ptr<ProbeProcess> probe)
{
    {
        std::lock_guard lock(m_mutex);
        m_busy.erase(std::find(m_busy.begin(), m_busy.end(), probe.get()));
        m_idle.push_back(std::move(probe));
    }
    m_returned.notify_one();
}

std::optional<ProbeProtocol::Reply> ProbePool::exchange(const QByteArray &requestBody,
                                                        ProbeProcess::Clock::time_point deadline, QString *failure)
{
    std::unique_ptr<ProbeProcess> probe = borrow();
    std::optional<ProbeProtocol::Reply> reply;
    if (const std::optional<QByteArray> body = probe->exchange(requestBody, deadline, failure)) {
        reply = ProbeProtocol::decodeReply(*body);
        if (!reply) {
            probe->stop();
            *failure = QStringLiteral("Réponse illisible du lecteur de formats");
        }
    }
    giveBack(std::move(probe));
    return reply;
}

std::vector<pid_t> ProbePool::runningProcesses() const
{
    std::lock_guard lock(m_mutex);
    std::vector<pid_t> pids;
    for (const auto &probe : m_idle)
        if (probe->isRunning())
            pids.push_back(probe->pid());
    for (const ProbeProcess *probe : m_busy)
        if (probe->isRunning())
            pids.push_back(probe->pid());
    return pids;
}
