#include "toolkit/themed_button.h"

#include <commctrl.h>

#include <string>

#include "framework/application.h"
#include "framework/resource_language.h"
#include "res/resource.h"
#include "toolkit/button_layout.h"
#include "toolkit/ui_fonts.h"
#include "toolkit/ui_paint.h"
#include "toolkit/ui_palette.h"

namespace qmo {
namespace {

constexpr int kCornerRadius = 4;
constexpr int kPaddingX = 12;
constexpr int kContentGap = 8;

}  // namespace

bool ThemedButton::IsDefault() const noexcept {
    return m_default.value_or((OriginalStyle() & BS_TYPEMASK) == BS_DEFPUSHBUTTON);
}

bool ThemedButton::SetImage(UINT bitmapResource) {
    m_imageResource = bitmapResource;
    const bool loaded = m_image.LoadPicture(bitmapResource, Dpi());
    Redraw();
    return loaded;
}

void ThemedButton::UseDpi(unsigned) {
    if (m_imageResource != 0)
        SetImage(m_imageResource);
    if (m_iconResource.strip != 0)
        SetIcons(m_iconResource.strip, m_iconResource.normal, m_iconResource.hot, m_iconResource.cx,
                 m_iconResource.cy);
}

bool ThemedButton::SetIcons(UINT stripResource, int normalIcon, int hotIcon, int cx, int cy) {
    m_iconResource = {stripResource, normalIcon, hotIcon, cx, cy};
    ImageStrip strip;
    strip.Load(stripResource, cx, cy, Dpi());
    return UseIcons(strip, normalIcon, hotIcon);
}

bool ThemedButton::SetIcons(HBITMAP strip, int normalIcon, int hotIcon, int cx, int cy) {
    m_iconResource = {};
    ImageStrip icons;
    icons.Assign(strip, cx, cy);
    return UseIcons(icons, normalIcon, hotIcon);
}

// Only the two cells are kept: a page's buttons would otherwise each hold the whole strip.
bool ThemedButton::UseIcons(const ImageStrip& strip, int normalIcon, int hotIcon) {
    const bool extracted = m_icons.Extract(strip, {normalIcon, hotIcon < 0 ? normalIcon : hotIcon});
    Redraw();
    return extracted;
}

bool ThemedButton::OnReflectedCommand(UINT code) {
    if (code != BN_CLICKED)
        return false;
    // Inside the button's own message the click is the same one for every parent that reflects it.
    if (m_dispatchDepth == 0)
        return OnClicked();
    if (!m_clickReflected) {
        m_clickReflected = true;
        m_clickHandled = OnClicked();
    }
    return m_clickHandled;
}

bool ThemedButton::OnClicked() {
    return false;
}

LRESULT ThemedButton::ReceiveMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    ++m_dispatchDepth;
    const LRESULT result = HandleMessage(message, wParam, lParam);
    if (--m_dispatchDepth == 0)
        m_clickReflected = false;
    return result;
}

LRESULT ThemedButton::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case BCM_GETIDEALSIZE:
        if (!lParam)
            return FALSE;
        *reinterpret_cast<SIZE*>(lParam) = IdealSize();
        return TRUE;
    case BM_SETSTYLE:
        m_default = (wParam & BS_TYPEMASK) == BS_DEFPUSHBUTTON;
        return DefaultAndRedraw(message, WithType(static_cast<DWORD>(wParam), BS_OWNERDRAW), lParam);
    case BM_SETSTATE:
    case WM_ENABLE:
    case WM_SETTEXT:
    case WM_UPDATEUISTATE:
        return DefaultAndRedraw(message, wParam, lParam);
    default:
        return SelfDrawnControl::HandleMessage(message, wParam, lParam);
    }
}

bool ThemedButton::OnLButtonDblClk(UINT flags, POINT point) {
    // A quick second click is one more click, not a double click.
    DefaultHandler(WM_LBUTTONDOWN, flags, MAKELPARAM(point.x, point.y));
    return true;
}

