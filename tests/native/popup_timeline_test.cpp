#include <gtest/gtest.h>

#include <vector>

#include "toolkit/popup/popup_timeline.h"

namespace qmo {
namespace {

using States = std::vector<PopupState>;
using Ms = PopupTimeline::Milliseconds;
constexpr int kFull = 128;
constexpr PopupState kExpanding = PopupState::Expanding, kShown = PopupState::Shown,
                     kCollapsing = PopupState::Collapsing, kClosed = PopupState::Closed;

// The notifications' timing, a fake clock and a record of the reports.
class PopupTimelineTest : public ::testing::Test {
protected:
    PopupTimelineTest() {
        timeline.SetStateListener([this](PopupState state) {
            states.push_back(state);
            heights.push_back(timeline.Height());
        });
    }
    const Ms step = 16, slide = 31 * 16, display = 3000;
    PopupTimeline timeline{kFull};
    States states;
    std::vector<int> heights;  // at each report
};

TEST_F(PopupTimelineTest, SlidesInThirtyOneEvenStepsStaysThenSlidesOutThroughTheSameHeights) {
    timeline.Start(1000);
    std::vector<int> up{timeline.Height()};
    for (Ms t = 1000 + step; timeline.State() == kExpanding; t += step) {
        ASSERT_LT(up.size(), 100u);
        timeline.AdvanceTo(t - 1);
        EXPECT_EQ(timeline.Height(), up.back()) << "moved before its step was due";
        timeline.AdvanceTo(t);
        const int growth = timeline.Height() - up.back();
        EXPECT_TRUE(growth == kFull / 31 || growth == kFull / 31 + 1) << growth;  // no stalls, no jumps
        up.push_back(timeline.Height());
    }
    EXPECT_EQ(up.size(), 32u) << "31 steps";
    timeline.AdvanceTo(1000 + slide + display - 1);
    EXPECT_EQ(timeline.State(), kShown);

    std::vector<int> down;
    for (Ms t = 1000 + slide + display; timeline.State() != kClosed; t += step) {
        ASSERT_LT(down.size(), 100u);
        timeline.AdvanceTo(t);
        down.push_back(timeline.Height());
    }
    EXPECT_EQ(down, std::vector<int>(up.rbegin(), up.rend()));
    EXPECT_EQ(states, (States{kExpanding, kShown, kCollapsing, kClosed}));
    EXPECT_EQ(heights, (std::vector<int>{0, kFull, kFull, 0}));
}

TEST_F(PopupTimelineTest, LateTicksCatchUpInOrderWithoutStretchingTheLife) {
    timeline.Start(0);
    timeline.AdvanceTo(40);
    EXPECT_EQ(timeline.Step(), 2);
    EXPECT_EQ(timeline.NextChangeAt(), Ms{48}) << "the next step keeps its time";
    timeline.AdvanceTo(60'000);
    EXPECT_EQ(states, (States{kExpanding, kShown, kCollapsing, kClosed}));
    EXPECT_FALSE(timeline.NextChangeAt());
}

TEST_F(PopupTimelineTest, ThePointerHoldsThePopupAndEachCheckComesAWholeDisplayTimeLater) {
    timeline.Start(0);
    timeline.PointerEntered(1000);
    timeline.AdvanceTo(slide + 10 * display + 5);  // ten checks, all held
    EXPECT_EQ(timeline.State(), kShown);
    const Ms next = slide + 11 * display;
    EXPECT_EQ(timeline.NextChangeAt(), next);

    // Leaving does not cut the hold short: the next check decides.
    timeline.PointerLeft(next - 100);
    timeline.AdvanceTo(next - 1);
    EXPECT_EQ(timeline.State(), kShown);
    timeline.AdvanceTo(next);
    EXPECT_EQ(timeline.State(), kCollapsing);
}

TEST_F(PopupTimelineTest, EnteringWhileCollapsingSlidesBackUpFromTheHeightReached) {
    timeline.Start(0);
    timeline.AdvanceTo(slide + display + 5 * step + 3);
    const int reached = timeline.Height();
    ASSERT_LT(reached, kFull);

    const Ms entered = slide + display + 5 * step + 7;
    timeline.PointerEntered(entered);
    EXPECT_EQ(timeline.Height(), reached) << "jumped instead of sliding back";
    timeline.AdvanceTo(entered + 5 * step - 1);
    EXPECT_EQ(timeline.State(), kExpanding);
    EXPECT_GT(timeline.Height(), reached);
    timeline.AdvanceTo(entered + 5 * step);
    EXPECT_EQ(timeline.NextChangeAt(), entered + 5 * step + display) << "a full display time again";
    EXPECT_EQ(states, (States{kExpanding, kShown, kCollapsing, kExpanding, kShown}));

    timeline.PointerEntered(entered + 100);  // already in: no change
    EXPECT_EQ(states.size(), 5u);
}

TEST_F(PopupTimelineTest, CloseNowEndsAtOnceFromEveryStateAndOnlyOnce) {
    for (Ms at : {Ms{0}, Ms{100}, Ms{2000}, Ms{3600}}) {
        PopupTimeline life(kFull);
        States seen;
        life.SetStateListener([&](PopupState state) { seen.push_back(state); });
        life.Start(0);
        life.AdvanceTo(at);
        const std::size_t before = seen.size();
        life.CloseNow();
        life.CloseNow();
        life.AdvanceTo(at + 60'000);
        life.PointerEntered(at + 60'001);
        EXPECT_EQ(seen.size(), before + 1) << at;
        EXPECT_EQ(seen.back(), kClosed);
        EXPECT_EQ(life.Height(), 0);
    }
}

TEST_F(PopupTimelineTest, TheListenerMayCloseFromInsideAReport) {
    timeline.SetStateListener([this](PopupState state) {
        states.push_back(state);
        if (state == kShown)
            timeline.CloseNow();
    });
    timeline.Start(0);
    timeline.AdvanceTo(60'000);
    EXPECT_EQ(states, (States{kExpanding, kShown, kClosed}));
}

TEST(PopupTimelineGeometry, StepsAndHeightsStayInRange) {
    EXPECT_EQ(PopupTiming{}.Steps(), 31);
    EXPECT_EQ((PopupTiming{10, 16, 0}.Steps()), 1) << "a slide shorter than a step still takes one";
    EXPECT_EQ((PopupTiming{500, 0, 0}.Steps()), 1);
    EXPECT_EQ(PopupTimeline::HeightAtStep(kFull, -3, 31), 0);
    EXPECT_EQ(PopupTimeline::HeightAtStep(kFull, 40, 31), kFull);
}

}  // namespace
}  // namespace qmo
