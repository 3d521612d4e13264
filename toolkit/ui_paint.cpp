#include "toolkit/ui_paint.h"

namespace qmo {
namespace {

int Mix(int from, int to, int percent) noexcept {
    return from + (to - from) * percent / 100;
}

}  // namespace

// A 32-bit section rather than a compatible bitmap: its pixels are the
// process's own pages and go back to the system when it is deleted, where a
// large compatible bitmap may leave its size behind in the display driver's
// heap (wine's, for one).
HBITMAP CreateBufferBitmap(HDC target, int width, int height, void** bits) noexcept {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* ignored = nullptr;
    return ::CreateDIBSection(target, &info, DIB_RGB_COLORS, bits ? bits : &ignored, nullptr, 0);
}

COLORREF Blend(COLORREF from, COLORREF to, int percent) noexcept {
    return RGB(Mix(GetRValue(from), GetRValue(to), percent), Mix(GetGValue(from), GetGValue(to), percent),
               Mix(GetBValue(from), GetBValue(to), percent));
}

void FillSolid(HDC dc, const RECT& rect, COLORREF color) {
    const COLORREF old = ::SetDCBrushColor(dc, color);
    ::FillRect(dc, &rect, static_cast<HBRUSH>(::GetStockObject(DC_BRUSH)));
    ::SetDCBrushColor(dc, old);
}

void FrameSolid(HDC dc, const RECT& rect, COLORREF color) {
    if (rect.right <= rect.left || rect.bottom <= rect.top)
        return;
    FillSolid(dc, RECT{rect.left, rect.top, rect.right, rect.top + 1}, color);
    FillSolid(dc, RECT{rect.left, rect.bottom - 1, rect.right, rect.bottom}, color);
    FillSolid(dc, RECT{rect.left, rect.top, rect.left + 1, rect.bottom}, color);
    FillSolid(dc, RECT{rect.right - 1, rect.top, rect.right, rect.bottom}, color);
}

void FillVerticalGradient(HDC dc, const RECT& rect, COLORREF top, COLORREF bottom) {
    const int rows = rect.bottom - rect.top;
    for (int row = 0; row < rows; ++row) {
        const int percent = rows > 1 ? row * 100 / (rows - 1) : 0;
        FillSolid(dc, RECT{rect.left, rect.top + row, rect.right, rect.top + row + 1}, Blend(top, bottom, percent));
    }
}

void FillRoundRect(HDC dc, const RECT& rect, int radius, COLORREF fill, COLORREF border) {
    scoped_select pen(dc, ::GetStockObject(DC_PEN));
    scoped_select brush(dc, ::GetStockObject(DC_BRUSH));
    const COLORREF oldPen = ::SetDCPenColor(dc, border);
    const COLORREF oldBrush = ::SetDCBrushColor(dc, fill);
    ::RoundRect(dc, rect.left, rect.top, rect.right, rect.bottom, 2 * radius, 2 * radius);
    ::SetDCPenColor(dc, oldPen);
    ::SetDCBrushColor(dc, oldBrush);
}

void FrameRoundRect(HDC dc, const RECT& rect, int radius, COLORREF border) {
    scoped_select pen(dc, ::GetStockObject(DC_PEN));
    scoped_select brush(dc, ::GetStockObject(NULL_BRUSH));
    const COLORREF oldPen = ::SetDCPenColor(dc, border);
    ::RoundRect(dc, rect.left, rect.top, rect.right, rect.bottom, 2 * radius, 2 * radius);
    ::SetDCPenColor(dc, oldPen);
}

void DrawLine(HDC dc, POINT from, POINT to, COLORREF color) {
    scoped_select pen(dc, ::GetStockObject(DC_PEN));
    const COLORREF old = ::SetDCPenColor(dc, color);
    ::MoveToEx(dc, from.x, from.y, nullptr);
    ::LineTo(dc, to.x, to.y);
    ::SetDCPenColor(dc, old);
}

void DrawTextIn(HDC dc, std::wstring_view text, RECT rect, HFONT font, COLORREF color, UINT format) {
    if (text.empty() || rect.right <= rect.left)
        return;
    scoped_select selected(dc, font);
    const int oldMode = ::SetBkMode(dc, TRANSPARENT);
    const COLORREF oldColor = ::SetTextColor(dc, color);
    ::DrawTextW(dc, text.data(), static_cast<int>(text.size()), &rect, format | DT_NOPREFIX);
    ::SetTextColor(dc, oldColor);
    ::SetBkMode(dc, oldMode);
}

BufferedCanvas::BufferedCanvas(HDC target, const RECT& area) noexcept : m_target(target), m_area(area) {
    const int width = area.right - area.left;
    const int height = area.bottom - area.top;
    if (width <= 0 || height <= 0)
        return;
    m_memory.reset(::CreateCompatibleDC(target));
    m_bitmap.reset(CreateBufferBitmap(target, width, height));
    if (!m_memory || !m_bitmap) {
        m_memory.reset();
        return;
    }
    m_oldBitmap = ::SelectObject(m_memory.get(), m_bitmap.get());
    // Callers draw in the target's coordinates.
    ::SetWindowOrgEx(m_memory.get(), area.left, area.top, nullptr);
}

BufferedCanvas::~BufferedCanvas() {
    if (!m_memory)
        return;
    ::SetWindowOrgEx(m_memory.get(), 0, 0, nullptr);
    ::BitBlt(m_target, m_area.left, m_area.top, m_area.right - m_area.left, m_area.bottom - m_area.top, m_memory.get(),
             0, 0, SRCCOPY);
    ::SelectObject(m_memory.get(), m_oldBitmap);
}

}  // namespace qmo
