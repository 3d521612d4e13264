// The four controls composed as the page host lays them out in a 1280x800
// window, and checked on the screen itself. With QMO_TOOLKIT_SHOWCASE_MS=<ms>
// set, the window stays up that long afterwards for a screenshot.
#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <memory>
#include <vector>

#include "framework/unique_handle.h"
#include "res/pages_resource.h"
#include "res/resource.h"
#include "toolkit/caption_bar.h"
#include "toolkit/page_tab_control.h"
#include "toolkit/task_panel/task_panel.h"
#include "toolkit/themed_button.h"
#include "toolkit/ui_fonts.h"
#include "toolkit/ui_paint.h"
#include "toolkit_test_support.h"
#include "wine_test_support.h"

namespace qmo {
namespace {

using testing::ClientPicture;

constexpr int kWidth = 1280, kHeight = 800;
constexpr int kBanner = 70, kNavWidth = 235, kTitleHeight = 80, kFooterHeight = 20;
constexpr DWORD kPanelStyle = 0x56010000;
constexpr DWORD kNavButtonStyle = 0x5000C00B;
constexpr DWORD kPageButtonStyle = WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON;

// A white page with a few of the controls the program's pages carry.
class ShowcasePage : public Window {
public:
    bool Create(HWND parent) {
        WindowClass windowClass{L"QuenvaleTest.ShowcasePage"};
        windowClass.background = static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH));
        windowClass.cursor = ::LoadCursorW(nullptr, IDC_ARROW);
        return Window::Create(windowClass, WS_EX_CONTROLPARENT, L"", WS_CHILD | WS_VISIBLE, 0, 0, 10, 10, parent,
                              nullptr);
    }
    void AddText(const wchar_t* text, RECT at) {
        HWND child = ::CreateWindowExW(0, L"STATIC", text, WS_CHILD | WS_VISIBLE, at.left, at.top, at.right - at.left,
                                       at.bottom - at.top, m_hWnd, nullptr, ::GetModuleHandleW(nullptr), nullptr);
        ::SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(StandardInterfaceFont()), FALSE);
    }
    ThemedButton& AddButton(const wchar_t* text, RECT at, UINT id) {
        buttons.push_back(std::make_unique<ThemedButton>());
        ThemedButton& button = *buttons.back();
        button.Create(text, kPageButtonStyle, at, m_hWnd, id);
        ::SendMessageW(button.GetSafeHwnd(), WM_SETFONT, reinterpret_cast<WPARAM>(StandardInterfaceFont()), FALSE);
        return button;
    }

    std::vector<std::unique_ptr<ThemedButton>> buttons;

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
        switch (message) {
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORBTN:
            ::SetBkColor(reinterpret_cast<HDC>(wParam), RGB(255, 255, 255));
            return reinterpret_cast<LRESULT>(::GetStockObject(WHITE_BRUSH));
        default:
            return Window::HandleMessage(message, wParam, lParam);
        }
    }
};

void PaintBanner(HDC dc, const RECT& client, HFONT font) {
    const RECT band{0, 0, client.right, kBanner};
    FillVerticalGradient(dc, band, RGB(0, 84, 166), RGB(0, 120, 215));
    FillSolid(dc, RECT{0, kBanner - 1, client.right, kBanner}, RGB(255, 255, 255));
    RECT text{24, 0, client.right, kBanner - 1};
    DrawTextIn(dc, L"Quenvale Memory Optimizer", text, font, RGB(255, 255, 255), DT_LEFT | DT_VCENTER | DT_SINGLELINE);
}

bool SameIn(HWND control, const RECT& area) {
    const ClientPicture screen = ClientPicture::FromScreen(control);
    const ClientPicture composed(control);
    const RECT differences =
        screen.BoundsWhere(area, [&](COLORREF pixel, int x, int y) { return pixel != composed.At(x, y); });
    return ::IsRectEmpty(&differences) != FALSE;
}

