#pragma once
// The one owner of optimizing. Every way into a run asks it: it holds the
// gate (one run at a time), does the run's work (the trim of every process,
// the sweep of a visible run, the memory areas the settings chose), reads
// memory before and after, records the run in the history, and reads again
// twice later to tell how much of what was freed came back. Portable: the
// system is reached through the seams it is given.
#include <array>
#include <cstdint>
#include <optional>

#include "framework/event_log.h"
#include "framework/profile_store.h"
#include "optimizer/memory_areas.h"
#include "optimizer/optimizer_engine.h"
#include "optimizer/run_history.h"
#include "optimizer/run_policy.h"

namespace qmo {

class ServiceClock {
public:
    virtual ~ServiceClock() = default;
    virtual std::int64_t UnixSeconds() = 0;
    // The local clock's offset from UTC now.
    virtual std::int32_t UtcOffsetMinutes() = 0;
    // A clock that never goes back, for durations and due times.
    virtual std::uint64_t SteadyMilliseconds() = 0;
};

enum class LateSample : std::uint8_t { First, Second };

// One-shot timers for the two late samples.
class LateSampleTimers {
public:
    virtual ~LateSampleTimers() = default;
    // Starts the sample's timer, replacing one still pending.
    virtual void Start(LateSample sample, std::uint32_t delayMs) = 0;
    virtual void Stop(LateSample sample) = 0;
};

// How long after a run memory is read again; hidden values of the profile
// may shorten them (for tests and the curious), never written.
struct LateSampleDelays {
    std::uint32_t firstMs = 30000;
    std::uint32_t secondMs = 300000;
};
inline constexpr std::uint32_t kShortestLateSampleMs = 1000;
inline constexpr std::uint32_t kLongestLateSampleMs = 3600000;
LateSampleDelays ReadLateSampleDelays(ProfileStore& profile);

// Told when a run's row is added or a late sample fills it.
class RunListener {
public:
    virtual ~RunListener() = default;
    virtual void RunRecorded(const RunRecord& record) = 0;
    virtual void LateSampleRecorded(const RunRecord& record, LateSample sample) = 0;
};

struct MemoryServiceSeams {
    ProcessSystem& processes;
    SweepHeap& heap;
    MemoryAreaCalls& areaCalls;
    MemoryReader& reader;
    RunHistory& history;
    ServiceClock& clock;
    LateSampleTimers& timers;
};

class MemoryService {
public:
    explicit MemoryService(const MemoryServiceSeams& seams) noexcept
        : m_seams(seams), m_areas(seams.areaCalls, seams.reader) {}

    void SetListener(RunListener* listener) noexcept { m_listener = listener; }
    // Where each recorded run, and later its rebound, is written; null: nowhere.
    void SetEventLog(EventLog* events) noexcept { m_events = events; }
    void SetLateSampleDelays(LateSampleDelays delays) noexcept { m_delays = delays; }
    LateSampleDelays Delays() const noexcept { return m_delays; }
    void SetBusyPercent(std::uint32_t percent) noexcept { m_busyPercent = percent; }

    // A run is going, from BeginRun until CloseRun.
    bool Busy() const noexcept { return m_state != State::Idle; }

    // Starts a run's account: why, when, memory in use now, and the areas
    // chosen now. False, with nothing done, while a run is going.
    // An automatic run leaves alone the program in the foreground and the
    // busy ones, and empties the standby list only when memory is short.
    bool BeginRun(RunTrigger trigger, const RunChoices& choices);
    // The run's work, on a dialog's worker thread or on the caller's: the
    // trim of every process, the sweep unless silent, then the chosen areas.
    void Work(ProgressSink& progress, bool silent);
    // Memory is read again, the run's row added to the history and the late
    // samples started. Null, with nothing recorded, unless a run has begun
    // and not ended yet.
    const RunRecord* EndRun();
    // Opens the gate again; a run that began and did not end is dropped.
    void CloseRun() noexcept { m_state = State::Idle; }

    // A run without a window (the automatic one, or a start's optimize switch
    // with no program running): the trim and the chosen areas, here and now;
    // nothing while another run is going.
    std::optional<RunRecord> RunWithoutWindow(RunTrigger trigger, const RunChoices& choices);
    // "Optimize Selected": one process trimmed, as a run of its own. False
    // when it could not be opened or a run was going.
    bool OptimizeProcess(std::uint32_t processId);

    // A late sample's timer has fired.
    void LateSampleDue(LateSample sample);
    // Notes each process's processor time when a minute has passed since the
    // last note, for automatic runs to tell the busy processes from the idle.
    void NoteProcessorUse();
    // Every process and what it uses now; an empty list when the snapshot fails.
    struct Census {
        std::vector<ProcessFacts> processes;
        std::map<std::uint32_t, ProcessUse> uses;
    };
    Census TakeCensus();

    // The last recorded run as it stands, its late samples filled as they come.
    const std::optional<RunRecord>& LastRun() const noexcept { return m_lastRun; }
    const RunHistory& History() const noexcept { return m_seams.history; }
    bool AreaKnownUnavailable(MemoryArea area) const { return m_areas.KnownUnavailable(area); }

private:
    enum class State { Idle, Running, Ended };
    struct PendingSamples {
        std::uint64_t row = 0;
        MemoryReading afterRun;
        std::array<std::optional<std::uint64_t>, 2> dueAt;  // steady ms; empty once taken or dropped
    };

    void TrimAll();
    TrimScope ScopeOfRun(const std::vector<ProcessFacts>& snapshot);
    // What each process uses, for those whose use can be read.
    std::map<std::uint32_t, ProcessUse> UsesOf(const std::vector<ProcessFacts>& processes);
    // An automatic run's standby choice when memory is not short: left out.
    void ApplyStandbyRule();
    void Sweep(ProgressSink& progress);
    void StartLateSamples(std::uint64_t row, const MemoryReading& afterRun);
    // A new run is about to change memory: a sample due within a second is
    // taken now, any later one dropped, as it would measure the new run.
    void SettlePendingSamples();
    void TakeLateSample(LateSample sample);

    MemoryServiceSeams m_seams;
    SystemAreaRunner m_areas;
    RunListener* m_listener = nullptr;
    EventLog* m_events = nullptr;
    LateSampleDelays m_delays;
    State m_state = State::Idle;
    RunRecord m_run;  // the run going on; its work may be on another thread
    RunChoices m_runChoices;
    ProcessorUseBook m_processorUse;
    std::uint32_t m_busyPercent = kBusyPercentOfProcessor;
    std::optional<std::uint64_t> m_lastStandbyPurgeMs;
    MemoryReading m_before;
    std::uint64_t m_startedAt = 0;
    std::optional<RunRecord> m_lastRun;
    std::optional<PendingSamples> m_pending;
};

}  // namespace qmo
