#pragma once
// The process list's view of the real system: PSAPI for ids, modules and
// memory counters, the process's creation time, and termination.
#include <windows.h>

#include "process/process_snapshot.h"

namespace qmo {

class Win32ProcessInspector : public ProcessInspector {
public:
    std::vector<std::uint32_t> EnumerateProcessIds(std::size_t capacity) override;
    Handle OpenProcess(std::uint32_t access, bool inheritHandle, std::uint32_t processId) override;
    void CloseProcess(Handle process) override;
    std::size_t FirstModule(Handle process, Module& first) override;
    std::string ModuleFileName(Handle process, Module module) override;
    std::string ModuleBaseName(Handle process, Module module) override;
    std::optional<std::uint64_t> WorkingSetSize(Handle process) override;
    std::optional<std::uint64_t> CommittedBytes(Handle process) override;
    std::optional<std::uint64_t> CreationTime(Handle process) override;
    std::optional<std::string> SystemDirectory() override;
    bool TerminateProcess(Handle process, std::uint32_t exitCode) override;
};

// Small icons of the shell's system image list, for the process list.
class ShellIconIndexSource : public IconIndexSource {
public:
    int IconIndex(const std::string& path) override;
};

}  // namespace qmo