class ToolkitShowcase : public ::testing::Test {
protected:
    void SetUp() override {
        // Keep the pointer off the controls: nothing should look hot.
        qmo::testing::MovePointer(kWidth - 5, 5);
        LOGFONTW face = MessageFont();
        face.lfHeight = -24;
        face.lfWeight = FW_SEMIBOLD;
        bannerFont.reset(::CreateFontIndirectW(&face));
        host.onPaint = [this](HDC dc, const RECT& client) {
            BufferedCanvas canvas(dc, client);
            FillSolid(canvas.dc(), client, RGB(255, 255, 255));
            PaintBanner(canvas.dc(), client, bannerFont.get());
        };
        host.onPanelNotify = [this](LPARAM item) { ShowItem(nav.ItemFromNotification(item)); };
        ASSERT_TRUE(host.Create(kWidth, kHeight));
        const HWND parent = host.GetSafeHwnd();

        ASSERT_TRUE(
            footer.Create(L"Quenvale Memory Optimizer \u00A9 2011 Quenvale Software. Visit www.quenvale.example for "
                          L"updates and support.",
                          WS_CHILD | WS_VISIBLE | SS_CENTER | SS_CENTERIMAGE,
                          RECT{0, kHeight - kFooterHeight, kWidth, kHeight}, parent, 1));
        footer.SetColors(::GetSysColor(COLOR_3DFACE), ::GetSysColor(COLOR_3DSHADOW), ::GetSysColor(COLOR_WINDOW));

        BuildNavigation(parent);
        BuildTitle(parent);
        BuildTabs(parent);
        ShowItem(nav.FindItem(0, 0));
        ASSERT_TRUE(testing::PumpUntil([&] { return !testing::HasPendingPaint(host.GetSafeHwnd()); }));
    }

    void BuildNavigation(HWND parent) {
        ASSERT_TRUE(nav.Create(kPanelStyle, RECT{0, kBanner, kNavWidth, kHeight - kFooterHeight}, parent, 1));
        nav.SetTheme(kTaskPanelNavigationTheme);
        nav.SetExpandable(false);
        nav.SetAnimation(false);
        nav.SetSpecialCaptionColor(RGB(0, 0, 255));
        nav.SetImageList(IDB_TASK_ICONS, 16, 16);
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
            nav.AddLinkItem(nav.AddGroup(g.group, g.caption), g.item, g.link, g.icon);
        TaskGroup& optimize = nav.AddGroup(ID_TASKGROUP_OPTIMIZE, L"Optimize Memory now..");
        ASSERT_TRUE(
            optimizeButton.Create(L"Optimize Memory", kNavButtonStyle, RECT{0, 0, 300, 52}, nav.GetSafeHwnd(),
                                  IDC_OPTIMIZE_MEMORY));
        optimizeButton.SetImage(IDB_OPTIMIZE_BUTTON);
        nav.AddControlItem(optimize, IDC_OPTIMIZE_MEMORY, optimizeButton.GetSafeHwnd());
        ::SendMessageW(optimizeButton.GetSafeHwnd(), WM_SETFONT, reinterpret_cast<WPARAM>(StandardInterfaceFont()),
                       TRUE);
    }

    void BuildTitle(HWND parent) {
        ASSERT_TRUE(title.Create(kPanelStyle, RECT{kNavWidth, kBanner, kWidth, kBanner + kTitleHeight}, parent, 1));
        title.SetTheme(kTaskPanelTitleTheme);
        title.SetExpandable(false);
        title.SetAnimation(false);
        title.SetImageList(IDB_TASK_ICONS, 16, 16);
        TaskGroup& group = title.AddGroup(ID_TASKGROUP_PERFORMANCE, L"Current System Performance");
        group.SetMargins({0, 5, 0, 0});
        title.AddTextItem(group, 0, L"fff", true);
    }

