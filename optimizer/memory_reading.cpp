#include "optimizer/memory_reading.h"

#include <limits>

#include "framework/texts.h"
#include "optimizer/memory_list_layout.h"
#include "res/optimizer_resource.h"

namespace qmo {

namespace {

constexpr std::int64_t kMost = std::numeric_limits<std::int64_t>::max();
constexpr std::int64_t kLeast = std::numeric_limits<std::int64_t>::min();

// Little-endian, as the system writes it, whatever the host.
std::uint64_t UnsignedAt(std::span<const std::byte> bytes, std::size_t offset, std::size_t width) {
    std::uint64_t value = 0;
    for (std::size_t i = width; i-- > 0;)
        value = (value << 8) | std::to_integer<std::uint64_t>(bytes[offset + i]);
    return value;
}

std::optional<std::int64_t> CheckedAdd(std::optional<std::int64_t> a, std::optional<std::int64_t> b) {
    if (!a || !b || (*b > 0 && *a > kMost - *b) || (*b < 0 && *a < kLeast - *b))
        return std::nullopt;
    return *a + *b;
}

}  // namespace

std::string_view ReadingSourceName(ReadingSource source) {
    switch (source) {
    case ReadingSource::MemoryListInformation:
        return "memory lists";
    case ReadingSource::PerformanceInformation:
        return "performance information";
    case ReadingSource::PerformanceInfo:
        return "GetPerformanceInfo";
    case ReadingSource::MemoryStatus:
        return "GlobalMemoryStatusEx";
    case ReadingSource::None:
        break;
    }
    return "none";
}

std::string ReadingSourceText(ReadingSource source) {
    switch (source) {
    case ReadingSource::MemoryListInformation:
        return Text(IDS_SOURCE_MEMORY_LISTS);
    case ReadingSource::PerformanceInformation:
        return Text(IDS_SOURCE_PERFORMANCE_INFORMATION);
    case ReadingSource::PerformanceInfo:
    case ReadingSource::MemoryStatus:
        return std::string(ReadingSourceName(source));  // a function's name reads the same in every language
    case ReadingSource::None:
        break;
    }
    return Text(IDS_SOURCE_NONE);
}

std::optional<ReadingSource> ReadingSourceNamed(std::string_view name) {
    for (ReadingSource source : {ReadingSource::None, ReadingSource::MemoryListInformation,
                                 ReadingSource::PerformanceInformation, ReadingSource::PerformanceInfo,
                                 ReadingSource::MemoryStatus})
        if (ReadingSourceName(source) == name)
            return source;
    return std::nullopt;
}

std::optional<std::int64_t> Difference(std::optional<std::int64_t> earlier, std::optional<std::int64_t> later) {
    if (!earlier || !later)
        return std::nullopt;
    if (*earlier == kLeast)  // its negation does not fit
        return *later < 0 ? std::optional<std::int64_t>(*later - *earlier) : std::nullopt;
    return CheckedAdd(later, -*earlier);
}

std::optional<std::int64_t> PageFaultsBetween(std::optional<std::uint32_t> earlier,
                                              std::optional<std::uint32_t> later) {
    if (!earlier || !later)
        return std::nullopt;
    return static_cast<std::uint32_t>(*later - *earlier);  // unsigned: wraps modulo 2^32
}

std::optional<std::int64_t> PagesToBytes(std::uint64_t pages, std::uint32_t pageSize) {
    if (pageSize == 0 || pages > static_cast<std::uint64_t>(kMost) / pageSize)
        return std::nullopt;
    return static_cast<std::int64_t>(pages * pageSize);
}

bool ParseMemoryListInformation(std::span<const std::byte> bytes, std::uint32_t pageSize, MemoryReading& reading) {
    if (bytes.size() < kMemoryListInformationSize || pageSize == 0)
        return false;
    const auto count = [&](std::size_t index) { return PagesToBytes(UnsignedAt(bytes, index * 8, 8), pageSize); };
    reading.zeroed = count(0);
    reading.free = count(1);
    reading.modified = count(2);
    constexpr std::size_t kFirstStandby = 5;
    std::array<std::int64_t, kStandbyPriorities> byPriority{};
    std::optional<std::int64_t> standby = 0;
    bool everyPriorityKnown = true;
    for (std::size_t priority = 0; priority < kStandbyPriorities; ++priority) {
        const std::optional<std::int64_t> bytesOfPriority = count(kFirstStandby + priority);
        everyPriorityKnown = everyPriorityKnown && bytesOfPriority.has_value();
        byPriority[priority] = bytesOfPriority.value_or(0);
        standby = CheckedAdd(standby, bytesOfPriority);
    }
    reading.standby = standby;
    reading.standbyByPriority = everyPriorityKnown ? std::optional(byPriority) : std::nullopt;
    reading.listsSource = ReadingSource::MemoryListInformation;
    return true;
}

std::optional<PerformanceFigures> ParsePerformanceInformation(std::span<const std::byte> bytes,
                                                              std::uint32_t pageSize) {
    if (bytes.size() < kPerformanceInformationFiguresEnd || pageSize == 0)
        return std::nullopt;
    PerformanceFigures figures;
    figures.availableBytes = PagesToBytes(UnsignedAt(bytes, 44, 4), pageSize);
    figures.commitChargeBytes = PagesToBytes(UnsignedAt(bytes, 48, 4), pageSize);
    figures.commitLimitBytes = PagesToBytes(UnsignedAt(bytes, 52, 4), pageSize);
    figures.pageFaults = static_cast<std::uint32_t>(UnsignedAt(bytes, 60, 4));
    return figures;
}

}  // namespace qmo
