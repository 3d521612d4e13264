#pragma once
// One worker at a time behind a mutex: a new worker replaces one that has
// finished its work and is on its way out. Portable.
#include <mutex>
#include <system_error>
#include <thread>
#include <utility>

namespace qmo {

// With `lock` held on entry and on return: joins the finished `worker`
// (outside the lock, so that it can leave) and starts `body` in its place.
// False when no thread is to be had.
template <typename Body>
bool ReplaceFinishedWorker(std::thread& worker, std::unique_lock<std::mutex>& lock, Body&& body) {
    std::thread finished = std::move(worker);
    lock.unlock();
    if (finished.joinable())
        finished.join();
    lock.lock();
    try {
        worker = std::thread(std::forward<Body>(body));
        return true;
    } catch (const std::system_error&) {
        return false;
    }
}

}  // namespace qmo
