// What one refresh of the process list costs per row, with 40 extra idle
// processes beside the ones wine runs: the refresh of a real page, from the
// request to the rows in the list, against the bare platform calls it needs;
// and how long a refresh holds the user-interface thread.
#include "process_list_bench.h"

#include <windows.h>
#include <commctrl.h>
#include <psapi.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "bench_timing.h"
#include "framework/unique_handle.h"
#include "process/process_inspector_win32.h"
#include "process/process_page.h"
#include "res/messages.h"

namespace qmo::bench {
namespace {

constexpr int kIdleProcesses = 40;
constexpr DWORD kStartDeadlineMs = 180000;  // forty wine processes start slowly on a busy machine
constexpr wchar_t kIdleSwitch[] = L"--idle-child";

// A page with its list, as the view would make it, on a plain host window.
class PageHost {
public:
    PageHost() {
        m_window.reset(::CreateWindowExW(0, L"STATIC", L"bench", WS_POPUP, 0, 0, 900, 600, nullptr, nullptr,
                                         ::GetModuleHandleW(nullptr), nullptr));
        if (m_window)
            m_page.CreateModeless(m_window.get());
        ::SetWindowPos(m_page.GetSafeHwnd(), nullptr, 0, 0, 860, 560, SWP_NOZORDER | SWP_SHOWWINDOW);
    }
    CProcessPage& Page() { return m_page; }

private:
    unique_hwnd m_window;
    CProcessPage m_page;
};

struct IdleChildren {
    unique_kernel_handle quit;
    std::vector<unique_kernel_handle> processes;

