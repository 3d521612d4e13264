#include <gtest/gtest.h>

#include "perf/gauge_and_graph.h"
#include "shell/appearance.h"
#include "toolkit/theme_colors.h"

namespace qmo {
namespace {

void ExpectReadable(Color text, Color background, const char* what) {
    EXPECT_GE(ContrastRatio(text, background), 4.5) << what;
}

TEST(ThemeColors, ContrastIsMeasuredAsTheGuidelinesDo) {
    EXPECT_NEAR(ContrastRatio({0, 0, 0}, {255, 255, 255}), 21.0, 1e-9);
    EXPECT_NEAR(ContrastRatio({255, 255, 255}, {0, 0, 0}), 21.0, 1e-9);
    EXPECT_NEAR(ContrastRatio({119, 119, 119}, {255, 255, 255}), 4.48, 0.01);
    EXPECT_NEAR(ContrastRatio({0, 95, 184}, {0, 95, 184}), 1.0, 1e-9);
}

// Every text of both schemes on every face it is drawn on.
TEST(ThemeColors, EveryTextReadsOnEveryFaceInBothSchemes) {
    for (const ThemeColors* colors : {&LightThemeColors(), &DarkThemeColors()}) {
        for (Color face : {colors->window, colors->canvas, colors->control, colors->controlHot, colors->controlPressed}) {
            ExpectReadable(colors->text, face, "text");
            ExpectReadable(colors->mutedText, face, "muted text");
        }
        for (Color face : {colors->window, colors->canvas})
            ExpectReadable(colors->accent, face, "link");
        ExpectReadable(colors->accentText, colors->accent, "text on the accent");
        ExpectReadable(colors->accentText, colors->accentPressed, "text on the pressed accent");
    }
    const PerfColors& dark = kDarkPerfColors;
    for (Color face : {dark.surface, dark.gaugeTop, dark.gaugeBottom, dark.graphTop, dark.graphBottom}) {
        ExpectReadable(dark.labelText, face, "label");
        ExpectReadable(dark.valueText, face, "figure");
    }
}

TEST(TrayNumber, LevelFollowsTheLimitAndItsFourFifths) {
    struct Case {
        int percent;
        int limit;
        TrayLevel level;
    };
    for (const Case& c : {Case{0, 80, TrayLevel::Normal}, Case{64, 80, TrayLevel::Normal}, Case{65, 80, TrayLevel::Near},
                          Case{79, 80, TrayLevel::Near}, Case{80, 80, TrayLevel::AtLimit},
                          Case{100, 80, TrayLevel::AtLimit}, Case{8, 10, TrayLevel::Normal},
                          Case{9, 10, TrayLevel::Near}, Case{99, 100, TrayLevel::Near},
                          Case{0, 0, TrayLevel::AtLimit}, Case{5, -3, TrayLevel::AtLimit},
                          Case{99, 2147483647, TrayLevel::Normal}})
        EXPECT_EQ(TrayLevelFor(c.percent, c.limit), c.level) << c.percent << " of " << c.limit;
}

TEST(TrayNumber, AtMostTwoDigitsAndEveryLevelReadsOnItsTile) {
    EXPECT_EQ(TrayNumberText(0), "0");
    EXPECT_EQ(TrayNumberText(7), "7");
    EXPECT_EQ(TrayNumberText(99), "99");
    EXPECT_EQ(TrayNumberText(100), "99+");
    EXPECT_EQ(TrayNumberText(250), "99+");
    EXPECT_EQ(TrayNumberText(-4), "0");
    for (TrayLevel level : {TrayLevel::Normal, TrayLevel::Near, TrayLevel::AtLimit}) {
        const TrayNumberColors colors = TrayNumberColorsFor(level);
        ExpectReadable(colors.text, colors.fill, "tray figure");
    }
    EXPECT_NE(TrayNumberColorsFor(TrayLevel::Normal).fill, TrayNumberColorsFor(TrayLevel::AtLimit).fill);
    EXPECT_NE(TrayNumberColorsFor(TrayLevel::Near).fill, TrayNumberColorsFor(TrayLevel::AtLimit).fill);
}

TEST(Theme, TheChoiceOrWindowsDecidesAndHighContrastAlwaysWins) {
    for (std::optional<bool> light : {std::optional<bool>(), std::optional<bool>(true), std::optional<bool>(false)}) {
        EXPECT_TRUE(DarkThemeWanted(ThemeChoice::Dark, light, false));
        EXPECT_FALSE(DarkThemeWanted(ThemeChoice::Light, light, false));
        for (ThemeChoice choice : {ThemeChoice::FollowWindows, ThemeChoice::Light, ThemeChoice::Dark})
            EXPECT_FALSE(DarkThemeWanted(choice, light, true));
    }
    EXPECT_TRUE(DarkThemeWanted(ThemeChoice::FollowWindows, false, false));
    EXPECT_FALSE(DarkThemeWanted(ThemeChoice::FollowWindows, true, false));
    EXPECT_FALSE(DarkThemeWanted(ThemeChoice::FollowWindows, std::nullopt, false)) << "no such setting: light";
}

}  // namespace
}  // namespace qmo
