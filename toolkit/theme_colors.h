#pragma once
// The two schemes of the window's own colours, light and dark, and how well
// one colour reads on another. Portable: the Win32 palette is made from these.
#include <string>

#include "framework/geometry.h"

namespace qmo {

struct ThemeColors {
    Color window;     // page and card faces
    Color canvas;     // behind cards
    Color border;     // card and button outlines
    Color separator;  // hairlines inside a card
    Color text;
    Color mutedText;
    Color disabledText;
    Color accent;  // links, the selected tab's bar, focus
    Color accentPressed;
    Color accentText;  // text on an accent fill
    Color control;     // button face
    Color controlHot;
    Color controlPressed;
};

const ThemeColors& LightThemeColors() noexcept;
const ThemeColors& DarkThemeColors() noexcept;

// The contrast ratio of two colours as the web's accessibility guidelines
// measure it: 1 (the same) to 21 (black on white).
double ContrastRatio(Color a, Color b) noexcept;

// How full the figure in the notification area is against the critical limit.
enum class TrayLevel { Normal, Near, AtLimit };
// At or above the limit; above 80 % of it; else normal.
TrayLevel TrayLevelFor(int percent, int criticalLimit) noexcept;
// The figure as the icon shows it: at most two digits, "99+" for 100 and
// more, 0 for less than nothing.
std::string TrayNumberText(int percent);

struct TrayNumberColors {
    Color fill;
    Color text;
};
// A filled tile reads the same on a light and a dark taskbar.
TrayNumberColors TrayNumberColorsFor(TrayLevel level) noexcept;

}  // namespace qmo
