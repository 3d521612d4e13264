#include "toolkit/theme_colors.h"

#include <algorithm>
#include <cmath>

namespace qmo {
namespace {

constexpr ThemeColors kLight{
    .window{255, 255, 255},
    .canvas{243, 243, 243},
    .border{224, 224, 224},
    .separator{235, 235, 235},
    .text{27, 27, 27},
    .mutedText{96, 96, 96},
    .disabledText{160, 160, 160},
    .accent{0, 95, 184},
    .accentPressed{0, 62, 146},
    .accentText{255, 255, 255},
    .control{251, 251, 251},
    .controlHot{243, 243, 243},
    .controlPressed{234, 234, 234},
};

constexpr ThemeColors kDark{
    .window{39, 39, 39},
    .canvas{32, 32, 32},
    .border{78, 78, 78},
    .separator{58, 58, 58},
    .text{242, 242, 242},
    .mutedText{190, 190, 190},
    .disabledText{120, 120, 120},
    .accent{96, 205, 255},
    .accentPressed{66, 160, 215},
    .accentText{0, 0, 0},
    .control{52, 52, 52},
    .controlHot{64, 64, 64},
    .controlPressed{44, 44, 44},
};

double Linear(std::uint8_t channel) noexcept {
    const double value = channel / 255.0;
    return value <= 0.04045 ? value / 12.92 : std::pow((value + 0.055) / 1.055, 2.4);
}

double Luminance(Color color) noexcept {
    return 0.2126 * Linear(color.red) + 0.7152 * Linear(color.green) + 0.0722 * Linear(color.blue);
}

}  // namespace

const ThemeColors& LightThemeColors() noexcept {
    return kLight;
}

const ThemeColors& DarkThemeColors() noexcept {
    return kDark;
}

double ContrastRatio(Color a, Color b) noexcept {
    const double first = Luminance(a);
    const double second = Luminance(b);
    return (std::max(first, second) + 0.05) / (std::min(first, second) + 0.05);
}

TrayLevel TrayLevelFor(int percent, int criticalLimit) noexcept {
    if (percent >= criticalLimit)
        return TrayLevel::AtLimit;
    // Above four fifths of the limit, counted without a fraction.
    if (static_cast<long long>(percent) * 5 > static_cast<long long>(criticalLimit) * 4)
        return TrayLevel::Near;
    return TrayLevel::Normal;
}

std::string TrayNumberText(int percent) {
    if (percent >= 100)
        return "99+";
    return std::to_string(percent < 0 ? 0 : percent);
}

TrayNumberColors TrayNumberColorsFor(TrayLevel level) noexcept {
    switch (level) {
    case TrayLevel::AtLimit:
        return {{196, 43, 28}, {255, 255, 255}};
    case TrayLevel::Near:
        return {{255, 185, 0}, {0, 0, 0}};
    case TrayLevel::Normal:
        break;
    }
    return {{0, 95, 184}, {255, 255, 255}};
}

}  // namespace qmo
