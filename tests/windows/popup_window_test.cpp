#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "framework/dialog.h"
#include "framework/dpi_scale.h"
#include "framework/window_dpi.h"
#include "pages/frame_texts.h"
#include "res/messages.h"
#include "shell/popup_notifications.h"
#include "toolkit/popup/popup_window.h"
#include "wine_test_support.h"

namespace qmo {
namespace {

constexpr UINT kTestDialog = 900;  // tests/windows/test_dialogs.rc
constexpr std::size_t kMessage = 3, kCloseButton = 5;  // in both notifications
using States = std::vector<PopupState>;
constexpr PopupState kExpanding = PopupState::Expanding, kShown = PopupState::Shown,
                     kCollapsing = PopupState::Collapsing, kClosed = PopupState::Closed;

// Stands in for the main frame: holds the popup and records what it is told.
class PopupOwner : public Window {
public:
    bool Create() {
        return Window::Create(WindowClass{L"QuenvaleTest.PopupOwner"}, 0, L"popup owner", WS_OVERLAPPEDWINDOW, 40, 40,
                              300, 200, nullptr, nullptr);
    }

    PopupPtr popup;
    std::vector<PopupState> states;
    std::vector<int> clicks;
    bool foreignPointer = false;
    std::function<void(PopupState)> onState;
    std::function<void(int)> onClick;

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message != WM_POPUP_NOTIFY)
            return DefaultHandler(message, wParam, lParam);
        if (wParam == kPopupStateChanged) {
            foreignPointer |= !popup || !popup->IsNamedBy(lParam);
            if (foreignPointer)
                return 0;
            states.push_back(popup->State());
            if (onState)
                onState(popup->State());
        } else if (wParam == kPopupElementClicked) {
            const PopupElement* element = popup ? popup->ElementNamedBy(lParam) : nullptr;
            foreignPointer |= element == nullptr;
            if (!element)
                return 0;
            const int id = element->id;
            clicks.push_back(id);
            if (onClick)
                onClick(id);
        }
        return 0;
    }
};

RECT WorkArea() {
    RECT area{};
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
    return area;
}

RECT WindowRect(HWND window) {
    RECT rect{};
    ::GetWindowRect(window, &rect);
    return rect;
}

bool SameRect(RECT a, RECT b) {
    return ::EqualRect(&a, &b) != FALSE;
}

POINT Inside(const PopupRect& rect) {
    return POINT{rect.left + 4, (rect.top + rect.bottom) / 2};
}

void Click(HWND window, POINT down, POINT up) {
    ::SendMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(down.x, down.y));
    ::SendMessageW(window, WM_LBUTTONUP, 0, MAKELPARAM(up.x, up.y));
}

// The notifications' content with shorter times, for tests about behaviour
// rather than about the real timing.
PopupContent Quick(PopupContent content, int slideMs, int displayMs) {
    content.timing.slideMs = slideMs;
    content.timing.displayMs = displayMs;
    return content;
}

class PopupWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        // Keep the pointer away from the popup's corner unless a test moves it.
        qmo::testing::MovePointer(WorkArea().left + 5, WorkArea().top + 5);
        ASSERT_TRUE(owner.Create());
    }

    PopupWindow& Show(PopupContent content) {
        owner.popup = PopupWindow::Make(std::move(content));
        EXPECT_TRUE(owner.popup->Show(owner.GetSafeHwnd(), WM_POPUP_NOTIFY));
        return *owner.popup;
    }
    bool WaitFor(PopupState state, DWORD timeoutMs) {
        return testing::PumpUntil([&] { return owner.popup && owner.popup->State() == state; }, timeoutMs);
    }

    PopupOwner owner;
};

