#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <array>
#include <functional>
#include <vector>

#include "framework/unique_handle.h"
#include "res/resource.h"
#include "toolkit/page_tab_control.h"
#include "toolkit_test_support.h"
#include "wine_test_support.h"

namespace qmo {
namespace {

using testing::CentreOf;
using testing::ChildRect;

constexpr DWORD kTabStyle = 0x56010000;  // child, visible, clip siblings and children, tab stop

// Stands in for the page host's derived control: records each activation and
// what was selected when it came.
class RecordingTabControl : public PageTabControl {
public:
    struct Activation {
        int index;
        int selectedThen;
    };
    std::vector<Activation> activations;
    std::function<void(int)> onActivated;

protected:
    void OnTabActivated(int index) override {
        activations.push_back(Activation{index, SelectedTab()});
        if (onActivated)
            onActivated(index);
    }
};

HWND MakeChild(const wchar_t* className, DWORD style, HWND parent, int id) {
    return ::CreateWindowExW(0, className, L"", WS_CHILD | WS_VISIBLE | style, 10, 10 + 30 * id, 120, 24, parent,
                             reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), ::GetModuleHandleW(nullptr), nullptr);
}

// Three pages like the program's: the first with an edit, the second with a
// label before a button and an edit, the third with a label only.
class PageTabControlTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(host.Create(800, 600));
        ASSERT_TRUE(tabs.Create(kTabStyle, RECT{0, 0, 600, 400}, host.GetSafeHwnd(), IDC_PAGE_TABS));
        const unique_bitmap strip = testing::MakeIconStrip(65);
        ASSERT_TRUE(tabs.SetImageList(strip.get(), 16, 16));
        for (HWND& page : pages) {
            page = ::CreateWindowExW(WS_EX_CONTROLPARENT, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 0, 0, 50, 50,
                                     tabs.GetSafeHwnd(), nullptr, ::GetModuleHandleW(nullptr), nullptr);
            ASSERT_TRUE(page);
        }
        firstEdit = MakeChild(L"EDIT", WS_TABSTOP | WS_BORDER, pages[0], 1);
        MakeChild(L"STATIC", 0, pages[1], 1);
        secondButton = MakeChild(L"BUTTON", WS_TABSTOP | BS_PUSHBUTTON, pages[1], 2);
        secondEdit = MakeChild(L"EDIT", WS_TABSTOP | WS_BORDER, pages[1], 3);
        MakeChild(L"STATIC", 0, pages[2], 1);

        const wchar_t* captions[] = {L" Current System Performance ", L" Current System Process ", L" Settings "};
        const int icons[] = {24, 18, 58};
        for (int i = 0; i < 3; ++i)
            ASSERT_EQ(tabs.InsertTab(i, captions[i], pages[i], icons[i]), i);
    }

    bool OnlyVisible(int shown) const {
        for (int i = 0; i < 3; ++i) {
            if ((::IsWindowVisible(pages[i]) != FALSE) != (i == shown))
                return false;
        }
        return true;
    }
    bool FillsThePageArea(int index) const {
        const RECT placed = ChildRect(pages[index]);
        const RECT area = tabs.PageRect();
        return ::EqualRect(&placed, &area) != FALSE;
    }
    void ClickTab(int index) { testing::Click(tabs.GetSafeHwnd(), CentreOf(tabs.TabRect(index))); }
    int SelectionNotices() const {
        int count = 0;
        for (const NMHDR& notice : host.notifications)
            count += notice.code == static_cast<UINT>(TCN_SELCHANGE);
        return count;
    }

    testing::ControlHost host;
    RecordingTabControl tabs;
    std::array<HWND, 3> pages{};
    HWND firstEdit = nullptr, secondButton = nullptr, secondEdit = nullptr;
};

TEST_F(PageTabControlTest, TheFirstTabIsSelectedAsItComesInAndOnlyItsPageShows) {
    EXPECT_EQ(tabs.TabCount(), 3);
    EXPECT_EQ(tabs.SelectedTab(), 0);
    EXPECT_TRUE(OnlyVisible(0));
    EXPECT_TRUE(FillsThePageArea(0));
    const RECT area = tabs.PageRect();
    RECT client{};
    ::GetClientRect(tabs.GetSafeHwnd(), &client);
    EXPECT_GT(area.top, 0) << "below the strip";
    EXPECT_EQ(area.bottom, client.bottom);
    EXPECT_EQ(area.right - area.left, client.right);
    EXPECT_TRUE(host.notifications.empty()) << "insertion is not a selection change";
    EXPECT_TRUE(tabs.activations.empty());

    EXPECT_EQ(tabs.TabCaption(1), L" Current System Process ");
    EXPECT_EQ(tabs.TabIcon(2), 58);
    EXPECT_EQ(tabs.TabPage(2), pages[2]);
    EXPECT_FALSE(tabs.TabPage(3));
    EXPECT_EQ(tabs.InsertTab(-1, L"refused", nullptr), -1);
    EXPECT_EQ(tabs.TabCount(), 3);
}

TEST_F(PageTabControlTest, SelectTabSwapsThePagesAndTellsTheParentOnce) {
    ASSERT_TRUE(tabs.SelectTab(2));
    EXPECT_EQ(tabs.SelectedTab(), 2);
    EXPECT_TRUE(OnlyVisible(2));
    EXPECT_TRUE(FillsThePageArea(2));
    ASSERT_EQ(host.notifications.size(), 1u);
    EXPECT_EQ(host.notifications[0].code, static_cast<UINT>(TCN_SELCHANGE));
    EXPECT_EQ(host.notifications[0].idFrom, IDC_PAGE_TABS);
    EXPECT_EQ(host.notifications[0].hwndFrom, tabs.GetSafeHwnd());

    EXPECT_FALSE(tabs.SelectTab(2)) << "already selected";
    EXPECT_FALSE(tabs.SelectTab(3));
    EXPECT_FALSE(tabs.SelectTab(-1));
    EXPECT_EQ(tabs.SelectedTab(), 2);
    EXPECT_TRUE(OnlyVisible(2));
    EXPECT_EQ(host.notifications.size(), 1u);
    EXPECT_TRUE(tabs.activations.empty()) << "the hook is for the user's choices only";
}

