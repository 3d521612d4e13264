#include <gtest/gtest.h>

#include "shell/frame_input_filter.h"

namespace qmo {
namespace {

const Rect kMaximized{0, 0, 1280, 750};

FrameInputDecision At(FrameInput input, int x, int y) {
    return DecideFrameInput(input, kMaximized, {x, y}, 0, false);
}

TEST(BannerLinkBand, EdgesAreExclusive) {
    EXPECT_FALSE(IsInBannerLinkBand(kMaximized, {830, 70}));  // x must exceed right - 450
    EXPECT_TRUE(IsInBannerLinkBand(kMaximized, {831, 70}));
    EXPECT_FALSE(IsInBannerLinkBand(kMaximized, {1000, 40}));
    EXPECT_TRUE(IsInBannerLinkBand(kMaximized, {1000, 41}));
    EXPECT_TRUE(IsInBannerLinkBand(kMaximized, {1000, 99}));
    EXPECT_FALSE(IsInBannerLinkBand(kMaximized, {1000, 100}));
    // Beyond the right edge still counts: only the lower bound of x is tested.
    EXPECT_TRUE(IsInBannerLinkBand(kMaximized, {1500, 70}));
}

TEST(BannerLinkBand, NarrowWindowPutsTheBandOverTheWholeWidth) {
    EXPECT_TRUE(IsInBannerLinkBand(Rect{0, 0, 300, 400}, {0, 50}));
}

TEST(FrameInput, ClickInTheBandOpensThePageMaximizedAndIsNotConsumed) {
    const auto click = At(FrameInput::LeftButtonDown, 1000, 70);
    EXPECT_TRUE(click.openWebPageMaximized);
    EXPECT_FALSE(click.showHandCursor);
    EXPECT_FALSE(click.consumed);

    const auto move = At(FrameInput::MouseMove, 1000, 70);
    EXPECT_TRUE(move.showHandCursor);
    EXPECT_FALSE(move.openWebPageMaximized);
    EXPECT_FALSE(move.consumed);
}

TEST(FrameInput, MouseOutsideTheBandDoesNothing) {
    for (auto input : {FrameInput::LeftButtonDown, FrameInput::MouseMove}) {
        const auto decision = At(input, 200, 70);
        EXPECT_FALSE(decision.openWebPageMaximized || decision.showHandCursor || decision.consumed);
    }
}

TEST(FrameInput, CtrlXHidesAndCtrlHShowsHelpAndBothAreConsumed) {
    const auto hide = DecideFrameInput(FrameInput::KeyDown, kMaximized, {}, 'X', true);
    EXPECT_TRUE(hide.hideToTray);
    EXPECT_FALSE(hide.showHelp);
    EXPECT_TRUE(hide.consumed);

    const auto help = DecideFrameInput(FrameInput::KeyDown, kMaximized, {}, 'H', true);
    EXPECT_TRUE(help.showHelp);
    EXPECT_FALSE(help.hideToTray);
    EXPECT_TRUE(help.consumed);
}

TEST(FrameInput, EveryOtherKeyDownIsSwallowedWithoutEffect) {
    for (int key : {int{'X'}, int{'H'}, int{'A'}, 0x0D /*Enter*/, 0x1B /*Escape*/, 0x09 /*Tab*/, 0x70 /*F1*/}) {
        const auto decision = DecideFrameInput(FrameInput::KeyDown, kMaximized, {}, key, false);
        EXPECT_TRUE(decision.consumed) << key;
        EXPECT_FALSE(decision.hideToTray || decision.showHelp) << key;
    }
    const auto ctrlA = DecideFrameInput(FrameInput::KeyDown, kMaximized, {}, 'A', true);
    EXPECT_TRUE(ctrlA.consumed);
    EXPECT_FALSE(ctrlA.hideToTray || ctrlA.showHelp);
}

TEST(FrameInput, OtherMessagesPassUntouched) {
    const auto decision = At(FrameInput::Other, 1000, 70);
    EXPECT_FALSE(decision.consumed || decision.openWebPageMaximized || decision.showHandCursor);
}

}  // namespace
}  // namespace qmo
