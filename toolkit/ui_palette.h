#pragma once
// The toolkit's colours: a light or a dark flat scheme of our own, or the
// system's colours when the user runs a high-contrast theme, which wins.
#include <windows.h>

#include <optional>

#include "toolkit/theme_colors.h"

namespace qmo {

using UiPalette = ColorScheme<COLORREF>;

bool IsHighContrast();
// A test seam: Wine cannot switch the system's high-contrast mode on
// (SPI_SETHIGHCONTRAST fails there), so the Windows tests set the answer of
// IsHighContrast here; nullopt asks the system again. Not for the program.
void OverrideHighContrastForTesting(std::optional<bool> on) noexcept;
// The program's choice of scheme, for the whole process: the owner of the
// windows decides and tells every window to paint again.
void UseDarkColors(bool dark) noexcept;
// Dark colours chosen and no high contrast.
bool DarkColorsInUse();
// Read afresh: call again after WM_SETTINGCHANGE / WM_SYSCOLORCHANGE.
UiPalette CurrentPalette();
// Black or white, whichever reads better on `background`.
COLORREF ContrastingText(COLORREF background) noexcept;

}  // namespace qmo
