#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <memory>

#include "config/registry_run_entry.h"
#include "framework/application.h"
#include "config/registry_profile.h"
#include "res/pages_resource.h"
#include "res/process_resource.h"
#include "res/resource.h"
#include "shell/main_frame.h"
#include "framework/resource_usage.h"
#include "framework/window_dpi.h"
#include "shell/view_layout.h"
#include "frame_test_support.h"
#include "toolkit_test_support.h"
#include "wine_test_support.h"

using namespace qmo;

namespace {

class PageHostViewTest : public ::testing::Test, protected qmo::testing::FrameOnScratchKeys<> {
protected:
    PageHostViewTest() : FrameOnScratchKeys(L"View") {}
    void SetUp() override {
        ASSERT_TRUE(Create());
        Show();
    }

    CTesselDesktopSuitFrameView& View() { return frame->View(); }
    int SelectedTab() { return View().PageTabs().SelectedTab(); }
    std::vector<bool> Special() {
        std::vector<bool> special;
        for (std::size_t group = 0; group < View().NavPanel().GroupCount(); ++group)
            special.push_back(View().NavPanel().IsGroupSpecial(group));
        return special;
    }
    std::string TitleCaption() { return View().TitlePanel().Group(0).Caption(); }
    std::string TitleText() { return View().TitlePanel().Group(0).Item(0).Caption(); }
    static void ClickAt(HWND window, const RECT& rect) {
        const LPARAM at = MAKELPARAM((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
        ::SendMessageW(window, WM_MOUSEMOVE, 0, at);
        ::SendMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, at);
        ::SendMessageW(window, WM_LBUTTONUP, 0, at);
    }

};

RECT ChildRect(HWND child) {
    RECT rect{};
    ::GetWindowRect(child, &rect);
    ::MapWindowPoints(nullptr, ::GetParent(child), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

// Every child where the layout for the view's client area at `dpi` puts it.
void ExpectChildrenLaidOut(CTesselDesktopSuitFrameView& view, unsigned dpi) {
    RECT client{};
    ::GetClientRect(view.GetSafeHwnd(), &client);
    const qmo::ViewLayout layout = qmo::LayoutView(client.right, client.bottom, dpi);
    const struct {
        HWND window;
        int id;
        qmo::Box box;
    } children[] = {{view.Footer().GetSafeHwnd(), IDC_VIEW_PANEL, layout.footer},
                    {view.NavPanel().GetSafeHwnd(), IDC_VIEW_PANEL, layout.navPanel},
                    {view.TitlePanel().GetSafeHwnd(), IDC_VIEW_PANEL, layout.titlePanel},
                    {view.PageTabs().GetSafeHwnd(), IDC_PAGE_TABS, layout.pageTabs}};
    for (const auto& child : children) {
        ASSERT_TRUE(::IsWindow(child.window));
        EXPECT_EQ(::GetDlgCtrlID(child.window), child.id);
        const RECT placed = ChildRect(child.window);
        EXPECT_EQ(placed.left, child.box.x) << dpi;
        EXPECT_EQ(placed.top, child.box.y) << dpi;
        EXPECT_EQ(placed.right - placed.left, child.box.width) << dpi;
        EXPECT_EQ(placed.bottom - placed.top, child.box.height) << dpi;
    }
}

TEST_F(PageHostViewTest, ChildrenHaveTheirIdsAndTheLayoutsRectangles) {
    ExpectChildrenLaidOut(View(), qmo::WindowDpi(View().GetSafeHwnd()));
    EXPECT_EQ(View().PageTabs().TabCount(), 3);
    EXPECT_EQ(View().NavPanel().GroupCount(), 4u);
}

TEST_F(PageHostViewTest, StartsOnThePerformancePageWithPanelAndTitleAgreeing) {
    EXPECT_EQ(SelectedTab(), 0);
    EXPECT_EQ(Special(), (std::vector<bool>{true, false, false, false}));
    EXPECT_EQ(TitleCaption(), "Current System Performance");
    EXPECT_EQ(TitleText(), "This option will help you to view Current System Performance");
    EXPECT_EQ(View().TitlePanel().Group(0).Icon(), 24);
    EXPECT_TRUE(::IsWindowVisible(View().PerformancePage().GetSafeHwnd()));
    EXPECT_FALSE(::IsWindowVisible(View().ProcessPage().GetSafeHwnd()));
}

TEST_F(PageHostViewTest, ALinkClickSwitchesTheTabAndTheTitle) {
    const qmo::TaskItem* link = View().NavPanel().FindItem(1, 0);
    ASSERT_NE(link, nullptr);
    ClickAt(View().NavPanel().GetSafeHwnd(), View().NavPanel().ItemRect(*link));
    EXPECT_EQ(SelectedTab(), 1);
    EXPECT_EQ(Special(), (std::vector<bool>{false, true, false, false}));
    EXPECT_EQ(TitleCaption(), "Current System Process");
    EXPECT_EQ(TitleText(), "This option will help you to view Current Running Processes and control them");
    EXPECT_EQ(View().TitlePanel().Group(0).Icon(), 18);
    EXPECT_TRUE(::IsWindowVisible(View().ProcessPage().GetSafeHwnd()));
}

TEST_F(PageHostViewTest, ATabClickUpdatesThePanelAndTheTitle) {
    ClickAt(View().PageTabs().GetSafeHwnd(), View().PageTabs().TabRect(2));
    EXPECT_EQ(SelectedTab(), 2);
    EXPECT_EQ(Special(), (std::vector<bool>{false, false, true, false}));
    EXPECT_EQ(TitleCaption(), "Settings");
    EXPECT_EQ(View().TitlePanel().Group(0).Icon(), 58);
}

TEST_F(PageHostViewTest, GroupCaptionsTakeNoClicks) {
    qmo::TaskPanel& panel = View().NavPanel();
    for (std::size_t group = 1; group < panel.GroupCount(); ++group)
        ClickAt(panel.GetSafeHwnd(), panel.CaptionRect(panel.Group(group)));
    EXPECT_EQ(SelectedTab(), 0);
    EXPECT_EQ(Special(), (std::vector<bool>{true, false, false, false}));
    EXPECT_EQ(panel.FindItem(3, 0)->Kind(), qmo::TaskItemKind::Control);
}

TEST_F(PageHostViewTest, TheHighlightStaysBlueAfterASystemColourOrThemeChange) {
    // The system tells the top-level frame; the frame passes it down.
    ::SendMessageW(frame->GetSafeHwnd(), WM_SETTINGCHANGE, 0, 0);
    ::SendMessageW(frame->GetSafeHwnd(), WM_SYSCOLORCHANGE, 0, 0);
    ::SendMessageW(View().NavPanel().GetSafeHwnd(), WM_THEMECHANGED, 0, 0);
    EXPECT_EQ(View().NavPanel().SpecialCaptionColor(), RGB(0, 0, 255));
    EXPECT_EQ(Special(), (std::vector<bool>{true, false, false, false}));
}

// Any program on the desktop can send the panels' notification, with any value.
TEST_F(PageHostViewTest, ANotificationNamingNoLinkOfOursChangesNothing) {
    qmo::TaskPanel& title = View().TitlePanel();
    qmo::TaskItem* titleItem = title.FindItem(0, 0);
    ASSERT_NE(titleItem, nullptr);
    RECT onTheStack{};
    const auto onTheHeap = std::make_unique<int>(0);
    const LPARAM madeUp[] = {1, 0x7FFF0000, reinterpret_cast<LPARAM>(&onTheStack), -1,
                             reinterpret_cast<LPARAM>(onTheHeap.get()), reinterpret_cast<LPARAM>(titleItem),
                             reinterpret_cast<LPARAM>(&View().NavPanel().Group(1))};
    for (LPARAM value : madeUp) {
        ::SendMessageW(View().GetSafeHwnd(), WM_TASKPANEL_NOTIFY, qmo::kTaskPanelItemClick, value);
        EXPECT_EQ(SelectedTab(), 0) << value;
        EXPECT_EQ(Special(), (std::vector<bool>{true, false, false, false})) << value;
    }
    // The real thing still works.
    ::SendMessageW(View().GetSafeHwnd(), WM_TASKPANEL_NOTIFY, qmo::kTaskPanelItemClick,
                   reinterpret_cast<LPARAM>(View().NavPanel().FindItem(2, 0)));
    EXPECT_EQ(SelectedTab(), 2);
}

LONG FontHeight(HWND window) {
    LOGFONTW face{};
    ::GetObjectW(reinterpret_cast<HFONT>(::SendMessageW(window, WM_GETFONT, 0, 0)), sizeof(face), &face);
    return face.lfHeight;
}

// As when the window is dragged to a monitor of another scale: the view is laid
// out for the new DPI, its fonts and pictures are made again, and going back
// and forth holds on to nothing more each time.
TEST_F(PageHostViewTest, ADpiChangeLaysTheViewOutAgainAndRemakesItsFontsWithoutGrowth) {
    const HWND window = frame->GetSafeHwnd();
    const unsigned screen = qmo::WindowDpi(window);
    const unsigned other = screen == 144 ? 192 : 144;
    const HWND button = ::GetDlgItem(View().NavPanel().GetSafeHwnd(), IDC_OPTIMIZE_MEMORY);
    ASSERT_TRUE(button);
    const HWND heading = ::GetDlgItem(View().ProcessPage().GetSafeHwnd(), IDC_PROCESS_HEADING);
    ASSERT_TRUE(heading);
    const LONG screenFont = FontHeight(button);
    const LONG screenHeading = FontHeight(heading);
    const auto changeTo = [&](unsigned dpi) {
        RECT suggested{};
        ::GetWindowRect(window, &suggested);
        ::SendMessageW(window, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
        ::RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    };
    const auto gdi = [&] {
        return ::SendMessageW(window, qmo::ResourceUsageMessage(), static_cast<WPARAM>(qmo::ResourceKind::Gdi), 0);
    };

    const auto smallIconWidth = [&] {
        ICONINFO info{};
        const HICON icon = reinterpret_cast<HICON>(::SendMessageW(window, WM_GETICON, ICON_SMALL, 0));
        if (!icon || !::GetIconInfo(icon, &info))
            return 0;
        BITMAP bitmap{};
        ::GetObjectW(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof(bitmap), &bitmap);
        ::DeleteObject(info.hbmColor);
        ::DeleteObject(info.hbmMask);
        return static_cast<int>(bitmap.bmWidth);
    };
    const auto usage = [&] {
        return ::SendMessageW(window, qmo::ResourceUsageMessage(), static_cast<WPARAM>(qmo::ResourceKind::User), 0);
    };

    changeTo(other);
    ExpectChildrenLaidOut(View(), other);
    EXPECT_EQ(smallIconWidth(), qmo::SystemMetricForDpi(SM_CXSMICON, other)) << "the window's icon";
    EXPECT_NEAR(FontHeight(button), ::MulDiv(screenFont, static_cast<int>(other), static_cast<int>(screen)), 1);
    EXPECT_NEAR(FontHeight(heading), ::MulDiv(screenHeading, static_cast<int>(other), static_cast<int>(screen)), 1)
        << "a page's heading";
    changeTo(screen);
    ExpectChildrenLaidOut(View(), screen);
    EXPECT_EQ(FontHeight(button), screenFont);
    EXPECT_EQ(FontHeight(heading), screenHeading);
    const LRESULT settled = gdi();
    const LRESULT settledUser = usage();
    changeTo(other);
    changeTo(screen);
    EXPECT_EQ(gdi(), settled) << "GDI objects grew over a change of DPI and back";
    EXPECT_EQ(usage(), settledUser) << "USER objects (icons) grew over a change of DPI and back";
}

TEST_F(PageHostViewTest, MenuCommandsGiveTheSameResultAsTheLinks) {
    for (UINT command : {ID_VIEW_SETTINGS, ID_VIEW_PROCESSES, ID_VIEW_PERFORMANCE}) {
        ::SendMessageW(frame->GetSafeHwnd(), WM_COMMAND, command, 0);
        const int page = static_cast<int>(command - ID_VIEW_PERFORMANCE);
        EXPECT_EQ(SelectedTab(), page);
        std::vector<bool> expected(4, false);
        expected[static_cast<std::size_t>(page)] = true;
        EXPECT_EQ(Special(), expected);
    }
}

TEST_F(PageHostViewTest, PagesSwallowEnterAndEscapeAndStayOpen) {
    for (PageDialog* page : std::initializer_list<PageDialog*>{&View().PerformancePage(), &View().ProcessPage(),
                                                               &View().SettingsPage()}) {
        const HWND button = ::GetDlgItem(page->GetSafeHwnd(), IDC_PAGE_OPTIMIZE_MEMORY);
        ASSERT_TRUE(button);
        for (WPARAM key : {WPARAM{VK_RETURN}, WPARAM{VK_ESCAPE}}) {
            MSG message{button, WM_KEYDOWN, key, 0, 0, {}};
            EXPECT_TRUE(qmo::Application::PreTranslate(message));
        }
        ::SendMessageW(page->GetSafeHwnd(), WM_COMMAND, IDCANCEL, 0);
        ::SendMessageW(page->GetSafeHwnd(), WM_COMMAND, IDOK, 0);
        EXPECT_TRUE(::IsWindow(page->GetSafeHwnd()));
    }
}

// The page's own control that holds `window` (the edit inside a combo box, say).
HWND PageControlOf(HWND page, HWND window) {
    while (window && ::GetParent(window) != page)
        window = ::GetParent(window);
    return window;
}

TEST_F(PageHostViewTest, TabWalksEveryControlOfEachPageOnceInReadingOrder) {
    for (std::size_t group = 0; group < 3; ++group) {
        View().SelectNavigationGroup(group);
        const HWND page = View().PageTabs().TabPage(static_cast<int>(group));
        SCOPED_TRACE(::testing::Message() << "page " << group);
        std::vector<HWND> stops;
        for (HWND child = ::GetWindow(page, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT))
            if ((::GetWindowLongPtrW(child, GWL_STYLE) & (WS_TABSTOP | WS_VISIBLE | WS_DISABLED)) == (WS_TABSTOP | WS_VISIBLE))
                stops.push_back(child);
        ASSERT_FALSE(stops.empty());

        const HWND first = ::GetNextDlgTabItem(page, nullptr, FALSE);
        ::SetFocus(first);
        std::vector<HWND> walked;
        for (HWND at = first; walked.size() <= stops.size(); at = PageControlOf(page, ::GetFocus())) {
            if (!walked.empty() && at == first)
                break;
            walked.push_back(at);
            MSG tab{::GetFocus(), WM_KEYDOWN, VK_TAB, 0, 0, {}};
            EXPECT_TRUE(qmo::Application::PreTranslate(tab));
        }
        EXPECT_EQ(walked.size(), stops.size());
        for (HWND stop : stops)
            EXPECT_EQ(std::count(walked.begin(), walked.end(), stop), 1) << ::GetDlgCtrlID(stop);
        // Down the page row by row, left to right within a row.
        for (std::size_t index = 1; index < walked.size(); ++index) {
            const RECT from = ChildRect(walked[index - 1]);
            const RECT to = ChildRect(walked[index]);
            const int fromMiddle = (from.top + from.bottom) / 2, toMiddle = (to.top + to.bottom) / 2;
            const int sameRow = std::min(from.bottom - from.top, to.bottom - to.top) / 2;
            if (std::abs(toMiddle - fromMiddle) <= sameRow)
                EXPECT_GT(to.left, from.left) << ::GetDlgCtrlID(walked[index]);
            else
                EXPECT_GT(toMiddle, fromMiddle) << ::GetDlgCtrlID(walked[index]);
        }
    }
}

TEST_F(PageHostViewTest, EverySelfDrawnControlShowsWhenItHasTheKeyboardFocus) {
    const HWND elsewhere = ::GetDlgItem(View().ProcessPage().GetSafeHwnd(), IDC_PROCESS_LIST);
    View().SelectNavigationGroup(1);
    const HWND controls[] = {View().NavPanel().GetSafeHwnd(), View().PageTabs().GetSafeHwnd(),
                             ::GetDlgItem(View().NavPanel().GetSafeHwnd(), IDC_OPTIMIZE_MEMORY),
                             ::GetDlgItem(View().ProcessPage().GetSafeHwnd(), IDC_PROCESS_REFRESH)};
    const auto picture = [](HWND control) {
        ::UpdateWindow(control);
        return qmo::testing::ClientPicture::FromScreen(control);
    };
    for (HWND control : controls) {
        SCOPED_TRACE(::testing::Message() << "control " << ::GetDlgCtrlID(control));
        ::SetFocus(elsewhere);
        const auto unfocused = picture(control);
        // Arriving by keyboard: the mouse button is up.
        ::SetFocus(control);
        ASSERT_EQ(::GetFocus(), control);
        EXPECT_FALSE(picture(control) == unfocused);
        ::SetFocus(elsewhere);
        EXPECT_TRUE(picture(control) == unfocused);
    }
}

}  // namespace
