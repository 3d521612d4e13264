#pragma once
// One instance per machine: a named mutex whose mere existence is the signal,
// and the hand-over of a second start to the window of the first.
#include <windows.h>

#include <optional>

#include "framework/unique_handle.h"

namespace qmo {

inline constexpr wchar_t kSingleInstanceMutexName[] = L"Global\\{80000000-DCC6-49b5-9C61-DE91175C3178}";

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

// Sends the message to the first instance's main window. The frame's own
// class is looked for first, so that a message box captioned with the same
// title is never taken for the main window. The window's answer; nothing if
// no window was found or it did not answer in time.
std::optional<LRESULT> HandOverToFirstInstance(const wchar_t* frameClassName, const wchar_t* title, UINT message);

}  // namespace qmo
