#pragma once
// The dial gauge and the history graph of the performance page: their data,
// and their whole picture drawn onto a canvas of the control's size.
#include <array>
#include <string>

#include "perf/canvas.h"

namespace qmo {

inline constexpr int HISTORY_CAPACITY = 100;

// `x` rounded half away from zero to `decimals` places.
float RoundToDecimals(float x, int decimals);
// Where the radial at `angle` degrees (clockwise from 12 o'clock) meets the
// circle of radius height / 2 around the centre of `rect`.
Point PointOnDial(int angle, const Rect& rect);

struct GaugeModel {
    int m_nAngle = 225;
    int m_nValue = 0;
    std::string m_strCaption;

    // A whole percentage, or PDH_VALUE_UNAVAILABLE, which leaves the needle at rest.
    void SetValue(float value);
    // The caption and the value, as the gauge shows them.
    std::string Text() const;
};

struct HistoryGraphModel {
    std::array<int, HISTORY_CAPACITY> m_aX{};
    std::array<int, HISTORY_CAPACITY> m_aY{};
    std::string m_strCaption;
    int m_nCount = 0;

    // The caption and the latest value, as the graph shows them.
    std::string Text() const;
};

void PaintGauge(Canvas& canvas, const GaugeModel& gauge, int width, int height);
void PaintHistoryGraph(Canvas& canvas, const HistoryGraphModel& graph, int width, int height);

}  // namespace qmo
