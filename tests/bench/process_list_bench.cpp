// What one refresh of the process list costs per row, with 40 extra idle
// processes beside the ones wine runs: the refresh of a real page, and the
// snapshot alone (no list control) as its baseline.
#include "process_list_bench.h"

#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <string>
#include <vector>

#include "bench_timing.h"
#include "framework/unique_handle.h"
#include "process/process_inspector_win32.h"
#include "process/process_page.h"
#include "toolkit/system_image_list.h"

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
    const double refreshMs = MedianMs(runs, [&] { page.Logic().RefreshProcessList(); });
    const int rows = ListView_GetItemCount(page.List().GetSafeHwnd());

    Win32ProcessInspector inspector;
    ShellIconIndexSource icons;
    std::size_t snapshotRows = 0;
    const double snapshotMs = MedianMs(runs, [&] { snapshotRows = SnapshotProcessRows(inspector, icons).size(); });

    const double perRow = rows ? refreshMs / rows : 0.0;
    const double baselinePerRow = snapshotRows ? snapshotMs / static_cast<double>(snapshotRows) : 0.0;
    std::printf("%-44s %9.3f ms %9.3f ms %8.2f\n", "RefreshProcessList per row vs snapshot only", perRow,
                baselinePerRow, baselinePerRow > 0 ? perRow / baselinePerRow : 0.0);
    std::printf("(median of %d runs; %d rows, %d of them idle processes started for the figure)\n", runs, rows,
                kIdleProcesses);
}

}  // namespace qmo::bench
