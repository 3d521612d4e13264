// What the optimizer is measured against, built twice from this file:
//
//   qmo_baseline_tray   the least a tray program can be: one hidden window,
//                       one tray icon, a message loop.
//   qmo_baseline_idle   (QMO_BASELINE_IDLE_WORK) the idle work the optimizer
//                       must do in the tray and nothing else: the icon
//                       animated every 500 ms through the program's own four
//                       frames, and once a second one collection of the
//                       processor counter plus the system's performance
//                       information (the commit charge).
//
// Both mark their start-up steps as the program does (framework/startup_trace.h).
#include <windows.h>
#include <shellapi.h>

#include "framework/startup_trace.h"

#ifdef QMO_BASELINE_IDLE_WORK
#include <pdh.h>
#include <psapi.h>

#include "tests/bench/baseline_idle_resource.h"
#endif

namespace {

#ifdef QMO_BASELINE_IDLE_WORK
constexpr wchar_t kClassName[] = L"Quenvale.BaselineIdle";
#else
constexpr wchar_t kClassName[] = L"Quenvale.BaselineTray";
#endif
constexpr UINT kTrayMessage = WM_APP + 1;

NOTIFYICONDATAW IconData(HWND window, HICON icon) {
    NOTIFYICONDATAW data{};
    data.cbSize = sizeof(data);
    data.hWnd = window;
    data.uID = 1;
    data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    data.uCallbackMessage = kTrayMessage;
    data.hIcon = icon;
    lstrcpynW(data.szTip, L"Baseline tray program", ARRAYSIZE(data.szTip));
    return data;
}

#ifdef QMO_BASELINE_IDLE_WORK
constexpr UINT_PTR kAnimationTimer = 1;
constexpr UINT_PTR kSampleTimer = 2;
constexpr int kFrameCount = 4;

struct IdleWork {
    HICON frames[kFrameCount] = {};
    int frame = 0;
    PDH_HQUERY query = nullptr;
    PDH_HCOUNTER processor = nullptr;
};
IdleWork g_work;

void LoadFrames() {
    const HINSTANCE instance = ::GetModuleHandleW(nullptr);
    const int size = ::GetSystemMetrics(SM_CXSMICON);
    for (int index = 0; index < kFrameCount; ++index)
        g_work.frames[index] = static_cast<HICON>(
            ::LoadImageW(instance, MAKEINTRESOURCEW(IDI_BASELINE_FRAME_1 + index), IMAGE_ICON, size, size, 0));
}

// After the icon is added, as nothing of it is needed before.
void StartIdleWork(HWND window) {
    if (::PdhOpenQueryW(nullptr, 0, &g_work.query) == ERROR_SUCCESS)
        ::PdhAddEnglishCounterW(g_work.query, L"\\Processor(_Total)\\% Processor Time", 0, &g_work.processor);
    ::SetTimer(window, kAnimationTimer, 500, nullptr);
    ::SetTimer(window, kSampleTimer, 1000, nullptr);
}

void OnTimer(HWND window, UINT_PTR id) {
    if (id == kAnimationTimer) {
        g_work.frame = (g_work.frame + 1) % kFrameCount;
        NOTIFYICONDATAW data = IconData(window, g_work.frames[g_work.frame]);
        data.uFlags = NIF_ICON;
        ::Shell_NotifyIconW(NIM_MODIFY, &data);
    } else if (id == kSampleTimer) {
        PDH_FMT_COUNTERVALUE value{};
        if (g_work.query && ::PdhCollectQueryData(g_work.query) == ERROR_SUCCESS && g_work.processor)
            ::PdhGetFormattedCounterValue(g_work.processor, PDH_FMT_LONG, nullptr, &value);
        PERFORMANCE_INFORMATION information{};
        ::GetPerformanceInfo(&information, sizeof(information));
    }
}

void EndIdleWork() {
    if (g_work.query)
        ::PdhCloseQuery(g_work.query);
    for (HICON frame : g_work.frames)
        if (frame)
            ::DestroyIcon(frame);
}

HICON FirstIcon() {
    LoadFrames();
    return g_work.frames[0];
}
#else
void StartIdleWork(HWND) {}
void OnTimer(HWND, UINT_PTR) {}
void EndIdleWork() {}
HICON FirstIcon() { return ::LoadIconW(nullptr, IDI_APPLICATION); }
#endif

LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE: {
        qmo::MarkStartupStep("window");
        NOTIFYICONDATAW data = IconData(window, FirstIcon());
        ::Shell_NotifyIconW(NIM_ADD, &data);
        qmo::MarkStartupStep("tray");
        StartIdleWork(window);
        return 0;
    }
    case WM_TIMER:
        OnTimer(window, wParam);
        return 0;
    case WM_CLOSE:
        ::DestroyWindow(window);
        return 0;
    case WM_DESTROY: {
        NOTIFYICONDATAW data = IconData(window, nullptr);
        ::Shell_NotifyIconW(NIM_DELETE, &data);
        EndIdleWork();
        ::PostQuitMessage(0);
        return 0;
    }
    default:
        return ::DefWindowProcW(window, message, wParam, lParam);
    }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    qmo::MarkStartupStep("entry");
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = WindowProcedure;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = kClassName;
    if (!::RegisterClassExW(&windowClass))
        return 1;
    if (!::CreateWindowExW(0, kClassName, L"Baseline", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT, 400, 300,
                           nullptr, nullptr, instance, nullptr))
        return 1;
    qmo::MarkStartupStep("ready");
    MSG message;
    while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
    return 0;
}
