#pragma once
// The gauge and the history graph as windows: template push buttons taken
// over and painted whole, off screen, from the models they hold.
#include "framework/unique_handle.h"
#include "perf/gauge_and_graph.h"
#include "perf/layered_picture.h"
#include "toolkit/owner_drawn_button.h"

namespace qmo {

class Canvas;

// A template button every pixel of which we paint; clicks and keys stay the
// button's, and nothing but our picture ever shows. The still part of the
// picture is kept until the size, the DPI or the colours change.
class PaintedButton : public qmo::OwnerDrawnButton {
public:
    // Paints the whole control into `dc` as shown at `dpi`.
    void PaintTo(HDC dc, unsigned dpi);
    // Repaints in these colours when they differ from the ones in use.
    void SetColors(const qmo::PerfColors& colors);
    // Lets go of the kept picture while nobody can see it (the window in the
    // tray for months); the next paint makes it again.
    void ReleasePicture() noexcept { m_picture.Release(); }

protected:
    // The kept picture is its own buffer: painted straight to the screen.
    bool OnPaint() override;
    void Paint(HDC dc) override;
    virtual void PaintStill(qmo::Canvas& canvas, int width, int height, const qmo::PerfLook& look) = 0;
    virtual void PaintMoving(qmo::Canvas& canvas, int width, int height, const qmo::PerfLook& look) = 0;
    // A read-only figure: its caption as the name, what it shows after the caption as the value.
    qmo::AccessibleElement DescribeFigure(long role, const std::string& caption, const std::string& shown) const;
    bool DoAccessibleAction(int) override { return false; }
    // Nothing of the picture follows the pointer.
    void OnHoverChanged(bool) override {}

private:
    qmo::LayeredPicture m_picture;
    qmo::PerfColors m_colors = qmo::kPerfColors;
};

// The system's colours, as a high-contrast theme sets them.
qmo::PerfColors SystemPerfColors();
// Ours, or the system's while a high-contrast theme is on.
qmo::PerfColors CurrentPerfColors();

class CGaugeCtrl : public PaintedButton {
public:
    qmo::GaugeModel& Model() noexcept { return m_model; }
    const qmo::GaugeModel& Model() const noexcept { return m_model; }

protected:
    void PaintStill(qmo::Canvas& canvas, int width, int height, const qmo::PerfLook& look) override;
    void PaintMoving(qmo::Canvas& canvas, int width, int height, const qmo::PerfLook& look) override;
    qmo::AccessibleElement DescribeAccessible(int child) const override;

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
    qmo::AccessibleElement DescribeAccessible(int child) const override;

private:
    qmo::HistoryGraphModel m_model;
};

}  // namespace qmo
