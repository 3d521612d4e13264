#include "optimizer/run_policy.h"

#include <algorithm>

namespace qmo {
namespace {

constexpr std::uint64_t kNoteAgeMs = 30000;
constexpr std::size_t kNotesKept = 3;
constexpr std::int64_t kBytesPerMB = std::int64_t{1024} * 1024;

}  // namespace

std::set<std::uint32_t> ProcessTree(const std::vector<ProcessFacts>& processes, std::uint32_t root) {
    std::set<std::uint32_t> tree;
    const auto find = [&](std::uint32_t id) {
        return std::find_if(processes.begin(), processes.end(), [id](const ProcessFacts& p) { return p.id == id; });
    };
    auto top = find(root);
    if (root == 0 || top == processes.end())
        return tree;
    // A helper's window: climb to the program that started it, by name.
    for (auto parent = find(top->parentId); parent != processes.end() && parent->id != top->id &&
                                            SameFileName(parent->name, top->name) && !tree.contains(parent->id);
         parent = find(top->parentId)) {
        tree.insert(top->id);
        top = parent;
    }
    tree.insert(top->id);
    // Every descendant; a parent id may be stale and point into the tree by
    // chance, which only leaves one more process alone.
    for (bool grew = true; grew;) {
        grew = false;
        for (const ProcessFacts& process : processes)
            if (tree.contains(process.parentId) && process.id != 0 && tree.insert(process.id).second)
                grew = true;
    }
    return tree;
}

bool ProcessorUseBook::NoteDue(std::uint64_t nowMs) const {
    return m_notes.empty() || nowMs - m_notes.back().atMs >= kProcessorUseNoteIntervalMs;
}

void ProcessorUseBook::Note(std::uint64_t nowMs, Census census) {
    m_notes.push_back({nowMs, std::move(census)});
    while (m_notes.size() > kNotesKept)
        m_notes.pop_front();
}

std::uint32_t ReadBusyPercentOfProcessor(ProfileStore& profile) {
    const int stored = profile.GetProfileInt(kSettingsSection, "BusyProcessorPercent",
                                             static_cast<int>(kBusyPercentOfProcessor));
    return stored >= 1 && stored <= 100 ? static_cast<std::uint32_t>(stored) : kBusyPercentOfProcessor;
}

std::set<std::uint32_t> ProcessorUseBook::Busy(std::uint64_t nowMs, const Census& now, std::uint32_t busyPercent) const {
    const Noted* compared = nullptr;
    for (const Noted& note : m_notes)
        if (note.atMs <= nowMs && nowMs - note.atMs >= kNoteAgeMs)
            compared = &note;  // the newest old enough
    std::set<std::uint32_t> busy;
    for (const auto& [id, use] : now) {
        if (!compared) {
            busy.insert(id);
            continue;
        }
        const auto before = compared->census.find(id);
        if (before == compared->census.end() || before->second.creationTime != use.creationTime ||
            use.processorTime < before->second.processorTime) {
            busy.insert(id);
            continue;
        }
        // 100 ns units used against 1 % of the elapsed time: elapsed ms × 10000 / 100.
        const std::uint64_t used = use.processorTime - before->second.processorTime;
        if (used >= (nowMs - compared->atMs) * 100 * busyPercent)
            busy.insert(id);
    }
    return busy;
}

void AutomaticRunPace::RunEnded(std::uint64_t nowMs, std::optional<std::int64_t> freedBytes,
                                std::optional<std::int64_t> physicalBytes) {
    m_lastRunMs = nowMs;
    const bool useful = freedBytes && physicalBytes && *physicalBytes > 0 && *freedBytes >= *physicalBytes / 100;
    m_cooldownMs = useful ? kShortestCooldownMs : std::min(m_cooldownMs * 2, kLongestCooldownMs);
}

bool StandbyPurgeNeeded(const AutomaticRunChoices& choices, std::optional<std::int64_t> freeBytes,
                        std::optional<std::int64_t> standbyBytes, std::optional<std::uint64_t> lastPurgeMs,
                        std::uint64_t nowMs) {
    if (!freeBytes || !standbyBytes)
        return false;
    if (lastPurgeMs && nowMs - *lastPurgeMs < kStandbyPurgeIntervalMs)
        return false;
    return *freeBytes < choices.standbyFreeBelowMB * kBytesPerMB &&
           *standbyBytes > choices.standbyListAboveMB * kBytesPerMB;
}

}  // namespace qmo
