#pragma once
// The gauge and the history graph as windows: template push buttons taken
// over and painted whole, off screen, from the models they hold.
#include <optional>

#include "framework/unique_handle.h"
#include "perf/gauge_and_graph.h"
#include "perf/layered_picture.h"
#include "toolkit/themed_button.h"

namespace qmo {

class Canvas;

// A template button every pixel of which we paint; clicks and keys stay the
// button's, and nothing but our picture ever shows. The still part of the
// picture is kept until the size, the DPI or the colours change.
class PaintedButton : public qmo::ThemedButton {
public:
    // Paints the whole control into `dc` as shown at `dpi`.
    void PaintTo(HDC dc, unsigned dpi);
    // The system's colours or its high-contrast setting may have changed:
    // read them again and repaint.
    void RefreshLook();

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    virtual void PaintStill(qmo::Canvas& canvas, int width, int height, const qmo::PerfLook& look) = 0;
    virtual void PaintMoving(qmo::Canvas& canvas, int width, int height, const qmo::PerfLook& look) = 0;

private:
    HFONT FontFor(unsigned dpi);

    qmo::LayeredPicture m_picture;
    std::optional<qmo::PerfColors> m_colors;  // read on the first paint after a change
    qmo::unique_font m_scaledFont;            // the interface font at a DPI not the screen's
    unsigned m_scaledFontDpi = 0;
};

class CGaugeCtrl : public PaintedButton {
public:
    qmo::GaugeModel& Model() noexcept { return m_model; }
    const qmo::GaugeModel& Model() const noexcept { return m_model; }

protected:
    void PaintStill(qmo::Canvas& canvas, int width, int height, const qmo::PerfLook& look) override;
    void PaintMoving(qmo::Canvas& canvas, int width, int height, const qmo::PerfLook& look) override;

private:
    qmo::GaugeModel m_model;
};

class CHistoryGraphCtrl : public PaintedButton {
public:
    qmo::HistoryGraphModel& Model() noexcept { return m_model; }
    const qmo::HistoryGraphModel& Model() const noexcept { return m_model; }

protected:
    void PaintStill(qmo::Canvas& canvas, int width, int height, const qmo::PerfLook& look) override;
    void PaintMoving(qmo::Canvas& canvas, int width, int height, const qmo::PerfLook& look) override;

private:
    qmo::HistoryGraphModel m_model;
};

}  // namespace qmo
