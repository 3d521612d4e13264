#include "shell/tessel_view.h"

#include <array>

#include "framework/application.h"
#include "framework/identity.h"
#include "framework/resource_language.h"
#include "framework/startup_trace.h"
#include "framework/text.h"
#include "framework/unique_handle.h"
#include "framework/window_dpi.h"
#include "res/pages_resource.h"
#include "res/resource.h"
#include "shell/view_layout.h"
#include "toolkit/image_strip.h"
#include "toolkit/ui_fonts.h"
#include "toolkit/ui_paint.h"
#include "toolkit/ui_palette.h"

namespace qmo {

namespace {

constexpr int kOptimizeButtonHeight = 52;
constexpr qmo::UiMargins kTitleMargins{0, 5, 0, 0};
constexpr DWORD kPanelStyle = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | WS_TABSTOP;

struct PageTab {
    UINT caption;
    int icon;
};
constexpr std::array<PageTab, 3> kPageTabs{{{IDS_TAB_PERFORMANCE, 24}, {IDS_TAB_PROCESS, 18}, {IDS_TAB_SETTINGS, 58}}};

std::wstring Caption(int stringId) {
    std::wstring text = qmo::LoadResourceString(static_cast<UINT>(stringId));
    // A line feed separates the caption from its tooltip.
    return text.substr(0, text.find(L'\n'));
}

int GroupIndexOf(const qmo::TaskPanel& panel, const qmo::TaskGroup& group) {
    for (std::size_t index = 0; index < panel.GroupCount(); ++index)
        if (&panel.Group(index) == &group)
            return static_cast<int>(index);
    return -1;
}

}  // namespace

void CPageTabControl::OnTabActivated(int index) {
    m_view.SelectNavigationGroupFromTab(static_cast<std::size_t>(index));
}

HWND CPageTabControl::MakePage(int index) {
    return m_view.MakePage(index);
}

bool COptimizeMemoryButton::OnClicked() {
    m_gate.RequestOptimization(qmo::OptimizationStart::Visible, qmo::RunTrigger::Navigation);
    return true;
}

CTesselDesktopSuitFrameView::CTesselDesktopSuitFrameView(qmo::OptimizationGate& gate, qmo::SettingsHolder& settings)
    : m_wndPageTabs(*this), m_pageProcess(&settings), m_pageSettings(&settings),
      m_btnOptimize(gate) {
    m_pagePerformance.SetOptimizationGate(&gate);
    m_pageProcess.SetOptimizationGate(&gate);
    m_pageSettings.SetOptimizationGate(&gate);
}

void CTesselDesktopSuitFrameView::OnFrameShown() {
    if (m_pageProcess.IsCreated() && ::IsWindowVisible(m_pageProcess.GetSafeHwnd()))
        m_pageProcess.Logic().RefreshProcessList();
}

bool CTesselDesktopSuitFrameView::Create(HWND frame) {
    qmo::WindowClass windowClass{qmo::kPageHostViewClassName};
    windowClass.cursor = ::LoadCursorW(nullptr, IDC_ARROW);
    return Window::Create(windowClass, 0, L"", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, 0, 0, frame,
                          reinterpret_cast<HMENU>(static_cast<UINT_PTR>(IDC_PAGE_HOST_VIEW)));
}

LRESULT CTesselDesktopSuitFrameView::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_SETTINGCHANGE:
    case WM_SYSCOLORCHANGE:
        OnSystemChange(message, wParam, lParam);
        return 0;
    case WM_TASKPANEL_NOTIFY:
        // Only links of the navigation panel switch pages; any other value,
        // from whichever program sent it, is not ours to read.
        if (wParam == qmo::kTaskPanelItemClick)
            if (const qmo::TaskItem* item = m_wndNavPanel.ItemFromNotification(lParam))
                ShowNavigationItem(item, false);
        return 0;
    default:
        return Window::HandleMessage(message, wParam, lParam);
    }
}

bool CTesselDesktopSuitFrameView::OnEraseBkgnd(HDC) {
    return true;  // the children and the banner's paint cover every pixel
}

// Each step needs the ones before; a failure leaves the rest out, and the
// view still comes up.
bool CTesselDesktopSuitFrameView::OnCreate(const CREATESTRUCTW&, LRESULT& result) {
    BuildView();
    result = 0;
    return true;
}

