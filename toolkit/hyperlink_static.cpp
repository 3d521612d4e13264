#include "toolkit/hyperlink_static.h"

#include <commctrl.h>

#include <string>
#include <utility>

#include "toolkit/ui_paint.h"

namespace qmo {
namespace {

constexpr UINT_PTR kSubclassId = 0x514C;  // ours among a static's subclasses

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
    if (!m_hWnd)
        return;
    ::RemoveWindowSubclass(m_hWnd, &HyperlinkStatic::SubclassProcedure, kSubclassId);
    ::InvalidateRect(m_hWnd, nullptr, TRUE);
    Detach();
}

bool HyperlinkStatic::SubclassDlgItem(UINT id, HWND dialog) {
    HWND control = ::GetDlgItem(dialog, static_cast<int>(id));
    if (m_hWnd || !control || Window::FromHandle(control))
        return false;
    if (!::SetWindowSubclass(control, &HyperlinkStatic::SubclassProcedure, kSubclassId,
                             reinterpret_cast<DWORD_PTR>(this)))
        return false;
    Window::Attach(control);
    Redraw();
    return true;
}

void HyperlinkStatic::SetBackgroundColour(COLORREF colour) {
    m_background = colour;
    if (m_hWnd)
        ::RedrawWindow(m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
}

COLORREF HyperlinkStatic::TextColour() const noexcept {
    if (m_hovered)
        return kHoverColour;
    return m_visited ? kVisitedColour : kLinkColour;
}

LRESULT CALLBACK HyperlinkStatic::SubclassProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                                    UINT_PTR subclassId, DWORD_PTR data) noexcept {
    auto* self = reinterpret_cast<HyperlinkStatic*>(data);
    if (message == WM_NCDESTROY) {
        ::RemoveWindowSubclass(window, &HyperlinkStatic::SubclassProcedure, subclassId);
        self->Detach();
        return ::DefSubclassProc(window, message, wParam, lParam);
    }
    return self->HandleMessage(message, wParam, lParam);
}

LRESULT HyperlinkStatic::Default(UINT message, WPARAM wParam, LPARAM lParam) {
    return ::DefSubclassProc(m_hWnd, message, wParam, lParam);
}

LRESULT HyperlinkStatic::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT painted = 0;
    if (HandleSelfPaint(m_hWnd, message, wParam, [this](HDC dc) { Paint(dc); }, painted))
        return painted;
    switch (message) {
    case WM_NCHITTEST:
        // A plain static lets the mouse through to its dialog.
        return HTCLIENT;
    case WM_SETCURSOR:
        ::SetCursor(::LoadCursorW(nullptr, IDC_HAND));
        return TRUE;
    case WM_MOUSEMOVE:
        OnMouseMove();
        return 0;
    case WM_MOUSELEAVE:
        SetHovered(false);
        return 0;
    case WM_LBUTTONDOWN:
        m_pressed = true;
        return 0;
    case WM_LBUTTONUP: {
        RECT client{};
        ::GetClientRect(m_hWnd, &client);
        const POINT at{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
        if (std::exchange(m_pressed, false) && ::PtInRect(&client, at))
            OnClick();
        return 0;
    }
    case WM_SETTEXT:
    case WM_SETFONT: {
        const LRESULT result = Default(message, wParam, lParam);
        Redraw();
        return result;
    }
    default:
        return Default(message, wParam, lParam);
    }
}

void HyperlinkStatic::OnMouseMove() {
    if (m_hovered)
        return;
    TRACKMOUSEEVENT track{sizeof(track), TME_LEAVE, m_hWnd, 0};
    ::TrackMouseEvent(&track);
    SetHovered(true);
}

void HyperlinkStatic::SetHovered(bool hovered) {
    if (m_hovered == hovered)
        return;
    m_hovered = hovered;
    Redraw();
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
    FillSolid(canvas.dc(), client, m_background);
    DrawTextIn(canvas.dc(), WindowText(m_hWnd), client, UnderlinedFont(), TextColour(),
               AlignmentOf(m_hWnd) | DT_SINGLELINE | DT_NOPREFIX);
}

void HyperlinkStatic::Redraw() {
    if (m_hWnd)
        ::InvalidateRect(m_hWnd, nullptr, FALSE);
}

}  // namespace qmo
