#pragma once
// Fixed texts of the main frame that other windows rely on.
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