    ~IdleChildren() {
        ::SetEvent(quit.get());
        for (const auto& process : processes)
            if (::WaitForSingleObject(process.get(), 5000) != WAIT_OBJECT_0)
                ::TerminateProcess(process.get(), 1);
    }
};

// Starts the idle processes and waits until each has said it runs.
bool StartIdleChildren(IdleChildren& children) {
    const std::wstring id = std::to_wstring(::GetCurrentProcessId());
    const std::wstring quitName = L"Local\\QuenvaleBenchQuit-" + id;
    const std::wstring readyName = L"Local\\QuenvaleBenchReady-" + id;
    children.quit.reset(::CreateEventW(nullptr, TRUE, FALSE, quitName.c_str()));
    unique_kernel_handle ready(::CreateSemaphoreW(nullptr, 0, kIdleProcesses, readyName.c_str()));
    if (!children.quit || !ready)
        return false;
    wchar_t exe[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, exe, MAX_PATH);
    for (int i = 0; i < kIdleProcesses; ++i) {
        std::wstring command = L"\"" + std::wstring(exe) + L"\" " + kIdleSwitch + L" " + quitName + L" " + readyName;
        STARTUPINFOW startup{};
        startup.cb = sizeof(startup);
        PROCESS_INFORMATION created{};
        if (!::CreateProcessW(exe, command.data(), nullptr, nullptr, FALSE, DETACHED_PROCESS, nullptr, nullptr,
                              &startup, &created))
            return false;
        ::CloseHandle(created.hThread);
        children.processes.emplace_back(created.hProcess);
    }
    const ULONGLONG deadline = ::GetTickCount64() + kStartDeadlineMs;
    for (int i = 0; i < kIdleProcesses; ++i) {
        const ULONGLONG now = ::GetTickCount64();
        if (now >= deadline || ::WaitForSingleObject(ready.get(), static_cast<DWORD>(deadline - now)) != WAIT_OBJECT_0)
            return false;
    }
    return true;
}

double ElapsedMs(const std::function<void()>& body) {
    const auto start = std::chrono::steady_clock::now();
    body();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

// Pumps until the page's snapshot has reached its list; the time the note
// that carries it in took on this thread.
double WaitForRows(CProcessPage& page) {
    double applyMs = 0.0;
    MSG message;
    while (page.RefreshPending()) {
        if (!::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
            continue;
        }
        const bool note = message.message == WM_PROCESS_SNAPSHOT_READY;
        const double ms = ElapsedMs([&] { ::DispatchMessageW(&message); });
        if (note)
            applyMs += ms;
    }
    return applyMs;
}

// What a refresh must ask of the system, called plainly: the ids, then for
// each process the open, its first module, name, path, memory and creation
// time; the rows it could read.
std::size_t BarePlatformCalls() {
    std::vector<DWORD> ids(1024);
    DWORD bytes = 0;
    if (!::EnumProcesses(ids.data(), static_cast<DWORD>(ids.size() * sizeof(DWORD)), &bytes))
        return 0;
    std::size_t rows = 0;
    for (DWORD i = 0; i < bytes / sizeof(DWORD); ++i) {
        // The same rights as the list asks for: all access first, then query and read.
        HANDLE process = ::OpenProcess(PROCESS_ALL_ACCESS, FALSE, ids[i]);
        if (!process)
            process = ::OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, ids[i]);
        if (!process)
            continue;
        HMODULE module = nullptr;
        DWORD needed = 0;
        if (::EnumProcessModules(process, &module, sizeof(module), &needed) && needed) {
            wchar_t name[MAX_PATH], path[MAX_PATH];
            ::GetModuleBaseNameW(process, module, name, MAX_PATH);
            ::GetModuleFileNameExW(process, module, path, MAX_PATH);
            PROCESS_MEMORY_COUNTERS counters{};
            ::GetProcessMemoryInfo(process, &counters, sizeof(counters));
            FILETIME times[4];
            ::GetProcessTimes(process, &times[0], &times[1], &times[2], &times[3]);
            ++rows;
        }
        ::CloseHandle(process);
    }
    return rows;
}

}  // namespace

bool IsIdleChild(int argc, wchar_t** argv) {
    return argc == 4 && std::wstring(argv[1]) == kIdleSwitch;
}

int RunIdleChild(wchar_t** argv) {
    unique_kernel_handle quit(::OpenEventW(SYNCHRONIZE, FALSE, argv[2]));
    unique_kernel_handle ready(::OpenSemaphoreW(SEMAPHORE_MODIFY_STATE, FALSE, argv[3]));
    if (!quit || !ready)
        return 2;
    ::ReleaseSemaphore(ready.get(), 1, nullptr);
    // Ends with the benchmark, or by itself if the benchmark never says so.
    ::WaitForSingleObject(quit.get(), 600000);
    return 0;
}

void PrintProcessListFigures(int runs) {
    IdleChildren children;
    if (!StartIdleChildren(children)) {
        std::printf("(the %d idle processes did not all start; no process list figures)\n", kIdleProcesses);
        return;
    }
    PageHost host;
    CProcessPage& page = host.Page();
    WaitForRows(page);
    // The user-interface thread's share: the request, and the note that hands the rows to the list.
    double requestMs = 0.0;
    double applyMs = 0.0;
    const double refreshMs = MedianMs(runs, [&] {
        requestMs = std::max(requestMs, ElapsedMs([&] { page.Logic().RefreshProcessList(); }));
        applyMs = std::max(applyMs, WaitForRows(page));
    });
    const int rows = ListView_GetItemCount(page.List().GetSafeHwnd());

    std::size_t bareRows = 0;
    const double bareMs = MedianMs(runs, [&] { bareRows = BarePlatformCalls(); });
    Win32ProcessInspector inspector;
    ShellIconIndexSource icons;
    std::size_t snapshotRows = 0;
    const double snapshotMs = MedianMs(runs, [&] { snapshotRows = SnapshotProcessRows(inspector, icons).size(); });

    const auto perRow = [](double ms, std::size_t count) { return count ? ms / static_cast<double>(count) : 0.0; };
    const double barePerRow = perRow(bareMs, bareRows);
    const auto row = [&](const char* figure, double ms) {
        std::printf("%-44s %9.3f ms %9.3f ms %8.2f\n", figure, ms, barePerRow, barePerRow > 0 ? ms / barePerRow : 0.0);
    };
    row("process refresh per row vs bare platform calls", perRow(refreshMs, static_cast<std::size_t>(rows)));
    row("  its snapshot alone, per row", perRow(snapshotMs, snapshotRows));
    std::printf("%-44s %9.3f ms (request) %9.3f ms (rows into the list)\n", "user-interface thread held, worst",
                requestMs, applyMs);
    std::printf("(median of %d runs; %d rows, %d of them idle processes started for the figure)\n", runs, rows,
                kIdleProcesses);
}

}  // namespace qmo::bench
