#pragma once
// The dial gauge and the history graph of the performance page: their data,
// and their picture drawn onto a canvas of the control's size in two layers:
// what depends only on the size and the look (kept by the window between
// paints) and what moves with every sample (drawn over it).
#include <array>
#include <string>

#include "framework/dpi_scale.h"
#include "perf/canvas.h"

namespace qmo {

inline constexpr int HISTORY_CAPACITY = 100;

// `x` rounded half away from zero to `decimals` places.
float RoundToDecimals(float x, int decimals);
// Where the radial at `angle` degrees (clockwise from 12 o'clock) meets the
// circle of radius height / 2 around the centre of `rect`.
Point PointOnDial(int angle, const Rect& rect);

// The colours of both controls.
struct PerfColors {
    Color surface;  // behind everything, the text strips, the plot, the dial's wedge and spokes
    Color frame;    // borders and grid
    Color gaugeTop;
    Color gaugeBottom;
    Color graphTop;
    Color graphBottom;
    Color needle;
    Color outline;  // round the needle and the hub
    Color hub;
    Color valueText;  // the gauge's figure
    Color curve;
    Color labelText;  // the grid's labels and the graph's caption
    friend bool operator==(const PerfColors&, const PerfColors&) = default;
};

// Our own light scheme.
inline constexpr PerfColors kPerfColors{
    .surface{255, 255, 255},
    .frame{150, 180, 206},
    .gaugeTop{230, 250, 250},
    .gaugeBottom{150, 180, 206},
    .graphTop{250, 250, 250},
    .graphBottom{222, 235, 250},
    .needle{250, 180, 21},
    .outline{0, 0, 0},
    .hub{0, 0, 255},
    .valueText{255, 0, 0},
    .curve{255, 0, 0},
    .labelText{0, 0, 0},
};

// The dark scheme: the same parts on a dark face, every text readable.
inline constexpr PerfColors kDarkPerfColors{
    .surface{39, 39, 39},
    .frame{92, 112, 134},
    .gaugeTop{52, 64, 78},
    .gaugeBottom{30, 42, 58},
    .graphTop{44, 44, 44},
    .graphBottom{30, 42, 60},
    .needle{250, 180, 21},
    .outline{200, 200, 200},
    .hub{96, 205, 255},
    .valueText{255, 140, 140},
    .curve{255, 140, 140},
    .labelText{235, 235, 235},
};

// The system's colours, for a high-contrast theme: flat window-coloured
// faces, lines and text in the window text colour, the moving parts in the
// highlight and hot-light colours.
PerfColors HighContrastPerfColors(Color window, Color windowText, Color highlight, Color hotLight);

// What the still layer depends on besides the size.
struct PerfLook {
    unsigned dpi = kDesignDpi;
    PerfColors colors = kPerfColors;
    friend bool operator==(const PerfLook&, const PerfLook&) = default;
};

struct GaugeModel {
    int m_nAngle = 225;
    int m_nValue = 0;
    std::string m_strCaption;

    // A whole percentage, or PDH_VALUE_UNAVAILABLE, which leaves the needle at rest.
    void SetValue(float value);
    // The caption and the value, as the gauge shows them.
    std::string Text() const;
    friend bool operator==(const GaugeModel&, const GaugeModel&) = default;
};

struct HistoryGraphModel {
    std::array<int, HISTORY_CAPACITY> m_aX{};
    std::array<int, HISTORY_CAPACITY> m_aY{};
    std::string m_strCaption;
    int m_nCount = 0;

    // The caption and the latest value, as the graph shows them.
    std::string Text() const;
    friend bool operator==(const HistoryGraphModel&, const HistoryGraphModel&) = default;
};

// The still layer: border, dial face, wedge and spokes.
void PaintGaugeFace(Canvas& canvas, int width, int height, const PerfLook& look);
// Over the face: the figure and the needle with its hub.
void PaintGaugeValue(Canvas& canvas, const GaugeModel& gauge, int width, int height, const PerfLook& look);
// The still layer: border, panel, plot, grid and its labels.
void PaintGraphGrid(Canvas& canvas, int width, int height, const PerfLook& look);
// Over the grid: the curve and the caption.
void PaintGraphCurve(Canvas& canvas, const HistoryGraphModel& graph, int width, int height, const PerfLook& look);

// Both layers, one over the other.
void PaintGauge(Canvas& canvas, const GaugeModel& gauge, int width, int height, const PerfLook& look = {});
void PaintHistoryGraph(Canvas& canvas, const HistoryGraphModel& graph, int width, int height,
                       const PerfLook& look = {});

}  // namespace qmo
