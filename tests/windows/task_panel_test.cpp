#include <gtest/gtest.h>

#include "res/resource.h"
#include "toolkit/task_panel/task_panel.h"
#include "toolkit/themed_button.h"
#include "toolkit/ui_paint.h"
#include "toolkit_test_support.h"
#include "wine_test_support.h"

namespace qmo {
namespace {

using testing::CentreOf;
using testing::ChildRect;
using testing::Click;
using testing::ClientPicture;

constexpr DWORD kPanelStyle = 0x56010000;   // child, visible, clip siblings and children, tab stop
constexpr DWORD kButtonStyle = 0x5000C00B;  // child, visible, flat, notify, owner-drawn
constexpr COLORREF kPureBlue = RGB(0, 0, 255);

class CountingButton : public ThemedButton {
public:
    int clicks = 0;
    bool handles = false;

protected:
    bool OnClicked() override {
        ++clicks;
        return handles;
    }
};

// The navigation panel as the page host builds it: three groups with a link
// each, a fourth holding a button.
class TaskPanelTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(host.Create(400, 700));
        ASSERT_TRUE(panel.Create(kPanelStyle, RECT{0, 0, 235, 640}, host.GetSafeHwnd(), 1));
        panel.SetTheme(kTaskPanelNavigationTheme);
        panel.SetExpandable(false);
        panel.SetAnimation(false);
        panel.SetSpecialCaptionColor(kPureBlue);
        const unique_bitmap strip = testing::MakeIconStrip(65);
        ASSERT_TRUE(panel.SetImageList(strip.get(), 16, 16));
        const struct {
            int group, item, icon;
            const wchar_t *caption, *link;
        } groups[] = {{ID_TASKGROUP_PERFORMANCE, ID_TASKITEM_PERFORMANCE, 24, L"Current System Performance",
                       L"This option will help you to view Current System Performance"},
                      {ID_TASKGROUP_PROCESS, ID_TASKITEM_PROCESS, 18, L"Current System Process",
                       L"This option will help you to view Current Running Processes and control them"},
                      {ID_TASKGROUP_SETTINGS, ID_TASKITEM_SETTINGS, 58, L"Settings",
                       L"This option will help you to configure Optimizer Settings"}};
        for (const auto& g : groups)
            panel.AddLinkItem(panel.AddGroup(g.group, g.caption), g.item, g.link, g.icon);
        TaskGroup& optimize = panel.AddGroup(ID_TASKGROUP_OPTIMIZE, L"Optimize Memory now..");
        ASSERT_TRUE(button.Create(L"Optimize Memory", kButtonStyle, RECT{0, 0, 300, 52}, panel.GetSafeHwnd(), 300));
        panel.AddControlItem(optimize, 300, button.GetSafeHwnd());
        panel.Group(0).SetSpecial(true);
    }

    COLORREF CaptionFill(const ClientPicture& picture, std::size_t group) {
        const RECT caption = panel.CaptionRect(panel.Group(group));
        return picture.At(caption.left + 4, (caption.top + caption.bottom) / 2);
    }

    testing::ControlHost host;
    TaskPanel panel;
    CountingButton button;
};

TEST_F(TaskPanelTest, ClickingALinkSendsTheOwnerThatItemsPointer) {
    for (std::size_t g = 0; g < 3; ++g) {
        TaskItem* item = panel.FindItem(g, 0);
        ASSERT_TRUE(item);
        Click(panel.GetSafeHwnd(), CentreOf(panel.ItemRect(*item)));
        ASSERT_EQ(host.panelNotifications.size(), g + 1);
        TaskItem* told = panel.ItemFromNotification(host.panelNotifications.back());
        EXPECT_EQ(told, item);
        EXPECT_EQ(&told->Group(), &panel.Group(g));
    }
    EXPECT_EQ(panel.FindItem(1, 0)->Id(), ID_TASKITEM_PROCESS);
    EXPECT_EQ(panel.FindItem(1, 0)->Icon(), 18);
    EXPECT_FALSE(panel.FindItem(3, 1));
    EXPECT_FALSE(panel.FindItem(4, 0));

    // Pressed on one link and let go on another, or pressed beside it: no click.
    const RECT first = panel.ItemRect(*panel.FindItem(0, 0));
    const RECT second = panel.ItemRect(*panel.FindItem(1, 0));
    const HWND window = panel.GetSafeHwnd();
    ::SendMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(first.left + 2, first.top + 2));
    ::SendMessageW(window, WM_LBUTTONUP, 0, MAKELPARAM(second.left + 2, second.top + 2));
    ::SendMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(first.left + 2, first.bottom + 3));
    ::SendMessageW(window, WM_LBUTTONUP, 0, MAKELPARAM(first.left + 2, first.top + 2));
    EXPECT_EQ(host.panelNotifications.size(), 3u);
}

