#pragma once
// The monitor, apart from any window: once a second it samples processor
// time and committed memory, raises the critical-limit popup through the main
// frame, and keeps the 100-point histories the performance page's gauges and
// graphs show. The critical-limit popup is held while the user must not be disturbed.
#include <array>
#include <cstdint>
#include <optional>

#include "perf/automatic_schedule.h"
#include "perf/gauge_and_graph.h"
#include "perf/pdh_query.h"

namespace qmo {

struct OptimizerSettings;

// What a tick needs of the main frame, read at the moment of use. A host
// that leaves the automatic run's questions alone never runs one, and is never quiet.
class PerformanceHost : public AutomaticRunHost {
public:
    const OptimizerSettings& Settings() const override = 0;
    // A full optimization is running.
    virtual bool IsOptimizing() const = 0;
    virtual void ShowCriticalLimitPopup() = 0;
    // Committed memory went past the critical limit, having been below it;
    // told once a crossing, whether or not a popup may show.
    virtual void CriticalLimitCrossed(int percent, int limit) {}
    QuietReason Quiet() override { return QuietReason::None; }
    std::optional<int> PhysicalInUsePercent() override { return std::nullopt; }
    std::optional<AutomaticRunResult> RunAutomatic() override { return std::nullopt; }
    void RunWaited(QuietReason) override {}
    void NoteProcessorUse() override {}
    // A tick has sampled: what the displays show may have changed.
    virtual void Sampled() {}
    // The performance data interface the monitor reads, asked once as it
    // starts; null for the system's own.
    virtual CounterApi* CounterSource() { return nullptr; }
};

// Ticks in a row a counter may fail (nothing collected, or no valid value)
// before the system's own figures replace it for the rest of the run. A rate
// counter's first tick fails by nature, and the figures that replace it
// measure the same thing, so giving up early costs little, while every
// failed tick leaves the gauges blank.
inline constexpr int kFailedTicksBeforeFallback = 3;

// Points below the critical limit committed memory goes back to before a
// new crossing counts as one.
inline constexpr int kCriticalLimitRearmPoints = 5;

inline constexpr char kProcessorCounterPath[] = "\\Processor(_Total)\\% Processor Time";
inline constexpr char kMemoryCounterPath[] = "\\Memory\\% Committed Bytes In Use";

// The system's own account of committed memory, for systems whose counter is
// missing or whose performance counters are disabled.
class CommitChargeSource {
public:
    virtual ~CommitChargeSource() = default;
    // Commit total / commit limit × 100, a whole percentage; nothing when unknown.
    virtual std::optional<int> CommittedPercent() = 0;
};

// Processor time since start-up, summed over all processors, in 100 ns units.
// The kernel time includes the idle time.
struct ProcessorTimes {
    std::uint64_t idle = 0;
    std::uint64_t kernel = 0;
    std::uint64_t user = 0;
};

// The system's own account of processor time, for systems whose processor
// counter is missing or whose performance counters are disabled.
class ProcessorTimesSource {
public:
    virtual ~ProcessorTimesSource() = default;
    // Nothing when unknown.
    virtual std::optional<ProcessorTimes> Read() = 0;
};

struct PerformanceDisplays {
    GaugeModel& memoryGauge;
    GaugeModel& processorGauge;
    HistoryGraphModel& memoryGraph;
    HistoryGraphModel& processorGraph;
};

class PerformanceSampler {
public:
    PerformanceSampler(CounterApi& counters, CommitChargeSource& commitCharge,
                       ProcessorTimesSource& processorTimes) noexcept
        : m_query(counters), m_commitCharge(commitCharge), m_processorTimes(processorTimes) {}

    // Opens the query and adds both counters; false when the query cannot be opened.
    bool Start();
    // One sampling tick; false when nothing could be collected and nothing
    // changed. Counters that could not be added, or that failed
    // kFailedTicksBeforeFallback ticks in a row, read the system's own figures.
    bool Sample(PerformanceHost* host);
    // Puts the last tick's values and the histories on the displays.
    void ShowOn(const PerformanceDisplays& displays) const;
    void Stop() { m_query.Close(); }

    const CPdhQuery& Query() const noexcept { return m_query; }

    // The counters' ids; -1 when the system's own figures stand in.
    int m_nProcessorCounter = -1;
    int m_nMemoryCounter = -1;
    std::array<float, HISTORY_CAPACITY> m_aProcessorX{};
    std::array<float, HISTORY_CAPACITY> m_aProcessorY{};
    std::array<float, HISTORY_CAPACITY> m_aMemoryX{};
    std::array<float, HISTORY_CAPACITY> m_aMemoryY{};
    int m_nHistoryCount = 0;
    // The last tick's values; unavailable before the first.
    int m_nProcessorValue = PDH_VALUE_UNAVAILABLE;
    int m_nMemoryValue = PDH_VALUE_UNAVAILABLE;

private:
    bool UsesCounters() const noexcept { return m_nProcessorCounter >= 0 || m_nMemoryCounter >= 0; }
    // Counts a tick of the counter behind `counter`; true when that tick
    // failed for the kFailedTicksBeforeFallback-th time in a row and the
    // counter has been given up (its id set to -1).
    static bool GivenUpAfter(bool failed, int& counter, int& failedTicks) noexcept;
    int ReadProcessorValue();
    int ReadMemoryValue();
    void CheckCriticalLimit(PerformanceHost* host, int memoryValue);
    void AddToHistory(int processorValue, int memoryValue);

    CPdhQuery m_query;
    int m_nProcessorFailedTicks = 0;
    int m_nMemoryFailedTicks = 0;
    // Committed memory is past the critical limit and has not gone back
    // below it by kCriticalLimitRearmPoints since.
    bool m_bPastCriticalLimit = false;
    CommitChargeSource& m_commitCharge;
    ProcessorTimesSource& m_processorTimes;
    // The reading of the tick before, from which the next processor load is measured.
    std::optional<ProcessorTimes> m_lastProcessorTimes;
};

}  // namespace qmo
