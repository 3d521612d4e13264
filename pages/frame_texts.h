#pragma once
// Fixed texts and messages of the main frame that other windows rely on.
#include <windows.h>

namespace qmo {

inline constexpr wchar_t kMainWindowTitle[] = L"Quenvale Memory Optimizer";
inline constexpr wchar_t kMainFrameClassName[] = L"Quenvale.MainFrame";
inline constexpr wchar_t kBalloonText[] = L"Quenvale Optimizer is working in background";
inline constexpr UINT kBalloonSeconds = 10;
inline constexpr wchar_t kHelpMissingText[] = L"Help file not found, PLease reinstall software";
inline constexpr wchar_t kProductWebPage[] = L"https://www.quenvale.example/memory-optimizer.html";
inline constexpr UINT kTrayAnimationPeriodMs = 500;

}  // namespace qmo

inline constexpr UINT WM_ACTIVATE_FIRST_INSTANCE = WM_APP + 100;
// The worker's two messages sit above WM_APP: values from WM_USER on mean
// something to dialogs already (WM_USER + 2 is DM_REPOSITION).
inline constexpr UINT WM_OPTIMIZATION_FINISHED = WM_APP + 1;
inline constexpr UINT WM_OPTIMIZE_COMPLETE = WM_APP + 2;
inline constexpr UINT WM_POPUP_NOTIFY = WM_USER + 9037;
