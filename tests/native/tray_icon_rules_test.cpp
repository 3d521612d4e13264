#include <gtest/gtest.h>

#include "toolkit/tray_icon_rules.h"

#include <vector>

namespace qmo {
namespace {

TEST(TrayIconRules, RightReleaseContextMenuAndKeySelectOpenTheMenu) {
    EXPECT_EQ(TrayActionFor(kTrayRightButtonUp), TrayAction::ShowMenu);
    EXPECT_EQ(TrayActionFor(kTrayContextMenu), TrayAction::ShowMenu);
    EXPECT_EQ(TrayActionFor(kTrayKeySelect), TrayAction::ShowMenu);
}

TEST(TrayIconRules, DoubleClickSendsTheDefaultCommandAndSingleClicksDoNothing) {
    EXPECT_EQ(TrayActionFor(kTrayLeftDoubleClick), TrayAction::SendDefaultCommand);
    for (unsigned event : {0x0201u /*down*/, 0x0202u /*up*/, 0x0204u /*right down*/, 0x0200u /*move*/})
        EXPECT_EQ(TrayActionFor(event), TrayAction::None) << event;
}

TEST(TrayIconRules, FramesCycleFromTheFirstForever) {
    constexpr std::size_t kNone = static_cast<std::size_t>(-1);
    std::size_t frame = kNone;
    std::vector<std::size_t> shown;
    for (int tick = 0; tick < 9; ++tick)
        shown.push_back(frame = NextAnimationFrame(frame, 4));
    EXPECT_EQ(shown, (std::vector<std::size_t>{0, 1, 2, 3, 0, 1, 2, 3, 0}));
    EXPECT_EQ(NextAnimationFrame(kNone, 0), 0u);
    EXPECT_EQ(NextAnimationFrame(7, 4), 0u);  // a shrunk frame list restarts
}

}  // namespace
}  // namespace qmo
