#include "app/single_instance.h"

namespace qmo {
namespace {

// Long enough for any responsive first instance; a hung one must not hang us.
constexpr UINT kHandOverTimeoutMs = 10000;

}  // namespace

SingleInstanceGuard::SingleInstanceGuard(const wchar_t* mutexName)
    : m_mutex(::CreateMutexW(nullptr, FALSE, mutexName)), m_creationError(::GetLastError()) {}

bool InstanceMutexExists(const wchar_t* mutexName) {
    return static_cast<bool>(unique_kernel_handle(::OpenMutexW(SYNCHRONIZE, FALSE, mutexName)));
}

std::optional<LRESULT> HandOverToFirstInstance(const wchar_t* frameClassName, const wchar_t* earlierTitle,
                                               UINT message) {
    HWND window = ::FindWindowW(frameClassName, nullptr);
    if (!window)
        window = ::FindWindowW(nullptr, earlierTitle);
    if (!window)
        return std::nullopt;
    DWORD_PTR answer = 0;
    if (!::SendMessageTimeoutW(window, message, 0, 0, SMTO_NORMAL | SMTO_ABORTIFHUNG, kHandOverTimeoutMs, &answer))
        return std::nullopt;
    return static_cast<LRESULT>(answer);
}

}  // namespace qmo
