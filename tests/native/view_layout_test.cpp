#include <gtest/gtest.h>

#include <algorithm>

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

TEST(ViewLayout, At144DpiEveryBandAndColumnIsHalfAgainAsLarge) {
    const ViewLayout layout = LayoutView(1920, 1050, 144);
    EXPECT_EQ(layout.footer, (Box{0, 1020, 1920, 30}));
    EXPECT_EQ(layout.navPanel, (Box{0, 105, 353, 915}));
    EXPECT_EQ(layout.titlePanel, (Box{353, 105, 1567, 120}));
    EXPECT_EQ(layout.pageTabs, (Box{353, 225, 1567, 795}));
}

TEST(ViewLayout, AtEveryDpiTheChildrenTileTheAreaBelowTheBand) {
    for (const unsigned dpi : {96u, 120u, 144u, 168u, 192u, 288u}) {
        for (auto [cx, cy] : {std::pair{1280, 800}, {1001, 777}, {300, 200}, {50, 20}}) {
            const ViewLayout layout = LayoutView(cx, cy, dpi);
            const auto bottom = [](const Box& box) { return box.y + box.height; };
            EXPECT_EQ(layout.navPanel.y, layout.titlePanel.y) << dpi;
            EXPECT_EQ(layout.navPanel.x + layout.navPanel.width, std::min(layout.titlePanel.x, cx)) << dpi;
            EXPECT_EQ(layout.pageTabs.x, layout.titlePanel.x) << dpi;
            if (layout.pageTabs.height > 0) {
                EXPECT_EQ(layout.pageTabs.y, bottom(layout.titlePanel)) << dpi << " " << cx << "x" << cy;
                EXPECT_EQ(bottom(layout.pageTabs), layout.footer.y) << dpi << " " << cx << "x" << cy;
            }
            if (layout.navPanel.height > 0) {
                EXPECT_EQ(bottom(layout.navPanel), layout.footer.y) << dpi << " " << cx << "x" << cy;
            }
            EXPECT_EQ(bottom(layout.footer), cy);
            for (const Box& box : {layout.footer, layout.navPanel, layout.titlePanel, layout.pageTabs})
                EXPECT_TRUE(box.width >= 0 && box.height >= 0) << dpi << " " << cx << "x" << cy;
        }
    }
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

TEST(BannerPlacement, At144DpiTheEndsAndTheBandGrowAndStillMeet) {
    const BannerPlacement wide = PlaceBanner(1920, 144);
    EXPECT_EQ(wide.left.target, (Box{0, 0, 648, 104}));
    EXPECT_EQ(wide.right.target, (Box{1348, 0, 572, 104}));
    EXPECT_EQ(wide.middle.target, (Box{648, 0, 700, 104}));

    // Too narrow for both ends at 144 DPI though wide enough at 96: the logo end is clipped, not overlapped.
    const BannerPlacement narrow = PlaceBanner(1000, 144);
    EXPECT_FALSE(narrow.middle.draw);
    EXPECT_EQ(narrow.right.target, (Box{648, 0, 352, 104}));
    EXPECT_EQ(narrow.right.sourceX + narrow.right.sourceWidth, 572);
}

}  // namespace
}  // namespace qmo
