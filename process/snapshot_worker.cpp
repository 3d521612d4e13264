#include "process/snapshot_worker.h"

#include <utility>

#include "framework/worker_thread.h"

namespace qmo {

SnapshotWorker::~SnapshotWorker() {
    Silence();
    if (m_worker.joinable())
        m_worker.join();
}

bool SnapshotWorker::Request() {
    std::unique_lock lock(m_mutex);
    m_requested = true;
    if (m_working)
        return true;
    m_working = true;
    if (ReplaceFinishedWorker(m_worker, lock, [this] { Work(); }))
        return true;
    m_requested = false;
    m_working = false;
    return false;
}

std::optional<std::vector<ProcessEntry>> SnapshotWorker::TakeResult() {
    std::lock_guard lock(m_mutex);
    // While the worker is still at it, what it holds predates a request.
    if (m_working)
        return std::nullopt;
    return std::exchange(m_result, std::nullopt);
}

bool SnapshotWorker::Pending() const {
    std::lock_guard lock(m_mutex);
    return m_working || m_result.has_value();
}

void SnapshotWorker::Silence() {
    std::lock_guard lock(m_mutex);
    m_silenced = true;
}

void SnapshotWorker::Work() {
    std::unique_lock lock(m_mutex);
    while (m_requested && !m_silenced) {
        m_requested = false;
        lock.unlock();
        std::vector<ProcessEntry> rows = m_snapshot();
        lock.lock();
        m_result = std::move(rows);
        if (!m_requested && !m_silenced) {
            // Told while the lock is held, so Silence() cannot slip in between.
            m_working = false;
            m_ready();
            return;
        }
    }
    m_working = false;
}

}  // namespace qmo
