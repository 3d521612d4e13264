#pragma once
// Keeps the logon task in step away from the user-interface thread: the Task
// Scheduler can take seconds to answer, and a window must never wait for it.
// Portable: the scheduler is reached through its seam.
#include <condition_variable>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "config/logon_task.h"

namespace qmo {

class LogonTaskKeeper {
public:
    explicit LogonTaskKeeper(LogonTaskScheduler& scheduler) noexcept : m_scheduler(scheduler) {}
    LogonTaskKeeper(const LogonTaskKeeper&) = delete;
    LogonTaskKeeper& operator=(const LogonTaskKeeper&) = delete;
    // Finishes the latest request first: the program never ends with its last
    // wish about the task unsaid, nor with a worker still inside the scheduler.
    ~LogonTaskKeeper();

    // Returns at once. One worker at a time: a request made while it runs
    // replaces any request still waiting and is taken when the running one ends.
    void Request(std::string executablePath, bool enabled);
    // Returns when every request made so far has been carried out.
    void WaitUntilIdle();

private:
    struct Wish {
        std::string executablePath;
        bool enabled = false;
    };

    void Work();

    LogonTaskScheduler& m_scheduler;
    std::mutex m_mutex;
    std::condition_variable m_idle;
    std::optional<Wish> m_waiting;
    bool m_working = false;
    std::thread m_worker;
};

}  // namespace qmo
