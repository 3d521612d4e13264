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
#include <set>
#include <string>
#include <vector>

#include "optimizer/exclusions.h"

namespace qmo {

inline constexpr std::uint32_t TRIM_PROCESS_ACCESS = 0x0518;  // query info | set quota | VM read | VM operation
inline constexpr std::size_t SWEEP_BLOCK_COUNT = 20;
inline constexpr std::size_t SWEEP_BLOCK_SIZE = std::size_t{16} * 1024 * 1024;
inline constexpr std::size_t kTrimAsMuchAsPossible = static_cast<std::size_t>(-1);

// A process as the system's snapshot lists it.
struct ProcessFacts {
    std::uint32_t id = 0;
    std::uint32_t parentId = 0;
    std::string name;  // the executable's file name

    bool operator==(const ProcessFacts&) const = default;
};

// What a process has used, read without disturbing it.
struct ProcessUse {
    std::uint64_t creationTime = 0;    // tells a process from a later one given the same id
    std::uint64_t processorTime = 0;   // kernel and user, 100 ns units
    std::optional<std::uint64_t> committedBytes;  // private memory the process has committed

    bool operator==(const ProcessUse&) const = default;
};

class ProcessSystem {
public:
    using Handle = std::uintptr_t;  // 0: none
    virtual ~ProcessSystem() = default;

    // All processes at this moment; nothing when the snapshot fails.
    virtual std::optional<std::vector<ProcessFacts>> SnapshotProcesses() = 0;
    virtual Handle OpenProcess(std::uint32_t access, bool inheritHandle, std::uint32_t processId) = 0;
    // The full path of an open process's executable; empty when it cannot be read.
    virtual std::string ImagePath(Handle process) = 0;
    // Nothing when the process cannot be opened to be asked.
    virtual std::optional<ProcessUse> ReadUse(std::uint32_t processId) = 0;
    // The process owning the window the user works in; 0 when there is none.
    virtual std::uint32_t ForegroundProcessId() = 0;
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

// Processes a walk over all of them trimmed, passed over as they could not
// be opened, left alone as excluded, and left alone as in use.
struct TrimCount {
    std::int32_t trimmed = 0;
    std::int32_t skipped = 0;
    std::int32_t excluded = 0;
    std::int32_t inUse = 0;
};

// Which processes a walk leaves alone.
struct TrimScope {
    ExclusionList exclusions;
    std::set<std::uint32_t> inUse;
};

bool TrimProcessWorkingSet(ProcessSystem& system, std::uint32_t processId);
// Nothing when the snapshot failed and nothing was visited.
std::optional<TrimCount> TrimAllWorkingSets(ProcessSystem& system, const TrimScope& scope = {});
// The same over a snapshot already taken.
TrimCount TrimListedWorkingSets(ProcessSystem& system, const std::vector<ProcessFacts>& processes,
                                const TrimScope& scope);
// False, with nothing sent, allocated or freed, while another sweep uses the table.
bool SweepPhysicalMemory(ProgressSink& progress, SweepHeap& heap, SweepTable& table = SharedSweepTable());

}  // namespace qmo
