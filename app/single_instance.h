#pragma once
// One instance per machine: a named mutex whose mere existence is the signal,
// and the hand-over of a second start to the window of the first.
#include <windows.h>

#include <optional>

#include "framework/identity.h"
#include "framework/unique_handle.h"

namespace qmo {

class SingleInstanceGuard {
public:
    explicit SingleInstanceGuard(const wchar_t* mutexName);

    // Only ERROR_ALREADY_EXISTS counts; a mutex we may not open (another
    // user's instance) lets this start go on as the only instance it knows of.
    bool AnotherInstanceRuns() const noexcept { return m_creationError == ERROR_ALREADY_EXISTS; }

private:
    unique_kernel_handle m_mutex;
    DWORD m_creationError = 0;
};

// Whether an instance holds the mutex, asked without creating it: a start
// that only hands a request over must not take the name for its own length.
bool InstanceMutexExists(const wchar_t* mutexName);

// Sends the message to the first instance's main window, found by the
// frame's class whatever its title says (it may be in another language); a
// first instance of a version whose frame had another class is found by
// `earlierTitle`. The window's answer; nothing if no window was found or it
// did not answer in time.
std::optional<LRESULT> HandOverToFirstInstance(const wchar_t* frameClassName, const wchar_t* earlierTitle,
                                               UINT message);

}  // namespace qmo
