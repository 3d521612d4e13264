#include "perf/gauge_and_graph.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <span>

#include "framework/format_decimal.h"
#include "framework/texts.h"
#include "perf/pdh_query.h"
#include "res/pages_resource.h"

namespace qmo {
namespace {

constexpr int kRestAngle = 225;  // value 0, lower left
constexpr double kDegreesPerPercent = 2.7;

// Sizes below are pixels at 96 DPI.
// Both panels: the surface colour from this row down, under the gradient;
// the gradient stops short of the bottom by the strip for the text.
constexpr int kSurfaceTop = 25;
constexpr int kGaugeStrip = 25;
constexpr int kGraphStrip = 21;
constexpr int kDialInset = 5;
// Graph layout: the plot's left edge, its top, the strip under it.
constexpr int kPlotLeft = 50;
constexpr int kPlotTop = 10;
constexpr int kPlotBottomMargin = 30;

// A look's sizes in pixels at its DPI.
class Scale {
public:
    explicit Scale(const PerfLook& look) noexcept : m_dpi(look.dpi) {}
    int operator()(int pixels) const noexcept { return ScaleForDpi(pixels, m_dpi); }
    int Line(int pixels) const noexcept { return ScaleLineForDpi(pixels, m_dpi); }

private:
    unsigned m_dpi;
};

std::string Digits(int value) {
    return FormatDecimal(static_cast<std::uint32_t>(value));
}

void Line(Canvas& canvas, Point from, Point to) {
    canvas.MoveTo(from);
    canvas.LineTo(to);
}

// A border of `frame` round a gradient panel over a strip of `surface`.
void PaintPanel(Canvas& canvas, int width, int height, int strip, Color top, Color bottom, const PerfLook& look) {
    const Scale px(look);
    const int border = px.Line(1);
    canvas.FillSolid({0, 0, width, height}, look.colors.surface);
    canvas.FillSolid({0, 0, width, height}, look.colors.frame);
    canvas.FillSolid({border, px(kSurfaceTop), width - border, height - border}, look.colors.surface);
    canvas.FillVerticalGradient({border, border, width - border, height - strip}, top, bottom);
}

Rect DialRect(int width, int height, const Scale& px) {
    return {0, px(kDialInset), width, height - px(kDialInset)};
}

// Unavailable samples leave gaps: the curve starts afresh at the next sample it has.
void PaintCurveLine(Canvas& canvas, const HistoryGraphModel& graph, int width, int height, const PerfLook& look) {
    const Scale px(look);
    canvas.SelectPen(look.colors.curve, px.Line(1));
    const int left = px(kPlotLeft);
    const int baseline = height - px(kPlotBottomMargin);
    const double yScale = RoundToDecimals(static_cast<float>(baseline) * 0.01f, 1);
    const double xScale = RoundToDecimals(static_cast<float>(width - px(kPlotLeft + 4)) * 0.01f, 1);
    const int count = std::min(graph.m_nCount, HISTORY_CAPACITY);
    const auto available = [&](int i) {
        return i < count && graph.m_aY[static_cast<std::size_t>(i)] != PDH_VALUE_UNAVAILABLE;
    };
    // Each unbroken stretch of the curve is one polyline: a hundred separate
    // lines would be a hundred calls into the system every second.
    std::array<Point, HISTORY_CAPACITY + 2> stretch;
    std::size_t length = 0;
    const auto draw = [&] {
        if (length > 1)
            canvas.Polyline(std::span<const Point>(stretch.data(), length));
        length = 0;
    };
    stretch[length++] = {left, baseline};
    bool afterGap = false;
    for (int i = 0; i < count; ++i) {
        if (!available(i)) {
            afterGap = true;
            continue;
        }
        const int value = graph.m_aY[static_cast<std::size_t>(i)];
        const Point point{static_cast<int>(left + i * xScale),
                          static_cast<int>(height - (value * yScale + px(kPlotBottomMargin)))};
        if (!afterGap) {
            stretch[length++] = point;
            continue;
        }
        draw();
        stretch[length++] = point;
        // A sample alone between gaps has no line to be part of: it is a dot
        // (a line leaves out its end point).
        if (!available(i + 1))
            stretch[length++] = {point.x + 1, point.y};
        afterGap = false;
    }
    draw();
}

}  // namespace

float RoundToDecimals(float x, int decimals) {
    double t = static_cast<double>(x) * std::pow(10.0, decimals + 1);
    t += x < 0 ? -5.0 : 5.0;
    t = std::trunc(t * static_cast<double>(0.1f));
    return static_cast<float>(t / std::pow(10.0, decimals));
}

Point PointOnDial(int angle, const Rect& rect) {
    if (angle < 0)
        angle += static_cast<int>(360u * ((359u - static_cast<unsigned>(angle)) / 360u));
    else if (angle >= 360)
        angle %= 360;
    const double radius = (rect.bottom - rect.top) * 0.5;
    const double theta = angle * 3.1415926535 * 0.005555555555555556;
    return {static_cast<int>(radius * std::sin(theta) + (rect.left + rect.right) * 0.5),
            static_cast<int>((rect.top + rect.bottom) * 0.5 - radius * std::cos(theta))};
}

PerfColors HighContrastPerfColors(Color window, Color windowText, Color highlight, Color hotLight) {
    return PerfColors{
        .surface = window,
        .frame = windowText,
        .gaugeTop = window,
        .gaugeBottom = window,
        .graphTop = window,
        .graphBottom = window,
        .needle = highlight,
        .outline = windowText,
        .hub = hotLight,
        .valueText = hotLight,
        .curve = highlight,
        .labelText = windowText,
    };
}

void GaugeModel::SetValue(float value) {
    m_nValue = static_cast<int>(value);
    if (m_nValue == PDH_VALUE_UNAVAILABLE) {
        m_nAngle = kRestAngle;
        return;
    }
    const auto sweep = static_cast<float>(static_cast<double>(value) * kDegreesPerPercent);
    m_nAngle = static_cast<int>(kRestAngle + RoundToDecimals(sweep, 1));
}

std::string GaugeModel::Text() const {
    return m_nValue == PDH_VALUE_UNAVAILABLE ? m_strCaption + qmo::Text(IDS_PERF_NOT_AVAILABLE)
                                             : m_strCaption + Digits(m_nValue) + "%";
}

std::string HistoryGraphModel::Text() const {
    const int latest = m_nCount > 0 && m_nCount <= HISTORY_CAPACITY ? m_aY[static_cast<std::size_t>(m_nCount - 1)] : 0;
    return latest == PDH_VALUE_UNAVAILABLE ? m_strCaption + " " + qmo::Text(IDS_PERF_NOT_AVAILABLE)
                                           : m_strCaption + " " + Digits(latest) + " %";
}

void PaintGaugeFace(Canvas& canvas, int width, int height, const PerfLook& look) {
    const Scale px(look);
    const PerfColors& colors = look.colors;
    PaintPanel(canvas, width, height, px(kGaugeStrip), colors.gaugeTop, colors.gaugeBottom, look);
    canvas.SelectPen(colors.surface, px.Line(2));
    canvas.SelectBrush(colors.surface);
    const Rect dial = DialRect(width, height, px);
    // The wedge below the sweep, between the value-0 and value-100 positions.
    canvas.Pie(dial, PointOnDial(225, dial), PointOnDial(135, dial));
    for (int angle = 0; angle < 360; angle += 30)
        Line(canvas, {dial.right / 2, dial.bottom / 2}, PointOnDial(angle, dial));
}

void PaintGaugeValue(Canvas& canvas, const GaugeModel& gauge, int width, int height, const PerfLook& look) {
    const Scale px(look);
    const PerfColors& colors = look.colors;
    const Rect dial = DialRect(width, height, px);
    canvas.Text({px(5), dial.bottom - px(20)}, gauge.Text(), colors.valueText, colors.surface);
    canvas.SelectBrush(colors.needle);
    canvas.SelectPen(colors.outline, px.Line(1));
    const Point centre{width / 2, height / 2};
    const Point tip = PointOnDial(gauge.m_nAngle, {0, 0, width, height});
    const auto around = [&](int radius) {
        return Rect{centre.x - radius, centre.y - radius, centre.x + radius, centre.y + radius};
    };
    const Rect shoulders = around(px(20));
    const Point needle[] = {centre, PointOnDial(gauge.m_nAngle - 10, shoulders), tip,
                            PointOnDial(gauge.m_nAngle + 10, shoulders)};
    canvas.Polygon(needle);
    canvas.SelectBrush(colors.outline);
    canvas.Ellipse(around(px(12)));
    canvas.SelectBrush(colors.hub);
    canvas.Ellipse(around(px(10)));
}

void PaintGraphGrid(Canvas& canvas, int width, int height, const PerfLook& look) {
    const Scale px(look);
    const PerfColors& colors = look.colors;
    PaintPanel(canvas, width, height, px(kGraphStrip), colors.graphTop, colors.graphBottom, look);
    const int left = px(kPlotLeft);
    const int top = px(kPlotTop);
    const int baseline = height - px(kPlotBottomMargin);
    const int border = px.Line(1);
    canvas.FillSolid({left, top, width, baseline}, colors.frame);
    canvas.FillSolid({left + border, top + border, width - border, baseline - border}, colors.surface);
    canvas.SelectPen(colors.frame, px.Line(1));
    const int columnStep = (width - left) / 20;
    if (columnStep > 0)
        for (int k = 1; k <= 19; ++k)
            Line(canvas, {left + k * columnStep, top}, {left + k * columnStep, baseline});
    const int rowStep = baseline / 21;
    for (int k = 0; k <= 20; ++k) {
        const int y = baseline - k * rowStep;
        Line(canvas, {left, y}, {width, y});
        if (k % 5 == 0)
            canvas.Text({px(10), y - px(7)}, Digits(5 * k), colors.labelText, colors.surface);
    }
}

void PaintGraphCurve(Canvas& canvas, const HistoryGraphModel& graph, int width, int height, const PerfLook& look) {
    PaintCurveLine(canvas, graph, width, height, look);
    const Scale px(look);
    canvas.Text({width / 2 - px(60), height - px(20)}, graph.Text(), look.colors.labelText, look.colors.surface);
}

void PaintGauge(Canvas& canvas, const GaugeModel& gauge, int width, int height, const PerfLook& look) {
    PaintGaugeFace(canvas, width, height, look);
    PaintGaugeValue(canvas, gauge, width, height, look);
}

void PaintHistoryGraph(Canvas& canvas, const HistoryGraphModel& graph, int width, int height, const PerfLook& look) {
    PaintGraphGrid(canvas, width, height, look);
    PaintGraphCurve(canvas, graph, width, height, look);
}

}  // namespace qmo
