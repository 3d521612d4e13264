#include "config/logon_task_keeper.h"

#include <utility>

#include "framework/worker_thread.h"

namespace qmo {

LogonTaskKeeper::~LogonTaskKeeper() {
    // The worker ends only when no request is left waiting.
    if (m_worker.joinable())
        m_worker.join();
}

void LogonTaskKeeper::Request(std::string executablePath, bool enabled) {
    std::unique_lock lock(m_mutex);
    m_waiting = Wish{std::move(executablePath), enabled};
    if (m_working)
        return;
    m_working = true;
    if (!ReplaceFinishedWorker(m_worker, lock, [this] { Work(); })) {
        // No thread to be had: this save leaves the task as it is, the next one tries again.
        m_waiting.reset();
        m_working = false;
        m_idle.notify_all();
    }
}

void LogonTaskKeeper::WaitUntilIdle() {
    std::unique_lock lock(m_mutex);
    m_idle.wait(lock, [this] { return !m_working; });
}

void LogonTaskKeeper::Work() {
    std::unique_lock lock(m_mutex);
    while (m_waiting) {
        const Wish wish = std::move(*m_waiting);
        m_waiting.reset();
        lock.unlock();
        UpdateLogonTask(m_scheduler, wish.executablePath, wish.enabled);
        lock.lock();
    }
    m_working = false;
    m_idle.notify_all();
}

}  // namespace qmo
