#pragma once
// The page of committed memory and processor load: two gauges and two
// history graphs fed once a second, the critical-limit popup, and the
// automatic optimization every five minutes.
#include "optimizer/optimizer_win32.h"
#include "perf/perf_win32.h"
#include "perf/performance_controls.h"
#include "perf/performance_sampler.h"
#include "shell/page_dialog.h"

class CPerformancePage : public PageDialog {
public:
    static constexpr UINT kTemplateId = 135;
    static constexpr UINT kMemoryLabel = 1025;
    static constexpr UINT kProcessorLabel = 1026;
    static constexpr UINT kMemoryLine = 1017;
    static constexpr UINT kProcessorLine = 1018;
    static constexpr UINT kMemoryGauge = 1034;
    static constexpr UINT kProcessorGauge = 1032;
    static constexpr UINT kMemoryGraph = 1031;
    static constexpr UINT kProcessorGraph = 1030;
    static constexpr UINT kHiddenOptimizeButton = 1005;
    static constexpr UINT_PTR ID_TIMER_SAMPLE = 1;
    static constexpr UINT_PTR ID_TIMER_AUTO_OPTIMIZE = 2;
    static constexpr UINT kSampleIntervalMs = 1000;
    static constexpr UINT kAutoOptimizeIntervalMs = 300000;

    CPerformancePage();

    CGaugeCtrl& MemoryGauge() noexcept { return m_wndMemoryGauge; }
    CGaugeCtrl& ProcessorGauge() noexcept { return m_wndProcessorGauge; }
    CHistoryGraphCtrl& MemoryGraph() noexcept { return m_wndMemoryGraph; }
    CHistoryGraphCtrl& ProcessorGraph() noexcept { return m_wndProcessorGraph; }
    const qmo::PerformanceSampler& Sampler() const noexcept { return m_sampler; }

protected:
    BOOL OnInitDialog() override;
    bool OnTimer(UINT_PTR id) override;
    void OnDestroy() override;

private:
    // The main frame, as the ticks see it; null while there is none.
    static PerformanceHost* Host();
    void BindControls();
    void OnSampleTick();
    [[noreturn]] void EndOnQueryFailure();

    CGaugeCtrl m_wndMemoryGauge;
    CGaugeCtrl m_wndProcessorGauge;
    CHistoryGraphCtrl m_wndMemoryGraph;
    CHistoryGraphCtrl m_wndProcessorGraph;
    qmo::PdhCounterApi m_counterApi;
    qmo::SystemCommitCharge m_commitCharge;
    qmo::SystemProcessorTimes m_processorTimes;
    qmo::Win32ProcessSystem m_processSystem;
    qmo::PerformanceSampler m_sampler;
};
