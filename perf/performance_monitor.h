#pragma once
// The monitor on the real system, owned by the main frame: its timers on the
// frame's window sample once a second and keep the automatic runs' schedule,
// whether the window or the performance page is shown or not.
#include <windows.h>

#include <optional>

#include "perf/perf_win32.h"
#include "perf/performance_sampler.h"

namespace qmo {

class PerformanceMonitor {
public:
    static constexpr UINT_PTR ID_TIMER_SAMPLE = 1;
    static constexpr UINT_PTR ID_TIMER_AUTO_OPTIMIZE = 2;
    static constexpr UINT kSampleIntervalMs = 1000;
    static constexpr UINT kAutoOptimizeIntervalMs = 300000;

    explicit PerformanceMonitor(PerformanceHost& host) noexcept : m_host(host) {}
    PerformanceMonitor(const PerformanceMonitor&) = delete;
    PerformanceMonitor& operator=(const PerformanceMonitor&) = delete;

    // Opens the counter query (the host's counters, or the system's) and
    // starts both timers on `window`; false when the query cannot be opened.
    bool Start(HWND window);
    // Stops the timers and closes the query.
    void Stop();
    // True for the monitor's own timers, which it has handled.
    bool OnTimer(UINT_PTR id);

    // Null until started.
    const PerformanceSampler* Sampler() const noexcept { return m_sampler ? &*m_sampler : nullptr; }

private:
    PerformanceHost& m_host;
    HWND m_window = nullptr;
    PdhCounterApi m_counterApi;
    SystemCommitCharge m_commitCharge;
    SystemProcessorTimes m_processorTimes;
    std::optional<PerformanceSampler> m_sampler;
    AutomaticSchedule m_schedule;
};

}  // namespace qmo
