#pragma once
// The texts that report what an optimization freed and what came back.
#include <cstdint>
#include <optional>
#include <string>

namespace qmo {

// "Freed 412 MB" in whole megabytes, rounded down; "Freed less than 1 MB"
// below one, and "Freed 0 MB" when nothing at all was freed.
std::string FreedLine(std::uint64_t freedBytes);

// What the popup and the tip say of a run's signed account: a run after
// which more was in use freed nothing.
std::optional<std::uint64_t> FreedToShow(std::optional<std::int64_t> freedBytes);

// "Last optimized 14:02 – freed 412 MB" (the time as the user's locale
// writes it); without the amount when it is unknown.
std::string LastOptimizedLine(int hour, int minute, std::optional<std::uint64_t> freedBytes);

// "300 MB back after 5 min", "less than 1 MB back after 30 s", "nothing back
// after 5 min"; the delay in seconds below a minute, else in whole minutes.
std::string ReboundLine(std::int64_t backBytes, std::uint32_t afterMs);

}  // namespace qmo
