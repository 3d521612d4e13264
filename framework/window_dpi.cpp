#include "framework/window_dpi.h"

#include "framework/dpi_scale.h"
#include "framework/system_function.h"

namespace qmo {

namespace {

// The per-monitor calls are looked up, not imported: the program still starts
// on systems older than Windows 10 1607 (Windows 8.1 for the monitor's DPI).

// The system's DPI is fixed for a process's life: asked once (a screen DC is a
// trip to the window server, and fonts and paints ask for it all the time).
unsigned ScreenDpi() noexcept {
    static const unsigned dpi = [] {
        HDC screen = ::GetDC(nullptr);
        const int pixels = screen ? ::GetDeviceCaps(screen, LOGPIXELSY) : 0;
        if (screen)
            ::ReleaseDC(nullptr, screen);
        return pixels > 0 ? static_cast<unsigned>(pixels) : kDesignDpi;
    }();
    return dpi;
}

}  // namespace

unsigned WindowDpi(HWND window) noexcept {
    using GetDpiForWindowFunction = UINT(WINAPI*)(HWND);
    static const auto getDpiForWindow = SystemFunction<GetDpiForWindowFunction>(L"user32.dll", "GetDpiForWindow");
    if (window && getDpiForWindow) {
        const UINT dpi = getDpiForWindow(window);
        if (dpi != 0)
            return dpi;
    }
    return ScreenDpi();
}

unsigned MonitorDpiAt(POINT point) noexcept {
    // MDT_EFFECTIVE_DPI is 0.
    using GetDpiForMonitorFunction = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);
    static const auto getDpiForMonitor = SystemFunction<GetDpiForMonitorFunction>(L"shcore.dll", "GetDpiForMonitor");
    if (getDpiForMonitor) {
        UINT dpiX = 0;
        UINT dpiY = 0;
        HMONITOR monitor = ::MonitorFromPoint(point, MONITOR_DEFAULTTONEAREST);
        if (monitor && SUCCEEDED(getDpiForMonitor(monitor, 0, &dpiX, &dpiY)) && dpiY != 0)
            return dpiY;
    }
    return ScreenDpi();
}

int SystemMetricForDpi(int index, unsigned dpi) noexcept {
    using GetSystemMetricsForDpiFunction = int(WINAPI*)(int, UINT);
    static const auto forDpi = SystemFunction<GetSystemMetricsForDpiFunction>(L"user32.dll", "GetSystemMetricsForDpi");
    if (forDpi)
        return forDpi(index, dpi);
    // Without it the metrics are the screen's: rescale them to the DPI asked.
    const unsigned screen = ScreenDpi();
    const int metric = ::GetSystemMetrics(index);
    return screen == dpi ? metric : ::MulDiv(metric, static_cast<int>(dpi), static_cast<int>(screen));
}

}  // namespace qmo
