#pragma once
// The gauge and the history graph as windows: template push buttons taken
// over and painted whole, off screen, from the models they hold.
#include "perf/gauge_and_graph.h"
#include "toolkit/themed_button.h"

namespace qmo {

class Canvas;

// A template button every pixel of which we paint; clicks and keys stay the
// button's, and nothing but our picture ever shows.
class PaintedButton : public qmo::ThemedButton {
public:
    // Paints the whole control into `dc`, composed off screen first.
    void PaintTo(HDC dc);

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    virtual void Paint(qmo::Canvas& canvas, int width, int height) = 0;
    // A read-only figure: its caption as the name, what it shows after the caption as the value.
    qmo::AccessibleElement DescribeFigure(long role, const std::string& caption, const std::string& shown) const;
    bool DoAccessibleAction(int) override { return false; }

private:
    void PaintClient(HDC dc);
};

class CGaugeCtrl : public PaintedButton {
public:
    qmo::GaugeModel& Model() noexcept { return m_model; }
    const qmo::GaugeModel& Model() const noexcept { return m_model; }

protected:
    void Paint(qmo::Canvas& canvas, int width, int height) override;
    qmo::AccessibleElement DescribeAccessible(int child) const override;

private:
    qmo::GaugeModel m_model;
};

class CHistoryGraphCtrl : public PaintedButton {
public:
    qmo::HistoryGraphModel& Model() noexcept { return m_model; }
    const qmo::HistoryGraphModel& Model() const noexcept { return m_model; }

protected:
    void Paint(qmo::Canvas& canvas, int width, int height) override;
    qmo::AccessibleElement DescribeAccessible(int child) const override;

private:
    qmo::HistoryGraphModel m_model;
};

}  // namespace qmo
