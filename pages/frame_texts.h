#pragma once
// Texts of the main frame.
#include <windows.h>

#include <string>

#include "framework/identity.h"
#include "framework/resource_language.h"
#include "res/pages_resource.h"
#include "res/resource.h"

namespace qmo {

// A text of the string tables under a constant's name, read where it is used
// in the language chosen at start.
struct ResourceText {
    UINT id;

    std::wstring Load() const { return LoadResourceString(id); }
    operator std::wstring() const { return Load(); }
    friend bool operator==(const std::wstring& text, const ResourceText& named) { return text == named.Load(); }
};

// What the window, the tray and the message boxes are titled; never how they are found.
inline constexpr ResourceText kMainWindowTitle{IDS_APPLICATION_TITLE};
inline constexpr ResourceText kBalloonText{IDS_FRAME_BALLOON};
inline constexpr UINT kBalloonSeconds = 10;
inline constexpr ResourceText kHelpMissingText{IDS_FRAME_HELP_MISSING};
inline constexpr wchar_t kProductWebPage[] = L"https://www.quenvale.example/memory-optimizer.html";
inline constexpr UINT kTrayAnimationPeriodMs = 500;

}  // namespace qmo
