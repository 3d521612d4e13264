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

}  // namespace

std::optional<std::uint64_t> FreedBetween(std::optional<std::uint64_t> inUseBefore,
                                          std::optional<std::uint64_t> inUseAfter) {
    if (!inUseBefore || !inUseAfter)
        return std::nullopt;
    return *inUseBefore > *inUseAfter ? *inUseBefore - *inUseAfter : 0;
}

std::string FreedLine(std::uint64_t freedBytes) {
    return "Freed " + Amount(freedBytes);
}

std::string LastOptimizedLine(int hour, int minute, std::optional<std::uint64_t> freedBytes) {
    std::string line = "Last optimized " + TwoDigits(hour) + ":" + TwoDigits(minute);
    if (freedBytes)
        line += " \xE2\x80\x93 freed " + Amount(*freedBytes);  // en dash
    return line;
}

std::optional<std::uint64_t> FreedMeter::RunEnded(PhysicalMemorySource& memory) {
    const std::optional<std::uint64_t> before = m_inUseBefore;
    m_inUseBefore.reset();
    if (!before)
        return std::nullopt;
    return FreedBetween(before, memory.BytesInUse());
}

}  // namespace qmo
