#include "optimizer/freed_memory.h"

namespace qmo {
namespace {

constexpr std::uint64_t kBytesPerMegabyte = 1024u * 1024u;

// "412 MB", "less than 1 MB"; nothing freed at all says so plainly.
std::string Amount(std::uint64_t bytes) {
    if (bytes > 0 && bytes < kBytesPerMegabyte)
        return "less than 1 MB";
    return std::to_string(bytes / kBytesPerMegabyte) + " MB";
}

std::string TwoDigits(int value) {
    return std::string(1, static_cast<char>('0' + value / 10 % 10)) + static_cast<char>('0' + value % 10);
}

std::string Delay(std::uint32_t ms) {
    if (ms < 60000)
        return std::to_string(ms / 1000) + " s";
    return std::to_string(ms / 60000) + " min";
}

}  // namespace

std::string FreedLine(std::uint64_t freedBytes) {
    return "Freed " + Amount(freedBytes);
}

std::optional<std::uint64_t> FreedToShow(std::optional<std::int64_t> freedBytes) {
    if (!freedBytes)
        return std::nullopt;
    return *freedBytes > 0 ? static_cast<std::uint64_t>(*freedBytes) : 0;
}

std::string LastOptimizedLine(int hour, int minute, std::optional<std::uint64_t> freedBytes) {
    std::string line = "Last optimized " + TwoDigits(hour) + ":" + TwoDigits(minute);
    if (freedBytes)
        line += " \xE2\x80\x93 freed " + Amount(*freedBytes);  // en dash
    return line;
}

std::string ReboundLine(std::int64_t backBytes, std::uint32_t afterMs) {
    const std::string after = " back after " + Delay(afterMs);
    if (backBytes <= 0)
        return "nothing" + after;
    return Amount(static_cast<std::uint64_t>(backBytes)) + after;
}

}  // namespace qmo
