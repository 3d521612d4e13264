#pragma once
// A canvas that writes down every drawing step with the pen and brush in use.
#include <string>
#include <vector>

#include "perf/canvas.h"

namespace qmo::testing {

struct CanvasStep {
    enum Kind { Fill, Gradient, Pie, Line, Polygon, Ellipse, Text } kind = Fill;
    Rect rect;
    Point from;
    Point to;
    std::vector<Point> points;
    std::string text;
    Color color;  // fill, text or pen colour
    Color brush;  // or the text's background
    int penWidth = 0;
};

class RecordingCanvas : public Canvas {
public:
    void FillSolid(const Rect& rect, Color color) override { Add(CanvasStep::Fill, rect).color = color; }
    void FillVerticalGradient(const Rect& rect, Color top, Color bottom) override {
        CanvasStep& step = Add(CanvasStep::Gradient, rect);
        step.color = top;
        step.brush = bottom;
    }
    void SelectPen(Color color, int width) override {
        m_pen = color;
        m_penWidth = width;
    }
    void SelectBrush(Color color) override { m_brush = color; }
    void Pie(const Rect& bounds, Point start, Point end) override {
        CanvasStep& step = Add(CanvasStep::Pie, bounds);
        step.from = start;
        step.to = end;
    }
    void MoveTo(Point to) override { m_position = to; }
    void LineTo(Point to) override {
        CanvasStep& step = Add(CanvasStep::Line);
        step.from = m_position;
        step.to = to;
        m_position = to;
    }
    // As the lines it draws, one step each; the current position stays.
    void Polyline(std::span<const Point> points) override {
        for (std::size_t i = 1; i < points.size(); ++i) {
            CanvasStep& step = Add(CanvasStep::Line);
            step.from = points[i - 1];
            step.to = points[i];
        }
    }
    void Polygon(std::span<const Point> points) override {
        Add(CanvasStep::Polygon).points.assign(points.begin(), points.end());
    }
    void Ellipse(const Rect& bounds) override { Add(CanvasStep::Ellipse, bounds); }
    void Text(Point at, std::string_view utf8, Color color, Color background) override {
        CanvasStep& step = Add(CanvasStep::Text);
        step.from = at;
        step.text = utf8;
        step.color = color;
        step.brush = background;
    }

    std::vector<CanvasStep> Of(CanvasStep::Kind kind) const {
        std::vector<CanvasStep> found;
        for (const CanvasStep& step : steps)
            if (step.kind == kind)
                found.push_back(step);
        return found;
    }

    std::vector<CanvasStep> steps;

private:
    CanvasStep& Add(CanvasStep::Kind kind, Rect rect = {}) {
        CanvasStep step;
        step.kind = kind;
        step.rect = rect;
        if (step.kind == CanvasStep::Line || step.kind == CanvasStep::Pie || step.kind == CanvasStep::Polygon ||
            step.kind == CanvasStep::Ellipse) {
            step.color = m_pen;
            step.brush = m_brush;
            step.penWidth = m_penWidth;
        }
        steps.push_back(step);
        return steps.back();
    }

    Color m_pen;
    Color m_brush;
    int m_penWidth = 0;
    Point m_position;
};

}  // namespace qmo::testing
