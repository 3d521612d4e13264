#pragma once
// The page of committed memory and processor load: two gauges and two
// history graphs fed once a second, the critical-limit popup, and the
// automatic optimization every five minutes.
#include <optional>

#include "optimizer/optimizer_win32.h"
#include "perf/perf_win32.h"
#include "perf/performance_controls.h"
#include "perf/performance_sampler.h"
#include "pages/page_dialog.h"

namespace qmo {

// What the user is told when the counter query cannot be opened.
inline constexpr wchar_t kQueryFailureText[] = L"Some Internel error occoured , please contact software support";

class CPerformancePage : public PageDialog {
public:
    static constexpr UINT_PTR ID_TIMER_SAMPLE = 1;
    static constexpr UINT_PTR ID_TIMER_AUTO_OPTIMIZE = 2;
    static constexpr UINT kSampleIntervalMs = 1000;
    static constexpr UINT kAutoOptimizeIntervalMs = 300000;

    // The ticks read the host at the moment of use; without one they sample alone.
    explicit CPerformancePage(PerformanceHost* host);

    CGaugeCtrl& MemoryGauge() noexcept { return m_wndMemoryGauge; }
    CGaugeCtrl& ProcessorGauge() noexcept { return m_wndProcessorGauge; }
    CHistoryGraphCtrl& MemoryGraph() noexcept { return m_wndMemoryGraph; }
    CHistoryGraphCtrl& ProcessorGraph() noexcept { return m_wndProcessorGraph; }
    // Null until the page is made: the host names the counters to read then.
    const qmo::PerformanceSampler* Sampler() const noexcept { return m_sampler ? &*m_sampler : nullptr; }
    // The counter query could not be opened: the user has been told, and the
    // program cannot go on (the page does not tick).
    bool CounterQueryFailed() const noexcept { return m_bCounterQueryFailed; }

protected:
    BOOL OnInitDialog() override;
    bool OnTimer(UINT_PTR id) override;
    bool OnLookChanged() override;
    void OnDestroy() override;

private:
    void BindControls();
    // Our colours, or the system's in a high-contrast theme, for all four controls.
    void ColorControls();
    void OnSampleTick();
    void ReportQueryFailure();

    CGaugeCtrl m_wndMemoryGauge;
    CGaugeCtrl m_wndProcessorGauge;
    CHistoryGraphCtrl m_wndMemoryGraph;
    CHistoryGraphCtrl m_wndProcessorGraph;
    qmo::PdhCounterApi m_counterApi;
    qmo::SystemCommitCharge m_commitCharge;
    qmo::SystemProcessorTimes m_processorTimes;
    qmo::Win32ProcessSystem m_processSystem;
    qmo::SystemPhysicalMemory m_physicalMemory;
    std::optional<qmo::PerformanceSampler> m_sampler;
    PerformanceHost* m_host;
    bool m_bCounterQueryFailed = false;
};

}  // namespace qmo
