#include <gtest/gtest.h>

#include "framework/dpi_scale.h"

namespace qmo {
namespace {

TEST(DpiScale, RoundsToTheNearestPixelAtTheCommonScales) {
    struct Case { int pixels; unsigned dpi; int expected; };
    for (const Case& c : {Case{70, 120, 88},    // 87.5 rounds up
                          Case{235, 120, 294},  // 293.75
                          Case{1, 120, 1},      // 1.25
                          Case{2, 120, 3},      // 2.5: halves go up
                          Case{-2, 120, -3},    // ... and mirror below zero
                          Case{235, 144, 353},  // 352.5
                          Case{270, 144, 405}, Case{128, 144, 192}, Case{20, 192, 40}, Case{0, 192, 0},
                          Case{80, 96, 80}, Case{80, 0, 80}}) {
        EXPECT_EQ(ScaleForDpi(c.pixels, c.dpi), c.expected) << c.pixels << " at " << c.dpi;
    }
    // Large sizes do not overflow on the way.
    EXPECT_EQ(ScaleForDpi(30'000'000, 192), 60'000'000);
}

TEST(DpiScale, LinesStayVisibleAndNeighboursStillTouch) {
    EXPECT_EQ(ScaleLineForDpi(1, 72), 1);
    EXPECT_EQ(ScaleLineForDpi(0, 144), 0);
    EXPECT_EQ(ScaleLineForDpi(1, 144), 2);  // 1.5
    const Rect left = ScaleForDpi(Rect{0, 0, 235, 70}, 120);
    const Rect right = ScaleForDpi(Rect{235, 0, 1280, 70}, 120);
    EXPECT_EQ(left.right, right.left);
}

TEST(DpiScale, ArtIsTakenFromTheNearestLargerDrawing) {
    EXPECT_EQ(ArtDpiFor(72), 96u);
    EXPECT_EQ(ArtDpiFor(96), 96u);
    EXPECT_EQ(ArtDpiFor(120), 144u);
    EXPECT_EQ(ArtDpiFor(144), 144u);
    EXPECT_EQ(ArtDpiFor(168), 192u);
    EXPECT_EQ(ArtDpiFor(288), 192u);
}

}  // namespace
}  // namespace qmo