    void BuildTabs(HWND parent) {
        const int top = kBanner + kTitleHeight;
        ASSERT_TRUE(tabs.Create(kPanelStyle, RECT{kNavWidth, top, kWidth, kHeight - kFooterHeight}, parent,
                                IDC_PAGE_TABS));
        tabs.SetImageList(IDB_TASK_ICONS, 16, 16);
        for (ShowcasePage& page : pages)
            ASSERT_TRUE(page.Create(tabs.GetSafeHwnd()));

        pages[0].AddText(L"Committed memory and processor load, sampled once a second.", RECT{24, 20, 600, 40});
        pages[0].AddButton(L"Optimize Memory", RECT{24, 56, 184, 88}, IDC_PAGE_OPTIMIZE_MEMORY);
        ThemedButton& end = pages[1].AddButton(L"End Process", RECT{24, 20, 164, 52}, IDC_PROCESS_END);
        ThemedButton& refresh = pages[1].AddButton(L"Refresh ", RECT{176, 20, 296, 52}, IDC_PROCESS_REFRESH);
        ThemedButton& selected =
            pages[1].AddButton(L"Optimize Selected Process", RECT{308, 20, 528, 52}, IDC_PROCESS_OPTIMIZE_SELECTED);
        pages[1].AddButton(L"Optimize Memory", RECT{540, 20, 700, 52}, IDC_PAGE_OPTIMIZE_MEMORY);
        end.SetIcons(IDB_TASK_ICONS, 45, 45);
        refresh.SetIcons(IDB_TASK_ICONS, 23, 23);
        selected.SetIcons(IDB_TASK_ICONS, 24, 24);
        pages[2].AddText(L"Critical limit: 80 %", RECT{24, 20, 300, 40});
        pages[2].AddButton(L"Apply", RECT{24, 52, 144, 84}, IDC_SETTINGS_APPLY_OPTIMIZER)
            .SetIcons(IDB_TASK_ICONS, 53, 53);
        pages[2].AddButton(L"Apply", RECT{156, 52, 276, 84}, IDC_SETTINGS_APPLY_GENERAL)
            .SetIcons(IDB_TASK_ICONS, 53, 53);
        ::EnableWindow(pages[2].buttons.back()->GetSafeHwnd(), FALSE);

        const wchar_t* captions[] = {L" Current System Performance ", L" Current System Process ", L" Settings "};
        const int tabIcons[] = {24, 18, 58};
        for (int i = 0; i < 3; ++i)
            tabs.InsertTab(i, captions[i], pages[i].GetSafeHwnd(), tabIcons[i]);
    }

    // What the page host does with a link: one highlighted group, the title, the tab.
    void ShowItem(TaskItem* item) {
        if (!item)
            return;
        for (std::size_t g = 0; g < nav.GroupCount(); ++g)
            nav.Group(g).SetSpecial(false);
        item->Group().SetSpecial(true);
        title.Group(0).SetIcon(item->Icon());
        title.Group(0).SetCaption(item->Group().Caption());
        title.Group(0).Item(0).SetCaption(item->Caption());
        for (std::size_t g = 0; g < 3; ++g) {
            if (&nav.Group(g) == &item->Group())
                tabs.SelectTab(static_cast<int>(g));
        }
    }

    void HoldForAScreenshot() {
        const char* hold = std::getenv("QMO_TOOLKIT_SHOWCASE_MS");
        if (hold && *hold)
            testing::PumpUntil([] { return false; }, static_cast<DWORD>(std::atoi(hold)));
    }

    unique_font bannerFont;
    testing::ControlHost host;
    CaptionBar footer;
    ThemedButton optimizeButton;
    TaskPanel nav;
    TaskPanel title;
    PageTabControl tabs;
    std::array<ShowcasePage, 3> pages;
};

TEST_F(ToolkitShowcase, WhatReachesTheScreenIsWhatEachControlComposes) {
    // Where no child window covers it, the screen shows exactly the composed picture.
    const RECT aboveTheButton{0, 0, kNavWidth, testing::ChildRect(optimizeButton.GetSafeHwnd()).top};
    const RECT strip{0, 0, kWidth - kNavWidth, tabs.PageRect().top};
    const RECT all{0, 0, kWidth, kHeight};
    EXPECT_TRUE(SameIn(nav.GetSafeHwnd(), aboveTheButton));
    EXPECT_TRUE(SameIn(tabs.GetSafeHwnd(), strip));
    EXPECT_TRUE(SameIn(title.GetSafeHwnd(), all));
    EXPECT_TRUE(SameIn(footer.GetSafeHwnd(), all));

    const ClientPicture screen = ClientPicture::FromScreen(nav.GetSafeHwnd());
    const RECT special = nav.CaptionRect(nav.Group(0));
    EXPECT_EQ(screen.At(special.left + 4, special.top + 4), RGB(0, 0, 255));
    EXPECT_TRUE(::IsWindowVisible(pages[0].GetSafeHwnd()));
    const RECT item = nav.ItemRect(*nav.FindItem(1, 0));
    testing::Click(nav.GetSafeHwnd(), testing::CentreOf(item));
    EXPECT_EQ(tabs.SelectedTab(), 1);
    EXPECT_TRUE(nav.IsGroupSpecial(1) && !nav.IsGroupSpecial(0));
    EXPECT_EQ(title.Group(0).Caption(), "Current System Process");
    ASSERT_TRUE(testing::PumpUntil([&] { return !testing::HasPendingPaint(tabs.GetSafeHwnd()); }));
    EXPECT_TRUE(::IsWindowVisible(pages[1].GetSafeHwnd()));
    EXPECT_FALSE(::IsWindowVisible(pages[0].GetSafeHwnd()));

    HoldForAScreenshot();
}

}  // namespace
}  // namespace qmo
