#pragma once
// The two blocks of figures NtQuerySystemInformation hands back, as the bytes
// a 64-bit Windows writes, turned into a reading's figures. Portable, so that
// short and odd buffers are tried without the system.
//
//   SystemMemoryListInformation (80): 22 pointer-sized page counts: zeroed,
//   free, modified, modified-no-write, bad, the standby list by priority (8),
//   the pages repurposed by priority (8), modified for the page file.
//
//   SystemPerformanceInformation (2): after four 8-byte counters and three
//   32-bit ones, 32-bit page counts: available at 44, committed at 48, the
//   commit limit at 52; the page-fault count at 60.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

#include "optimizer/memory_reading.h"

namespace qmo {

inline constexpr std::uint32_t kSystemPerformanceInformation = 2;
inline constexpr std::size_t kMemoryListInformationSize = std::size_t{22} * 8;
inline constexpr std::size_t kPerformanceInformationFiguresEnd = 64;

// Fills the list figures (zeroed, free, modified, standby and standby by
// priority) and names the lists as their source; false, and the reading
// untouched, when the buffer is too short or the page size is zero. A count
// whose bytes do not fit 64 signed bits stays unknown.
bool ParseMemoryListInformation(std::span<const std::byte> bytes, std::uint32_t pageSize, MemoryReading& reading);

struct PerformanceFigures {
    std::optional<std::int64_t> availableBytes;
    std::optional<std::int64_t> commitChargeBytes;
    std::optional<std::int64_t> commitLimitBytes;
    std::uint32_t pageFaults = 0;
};

// Empty when the buffer is too short or the page size is zero.
std::optional<PerformanceFigures> ParsePerformanceInformation(std::span<const std::byte> bytes,
                                                              std::uint32_t pageSize);

}  // namespace qmo
