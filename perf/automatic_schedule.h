#pragma once
// When the monitor asks for an automatic run, automatic optimization being
// on: at the five-minute turn, or, under the memory-in-use rule, at the first
// tick with physical memory in use above the set share once the pace allows.
// While the user must not be disturbed (busy, a full-screen program, a
// presentation, quiet time) the run waits and the critical-limit popup is
// held. Portable: the host answers for the system, time is given.
#include <cstdint>
#include <optional>
#include <string>

#include "optimizer/run_policy.h"

namespace qmo {

struct OptimizerSettings;

enum class QuietReason { None, Busy, FullScreen, Presentation, QuietTime };

// What SHQueryUserNotificationState answered, as a reason to wait.
QuietReason QuietReasonOf(int notificationState);
// "Automatic optimization is waiting: a full-screen program is running"; empty for None.
std::string WaitingLine(QuietReason reason);

// What an automatic run freed, for the pace.
struct AutomaticRunResult {
    std::optional<std::int64_t> freedBytes;
    std::optional<std::int64_t> physicalBytes;
};

class AutomaticRunHost {
public:
    virtual ~AutomaticRunHost() = default;
    virtual const OptimizerSettings& Settings() const = 0;
    // Asked only when a run or a popup is about to come.
    virtual QuietReason Quiet() = 0;
    // Physical memory in use, a whole percentage; nothing when unknown.
    virtual std::optional<int> PhysicalInUsePercent() = 0;
    // Nothing when no run happened (another one was going).
    virtual std::optional<AutomaticRunResult> RunAutomatic() = 0;
    virtual void RunWaited(QuietReason reason) = 0;
    // Notes each process's processor time, for a run to come within the minute.
    virtual void NoteProcessorUse() = 0;
};

class AutomaticSchedule {
public:
    // The five-minute timer has fired.
    void FiveMinutesPassed(AutomaticRunHost& host, std::uint64_t nowMs);
    // The one-second tick.
    void Tick(AutomaticRunHost& host, std::uint64_t nowMs);

    bool RunWaiting() const noexcept { return m_due; }
    const AutomaticRunPace& Pace() const noexcept { return m_pace; }

private:
    void TryToRun(AutomaticRunHost& host, std::uint64_t nowMs, bool underInUseRule);

    bool m_due = false;  // the five-minute turn came and its run has not happened
    std::optional<std::uint64_t> m_lastTurnMs;
    bool m_notedThisTurn = false;
    std::uint64_t m_startedMs = 0;
    bool m_warmUpNoted = false;
    AutomaticRunPace m_pace;
};

}  // namespace qmo