TEST_F(PopupWindowTest, SlidesUpOutOfTheWorkAreasCornerToFullSizeWithoutTakingTheFocus) {
    ::ShowWindow(owner.GetSafeHwnd(), SW_SHOW);
    ::SetForegroundWindow(owner.GetSafeHwnd());
    ASSERT_TRUE(testing::PumpUntil([&] { return ::GetForegroundWindow() == owner.GetSafeHwnd(); }));

    const RECT area = WorkArea();
    PopupWindow& popup = Show(BuildCriticalLimitPopup(80));
    const HWND window = popup.GetSafeHwnd();
    std::vector<RECT> seen;
    ASSERT_TRUE(testing::PumpUntil(
        [&] {
            seen.push_back(WindowRect(window));
            return popup.State() == kShown;
        },
        3000));

    // 270 x 128 at 96 DPI, at the DPI of the screen.
    const unsigned dpi = WindowDpi(nullptr);
    const RECT full{area.right - ScaleForDpi(270, dpi), area.bottom - ScaleForDpi(128, dpi), area.right, area.bottom};
    EXPECT_TRUE(SameRect(WindowRect(window), full));
    EXPECT_TRUE(SameRect(popup.FullRect(), full));
    int partial = 0;
    for (std::size_t i = 0; i < seen.size(); ++i) {
        EXPECT_EQ(seen[i].bottom, area.bottom) << "the bottom edge moved";
        EXPECT_EQ(seen[i].left, full.left);
        if (i > 0) {
            EXPECT_LE(seen[i].top, seen[i - 1].top) << "shrank while sliding in";
        }
        partial += seen[i].top > full.top && seen[i].top < full.bottom;
    }
    EXPECT_GE(partial, 2) << "it should slide, not jump";

    const LONG_PTR exStyle = ::GetWindowLongPtrW(window, GWL_EXSTYLE);
    EXPECT_TRUE(exStyle & WS_EX_TOPMOST);
    EXPECT_TRUE(exStyle & WS_EX_TOOLWINDOW);
    EXPECT_EQ(::GetWindow(window, GW_OWNER), owner.GetSafeHwnd());
    EXPECT_TRUE(::IsWindowVisible(window));
    EXPECT_EQ(::GetForegroundWindow(), owner.GetSafeHwnd());
    EXPECT_NE(::GetActiveWindow(), window);
    EXPECT_NE(::GetFocus(), window);
    EXPECT_EQ(owner.states, (States{kExpanding, kShown}));
    EXPECT_FALSE(owner.foreignPointer);
}

// The taskbar grows while a popup is up: the popup moves to the new corner.
TEST_F(PopupWindowTest, KeepsToTheCornerWhenTheWorkAreaChanges) {
    PopupWindow& popup = Show(BuildOptimizedPopup());
    ASSERT_TRUE(WaitFor(kShown, 3000));
    RECT area = WorkArea();
    const RECT before = area;
    area.bottom -= 40;
    area.right -= 30;
    ASSERT_TRUE(::SystemParametersInfoW(SPI_SETWORKAREA, 0, &area, 0));
    struct Restore {
        RECT area;
        ~Restore() { ::SystemParametersInfoW(SPI_SETWORKAREA, 0, &area, 0); }
    } restore{before};
    ::SendMessageW(popup.GetSafeHwnd(), WM_SETTINGCHANGE, SPI_SETWORKAREA, 0);
    EXPECT_TRUE(SameRect(WindowRect(popup.GetSafeHwnd()), RECT{area.right - 270, area.bottom - 128, area.right,
                                                               area.bottom}));
}

TEST_F(PopupWindowTest, ClicksReportTheElementUnderPressAndRelease) {
    PopupWindow& popup = Show(BuildCriticalLimitPopup(80));
    ASSERT_TRUE(WaitFor(kShown, 3000));
    const HWND window = popup.GetSafeHwnd();
    const PopupElement& link = popup.Elements()[kMessage];
    const PopupElement& close = popup.Elements()[kCloseButton];

    Click(window, Inside(link.rect), Inside(link.rect));
    Click(window, Inside(close.rect), Inside(close.rect));
    const unsigned dpi = WindowDpi(nullptr);
    const POINT panel{ScaleForDpi(150, dpi), ScaleForDpi(115, dpi)};  // the panel below the text
    Click(window, panel, panel);
    Click(window, Inside(link.rect), Inside(close.rect));  // pressed on one, released on another
    EXPECT_EQ(owner.clicks, (std::vector<int>{kOptimizeLinkId, kPopupCloseButtonId, 0}));
    EXPECT_EQ(popup.State(), kShown) << "a click alone leaves the popup to its owner";
    EXPECT_EQ(::GetCapture(), nullptr);
}

