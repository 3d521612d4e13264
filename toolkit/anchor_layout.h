#pragma once
// Moves and stretches a dialog's controls when it is resized: each edge of a
// control follows a fraction (0 = none, 1 = all) of the change of the dialog's
// width or height since the controls were registered.
#include "framework/geometry.h"

namespace qmo {

struct Anchors {
    double left = 0;
    double top = 0;
    double right = 0;
    double bottom = 0;
};

inline constexpr Anchors kAnchorFixed{0, 0, 0, 0};
inline constexpr Anchors kAnchorStretchWidth{0, 0, 1, 0};
inline constexpr Anchors kAnchorStretchBoth{0, 0, 1, 1};
inline constexpr Anchors kAnchorMoveDown{0, 1, 0, 1};
inline constexpr Anchors kAnchorBottomRight{1, 1, 1, 1};

// Where a control registered at `original` goes when the dialog's client size
// has changed by (dx, dy). Never narrower or shorter than nothing.
Rect AnchoredRect(const Rect& original, const Anchors& anchors, int dx, int dy);

}  // namespace qmo
