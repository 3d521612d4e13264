#pragma once
// What an optimization freed: physical memory in use read just before a run
// and just after it, and the texts that report the difference.
#include <cstdint>
#include <optional>
#include <string>

namespace qmo {

// Physical memory in use, total minus available, in bytes; nothing when the
// system cannot say.
class PhysicalMemorySource {
public:
    virtual ~PhysicalMemorySource() = default;
    virtual std::optional<std::uint64_t> BytesInUse() = 0;
};

// Never negative: a run after which more is in use freed nothing. Unknown
// when either reading is.
std::optional<std::uint64_t> FreedBetween(std::optional<std::uint64_t> inUseBefore,
                                          std::optional<std::uint64_t> inUseAfter);

// "Freed 412 MB" in whole megabytes, rounded down; "Freed less than 1 MB"
// below one, and "Freed 0 MB" when nothing at all was freed.
std::string FreedLine(std::uint64_t freedBytes);

// "Last optimized 14:02 – freed 412 MB" (24-hour clock); without the amount
// when it is unknown.
std::string LastOptimizedLine(int hour, int minute, std::optional<std::uint64_t> freedBytes);

// Reads in-use memory around one run.
class FreedMeter {
public:
    void RunStarting(PhysicalMemorySource& memory) { m_inUseBefore = memory.BytesInUse(); }
    // What the run freed; unknown without a reading taken when it started.
    // Each start reading serves one end.
    std::optional<std::uint64_t> RunEnded(PhysicalMemorySource& memory);

private:
    std::optional<std::uint64_t> m_inUseBefore;
};

}  // namespace qmo
