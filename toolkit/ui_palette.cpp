#include "toolkit/ui_palette.h"

namespace qmo {
namespace {

std::optional<bool> g_highContrastOverride;

}  // namespace

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
    UiPalette palette{};
    palette.window = RGB(255, 255, 255);
    palette.canvas = RGB(243, 243, 243);
    palette.border = RGB(224, 224, 224);
    palette.separator = RGB(235, 235, 235);
    palette.text = RGB(27, 27, 27);
    palette.mutedText = RGB(96, 96, 96);
    palette.disabledText = RGB(160, 160, 160);
    palette.accent = RGB(0, 95, 184);
    palette.accentPressed = RGB(0, 62, 146);
    palette.accentText = RGB(255, 255, 255);
    palette.control = RGB(251, 251, 251);
    palette.controlHot = RGB(243, 243, 243);
    palette.controlPressed = RGB(234, 234, 234);
    return palette;
}

COLORREF ContrastingText(COLORREF background) noexcept {
    const int luma = (GetRValue(background) * 299 + GetGValue(background) * 587 + GetBValue(background) * 114) / 1000;
    return luma < 150 ? RGB(255, 255, 255) : RGB(0, 0, 0);
}

}  // namespace qmo
