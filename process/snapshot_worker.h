#pragma once
// Takes process snapshots away from the user-interface thread: opening every
// process and reading its modules holds a thread for a noticeable time, and a
// window must not freeze for it. Portable: the snapshot and the "ready" call
// are given to it.
#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "process/process_snapshot.h"

namespace qmo {

class SnapshotWorker {
public:
    using Snapshot = std::function<std::vector<ProcessEntry>()>;
    // Called on the worker's thread when a result is waiting; it must only
    // post a note to the owner's thread (the owner then calls TakeResult).
    using Ready = std::function<void()>;

    SnapshotWorker(Snapshot snapshot, Ready ready) : m_snapshot(std::move(snapshot)), m_ready(std::move(ready)) {}
    SnapshotWorker(const SnapshotWorker&) = delete;
    SnapshotWorker& operator=(const SnapshotWorker&) = delete;
    // Waits for a snapshot under way; no note is sent after Silence().
    ~SnapshotWorker();

    // Returns at once. A request made while a snapshot is under way is taken
    // when it ends (its result may predate what the request was made for).
    // False when no thread could be started: nothing will come.
    bool Request();
    // The result the "ready" call announced, once; nothing before that call,
    // so that a note the worker did not send finds nothing.
    std::optional<std::vector<ProcessEntry>> TakeResult();
    // True from a request until its result is taken.
    bool Pending() const;
    // No more notes: the owner's window is going.
    void Silence();

private:
    void Work();

    Snapshot m_snapshot;
    Ready m_ready;
    mutable std::mutex m_mutex;
    std::optional<std::vector<ProcessEntry>> m_result;
    bool m_requested = false;
    bool m_working = false;
    bool m_silenced = false;
    std::thread m_worker;
};

}  // namespace qmo
