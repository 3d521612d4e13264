#include "app/single_instance.h"

namespace qmo {
namespace {

// Long enough for any responsive first instance; a hung one must not hang us.
constexpr UINT kHandOverTimeoutMs = 10000;

}  // namespace

SingleInstanceGuard::SingleInstanceGuard(const wchar_t* mutexName)
    : m_mutex(::CreateMutexW(nullptr, FALSE, mutexName)), m_creationError(::GetLastError()) {}

bool HandOverToFirstInstance(const wchar_t* frameClassName, const wchar_t* title, UINT message) {
    HWND window = ::FindWindowW(frameClassName, title);
    if (!window)
        window = ::FindWindowW(nullptr, title);
    if (!window)
        return false;
    DWORD_PTR ignored = 0;
    ::SendMessageTimeoutW(window, message, 0, 0, SMTO_NORMAL | SMTO_ABORTIFHUNG, kHandOverTimeoutMs, &ignored);
    return true;
}

}  // namespace qmo
