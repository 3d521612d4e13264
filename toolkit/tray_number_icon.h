#pragma once
// The notification area's number: a figure on a coloured tile, drawn for the
// size the taskbar shows small icons at.
#include <windows.h>

#include <string>

#include "framework/unique_handle.h"
#include "toolkit/theme_colors.h"

namespace qmo {

// What one drawing of the number depends on; a new icon is made only when it changes.
struct TrayNumberLook {
    std::string text;
    TrayLevel level = TrayLevel::Normal;
    int size = 16;  // pixels, square
    bool highContrast = false;
    friend bool operator==(const TrayNumberLook&, const TrayNumberLook&) = default;
};

// The small-icon size of the taskbar's monitor.
int TrayIconSize() noexcept;

// The icon, with an alpha channel: the tile's rounded corners are clear.
// Null when the system gives no bitmap.
unique_icon MakeTrayNumberIcon(const TrayNumberLook& look);

}  // namespace qmo