void CTesselDesktopSuitFrameView::BuildView() {
    if (!CreateFooter() || !CreateNavPanel() || !CreateTitlePanel())
        return;
    qmo::MarkStartupStep("view-panels");
    if (!CreatePageTabs())
        return;
    const unsigned dpi = qmo::WindowDpi(m_hWnd);
    if (dpi != m_dpi)
        ApplyDpi(dpi);
}

void CTesselDesktopSuitFrameView::ApplyDpi(unsigned dpi) {
    SwapSharedFonts(m_dpi, dpi);
    m_dpi = dpi;
    for (auto& bitmap : m_bannerArt)
        bitmap.reset();
    if (m_wndFooter.IsCreated())
        m_wndFooter.SetDpi(dpi);
    for (qmo::TaskPanel* panel : {&m_wndNavPanel, &m_wndTitlePanel})
        if (panel->IsCreated())
            panel->SetDpi(dpi);
    if (m_wndTitlePanel.GroupCount() > 0)
        m_wndTitlePanel.Group(0).SetMargins(qmo::ScaleForDpi(kTitleMargins, dpi));
    if (m_btnOptimize.IsCreated()) {
        m_btnOptimize.SetDpi(dpi);
        ::SendMessageW(m_btnOptimize.GetSafeHwnd(), WM_SETFONT,
                       reinterpret_cast<WPARAM>(qmo::StandardInterfaceFont(dpi)), TRUE);
        if (qmo::TaskItem* slot = m_wndNavPanel.FindItem(m_wndNavPanel.GroupCount() - 1, 0))
            slot->SetControlHeight(qmo::ScaleForDpi(kOptimizeButtonHeight, dpi));
    }
    if (m_wndPageTabs.IsCreated()) {
        m_wndPageTabs.SetDpi(dpi);
        for (int index = 0; index < static_cast<int>(kPageTabs.size()); ++index)
            if (m_wndPageTabs.TabPage(index))
                StylePageButtons(PageAt(index));
    }
    Relayout();
}

// Controls of the pages that took a shared font by WM_SETFONT get the same
// face at the new DPI.
void CTesselDesktopSuitFrameView::SwapSharedFonts(unsigned from, unsigned to) {
    if (from == to)
        return;
    struct Swap {
        HFONT regular[2];
        HFONT bold[2];
    } swap{{qmo::StandardInterfaceFont(from), qmo::StandardInterfaceFont(to)},
           {qmo::StandardInterfaceBoldFont(from), qmo::StandardInterfaceBoldFont(to)}};
    ::EnumChildWindows(
        m_hWnd,
        [](HWND child, LPARAM context) -> BOOL {
            const auto* fonts = reinterpret_cast<const Swap*>(context);
            const auto font = reinterpret_cast<HFONT>(::SendMessageW(child, WM_GETFONT, 0, 0));
            const HFONT replacement =
                font == fonts->regular[0] ? fonts->regular[1] : font == fonts->bold[0] ? fonts->bold[1] : nullptr;
            if (replacement)
                ::SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(replacement), TRUE);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&swap));
}

void CTesselDesktopSuitFrameView::Relayout() {
    RECT client{};
    if (m_hWnd && ::GetClientRect(m_hWnd, &client))
        OnSize(SIZE_RESTORED, client.right, client.bottom);
    ::InvalidateRect(m_hWnd, nullptr, FALSE);
}

// Only top-level windows hear of new colours and metrics; every control
// below the view is told here so that fonts and colours follow.
void CTesselDesktopSuitFrameView::OnSystemChange(UINT message, WPARAM wParam, LPARAM lParam) {
    struct Change {
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
    } change{message, wParam, lParam};
    TellBelow(
        [](HWND child, LPARAM context) -> BOOL {
            const auto* forwarded = reinterpret_cast<const Change*>(context);
            ::SendMessageW(child, forwarded->message, forwarded->wParam, forwarded->lParam);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&change));
}

// The system's colours are as they were: a system control, told, would only
// read them again (a third of a millisecond each under wine, and there are
// dozens), so only the windows of ours hear of it, and the dialogs among
// them restyle the system controls they hold.
void CTesselDesktopSuitFrameView::ColorsChanged() {
    TellBelow(
        [](HWND child, LPARAM) -> BOOL {
            if (qmo::Window* window = qmo::Window::FromHandle(child))
                window->TellLookChanged();
            return TRUE;
        },
        0);
}

// The footer coloured again, `tell` called for every window below the view,
// and the view drawn again.
void CTesselDesktopSuitFrameView::TellBelow(WNDENUMPROC tell, LPARAM context) {
    if (m_wndFooter.IsCreated())
        ColorFooter();
    ::EnumChildWindows(m_hWnd, tell, context);
    ::InvalidateRect(m_hWnd, nullptr, FALSE);
}

