#pragma once
// The two schemes of the window's own colours, light and dark, and how well
// one colour reads on another. Portable: the Win32 palette is made from these.
#include <string>

#include "framework/geometry.h"

namespace qmo {

// One scheme, in the portable colour or in the system's colour type.
template <class C>
struct ColorScheme {
    C window;     // page and card faces
    C canvas;     // behind cards
    C border;     // card and button outlines
    C separator;  // hairlines inside a card
    C text;
    C mutedText;
    C disabledText;
    C accent;  // links, the selected tab's bar, focus
    C accentPressed;
    C accentText;  // text on an accent fill
    C control;     // button face
    C controlHot;
    C controlPressed;
};
using ThemeColors = ColorScheme<Color>;

// The same scheme with each colour put through `convert`.
template <class To, class From, class Convert>
ColorScheme<To> ConvertScheme(const ColorScheme<From>& scheme, Convert convert) {
    return {convert(scheme.window),     convert(scheme.canvas),       convert(scheme.border),
            convert(scheme.separator),  convert(scheme.text),         convert(scheme.mutedText),
            convert(scheme.disabledText), convert(scheme.accent),     convert(scheme.accentPressed),
            convert(scheme.accentText), convert(scheme.control),      convert(scheme.controlHot),
            convert(scheme.controlPressed)};
}

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
