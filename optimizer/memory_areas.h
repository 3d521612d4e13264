#pragma once
// The areas of memory a run can clean, the result each one had, and the rules
// that run the system areas (file cache, modified list, standby list,
// combined pages) and judge what they did. Portable: the system calls are
// reached through the seam below; the readings through MemoryReader.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "optimizer/run_choices.h"
#include "optimizer/memory_reading.h"

namespace qmo {

enum class MemoryArea : std::uint8_t { WorkingSets, Sweep, SystemCache, ModifiedList, StandbyList, CombinePages };
inline constexpr std::size_t kMemoryAreaCount = 6;
inline constexpr std::array<MemoryArea, kMemoryAreaCount> kAllMemoryAreas{
    MemoryArea::WorkingSets, MemoryArea::Sweep,       MemoryArea::SystemCache,
    MemoryArea::ModifiedList, MemoryArea::StandbyList, MemoryArea::CombinePages};

// "working sets", "sweep", "system cache", "modified list", "standby list",
// "combined pages": names for traces and test labels; the history window has
// headings of its own.
std::string_view MemoryAreaName(MemoryArea area);

enum class AreaOutcome : std::uint8_t {
    NotChosen,            // the run did not clean this area
    Done,                 // done, with its measured effect
    Failed,               // the system refused; the status says why
    NotAvailable,         // the entry point is missing or answers "not implemented"
    AcceptedNotMeasured,  // the call answered success, and its effect could not be measured
    NotNeeded,            // chosen, and left out by an automatic run's rule: memory was not short
};

struct AreaResult {
    AreaOutcome outcome = AreaOutcome::NotChosen;
    std::uint32_t status = 0;     // Failed: the NTSTATUS or Win32 error
    std::string statusText;       // Failed: the status in words
    // Done: what the area freed in bytes, signed (negative when its figure grew).
    std::optional<std::int64_t> effectBytes;

    bool operator==(const AreaResult&) const = default;
};

using AreaResults = std::array<AreaResult, kMemoryAreaCount>;  // indexed by MemoryArea

// The program's own reasons for a failed area. The history file keeps them
// in these words whatever the user's language.
inline constexpr std::string_view kReasonNoneGiven = "the system gave no reason";
inline constexpr std::string_view kReasonNoProcessList = "the list of processes could not be read";
inline constexpr std::string_view kReasonSweepRunning = "another sweep was running";
inline constexpr std::string_view kReasonProcessNotOpened = "the process could not be opened";

// A failed area's reason as the user reads it: one of the program's own in
// the user's language, the system's words (in its language already) as they are.
std::string FailureReasonText(std::string_view statusText);

inline AreaResult& ResultOf(AreaResults& results, MemoryArea area) { return results[static_cast<std::size_t>(area)]; }
inline const AreaResult& ResultOf(const AreaResults& results, MemoryArea area) {
    return results[static_cast<std::size_t>(area)];
}

enum class SystemPrivilege : std::uint8_t { ProfileSingleProcess, IncreaseQuota };

// How one system call answered.
struct CallAnswer {
    bool entryPointFound = true;  // false: nothing was called
    bool succeeded = false;
    std::uint32_t status = 0;     // NTSTATUS for the ntdll calls, else the Win32 last error
    bool statusIsNt = true;
};

inline constexpr std::uint32_t kSystemMemoryListInformation = 80;
inline constexpr std::uint32_t kSystemCombinePhysicalMemoryInformation = 130;
inline constexpr std::uint32_t kMemoryFlushModifiedList = 3;
inline constexpr std::uint32_t kMemoryPurgeStandbyList = 4;
inline constexpr std::uint32_t kMemoryPurgeLowPriorityStandbyList = 5;

class MemoryAreaCalls {
public:
    virtual ~MemoryAreaCalls() = default;
    // Enables the privilege in the process's token; false when refused.
    virtual bool EnablePrivilege(SystemPrivilege privilege) = 0;
    // SetSystemFileCacheSize(-1, -1, 0).
    virtual CallAnswer FlushSystemFileCache() = 0;
    // NtSetSystemInformation(SystemMemoryListInformation, command).
    virtual CallAnswer MemoryListCommand(std::uint32_t command) = 0;
    // NtSetSystemInformation(SystemCombinePhysicalMemoryInformation); sets
    // `pagesCombined` only when the system wrote how many pages it combined.
    virtual CallAnswer CombinePhysicalMemory(std::optional<std::uint64_t>& pagesCombined) = 0;
    // The status in words, from the system's message tables.
    virtual std::string StatusText(const CallAnswer& answer) = 0;
    // The size of a page in bytes.
    virtual std::uint32_t PageSize() = 0;
};

// Runs the system areas the settings chose, in the order file cache,
// modified list, standby list, combined pages, reading memory around each.
// The privileges are enabled once, when an area first needs them.
class SystemAreaRunner {
public:
    SystemAreaRunner(MemoryAreaCalls& calls, MemoryReader& reader) noexcept : m_calls(calls), m_reader(reader) {}

    // Fills the results of the four system areas; those not chosen are NotChosen.
    void Run(const MemoryAreaChoices& choices, AreaResults& results);

    // The area answered "not available" on this system in an earlier run.
    bool KnownUnavailable(MemoryArea area) const;

private:
    void Fail(const CallAnswer& answer, AreaResult& result);
    void Judge(MemoryArea area, StandbyListChoice standby, const MemoryReading& before, const MemoryReading& after,
               std::optional<std::uint64_t> pagesCombined, AreaResult& result);

    MemoryAreaCalls& m_calls;
    MemoryReader& m_reader;
    std::array<bool, 2> m_privilegeEnabled{};
    std::array<bool, kMemoryAreaCount> m_unavailable{};
};

}  // namespace qmo