TEST_F(PopupWindowTest, TheMessageIsMeasuredToFitItsWrappedText) {
    PopupWindow& popup = Show(BuildCriticalLimitPopup(-1));
    const PopupRect message = popup.Elements()[kMessage].rect;
    // Narrowed to 60 px, the same text needs more lines and so a taller box.
    PopupContent narrow = BuildCriticalLimitPopup(-1);
    narrow.elements[3].rect.right = narrow.elements[3].rect.left + 60;
    PopupPtr narrowPopup = PopupWindow::Make(std::move(narrow));
    ASSERT_TRUE(narrowPopup->Show(nullptr, 0));
    EXPECT_EQ(message.top, 70);
    EXPECT_GT(message.Height(), 0);
    EXPECT_GT(narrowPopup->Elements()[3].rect.Height(), message.Height() * 3 / 2);
}

TEST_F(PopupWindowTest, CloseNowReportsClosedAtOnceAndLeavesNothingRunning) {
    PopupWindow& popup = Show(BuildOptimizedPopup());
    ASSERT_TRUE(testing::PumpUntil([&] { return WindowRect(popup.GetSafeHwnd()).top < WorkArea().bottom; }, 3000));
    popup.CloseNow();
    EXPECT_EQ(owner.states.back(), kClosed);
    EXPECT_EQ(popup.State(), kClosed);
    EXPECT_FALSE(::IsWindowVisible(popup.GetSafeHwnd()));

    const std::size_t reports = owner.states.size();
    ::SendMessageW(popup.GetSafeHwnd(), WM_TIMER, 1, 0);
    ::SendMessageW(popup.GetSafeHwnd(), WM_TIMER, 2, 0);
    popup.CloseNow();
    EXPECT_EQ(owner.states.size(), reports) << "closed twice";
}

TEST_F(PopupWindowTest, RunsItsWholeLifeOnRealTimersInAboutFourSeconds) {
    owner.onState = [&](PopupState state) {
        if (state == kClosed)
            owner.popup.reset();
    };
    const ULONGLONG start = ::GetTickCount64();
    const HWND window = Show(BuildOptimizedPopup()).GetSafeHwnd();
    ASSERT_TRUE(testing::PumpUntil([&] { return !owner.popup; }, 9000));
    const ULONGLONG took = ::GetTickCount64() - start;
    // 496 ms in, 3000 ms shown, 496 ms out; timers may run late, never early.
    EXPECT_GE(took, 3950u);
    EXPECT_LE(took, 8000u);
    EXPECT_EQ(owner.states, (States{kExpanding, kShown, kCollapsing, kClosed}));
    EXPECT_FALSE(::IsWindow(window)) << "released but not deleted";
}

TEST_F(PopupWindowTest, ThePointerHoldsThePopupAndBringsItBackWhileItSlidesAway) {
    constexpr int kDisplayMs = 250;
    PopupWindow& popup = Show(Quick(BuildCriticalLimitPopup(70), 1600, kDisplayMs));
    const HWND window = popup.GetSafeHwnd();
    ASSERT_TRUE(WaitFor(kShown, 4000));

    // Over the popup for three display times: it stays.
    const RECT full = popup.FullRect();
    qmo::testing::MovePointer(full.right - 40, full.bottom - 6);
    ::SendMessageW(window, WM_MOUSEMOVE, 0, MAKELPARAM(230, 122));
    const ULONGLONG holdUntil = ::GetTickCount64() + 3 * kDisplayMs;
    testing::PumpUntil([&] { return popup.State() != kShown || ::GetTickCount64() >= holdUntil; });
    EXPECT_EQ(popup.State(), kShown);

    // Away: it slides out at the next check...
    qmo::testing::MovePointer(full.left - 200, full.top - 200);
    ASSERT_TRUE(WaitFor(kCollapsing, 3000));
    ASSERT_TRUE(testing::PumpUntil([&] { return WindowRect(window).top > full.top + 20; }, 3000));
    const LONG reached = WindowRect(window).top;

    // ...and back over it, it slides back up from where it was.
    qmo::testing::MovePointer(full.right - 40, full.bottom - 3);
    ::SendMessageW(window, WM_MOUSEMOVE, 0, MAKELPARAM(230, WindowRect(window).bottom - WindowRect(window).top - 3));
    EXPECT_EQ(popup.State(), kExpanding);
    EXPECT_LE(WindowRect(window).top, reached + 8) << "started over from the bottom";
    ASSERT_TRUE(WaitFor(kShown, 4000));
    EXPECT_TRUE(SameRect(WindowRect(window), full));

    qmo::testing::MovePointer(full.left - 200, full.top - 200);
    ASSERT_TRUE(WaitFor(kClosed, 6000));
    EXPECT_EQ(owner.states, (States{kExpanding, kShown, kCollapsing, kExpanding, kShown, kCollapsing, kClosed}));
}

