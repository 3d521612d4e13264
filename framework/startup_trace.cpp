#include "framework/startup_trace.h"

#include <windows.h>

#include <cstdio>
#include <cwchar>

#include "framework/unique_handle.h"

namespace qmo {
namespace {

bool IsStandardHandle(HANDLE handle) {
    for (const DWORD which : {STD_INPUT_HANDLE, STD_OUTPUT_HANDLE, STD_ERROR_HANDLE}) {
        if (::GetStdHandle(which) == handle)
            return true;
    }
    return false;
}

// Wine hands a program started from a shell its stdio as inheritable handles,
// pipes among them: a value naming one of those is refused as well.
unique_kernel_handle InheritedTracePipe() {
    wchar_t text[24] = {};
    const DWORD length = ::GetEnvironmentVariableW(L"QMO_STARTUP_TRACE_HANDLE", text, 24);
    if (length == 0 || length >= 24)
        return {};
    wchar_t* end = nullptr;
    const auto value = static_cast<ULONG_PTR>(std::wcstoull(text, &end, 16));
    const auto handle = reinterpret_cast<HANDLE>(value);
    DWORD flags = 0;
    if (*end != L'\0' || !::GetHandleInformation(handle, &flags) || !(flags & HANDLE_FLAG_INHERIT) ||
        ::GetFileType(handle) != FILE_TYPE_PIPE || IsStandardHandle(handle))
        return {};
    // Ours now; the programs it starts need not get it.
    ::SetHandleInformation(handle, HANDLE_FLAG_INHERIT, 0);
    return unique_kernel_handle(handle);
}

}  // namespace

void MarkStartupStep(const char* step) {
    static const unique_kernel_handle trace = InheritedTracePipe();
    if (!trace)
        return;
    LARGE_INTEGER now{};
    ::QueryPerformanceCounter(&now);
    char line[160];
    const int length = std::snprintf(line, sizeof(line), "%lld %s\n", now.QuadPart, step);
    if (length <= 0 || static_cast<std::size_t>(length) >= sizeof(line))
        return;
    // A meter that has gone makes the write fail, which costs nothing.
    DWORD written = 0;
    ::WriteFile(trace.get(), line, static_cast<DWORD>(length), &written, nullptr);
}

}  // namespace qmo
