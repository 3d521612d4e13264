#pragma once
// What the gauge and the graph need of a drawing surface. The geometry is
// computed in the portable core and handed to a canvas: GDI in the program,
// a recorder in the tests.
#include <cstdint>
#include <span>
#include <string_view>

#include "framework/geometry.h"

namespace qmo {

struct CanvasColor {
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
    friend bool operator==(const CanvasColor&, const CanvasColor&) = default;
};

class Canvas {
public:
    virtual ~Canvas() = default;

    virtual void FillSolid(const Rect& rect, CanvasColor color) = 0;
    // Row by row from `top` in the first row to `bottom` in the last.
    virtual void FillVerticalGradient(const Rect& rect, CanvasColor top, CanvasColor bottom) = 0;
    // Outline of the shapes and lines below.
    virtual void SelectPen(CanvasColor color, int width) = 0;
    // Fill of the shapes below.
    virtual void SelectBrush(CanvasColor color) = 0;
    // The wedge of the ellipse in `bounds` from the radial through `start`
    // counterclockwise to the radial through `end`.
    virtual void Pie(const Rect& bounds, Point start, Point end) = 0;
    virtual void MoveTo(Point to) = 0;
    // From the current position; the end point itself is not drawn.
    virtual void LineTo(Point to) = 0;
    virtual void Polygon(std::span<const Point> points) = 0;
    virtual void Ellipse(const Rect& bounds) = 0;
    // One line of text with its top-left corner at `at`, on a white background.
    virtual void Text(Point at, std::string_view utf8, CanvasColor color) = 0;
};

}  // namespace qmo