bool CTesselDesktopSuitFrameView::CreateFooter() {
    if (!m_wndFooter.Create(qmo::LoadResourceString(IDS_RIGHTS_NOTICE).c_str(), WS_CHILD | WS_VISIBLE | SS_CENTER | SS_CENTERIMAGE, RECT{}, m_hWnd,
                            IDC_VIEW_PANEL))
        return false;
    ColorFooter();
    return true;
}

// The system's shadow with window-coloured text, or the dark canvas.
void CTesselDesktopSuitFrameView::ColorFooter() {
    if (qmo::DarkColorsInUse()) {
        const qmo::UiPalette palette = qmo::CurrentPalette();
        m_wndFooter.SetColors(palette.border, palette.canvas, palette.mutedText);
        return;
    }
    m_wndFooter.SetColors(::GetSysColor(COLOR_3DFACE), ::GetSysColor(COLOR_3DSHADOW), ::GetSysColor(COLOR_WINDOW));
}

bool CTesselDesktopSuitFrameView::CreateNavPanel() {
    if (!m_wndNavPanel.Create(kPanelStyle, RECT{}, m_hWnd, IDC_VIEW_PANEL))
        return false;
    m_wndNavPanel.SetTheme(qmo::kTaskPanelNavigationTheme);
    m_wndNavPanel.SetExpandable(false);
    m_wndNavPanel.SetAnimation(false);
    m_wndNavPanel.SetSpecialCaptionColor(RGB(0, 0, 255));
    m_wndNavPanel.SetImageList(IDB_TASK_ICONS, 16, 16);
    AddNavGroup(ID_TASKGROUP_PERFORMANCE, ID_TASKITEM_PERFORMANCE, true, 24);
    AddNavGroup(ID_TASKGROUP_PROCESS, ID_TASKITEM_PROCESS, false, 18);
    AddNavGroup(ID_TASKGROUP_SETTINGS, ID_TASKITEM_SETTINGS, false, 58);
    AddOptimizeGroup();
    return true;
}

void CTesselDesktopSuitFrameView::AddNavGroup(int groupId, int itemId, bool special, int icon) {
    qmo::TaskGroup& group = m_wndNavPanel.AddGroup(groupId, Caption(groupId));
    m_wndNavPanel.AddLinkItem(group, itemId, Caption(itemId), icon);
    if (special)
        group.SetSpecial(true);
}

void CTesselDesktopSuitFrameView::FollowPolicy() {
    m_btnOptimize.FollowGate();
    m_pageSettings.Refresh();
    m_pageProcess.Refresh();
    m_pagePerformance.Refresh();
}

void CTesselDesktopSuitFrameView::AddOptimizeGroup() {
    qmo::TaskGroup& group = m_wndNavPanel.AddGroup(ID_TASKGROUP_OPTIMIZE, Caption(ID_TASKGROUP_OPTIMIZE));
    if (!m_btnOptimize.Create(qmo::LoadResourceString(IDS_OPTIMIZE_MEMORY_BUTTON).c_str(), WS_CHILD | WS_VISIBLE | BS_FLAT | BS_NOTIFY | BS_OWNERDRAW,
                              RECT{0, 0, 300, kOptimizeButtonHeight}, m_wndNavPanel.GetSafeHwnd(), IDC_OPTIMIZE_MEMORY))
        return;
    m_btnOptimize.SetImage(IDB_OPTIMIZE_BUTTON);
    m_wndNavPanel.AddControlItem(group, IDC_OPTIMIZE_MEMORY, m_btnOptimize.GetSafeHwnd());
    ::SendMessageW(m_btnOptimize.GetSafeHwnd(), WM_SETFONT, reinterpret_cast<WPARAM>(qmo::StandardInterfaceFont()),
                   TRUE);
}

bool CTesselDesktopSuitFrameView::CreateTitlePanel() {
    if (!m_wndTitlePanel.Create(kPanelStyle, RECT{}, m_hWnd, IDC_VIEW_PANEL))
        return false;
    m_wndTitlePanel.SetTheme(qmo::kTaskPanelTitleTheme);
    m_wndTitlePanel.SetExpandable(false);
    m_wndTitlePanel.SetAnimation(false);
    m_wndTitlePanel.SetImageList(IDB_TASK_ICONS, 16, 16);
    qmo::TaskGroup& group = m_wndTitlePanel.AddGroup(ID_TASKGROUP_PERFORMANCE, Caption(ID_TASKGROUP_PERFORMANCE));
    group.SetMargins(kTitleMargins);
    m_wndTitlePanel.AddTextItem(group, 0, L"fff", true);
    ShowNavigationItem(m_wndNavPanel.FindItem(0, 0), true);
    return true;
}

