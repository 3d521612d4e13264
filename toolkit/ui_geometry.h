#pragma once
// Sizes, margins and rectangle helpers for the toolkit's layout rules.
#include <algorithm>

#include "framework/dpi_scale.h"
#include "framework/geometry.h"

namespace qmo {

struct UiSize {
    int cx = 0;
    int cy = 0;
};

struct UiMargins {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};

// Each side scaled from 96 DPI to `dpi`.
constexpr UiMargins ScaleForDpi(const UiMargins& margins, unsigned dpi) noexcept {
    return UiMargins{ScaleForDpi(margins.left, dpi), ScaleForDpi(margins.top, dpi), ScaleForDpi(margins.right, dpi),
                     ScaleForDpi(margins.bottom, dpi)};
}

// A rectangle of the given size that never turns inside out.
inline Rect MakeRect(int left, int top, int width, int height) noexcept {
    return Rect{left, top, left + std::max(width, 0), top + std::max(height, 0)};
}

// `outer` shrunk by `margins`, collapsing to zero size rather than going negative.
inline Rect Inset(const Rect& outer, const UiMargins& margins) noexcept {
    const int left = std::min(outer.left + margins.left, outer.right);
    const int top = std::min(outer.top + margins.top, outer.bottom);
    return Rect{left, top, std::max(left, outer.right - margins.right), std::max(top, outer.bottom - margins.bottom)};
}

}  // namespace qmo
