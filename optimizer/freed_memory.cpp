#include "optimizer/freed_memory.h"

#include "framework/texts.h"
#include "res/optimizer_resource.h"

namespace qmo {
namespace {

constexpr std::uint64_t kBytesPerMegabyte = std::uint64_t{1024} * 1024;

// Below one megabyte, but not nothing: "less than 1 MB"; nothing freed at all
// says so plainly ("0 MB").
bool LessThanOneMegabyte(std::uint64_t bytes) {
    return bytes > 0 && bytes < kBytesPerMegabyte;
}

std::string Megabytes(std::uint64_t bytes) {
    return FormatCount(static_cast<std::int64_t>(bytes / kBytesPerMegabyte));
}

}  // namespace

std::string FreedLine(std::uint64_t freedBytes) {
    if (LessThanOneMegabyte(freedBytes))
        return Text(IDS_FREED_LESS_THAN_1_MB);
    return FormatText(IDS_FREED_MB, {Megabytes(freedBytes)});
}

std::optional<std::uint64_t> FreedToShow(std::optional<std::int64_t> freedBytes) {
    if (!freedBytes)
        return std::nullopt;
    return *freedBytes > 0 ? static_cast<std::uint64_t>(*freedBytes) : 0;
}

std::string LastOptimizedLine(int hour, int minute, std::optional<std::uint64_t> freedBytes) {
    const std::string time = FormatClockTime(hour, minute);
    if (!freedBytes)
        return FormatText(IDS_LAST_OPTIMIZED, {time});
    if (LessThanOneMegabyte(*freedBytes))
        return FormatText(IDS_LAST_OPTIMIZED_FREED_LESS_THAN_1_MB, {time});
    return FormatText(IDS_LAST_OPTIMIZED_FREED_MB, {time, Megabytes(*freedBytes)});
}

std::string ReboundLine(std::int64_t backBytes, std::uint32_t afterMs) {
    // The delay in seconds below a minute, else in whole minutes.
    const bool inSeconds = afterMs < 60000;
    const std::string delay = FormatCount(inSeconds ? afterMs / 1000 : afterMs / 60000);
    if (backBytes <= 0)
        return FormatText(inSeconds ? IDS_REBOUND_NOTHING_SECONDS : IDS_REBOUND_NOTHING_MINUTES, {delay});
    const auto back = static_cast<std::uint64_t>(backBytes);
    if (LessThanOneMegabyte(back))
        return FormatText(inSeconds ? IDS_REBOUND_LESS_THAN_1_MB_SECONDS : IDS_REBOUND_LESS_THAN_1_MB_MINUTES,
                          {delay});
    return FormatText(inSeconds ? IDS_REBOUND_MB_SECONDS : IDS_REBOUND_MB_MINUTES, {Megabytes(back), delay});
}

}  // namespace qmo
