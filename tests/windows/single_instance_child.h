#pragma once
// The "first instance" that the single-instance test starts as a second
// process of the test binary.
#include <windows.h>

namespace qmo::testing {

inline constexpr wchar_t kFirstInstanceChildSwitch[] = L"--first-instance-child";
inline constexpr wchar_t kFirstInstanceChildClass[] = L"QuenvaleTest.FirstInstance";
inline constexpr DWORD kChildActivatedExitCode = 7;

// Holds the mutex, shows a hidden window with the title and ends with
// kChildActivatedExitCode once asked to activate (another code on timeout).
int RunFirstInstanceChild(const wchar_t* mutexName, const wchar_t* title);

// The test binary started again on a screen of 144 DPI runs just the checks
// of what the windows look like there (the HighDpiChild suite and the
// existing checks named here); a normal run leaves that suite out.
inline constexpr wchar_t kHighDpiChildSwitch[] = L"--high-dpi-child";
inline constexpr char kHighDpiChildFilter[] =
    "HighDpiChild*:ThemeTest.*:PageHostViewTest.ChildrenHaveTheirIdsAndTheLayoutsRectangles:"
    "PopupWindowTest.SlidesUpOutOfTheWorkAreasCornerToFullSizeWithoutTakingTheFocus:"
    "PopupWindowTest.ClicksReportTheElementUnderPressAndRelease:"
    "PopupPictureTest.TheFreedLineKeepsBelowTheMessageInsideThePanelWhateverTheFont:"
    "LanguageTest.EveryTextOfThePseudoLanguageIsFromTheCatalogueAndShownWhole";

}  // namespace qmo::testing
