#pragma once
// Plain pixel geometry for the portable core (no <windows.h> here).

namespace qmo {

struct Point {
    int x = 0;
    int y = 0;
};

// Right and bottom are outside, so an empty rectangle holds no point.
struct Rect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    int Width() const noexcept { return right - left; }
    int Height() const noexcept { return bottom - top; }
    bool Contains(Point point) const noexcept {
        return point.x >= left && point.x < right && point.y >= top && point.y < bottom;
    }
};

}  // namespace qmo
