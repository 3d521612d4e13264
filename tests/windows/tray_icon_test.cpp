#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "res/messages.h"
#include "res/resource.h"
#include "toolkit/tray_icon.h"
#include "wine_test_support.h"

namespace qmo {
namespace {

class CommandSink : public Window {
public:
    bool Create() {
        return Window::Create(WindowClass{L"QuenvaleTest.TrayOwner"}, 0, L"owner", WS_OVERLAPPEDWINDOW, 0, 0, 10, 10,
                              nullptr, nullptr);
    }
    std::vector<UINT> commands;

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_COMMAND) {
            commands.push_back(LOWORD(wParam));
            return 0;
        }
        return DefaultHandler(message, wParam, lParam);
    }
};

class TrayIconTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(owner.Create());
        ASSERT_TRUE(tray.Create(owner.GetSafeHwnd(), std::wstring(300, L't'), IDI_TRAY, IDR_TRAY_MENU,
                                ID_TRAY_SHOW_HIDE));
    }
    LRESULT Notify(UINT event) {
        return ::SendMessageW(tray.NotificationWindow(), WM_TRAY_NOTIFY, TrayIcon::kIconId, event);
    }

    CommandSink owner;
    TrayIcon tray;
};

TEST_F(TrayIconTest, DoubleClickSendsTheDefaultCommandAndSingleClicksNothing) {
    Notify(WM_LBUTTONDOWN);
    Notify(WM_LBUTTONUP);
    Notify(WM_MOUSEMOVE);
    EXPECT_TRUE(owner.commands.empty());
    Notify(WM_LBUTTONDBLCLK);
    EXPECT_EQ(owner.commands, std::vector<UINT>{ID_TRAY_SHOW_HIDE});
}

TEST_F(TrayIconTest, AnimationCyclesThroughItsFramesOnItsTimer) {
    static constexpr std::array<UINT, 4> kFrames{IDI_TRAY_FRAME_1, IDI_TRAY_FRAME_2, IDI_TRAY_FRAME_3,
                                                 IDI_TRAY_FRAME_4};
    tray.SetAnimationFrames(kFrames);
    tray.StartAnimation(60000);  // ticks are sent by hand below
    std::vector<std::size_t> shown;
    for (int tick = 0; tick < 6; ++tick) {
        ::SendMessageW(tray.NotificationWindow(), WM_TIMER, 1, 0);
        shown.push_back(tray.CurrentFrame());
    }
    EXPECT_EQ(shown, (std::vector<std::size_t>{0, 1, 2, 3, 0, 1}));
}

TEST_F(TrayIconTest, RealTimerAdvancesTheAnimation) {
    static constexpr std::array<UINT, 2> kFrames{IDI_TRAY_FRAME_1, IDI_TRAY_FRAME_2};
    tray.SetAnimationFrames(kFrames);
    tray.StartAnimation(20);
    EXPECT_TRUE(testing::PumpUntil([&] { return tray.CurrentFrame() == 1; }, 5000));
}

TEST_F(TrayIconTest, OverlongTextsAreCutToFitAndTheBalloonStillShows) {
    EXPECT_TRUE(tray.ShowBalloon(std::wstring(1000, L'b'), std::wstring(200, L'T'), NIIF_INFO, 10));
}

TEST_F(TrayIconTest, TaskbarRecreationAddsTheIconAgainAndRemovalReleasesEverything) {
    // Explorer restarting loses every icon; then it broadcasts "TaskbarCreated".
    NOTIFYICONDATAW lost{};
    lost.cbSize = sizeof(lost);
    lost.hWnd = tray.NotificationWindow();
    lost.uID = TrayIcon::kIconId;
    ASSERT_TRUE(::Shell_NotifyIconW(NIM_DELETE, &lost));
    ASSERT_FALSE(tray.ShowBalloon(L"lost", L"title", NIIF_INFO, 1)) << "the icon should be gone";

    const UINT taskbarCreated = ::RegisterWindowMessageW(L"TaskbarCreated");
    ::SendMessageW(tray.NotificationWindow(), taskbarCreated, 0, 0);
    EXPECT_TRUE(tray.IsCreated());
    EXPECT_TRUE(tray.ShowBalloon(L"again", L"title", NIIF_INFO, 1)) << "the icon was not added again";

    const HWND notificationWindow = tray.NotificationWindow();
    tray.Remove();
    EXPECT_FALSE(tray.IsCreated());
    EXPECT_FALSE(::IsWindow(notificationWindow));
    EXPECT_FALSE(tray.ShowBalloon(L"gone", L"title", NIIF_INFO, 1));
}