bool ThemedButton::OnGetDlgCode(const MSG*, LRESULT& code) {
    // Still a push button to the dialog manager, which then moves the default look with the focus.
    code = DLGC_BUTTON | (IsDefault() ? DLGC_DEFPUSHBUTTON : DLGC_UNDEFPUSHBUTTON);
    return true;
}

bool ThemedButton::OnKeyDown(UINT key, UINT) {
    // Outside a dialog nothing turns Enter into a click for us.
    if (key != VK_RETURN || !::IsWindowEnabled(m_hWnd))
        return false;
    SendClick();
    return true;
}

void ThemedButton::SendClick() {
    ::SendMessageW(::GetParent(m_hWnd), WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(m_hWnd), BN_CLICKED),
                   reinterpret_cast<LPARAM>(m_hWnd));
}

AccessibleElement ThemedButton::DescribeAccessible(int) const {
    AccessibleElement element;
    element.role = ROLE_SYSTEM_PUSHBUTTON;
    element.name = TextWithoutAccessKey(WindowText(m_hWnd));
    ::GetClientRect(m_hWnd, &element.bounds);
    if (!::IsWindowEnabled(m_hWnd)) {
        element.state = STATE_SYSTEM_UNAVAILABLE;
        return element;
    }
    element.state = STATE_SYSTEM_FOCUSABLE;
    if (::GetFocus() == m_hWnd)
        element.state |= STATE_SYSTEM_FOCUSED;
    if (::SendMessageW(m_hWnd, BM_GETSTATE, 0, 0) & BST_PUSHED)
        element.state |= STATE_SYSTEM_PRESSED;
    if (IsDefault())
        element.state |= STATE_SYSTEM_DEFAULT;
    element.defaultAction = LoadResourceString(IDS_ACTION_PRESS);
    return element;
}

bool ThemedButton::DoAccessibleAction(int) {
    if (!::IsWindowEnabled(m_hWnd))
        return false;
    SendClick();
    return true;
}

LRESULT ThemedButton::DefaultAndRedraw(UINT message, WPARAM wParam, LPARAM lParam) {
    const LRESULT result = DefaultHandler(message, wParam, lParam);
    Redraw();
    return result;
}

void ThemedButton::Paint(HDC dc) {
    RECT client{};
    ::GetClientRect(m_hWnd, &client);
    // Behind the rounded corners: whatever the parent gives its buttons.
    const auto background = reinterpret_cast<HBRUSH>(::SendMessageW(
        ::GetParent(m_hWnd), WM_CTLCOLORBTN, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(m_hWnd)));
    if (background)
        ::FillRect(dc, &client, background);
    else
        FillSolid(dc, client, ::GetSysColor(COLOR_BTNFACE));
    const bool pressed = (::SendMessageW(m_hWnd, BM_GETSTATE, 0, 0) & BST_PUSHED) != 0;
    PaintFace(dc, client, pressed);
    PaintContent(dc, client, pressed);
}

void ThemedButton::PaintFace(HDC dc, const RECT& face, bool pressed) {
    const UiPalette palette = CurrentPalette();
    const bool enabled = ::IsWindowEnabled(m_hWnd) != FALSE;
    const bool focusShown = ::GetFocus() == m_hWnd && !(::SendMessageW(m_hWnd, WM_QUERYUISTATE, 0, 0) & UISF_HIDEFOCUS);
    const COLORREF fill = !enabled  ? palette.control
                          : pressed ? palette.controlPressed
                          : IsHot() ? palette.controlHot
                                    : palette.control;
    const COLORREF border = enabled && (focusShown || IsDefault()) ? palette.accent : palette.border;
    const int radius = ScaleForDpi(kCornerRadius, Dpi());
    FillRoundRect(dc, face, radius, fill, border);
    if (enabled && focusShown) {
        RECT ring = face;
        ::InflateRect(&ring, -1, -1);
        FrameRoundRect(dc, ring, radius - 1, palette.accent);
    } else if (enabled && !pressed) {
        // A slightly darker foot gives the face a little depth.
        FillSolid(dc, RECT{face.left + radius, face.bottom - 1, face.right - radius, face.bottom},
                  Blend(border, palette.text, 18));
    }
}

