#include "toolkit/ui_palette.h"

#include "toolkit/ui_paint.h"

namespace qmo {
namespace {

std::optional<bool> g_highContrastOverride;
bool g_dark = false;

}  // namespace

void UseDarkColors(bool dark) noexcept {
    g_dark = dark;
}

bool DarkColorsInUse() {
    return g_dark && !IsHighContrast();
}

void OverrideHighContrastForTesting(std::optional<bool> on) noexcept {
    g_highContrastOverride = on;
}

bool IsHighContrast() {
    if (g_highContrastOverride)
        return *g_highContrastOverride;
    HIGHCONTRASTW contrast{};
    contrast.cbSize = sizeof(contrast);
    return ::SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof(contrast), &contrast, 0) &&
           (contrast.dwFlags & HCF_HIGHCONTRASTON);
}

UiPalette CurrentPalette() {
    if (IsHighContrast()) {
        const COLORREF window = ::GetSysColor(COLOR_WINDOW);
        const COLORREF text = ::GetSysColor(COLOR_WINDOWTEXT);
        const COLORREF face = ::GetSysColor(COLOR_BTNFACE);
        return UiPalette{window,
                         window,
                         text,
                         text,
                         text,
                         text,
                         ::GetSysColor(COLOR_GRAYTEXT),
                         ::GetSysColor(COLOR_HOTLIGHT),
                         ::GetSysColor(COLOR_HIGHLIGHT),
                         ::GetSysColor(COLOR_HIGHLIGHTTEXT),
                         face,
                         face,
                         ::GetSysColor(COLOR_HIGHLIGHT)};
    }
    return ConvertScheme<COLORREF>(g_dark ? DarkThemeColors() : LightThemeColors(), ToColorRef);
}

COLORREF ContrastingText(COLORREF background) noexcept {
    const int luma = (GetRValue(background) * 299 + GetGValue(background) * 587 + GetBValue(background) * 114) / 1000;
    return luma < 150 ? RGB(255, 255, 255) : RGB(0, 0, 0);
}

}  // namespace qmo