TEST_F(TaskPanelTest, GroupCaptionsTakeNoClicksAndNoFocusAndShowNoExpandButton) {
    ::SetFocus(host.GetSafeHwnd());
    const ClientPicture before(panel.GetSafeHwnd());
    for (std::size_t g = 0; g < panel.GroupCount(); ++g) {
        Click(panel.GetSafeHwnd(), CentreOf(panel.CaptionRect(panel.Group(g))));
        EXPECT_TRUE(panel.Group(g).ExpandButtonRect().IsEmpty());
    }
    EXPECT_TRUE(host.panelNotifications.empty());
    EXPECT_EQ(::GetFocus(), host.GetSafeHwnd());
    EXPECT_TRUE(::IsWindowVisible(button.GetSafeHwnd()));
    EXPECT_TRUE(before == ClientPicture(panel.GetSafeHwnd())) << "nothing folded, nothing changed";
}

TEST_F(TaskPanelTest, WhenExpandableACaptionClickFoldsItsGroupAndItsControlAway) {
    panel.SetExpandable(true);
    const RECT caption = panel.CaptionRect(panel.Group(3));
    EXPECT_FALSE(panel.Group(3).ExpandButtonRect().IsEmpty());
    Click(panel.GetSafeHwnd(), CentreOf(caption));
    EXPECT_FALSE(panel.Group(3).IsExpanded());
    EXPECT_FALSE(::IsWindowVisible(button.GetSafeHwnd()));
    Click(panel.GetSafeHwnd(), CentreOf(caption));
    EXPECT_TRUE(::IsWindowVisible(button.GetSafeHwnd()));
    EXPECT_TRUE(host.panelNotifications.empty());
}

TEST_F(TaskPanelTest, TheSpecialCaptionKeepsItsColourOverSystemChanges) {
    ClientPicture picture(panel.GetSafeHwnd());
    EXPECT_EQ(CaptionFill(picture, 0), kPureBlue);
    EXPECT_NE(CaptionFill(picture, 1), kPureBlue);

    for (const UINT change : {WM_SETTINGCHANGE, WM_SYSCOLORCHANGE, WM_THEMECHANGED})
        ::SendMessageW(panel.GetSafeHwnd(), change, 0, 0);
    EXPECT_TRUE(panel.IsGroupSpecial(0));
    EXPECT_FALSE(panel.IsGroupSpecial(1));
    EXPECT_EQ(panel.SpecialCaptionColor(), kPureBlue);
    EXPECT_EQ(CaptionFill(ClientPicture(panel.GetSafeHwnd()), 0), kPureBlue);

    // The page host moves the highlight by clearing every group, then marking one.
    for (std::size_t g = 0; g < panel.GroupCount(); ++g)
        panel.Group(g).SetSpecial(false);
    panel.Group(2).SetSpecial(true);
    picture = ClientPicture(panel.GetSafeHwnd());
    EXPECT_NE(CaptionFill(picture, 0), kPureBlue);
    EXPECT_EQ(CaptionFill(picture, 2), kPureBlue);
    EXPECT_FALSE(panel.IsGroupSpecial(7));
}

TEST_F(TaskPanelTest, TheEmbeddedButtonFillsTheGroupsInnerWidthAtItsOwnHeight) {
    const TaskGroup& optimize = panel.Group(3);
    RECT placed = ChildRect(button.GetSafeHwnd());
    const RECT item = panel.ItemRect(optimize.Item(0));
    EXPECT_TRUE(::EqualRect(&placed, &item));
    EXPECT_EQ(placed.right - placed.left, optimize.InnerWidth());
    EXPECT_EQ(placed.bottom - placed.top, 52);
    EXPECT_GT(placed.left, panel.CaptionRect(optimize).left) << "inside the group, not on its edge";
    EXPECT_GE(placed.top, panel.CaptionRect(optimize).bottom);

    const int before = optimize.InnerWidth();
    ::SetWindowPos(panel.GetSafeHwnd(), nullptr, 0, 0, 300, 640, SWP_NOZORDER | SWP_NOMOVE);
    placed = ChildRect(button.GetSafeHwnd());
    EXPECT_EQ(optimize.InnerWidth(), before + 65);
    EXPECT_EQ(placed.right - placed.left, before + 65);
}

TEST_F(TaskPanelTest, TheButtonsClickReachesItsHookAndThenThePanelsParent) {
    const POINT inside{10, 10};
    Click(button.GetSafeHwnd(), inside);
    EXPECT_EQ(button.clicks, 1);
    ASSERT_EQ(host.commands.size(), 1u);
    EXPECT_EQ(host.commands[0].id, 300u);
    EXPECT_EQ(host.commands[0].code, static_cast<UINT>(BN_CLICKED));

    button.handles = true;
    Click(button.GetSafeHwnd(), inside);
    EXPECT_EQ(button.clicks, 2);
    EXPECT_EQ(host.commands.size(), 1u) << "handled by the button itself";
    EXPECT_TRUE(host.panelNotifications.empty());
}