// How the main frame answers: the link starts an optimization behind a modal
// dialog, any other click closes the popup, and Closed destroys it.
class PopupReleaseTest : public PopupWindowTest {
protected:
    void SetUp() override {
        PopupWindowTest::SetUp();
        owner.onClick = [this](int id) {
            if (PopupClickActionFor(id) == PopupClickAction::CloseNow)
                owner.popup->CloseNow();
            else
                modalResult = modal.DoModal(owner.GetSafeHwnd());
        };
        owner.onState = [this](PopupState state) {
            if (state != kClosed)
                return;
            const HWND window = owner.popup->GetSafeHwnd();
            owner.popup.reset();
            aliveAfterRelease = ::IsWindow(window) != FALSE;
            if (modal.IsCreated())
                modal.EndDialog(IDOK);
        };
    }

    Dialog modal{kTestDialog};
    INT_PTR modalResult = 0;
    bool aliveAfterRelease = false;
};

TEST_F(PopupReleaseTest, ReleasedInsideTheClosedReportOfACloseClickItGoesWhenTheClickIsDone) {
    PopupWindow& popup = Show(BuildCriticalLimitPopup(90));
    ASSERT_TRUE(WaitFor(kShown, 3000));
    const HWND window = popup.GetSafeHwnd();
    const PopupElement& close = popup.Elements()[kCloseButton];
    Click(window, Inside(close.rect), Inside(close.rect));
    EXPECT_TRUE(aliveAfterRelease) << "deleted under its own click handler";
    EXPECT_FALSE(owner.popup);
    EXPECT_FALSE(::IsWindow(window));
    EXPECT_EQ(owner.states.back(), kClosed);
}

TEST_F(PopupReleaseTest, AModalDialogInsideTheLinkClickOutlivesThePopupItWasOpenedFrom) {
    PopupWindow& popup = Show(Quick(BuildCriticalLimitPopup(90), 160, 200));
    ASSERT_TRUE(WaitFor(kShown, 3000));
    const HWND window = popup.GetSafeHwnd();
    const PopupElement& link = popup.Elements()[kMessage];
    // Returns when the dialog has ended: the popup ran out on its timers
    // meanwhile, and the owner released it inside that modal loop.
    Click(window, Inside(link.rect), Inside(link.rect));
    EXPECT_EQ(modalResult, IDOK);
    EXPECT_EQ(owner.clicks, std::vector<int>{kOptimizeLinkId});
    EXPECT_TRUE(aliveAfterRelease);
    EXPECT_FALSE(owner.popup);
    EXPECT_FALSE(::IsWindow(window));
}

TEST_F(PopupReleaseTest, ReplacedFromTheLinksModalLoopTheOldPopupVanishesAtOnceAndFallsSilent) {
    PopupWindow& old = Show(Quick(BuildCriticalLimitPopup(90), 160, 200));
    ASSERT_TRUE(WaitFor(kShown, 3000));
    const HWND oldWindow = old.GetSafeHwnd();
    bool hidden = false, reported = false;
    owner.onClick = [&](int) {
        // The optimization finished behind its dialog: the frame shows the next popup.
        Show(BuildOptimizedPopup());
        hidden = !::IsWindowVisible(oldWindow) && ::IsWindow(oldWindow);
        // Longer than the rest of the old popup's life on its timers.
        reported = testing::PumpUntil([&] { return owner.foreignPointer; }, 1000);
    };
    Click(oldWindow, Inside(old.Elements()[kMessage].rect), Inside(old.Elements()[kMessage].rect));
    EXPECT_TRUE(hidden);
    EXPECT_FALSE(reported) << "the released popup still reports";
    EXPECT_FALSE(::IsWindow(oldWindow));
    EXPECT_EQ(owner.states.back(), kShown) << "the new popup runs on";
}

TEST_F(PopupReleaseTest, ReleasedInsideTheClosedReportOfCloseNowItGoesWhenCloseNowReturns) {
    PopupWindow& popup = Show(BuildOptimizedPopup());
    const HWND window = popup.GetSafeHwnd();
    popup.CloseNow();
    EXPECT_TRUE(aliveAfterRelease);
    EXPECT_FALSE(::IsWindow(window));
}

}  // namespace
}  // namespace qmo
