#include <gtest/gtest.h>

#include <algorithm>

#include "perf/gauge_and_graph.h"
#include "perf/pdh_query.h"
#include "recording_canvas.h"

namespace qmo {
namespace {

using testing::CanvasStep;
using testing::RecordingCanvas;

constexpr Color kWhite{255, 255, 255};
constexpr Color kBlack{0, 0, 0};
constexpr Color kRed{255, 0, 0};
constexpr Color kFrameBlue{150, 180, 206};
constexpr Color kNeedle{250, 180, 21};

bool operator==(Point a, Point b) {
    return a.x == b.x && a.y == b.y;
}

TEST(RoundToDecimals, RoundsHalfAwayFromZero) {
    EXPECT_FLOAT_EQ(RoundToDecimals(99.9f, 1), 99.9f);
    EXPECT_FLOAT_EQ(RoundToDecimals(1.23f, 1), 1.2f);
    EXPECT_FLOAT_EQ(RoundToDecimals(5.91f, 1), 5.9f);
    EXPECT_FLOAT_EQ(RoundToDecimals(1.25f, 1), 1.3f);
    EXPECT_FLOAT_EQ(RoundToDecimals(-1.25f, 1), -1.3f);
    EXPECT_FLOAT_EQ(RoundToDecimals(2.5f, 0), 3.0f);
    EXPECT_FLOAT_EQ(RoundToDecimals(-2.5f, 0), -3.0f);
    EXPECT_FLOAT_EQ(RoundToDecimals(-2.4f, 0), -2.0f);
    EXPECT_FLOAT_EQ(RoundToDecimals(0.04f, 1), 0.0f);
}

TEST(PointOnDial, AnglesRunClockwiseFromTwelveOClock) {
    const Rect square{0, 0, 100, 100};
    EXPECT_TRUE(PointOnDial(0, square) == (Point{50, 0}));
    // The short pi leaves cos(90) a hair above zero, and truncation takes the pixel above.
    EXPECT_TRUE(PointOnDial(90, square) == (Point{100, 49}));
    EXPECT_TRUE(PointOnDial(180, square) == (Point{50, 100}));
    EXPECT_TRUE(PointOnDial(270, square) == (Point{0, 50}));
}

TEST(PointOnDial, NegativeAndFullTurnAnglesAreNormalised) {
    const Rect square{10, 20, 110, 120};
    for (int angle : {0, 45, 90, 135, 225, 350}) {
        const Point expected = PointOnDial(angle, square);
        EXPECT_TRUE(PointOnDial(angle - 360, square) == expected) << angle;
        EXPECT_TRUE(PointOnDial(angle + 360, square) == expected) << angle;
        EXPECT_TRUE(PointOnDial(angle - 720, square) == expected) << angle;
    }
    EXPECT_TRUE(PointOnDial(-90, square) == PointOnDial(270, square));
    EXPECT_TRUE(PointOnDial(495, square) == PointOnDial(135, square));
}

TEST(PointOnDial, TheRadiusComesFromTheHeightAlone) {
    EXPECT_TRUE(PointOnDial(90, Rect{0, 0, 200, 100}) == (Point{150, 49}));
    EXPECT_TRUE(PointOnDial(270, Rect{0, 0, 40, 100}) == (Point{-30, 50}));
}

TEST(Gauge, ValuesTurnTheNeedleTwoPointSevenDegreesPerPercent) {
    const struct {
        float value;
        int angle;
        int shown;
    } cases[] = {{0, 225, 0}, {37, 324, 37}, {12.34f, 258, 12}, {50, 360, 50}, {100, 495, 100}};
    for (const auto& c : cases) {
        GaugeModel gauge;
        gauge.SetValue(c.value);
        EXPECT_EQ(gauge.m_nAngle, c.angle) << c.value;
        EXPECT_EQ(gauge.m_nValue, c.shown) << c.value;
    }
}

TEST(Gauge, ANewGaugeRestsAtZero) {
    GaugeModel gauge;
    gauge.m_strCaption = "Memory Usage ";
    EXPECT_EQ(gauge.m_nAngle, 225);
    EXPECT_EQ(gauge.Text(), "Memory Usage 0%");
}

TEST(Gauge, AnUnavailableSampleShowsNotAvailableWithTheNeedleAtRest) {
    GaugeModel gauge;
    gauge.m_strCaption = "CPU Usage  ";
    gauge.SetValue(63);
    gauge.SetValue(static_cast<float>(PDH_VALUE_UNAVAILABLE));
    EXPECT_EQ(gauge.m_nAngle, 225);
    EXPECT_EQ(gauge.Text(), "CPU Usage  n/a");
}

class GaugePaint : public ::testing::Test {
protected:
    void Paint(float value) {
        gauge.m_strCaption = "Memory Usage ";
        gauge.SetValue(value);
        PaintGauge(canvas, gauge, kWidth * scale, kHeight * scale, look);
    }
    // At twice the design DPI, on a control twice the size.
    void AtDoubleDpi() {
        look.dpi = 2 * kDesignDpi;
        scale = 2;
    }
    static constexpr int kWidth = 177;
    static constexpr int kHeight = 160;
    GaugeModel gauge;
    PerfLook look;
    int scale = 1;
    RecordingCanvas canvas;
};

TEST_F(GaugePaint, TheFaceHasABorderAGradientDialAndAWhiteTextStrip) {
    Paint(37);
    const auto fills = canvas.Of(CanvasStep::Fill);
    ASSERT_GE(fills.size(), 3u);
    EXPECT_EQ(fills[1].rect, (Rect{0, 0, kWidth, kHeight}));
    EXPECT_EQ(fills[1].color, kFrameBlue);
    EXPECT_EQ(fills[2].rect, (Rect{1, 25, kWidth - 1, kHeight - 1}));
    EXPECT_EQ(fills[2].color, kWhite);
    const auto gradients = canvas.Of(CanvasStep::Gradient);
    ASSERT_EQ(gradients.size(), 1u);
    EXPECT_EQ(gradients[0].rect, (Rect{1, 1, kWidth - 1, kHeight - 25}));
    EXPECT_EQ(gradients[0].brush, kFrameBlue);
}

TEST_F(GaugePaint, TheBottomWedgeAndTwelveSpokesAreWhite) {
    Paint(37);
    const auto pies = canvas.Of(CanvasStep::Pie);
    ASSERT_EQ(pies.size(), 1u);
    EXPECT_EQ(pies[0].rect, (Rect{0, 5, kWidth, kHeight - 5}));
    // Radius 75 around (88.5, 80): the value-0 and value-100 positions.
    EXPECT_TRUE(pies[0].from == (Point{35, 133}));
    EXPECT_TRUE(pies[0].to == (Point{141, 133}));
    EXPECT_EQ(pies[0].brush, kWhite);
    const auto lines = canvas.Of(CanvasStep::Line);
    ASSERT_EQ(lines.size(), 12u);
    for (const CanvasStep& spoke : lines) {
        EXPECT_TRUE(spoke.from == (Point{88, 77}));
        EXPECT_EQ(spoke.color, kWhite);
        EXPECT_EQ(spoke.penWidth, 2);
    }
    EXPECT_TRUE(lines[0].to == (Point{88, 5}));
    EXPECT_TRUE(lines[6].to == (Point{88, 155}));
}

TEST_F(GaugePaint, TheTextIsRedAtTheBottomLeft) {
    Paint(37);
    const auto texts = canvas.Of(CanvasStep::Text);
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0].text, "Memory Usage 37%");
    EXPECT_TRUE(texts[0].from == (Point{5, kHeight - 25}));
    EXPECT_EQ(texts[0].color, kRed);
}

