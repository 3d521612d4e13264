#include "shell/appearance.h"

#include "framework/format_decimal.h"
#include "framework/texts.h"
#include "res/resource.h"

namespace qmo {

std::optional<int> TrayFigure(TrayIconShows shows, std::optional<int> committedPercent,
                              std::optional<int> inUsePercent) noexcept {
    switch (shows) {
    case TrayIconShows::MemoryInUse:
        return inUsePercent;
    case TrayIconShows::CommittedMemory:
        return committedPercent;
    case TrayIconShows::Animation:
        break;
    }
    return std::nullopt;
}

std::string TrayOtherFigureLine(TrayIconShows shows, std::optional<int> committedPercent,
                                std::optional<int> inUsePercent) {
    if (shows == TrayIconShows::MemoryInUse && committedPercent)
        return FormatText(IDS_TRAY_COMMITTED_LINE, {FormatSignedDecimal(*committedPercent)});
    if (shows == TrayIconShows::CommittedMemory && inUsePercent)
        return FormatText(IDS_TRAY_IN_USE_LINE, {FormatSignedDecimal(*inUsePercent)});
    return std::string();
}

bool DarkThemeWanted(ThemeChoice choice, std::optional<bool> appsUseLightTheme, bool highContrast) noexcept {
    if (highContrast)
        return false;
    switch (choice) {
    case ThemeChoice::Dark:
        return true;
    case ThemeChoice::Light:
        return false;
    case ThemeChoice::FollowWindows:
        break;
    }
    return appsUseLightTheme.has_value() && !*appsUseLightTheme;
}

}  // namespace qmo
