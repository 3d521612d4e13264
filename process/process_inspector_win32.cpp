#include "process/process_inspector_win32.h"

#include <psapi.h>

#include <algorithm>
#include <iterator>

#include "framework/text.h"
#include "toolkit/system_image_list.h"

namespace qmo {
namespace {

HANDLE Raw(ProcessInspector::Handle process) {
    return reinterpret_cast<HANDLE>(process);
}

constexpr DWORD kModuleListBytes = 1024;

}  // namespace

std::vector<std::uint32_t> Win32ProcessInspector::EnumerateProcessIds(std::size_t capacity) {
    std::vector<DWORD> ids(capacity);
    DWORD bytes = 0;
    if (!::EnumProcesses(ids.data(), static_cast<DWORD>(ids.size() * sizeof(DWORD)), &bytes))
        return {};
    ids.resize(std::min<std::size_t>(bytes / sizeof(DWORD), capacity));
    return {ids.begin(), ids.end()};
}

ProcessInspector::Handle Win32ProcessInspector::OpenProcess(std::uint32_t access, bool inheritHandle,
                                                            std::uint32_t processId) {
    return reinterpret_cast<Handle>(::OpenProcess(access, inheritHandle ? TRUE : FALSE, processId));
}

void Win32ProcessInspector::CloseProcess(Handle process) {
    ::CloseHandle(Raw(process));
}

std::size_t Win32ProcessInspector::FirstModule(Handle process, Module& first) {
    HMODULE modules[kModuleListBytes / sizeof(HMODULE)] = {};
    DWORD needed = 0;
    if (!::EnumProcessModules(Raw(process), modules, sizeof(modules), &needed))
        return 0;
    first = reinterpret_cast<Module>(modules[0]);
    return needed;
}

std::string Win32ProcessInspector::ModuleFileName(Handle process, Module module) {
    wchar_t path[MAX_PATH] = {};
    const DWORD length =
        ::GetModuleFileNameExW(Raw(process), reinterpret_cast<HMODULE>(module), path, static_cast<DWORD>(std::size(path)));
    return Narrow(std::wstring_view(path, std::min<DWORD>(length, MAX_PATH - 1)));
}

std::string Win32ProcessInspector::ModuleBaseName(Handle process, Module module) {
    wchar_t name[MAX_PATH] = {};
    const DWORD length =
        ::GetModuleBaseNameW(Raw(process), reinterpret_cast<HMODULE>(module), name, static_cast<DWORD>(std::size(name)));
    return Narrow(std::wstring_view(name, std::min<DWORD>(length, MAX_PATH - 1)));
}

std::optional<std::uint64_t> Win32ProcessInspector::WorkingSetSize(Handle process) {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof(counters);
    if (!::GetProcessMemoryInfo(Raw(process), &counters, sizeof(counters)))
        return std::nullopt;
    return counters.WorkingSetSize;
}

// PagefileUsage is the process's commit charge; wine leaves PrivateUsage at 0.
std::optional<std::uint64_t> Win32ProcessInspector::CommittedBytes(Handle process) {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof(counters);
    if (!::GetProcessMemoryInfo(Raw(process), &counters, sizeof(counters)))
        return std::nullopt;
    return counters.PagefileUsage;
}

std::optional<std::uint64_t> Win32ProcessInspector::CreationTime(Handle process) {
    FILETIME created{}, exited{}, kernel{}, user{};
    if (!::GetProcessTimes(Raw(process), &created, &exited, &kernel, &user))
        return std::nullopt;
    return (static_cast<std::uint64_t>(created.dwHighDateTime) << 32) | created.dwLowDateTime;
}

std::optional<std::string> Win32ProcessInspector::SystemDirectory() {
    wchar_t directory[MAX_PATH] = {};
    const UINT length = ::GetSystemDirectoryW(directory, static_cast<UINT>(std::size(directory)));
    if (length == 0 || length >= std::size(directory))
        return std::nullopt;
    return Narrow(std::wstring_view(directory, length));
}

bool Win32ProcessInspector::TerminateProcess(Handle process, std::uint32_t exitCode) {
    return ::TerminateProcess(Raw(process), exitCode) != FALSE;
}

int ShellIconIndexSource::IconIndex(const std::string& path) {
    return CSystemImageList().GetIconIndex(Widen(path), true);
}

}  // namespace qmo
