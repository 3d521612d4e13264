#include <gtest/gtest.h>

#include "toolkit/button_layout.h"

namespace qmo {
namespace {

constexpr int kPadding = 10;
constexpr int kGap = 6;

TEST(ButtonLayoutTest, PictureIconAndCaptionAreCentredTogetherInThatOrder) {
    const Rect face{0, 0, 200, 52};
    const ButtonContentLayout layout =
        LayoutButtonContent(face, ButtonContent{{41, 25}, {16, 16}, {80, 14}}, kPadding, kGap);

    const int total = 41 + kGap + 16 + kGap + 80;
    EXPECT_EQ(layout.image, (Rect{(200 - total) / 2, 13, (200 - total) / 2 + 41, 38}));
    EXPECT_EQ(layout.icon.left, layout.image.right + kGap);
    EXPECT_EQ(layout.icon.top, 18);
    EXPECT_EQ(layout.caption.left, layout.icon.right + kGap);
    EXPECT_EQ(layout.caption.Width(), 80);
    EXPECT_NEAR(face.right - layout.caption.right, layout.image.left - face.left, 1) << "equal room either side";
}

TEST(ButtonLayoutTest, WhatIsNotShownTakesNoRoomNorGap) {
    const ButtonContentLayout captionOnly =
        LayoutButtonContent(Rect{10, 0, 110, 20}, ButtonContent{{}, {}, {40, 14}}, kPadding, kGap);
    EXPECT_EQ(captionOnly.caption, (Rect{40, 3, 80, 17}));
    EXPECT_TRUE(captionOnly.image.IsEmpty() && captionOnly.icon.IsEmpty());

    const ButtonContentLayout iconOnly =
        LayoutButtonContent(Rect{0, 0, 36, 36}, ButtonContent{{}, {16, 16}, {}}, kPadding, kGap);
    EXPECT_EQ(iconOnly.icon, (Rect{10, 10, 26, 26}));
}

TEST(ButtonLayoutTest, ANarrowFaceCutsTheCaptionFirstAndNeverBelowNothing) {
    const ButtonContent content{{}, {16, 16}, {200, 14}};
    const ButtonContentLayout narrow = LayoutButtonContent(Rect{0, 0, 100, 24}, content, kPadding, kGap);
    EXPECT_EQ(narrow.icon.left, kPadding);
    EXPECT_EQ(narrow.caption.Width(), 100 - 2 * kPadding - 16 - kGap);
    EXPECT_EQ(narrow.caption.right, 100 - kPadding);

    const ButtonContentLayout tiny = LayoutButtonContent(Rect{0, 0, 20, 24}, content, kPadding, kGap);
    EXPECT_TRUE(tiny.caption.IsEmpty());
    EXPECT_EQ(tiny.icon.Width(), 16) << "pictures keep their size";

    for (const Rect face : {Rect{0, 0, 0, 0}, Rect{5, 5, 5, 5}, Rect{0, 0, 3, 2}}) {
        const ButtonContentLayout none =
            LayoutButtonContent(face, ButtonContent{{41, 25}, {16, 16}, {90, 14}}, kPadding, kGap);
        EXPECT_GE(none.caption.Width(), 0);
        EXPECT_GE(none.caption.Height(), 0);
        EXPECT_EQ(none.image.Width(), 41);
    }
}

}  // namespace
}  // namespace qmo