// The tabs come without their pages: each page is made when its tab first
// shows (the first one at once, as it is selected).
bool CTesselDesktopSuitFrameView::CreatePageTabs() {
    if (!m_wndPageTabs.Create(kPanelStyle, RECT{0, 0, 200, 200}, m_hWnd, IDC_PAGE_TABS))
        return false;
    m_wndPageTabs.SetBoldSelected(true);
    m_wndPageTabs.SetImageList(IDB_TASK_ICONS, 16, 16);
    for (std::size_t index = 0; index < kPageTabs.size(); ++index)
        m_wndPageTabs.InsertTab(static_cast<int>(index), qmo::LoadResourceString(kPageTabs[index].caption).c_str(),
                                nullptr, kPageTabs[index].icon);
    return true;
}

PageDialog& CTesselDesktopSuitFrameView::PageAt(int index) {
    switch (index) {
    case 0:
        return m_pagePerformance;
    case 1:
        return m_pageProcess;
    default:
        return m_pageSettings;
    }
}

HWND CTesselDesktopSuitFrameView::MakePage(int index) {
    if (index < 0 || index >= static_cast<int>(kPageTabs.size()) || !m_wndPageTabs.IsCreated())
        return nullptr;
    PageDialog& page = PageAt(index);
    if (!page.IsCreated() && !page.CreateModeless(m_wndPageTabs.GetSafeHwnd()))
        return nullptr;
    StylePageButtons(page);
    return page.GetSafeHwnd();
}

void CTesselDesktopSuitFrameView::ShowSample(const qmo::PerformanceSampler& sampler) {
    if (m_pagePerformance.IsCreated())
        m_pagePerformance.ShowSample(sampler);
}

// The page's push buttons in the view's font and DPI, with their icons.
void CTesselDesktopSuitFrameView::StylePageButtons(PageDialog& page) {
    struct Styled {
        UINT id;
        int icon;  // -1: none
    };
    static constexpr Styled kButtons[] = {{IDC_PAGE_OPTIMIZE_MEMORY, -1},
                                                     {IDC_PROCESS_END, 45},
                                                     {IDC_PROCESS_REFRESH, 23},
                                                     {IDC_PROCESS_OPTIMIZE_SELECTED, 24},
                                                     {IDC_SETTINGS_APPLY_OPTIMIZER, 53},
                                                     {IDC_SETTINGS_APPLY_GENERAL, 53}};
    for (const Styled& styled : kButtons) {
        qmo::ThemedButton* button = page.Button(styled.id);
        if (!button)
            continue;
        ::SendMessageW(button->GetSafeHwnd(), WM_SETFONT,
                       reinterpret_cast<WPARAM>(qmo::StandardInterfaceFont(m_dpi)), TRUE);
        button->SetDpi(m_dpi);
        if (styled.icon >= 0)
            button->SetIcons(IDB_TASK_ICONS, styled.icon, styled.icon);
    }
}

bool CTesselDesktopSuitFrameView::OnSize(UINT, int cx, int cy) {
    const qmo::ViewLayout layout = qmo::LayoutView(cx, cy, m_dpi);
    const auto place = [](const qmo::Window& child, const qmo::Box& box) {
        if (child.GetSafeHwnd())
            ::MoveWindow(child.GetSafeHwnd(), box.x, box.y, box.width, box.height, TRUE);
    };
    place(m_wndFooter, layout.footer);
    place(m_wndNavPanel, layout.navPanel);
    place(m_wndTitlePanel, layout.titlePanel);
    place(m_wndPageTabs, layout.pageTabs);
    // The banner's middle stretches with the width.
    RECT band{0, 0, cx, qmo::ScaleForDpi(qmo::BANNER_HEIGHT, m_dpi)};
    ::InvalidateRect(m_hWnd, &band, FALSE);
    return true;
}

bool CTesselDesktopSuitFrameView::OnPaint() {
    qmo::paint_dc paint(m_hWnd);
    RECT band{};
    ::GetClientRect(m_hWnd, &band);
    band.bottom = qmo::ScaleForDpi(qmo::BANNER_HEIGHT, m_dpi);
    if (band.right > 0) {
        qmo::BufferedCanvas canvas(paint.get(), band);
        qmo::FillSolid(canvas.dc(), band,
                       qmo::DarkColorsInUse() ? qmo::CurrentPalette().window : ::GetSysColor(COLOR_WINDOW));
        OnDraw(canvas.dc(), band.right);
    }
    return true;
}