TEST_F(GaugePaint, TheNeedleReachesTheRimAndTheHubIsDrawnOverIt) {
    Paint(50);
    const auto polygons = canvas.Of(CanvasStep::Polygon);
    ASSERT_EQ(polygons.size(), 1u);
    const std::vector<Point>& needle = polygons[0].points;
    ASSERT_EQ(needle.size(), 4u);
    EXPECT_TRUE(needle[0] == (Point{88, 80}));
    EXPECT_TRUE(needle[2] == (Point{88, 0})) << "straight up, radius half the height";
    // The shoulders, ten degrees either side, 20 pixels out from the centre.
    EXPECT_EQ(needle[1].y, needle[3].y);
    EXPECT_LT(needle[1].x, 88);
    EXPECT_GT(needle[3].x, 88);
    EXPECT_NEAR(needle[1].y, 80 - 20, 1);
    EXPECT_EQ(polygons[0].brush, kNeedle);
    EXPECT_EQ(polygons[0].color, kBlack);
    const auto ellipses = canvas.Of(CanvasStep::Ellipse);
    ASSERT_EQ(ellipses.size(), 2u);
    EXPECT_EQ(ellipses[0].rect, (Rect{76, 68, 100, 92}));
    EXPECT_EQ(ellipses[0].brush, kBlack);
    EXPECT_EQ(ellipses[1].rect, (Rect{78, 70, 98, 90}));
    EXPECT_EQ(ellipses[1].brush, (Color{0, 0, 255}));
}

