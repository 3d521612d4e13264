#pragma once
// What the notification area's icon and the window's colours follow: the
// settings, the monitor's figures and Windows' own choice for apps.
#include <optional>
#include <string>

#include "config/optimizer_settings.h"

namespace qmo {

// The figure the icon shows, 0 to 100; nothing for the animation, or while
// the figure is not known.
std::optional<int> TrayFigure(TrayIconShows shows, std::optional<int> committedPercent,
                              std::optional<int> inUsePercent) noexcept;

// The tray tip's line with the figure the icon does not show; empty with the
// animation, or when that figure is not known.
std::string TrayOtherFigureLine(TrayIconShows shows, std::optional<int> committedPercent,
                                std::optional<int> inUsePercent);

// Dark colours: chosen, or following a Windows that asks apps for dark
// (`appsUseLightTheme` false; nothing where Windows has no such setting).
// High contrast always wins: then the system's colours, never ours.
bool DarkThemeWanted(ThemeChoice choice, std::optional<bool> appsUseLightTheme, bool highContrast) noexcept;

}  // namespace qmo
