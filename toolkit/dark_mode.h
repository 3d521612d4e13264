#pragma once
// Dark colours where Windows draws: the title bar, and the common controls'
// dark styles where Windows has them. Where it has none, the controls ask
// their parent for colours (WM_CTLCOLOR...) and ThemedControlColors answers.
#include <windows.h>
#include <commctrl.h>

#include <optional>

namespace qmo {

// Windows' "choose your app mode": true for light; nothing where Windows has no such setting.
std::optional<bool> AppsUseLightTheme();
// A WM_SETTINGCHANGE that says the apps' light or dark mode may have changed.
bool IsColorSetChange(LPARAM lParam) noexcept;

// The title bar of top-level window `window` dark or light; nothing where
// the window manager has no dark title bar.
void ApplyTitleBarColors(HWND window, bool dark) noexcept;
// `root` and every window under it: lists, headers, scroll bars, edits and
// combo boxes in the system's dark style, check boxes and radio buttons
// unthemed so that the colours they are given show; all back as they were when light.
void ApplyControlColors(HWND root, bool dark) noexcept;

// The brush of the dark window face; null while the light colours are in use.
HBRUSH DarkFaceBrush();

// For a window's WM_CTLCOLOR... answer while the dark colours are in use:
// the text and background set on `dc`, and the brush of the window face.
// Null when light, for the window's usual answer.
HBRUSH ThemedControlColors(UINT message, HDC dc) noexcept;

// Windows has no dark push button or header to give: while the dark colours
// are in use these paint them. A push button's NM_CUSTOMDRAW is answered in
// `result` (true when painted); the header is painted whole for its WM_PAINT.
bool PaintDarkPushButton(const NMCUSTOMDRAW& draw, LRESULT& result);
void PaintDarkHeader(HWND header, HDC dc);

}  // namespace qmo
