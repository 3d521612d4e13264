#include "toolkit/caption_bar.h"

#include "framework/unique_handle.h"
#include "toolkit/ui_paint.h"
#include "toolkit/ui_palette.h"

namespace qmo {
namespace {

constexpr int kTextPaddingX = 8;
constexpr int kGradientLift = 16;  // percent towards white at the top

}  // namespace

bool CaptionBar::Create(std::wstring_view text, DWORD style, const RECT& rect, HWND parent, UINT id) {
    return CreateSelfDrawn(kCaptionBarClassName, text, style, rect, parent, id);
}

void CaptionBar::SetColors(COLORREF border, COLORREF background, COLORREF text) {
    m_colorsSet = true;
    m_border = border;
    m_background = background;
    m_text = text;
    if (m_hWnd)
        ::InvalidateRect(m_hWnd, nullptr, FALSE);
}

COLORREF CaptionBar::BorderColor() const {
    return m_colorsSet ? m_border : ::GetSysColor(COLOR_3DFACE);
}

COLORREF CaptionBar::BackgroundColor() const {
    return m_colorsSet ? m_background : ::GetSysColor(COLOR_3DSHADOW);
}

COLORREF CaptionBar::TextColor() const {
    return m_colorsSet ? m_text : ::GetSysColor(COLOR_WINDOW);
}

void CaptionBar::SetText(std::wstring_view text) {
    const std::wstring title(text);
    if (m_hWnd)
        ::SetWindowTextW(m_hWnd, title.c_str());
}

std::wstring CaptionBar::Text() const {
    if (!m_hWnd)
        return {};
    return WindowText(m_hWnd);
}

LRESULT CaptionBar::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_SETTEXT: {
        const LRESULT result = DefaultHandler(message, wParam, lParam);
        ::InvalidateRect(m_hWnd, nullptr, FALSE);
        return result;
    }
    default:
        return SelfDrawn::HandleMessage(message, wParam, lParam);
    }
}

bool CaptionBar::OnSetFont(HFONT font, bool redraw) {
    m_font = font;
    if (redraw)
        ::InvalidateRect(m_hWnd, nullptr, FALSE);
    return true;
}

bool CaptionBar::OnGetFont(HFONT& font) {
    font = m_font;
    return true;
}

bool CaptionBar::OnLookChanged() {
    m_fonts.Reset();
    ::InvalidateRect(m_hWnd, nullptr, FALSE);
    return true;
}

bool CaptionBar::OnSize(UINT, int, int) {
    // Centred text moves with every change of width.
    ::InvalidateRect(m_hWnd, nullptr, FALSE);
    return true;
}

AccessibleElement CaptionBar::DescribeAccessible(int) const {
    AccessibleElement element;
    element.role = ROLE_SYSTEM_STATICTEXT;
    element.name = Text();
    element.state = STATE_SYSTEM_READONLY;
    ::GetClientRect(m_hWnd, &element.bounds);
    return element;
}

void CaptionBar::Paint(HDC dc) {
    RECT client{};
    ::GetClientRect(m_hWnd, &client);
    // High contrast overrides the colours the owner chose with the system's, and drops the gradient.
    const bool highContrast = IsHighContrast();
    const UiPalette palette = CurrentPalette();
    FrameSolid(dc, client, highContrast ? palette.border : BorderColor());
    RECT inside = client;
    ::InflateRect(&inside, -1, -1);
    const COLORREF background = highContrast ? palette.window : BackgroundColor();
    FillVerticalGradient(dc, inside, highContrast ? background : Blend(background, RGB(255, 255, 255), kGradientLift),
                         background);

    RECT text = inside;
    ::InflateRect(&text, -kTextPaddingX, 0);
    DrawTextIn(dc, Text(), text, m_font ? m_font : m_fonts.Get(UiFontStyle::Regular),
               highContrast ? palette.text : TextColor(),
               DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS);
}

void CaptionBar::UseDpi(unsigned dpi) {
    m_fonts.SetDpi(dpi);
}

}  // namespace qmo