void CTesselDesktopSuitFrameView::OnDraw(HDC dc, int width) {
    // The right end fades into the page: white, or the dark grey.
    const bool dark = qmo::DarkColorsInUse();
    if (dark != m_bannerDark) {
        m_bannerArt[2].reset();
        m_bannerDark = dark;
    }
    const std::array<UINT, 3> ids{IDB_BANNER_LEFT, IDB_BANNER_MIDDLE,
                                  static_cast<UINT>(dark ? IDB_BANNER_RIGHT_DARK : IDB_BANNER_RIGHT)};
    for (std::size_t index = 0; index < ids.size(); ++index)
        if (!m_bannerArt[index])
            m_bannerArt[index] = qmo::LoadBitmapForDpi(ids[index], m_dpi, false);
    for (const auto& bitmap : m_bannerArt)
        if (!bitmap)
            return;
    const qmo::BannerPlacement placement = qmo::PlaceBanner(width, m_dpi);
    const std::array<const qmo::BannerPiece*, 3> pieces{&placement.left, &placement.middle, &placement.right};

    qmo::unique_dc source(::CreateCompatibleDC(dc));
    if (!source)
        return;
    ::SetStretchBltMode(dc, HALFTONE);
    for (std::size_t index = 0; index < m_bannerArt.size(); ++index) {
        const qmo::BannerPiece& piece = *pieces[index];
        BITMAP info{};
        if (!piece.draw || !::GetObjectW(m_bannerArt[index].get(), sizeof(info), &info))
            continue;
        qmo::scoped_select selected(source.get(), m_bannerArt[index].get());
        const qmo::Box& to = piece.target;
        if (to.width == piece.sourceWidth)
            ::BitBlt(dc, to.x, to.y, to.width, to.height, source.get(), piece.sourceX, 0, SRCCOPY);
        else
            ::StretchBlt(dc, to.x, to.y, to.width, to.height, source.get(), piece.sourceX, 0, piece.sourceWidth,
                         info.bmHeight, SRCCOPY);
    }
}

void CTesselDesktopSuitFrameView::ShowNavigationItem(const qmo::TaskItem* item, bool fromTab) {
    if (!item)
        return;
    const qmo::TaskGroup& group = item->Group();
    const qmo::NavigationItem navigation{item->Id(), GroupIndexOf(m_wndNavPanel, group), item->Icon(),
                                         item->Caption(), group.Caption()};
    if (navigation.group < 0)
        return;  // not a link of the navigation panel
    qmo::ShowNavigationItem(*this, &navigation, fromTab);
}

void CTesselDesktopSuitFrameView::SelectNavigationGroup(std::size_t group) {
    ShowNavigationItem(m_wndNavPanel.FindItem(group, 0), false);
}

void CTesselDesktopSuitFrameView::SelectNavigationGroupFromTab(std::size_t group) {
    ShowNavigationItem(m_wndNavPanel.FindItem(group, 0), true);
}

int CTesselDesktopSuitFrameView::NavigationGroupCount() const {
    return static_cast<int>(m_wndNavPanel.GroupCount());
}

void CTesselDesktopSuitFrameView::SetGroupSpecial(int group, bool special) {
    m_wndNavPanel.Group(static_cast<std::size_t>(group)).SetSpecial(special);
}

void CTesselDesktopSuitFrameView::SetTitleIcon(int icon) {
    if (m_wndTitlePanel.GroupCount() > 0)
        m_wndTitlePanel.Group(0).SetIcon(icon);
}

int CTesselDesktopSuitFrameView::TabCount() const {
    return m_wndPageTabs.GetSafeHwnd() ? m_wndPageTabs.TabCount() : 0;
}

void CTesselDesktopSuitFrameView::SelectTab(int index) {
    m_wndPageTabs.SelectTab(index);
}

void CTesselDesktopSuitFrameView::SetPageTitle(const std::string& groupCaption, const std::string& itemCaption) {
    if (m_wndTitlePanel.GroupCount() == 0)
        return;
    qmo::TaskGroup& title = m_wndTitlePanel.Group(0);
    title.SetCaption(groupCaption);
    if (title.ItemCount() > 0)
        title.Item(0).SetCaption(itemCaption);
}

}  // namespace qmo