TEST_F(PageTabControlTest, TheSelectedPageFollowsTheControlsSize) {
    tabs.SelectTab(1);
    ::SetWindowPos(tabs.GetSafeHwnd(), nullptr, 0, 0, 700, 500, SWP_NOMOVE | SWP_NOZORDER);
    EXPECT_TRUE(FillsThePageArea(1));
    EXPECT_EQ(tabs.PageRect().right, 700);
    EXPECT_EQ(tabs.PageRect().bottom, 500);

    // Too small for the strip: the page shrinks to nothing, not below.
    ::SetWindowPos(tabs.GetSafeHwnd(), nullptr, 0, 0, 30, 10, SWP_NOMOVE | SWP_NOZORDER);
    const RECT placed = ChildRect(pages[1]);
    EXPECT_EQ(placed.bottom - placed.top, 0);
    EXPECT_GE(placed.right - placed.left, 0);
}

TEST_F(PageTabControlTest, AClickCallsTheHookBeforeSelectingThenTakesTheFocusIntoThePage) {
    ::SetFocus(firstEdit);
    ClickTab(1);
    ASSERT_EQ(tabs.activations.size(), 1u);
    EXPECT_EQ(tabs.activations[0].index, 1);
    EXPECT_EQ(tabs.activations[0].selectedThen, 0) << "the hook runs before the selection";
    EXPECT_EQ(tabs.SelectedTab(), 1);
    EXPECT_TRUE(OnlyVisible(1));
    EXPECT_EQ(SelectionNotices(), 1);
    EXPECT_EQ(::GetFocus(), secondButton) << "the first tab stop, past the label";

    ClickTab(1);
    EXPECT_EQ(tabs.activations.size(), 1u) << "the selected tab is no new activation";
    EXPECT_EQ(SelectionNotices(), 1);
}

TEST_F(PageTabControlTest, APageWithoutTabStopsTakesTheFocusItselfAndFocusAlreadyInThePageStays) {
    ::SetFocus(firstEdit);
    ClickTab(2);
    EXPECT_EQ(::GetFocus(), pages[2]);

    tabs.onActivated = [&](int) { ::SetFocus(secondEdit); };
    ClickTab(1);
    EXPECT_EQ(::GetFocus(), secondEdit) << "not moved back to the page's first tab stop";
}

TEST_F(PageTabControlTest, ArrowKeysActivateNeighboursAndLeaveTheFocusOnTheControl) {
    ::SetFocus(tabs.GetSafeHwnd());
    ASSERT_EQ(::GetFocus(), tabs.GetSafeHwnd());
    EXPECT_EQ(::SendMessageW(tabs.GetSafeHwnd(), WM_GETDLGCODE, 0, 0) & DLGC_WANTARROWS, DLGC_WANTARROWS);
    ::SendMessageW(tabs.GetSafeHwnd(), WM_KEYDOWN, VK_LEFT, 0);
    EXPECT_TRUE(tabs.activations.empty()) << "nothing left of the first tab";

    ::SendMessageW(tabs.GetSafeHwnd(), WM_KEYDOWN, VK_RIGHT, 0);
    ::SendMessageW(tabs.GetSafeHwnd(), WM_KEYDOWN, VK_END, 0);
    ASSERT_EQ(tabs.activations.size(), 2u);
    EXPECT_EQ(tabs.activations[0].index, 1);
    EXPECT_EQ(tabs.activations[1].index, 2);
    EXPECT_EQ(tabs.activations[1].selectedThen, 1);
    EXPECT_EQ(tabs.SelectedTab(), 2);
    EXPECT_TRUE(OnlyVisible(2));
    EXPECT_EQ(::GetFocus(), tabs.GetSafeHwnd());
}

TEST_F(PageTabControlTest, TabsShowTheirIconsAndTheMarkMovesWithTheSelection) {
    const testing::ClientPicture before(tabs.GetSafeHwnd());
    const RECT strip{0, 0, 600, tabs.PageRect().top};
    for (const int icon : {24, 18, 58})
        EXPECT_GT(before.Count(strip, testing::IconColor(icon)), 0) << icon;
    const RECT first = tabs.TabRect(0), second = tabs.TabRect(1), third = tabs.TabRect(2);

    tabs.SelectTab(1);
    const testing::ClientPicture after(tabs.GetSafeHwnd());
    const auto changed = [&](const RECT& area) {
        const RECT bounds = after.BoundsWhere(area, [&](COLORREF c, int x, int y) { return c != before.At(x, y); });
        return !::IsRectEmpty(&bounds);
    };
    EXPECT_TRUE(changed(first)) << "the old tab loses its mark";
    EXPECT_TRUE(changed(second)) << "the new one gains it";
    EXPECT_FALSE(changed(third));
    const RECT now = tabs.TabRect(0);
    EXPECT_TRUE(::EqualRect(&now, &first)) << "tabs keep their widths as the bold caption moves";
    EXPECT_GT(first.right - first.left, third.right - third.left + 40) << "each tab is as wide as its caption needs";
    EXPECT_EQ(second.left, first.right + TabStripMetrics{}.tabGap);
}

}  // namespace
}  // namespace qmo