// What the face shows, its caption measured on one line in `dc`'s font.
ButtonContent ThemedButton::Content(HDC dc, const std::wstring& text, UINT prefix) const {
    RECT measured{0, 0, 0, 0};
    if (!text.empty())
        ::DrawTextW(dc, text.c_str(), -1, &measured, DT_SINGLELINE | DT_CALCRECT | prefix);
    ButtonContent content;
    if (m_image)
        content.image = UiSize{m_image.CellSize().cx, m_image.CellSize().cy};
    if (m_icons)
        content.icon = UiSize{m_icons.CellSize().cx, m_icons.CellSize().cy};
    content.caption = UiSize{measured.right, measured.bottom};
    return content;
}

// The size that shows the whole caption on one line beside the pictures, as
// a push button answers BCM_GETIDEALSIZE; the height stays.
SIZE ThemedButton::IdealSize() const {
    auto font = reinterpret_cast<HFONT>(::SendMessageW(m_hWnd, WM_GETFONT, 0, 0));
    window_dc dc(m_hWnd);
    scoped_select selected(dc.get(), font ? font : StandardInterfaceFont());
    RECT client{};
    ::GetClientRect(m_hWnd, &client);
    return {IdealButtonWidth(Content(dc.get(), WindowText(m_hWnd), 0), ScaleForDpi(kPaddingX, Dpi()),
                             ScaleForDpi(kContentGap, Dpi())),
            client.bottom};
}

void ThemedButton::PaintContent(HDC dc, RECT face, bool pressed) {
    if (pressed)
        ::OffsetRect(&face, 0, 1);
    const bool enabled = ::IsWindowEnabled(m_hWnd) != FALSE;
    const UiPalette palette = CurrentPalette();
    auto font = reinterpret_cast<HFONT>(::SendMessageW(m_hWnd, WM_GETFONT, 0, 0));
    if (!font)
        font = StandardInterfaceFont();
    scoped_select selected(dc, font);

    const std::wstring text = WindowText(m_hWnd);
    const UINT prefix = (::SendMessageW(m_hWnd, WM_QUERYUISTATE, 0, 0) & UISF_HIDEACCEL) ? DT_HIDEPREFIX : 0;
    const ButtonContent content = Content(dc, text, prefix);
    const RECT measured{0, 0, content.caption.cx, content.caption.cy};
    const ButtonContentLayout layout =
        LayoutButtonContent(ToUiRect(face), content, ScaleForDpi(kPaddingX, Dpi()), ScaleForDpi(kContentGap, Dpi()));

    const COLORREF fadeTo = palette.control;
    if (m_image)
        m_image.Draw(dc, 0, layout.image.left, layout.image.top, !enabled, fadeTo);
    if (m_icons)
        m_icons.Draw(dc, IsHovered() && enabled ? 1 : 0, layout.icon.left, layout.icon.top, !enabled, fadeTo);
    if (!layout.caption.IsEmpty()) {
        RECT caption{layout.caption.left, face.top, layout.caption.right, face.bottom};
        ::SetBkMode(dc, TRANSPARENT);
        ::SetTextColor(dc, enabled ? palette.text : palette.disabledText);
        // A caption longer than its room (another language's) wraps where its lines fit the face.
        RECT wrapped{0, 0, caption.right - caption.left, 0};
        if (measured.right > wrapped.right)
            ::DrawTextW(dc, text.c_str(), -1, &wrapped, DT_WORDBREAK | DT_CALCRECT | prefix);
        if (measured.right > caption.right - caption.left && wrapped.bottom <= face.bottom - face.top &&
            wrapped.right <= caption.right - caption.left) {
            caption.top = face.top + (face.bottom - face.top - wrapped.bottom) / 2;
            caption.bottom = caption.top + wrapped.bottom;
            ::DrawTextW(dc, text.c_str(), -1, &caption, DT_LEFT | DT_WORDBREAK | prefix);
        } else {
            ::DrawTextW(dc, text.c_str(), -1, &caption,
                        DT_LEFT | DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | prefix);
        }
    }
}

}  // namespace qmo
