#pragma once
// The page of committed memory and processor load: two gauges and two
// history graphs showing what the monitor sampled.
#include "perf/perf_win32.h"
#include "perf/performance_controls.h"
#include "perf/performance_sampler.h"
#include "pages/frame_texts.h"
#include "pages/page_dialog.h"

namespace qmo {

// What the user is told when the counter query cannot be opened.
inline constexpr ResourceText kQueryFailureText{IDS_PERF_QUERY_FAILURE};

class CPerformancePage : public PageDialog {
public:
    CPerformancePage();

    CGaugeCtrl& MemoryGauge() noexcept { return m_wndMemoryGauge; }
    CGaugeCtrl& ProcessorGauge() noexcept { return m_wndProcessorGauge; }
    CHistoryGraphCtrl& MemoryGraph() noexcept { return m_wndMemoryGraph; }
    CHistoryGraphCtrl& ProcessorGraph() noexcept { return m_wndProcessorGraph; }
    // Shows what the monitor's tick sampled; a control whose picture is
    // unchanged is not repainted, nor is a hidden one.
    void ShowSample(const qmo::PerformanceSampler& sampler);

protected:
    BOOL OnInitDialog() override;
    bool OnLookChanged() override;

private:
    void BindControls();
    // Our colours, or the system's in a high-contrast theme, for all four controls.
    void ColorControls();

    CGaugeCtrl m_wndMemoryGauge;
    CGaugeCtrl m_wndProcessorGauge;
    CHistoryGraphCtrl m_wndMemoryGraph;
    CHistoryGraphCtrl m_wndProcessorGraph;
};

}  // namespace qmo
