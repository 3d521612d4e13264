#include "optimizer/memory_service.h"

#include "optimizer/run_events.h"

namespace qmo {
namespace {

constexpr std::string_view kLateSampleSection = "Settings";
constexpr std::string_view kFirstSampleEntry = "ReboundFirstSampleMs";
constexpr std::string_view kSecondSampleEntry = "ReboundSecondSampleMs";
// A sample due this close to a new run's start is taken as it starts.
constexpr std::uint64_t kSampleDueSlackMs = 1000;

// What a step freed: in use before it minus in use after it.
std::optional<std::int64_t> FreedBy(const MemoryReading& before, const MemoryReading& after) {
    return Difference(after.inUse, before.inUse);
}

// A trim or sweep answers nothing of its own: its effect is what in use shows.
AreaResult MeasuredStep(const MemoryReading& before, const MemoryReading& after) {
    AreaResult result;
    result.effectBytes = FreedBy(before, after);
    result.outcome = result.effectBytes ? AreaOutcome::Done : AreaOutcome::AcceptedNotMeasured;
    return result;
}

AreaResult FailedStep(std::string reason) {
    AreaResult result;
    result.outcome = AreaOutcome::Failed;
    result.statusText = std::move(reason);
    return result;
}

class NoProgress : public ProgressSink {
public:
    void SetPosition(int) override {}
};

std::uint32_t DelayOrDefault(ProfileStore& profile, std::string_view entry, std::uint32_t fallback) {
    const int value = profile.GetProfileInt(kLateSampleSection, entry, static_cast<int>(fallback));
    if (value < static_cast<int>(kShortestLateSampleMs) || value > static_cast<int>(kLongestLateSampleMs))
        return fallback;
    return static_cast<std::uint32_t>(value);
}

std::size_t IndexOf(LateSample sample) { return sample == LateSample::First ? 0 : 1; }

}  // namespace

LateSampleDelays ReadLateSampleDelays(ProfileStore& profile) {
    const LateSampleDelays defaults;
    return {DelayOrDefault(profile, kFirstSampleEntry, defaults.firstMs),
            DelayOrDefault(profile, kSecondSampleEntry, defaults.secondMs)};
}

bool MemoryService::BeginRun(RunTrigger trigger, const RunChoices& choices) {
    if (Busy())
        return false;
    SettlePendingSamples();
    m_state = State::Running;
    m_run = RunRecord{};
    m_run.trigger = trigger;
    m_run.startedUnixSeconds = m_seams.clock.UnixSeconds();
    m_run.utcOffsetMinutes = m_seams.clock.UtcOffsetMinutes();
    m_startedAt = m_seams.clock.SteadyMilliseconds();
    m_runChoices = choices;
    m_before = m_seams.reader.Read();
    m_run.inUseBefore = m_before.inUse;
    m_run.inUseSource = m_before.inUseSource;
    m_run.listsSource = m_before.listsSource;
    if (trigger == RunTrigger::Automatic)
        ApplyStandbyRule();
    return true;
}

void MemoryService::ApplyStandbyRule() {
    if (m_runChoices.areas.standbyList == StandbyListChoice::Off)
        return;
    const std::uint64_t now = m_seams.clock.SteadyMilliseconds();
    if (StandbyPurgeNeeded(m_runChoices.automatic, m_before.free, m_before.standby, m_lastStandbyPurgeMs, now)) {
        m_lastStandbyPurgeMs = now;
        return;
    }
    m_runChoices.areas.standbyList = StandbyListChoice::Off;
    ResultOf(m_run.areas, MemoryArea::StandbyList).outcome = AreaOutcome::NotNeeded;
}

TrimScope MemoryService::ScopeOfRun(const std::vector<ProcessFacts>& snapshot) {
    TrimScope scope{ExclusionList(m_runChoices.exclusions), {}};
    if (m_run.trigger != RunTrigger::Automatic)
        return scope;
    scope.inUse = ProcessTree(snapshot, m_seams.processes.ForegroundProcessId());
    // The uses of the snapshot the trim walks, so no process is missed.
    const std::map<std::uint32_t, ProcessUse> census = UsesOf(snapshot);
    std::set<std::uint32_t> busy = m_processorUse.Busy(m_seams.clock.SteadyMilliseconds(), census, m_busyPercent);
    for (const ProcessFacts& process : snapshot)
        if (!census.contains(process.id))
            busy.insert(process.id);  // its times cannot be read: nothing says it is idle
    scope.inUse.merge(busy);
    return scope;
}

std::map<std::uint32_t, ProcessUse> MemoryService::UsesOf(const std::vector<ProcessFacts>& processes) {
    std::map<std::uint32_t, ProcessUse> uses;
    for (const ProcessFacts& process : processes)
        if (const std::optional<ProcessUse> use = m_seams.processes.ReadUse(process.id))
            uses[process.id] = *use;
    return uses;
}

MemoryService::Census MemoryService::TakeCensus() {
    Census census;
    if (std::optional<std::vector<ProcessFacts>> snapshot = m_seams.processes.SnapshotProcesses())
        census.processes = std::move(*snapshot);
    census.uses = UsesOf(census.processes);
    return census;
}

void MemoryService::NoteProcessorUse() {
    const std::uint64_t now = m_seams.clock.SteadyMilliseconds();
    if (m_processorUse.NoteDue(now))
        m_processorUse.Note(now, TakeCensus().uses);
}

void MemoryService::Work(ProgressSink& progress, bool silent) {
    TrimAll();
    if (!silent)
        Sweep(progress);
    const AreaResult standby = ResultOf(m_run.areas, MemoryArea::StandbyList);
    m_areas.Run(m_runChoices.areas, m_run.areas);
    if (standby.outcome == AreaOutcome::NotNeeded)
        ResultOf(m_run.areas, MemoryArea::StandbyList) = standby;
}

void MemoryService::TrimAll() {
    const std::optional<std::vector<ProcessFacts>> snapshot = m_seams.processes.SnapshotProcesses();
    AreaResult& result = ResultOf(m_run.areas, MemoryArea::WorkingSets);
    if (!snapshot) {
        result = FailedStep(std::string(kReasonNoProcessList));
        return;
    }
    const TrimScope scope = ScopeOfRun(*snapshot);
    const MemoryReading before = m_seams.reader.Read();
    const TrimCount count = TrimListedWorkingSets(m_seams.processes, *snapshot, scope);
    result = MeasuredStep(before, m_seams.reader.Read());
    m_run.processesTrimmed = count.trimmed;
    m_run.processesSkipped = count.skipped;
    m_run.processesExcluded = count.excluded;
    m_run.processesInUse = count.inUse;
}

void MemoryService::Sweep(ProgressSink& progress) {
    const MemoryReading before = m_seams.reader.Read();
    AreaResult& result = ResultOf(m_run.areas, MemoryArea::Sweep);
    if (!SweepPhysicalMemory(progress, m_seams.heap))
        result = FailedStep(std::string(kReasonSweepRunning));
    else
        result = MeasuredStep(before, m_seams.reader.Read());
}

const RunRecord* MemoryService::EndRun() {
    if (m_state != State::Running)
        return nullptr;
    m_state = State::Ended;
    const MemoryReading after = m_seams.reader.Read();
    m_run.freed = FreedBy(m_before, after);
    const std::uint64_t now = m_seams.clock.SteadyMilliseconds();
    m_run.durationMs = now >= m_startedAt ? static_cast<std::int64_t>(now - m_startedAt) : 0;
    const std::uint64_t row = m_seams.history.Add(m_run);
    m_lastRun = m_run;
    StartLateSamples(row, after);
    if (m_events)
        m_events->Report(RunEventOf(*m_lastRun), RunEventInserts(*m_lastRun));
    if (m_listener)
        m_listener->RunRecorded(*m_lastRun);
    return &*m_lastRun;
}

std::optional<RunRecord> MemoryService::RunWithoutWindow(RunTrigger trigger, const RunChoices& choices) {
    if (!BeginRun(trigger, choices))
        return std::nullopt;
    NoProgress progress;
    Work(progress, true);
    const RunRecord* record = EndRun();
    CloseRun();
    return record ? std::optional<RunRecord>(*record) : std::nullopt;
}

bool MemoryService::OptimizeProcess(std::uint32_t processId) {
    if (!BeginRun(RunTrigger::Selected, MemoryAreaChoices{}))
        return false;
    const MemoryReading before = m_seams.reader.Read();
    const bool trimmed = TrimProcessWorkingSet(m_seams.processes, processId);
    AreaResult& result = ResultOf(m_run.areas, MemoryArea::WorkingSets);
    if (trimmed) {
        result = MeasuredStep(before, m_seams.reader.Read());
        m_run.processesTrimmed = 1;
    } else {
        result = FailedStep(std::string(kReasonProcessNotOpened));
        m_run.processesSkipped = 1;
    }
    EndRun();
    CloseRun();
    return trimmed;
}

void MemoryService::StartLateSamples(std::uint64_t row, const MemoryReading& afterRun) {
    const std::uint64_t now = m_seams.clock.SteadyMilliseconds();
    m_pending = PendingSamples{row, afterRun, {now + m_delays.firstMs, now + m_delays.secondMs}};
    m_seams.timers.Start(LateSample::First, m_delays.firstMs);
    m_seams.timers.Start(LateSample::Second, m_delays.secondMs);
}

void MemoryService::SettlePendingSamples() {
    if (!m_pending)
        return;
    const std::uint64_t now = m_seams.clock.SteadyMilliseconds();
    for (LateSample sample : {LateSample::First, LateSample::Second}) {
        if (!m_pending)
            break;
        const std::optional<std::uint64_t> due = m_pending->dueAt[IndexOf(sample)];
        if (!due)
            continue;
        if (*due <= now + kSampleDueSlackMs) {
            TakeLateSample(sample);
        } else {
            m_seams.timers.Stop(sample);
            m_pending->dueAt[IndexOf(sample)].reset();
        }
    }
    m_pending.reset();
}

void MemoryService::LateSampleDue(LateSample sample) {
    if (!m_pending || !m_pending->dueAt[IndexOf(sample)])
        return;
    // The system's timers do not fire early: one that does was made up.
    if (*m_pending->dueAt[IndexOf(sample)] > m_seams.clock.SteadyMilliseconds() + kSampleDueSlackMs)
        return;
    TakeLateSample(sample);
}

void MemoryService::TakeLateSample(LateSample sample) {
    m_seams.timers.Stop(sample);
    m_pending->dueAt[IndexOf(sample)].reset();
    const MemoryReading now = m_seams.reader.Read();
    const std::optional<std::int64_t> back = Difference(m_pending->afterRun.inUse, now.inUse);
    const std::optional<std::int64_t> faults = PageFaultsBetween(m_pending->afterRun.pageFaults, now.pageFaults);
    const auto fill = [&](RunRecord& record) {
        if (sample == LateSample::First) {
            record.backAfterFirstSample = back;
        } else {
            record.backAfterSecondSample = back;
            record.pageFaultsBySecondSample = faults;
        }
    };
    m_seams.history.Update(m_pending->row, fill);
    if (m_lastRun)
        fill(*m_lastRun);
    if (m_events && m_lastRun && sample == LateSample::Second)
        if (const auto inserts = ReboundEventInserts(*m_lastRun, m_delays.secondMs))
            m_events->Report(ProgramEvent::Rebound, *inserts);
    if (!m_pending->dueAt[0] && !m_pending->dueAt[1])
        m_pending.reset();
    if (m_listener && m_lastRun)
        m_listener->LateSampleRecorded(*m_lastRun, sample);
}

}  // namespace qmo