// Pens, insets and the hub grow with the DPI; the control's own size is the window's.
TEST_F(GaugePaint, AtTwiceTheDpiThePensTheStripAndTheHubAreTwiceAsLarge) {
    AtDoubleDpi();
    Paint(50);
    const auto fills = canvas.Of(CanvasStep::Fill);
    ASSERT_GE(fills.size(), 3u);
    EXPECT_EQ(fills[2].rect, (Rect{2, 50, 352, 318})) << "a two-pixel border, the strip from row 50";
    for (const CanvasStep& spoke : canvas.Of(CanvasStep::Line))
        EXPECT_EQ(spoke.penWidth, 4);
    const auto texts = canvas.Of(CanvasStep::Text);
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_TRUE(texts[0].from == (Point{10, 270}));
    const auto polygons = canvas.Of(CanvasStep::Polygon);
    ASSERT_EQ(polygons.size(), 1u);
    EXPECT_EQ(polygons[0].penWidth, 2);
    EXPECT_NEAR(polygons[0].points[1].y, 160 - 40, 1) << "the shoulders 40 pixels out";
    const auto ellipses = canvas.Of(CanvasStep::Ellipse);
    ASSERT_EQ(ellipses.size(), 2u);
    EXPECT_EQ(ellipses[0].rect, (Rect{153, 136, 201, 184}));
    EXPECT_EQ(ellipses[1].rect, (Rect{157, 140, 197, 180}));
}

class GraphPaint : public ::testing::Test {
protected:
    void Paint() {
        graph.m_strCaption = "CPU Usage  ";
        PaintHistoryGraph(canvas, graph, kWidth * scale, kHeight * scale, look);
    }
    void AtDoubleDpi() {
        look.dpi = 2 * kDesignDpi;
        scale = 2;
    }
    void Fill(std::initializer_list<int> values) {
        graph.m_nCount = 0;
        for (int value : values) {
            graph.m_aX[static_cast<std::size_t>(graph.m_nCount)] = graph.m_nCount;
            graph.m_aY[static_cast<std::size_t>(graph.m_nCount++)] = value;
        }
    }
    std::vector<CanvasStep> Curve() const {
        std::vector<CanvasStep> curve;
        for (const CanvasStep& line : canvas.Of(CanvasStep::Line))
            if (line.color == kRed)
                curve.push_back(line);
        return curve;
    }
    std::string Caption() const { return canvas.Of(CanvasStep::Text).back().text; }

    static constexpr int kWidth = 645;
    static constexpr int kHeight = 153;
    HistoryGraphModel graph;
    PerfLook look;
    int scale = 1;
    RecordingCanvas canvas;
};

