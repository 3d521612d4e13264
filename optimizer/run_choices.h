#pragma once
// What a run is asked to do: the memory areas it cleans besides the working
// sets and the sweep, the programs it leaves alone, and when automatic runs
// come. The settings hold these choices; a run takes them. Portable.
#include <string>
#include <vector>

namespace qmo {

// The memory areas a run cleans besides the working sets and the sweep; all
// off unless chosen.
enum class StandbyListChoice : int { Off = 0, LowestPriorityOnly = 1, All = 2 };
struct MemoryAreaChoices {
    bool systemCache = false;
    bool modifiedList = false;
    StandbyListChoice standbyList = StandbyListChoice::Off;
    bool combinePages = false;

    bool operator==(const MemoryAreaChoices&) const = default;
};

// Which of those areas this system offers, as far as is known: an area whose
// call answered "not available" is not offered again.
struct MemoryAreaAvailability {
    bool systemCache = true;
    bool modifiedList = true;
    bool standbyList = true;
    bool combinePages = true;

    bool operator==(const MemoryAreaAvailability&) const = default;
};

// When an automatic run comes, automatic optimization being on: every five
// minutes, or when physical memory in use is above a share.
enum class AutomaticRule : int { EveryFiveMinutes = 0, AboveMemoryInUse = 1 };
inline constexpr int kLowestInUsePercent = 50;
inline constexpr int kHighestInUsePercent = 95;
inline constexpr int kLowestStandbyFreeBelowMB = 64;
inline constexpr int kHighestStandbyFreeBelowMB = 65536;
inline constexpr int kLowestStandbyListAboveMB = 128;
inline constexpr int kHighestStandbyListAboveMB = 1048576;
struct AutomaticRunChoices {
    AutomaticRule rule = AutomaticRule::EveryFiveMinutes;
    int inUsePercent = 85;  // kLowestInUsePercent to kHighestInUsePercent
    // An automatic run empties the standby list, when chosen, only while free
    // memory is below the first and the list above the second.
    int standbyFreeBelowMB = 512;
    int standbyListAboveMB = 1024;

    bool operator==(const AutomaticRunChoices&) const = default;
};

// What the settings ask of a run: the areas, the programs left alone, and
// the rules of automatic runs.
struct RunChoices {
    RunChoices() = default;
    // A run of these areas that leaves no program alone.
    RunChoices(const MemoryAreaChoices& chosenAreas) : areas(chosenAreas) {}  // NOLINT: a run's usual shorthand

    MemoryAreaChoices areas;
    std::vector<std::string> exclusions;
    AutomaticRunChoices automatic;
};

}  // namespace qmo
