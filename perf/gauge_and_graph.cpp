#include "perf/gauge_and_graph.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "framework/format_decimal.h"
#include "perf/pdh_query.h"

namespace qmo {
namespace {

constexpr Color kWhite{255, 255, 255};
constexpr Color kBlack{0, 0, 0};
constexpr Color kFrameBlue{150, 180, 206};
constexpr Color kGaugeTop{230, 250, 250};
constexpr Color kGraphTop{250, 250, 250};
constexpr Color kGraphBottom{222, 235, 250};
constexpr Color kNeedle{250, 180, 21};
constexpr Color kHubInner{0, 0, 255};
constexpr Color kRed{255, 0, 0};

constexpr int kRestAngle = 225;  // value 0, lower left
constexpr double kDegreesPerPercent = 2.7;
constexpr char kUnavailableText[] = "n/a";

// Graph layout: the plot's left edge, its top, the strip under it.
constexpr int kPlotLeft = 50;
constexpr int kPlotTop = 10;
constexpr int kPlotBottomMargin = 30;

std::string Digits(int value) {
    return FormatDecimal(static_cast<std::uint32_t>(value));
}

void Line(Canvas& canvas, Point from, Point to) {
    canvas.MoveTo(from);
    canvas.LineTo(to);
}

void PaintDialFace(Canvas& canvas, const GaugeModel& gauge, int width, int height) {
    canvas.SelectPen(kWhite, 2);
    canvas.FillSolid({0, 0, width, height}, kFrameBlue);
    canvas.FillSolid({1, 25, width - 1, height - 1}, kWhite);
    canvas.FillVerticalGradient({1, 1, width - 1, height - 25}, kGaugeTop, kFrameBlue);
    canvas.SelectBrush(kWhite);
    const Rect dial{0, 5, width, height - 5};
    // The wedge below the sweep, between the value-0 and value-100 positions.
    canvas.Pie(dial, PointOnDial(225, dial), PointOnDial(135, dial));
    for (int angle = 0; angle < 360; angle += 30)
        Line(canvas, {dial.right / 2, dial.bottom / 2}, PointOnDial(angle, dial));
    canvas.Text({5, dial.bottom - 20}, gauge.Text(), kRed);
}

void PaintNeedle(Canvas& canvas, const GaugeModel& gauge, int width, int height) {
    canvas.SelectBrush(kNeedle);
    canvas.SelectPen(kBlack, 1);
    const Point centre{width / 2, height / 2};
    const Point tip = PointOnDial(gauge.m_nAngle, {0, 0, width, height});
    const Rect hub{centre.x - 20, centre.y - 20, centre.x + 20, centre.y + 20};
    const Point needle[] = {centre, PointOnDial(gauge.m_nAngle - 10, hub), tip, PointOnDial(gauge.m_nAngle + 10, hub)};
    canvas.Polygon(needle);
    canvas.SelectBrush(kBlack);
    canvas.Ellipse({centre.x - 12, centre.y - 12, centre.x + 12, centre.y + 12});
    canvas.SelectBrush(kHubInner);
    canvas.Ellipse({centre.x - 10, centre.y - 10, centre.x + 10, centre.y + 10});
}

void PaintGrid(Canvas& canvas, int width, int height) {
    canvas.SelectPen(kFrameBlue, 1);
    const int columnStep = (width - kPlotLeft) / 20;
    if (columnStep > 0)
        for (int k = 1; k <= 19; ++k)
            Line(canvas, {kPlotLeft + k * columnStep, kPlotTop}, {kPlotLeft + k * columnStep, height - kPlotBottomMargin});
    const int rowStep = (height - kPlotBottomMargin) / 21;
    for (int k = 0; k <= 20; ++k) {
        const int y = (height - kPlotBottomMargin) - k * rowStep;
        Line(canvas, {kPlotLeft, y}, {width, y});
        if (k % 5 == 0)
            canvas.Text({10, y - 7}, Digits(5 * k), kBlack);
    }
}

// Unavailable samples leave gaps: the curve starts afresh at the next sample it has.
void PaintCurve(Canvas& canvas, const HistoryGraphModel& graph, int width, int height) {
    canvas.SelectPen(kRed, 1);
    const double yScale = RoundToDecimals(static_cast<float>(height - kPlotBottomMargin) * 0.01f, 1);
    const double xScale = RoundToDecimals(static_cast<float>(width - 54) * 0.01f, 1);
    const int count = std::min(graph.m_nCount, HISTORY_CAPACITY);
    const auto available = [&](int i) {
        return i < count && graph.m_aY[static_cast<std::size_t>(i)] != PDH_VALUE_UNAVAILABLE;
    };
    canvas.MoveTo({kPlotLeft, height - kPlotBottomMargin});
    bool afterGap = false;
    for (int i = 0; i < count; ++i) {
        if (!available(i)) {
            afterGap = true;
            continue;
        }
        const int value = graph.m_aY[static_cast<std::size_t>(i)];
        const Point point{static_cast<int>(kPlotLeft + i * xScale),
                          static_cast<int>(height - (value * yScale + kPlotBottomMargin))};
        if (!afterGap) {
            canvas.LineTo(point);
            continue;
        }
        canvas.MoveTo(point);
        // A sample alone between gaps has no line to be part of: it is a dot
        // (a line leaves out its end point).
        if (!available(i + 1))
            canvas.LineTo({point.x + 1, point.y});
        afterGap = false;
    }
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
    return m_nValue == PDH_VALUE_UNAVAILABLE ? m_strCaption + kUnavailableText
                                             : m_strCaption + Digits(m_nValue) + "%";
}

std::string HistoryGraphModel::Text() const {
    const int latest = m_nCount > 0 && m_nCount <= HISTORY_CAPACITY ? m_aY[static_cast<std::size_t>(m_nCount - 1)] : 0;
    return latest == PDH_VALUE_UNAVAILABLE ? m_strCaption + " " + kUnavailableText
                                           : m_strCaption + " " + Digits(latest) + " %";
}

void PaintGauge(Canvas& canvas, const GaugeModel& gauge, int width, int height) {
    canvas.FillSolid({0, 0, width, height}, kWhite);
    PaintDialFace(canvas, gauge, width, height);
    PaintNeedle(canvas, gauge, width, height);
}

void PaintHistoryGraph(Canvas& canvas, const HistoryGraphModel& graph, int width, int height) {
    canvas.FillSolid({0, 0, width, height}, kWhite);
    canvas.FillSolid({0, 0, width, height}, kFrameBlue);
    canvas.FillSolid({1, 25, width - 1, height - 1}, kWhite);
    canvas.FillVerticalGradient({1, 1, width - 1, height - 21}, kGraphTop, kGraphBottom);
    canvas.FillSolid({kPlotLeft, kPlotTop, width, height - kPlotBottomMargin}, kFrameBlue);
    canvas.FillSolid({kPlotLeft + 1, kPlotTop + 1, width - 1, height - kPlotBottomMargin - 1}, kWhite);
    PaintGrid(canvas, width, height);
    PaintCurve(canvas, graph, width, height);
    canvas.Text({width / 2 - 60, height - 20}, graph.Text(), kBlack);
}

}  // namespace qmo