// Runs inside the menu's modal loop: notes what is showing, then closes it.
struct MenuProbe {
    static inline bool menuWasOpen = false;
    static inline UINT defaultCommand = 0;
    static void CALLBACK Check(HWND window, UINT, UINT_PTR id, DWORD) {
        ::KillTimer(window, id);
        HWND menu = ::FindWindowW(L"#32768", nullptr);
        menuWasOpen = menu && ::IsWindowVisible(menu);
        if (menuWasOpen) {
            auto shown = reinterpret_cast<HMENU>(::SendMessageW(menu, MN_GETHMENU, 0, 0));
            defaultCommand = ::GetMenuDefaultItem(shown, FALSE, 0);
        }
        ::EndMenu();
    }
};

TEST_F(TrayIconTest, RightClickOpensTheMenuWithTheDefaultCommandInBold) {
    MenuProbe::menuWasOpen = false;
    ::SetTimer(owner.GetSafeHwnd(), 77, 50, &MenuProbe::Check);
    Notify(WM_RBUTTONUP);  // returns when the menu has closed
    EXPECT_TRUE(MenuProbe::menuWasOpen);
    EXPECT_EQ(MenuProbe::defaultCommand, static_cast<UINT>(ID_TRAY_SHOW_HIDE));
    EXPECT_TRUE(owner.commands.empty());
}

// The shell as at logon, before the taskbar is there: it refuses every icon
// until the taskbar comes; then it is the real one. Balloons are counted.
struct LateTaskbar {
    static inline bool there = false;
    static inline int refusedAdds = 0;
    static inline int balloons = 0;
    static BOOL WINAPI Notify(DWORD message, PNOTIFYICONDATAW data) {
        if (!there) {
            refusedAdds += message == NIM_ADD;
            return FALSE;
        }
        balloons += message == NIM_MODIFY && (data->uFlags & NIF_INFO);
        return ::Shell_NotifyIconW(message, data);
    }
    LateTaskbar() { there = false, refusedAdds = 0, balloons = 0; }

    // The icon made while the taskbar is not there yet.
    static ::testing::AssertionResult CreateBeforeIt(CommandSink& owner, TrayIcon& tray) {
        if (!owner.Create() || !tray.Create(owner.GetSafeHwnd(), L"tip", IDI_TRAY, IDR_TRAY_MENU, ID_TRAY_SHOW_HIDE))
            return ::testing::AssertionFailure() << "not created";
        if (tray.IsCreated())
            return ::testing::AssertionFailure() << "added without a taskbar";
        return ::testing::AssertionSuccess();
    }
};

TEST(TrayIconCreation, AnIconRefusedAtStartIsAddedWhenTheTaskbarComesWithWhatWasAskedMeanwhile) {
    const LateTaskbar shell;
    CommandSink owner;
    TrayIcon tray(&LateTaskbar::Notify, {20, 1000});
    ASSERT_TRUE(LateTaskbar::CreateBeforeIt(owner, tray));
    static constexpr std::array<UINT, 2> kFrames{IDI_TRAY_FRAME_1, IDI_TRAY_FRAME_2};
    tray.SetAnimationFrames(kFrames);
    tray.StartAnimation(20);
    EXPECT_FALSE(tray.ShowBalloon(L"working", L"title", NIIF_INFO, 1));
    tray.SetTooltip(L"later tip");
    ASSERT_TRUE(testing::PumpUntil([] { return LateTaskbar::refusedAdds >= 3; })) << "not tried again";
    EXPECT_FALSE(tray.IsCreated());

    LateTaskbar::there = true;
    ASSERT_TRUE(testing::PumpUntil([&] { return tray.IsCreated(); })) << "never added";
    EXPECT_EQ(LateTaskbar::balloons, 1) << "the balloon asked for meanwhile";
    EXPECT_EQ(tray.Tooltip(), L"later tip");
    EXPECT_TRUE(testing::PumpUntil([&] { return tray.CurrentFrame() == 1; })) << "not animated";
    tray.Remove();
}

TEST(TrayIconCreation, OnceTheRetriesAreOverTheTaskbarsAnnouncementStillAddsTheIcon) {
    const LateTaskbar shell;
    CommandSink owner;
    TrayIcon tray(&LateTaskbar::Notify, {20, 0});
    ASSERT_TRUE(LateTaskbar::CreateBeforeIt(owner, tray));
    LateTaskbar::there = true;
    ::SendMessageW(tray.NotificationWindow(), ::RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
    EXPECT_TRUE(tray.IsCreated());
    EXPECT_TRUE(tray.ShowBalloon(L"here", L"title", NIIF_INFO, 1));
    tray.Remove();
}

TEST(TrayIconCreation, ASecondCreateOnALiveIconIsRefused) {
    CommandSink owner;
    ASSERT_TRUE(owner.Create());
    TrayIcon tray;
    ASSERT_TRUE(tray.Create(owner.GetSafeHwnd(), L"tip", IDI_TRAY, IDR_TRAY_MENU, ID_TRAY_SHOW_HIDE));
    EXPECT_FALSE(tray.Create(owner.GetSafeHwnd(), L"tip", IDI_TRAY, IDR_TRAY_MENU, ID_TRAY_SHOW_HIDE));
}

}  // namespace
}  // namespace qmo
