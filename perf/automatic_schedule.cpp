#include "perf/automatic_schedule.h"

#include "config/optimizer_settings.h"
#include "framework/texts.h"
#include "res/pages_resource.h"

namespace qmo {
namespace {

// The note of processor use is taken a minute before the five-minute turn,
// so a run compares a minute of use without a note every minute.
constexpr std::uint64_t kNoteBeforeTurnMs = 240000;
// One note soon after the start, so that a run asked for before the first
// turn (by the memory-in-use rule, or by hand through the timer's message)
// can tell busy programs from idle ones.
constexpr std::uint64_t kWarmUpNoteMs = 10000;
// Under the memory-in-use rule, notes are taken while in use comes near the share.
constexpr int kNoteBelowSharePoints = 5;

// QUNS_BUSY, QUNS_RUNNING_D3D_FULL_SCREEN, QUNS_PRESENTATION_MODE, QUNS_QUIET_TIME.
constexpr int kBusy = 2;
constexpr int kFullScreen = 3;
constexpr int kPresentation = 4;
constexpr int kQuietTime = 6;

}  // namespace

QuietReason QuietReasonOf(int notificationState) {
    switch (notificationState) {
    case kBusy:
        return QuietReason::Busy;
    case kFullScreen:
        return QuietReason::FullScreen;
    case kPresentation:
        return QuietReason::Presentation;
    case kQuietTime:
        return QuietReason::QuietTime;
    default:
        return QuietReason::None;
    }
}

std::string WaitingLine(QuietReason reason) {
    switch (reason) {
    case QuietReason::None:
        return {};
    case QuietReason::Busy:
        return Text(IDS_WAITING_BUSY);
    case QuietReason::FullScreen:
        return Text(IDS_WAITING_FULL_SCREEN);
    case QuietReason::Presentation:
        return Text(IDS_WAITING_PRESENTATION);
    case QuietReason::QuietTime:
        return Text(IDS_WAITING_QUIET_TIME);
    }
    return {};
}

void AutomaticSchedule::FiveMinutesPassed(AutomaticRunHost& host, std::uint64_t nowMs) {
    m_lastTurnMs = nowMs;
    m_notedThisTurn = false;
    const OptimizerSettings& settings = host.Settings();
    if (!settings.m_bAutoOptimize || settings.m_automatic.rule != AutomaticRule::EveryFiveMinutes)
        return;
    m_due = true;
    TryToRun(host, nowMs, false);
}

void AutomaticSchedule::Tick(AutomaticRunHost& host, std::uint64_t nowMs) {
    const OptimizerSettings& settings = host.Settings();
    if (!settings.m_bAutoOptimize) {
        m_due = false;
        return;
    }
    if (!m_lastTurnMs) {
        m_lastTurnMs = nowMs;  // the five-minute timer started with the monitor
        m_startedMs = nowMs;
    }
    if (!m_warmUpNoted && nowMs - m_startedMs >= kWarmUpNoteMs) {
        m_warmUpNoted = true;
        host.NoteProcessorUse();
    }
    if (settings.m_automatic.rule == AutomaticRule::EveryFiveMinutes) {
        if (!m_notedThisTurn && nowMs - *m_lastTurnMs >= kNoteBeforeTurnMs) {
            m_notedThisTurn = true;
            host.NoteProcessorUse();
        }
        if (m_due)
            TryToRun(host, nowMs, false);
        return;
    }
    m_due = false;
    if (!m_pace.MayRun(nowMs))
        return;
    const std::optional<int> inUse = host.PhysicalInUsePercent();
    if (!inUse)
        return;
    if (*inUse >= settings.m_automatic.inUsePercent - kNoteBelowSharePoints)
        host.NoteProcessorUse();  // the host notes at most once a minute
    if (*inUse > settings.m_automatic.inUsePercent)
        TryToRun(host, nowMs, true);
}

void AutomaticSchedule::TryToRun(AutomaticRunHost& host, std::uint64_t nowMs, bool underInUseRule) {
    const QuietReason quiet = host.Quiet();
    if (quiet != QuietReason::None) {
        host.RunWaited(quiet);
        return;
    }
    const std::optional<AutomaticRunResult> result = host.RunAutomatic();
    m_due = false;
    if (underInUseRule && result)
        m_pace.RunEnded(nowMs, result->freedBytes, result->physicalBytes);
}

}  // namespace qmo