TEST_F(GraphPaint, TheGridOfA645By153GraphFollowsItsSize) {
    Paint();
    std::vector<CanvasStep> vertical, horizontal;
    for (const CanvasStep& line : canvas.Of(CanvasStep::Line))
        (line.from.x == line.to.x ? vertical : horizontal).push_back(line);
    ASSERT_EQ(vertical.size(), 19u);
    EXPECT_TRUE(vertical[0].from == (Point{79, 10})) << "column step 29";
    EXPECT_TRUE(vertical[18].to == (Point{50 + 19 * 29, 123}));
    ASSERT_EQ(horizontal.size(), 21u);
    EXPECT_TRUE(horizontal[0].from == (Point{50, 123}));
    EXPECT_TRUE(horizontal[20].from == (Point{50, 23})) << "row step 5: the 100 line";
    EXPECT_EQ(horizontal[20].to.x, kWidth);
    for (const CanvasStep& line : canvas.Of(CanvasStep::Line))
        EXPECT_EQ(line.color, kFrameBlue);
    const auto texts = canvas.Of(CanvasStep::Text);
    ASSERT_EQ(texts.size(), 6u);
    EXPECT_EQ(texts[0].text, "0");
    EXPECT_TRUE(texts[0].from == (Point{10, 116}));
    EXPECT_EQ(texts[4].text, "100");
    EXPECT_TRUE(texts[4].from == (Point{10, 16}));
}

TEST_F(GraphPaint, TheCurveScalesToThePlotOf645By153) {
    graph.m_nCount = 100;
    for (int i = 0; i < 100; ++i) {
        graph.m_aX[static_cast<std::size_t>(i)] = i;
        graph.m_aY[static_cast<std::size_t>(i)] = i == 99 ? 100 : 0;
    }
    Paint();
    const auto curve = Curve();
    ASSERT_EQ(curve.size(), 100u);
    EXPECT_TRUE(curve[0].from == (Point{50, 123})) << "from the baseline";
    EXPECT_TRUE(curve[0].to == (Point{50, 123})) << "value 0";
    EXPECT_TRUE(curve[1].to == (Point{55, 123})) << "x step 5.9";
    EXPECT_TRUE(curve[99].to == (Point{634, 2})) << "value 100 on the hundredth point";
    EXPECT_EQ(Caption(), "CPU Usage   100 %");
}

TEST_F(GraphPaint, AGraphWithNoPointHasNoCurveAndShowsZero) {
    Paint();
    EXPECT_TRUE(Curve().empty());
    EXPECT_EQ(Caption(), "CPU Usage   0 %");
}

TEST_F(GraphPaint, OnePointIsOneVerticalSegmentFromTheBaseline) {
    Fill({50});
    Paint();
    const auto curve = Curve();
    ASSERT_EQ(curve.size(), 1u);
    EXPECT_TRUE(curve[0].from == (Point{50, 123}));
    EXPECT_TRUE(curve[0].to == (Point{50, 62})) << "153 - (50 x 1.2000000477 + 30), truncated";
    EXPECT_EQ(Caption(), "CPU Usage   50 %");
}

TEST_F(GraphPaint, UnavailableSamplesLeaveGapsInTheCurve) {
    Fill({PDH_VALUE_UNAVAILABLE, 10, 20, PDH_VALUE_UNAVAILABLE, 30, 40});
    Paint();
    const auto curve = Curve();
    ASSERT_EQ(curve.size(), 2u);
    // Point 1 starts the curve where it is; nothing comes up from the baseline.
    EXPECT_EQ(curve[0].from.x, 55);
    EXPECT_EQ(curve[0].to.x, 61);
    // After the gap at point 3 the curve starts again at point 4.
    EXPECT_EQ(curve[1].from.x, 73);
    EXPECT_EQ(curve[1].to.x, 79);
    for (const CanvasStep& line : curve)
        EXPECT_GT(line.to.y, 0) << "never drawn off the top for -999";
    EXPECT_EQ(Caption(), "CPU Usage   40 %");
}

