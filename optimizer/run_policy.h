#pragma once
// The rules that make automatic runs gentle: they leave alone the program the
// user works in and the programs that are busy, they come when memory is
// short and not again too soon when they freed little, and they empty the
// standby list only when free memory is really low. Portable: time is given
// as steady milliseconds, processes as snapshots.
#include <cstdint>
#include <deque>
#include <map>
#include <optional>
#include <set>
#include <vector>

#include "optimizer/run_choices.h"
#include "framework/profile_store.h"
#include "optimizer/optimizer_engine.h"

namespace qmo {

// `root` and every process started by it or by one of those, and, when the
// window belongs to a helper process of a program, the program too: parents
// with the same file name are taken in. Empty for 0 or an id not in the snapshot.
std::set<std::uint32_t> ProcessTree(const std::vector<ProcessFacts>& processes, std::uint32_t root);

// A process counts as busy from 1 % of one processor over the last minute; a
// hidden value of the profile may raise the share (for tests and the
// curious), never written.
inline constexpr std::uint32_t kBusyPercentOfProcessor = 1;
std::uint32_t ReadBusyPercentOfProcessor(ProfileStore& profile);
inline constexpr std::uint64_t kProcessorUseNoteIntervalMs = 60000;

// Each process's processor time as noted about once a minute; an automatic
// run compares with a note taken at least half a minute before it.
class ProcessorUseBook {
public:
    using Census = std::map<std::uint32_t, ProcessUse>;

    // A note is due: none yet, or the last one is a minute old.
    bool NoteDue(std::uint64_t nowMs) const;
    void Note(std::uint64_t nowMs, Census census);
    // The processes that used `busyPercent` of a processor or more since the
    // note compared with, and those it cannot tell about: started since, their
    // times unreadable, or no note old enough.
    std::set<std::uint32_t> Busy(std::uint64_t nowMs, const Census& now,
                                 std::uint32_t busyPercent = kBusyPercentOfProcessor) const;

private:
    struct Noted {
        std::uint64_t atMs;
        Census census;
    };
    std::deque<Noted> m_notes;  // the last three, oldest first
};

// When an automatic run under the memory-in-use rule may come again: a minute
// after the last, twice as long after each run that freed less than 1 % of
// physical memory, at most 30 minutes; a run that freed more starts again at a minute.
inline constexpr std::uint64_t kShortestCooldownMs = 60000;
inline constexpr std::uint64_t kLongestCooldownMs = std::uint64_t{30} * 60000;
class AutomaticRunPace {
public:
    bool MayRun(std::uint64_t nowMs) const { return !m_lastRunMs || nowMs - *m_lastRunMs >= m_cooldownMs; }
    // A run ended at `nowMs`; freed or physical memory unknown counts as little.
    void RunEnded(std::uint64_t nowMs, std::optional<std::int64_t> freedBytes,
                  std::optional<std::int64_t> physicalBytes);
    std::uint64_t CooldownMs() const noexcept { return m_cooldownMs; }

private:
    std::optional<std::uint64_t> m_lastRunMs;
    std::uint64_t m_cooldownMs = kShortestCooldownMs;
};

// An automatic run empties the standby list, when chosen, only while free
// memory is below the set figure and the list above its own, and at most once
// in five minutes. Unknown figures do not show the need.
inline constexpr std::uint64_t kStandbyPurgeIntervalMs = std::uint64_t{5} * 60000;
bool StandbyPurgeNeeded(const AutomaticRunChoices& choices, std::optional<std::int64_t> freeBytes,
                        std::optional<std::int64_t> standbyBytes, std::optional<std::uint64_t> lastPurgeMs,
                        std::uint64_t nowMs);

}  // namespace qmo
