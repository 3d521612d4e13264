#include "toolkit/task_panel/task_panel.h"

#include <windowsx.h>

#include <algorithm>

#include "framework/resource_language.h"
#include "framework/text.h"
#include "framework/unique_handle.h"
#include "res/resource.h"
#include "toolkit/themed_button.h"
#include "toolkit/ui_paint.h"

namespace qmo {
namespace {

RECT ClientRect(HWND window) {
    RECT client{};
    ::GetClientRect(window, &client);
    return client;
}

}  // namespace

TaskPanel::TaskPanel() {
    m_model.SetChangeListener([this] { OnModelChanged(); });
}

bool TaskPanel::Create(DWORD style, const RECT& rect, HWND parent, UINT id) {
    if (!CreateSelfDrawn(kTaskPanelClassName, L"", style, rect, parent, id, CS_DBLCLKS))
        return false;
    Relayout();
    return true;
}

void TaskPanel::SetTheme(int theme) {
    m_painter.SetTheme(theme);
    m_model.SetLook(TaskPanelLookFor(m_painter.Theme(), Dpi()));
}

void TaskPanel::UseDpi(unsigned dpi) {
    m_painter.SetDpi(dpi);
    SetIconDpi(dpi);
    // A new look lays the panel out again; the same look still needs the new fonts measured.
    m_model.SetLook(TaskPanelLookFor(m_painter.Theme(), dpi));
    Relayout();
}

void TaskPanel::SetSpecialCaptionColor(COLORREF color) {
    m_painter.SetSpecialCaptionColor(color);
    Redraw();
}

TaskGroup& TaskPanel::AddGroup(int id, std::wstring_view caption, int icon) {
    return m_model.AddGroup(id, Narrow(caption), icon);
}

TaskItem& TaskPanel::AddLinkItem(TaskGroup& group, int id, std::wstring_view caption, int icon) {
    return group.AddLink(id, Narrow(caption), icon);
}

TaskItem& TaskPanel::AddTextItem(TaskGroup& group, int id, std::wstring_view caption, bool bold) {
    return group.AddText(id, Narrow(caption), bold);
}

TaskItem& TaskPanel::AddControlItem(TaskGroup& group, int id, HWND control) {
    RECT bounds{};
    if (control) {
        if (m_hWnd && ::GetParent(control) != m_hWnd)
            ::SetParent(control, m_hWnd);
        ::GetWindowRect(control, &bounds);
        m_controls.emplace_back(nullptr, control);
    }
    TaskItem& item = group.AddControl(id, bounds.bottom - bounds.top);
    if (control) {
        m_controls.back().first = &item;
        PlaceControls();
    }
    return item;
}

bool TaskPanel::IsGroupSpecial(std::size_t group) const noexcept {
    return group < m_model.GroupCount() && m_model.Group(group).IsSpecial();
}

RECT TaskPanel::ItemRect(const TaskItem& item) const noexcept {
    RECT rect = ToRect(item.Rect());
    ::OffsetRect(&rect, 0, -m_scrollY);
    return rect;
}

RECT TaskPanel::CaptionRect(const TaskGroup& group) const noexcept {
    RECT rect = ToRect(group.CaptionRect());
    ::OffsetRect(&rect, 0, -m_scrollY);
    return rect;
}

void TaskPanel::OnModelChanged() {
    // An item under the pointer or the focus may have gone with a collapsed group.
    Relayout();
    if (m_focused && !m_focused->IsShown())
        m_focused = nullptr;
    if (m_hot && !m_hot->IsShown())
        m_hot = nullptr;
    Redraw();
}

void TaskPanel::Relayout() {
    if (!m_hWnd)
        return;
    m_painter.Layout(m_model, ClientRect(m_hWnd).right);
    ScrollTo(m_scrollY);
    PlaceControls();
}

void TaskPanel::ScrollTo(int position) {
    const int page = ClientRect(m_hWnd).bottom;
    const int content = m_model.ContentHeight();
    m_scrollY = std::clamp(position, 0, std::max(content - page, 0));
    SCROLLINFO info{sizeof(info), SIF_RANGE | SIF_PAGE | SIF_POS, 0, content > page ? content - 1 : 0,
                    static_cast<UINT>(std::max(page, 0)), m_scrollY, 0};
    // The bar coming or going resizes the panel, which lays it out again.
    ::SetScrollInfo(m_hWnd, SB_VERT, &info, TRUE);
}

void TaskPanel::PlaceControls() {
    for (const auto& [item, control] : m_controls) {
        if (!item || !::IsWindow(control) || ::GetParent(control) != m_hWnd)
            continue;
        if (!item->IsShown()) {
            ::ShowWindow(control, SW_HIDE);
            continue;
        }
        const Rect& rect = item->Rect();
        ::SetWindowPos(control, nullptr, rect.left, rect.top - m_scrollY, rect.Width(), rect.Height(),
                       SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW);
    }
}

bool TaskPanel::OnPrintClient(HDC dc, UINT) {
    // A printed copy shows the panel at rest, without the pointer's and the focus's highlights.
    m_painter.Paint(dc, ClientRect(m_hWnd), m_model, Icons(), {});
    return true;
}

bool TaskPanel::OnCaptureChanged(HWND) {
    if (m_pressedLink || m_pressedCaption) {
        m_pressedLink = nullptr;
        m_pressedCaption = nullptr;
        Redraw();
    }
    return true;
}

bool TaskPanel::OnGetDlgCode(const MSG*, LRESULT& code) {
    code = DLGC_WANTARROWS;
    return true;
}

bool TaskPanel::OnSetFocus(HWND) {
    // Arriving by keyboard, the first link takes the focus and shows it.
    m_keyboardCues = ::GetKeyState(VK_LBUTTON) >= 0;
    if (!m_focused)
        m_focused = m_model.NextLink(nullptr, true);
    FocusMoved();
    return true;
}

bool TaskPanel::OnKillFocus(HWND) {
    Redraw();
    return true;
}

bool TaskPanel::OnVScroll(UINT code, int, HWND) {
    SCROLLINFO info{};
    info.cbSize = sizeof(info);
    info.fMask = SIF_ALL;
    ::GetScrollInfo(m_hWnd, SB_VERT, &info);
    const int line = ScaleForDpi(20, Dpi());
    if (code == SB_THUMBTRACK || code == SB_THUMBPOSITION)
        ScrollAndPlace(info.nTrackPos);
    else if (code == SB_LINEUP || code == SB_LINEDOWN)
        ScrollAndPlace(m_scrollY + (code == SB_LINEUP ? -line : line));
    else if (code == SB_PAGEUP || code == SB_PAGEDOWN)
        ScrollAndPlace(m_scrollY + (code == SB_PAGEUP ? -1 : 1) * static_cast<int>(info.nPage));
    return true;
}

bool TaskPanel::OnMouseWheel(int delta, UINT, POINT) {
    ScrollAndPlace(m_scrollY - delta * 2 * ScaleForDpi(20, Dpi()) / WHEEL_DELTA);
    return true;
}

void TaskPanel::ScrollAndPlace(int position) {
    const int before = m_scrollY;
    ScrollTo(position);
    if (m_scrollY != before) {
        PlaceControls();
        Redraw();
    }
}

bool TaskPanel::OnSize(UINT, int, int) {
    Relayout();
    Redraw();
    return true;
}

HBRUSH TaskPanel::OnCtlColor(UINT message, HDC dc, HWND control) {
    if (message != WM_CTLCOLORBTN && message != WM_CTLCOLORSTATIC)
        return Window::OnCtlColor(message, dc, control);
    ::SetBkColor(dc, m_painter.ControlBackground());
    return m_painter.ControlBackgroundBrush();
}

void TaskPanel::Paint(HDC dc) {
    const TaskPanelHighlights highlights{m_hot, m_pressedLink, m_focused,
                                         m_keyboardCues && ::GetFocus() == m_hWnd};
    // The painter draws in content coordinates; the scrolled-to part shows.
    RECT shown = ClientRect(m_hWnd);
    ::OffsetRect(&shown, 0, m_scrollY);
    POINT origin{};
    ::SetViewportOrgEx(dc, 0, -m_scrollY, &origin);
    m_painter.Paint(dc, shown, m_model, Icons(), highlights);
    ::SetViewportOrgEx(dc, origin.x, origin.y, nullptr);
}

void TaskPanel::SetHot(const TaskItem* item) {
    if (m_hot == item)
        return;
    m_hot = item;
    Redraw();
}

bool TaskPanel::OnMouseMove(UINT, POINT point) {
    const TaskItem* over = HitAt(point).link;
    // While a link is held, only that link lights up.
    SetHot(m_pressedLink && over != m_pressedLink ? nullptr : over);
    return true;
}

void TaskPanel::OnHoverChanged(bool inside) {
    if (!inside && !m_pressedLink)
        SetHot(nullptr);
}

bool TaskPanel::OnLButtonDblClk(UINT flags, POINT point) {
    return OnLButtonDown(flags, point);
}

bool TaskPanel::OnLButtonDown(UINT, POINT point) {
    const TaskHit hit = HitAt(point);
    if (!hit.link && !hit.caption)
        return true;  // nothing to press, and no reason to take the focus
    m_pressedLink = hit.link;
    m_pressedCaption = hit.caption;
    if (hit.link) {
        m_focused = hit.link;
        ::SetFocus(m_hWnd);
    }
    m_keyboardCues = false;
    ::SetCapture(m_hWnd);
    Redraw();
    return true;
}

bool TaskPanel::OnLButtonUp(UINT, POINT point) {
    TaskItem* link = std::exchange(m_pressedLink, nullptr);
    TaskGroup* caption = std::exchange(m_pressedCaption, nullptr);
    if (::GetCapture() == m_hWnd)
        ::ReleaseCapture();
    Redraw();
    const TaskHit hit = HitAt(point);
    if (link && hit.link == link)
        Click(*link);
    else if (caption && hit.caption == caption)
        caption->SetExpanded(!caption->IsExpanded());
    return true;
}

bool TaskPanel::OnKeyDown(UINT key, UINT) {
    switch (key) {
    case VK_UP:
    case VK_DOWN:
    case VK_LEFT:
    case VK_RIGHT: {
        m_keyboardCues = true;
        const bool forward = key == VK_DOWN || key == VK_RIGHT;
        if (TaskItem* next = m_model.NextLink(m_focused, forward))
            m_focused = next;
        FocusMoved();
        return true;
    }
    case VK_RETURN:
    case VK_SPACE:
        if (!m_focused)
            return false;
        Click(*m_focused);
        return true;
    default:
        return false;
    }
}

bool TaskPanel::OnSetCursor(HWND window, UINT, UINT) {
    if (window != m_hWnd)
        return false;
    POINT point{};
    ::GetCursorPos(&point);
    ::ScreenToClient(m_hWnd, &point);
    const TaskHit hit = HitAt(point);
    if (!hit.link && !hit.caption)
        return false;
    ::SetCursor(::LoadCursorW(nullptr, IDC_HAND));
    return true;
}

bool TaskPanel::OnLookChanged() {
    // Fonts and colours follow the system; the special caption colour was
    // chosen by the owner and stays.
    m_painter.Refresh();
    Relayout();
    Redraw();
    return true;
}

bool TaskPanel::OnCommand(UINT id, UINT code, HWND control) {
    // What its own control did not take goes to the owner (which offers it back once more).
    ::SendMessageW(::GetParent(m_hWnd), WM_COMMAND, MAKEWPARAM(id, code), reinterpret_cast<LPARAM>(control));
    return true;
}

bool TaskPanel::OnNotify(UINT id, NMHDR* header, LRESULT& result) {
    result = ::SendMessageW(::GetParent(m_hWnd), WM_NOTIFY, id, reinterpret_cast<LPARAM>(header));
    return true;
}

void TaskPanel::FocusMoved() {
    Redraw();
    if (::GetFocus() == m_hWnd)
        AccessibleHost::NotifyFocus(m_hWnd, AccessibleChildOf(m_focused));
}

TaskPanel::AccessiblePart TaskPanel::AccessiblePartAt(int child) const noexcept {
    int index = 0;
    for (std::size_t g = 0; g < m_model.GroupCount(); ++g) {
        TaskGroup& group = m_model.Group(g);
        if (++index == child)
            return {&group, nullptr};
        for (std::size_t i = 0; i < group.ItemCount(); ++i) {
            TaskItem& item = group.Item(i);
            if (item.Kind() != TaskItemKind::Control && item.IsShown() && ++index == child)
                return {&group, &item};
        }
    }
    return {};
}

int TaskPanel::AccessibleChildOf(const TaskItem* item) const noexcept {
    for (int child = 1; item && child <= AccessibleChildCount(); ++child)
        if (AccessiblePartAt(child).item == item)
            return child;
    return CHILDID_SELF;
}

int TaskPanel::AccessibleChildCount() const {
    int count = 0;
    for (std::size_t g = 0; g < m_model.GroupCount(); ++g) {
        const TaskGroup& group = m_model.Group(g);
        ++count;
        for (std::size_t i = 0; i < group.ItemCount(); ++i)
            count += group.Item(i).Kind() != TaskItemKind::Control && group.Item(i).IsShown();
    }
    return count;
}

AccessibleElement TaskPanel::DescribeAccessible(int child) const {
    const bool focused = ::GetFocus() == m_hWnd;
    AccessibleElement element;
    const AccessiblePart part = AccessiblePartAt(child);
    if (!part.group) {
        element.role = ROLE_SYSTEM_PANE;
        element.name = WindowText(m_hWnd);
        element.state = STATE_SYSTEM_FOCUSABLE | (focused ? STATE_SYSTEM_FOCUSED : 0);
        ::GetClientRect(m_hWnd, &element.bounds);
        return element;
    }
    // The special group is the current page's: it and its links read as selected.
    const long selected = part.group->IsSpecial() && Theme() != kTaskPanelTitleTheme ? STATE_SYSTEM_SELECTED : 0;
    if (!part.item) {
        element.role = Theme() == kTaskPanelTitleTheme ? ROLE_SYSTEM_STATICTEXT : ROLE_SYSTEM_GROUPING;
        element.name = Widen(part.group->Caption());
        element.state = selected | (part.group->IsExpanded() || !IsExpandable() ? 0 : STATE_SYSTEM_COLLAPSED);
        element.bounds = CaptionRect(*part.group);
        if (IsExpandable())
            element.defaultAction = LoadResourceString(part.group->IsExpanded() ? IDS_ACTION_COLLAPSE : IDS_ACTION_EXPAND);
        return element;
    }
    element.name = Widen(part.item->Caption());
    element.bounds = ItemRect(*part.item);
    if (part.item->Kind() == TaskItemKind::Link) {
        element.role = ROLE_SYSTEM_LINK;
        element.state = STATE_SYSTEM_FOCUSABLE | STATE_SYSTEM_LINKED | selected |
                        (focused && part.item == m_focused ? STATE_SYSTEM_FOCUSED : 0);
        element.defaultAction = LoadResourceString(IDS_ACTION_JUMP);
    } else {
        element.role = ROLE_SYSTEM_STATICTEXT;
        element.state = STATE_SYSTEM_READONLY;
    }
    return element;
}

bool TaskPanel::DoAccessibleAction(int child) {
    const AccessiblePart part = AccessiblePartAt(child);
    if (part.item && part.item->Kind() == TaskItemKind::Link) {
        Click(*part.item);
        return true;
    }
    if (part.group && !part.item && IsExpandable()) {
        part.group->SetExpanded(!part.group->IsExpanded());
        return true;
    }
    return false;
}

void TaskPanel::Click(TaskItem& item) {
    ::SendMessageW(::GetParent(m_hWnd), WM_TASKPANEL_NOTIFY, kTaskPanelItemClick, reinterpret_cast<LPARAM>(&item));
}

}  // namespace qmo
