#pragma once
// An in-memory process table behind both process seams: the list's
// inspector and the optimizer's trim calls. Every handle handed out must be
// closed again; the destructor checks.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "optimizer/optimizer_engine.h"
#include "process/process_snapshot.h"

namespace qmo::testing {

struct FakeProcess {
    std::string path = "C:\\Programs\\tool.exe";
    std::string name = "tool.exe";
    std::optional<std::uint64_t> workingSet = 4096;
    std::optional<std::uint64_t> creationTime = 1;
    bool fullAccess = true;     // opens with PROCESS_ALL_ACCESS
    bool queryAccess = true;    // opens with query information | VM read
    bool terminateAccess = true;
    bool hasModules = true;
    bool terminable = true;
    std::uint32_t parentId = 0;
    std::uint64_t processorTime = 0;  // 100 ns units
    std::optional<std::uint64_t> committed = 8u << 20;
};

class FakeProcesses : public ProcessInspector, public ProcessSystem {
public:
    ~FakeProcesses() override { EXPECT_TRUE(open.empty()) << open.size() << " process handles left open"; }

    FakeProcess& Add(std::uint32_t pid, FakeProcess process = {}) {
        order.push_back(pid);
        return table[pid] = process;
    }
    // The process exits: its id is free for the system to give again.
    void Remove(std::uint32_t pid) {
        table.erase(pid);
        order.erase(std::find(order.begin(), order.end(), pid));
    }

    // ProcessInspector
    std::vector<std::uint32_t> EnumerateProcessIds(std::size_t capacity) override {
        requestedCapacity = capacity;
        return order;  // more than asked for: the caller must keep to its cap
    }
    std::uintptr_t OpenProcess(std::uint32_t access, bool, std::uint32_t pid) override {
        opens.push_back({pid, access});
        const auto found = table.find(pid);
        if (found == table.end() || !Allows(found->second, access))
            return 0;
        const std::uintptr_t handle = nextHandle++;
        open[handle] = pid;
        return handle;
    }
    void CloseProcess(std::uintptr_t process) override {
        EXPECT_EQ(open.erase(process), 1u) << "closed a handle that was not open";
    }
    std::size_t FirstModule(std::uintptr_t process, Module& first) override {
        first = 0x400000;
        return Of(process).hasModules ? 8 : 0;
    }
    std::string ModuleFileName(std::uintptr_t process, Module) override { return Of(process).path; }
    std::string ModuleBaseName(std::uintptr_t process, Module) override { return Of(process).name; }
    std::optional<std::uint64_t> WorkingSetSize(std::uintptr_t process) override { return Of(process).workingSet; }
    std::optional<std::uint64_t> CommittedBytes(std::uintptr_t process) override { return Of(process).committed; }
    std::optional<std::uint64_t> CreationTime(std::uintptr_t process) override { return Of(process).creationTime; }
    std::optional<std::string> SystemDirectory() override {
        ++systemDirectoryAsked;
        return systemDirectory;
    }
    bool TerminateProcess(std::uintptr_t process, std::uint32_t exitCode) override {
        const std::uint32_t pid = open.at(process);
        if (!table.at(pid).terminable)
            return false;
        terminated.push_back({pid, exitCode});
        Remove(pid);
        return true;
    }

    // ProcessSystem (the trim)
    std::optional<std::vector<ProcessFacts>> SnapshotProcesses() override {
        std::vector<ProcessFacts> processes;
        for (std::uint32_t pid : order)
            processes.push_back({pid, table.at(pid).parentId, table.at(pid).name});
        return processes;
    }
    std::string ImagePath(std::uintptr_t process) override { return Of(process).path; }
    std::optional<ProcessUse> ReadUse(std::uint32_t pid) override {
        const auto found = table.find(pid);
        if (found == table.end() || !found->second.queryAccess)
            return std::nullopt;
        return ProcessUse{found->second.creationTime.value_or(0), found->second.processorTime, found->second.committed};
    }
    std::uint32_t ForegroundProcessId() override { return foreground; }
    bool SetWorkingSetSize(std::uintptr_t process, std::size_t, std::size_t) override {
        trimmed.push_back(open.at(process));
        return true;
    }
    bool EmptyProcessWorkingSet(std::uintptr_t) override { return true; }

    struct Open {
        std::uint32_t pid;
        std::uint32_t access;
        bool operator==(const Open&) const = default;
    };
    std::map<std::uint32_t, FakeProcess> table;
    std::vector<std::uint32_t> order;
    std::optional<std::string> systemDirectory = "C:\\WINDOWS\\system32";
    int systemDirectoryAsked = 0;
    std::size_t requestedCapacity = 0;
    std::vector<Open> opens;
    std::map<std::uintptr_t, std::uint32_t> open;
    std::vector<Open> terminated;  // pid and exit code
    std::vector<std::uint32_t> trimmed;
    std::uint32_t foreground = 0;

private:
    static bool Allows(const FakeProcess& process, std::uint32_t access) {
        if (access == kProcessAllAccess)
            return process.fullAccess;
        if (access == kProcessQueryAndRead)
            return process.queryAccess;
        if (access == (kProcessTerminate | kProcessQueryLimited))
            return process.terminateAccess;
        return process.queryAccess;  // the trim's rights
    }
    FakeProcess& Of(std::uintptr_t process) { return table.at(open.at(process)); }

    std::uintptr_t nextHandle = 100;
};

// Like the shell's image list, the index follows from the extension alone:
// here, the characters after the last dot counted (0 without one), so tests
// can tell which extension was asked.
class FakeIcons : public IconIndexSource {
public:
    int IconIndex(const std::string& path) override {
        asked.push_back(path);
        return IndexOf(path);
    }
    static int IndexOf(const std::string& path) {
        const std::size_t name = path.find_last_of("\\/");
        const std::size_t dot = path.rfind('.');
        const bool none = dot == std::string::npos || (name != std::string::npos && dot < name);
        return none ? 0 : static_cast<int>(path.size() - dot - 1);
    }
    std::vector<std::string> asked;
};

}  // namespace qmo::testing
