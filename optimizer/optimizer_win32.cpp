#include "optimizer/optimizer_win32.h"

#include <commctrl.h>
#include <malloc.h>
#include <psapi.h>
#include <tlhelp32.h>

#include <cstdlib>

#include "framework/text.h"
#include "framework/unique_handle.h"

namespace qmo {

namespace {

std::uint64_t Ticks(const FILETIME& time) {
    return static_cast<std::uint64_t>(time.dwHighDateTime) << 32 | time.dwLowDateTime;
}

}  // namespace

std::optional<std::vector<ProcessFacts>> Win32ProcessSystem::SnapshotProcesses() {
    unique_kernel_handle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot)
        return std::nullopt;
    std::vector<ProcessFacts> processes;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof(entry);
    for (BOOL more = ::Process32FirstW(snapshot.get(), &entry); more; more = ::Process32NextW(snapshot.get(), &entry)) {
        entry.szExeFile[MAX_PATH - 1] = L'\0';
        processes.push_back({entry.th32ProcessID, entry.th32ParentProcessID, Narrow(entry.szExeFile)});
    }
    return processes;
}

std::string Win32ProcessSystem::ImagePath(Handle process) {
    wchar_t path[32768];
    DWORD size = static_cast<DWORD>(std::size(path));
    if (!::QueryFullProcessImageNameW(reinterpret_cast<HANDLE>(process), 0, path, &size))
        return {};
    return Narrow(std::wstring_view(path, size));
}

std::optional<ProcessUse> Win32ProcessSystem::ReadUse(std::uint32_t processId) {
    unique_kernel_handle process(::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
    if (!process)
        return std::nullopt;
    FILETIME created{}, exited{}, kernel{}, user{};
    if (!::GetProcessTimes(process.get(), &created, &exited, &kernel, &user))
        return std::nullopt;
    ProcessUse use;
    use.creationTime = Ticks(created);
    use.processorTime = Ticks(kernel) + Ticks(user);
    // PagefileUsage is the process's commit charge; wine leaves PrivateUsage at 0.
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof(counters);
    if (::GetProcessMemoryInfo(process.get(), &counters, sizeof(counters)))
        use.committedBytes = counters.PagefileUsage;
    return use;
}

std::uint32_t Win32ProcessSystem::ForegroundProcessId() {
    const HWND foreground = ::GetForegroundWindow();
    DWORD processId = 0;
    if (foreground)
        ::GetWindowThreadProcessId(foreground, &processId);
    return processId;
}

ProcessSystem::Handle Win32ProcessSystem::OpenProcess(std::uint32_t access, bool inheritHandle,
                                                       std::uint32_t processId) {
    return reinterpret_cast<Handle>(::OpenProcess(access, inheritHandle ? TRUE : FALSE, processId));
}

bool Win32ProcessSystem::SetWorkingSetSize(Handle process, std::size_t minimum, std::size_t maximum) {
    return ::SetProcessWorkingSetSize(reinterpret_cast<HANDLE>(process), minimum, maximum) != FALSE;
}

bool Win32ProcessSystem::EmptyProcessWorkingSet(Handle process) {
    return ::EmptyWorkingSet(reinterpret_cast<HANDLE>(process)) != FALSE;
}

void Win32ProcessSystem::CloseProcess(Handle process) {
    ::CloseHandle(reinterpret_cast<HANDLE>(process));
}

void* CrtSweepHeap::Allocate(std::size_t size) {
    return std::malloc(size);
}

void CrtSweepHeap::Free(void* block) {
    std::free(block);
}

void CrtSweepHeap::Minimize() {
    _heapmin();
    ::HeapCompact(::GetProcessHeap(), 0);
}

void ProgressBarSink::SetPosition(int position) {
    ::SendMessageW(m_progressBar, PBM_SETPOS, static_cast<WPARAM>(position), 0);
}

}  // namespace qmo
