#pragma once
// Menus in the dark colours. Windows draws its menus in its own colours
// whatever the program's, so while the dark colours are in use every item is
// drawn here instead (owner-drawn, its text kept for the keyboard and screen
// readers) on the dark face. In the light colours menus are left to Windows.
#include <windows.h>

namespace qmo {

// Brings `menu` and its submenus in step with the colours in use; call before
// a menu is shown, and for a window's menu bar when the colours change.
void PrepareMenu(HMENU menu);

// The owner's WM_MEASUREITEM or WM_DRAWITEM answered, when it is for a menu
// item drawn here; false for anything else. `owner` is the window the menu
// belongs to; the answer to give the system is TRUE.
bool AnswerMenuItemMessage(HWND owner, UINT message, LPARAM lParam);
bool MeasureMenuItem(HWND owner, MEASUREITEMSTRUCT& item);
bool DrawMenuItem(HWND owner, const DRAWITEMSTRUCT& item);

}  // namespace qmo
