#include "toolkit/caption_bar.h"

#include "framework/unique_handle.h"
#include "toolkit/ui_paint.h"

namespace qmo {
namespace {

constexpr int kTextPaddingX = 8;
constexpr int kGradientLift = 16;  // percent towards white at the top

}  // namespace

bool CaptionBar::Create(std::wstring_view text, DWORD style, const RECT& rect, HWND parent, UINT id) {
    WindowClass windowClass{kCaptionBarClassName};
    windowClass.cursor = ::LoadCursorW(nullptr, IDC_ARROW);
    const std::wstring title(text);
    return CreateChild(windowClass, title.c_str(), style, rect, parent, id);
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
    LRESULT painted = 0;
    if (HandleSelfPaint(m_hWnd, message, wParam, [this](HDC dc) { Paint(dc); }, painted))
        return painted;
    switch (message) {
    case WM_SETTEXT: {
        const LRESULT result = DefaultHandler(message, wParam, lParam);
        ::InvalidateRect(m_hWnd, nullptr, FALSE);
        return result;
    }
    case WM_SETFONT:
        m_font = reinterpret_cast<HFONT>(wParam);
        if (LOWORD(lParam))
            ::InvalidateRect(m_hWnd, nullptr, FALSE);
        return 0;
    case WM_GETFONT:
        return reinterpret_cast<LRESULT>(m_font);
    default:
        return Window::HandleMessage(message, wParam, lParam);
    }
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

void CaptionBar::Paint(HDC dc) {
    RECT client{};
    ::GetClientRect(m_hWnd, &client);
    FrameSolid(dc, client, BorderColor());
    RECT inside = client;
    ::InflateRect(&inside, -1, -1);
    const COLORREF background = BackgroundColor();
    FillVerticalGradient(dc, inside, Blend(background, RGB(255, 255, 255), kGradientLift), background);

    RECT text = inside;
    ::InflateRect(&text, -kTextPaddingX, 0);
    DrawTextIn(dc, Text(), text, m_font ? m_font : m_fonts.Get(UiFontStyle::Regular), TextColor(),
               DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS);
}

void CaptionBar::SetDpi(unsigned dpi) {
    m_fonts.SetDpi(dpi);
    if (m_hWnd)
        ::InvalidateRect(m_hWnd, nullptr, FALSE);
}

}  // namespace qmo
