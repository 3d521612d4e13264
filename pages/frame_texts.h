#pragma once
// Texts of the main frame.
#include <windows.h>

#include "framework/identity.h"

namespace qmo {

inline constexpr wchar_t kMainWindowTitle[] = L"Quenvale Memory Optimizer";
inline constexpr wchar_t kBalloonText[] = L"Quenvale Optimizer is working in background";
inline constexpr UINT kBalloonSeconds = 10;
inline constexpr wchar_t kHelpMissingText[] = L"Help file not found, PLease reinstall software";
inline constexpr wchar_t kProductWebPage[] = L"https://www.quenvale.example/memory-optimizer.html";
inline constexpr UINT kTrayAnimationPeriodMs = 500;

}  // namespace qmo
