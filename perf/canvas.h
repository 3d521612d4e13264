#pragma once
// What the gauge and the graph need of a drawing surface. The geometry is
// computed in the portable core and handed to a canvas: GDI in the program,
// a recorder in the tests.
#include <cstdint>
#include <span>
#include <string_view>

#include "framework/geometry.h"

namespace qmo {

class Canvas {
public:
    virtual ~Canvas() = default;

    virtual void FillSolid(const Rect& rect, Color color) = 0;
    // Row by row from `top` in the first row to `bottom` in the last.
    virtual void FillVerticalGradient(const Rect& rect, Color top, Color bottom) = 0;
    // Outline of the shapes and lines below.
    virtual void SelectPen(Color color, int width) = 0;
    // Fill of the shapes below.
    virtual void SelectBrush(Color color) = 0;
    // The wedge of the ellipse in `bounds` from the radial through `start`
    // counterclockwise to the radial through `end`.
    virtual void Pie(const Rect& bounds, Point start, Point end) = 0;
    virtual void MoveTo(Point to) = 0;
    // From the current position; the end point itself is not drawn.
    virtual void LineTo(Point to) = 0;
    // From each point to the next, in one step; the last point itself is not
    // drawn, and the current position is left as it was.
    virtual void Polyline(std::span<const Point> points) = 0;
    virtual void Polygon(std::span<const Point> points) = 0;
    virtual void Ellipse(const Rect& bounds) = 0;
    // One line of text with its top-left corner at `at`, on an opaque `background`.
    virtual void Text(Point at, std::string_view utf8, Color color, Color background) = 0;
};

}  // namespace qmo
