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

std::optional<TrimCount> TrimAllWorkingSets(ProcessSystem& system) {
    const auto ids = system.SnapshotProcessIds();
    if (!ids)
        return std::nullopt;
    TrimCount count;
    for (std::uint32_t id : *ids)
        ++(TrimProcessWorkingSet(system, id) ? count.trimmed : count.skipped);
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
