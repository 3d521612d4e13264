#pragma once
// A control's picture kept between paints: the still layer, drawn once for
// each size and look, and the composed picture, the still layer copied and
// the moving part drawn over it, which goes to the screen in one step. Four
// controls repaint every second for months; only the moving part costs.
#include <windows.h>

#include <optional>

#include "framework/unique_handle.h"
#include "perf/gauge_and_graph.h"
#include "perf/perf_win32.h"

namespace qmo {

// A memory DC holding one bitmap for as long as it lives.
class MemorySurface {
public:
    MemorySurface() = default;
    MemorySurface(const MemorySurface&) = delete;
    MemorySurface& operator=(const MemorySurface&) = delete;
    ~MemorySurface() { Release(); }

    // A bitmap of this size compatible with `target`; false, holding
    // nothing, when the system has no DC or bitmap to give.
    bool Make(HDC target, int width, int height);
    void Release() noexcept;
    HDC dc() const noexcept { return m_dc.get(); }

private:
    unique_dc m_dc;
    unique_bitmap m_bitmap;
    HGDIOBJ m_oldBitmap = nullptr;
};

class LayeredPicture {
public:
    // Paints the picture of `width` × `height` at the top left of `target`:
    // `paintStill(canvas)` only when the size or the look differs from the
    // last paint's, `paintMoving(canvas)` every time. `font` is borrowed.
    // Without memory for the layers both go straight to the target.
    template <class PaintStill, class PaintMoving>
    void Paint(HDC target, int width, int height, const PerfLook& look, HFONT font, PaintStill&& paintStill,
               PaintMoving&& paintMoving) {
        if (width <= 0 || height <= 0)
            return;
        if (!Holds(width, height, look)) {
            if (!Remake(target, width, height)) {
                GdiCanvas canvas(target, font);
                paintStill(canvas);
                paintMoving(canvas);
                return;
            }
            GdiCanvas canvas(m_still.dc(), font);
            paintStill(canvas);
            m_look = look;
        }
        CopyStill();
        {
            GdiCanvas canvas(m_composed.dc(), font);
            paintMoving(canvas);
        }
        ::BitBlt(target, 0, 0, m_width, m_height, m_composed.dc(), 0, 0, SRCCOPY);
    }

    // Lets go of both bitmaps; the next paint draws everything afresh.
    void Release() noexcept;

private:
    bool Holds(int width, int height, const PerfLook& look) const noexcept {
        return m_look && *m_look == look && m_width == width && m_height == height;
    }
    bool Remake(HDC target, int width, int height);
    void CopyStill() const;

    MemorySurface m_still;
    MemorySurface m_composed;
    int m_width = 0;
    int m_height = 0;
    std::optional<PerfLook> m_look;  // the still layer's, while there is one
};

}  // namespace qmo
