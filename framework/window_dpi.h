#pragma once
// The DPI a window is shown at. Windows 10 1607 and later say it per window
// (per-monitor awareness); older systems have one DPI for the whole screen.
#include <windows.h>

namespace qmo {

// The window's DPI; the screen's for a null window or a system without
// per-window DPI.
unsigned WindowDpi(HWND window) noexcept;

// The DPI of the monitor that holds `point` (the screen's on older systems).
unsigned MonitorDpiAt(POINT point) noexcept;

// A system metric (SM_CXICON, SM_CXVSCROLL...) at `dpi`.
int SystemMetricForDpi(int index, unsigned dpi) noexcept;

}  // namespace qmo
