#include "toolkit/hyperlink_static.h"

#include <commctrl.h>

#include <string>
#include <utility>

#include "framework/resource_language.h"
#include "res/resource.h"
#include "toolkit/ui_paint.h"
#include "toolkit/ui_palette.h"

namespace qmo {
namespace {

UINT AlignmentOf(HWND window) {
    const auto style = static_cast<DWORD>(::GetWindowLongPtrW(window, GWL_STYLE)) & SS_TYPEMASK;
    if (style == SS_CENTER)
        return DT_CENTER;
    if (style == SS_RIGHT)
        return DT_RIGHT;
    return DT_LEFT;
}

}  // namespace

HyperlinkStatic::~HyperlinkStatic() {
    const HWND control = m_hWnd;
    Unsubclass();
    if (control)
        ::InvalidateRect(control, nullptr, TRUE);
}

bool HyperlinkStatic::SubclassDlgItem(UINT id, HWND dialog) {
    if (!Subclass(::GetDlgItem(dialog, static_cast<int>(id)), false))
        return false;
    ::SetWindowLongPtrW(m_hWnd, GWL_STYLE, ::GetWindowLongPtrW(m_hWnd, GWL_STYLE) | WS_TABSTOP);
    Redraw();
    return true;
}

void HyperlinkStatic::SetBackgroundColour(COLORREF colour) {
    m_background = colour;
    if (m_hWnd)
        ::RedrawWindow(m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
}

COLORREF HyperlinkStatic::TextColour() const noexcept {
    if (IsHighContrast() || DarkColorsInUse()) {
        const UiPalette palette = CurrentPalette();
        return IsHovered() ? palette.accentPressed : palette.accent;
    }
    if (IsHovered())
        return kHoverColour;
    return m_visited ? kVisitedColour : kLinkColour;
}

LRESULT HyperlinkStatic::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_NCHITTEST:
        // A plain static lets the mouse through to its dialog.
        return HTCLIENT;
    case WM_UPDATEUISTATE:
    case WM_SETTEXT: {
        const LRESULT result = DefaultHandler(message, wParam, lParam);
        Redraw();
        return result;
    }
    default:
        return SelfDrawnControl::HandleMessage(message, wParam, lParam);
    }
}

bool HyperlinkStatic::OnSetCursor(HWND, UINT, UINT) {
    ::SetCursor(::LoadCursorW(nullptr, IDC_HAND));
    return true;
}

bool HyperlinkStatic::OnLButtonDown(UINT, POINT) {
    m_pressed = true;
    return true;
}

bool HyperlinkStatic::OnLButtonUp(UINT, POINT point) {
    RECT client{};
    ::GetClientRect(m_hWnd, &client);
    if (std::exchange(m_pressed, false) && ::PtInRect(&client, point))
        OnClick();
    return true;
}

bool HyperlinkStatic::OnGetDlgCode(const MSG* queued, LRESULT& code) {
    // Not DLGC_STATIC either, whose focus the dialog passes on as a label's.
    code = queued && queued->message == WM_KEYDOWN && queued->wParam == VK_RETURN ? DLGC_WANTMESSAGE : 0;
    return true;
}

bool HyperlinkStatic::OnKeyDown(UINT key, UINT flags) {
    if (flags & KF_REPEAT)
        return true;
    if (key != VK_RETURN && key != VK_SPACE)
        return false;
    OnClick();
    return true;
}

void HyperlinkStatic::OnClick() {
    m_visited = true;
    Redraw();
    if (m_openOnClick) {
        if (!m_target.empty())
            m_opener->Open(m_target, SW_SHOWNORMAL);
        return;
    }
    const HWND parent = ::GetParent(m_hWnd);
    ::SendMessageW(parent, WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(m_hWnd), STN_CLICKED),
                   reinterpret_cast<LPARAM>(m_hWnd));
}

// The control's own font, underlined; remade only when the font changes.
HFONT HyperlinkStatic::UnderlinedFont() {
    HFONT font = reinterpret_cast<HFONT>(::SendMessageW(m_hWnd, WM_GETFONT, 0, 0));
    if (!font)
        font = static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
    if (m_underlined && font == m_underlinedFrom)
        return m_underlined.get();
    LOGFONTW description{};
    if (::GetObjectW(font, sizeof(description), &description) != sizeof(description))
        return font;
    description.lfUnderline = TRUE;
    m_underlined.reset(::CreateFontIndirectW(&description));
    m_underlinedFrom = font;
    return m_underlined ? m_underlined.get() : font;
}

void HyperlinkStatic::Paint(HDC target) {
    RECT client{};
    ::GetClientRect(m_hWnd, &client);
    if (client.right <= 0 || client.bottom <= 0)
        return;
    BufferedCanvas canvas(target, client);
    const COLORREF background = IsHighContrast() || DarkColorsInUse() ? CurrentPalette().window : m_background;
    FillSolid(canvas.dc(), client, background);
    const HFONT font = UnderlinedFont();
    const UINT format = AlignmentOf(m_hWnd) | DT_SINGLELINE | DT_NOPREFIX;
    const std::wstring text = WindowText(m_hWnd);
    DrawTextIn(canvas.dc(), text, client, font, TextColour(), format);
    if (::GetFocus() == m_hWnd && !(::SendMessageW(m_hWnd, WM_QUERYUISTATE, 0, 0) & UISF_HIDEFOCUS))
        PaintFocus(canvas.dc(), client, text, font, format, background);
}

// A dotted box one pixel round the text, kept inside the control.
void HyperlinkStatic::PaintFocus(HDC dc, const RECT& client, const std::wstring& text, HFONT font, UINT format,
                                 COLORREF background) {
    RECT around = client;
    {
        scoped_select selected(dc, font);
        ::DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &around, format | DT_CALCRECT);
    }
    // DT_CALCRECT keeps the left edge; the alignment decides where the text really is.
    const LONG width = around.right - around.left;
    if (format & DT_CENTER)
        around.left = client.left + (client.right - client.left - width) / 2;
    else if (format & DT_RIGHT)
        around.left = client.right - width;
    around.right = around.left + width;
    ::InflateRect(&around, 1, 1);
    ::IntersectRect(&around, &around, &client);
    const COLORREF oldText = ::SetTextColor(dc, TextColour());
    const COLORREF oldBack = ::SetBkColor(dc, background);
    ::DrawFocusRect(dc, &around);
    ::SetBkColor(dc, oldBack);
    ::SetTextColor(dc, oldText);
}

AccessibleElement HyperlinkStatic::DescribeAccessible(int) const {
    AccessibleElement element;
    element.role = ROLE_SYSTEM_LINK;
    element.name = TextWithoutAccessKey(WindowText(m_hWnd));
    element.value = m_target;
    element.state = STATE_SYSTEM_LINKED | (m_visited ? STATE_SYSTEM_TRAVERSED : 0) |
                    (::GetFocus() == m_hWnd ? STATE_SYSTEM_FOCUSED : 0) |
                    (::GetWindowLongPtrW(m_hWnd, GWL_STYLE) & WS_TABSTOP ? STATE_SYSTEM_FOCUSABLE : 0);
    ::GetClientRect(m_hWnd, &element.bounds);
    element.defaultAction = LoadResourceString(IDS_ACTION_JUMP);
    return element;
}

bool HyperlinkStatic::DoAccessibleAction(int) {
    OnClick();
    return true;
}

}  // namespace qmo
