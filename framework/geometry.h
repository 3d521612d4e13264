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
    bool IsEmpty() const noexcept { return right <= left || bottom <= top; }
    bool Contains(int x, int y) const noexcept { return x >= left && x < right && y >= top && y < bottom; }
    bool Contains(Point point) const noexcept { return Contains(point.x, point.y); }
    friend bool operator==(const Rect&, const Rect&) = default;
};

}  // namespace qmo
