#pragma once
// The gauge and the history graph as windows: template push buttons taken
// over and painted whole, off screen, from their models.
#include "perf/gauge_and_graph.h"
#include "toolkit/themed_button.h"

namespace qmo {
class Canvas;
}

// A template button every pixel of which we paint; clicks and keys stay the
// button's, and nothing but our picture ever shows.
class PaintedButton : public qmo::ThemedButton {
public:
    // Paints the whole control into `dc`, composed off screen first.
    void PaintTo(HDC dc);

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    virtual void Paint(qmo::Canvas& canvas, int width, int height) = 0;
};

class CGaugeCtrl : public PaintedButton, public qmo::GaugeModel {
protected:
    void Paint(qmo::Canvas& canvas, int width, int height) override;
};

class CHistoryGraphCtrl : public PaintedButton, public qmo::HistoryGraphModel {
protected:
    void Paint(qmo::Canvas& canvas, int width, int height) override;
};
