#pragma once
// The optimizer engine's seams in memory: a process system that remembers
// every call, and a sweep heap that hands out real blocks and logs the order
// of events with the progress positions.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "optimizer/optimizer_engine.h"

namespace qmo::testing {

// Remembers every call; processes listed in `unopenable` cannot be opened.
class FakeProcessSystem : public ProcessSystem {
public:
    std::optional<std::vector<ProcessFacts>> SnapshotProcesses() override {
        calls.push_back("snapshot");
        if (!snapshot)
            return std::nullopt;
        std::vector<ProcessFacts> processes;
        for (std::uint32_t id : *snapshot) {
            const auto name = names.find(id);
            processes.push_back({id, parents.contains(id) ? parents.at(id) : 0,
                                 name != names.end() ? name->second : "p" + std::to_string(id) + ".exe"});
        }
        return processes;
    }
    std::string ImagePath(Handle process) override {
        calls.push_back("path " + std::to_string(process));
        const auto path = paths.find(openedIds.at(process));
        return path == paths.end() ? std::string() : path->second;
    }
    std::optional<ProcessUse> ReadUse(std::uint32_t processId) override {
        const auto use = uses.find(processId);
        return use == uses.end() ? std::nullopt : std::optional<ProcessUse>(use->second);
    }
    std::uint32_t ForegroundProcessId() override { return foreground; }
    Handle OpenProcess(std::uint32_t access, bool inheritHandle, std::uint32_t processId) override {
        calls.push_back("open " + std::to_string(processId));
        accesses.push_back(access);
        inherited = inherited || inheritHandle;
        if (unopenable.count(processId))
            return 0;
        const Handle handle = nextHandle++;
        open.insert(handle);
        openedIds[handle] = processId;
        return handle;
    }
    bool SetWorkingSetSize(Handle process, std::size_t minimum, std::size_t maximum) override {
        calls.push_back("limits " + std::to_string(process));
        limits.emplace_back(minimum, maximum);
        return !failTrims;
    }
    bool EmptyProcessWorkingSet(Handle process) override {
        calls.push_back("empty " + std::to_string(process));
        return !failTrims;
    }
    void CloseProcess(Handle process) override {
        calls.push_back("close " + std::to_string(process));
        EXPECT_EQ(open.erase(process), 1u) << "closed a handle that was not open";
    }

    std::optional<std::vector<std::uint32_t>> snapshot = std::vector<std::uint32_t>{};
    std::map<std::uint32_t, std::string> names;  // "p<id>.exe" unless named here
    std::map<std::uint32_t, std::uint32_t> parents;
    std::map<std::uint32_t, std::string> paths;
    std::map<std::uint32_t, ProcessUse> uses;
    std::uint32_t foreground = 0;
    std::set<std::uint32_t> unopenable;
    bool failTrims = false;
    std::vector<std::string> calls;
    std::vector<std::uint32_t> accesses;
    std::vector<std::pair<std::size_t, std::size_t>> limits;
    std::set<Handle> open;
    std::map<Handle, std::uint32_t> openedIds;
    bool inherited = false;
    Handle nextHandle = 100;
};

// Hands out real blocks (so the sweep can fill them) and logs the order of
// events together with the progress positions.
class RecordingHeap : public SweepHeap, public ProgressSink {
public:
    ~RecordingHeap() override {
        for (void* block : live)
            std::free(block);
    }
    void* Allocate(std::size_t size) override {
        events.push_back("alloc");
        if (failAt.count(allocations++) || failAll)
            return nullptr;
        void* block = std::malloc(size);
        std::memset(block, 0xA5, size);
        live.insert(block);
        return block;
    }
    void Free(void* block) override {
        events.push_back("free");
        EXPECT_EQ(live.count(block), 1u) << "freed a block that is not live";
        EXPECT_TRUE(AllZero(block)) << "a block was not touched in full";
        live.erase(block);
        std::free(block);
    }
    void Minimize() override { events.push_back("min"); }
    void SetPosition(int position) override {
        positions.push_back(position);
        events.push_back("pos");
        if (onPosition)
            onPosition(position);
    }
    static bool AllZero(const void* block) {
        const auto* bytes = static_cast<const unsigned char*>(block);
        for (std::size_t i = 0; i < SWEEP_BLOCK_SIZE; i += 4093)
            if (bytes[i])
                return false;
        return bytes[SWEEP_BLOCK_SIZE - 1] == 0;
    }

    std::vector<std::string> events;
    std::vector<int> positions;
    std::set<void*> live;
    std::set<int> failAt;
    bool failAll = false;
    int allocations = 0;
    std::function<void(int)> onPosition;  // e.g. a second run asking meanwhile
};

inline std::vector<int> ExpectedPositions() {
    std::vector<int> positions;
    for (int k = 0; k < 20; ++k)
        positions.push_back(5 * k);
    for (int k = 0; k < 20; ++k)
        positions.push_back(6 * k);
    return positions;
}

}  // namespace qmo::testing
