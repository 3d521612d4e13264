#include "toolkit_test_support.h"

#include <gtest/gtest.h>

#include "framework/dpi_scale.h"
#include "framework/text.h"
#include "framework/window_dpi.h"
#include "res/messages.h"
#include "toolkit/themed_button.h"
#include "toolkit/ui_paint.h"

namespace qmo::testing {

COLORREF IconColor(int index) {
    // Steps through the colour cube, well away from magenta and from grey.
    return RGB(40 + index * 37 % 180, 40 + index * 71 % 180, 40 + index * 113 % 180);
}

unique_bitmap MakeIconStrip(int count) {
    const HDC screen = ::GetDC(nullptr);
    unique_bitmap strip(::CreateCompatibleBitmap(screen, 16 * count, 16));
    unique_dc dc(::CreateCompatibleDC(screen));
    ::ReleaseDC(nullptr, screen);
    if (!strip || !dc)
        return {};
    scoped_select select(dc.get(), strip.get());
    const RECT all{0, 0, 16 * count, 16};
    ::SetDCBrushColor(dc.get(), RGB(255, 0, 255));
    ::FillRect(dc.get(), &all, static_cast<HBRUSH>(::GetStockObject(DC_BRUSH)));
    for (int i = 0; i < count; ++i) {
        const RECT cell{16 * i + 2, 2, 16 * i + 14, 14};
        ::SetDCBrushColor(dc.get(), IconColor(i));
        ::FillRect(dc.get(), &cell, static_cast<HBRUSH>(::GetStockObject(DC_BRUSH)));
    }
    return strip;
}

bool ControlHost::Create(int width, int height) {
    WindowClass windowClass{L"QuenvaleTest.ControlHost"};
    windowClass.cursor = ::LoadCursorW(nullptr, IDC_ARROW);
    if (!Window::Create(windowClass, 0, L"toolkit host", WS_POPUP | WS_CLIPCHILDREN, 0, 0, width, height, nullptr,
                        nullptr))
        return false;
    ::ShowWindow(m_hWnd, SW_SHOW);
    ::UpdateWindow(m_hWnd);
    return true;
}

// A click its own button did not take.
bool ControlHost::OnCommand(UINT id, UINT code, HWND) {
    if (code == BN_CLICKED)
        commands.push_back(Command{id, code});
    return true;
}

LRESULT ControlHost::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_TASKPANEL_NOTIFY:
        panelNotifications.push_back(lParam);
        if (onPanelNotify)
            onPanelNotify(lParam);
        return 0;
    case WM_NOTIFY:
        notifications.push_back(*reinterpret_cast<const NMHDR*>(lParam));
        return 0;
    case WM_CTLCOLORBTN:
        if (buttonBackground)
            return reinterpret_cast<LRESULT>(buttonBackground);
        break;
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT: {
        paint_dc dc(m_hWnd);
        RECT client{};
        ::GetClientRect(m_hWnd, &client);
        if (onPaint)
            onPaint(dc.get(), client);
        else
            ::FillRect(dc.get(), &client, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
        return 0;
    }
    default:
        break;
    }
    return Window::HandleMessage(message, wParam, lParam);
}

ClientPicture::ClientPicture(HWND window) {
    Read(window,
         [window](HDC dc) { ::SendMessageW(window, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT); });
}

ClientPicture ClientPicture::FromScreen(HWND window) {
    ClientPicture picture;
    picture.Read(window, [window](HDC dc) {
        RECT client{};
        ::GetClientRect(window, &client);
        const HDC screen = ::GetDC(window);
        ::BitBlt(dc, 0, 0, client.right, client.bottom, screen, 0, 0, SRCCOPY);
        ::ReleaseDC(window, screen);
    });
    return picture;
}

void ClientPicture::Read(HWND window, const std::function<void(HDC)>& draw) {
    RECT client{};
    ::GetClientRect(window, &client);
    m_width = client.right;
    m_height = client.bottom;
    void* bits = nullptr;
    unique_bitmap dib(qmo::CreateBufferBitmap(nullptr, m_width, m_height, &bits));
    unique_dc dc(::CreateCompatibleDC(nullptr));
    if (!dib || !dc)
        return;
    scoped_select select(dc.get(), dib.get());
    draw(dc.get());
    ::GdiFlush();
    const auto* source = static_cast<const std::uint32_t*>(bits);
    m_pixels.assign(source, source + static_cast<std::size_t>(m_width) * m_height);
    for (std::uint32_t& pixel : m_pixels)
        pixel &= 0x00FFFFFF;
}

