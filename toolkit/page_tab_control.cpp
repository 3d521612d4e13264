#include "toolkit/page_tab_control.h"

#include <commctrl.h>
#include <windowsx.h>

#include "framework/resource_language.h"
#include "framework/unique_handle.h"
#include "res/resource.h"
#include "toolkit/ui_paint.h"
#include "toolkit/ui_palette.h"

namespace qmo {
namespace {

constexpr int kSelectionBarHeight = 3;
constexpr UINT kCaptionFormat = DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS;

bool IsTabStop(HWND window) {
    const auto style = ::GetWindowLongPtrW(window, GWL_STYLE);
    return (style & WS_TABSTOP) && (style & WS_VISIBLE) && !(style & WS_DISABLED);
}

// The first tab stop in tab order, looking inside nested control parents as the dialog manager does.
HWND FirstTabStop(HWND parent) {
    for (HWND child = ::GetWindow(parent, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        const auto style = ::GetWindowLongPtrW(child, GWL_STYLE);
        if (!(style & WS_VISIBLE) || (style & WS_DISABLED))
            continue;
        if (::GetWindowLongPtrW(child, GWL_EXSTYLE) & WS_EX_CONTROLPARENT) {
            if (HWND inner = FirstTabStop(child))
                return inner;
        } else if (IsTabStop(child)) {
            return child;
        }
    }
    return nullptr;
}

}  // namespace

bool PageTabControl::Create(DWORD style, const RECT& rect, HWND parent, UINT id) {
    if (!CreateSelfDrawn(kPageTabControlClassName, L"", style, rect, parent, id))
        return false;
    Relayout();
    return true;
}

void PageTabControl::SetBoldSelected(bool bold) {
    m_boldSelected = bold;
    Relayout();
}

void PageTabControl::UseDpi(unsigned dpi) {
    m_metrics = TabStripMetricsFor(dpi);
    m_fonts.SetDpi(dpi);
    SetIconDpi(dpi);
    Relayout();
}

int PageTabControl::InsertTab(int index, std::wstring_view caption, HWND page, int icon) {
    const TabSelection::Insertion insertion = m_selection.Insert(index);
    if (insertion.index < 0)
        return -1;
    AdoptPage(page);
    m_tabs.insert(m_tabs.begin() + insertion.index, Tab{std::wstring(caption), page, icon});
    Relayout();  // shows the selected page, the new one if it is the first
    return insertion.index;
}

bool PageTabControl::SelectTab(int index) {
    const int previous = m_selection.Selected();
    if (!m_selection.Select(index))
        return false;
    if (previous >= 0 && m_tabs[previous].page)
        ::ShowWindow(m_tabs[previous].page, SW_HIDE);
    ShowSelectedPage();
    Redraw();
    AccessibleHost::NotifySelection(m_hWnd, index + 1);
    if (::GetFocus() == m_hWnd)
        AccessibleHost::NotifyFocus(m_hWnd, index + 1);
    NMHDR header{m_hWnd, static_cast<UINT_PTR>(::GetDlgCtrlID(m_hWnd)), static_cast<UINT>(TCN_SELCHANGE)};
    ::SendMessageW(::GetParent(m_hWnd), WM_NOTIFY, header.idFrom, reinterpret_cast<LPARAM>(&header));
    return true;
}

HWND PageTabControl::TabPage(int index) const noexcept {
    return index >= 0 && index < TabCount() ? m_tabs[index].page : nullptr;
}

std::wstring PageTabControl::TabCaption(int index) const {
    return index >= 0 && index < TabCount() ? m_tabs[index].caption : std::wstring();
}

int PageTabControl::TabIcon(int index) const noexcept {
    return index >= 0 && index < TabCount() ? m_tabs[index].icon : -1;
}

RECT PageTabControl::TabRect(int index) const noexcept {
    if (index < 0 || index >= static_cast<int>(m_layout.tabs.size()))
        return RECT{};
    return ToRect(m_layout.tabs[index].rect);
}

RECT PageTabControl::PageRect() const noexcept {
    return ToRect(m_layout.page);
}

HWND PageTabControl::EnsureTabPage(int index) {
    if (index < 0 || index >= TabCount())
        return nullptr;
    // Making a page sends messages that may come back here for the same tab.
    if (!m_tabs[static_cast<std::size_t>(index)].page && !m_makingPage) {
        m_makingPage = true;
        const HWND page = MakePage(index);
        m_makingPage = false;
        AdoptPage(page);
        m_tabs[static_cast<std::size_t>(index)].page = page;
        if (page && index == SelectedTab())
            ShowSelectedPage();
    }
    return m_tabs[static_cast<std::size_t>(index)].page;
}

void PageTabControl::AdoptPage(HWND page) {
    if (!page)
        return;
    if (m_hWnd && ::GetParent(page) != m_hWnd)
        ::SetParent(page, m_hWnd);
    ::ShowWindow(page, SW_HIDE);
}

void PageTabControl::OnTabActivated(int) {}

HWND PageTabControl::MakePage(int) {
    return nullptr;
}

void PageTabControl::ActivateByUser(int index) {
    if (index < 0 || index >= TabCount() || index == SelectedTab())
        return;
    OnTabActivated(index);
    SelectTab(index);
    MoveFocusInto(TabPage(index));
}

void PageTabControl::MoveFocusInto(HWND page) {
    const HWND focus = ::GetFocus();
    if (!page || focus == m_hWnd || focus == page || ::IsChild(page, focus))
        return;
    const HWND first = FirstTabStop(page);
    ::SetFocus(first ? first : page);
}

void PageTabControl::ShowSelectedPage() {
    const int selected = SelectedTab();
    const HWND page = TabPage(selected);
    if (!page) {
        EnsureTabPage(selected);  // which shows the page once it is made
        return;
    }
    const RECT area = PageRect();
    ::SetWindowPos(page, nullptr, area.left, area.top, area.right - area.left, area.bottom - area.top,
                   SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW);
}

void PageTabControl::Relayout() {
    if (!m_hWnd)
        return;
    RECT client{};
    ::GetClientRect(m_hWnd, &client);
    // Measured in bold whatever the selection, so tabs keep their width as it moves.
    unique_dc measure(::CreateCompatibleDC(nullptr));
    std::vector<TabLabel> labels;
    if (measure) {
        scoped_select font(measure.get(), m_fonts.Get(m_boldSelected ? UiFontStyle::Bold : UiFontStyle::Regular));
        for (const Tab& tab : m_tabs) {
            RECT bounds{};
            ::DrawTextW(measure.get(), tab.caption.c_str(), static_cast<int>(tab.caption.size()), &bounds,
                        DT_SINGLELINE | DT_NOPREFIX | DT_CALCRECT);
            labels.push_back(TabLabel{bounds.right, tab.icon >= 0 && tab.icon < Icons().Count()});
        }
    }
    m_layout = LayoutTabStrip(UiSize{client.right, client.bottom}, labels, m_metrics);
    ShowSelectedPage();
    Redraw();
}

bool PageTabControl::OnGetDlgCode(const MSG*, LRESULT& code) {
    code = DLGC_WANTARROWS;
    return true;
}

bool PageTabControl::OnSetFocus(HWND) {
    // Arriving by keyboard shows where the focus is, as the arrow keys do.
    m_keyboardCues = ::GetKeyState(VK_LBUTTON) >= 0;
    Redraw();
    AccessibleHost::NotifyFocus(m_hWnd, AccessibleFocus());
    return true;
}

bool PageTabControl::OnKillFocus(HWND) {
    Redraw();
    return true;
}

bool PageTabControl::OnLookChanged() {
    m_fonts.Reset();
    Relayout();
    return true;
}

bool PageTabControl::OnSize(UINT, int, int) {
    Relayout();
    return true;
}

bool PageTabControl::OnLButtonDown(UINT, POINT point) {
    m_keyboardCues = false;
    ActivateByUser(HitTestTab(m_layout, point.x, point.y));
    return true;
}

bool PageTabControl::OnLButtonDblClk(UINT flags, POINT point) {
    return OnLButtonDown(flags, point);
}

void PageTabControl::OnHoverChanged(bool inside) {
    if (inside)
        return;
    m_hot = -1;
    Redraw();
}

bool PageTabControl::OnMouseMove(UINT, POINT point) {
    const int hot = HitTestTab(m_layout, point.x, point.y);
    if (hot != m_hot) {
        m_hot = hot;
        Redraw();
    }
    return true;
}

bool PageTabControl::OnKeyDown(UINT key, UINT) {
    int step = 0;
    if (key == VK_LEFT || key == VK_UP)
        step = -1;
    else if (key == VK_RIGHT || key == VK_DOWN)
        step = 1;
    else if (key == VK_HOME)
        step = -TabCount();
    else if (key == VK_END)
        step = TabCount();
    else
        return false;
    m_keyboardCues = true;
    ActivateByUser(m_selection.Neighbour(step));
    Redraw();
    return true;
}

AccessibleElement PageTabControl::DescribeAccessible(int child) const {
    AccessibleElement element;
    const bool focused = ::GetFocus() == m_hWnd;
    if (child == CHILDID_SELF) {
        element.role = ROLE_SYSTEM_PAGETABLIST;
        element.name = WindowText(m_hWnd);
        element.state = STATE_SYSTEM_FOCUSABLE | (focused ? STATE_SYSTEM_FOCUSED : 0);
        ::GetClientRect(m_hWnd, &element.bounds);
        return element;
    }
    const int index = child - 1;
    const std::wstring& caption = m_tabs[index].caption;
    // The captions carry spaces for their looks.
    const std::size_t first = caption.find_first_not_of(L' ');
    element.name = first == std::wstring::npos ? std::wstring() : caption.substr(first, caption.find_last_not_of(L' ') - first + 1);
    element.role = ROLE_SYSTEM_PAGETAB;
    element.state = STATE_SYSTEM_FOCUSABLE | STATE_SYSTEM_SELECTABLE;
    if (index == SelectedTab())
        element.state |= STATE_SYSTEM_SELECTED | (focused ? STATE_SYSTEM_FOCUSED : 0);
    element.bounds = TabRect(index);
    element.defaultAction = LoadResourceString(IDS_ACTION_SWITCH);
    return element;
}

bool PageTabControl::DoAccessibleAction(int child) {
    if (child < 1 || child > TabCount())
        return false;
    ActivateByUser(child - 1);
    return true;
}

void PageTabControl::Paint(HDC dc) {
    const UiPalette palette = CurrentPalette();
    RECT client{};
    ::GetClientRect(m_hWnd, &client);
    FillSolid(dc, client, palette.window);
    const RECT strip = ToRect(m_layout.strip);
    if (strip.bottom > strip.top)
        FillSolid(dc, RECT{strip.left, strip.bottom - 1, strip.right, strip.bottom}, palette.border);
    for (int i = 0; i < static_cast<int>(m_layout.tabs.size()); ++i)
        PaintTab(dc, i);
}

void PageTabControl::PaintTab(HDC dc, int index) {
    const UiPalette palette = CurrentPalette();
    const TabStripLayout::Tab& place = m_layout.tabs[index];
    const Tab& tab = m_tabs[index];
    const bool selected = index == SelectedTab();
    RECT face = ToRect(place.rect);
    face.top += 4;
    face.bottom -= 4;
    if (index == m_hot && !selected)
        FillRoundRect(dc, face, 4, palette.controlHot, palette.controlHot);

    if (!place.icon.IsEmpty())
        Icons().Draw(dc, tab.icon, place.icon.left, place.icon.top);
    const HFONT font = m_fonts.Get(selected && m_boldSelected ? UiFontStyle::Bold : UiFontStyle::Regular);
    DrawTextIn(dc, tab.caption, ToRect(place.caption), font, selected ? palette.text : palette.mutedText,
               kCaptionFormat);

    if (selected) {
        // An accent bar under the tab's content, standing on the strip's base line.
        const int left = place.icon.IsEmpty() ? place.caption.left : place.icon.left;
        const RECT bar{left, place.rect.bottom - kSelectionBarHeight - 1, place.caption.right, place.rect.bottom - 1};
        FillRoundRect(dc, bar, 1, palette.accent, palette.accent);
        if (m_keyboardCues && ::GetFocus() == m_hWnd) {
            const COLORREF oldText = ::SetTextColor(dc, palette.text);
            const COLORREF oldBack = ::SetBkColor(dc, palette.window);
            ::DrawFocusRect(dc, &face);
            ::SetBkColor(dc, oldBack);
            ::SetTextColor(dc, oldText);
        }
    }
}

}  // namespace qmo
