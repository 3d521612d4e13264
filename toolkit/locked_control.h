#pragma once
// A control whose value someone else sets (an organisation's policy): shown
// disabled, with a short note beside it that says why. The note is a static
// text of the same parent and font, on the control's row to its right where
// there is room, else just below it; a screen reader reads it with the page.
#include <windows.h>

#include <string>

namespace qmo {

// Ids of the notes: the control's id plus this.
inline constexpr int kLockedNoteIdOffset = 0x4000;

// Locks `control` with `note` beside it (none when empty), or gives it back
// (enabled, no note).
void ShowLocked(HWND control, bool locked, const std::wstring& note);
// The note beside a locked control; null when it is not locked.
HWND LockedNoteOf(HWND control);

}  // namespace qmo
