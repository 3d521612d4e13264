#pragma once
// What "optimize" means: trim the working set of one process or of all of
// them, and sweep physical memory by committing, touching and releasing a
// fixed amount in our own process. Portable: the system is reached through
// the seams below.
#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace qmo {

inline constexpr std::uint32_t TRIM_PROCESS_ACCESS = 0x0518;  // query info | set quota | VM read | VM operation
inline constexpr std::size_t SWEEP_BLOCK_COUNT = 20;
inline constexpr std::size_t SWEEP_BLOCK_SIZE = 16u * 1024u * 1024u;
inline constexpr std::size_t kTrimAsMuchAsPossible = static_cast<std::size_t>(-1);

class ProcessSystem {
public:
    using Handle = std::uintptr_t;  // 0: none
    virtual ~ProcessSystem() = default;

    // Ids of all processes at this moment; nothing when the snapshot fails.
    virtual std::optional<std::vector<std::uint32_t>> SnapshotProcessIds() = 0;
    virtual Handle OpenProcess(std::uint32_t access, bool inheritHandle, std::uint32_t processId) = 0;
    virtual bool SetWorkingSetSize(Handle process, std::size_t minimum, std::size_t maximum) = 0;
    virtual bool EmptyProcessWorkingSet(Handle process) = 0;
    virtual void CloseProcess(Handle process) = 0;
};

// Where the sweep takes its blocks from: the program's ordinary run-time heap.
class SweepHeap {
public:
    virtual ~SweepHeap() = default;
    virtual void* Allocate(std::size_t size) = 0;
    virtual void Free(void* block) = 0;
    // Hands free heap memory back to the operating system.
    virtual void Minimize() = 0;
};

class ProgressSink {
public:
    virtual ~ProgressSink() = default;
    virtual void SetPosition(int position) = 0;
};

// One slot per block. A slot keeps its pointer after release; the next sweep
// overwrites every slot before releasing anything, so nothing is freed twice.
// Only one sweep at a time may use a table: a second one while it runs would
// free the first one's blocks.
struct SweepTable {
    std::array<void*, SWEEP_BLOCK_COUNT> blocks{};
    std::atomic<bool> sweeping{false};
};
SweepTable& SharedSweepTable();

// Processes a walk over all of them trimmed, and passed over as they could not be opened.
struct TrimCount {
    std::int32_t trimmed = 0;
    std::int32_t skipped = 0;
};

bool TrimProcessWorkingSet(ProcessSystem& system, std::uint32_t processId);
// Nothing when the snapshot failed and nothing was visited.
std::optional<TrimCount> TrimAllWorkingSets(ProcessSystem& system);
// False, with nothing sent, allocated or freed, while another sweep uses the table.
bool SweepPhysicalMemory(ProgressSink& progress, SweepHeap& heap, SweepTable& table = SharedSweepTable());

}  // namespace qmo
