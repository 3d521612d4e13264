#pragma once
// Sizes are designed in pixels at 96 DPI (100 %); a window shows them at its
// own DPI. Portable: the layout rules scale with these and are tested natively.
#include "framework/geometry.h"

namespace qmo {

inline constexpr unsigned kDesignDpi = 96;

// `pixels` at 96 DPI in pixels at `dpi`, rounded to the nearest (halves away
// from zero, so a size and its negative offset stay mirror images). A zero DPI
// (not known) reads as 96.
constexpr int ScaleForDpi(int pixels, unsigned dpi) noexcept {
    if (dpi == 0 || dpi == kDesignDpi)
        return pixels;
    const long long scaled = static_cast<long long>(pixels) * dpi;
    const long long half = kDesignDpi / 2;
    return static_cast<int>(scaled >= 0 ? (scaled + half) / kDesignDpi : -((-scaled + half) / kDesignDpi));
}

// A pen or line width: never thinner than one pixel once scaled.
constexpr int ScaleLineForDpi(int pixels, unsigned dpi) noexcept {
    const int scaled = ScaleForDpi(pixels, dpi);
    return pixels > 0 && scaled < 1 ? 1 : scaled;
}

constexpr Point ScaleForDpi(Point point, unsigned dpi) noexcept {
    return Point{ScaleForDpi(point.x, dpi), ScaleForDpi(point.y, dpi)};
}

// Each edge scaled on its own, so rectangles that touch at 96 DPI still touch.
constexpr Rect ScaleForDpi(const Rect& rect, unsigned dpi) noexcept {
    return Rect{ScaleForDpi(rect.left, dpi), ScaleForDpi(rect.top, dpi), ScaleForDpi(rect.right, dpi),
                ScaleForDpi(rect.bottom, dpi)};
}

// Of the image sizes drawn for 100, 150 and 200 %, the one to scale down from:
// the nearest at or above `dpi` (200 % for anything larger).
constexpr unsigned ArtDpiFor(unsigned dpi) noexcept {
    if (dpi <= kDesignDpi)
        return kDesignDpi;
    if (dpi <= kDesignDpi * 3 / 2)
        return kDesignDpi * 3 / 2;
    return kDesignDpi * 2;
}

}  // namespace qmo