TEST_F(TaskPanelTest, CaptionsRedrawOnlyWhenTheirTextChanges) {
    TaskGroup& group = panel.Group(1);
    TaskItem& item = group.Item(0);
    const HWND window = panel.GetSafeHwnd();
    ::UpdateWindow(window);
    ASSERT_FALSE(testing::HasPendingPaint(window));

    group.SetCaption(group.Caption());
    item.SetCaption(item.Caption());
    EXPECT_FALSE(testing::HasPendingPaint(window));
    item.SetCaption("Something else");
    EXPECT_TRUE(testing::HasPendingPaint(window));
    ::UpdateWindow(window);
    group.SetCaption("Renamed");
    EXPECT_TRUE(testing::HasPendingPaint(window));
    EXPECT_EQ(group.Caption(), "Renamed");
}

TEST_F(TaskPanelTest, TheKeyboardStepsThroughTheLinksAndEnterClicksOne) {
    ::SetFocus(panel.GetSafeHwnd());
    ASSERT_EQ(::GetFocus(), panel.GetSafeHwnd());
    EXPECT_EQ(::SendMessageW(panel.GetSafeHwnd(), WM_GETDLGCODE, 0, 0) & DLGC_WANTARROWS, DLGC_WANTARROWS);
    for (const WPARAM key : {VK_DOWN, VK_DOWN, VK_DOWN, VK_UP})
        ::SendMessageW(panel.GetSafeHwnd(), WM_KEYDOWN, key, 0);
    ::SendMessageW(panel.GetSafeHwnd(), WM_KEYDOWN, VK_RETURN, 0);
    ASSERT_EQ(host.panelNotifications.size(), 1u);
    EXPECT_EQ(panel.ItemFromNotification(host.panelNotifications[0]), panel.FindItem(1, 0))
        << "three steps down stop at the last link, one up comes back";
}

TEST_F(TaskPanelTest, TheHandShowsOverLinksOnly) {
    ::ShowWindow(host.GetSafeHwnd(), SW_SHOW);
    const auto cursorOver = [&](POINT client) {
        POINT screen = client;
        ::ClientToScreen(panel.GetSafeHwnd(), &screen);
        EXPECT_TRUE(qmo::testing::MovePointer(screen.x, screen.y));
        ::SendMessageW(panel.GetSafeHwnd(), WM_SETCURSOR, reinterpret_cast<WPARAM>(panel.GetSafeHwnd()),
                       MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
        return ::GetCursor();
    };
    const HCURSOR hand = ::LoadCursorW(nullptr, IDC_HAND);
    EXPECT_EQ(cursorOver(CentreOf(panel.ItemRect(*panel.FindItem(0, 0)))), hand);
    EXPECT_NE(cursorOver(CentreOf(panel.CaptionRect(panel.Group(0)))), hand);
}

TEST(TaskPanelTitleTest, TheTitlePanelShowsItsIconHeadingAndBoldLineWithinItsHeight) {
    testing::ControlHost host;
    ASSERT_TRUE(host.Create(1100, 200));
    TaskPanel title;
    ASSERT_TRUE(title.Create(kPanelStyle, RECT{0, 0, 1045, 80}, host.GetSafeHwnd(), 1));
    title.SetTheme(kTaskPanelTitleTheme);
    title.SetExpandable(false);
    const unique_bitmap strip = testing::MakeIconStrip(65);
    title.SetImageList(strip.get(), 16, 16);
    TaskGroup& group = title.AddGroup(ID_TASKGROUP_PERFORMANCE, L"Current System Performance");
    group.SetMargins({0, 5, 0, 0});
    TaskItem& line = title.AddTextItem(group, 0, L"fff", true);

    group.SetIcon(18);
    line.SetCaption("This option will help you to view Current Running Processes and control them");
    EXPECT_TRUE(line.IsBold());
    EXPECT_LE(title.ItemRect(line).bottom, 80);
    EXPECT_GT(title.ItemRect(line).top, title.CaptionRect(group).top);
    const ClientPicture picture(title.GetSafeHwnd());
    const RECT icon = ToRect(group.CaptionIconRect());
    EXPECT_EQ(picture.At(icon.left + 8, icon.top + 8), testing::IconColor(18));
    EXPECT_EQ(picture.Count(RECT{0, 0, 1045, 80}, testing::IconColor(24)), 0);
}

}  // namespace
}  // namespace qmo
