#include <gtest/gtest.h>

#include "toolkit/anchor_layout.h"

namespace qmo {
namespace {

bool Same(const Rect& a, const Rect& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

TEST(AnchorLayout, EachEdgeFollowsItsShareOfTheChange) {
    const Rect button{650, 450, 840, 500};
    EXPECT_TRUE(Same(AnchoredRect(button, kAnchorBottomRight, 100, 40), Rect{750, 490, 940, 540}));
    EXPECT_TRUE(Same(AnchoredRect(button, kAnchorFixed, 100, 40), button));
    const Rect list{10, 40, 670, 380};
    EXPECT_TRUE(Same(AnchoredRect(list, kAnchorStretchBoth, 100, 40), Rect{10, 40, 770, 420}));
    EXPECT_TRUE(Same(AnchoredRect(list, kAnchorStretchWidth, 100, 40), Rect{10, 40, 770, 380}));
    EXPECT_TRUE(Same(AnchoredRect(list, kAnchorMoveDown, 100, 40), Rect{10, 80, 670, 420}));
}

TEST(AnchorLayout, ShrinkingBelowTheOriginalNeverTurnsAControlInsideOut) {
    const Rect line{100, 20, 400, 21};
    const Rect shrunk = AnchoredRect(line, kAnchorStretchWidth, -500, -500);
    EXPECT_EQ(shrunk.left, 100);
    EXPECT_EQ(shrunk.Width(), 0);
    EXPECT_EQ(shrunk.Height(), 1);
    const Rect list = AnchoredRect(Rect{10, 40, 670, 380}, kAnchorStretchBoth, -1000, -1000);
    EXPECT_GE(list.Width(), 0);
    EXPECT_GE(list.Height(), 0);
}

}  // namespace
}  // namespace qmo
