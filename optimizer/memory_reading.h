#pragma once
// One reading of the system's memory: the physical memory lists, the commit
// charge and the page-fault count, each group of figures with where it came
// from. Portable: the system is read through the seam below.
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace qmo {

// Where figures came from; the history and its window say so.
enum class ReadingSource : std::uint8_t {
    None,                    // nothing could be read
    MemoryListInformation,   // NtQuerySystemInformation(SystemMemoryListInformation): the lists themselves
    PerformanceInformation,  // NtQuerySystemInformation(SystemPerformanceInformation)
    PerformanceInfo,         // GetPerformanceInfo
    MemoryStatus,            // GlobalMemoryStatusEx
};

// "memory lists", "performance information", "GetPerformanceInfo",
// "GlobalMemoryStatusEx", "none": the names the history file keeps, never
// translated.
std::string_view ReadingSourceName(ReadingSource source);
std::optional<ReadingSource> ReadingSourceNamed(std::string_view name);
// The source as the history window shows it: in the user's language, the
// system functions by their names.
std::string ReadingSourceText(ReadingSource source);

inline constexpr std::size_t kStandbyPriorities = 8;

// Bytes, signed so that differences never wrap. A figure is empty when no
// source could give it.
struct MemoryReading {
    std::optional<std::int64_t> inUse;     // physical memory in use: total minus available
    std::optional<std::int64_t> modified;  // the modified page list
    std::optional<std::int64_t> standby;   // the standby list, every priority
    std::optional<std::array<std::int64_t, kStandbyPriorities>> standbyByPriority;  // [0] lowest
    std::optional<std::int64_t> free;      // the free page list
    std::optional<std::int64_t> zeroed;    // the zeroed page list
    std::optional<std::int64_t> commitCharge;
    std::optional<std::int64_t> systemCache;  // the file cache's working set
    std::optional<std::uint32_t> pageFaults;  // since start-up; the system's 32-bit count wraps
    ReadingSource listsSource = ReadingSource::None;   // modified, standby, free, zeroed
    ReadingSource totalsSource = ReadingSource::None;  // commit charge, system cache, page faults
    ReadingSource inUseSource = ReadingSource::None;   // in use

    bool operator==(const MemoryReading&) const = default;
};

class MemoryReader {
public:
    virtual ~MemoryReader() = default;
    // Reads every source it can; never fails as a whole.
    virtual MemoryReading Read() = 0;
};

// later minus earlier, signed; empty when either is unknown.
std::optional<std::int64_t> Difference(std::optional<std::int64_t> earlier, std::optional<std::int64_t> later);

// The faults counted between two readings of the system's 32-bit count,
// which may have wrapped once in between; empty when either is unknown.
std::optional<std::int64_t> PageFaultsBetween(std::optional<std::uint32_t> earlier,
                                              std::optional<std::uint32_t> later);

// pages × page size in bytes; empty when it does not fit 64 signed bits.
std::optional<std::int64_t> PagesToBytes(std::uint64_t pages, std::uint32_t pageSize);

}  // namespace qmo
