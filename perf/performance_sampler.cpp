#include "perf/performance_sampler.h"

#include <algorithm>

#include "config/optimizer_settings.h"

namespace qmo {

namespace {

void CopyHistory(HistoryGraphModel& graph, const std::array<float, HISTORY_CAPACITY>& x,
                 const std::array<float, HISTORY_CAPACITY>& y, int count) {
    graph.m_nCount = count;
    for (std::size_t i = 0; i < static_cast<std::size_t>(count); ++i) {
        graph.m_aX[i] = static_cast<int>(x[i]);
        graph.m_aY[i] = static_cast<int>(y[i]);
    }
}

// The busy share of the processor time between two readings; unavailable when
// no time lies between them.
int ProcessorPercentBetween(const ProcessorTimes& earlier, const ProcessorTimes& later) {
    const std::uint64_t before = earlier.kernel + earlier.user;
    const std::uint64_t now = later.kernel + later.user;
    if (now <= before || later.idle < earlier.idle)
        return PDH_VALUE_UNAVAILABLE;
    const std::uint64_t total = now - before;
    const std::uint64_t idle = std::min(later.idle - earlier.idle, total);
    return static_cast<int>((total - idle) * 100 / total);
}

}  // namespace

bool PerformanceSampler::Start() {
    if (!m_query.Open())
        return false;
    m_nProcessorCounter = m_query.AddCounter(kProcessorCounterPath);
    m_nMemoryCounter = m_query.AddCounter(kMemoryCounterPath);
    return true;
}

bool PerformanceSampler::Sample(PerformanceHost* host) {
    if (!m_query.IsOpen())
        return false;
    // Without counters in use there is nothing to collect (for a query
    // without counters the system answers "no data"); the system's own
    // figures stand in for both values then. A failed collection is a failed
    // tick of every counter in use.
    if (UsesCounters() && !m_query.Collect()) {
        GivenUpAfter(true, m_nProcessorCounter, m_nProcessorFailedTicks);
        GivenUpAfter(true, m_nMemoryCounter, m_nMemoryFailedTicks);
        if (UsesCounters())
            return false;
    }
    m_nProcessorValue = ReadProcessorValue();
    m_nMemoryValue = ReadMemoryValue();
    CheckCriticalLimit(host, m_nMemoryValue);
    AddToHistory(m_nProcessorValue, m_nMemoryValue);
    if (host)
        host->Sampled();
    return true;
}

void PerformanceSampler::ShowOn(const PerformanceDisplays& displays) const {
    if (m_nHistoryCount == 0)
        return;  // nothing sampled yet: the displays keep their start
    displays.processorGauge.SetValue(static_cast<float>(m_nProcessorValue));
    displays.memoryGauge.SetValue(static_cast<float>(m_nMemoryValue));
    CopyHistory(displays.processorGraph, m_aProcessorX, m_aProcessorY, m_nHistoryCount);
    CopyHistory(displays.memoryGraph, m_aMemoryX, m_aMemoryY, m_nHistoryCount);
}

bool PerformanceSampler::GivenUpAfter(bool failed, int& counter, int& failedTicks) noexcept {
    if (counter < 0)
        return false;
    failedTicks = failed ? failedTicks + 1 : 0;
    if (failedTicks < kFailedTicksBeforeFallback)
        return false;
    counter = -1;
    return true;
}

int PerformanceSampler::ReadProcessorValue() {
    if (m_nProcessorCounter >= 0) {
        const int value = m_query.GetValue(m_nProcessorCounter);
        if (!GivenUpAfter(value == PDH_VALUE_UNAVAILABLE, m_nProcessorCounter, m_nProcessorFailedTicks))
            return value;
    }
    // Like the counter, the load is a rate: the first reading only starts it.
    const std::optional<ProcessorTimes> now = m_processorTimes.Read();
    if (!now)
        return PDH_VALUE_UNAVAILABLE;
    const int percent =
        m_lastProcessorTimes ? ProcessorPercentBetween(*m_lastProcessorTimes, *now) : PDH_VALUE_UNAVAILABLE;
    m_lastProcessorTimes = now;
    return percent;
}

int PerformanceSampler::ReadMemoryValue() {
    if (m_nMemoryCounter >= 0) {
        const int value = m_query.GetValue(m_nMemoryCounter);
        if (!GivenUpAfter(value == PDH_VALUE_UNAVAILABLE, m_nMemoryCounter, m_nMemoryFailedTicks))
            return value;
    }
    // Without the counter the gauge would stay unavailable for the whole run.
    return m_commitCharge.CommittedPercent().value_or(PDH_VALUE_UNAVAILABLE);
}

void PerformanceSampler::CheckCriticalLimit(PerformanceHost* host, int memoryValue) {
    if (!host)
        return;
    const OptimizerSettings& settings = host->Settings();
    if (memoryValue != PDH_VALUE_UNAVAILABLE) {
        // A figure that wavers on the limit is one crossing, not one a second.
        if (memoryValue > settings.m_nCriticalLimit && !m_bPastCriticalLimit) {
            m_bPastCriticalLimit = true;
            host->CriticalLimitCrossed(memoryValue, settings.m_nCriticalLimit);
        } else if (memoryValue <= settings.m_nCriticalLimit - kCriticalLimitRearmPoints) {
            m_bPastCriticalLimit = false;
        }
    }
    if (memoryValue > settings.m_nCriticalLimit && settings.m_bShowNotification && !host->IsOptimizing() &&
        host->Quiet() == QuietReason::None)
        host->ShowCriticalLimitPopup();
}

void PerformanceSampler::AddToHistory(int processorValue, int memoryValue) {
    if (m_nHistoryCount == HISTORY_CAPACITY) {
        std::shift_left(m_aProcessorY.begin(), m_aProcessorY.end(), 1);
        std::shift_left(m_aMemoryY.begin(), m_aMemoryY.end(), 1);
    } else {
        ++m_nHistoryCount;
    }
    const auto last = static_cast<std::size_t>(m_nHistoryCount - 1);
    m_aProcessorX[last] = m_aMemoryX[last] = static_cast<float>(last);
    m_aProcessorY[last] = static_cast<float>(processorValue);
    m_aMemoryY[last] = static_cast<float>(memoryValue);
}

}  // namespace qmo