TEST_F(GraphPaint, ASampleAloneBetweenGapsOrAfterTheLastGapIsADot) {
    Fill({PDH_VALUE_UNAVAILABLE, 50, PDH_VALUE_UNAVAILABLE, 20, 30, PDH_VALUE_UNAVAILABLE, 0});
    Paint();
    const auto curve = Curve();
    ASSERT_EQ(curve.size(), 3u);
    // One pixel: a line leaves out its end point.
    EXPECT_TRUE(curve[0].from == (Point{55, 62}));
    EXPECT_TRUE(curve[0].to == (Point{56, 62}));
    EXPECT_EQ(curve[1].from.x, 67) << "two samples make a line and no dot";
    EXPECT_EQ(curve[1].to.x, 73);
    EXPECT_TRUE(curve[2].from == (Point{85, 123}));
    EXPECT_TRUE(curve[2].to == (Point{86, 123}));
}

TEST_F(GraphPaint, TheCaptionSaysNotAvailableWhenTheLatestPointIs) {
    Fill({10, PDH_VALUE_UNAVAILABLE});
    Paint();
    EXPECT_EQ(Caption(), "CPU Usage   n/a");
}

TEST_F(GraphPaint, AtTwiceTheDpiThePlotMarginsLabelsAndPensAreTwiceAsLarge) {
    AtDoubleDpi();
    Fill({50});
    Paint();
    const auto fills = canvas.Of(CanvasStep::Fill);
    ASSERT_EQ(fills.size(), 5u);
    EXPECT_EQ(fills[3].rect, (Rect{100, 20, 1290, 246}));
    EXPECT_EQ(fills[4].rect, (Rect{102, 22, 1288, 244}));
    for (const CanvasStep& line : canvas.Of(CanvasStep::Line))
        EXPECT_EQ(line.penWidth, 2);
    const auto texts = canvas.Of(CanvasStep::Text);
    ASSERT_EQ(texts.size(), 6u);
    EXPECT_TRUE(texts[0].from == (Point{20, 232})) << "the 0 label beside the baseline at 246";
    EXPECT_TRUE(texts[5].from == (Point{525, 266})) << "the caption";
    const auto curve = Curve();
    ASSERT_EQ(curve.size(), 1u);
    EXPECT_TRUE(curve[0].from == (Point{100, 246}));
    EXPECT_TRUE(curve[0].to == (Point{100, 121})) << "306 - (50 x 2.5 + 60)";
}

// A colour of our own left in either picture would be unreadable on some
// high-contrast theme.
TEST(HighContrastPaint, EveryStepOfBothPicturesUsesOnlyTheSystemsColours) {
    const Color window{1, 1, 1}, windowText{2, 2, 2}, highlight{3, 3, 3}, hotLight{4, 4, 4};
    const PerfLook look{kDesignDpi, HighContrastPerfColors(window, windowText, highlight, hotLight)};
    GaugeModel gauge;
    gauge.SetValue(37);
    HistoryGraphModel graph;
    graph.m_nCount = 3;
    graph.m_aY = {10, 20, 30};
    RecordingCanvas canvas;
    PaintGauge(canvas, gauge, 177, 160, look);
    PaintHistoryGraph(canvas, graph, 645, 153, look);
    const auto isSystems = [&](Color color) {
        return color == window || color == windowText || color == highlight || color == hotLight;
    };
    std::vector<Color> used;
    for (const CanvasStep& step : canvas.steps) {
        EXPECT_TRUE(isSystems(step.color)) << "step " << step.kind;
        // A line's brush is whatever was selected last; it paints nothing.
        if (step.kind != CanvasStep::Fill && step.kind != CanvasStep::Line) {
            EXPECT_TRUE(isSystems(step.brush)) << "step " << step.kind;
        }
        used.push_back(step.color);
    }
    for (Color each : {window, windowText, highlight, hotLight})
        EXPECT_NE(std::find(used.begin(), used.end(), each), used.end());
}

}  // namespace
}  // namespace qmo
