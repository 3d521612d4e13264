#include "optimizer/optimizer_engine.h"

#include <cstring>

namespace qmo {

SweepTable& SharedSweepTable() {
    static SweepTable table{};
    return table;
}

bool TrimProcessWorkingSet(ProcessSystem& system, std::uint32_t processId) {
    const ProcessSystem::Handle process = system.OpenProcess(TRIM_PROCESS_ACCESS, false, processId);
    if (!process)
        return false;
    // Both calls are always made; a process that exits in between makes them fail harmlessly.
    system.SetWorkingSetSize(process, kTrimAsMuchAsPossible, kTrimAsMuchAsPossible);
    system.EmptyProcessWorkingSet(process);
    system.CloseProcess(process);
    return true;
}

namespace {

// Opens, trims and closes one process unless its path excludes it.
enum class Visit { Trimmed, Skipped, Excluded };
Visit VisitProcess(ProcessSystem& system, const ProcessFacts& facts, const ExclusionList& exclusions) {
    const ProcessSystem::Handle process = system.OpenProcess(TRIM_PROCESS_ACCESS, false, facts.id);
    if (!process)
        return Visit::Skipped;
    if (exclusions.NeedsPaths() && exclusions.Excludes(facts.name, system.ImagePath(process))) {
        system.CloseProcess(process);
        return Visit::Excluded;
    }
    system.SetWorkingSetSize(process, kTrimAsMuchAsPossible, kTrimAsMuchAsPossible);
    system.EmptyProcessWorkingSet(process);
    system.CloseProcess(process);
    return Visit::Trimmed;
}

}  // namespace

std::optional<TrimCount> TrimAllWorkingSets(ProcessSystem& system, const TrimScope& scope) {
    const std::optional<std::vector<ProcessFacts>> processes = system.SnapshotProcesses();
    if (!processes)
        return std::nullopt;
    return TrimListedWorkingSets(system, *processes, scope);
}

TrimCount TrimListedWorkingSets(ProcessSystem& system, const std::vector<ProcessFacts>& processes,
                                const TrimScope& scope) {
    TrimCount count;
    for (const ProcessFacts& facts : processes) {
        if (scope.inUse.contains(facts.id)) {
            ++count.inUse;
        } else if (scope.exclusions.Excludes(facts.name, {})) {
            ++count.excluded;
        } else {
            switch (VisitProcess(system, facts, scope.exclusions)) {
            case Visit::Trimmed:
                ++count.trimmed;
                break;
            case Visit::Skipped:
                ++count.skipped;
                break;
            case Visit::Excluded:
                ++count.excluded;
                break;
            }
        }
    }
    return count;
}

bool SweepPhysicalMemory(ProgressSink& progress, SweepHeap& heap, SweepTable& table) {
    if (table.sweeping.exchange(true))
        return false;
    auto& blocks = table.blocks;
    for (std::size_t k = 0; k < SWEEP_BLOCK_COUNT; ++k) {
        progress.SetPosition(static_cast<int>(5 * k));
        blocks[k] = heap.Allocate(SWEEP_BLOCK_SIZE);
        if (blocks[k])
            std::memset(blocks[k], 0, SWEEP_BLOCK_SIZE);  // commits every page
    }
    for (std::size_t k = 0; k < SWEEP_BLOCK_COUNT; ++k) {
        progress.SetPosition(static_cast<int>(6 * k));
        if (blocks[k])
            heap.Free(blocks[k]);
        heap.Minimize();
    }
    table.sweeping = false;
    return true;
}

}  // namespace qmo
