#include "framework/startup_trace.h"

#include <windows.h>

#include <cstdio>
#include <string>

#include "framework/unique_handle.h"

namespace qmo {
namespace {

const std::wstring& TracePath() {
    static const std::wstring path = [] {
        wchar_t buffer[MAX_PATH] = {};
        const DWORD length = ::GetEnvironmentVariableW(L"QMO_STARTUP_TRACE", buffer, MAX_PATH);
        return length > 0 && length < MAX_PATH ? std::wstring(buffer, length) : std::wstring();
    }();
    return path;
}

}  // namespace

void MarkStartupStep(const char* step) {
    if (TracePath().empty())
        return;
    LARGE_INTEGER now{};
    ::QueryPerformanceCounter(&now);
    char line[160];
    const int length = std::snprintf(line, sizeof(line), "%lld %s\n", now.QuadPart, step);
    if (length <= 0 || static_cast<std::size_t>(length) >= sizeof(line))
        return;
    // Opened for each line: a trace is a dozen lines, and nothing stays open.
    const unique_kernel_handle file(::CreateFileW(TracePath().c_str(), FILE_APPEND_DATA,
                                                  FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    if (file)
        ::WriteFile(file.get(), line, static_cast<DWORD>(length), &written, nullptr);
}

}  // namespace qmo
