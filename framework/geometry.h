#pragma once
// Plain pixel geometry and colour for the portable core (no <windows.h> here).
#include <cstdint>

namespace qmo {

struct Color {
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
    friend bool operator==(const Color&, const Color&) = default;
};

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
