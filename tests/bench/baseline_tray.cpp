// The least a tray program can be: one hidden window, one tray icon, a message
// loop. The benchmarks measure the optimizer's start-up, idle processor time
// and memory against this program in the same run.
#include <windows.h>
#include <shellapi.h>

namespace {

constexpr wchar_t kClassName[] = L"Quenvale.BaselineTray";
constexpr UINT kTrayMessage = WM_APP + 1;

NOTIFYICONDATAW IconData(HWND window) {
    NOTIFYICONDATAW data{};
    data.cbSize = sizeof(data);
    data.hWnd = window;
    data.uID = 1;
    data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    data.uCallbackMessage = kTrayMessage;
    data.hIcon = ::LoadIconW(nullptr, IDI_APPLICATION);
    lstrcpynW(data.szTip, L"Baseline tray program", ARRAYSIZE(data.szTip));
    return data;
}

LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE: {
        NOTIFYICONDATAW data = IconData(window);
        ::Shell_NotifyIconW(NIM_ADD, &data);
        return 0;
    }
    case WM_CLOSE:
        ::DestroyWindow(window);
        return 0;
    case WM_DESTROY: {
        NOTIFYICONDATAW data = IconData(window);
        ::Shell_NotifyIconW(NIM_DELETE, &data);
        ::PostQuitMessage(0);
        return 0;
    }
    default:
        return ::DefWindowProcW(window, message, wParam, lParam);
    }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
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
    MSG message;
    while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
    return 0;
}