COLORREF ClientPicture::At(int x, int y) const {
    if (x < 0 || y < 0 || x >= m_width || y >= m_height || m_pixels.empty())
        return CLR_INVALID;
    const std::uint32_t pixel = m_pixels[static_cast<std::size_t>(y) * m_width + x];
    return RGB((pixel >> 16) & 255, (pixel >> 8) & 255, pixel & 255);
}

int ClientPicture::Count(const RECT& area, COLORREF color) const {
    int count = 0;
    for (int y = std::max<int>(area.top, 0); y < std::min<int>(area.bottom, m_height); ++y)
        for (int x = std::max<int>(area.left, 0); x < std::min<int>(area.right, m_width); ++x)
            count += At(x, y) == color;
    return count;
}

RECT ClientPicture::BoundsOf(const RECT& area, COLORREF color) const {
    return BoundsWhere(area, [color](COLORREF pixel, int, int) { return pixel == color; });
}

RECT ClientPicture::BoundsWhere(const RECT& area, const std::function<bool(COLORREF, int, int)>& test) const {
    RECT bounds{LONG_MAX, LONG_MAX, LONG_MIN, LONG_MIN};
    for (int y = std::max<int>(area.top, 0); y < std::min<int>(area.bottom, m_height); ++y) {
        for (int x = std::max<int>(area.left, 0); x < std::min<int>(area.right, m_width); ++x) {
            if (!test(At(x, y), x, y))
                continue;
            bounds.left = std::min<LONG>(bounds.left, x);
            bounds.top = std::min<LONG>(bounds.top, y);
            bounds.right = std::max<LONG>(bounds.right, x + 1);
            bounds.bottom = std::max<LONG>(bounds.bottom, y + 1);
        }
    }
    return bounds.left == LONG_MAX ? RECT{} : bounds;
}

void Click(HWND window, POINT point) {
    ::SendMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(point.x, point.y));
    ::SendMessageW(window, WM_LBUTTONUP, 0, MAKELPARAM(point.x, point.y));
}

POINT CentreOf(const RECT& rect) {
    return POINT{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
}

RECT ChildRect(HWND child) {
    RECT rect{};
    ::GetWindowRect(child, &rect);
    ::MapWindowPoints(nullptr, ::GetParent(child), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

bool HasPendingPaint(HWND window) {
    return ::GetUpdateRect(window, nullptr, FALSE) != FALSE;
}

int TextWidth(HWND window, const std::wstring& text) {
    HDC dc = ::GetDC(window);
    const HGDIOBJ old = ::SelectObject(dc, reinterpret_cast<HFONT>(::SendMessageW(window, WM_GETFONT, 0, 0)));
    SIZE size{};
    ::GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
    ::SelectObject(dc, old);
    ::ReleaseDC(window, dc);
    return size.cx;
}

// Every text of a window within its control: a push button's and a
// check box's caption on one line, a static text wrapped at its width.
// Returns how many texts it measured.
int ExpectEveryTextFits(HWND window) {
    int measured = 0;
    for (HWND control = ::GetWindow(window, GW_CHILD); control; control = ::GetWindow(control, GW_HWNDNEXT)) {
        wchar_t className[32] = {};
        ::GetClassNameW(control, className, 32);
        std::wstring text = WindowText(control);
        std::erase(text, L'&');
        if (text.empty() || !::IsWindowVisible(control))
            continue;
        RECT client{};
        ::GetClientRect(control, &client);
        const LONG style = ::GetWindowLongW(control, GWL_STYLE);
        if (std::wstring(className) == L"Static") {
            HDC dc = ::GetDC(control);
            const HGDIOBJ old = ::SelectObject(dc, reinterpret_cast<HFONT>(::SendMessageW(control, WM_GETFONT, 0, 0)));
            RECT needed{0, 0, client.right, 0};
            ::DrawTextW(dc, text.c_str(), -1, &needed, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
            ::SelectObject(dc, old);
            ::ReleaseDC(control, dc);
            EXPECT_LE(needed.bottom, client.bottom) << Narrow(text);
            EXPECT_LE(needed.right, client.right) << Narrow(text);
            ++measured;
        } else if (std::wstring(className) == L"Button") {
            const LONG type = style & BS_TYPEMASK;
            const bool box = type == BS_AUTOCHECKBOX || type == BS_CHECKBOX || type == BS_AUTORADIOBUTTON ||
                             type == BS_RADIOBUTTON;
            const int glyph = box ? ScaleForDpi(16, WindowDpi(control)) : 0;
            EXPECT_LT(TextWidth(control, text) + glyph, client.right) << Narrow(text);
            ++measured;
        }
    }
    return measured;
}

}  // namespace qmo::testing
