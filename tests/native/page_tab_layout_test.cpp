#include <gtest/gtest.h>

#include <vector>

#include "toolkit/page_tab_layout.h"

namespace qmo {
namespace {

TabStripMetrics TestMetrics() {
    TabStripMetrics metrics;
    metrics.stripHeight = 30;
    metrics.stripInset = 5;
    metrics.tabGap = 2;
    metrics.paddingX = 10;
    metrics.iconSize = 16;
    metrics.iconGap = 4;
    return metrics;
}

TEST(PageTabLayoutTest, TabsSitSideBySideAtTheirNaturalWidthAndThePageFillsTheRest) {
    const TabStripLayout layout =
        LayoutTabStrip(UiSize{600, 400}, {TabLabel{100, true}, TabLabel{60, false}}, TestMetrics());

    EXPECT_EQ(layout.strip, (Rect{0, 0, 600, 30}));
    EXPECT_EQ(layout.page, (Rect{0, 30, 600, 400}));
    ASSERT_EQ(layout.tabs.size(), 2u);
    EXPECT_EQ(layout.tabs[0].rect, (Rect{5, 0, 5 + 10 + 16 + 4 + 100 + 10, 30}));
    EXPECT_EQ(layout.tabs[0].icon, (Rect{15, 7, 31, 23})) << "centred in the strip";
    EXPECT_EQ(layout.tabs[0].caption, (Rect{35, 0, 135, 30}));
    EXPECT_EQ(layout.tabs[1].rect.left, layout.tabs[0].rect.right + 2);
    EXPECT_TRUE(layout.tabs[1].icon.IsEmpty());
    EXPECT_EQ(layout.tabs[1].caption.left, layout.tabs[1].rect.left + 10);
    EXPECT_EQ(layout.tabs[1].caption.Width(), 60);
}

TEST(PageTabLayoutTest, At144DpiTheStripAndItsTabsGrowHalfAgainSoTheCaptionsFitAsBefore) {
    const TabStripMetrics design = TabStripMetricsFor(kDesignDpi);
    const TabStripMetrics large = TabStripMetricsFor(144);
    EXPECT_EQ(large.stripHeight * 2, design.stripHeight * 3);
    EXPECT_EQ(large.iconSize * 2, design.iconSize * 3);
    // Captions measured with the font of each DPI, in a client sized for it.
    const std::vector<TabLabel> small{{200, true}, {180, true}, {60, true}};
    const std::vector<TabLabel> scaled{{300, true}, {270, true}, {90, true}};
    const TabStripLayout at96 = LayoutTabStrip(UiSize{700, 400}, small, design);
    const TabStripLayout at144 = LayoutTabStrip(UiSize{1050, 600}, scaled, large);
    ASSERT_EQ(at144.tabs.size(), 3u);
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(at144.tabs[i].caption.Width(), scaled[i].captionWidth) << "not squeezed";
        EXPECT_NEAR(at144.tabs[i].rect.right, at96.tabs[i].rect.right * 3 / 2, 2) << i;
        EXPECT_EQ(at144.tabs[i].icon.Height(), large.iconSize);
    }
    EXPECT_EQ(at144.page.top, large.stripHeight);
}

TEST(PageTabLayoutTest, SqueezedCaptionsShrinkInProportionWhileIconsKeepTheirSize) {
    const std::vector<TabLabel> labels{{200, true}, {100, true}};
    const TabStripLayout layout = LayoutTabStrip(UiSize{250, 100}, labels, TestMetrics());

    // 250 less inset, gap, padding and icons leaves 250 - 10 - 2 - 40 - 40 = 158 for 300 of captions.
    EXPECT_EQ(layout.tabs[0].caption.Width(), 200 * 158 / 300);
    EXPECT_EQ(layout.tabs[1].caption.Width(), 100 * 158 / 300);
    EXPECT_EQ(layout.tabs[0].icon.Width(), 16);
    EXPECT_LE(layout.tabs[1].rect.right, 250 - 5);
    EXPECT_GT(layout.tabs[1].rect.left, layout.tabs[0].rect.right);
}

TEST(PageTabLayoutTest, TinyAndZeroClientsGiveNoNegativeSizes) {
    const std::vector<TabLabel> labels{{80, true}, {0, false}, {-5, true}};
    for (const UiSize client : {UiSize{0, 0}, UiSize{-10, -10}, UiSize{12, 20}, UiSize{60, 31}}) {
        const TabStripLayout layout = LayoutTabStrip(client, labels, TestMetrics());
        EXPECT_GE(layout.strip.Height(), 0);
        EXPECT_LE(layout.strip.bottom, std::max(client.cy, 0));
        EXPECT_GE(layout.page.Height(), 0) << client.cx << "x" << client.cy;
        EXPECT_GE(layout.page.Width(), 0);
        for (const TabStripLayout::Tab& tab : layout.tabs) {
            EXPECT_GE(tab.caption.Width(), 0);
            EXPECT_GE(tab.rect.Width(), 0);
            EXPECT_LE(tab.rect.bottom, layout.strip.bottom);
        }
    }
    EXPECT_TRUE(LayoutTabStrip(UiSize{300, 200}, {}, TestMetrics()).tabs.empty());
}

TEST(PageTabLayoutTest, OnlyATabItselfIsHitNotTheGapsOrThePage) {
    const TabStripLayout layout =
        LayoutTabStrip(UiSize{600, 400}, {TabLabel{50, false}, TabLabel{50, false}}, TestMetrics());
    const Rect first = layout.tabs[0].rect;

    EXPECT_EQ(HitTestTab(layout, first.left, 0), 0);
    EXPECT_EQ(HitTestTab(layout, first.right - 1, 29), 0);
    EXPECT_EQ(HitTestTab(layout, first.right, 10), -1) << "the gap";
    EXPECT_EQ(HitTestTab(layout, first.right + 2, 10), 1);
    EXPECT_EQ(HitTestTab(layout, first.left + 5, 30), -1) << "the page";
    EXPECT_EQ(HitTestTab(layout, 2, 10), -1) << "before the first tab";
}

TEST(TabSelectionTest, TheFirstTabInsertedIsSelectedAndLaterOnesLeaveTheSelectionOnItsPage) {
    TabSelection selection;
    EXPECT_EQ(selection.Selected(), -1);
    EXPECT_EQ(selection.Neighbour(1), -1);

    const TabSelection::Insertion first = selection.Insert(0);
    EXPECT_EQ(first.index, 0);
    EXPECT_TRUE(first.selectsIt);
    EXPECT_EQ(selection.Selected(), 0);

    EXPECT_FALSE(selection.Insert(1).selectsIt);
    EXPECT_EQ(selection.Selected(), 0);
    const TabSelection::Insertion before = selection.Insert(0);
    EXPECT_EQ(before.index, 0);
    EXPECT_FALSE(before.selectsIt);
    EXPECT_EQ(selection.Selected(), 1) << "still the first page, now one place further";
    EXPECT_EQ(selection.Insert(-1).index, -1);
    EXPECT_EQ(selection.Insert(9).index, 3) << "past the end appends";
    EXPECT_EQ(selection.Count(), 4);
}

TEST(TabSelectionTest, OnlyAnotherTabInRangeIsSelectedAndStepsAreHeldAtTheEnds) {
    TabSelection selection;
    EXPECT_FALSE(selection.Select(0));
    for (int i = 0; i < 3; ++i)
        selection.Insert(i);
    EXPECT_FALSE(selection.Select(0)) << "already selected";
    EXPECT_FALSE(selection.Select(3));
    EXPECT_FALSE(selection.Select(-1));
    EXPECT_EQ(selection.Selected(), 0);
    EXPECT_EQ(selection.Neighbour(1), 1);
    EXPECT_EQ(selection.Neighbour(-1), 0);
    EXPECT_EQ(selection.Neighbour(99), 2);
    selection.Select(2);
    EXPECT_EQ(selection.Neighbour(1), 2);
    EXPECT_EQ(selection.Neighbour(-3), 0);
}

}  // namespace
}  // namespace qmo
