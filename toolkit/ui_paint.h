#pragma once
// Drawing helpers shared by the toolkit's controls. Solid colours go through
// the DC brush and pen, so painting creates no GDI objects.
#include <windows.h>

#include <string_view>

#include "framework/unique_handle.h"
#include "toolkit/ui_geometry.h"

namespace qmo {

// An off-screen bitmap for `target` of `width` × `height`, 32 bits a pixel,
// top row first; null when the system has none to give. `bits`, when given,
// receives where its pixels are.
HBITMAP CreateBufferBitmap(HDC target, int width, int height, void** bits = nullptr) noexcept;

// A solid brush of a colour, kept until another colour is asked for: for
// answers whose brush must outlive the call (WM_CTLCOLOR..., a menu's background).
class KeptBrush {
public:
    HBRUSH Of(COLORREF colour) {
        if (!m_brush || colour != m_colour) {
            m_brush.reset(::CreateSolidBrush(colour));
            m_colour = colour;
        }
        return m_brush.get();
    }

private:
    unique_brush m_brush;
    COLORREF m_colour = CLR_INVALID;
};

inline COLORREF ToColorRef(Color color) noexcept {
    return RGB(color.red, color.green, color.blue);
}

inline RECT ToRect(const Rect& rect) noexcept {
    return RECT{rect.left, rect.top, rect.right, rect.bottom};
}

inline Rect ToUiRect(const RECT& rect) noexcept {
    return Rect{rect.left, rect.top, rect.right, rect.bottom};
}

// `from` moved `percent` of the way towards `to`.
COLORREF Blend(COLORREF from, COLORREF to, int percent) noexcept;

void FillSolid(HDC dc, const RECT& rect, COLORREF color);
void FrameSolid(HDC dc, const RECT& rect, COLORREF color);
// Row by row from `top` to `bottom`, so no msimg32 is needed.
void FillVerticalGradient(HDC dc, const RECT& rect, COLORREF top, COLORREF bottom);
void FillRoundRect(HDC dc, const RECT& rect, int radius, COLORREF fill, COLORREF border);
void FrameRoundRect(HDC dc, const RECT& rect, int radius, COLORREF border);
void DrawLine(HDC dc, POINT from, POINT to, COLORREF color);
// Transparent-background text in `color`; `format` as DrawTextW's.
void DrawTextIn(HDC dc, std::wstring_view text, RECT rect, HFONT font, COLORREF color, UINT format);

// A window's paint composed off screen and copied in one BitBlt when the
// canvas goes out of scope. With no memory bitmap to be had it draws
// straight to the screen.
class BufferedCanvas {
public:
    BufferedCanvas(HDC target, const RECT& area) noexcept;
    BufferedCanvas(const BufferedCanvas&) = delete;
    BufferedCanvas& operator=(const BufferedCanvas&) = delete;
    ~BufferedCanvas();

    HDC dc() const noexcept { return m_memory ? m_memory.get() : m_target; }

private:
    HDC m_target;
    RECT m_area;
    unique_dc m_memory;
    unique_bitmap m_bitmap;
    HGDIOBJ m_oldBitmap = nullptr;
};

// WM_PAINT for a control that draws its whole client area with `paint(dc)`:
// composed off screen, copied in one step.
template <class PaintFunction>
void PaintClientBuffered(HWND window, PaintFunction&& paint) {
    paint_dc dc(window);
    RECT client{};
    ::GetClientRect(window, &client);
    BufferedCanvas canvas(dc.get(), client);
    paint(canvas.dc());
}

}  // namespace qmo
