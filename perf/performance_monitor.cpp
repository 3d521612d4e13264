#include "perf/performance_monitor.h"

namespace qmo {

bool PerformanceMonitor::Start(HWND window) {
    CounterApi* hostCounters = m_host.CounterSource();
    m_sampler.emplace(hostCounters ? *hostCounters : m_counterApi, m_commitCharge, m_processorTimes);
    if (!m_sampler->Start())
        return false;
    m_window = window;
    ::SetTimer(m_window, ID_TIMER_SAMPLE, kSampleIntervalMs, nullptr);
    ::SetTimer(m_window, ID_TIMER_AUTO_OPTIMIZE, kAutoOptimizeIntervalMs, nullptr);
    return true;
}

void PerformanceMonitor::Stop() {
    if (m_window) {
        ::KillTimer(m_window, ID_TIMER_SAMPLE);
        ::KillTimer(m_window, ID_TIMER_AUTO_OPTIMIZE);
        m_window = nullptr;
    }
    if (m_sampler)
        m_sampler->Stop();
}

bool PerformanceMonitor::OnTimer(UINT_PTR id) {
    if (id != ID_TIMER_SAMPLE && id != ID_TIMER_AUTO_OPTIMIZE)
        return false;
    if (!m_window)
        return true;  // stopped, or never started: a made-up tick
    if (id == ID_TIMER_SAMPLE) {
        m_sampler->Sample(&m_host);
        m_schedule.Tick(m_host, ::GetTickCount64());
    } else {
        m_schedule.FiveMinutesPassed(m_host, ::GetTickCount64());
    }
    return true;
}

}  // namespace qmo
