#pragma once
// One row per running process that may be inspected: image name, icon,
// working set as text, normalised executable path, process id. Rebuilt from
// scratch at every refresh; portable, the system is reached through the
// ProcessInspector seam.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qmo {

inline constexpr std::size_t kMaxProcessIds = 1024;
inline constexpr std::uint32_t kProcessAllAccess = 0x1F0FFF;
inline constexpr std::uint32_t kProcessQueryAndRead = 0x0410;      // query information | VM read
inline constexpr std::uint32_t kProcessTerminate = 0x0001;
inline constexpr std::uint32_t kProcessQueryLimited = 0x1000;      // enough to read the creation time

struct ProcessEntry {
    std::string name;
    int iconIndex = 0;
    std::string memoryText;
    std::string path;
    std::uint32_t pid = 0;
    // Not shown: the memory column sorts by this, and End Process checks the
    // creation time so that a reused id never ends a different process.
    std::optional<std::uint64_t> workingSetBytes;
    std::optional<std::uint64_t> creationTime;
    // The private memory the process has committed, and its text in the same form.
    std::optional<std::uint64_t> committedBytes;
    std::string committedText;
};

// What the process list needs of the system.
class ProcessInspector {
public:
    using Handle = std::uintptr_t;  // 0: none
    using Module = std::uintptr_t;
    virtual ~ProcessInspector() = default;

    // Ids of the running processes as the system returns them, given room for `capacity`.
    virtual std::vector<std::uint32_t> EnumerateProcessIds(std::size_t capacity) = 0;
    virtual Handle OpenProcess(std::uint32_t access, bool inheritHandle, std::uint32_t processId) = 0;
    virtual void CloseProcess(Handle process) = 0;
    // Bytes the process's module list needs (0: no modules) and its first module, the executable.
    virtual std::size_t FirstModule(Handle process, Module& first) = 0;
    // Empty when they cannot be read.
    virtual std::string ModuleFileName(Handle process, Module module) = 0;
    virtual std::string ModuleBaseName(Handle process, Module module) = 0;
    virtual std::optional<std::uint64_t> WorkingSetSize(Handle process) = 0;
    virtual std::optional<std::uint64_t> CommittedBytes(Handle process) = 0;
    virtual std::optional<std::uint64_t> CreationTime(Handle process) = 0;
    virtual std::optional<std::string> SystemDirectory() = 0;
    virtual bool TerminateProcess(Handle process, std::uint32_t exitCode) = 0;
};

// Icon index of a path in the shell's small system image list.
class IconIndexSource {
public:
    virtual ~IconIndexSource() = default;
    virtual int IconIndex(const std::string& path) = 0;
};

// "N K" (kibibytes, rounded down) above 1024 bytes, "N BYTES" otherwise;
// empty when the counters could not be read.
std::string FormatMemoryText(std::optional<std::uint64_t> workingSetBytes);

// "\??\" removed; the exact-case "\SystemRoot\" replaced by the system
// drive's root ("c:\" when the system directory is unknown).
std::string NormaliseProcessPath(std::string path, const std::optional<std::string>& systemDirectory);

// Inserts the row of `processId` at the top of `rows`. False when the process
// cannot be opened; true otherwise, also when it has no modules and gets no row.
bool AddProcessRow(ProcessInspector& system, IconIndexSource& icons, std::uint32_t processId,
                   std::vector<ProcessEntry>& rows);

// All rows, the last id returned first; at most kMaxProcessIds ids are considered.
std::vector<ProcessEntry> SnapshotProcessRows(ProcessInspector& system, IconIndexSource& icons);

}  // namespace qmo
