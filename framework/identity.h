#pragma once
// What other programs, the registry, the task scheduler and a second start of
// this program rely on. Fixed whatever language the program speaks: none of
// it is ever shown to be read, nor translated.
#include <string_view>

namespace qmo {

// The main window's class: a second start finds the first instance by it.
inline constexpr wchar_t kMainFrameClassName[] = L"Quenvale.MainFrame";
// The main window's title in the versions before the class was looked for;
// a second start still finds such a first instance by it.
inline constexpr wchar_t kEarlierMainWindowTitle[] = L"Quenvale Memory Optimizer";
inline constexpr wchar_t kSingleInstanceMutexName[] = L"Global\\{80000000-DCC6-49b5-9C61-DE91175C3178}";
// Where the settings are kept, under HKEY_CURRENT_USER.
inline constexpr wchar_t kSettingsKeyPath[] =
    L"Software\\Local AppWizard-Generated Applications\\Quenvale Memory Optimizer";
// The machine-wide logon Run value.
inline constexpr std::string_view kRunValueName = "Z Wyndle Memory opt";
// The elevated logon task, and the start of each user's task name.
inline constexpr std::string_view kLogonTaskBaseName = "Quenvale Memory Optimizer";
// The message another program sends to ask for an optimization.
inline constexpr wchar_t kOptimizeRequestMessageName[] = L"Quenvale.OptimizeRequest";
// The message a test asks the program's resource counts with.
inline constexpr wchar_t kResourceUsageMessageName[] = L"Quenvale.ResourceUsage";

// The classes of the program's other windows, which tests and tools look for.
inline constexpr wchar_t kTrayIconWindowClassName[] = L"Quenvale.TrayIconWindow";
inline constexpr wchar_t kPopupWindowClassName[] = L"Quenvale.PopupWindow";
inline constexpr wchar_t kPageHostViewClassName[] = L"Quenvale.PageHostView";
inline constexpr wchar_t kCaptionBarClassName[] = L"Quenvale.CaptionBar";
inline constexpr wchar_t kPageTabControlClassName[] = L"Quenvale.PageTabControl";

// The help file beside the program, as the installer names it.
inline constexpr std::string_view kHelpFileName = "Help- Quenvale Memory Optimizer.chm";

}  // namespace qmo
