#include <gtest/gtest.h>

#include "shell/view_layout.h"

namespace qmo {
namespace {

TEST(ViewLayout, ChildrenCoverTheClientAreaBelowTheBanner) {
    const ViewLayout layout = LayoutView(1280, 700);
    EXPECT_EQ(layout.footer, (Box{0, 680, 1280, 20}));
    EXPECT_EQ(layout.navPanel, (Box{0, 70, 235, 610}));
    EXPECT_EQ(layout.titlePanel, (Box{235, 70, 1045, 80}));
    EXPECT_EQ(layout.pageTabs, (Box{235, 150, 1045, 530}));
    // Nothing overlaps the footer and the right-hand column meets it exactly.
    EXPECT_EQ(layout.pageTabs.y + layout.pageTabs.height, layout.footer.y);
    EXPECT_EQ(layout.navPanel.y + layout.navPanel.height, layout.footer.y);
}

TEST(ViewLayout, ResizingChangesOnlyTheRightColumnsWidthAndTheHeights) {
    const ViewLayout small = LayoutView(900, 400);
    const ViewLayout large = LayoutView(1600, 1000);
    EXPECT_EQ(small.navPanel.width, large.navPanel.width);
    EXPECT_EQ(small.titlePanel.height, large.titlePanel.height);
    EXPECT_EQ(small.footer.height, large.footer.height);
    EXPECT_EQ(large.titlePanel.width - small.titlePanel.width, 700);
}

TEST(ViewLayout, TinyAreasGiveNoNegativeSizes) {
    for (auto [cx, cy] : {std::pair{0, 0}, {100, 50}, {234, 89}, {236, 169}, {-5, -5}, {1, 171}}) {
        const ViewLayout layout = LayoutView(cx, cy);
        for (const Box& box : {layout.footer, layout.navPanel, layout.titlePanel, layout.pageTabs}) {
            EXPECT_GE(box.width, 0) << cx << "x" << cy;
            EXPECT_GE(box.height, 0) << cx << "x" << cy;
        }
        EXPECT_GE(layout.footer.y, 0);
    }
    EXPECT_EQ(LayoutView(100, 80).navPanel.height, 0);
    EXPECT_EQ(LayoutView(100, 160).pageTabs.height, 0);
    EXPECT_EQ(LayoutView(100, 10).footer, (Box{0, 0, 100, 10}));
}

TEST(BannerPlacement, WideBandStretchesTheMiddleBetweenTheEnds) {
    const BannerPlacement banner = PlaceBanner(1280);
    EXPECT_EQ(banner.left.target, (Box{0, 0, 432, 69}));
    EXPECT_EQ(banner.right.target, (Box{899, 0, 381, 69}));
    EXPECT_EQ(banner.middle.target, (Box{432, 0, 467, 69}));
    EXPECT_TRUE(banner.left.draw && banner.middle.draw && banner.right.draw);
    EXPECT_EQ(banner.middle.sourceWidth, 111);
}

TEST(BannerPlacement, ExactlyBothEndsLeavesNoMiddle) {
    const BannerPlacement banner = PlaceBanner(813);
    EXPECT_FALSE(banner.middle.draw);
    EXPECT_EQ(banner.right.target.x, 432);
}

TEST(BannerPlacement, NarrowBandClipsTheLeftAndShowsTheLogoEndWithoutOverlap) {
    const BannerPlacement banner = PlaceBanner(600);
    EXPECT_EQ(banner.left.target, (Box{0, 0, 432, 69}));
    EXPECT_FALSE(banner.middle.draw);
    ASSERT_TRUE(banner.right.draw);
    EXPECT_EQ(banner.right.target, (Box{432, 0, 168, 69}));
    EXPECT_EQ(banner.right.sourceX, 381 - 168);  // its last columns, where the logo is
    EXPECT_EQ(banner.right.sourceX + banner.right.sourceWidth, 381);

    const BannerPlacement tiny = PlaceBanner(300);
    EXPECT_EQ(tiny.left.target.width, 300);
    EXPECT_EQ(tiny.left.sourceWidth, 300);
    EXPECT_FALSE(tiny.right.draw);
    EXPECT_FALSE(PlaceBanner(0).left.draw);
}

}  // namespace
}  // namespace qmo
