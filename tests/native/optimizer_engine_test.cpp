#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "optimizer/freed_memory.h"
#include "optimizer/optimizer_engine.h"

namespace qmo {
namespace {

// Remembers every call; processes listed in `unopenable` cannot be opened.
class FakeProcessSystem : public ProcessSystem {
public:
    std::optional<std::vector<std::uint32_t>> SnapshotProcessIds() override {
        calls.push_back("snapshot");
        return snapshot;
    }
    Handle OpenProcess(std::uint32_t access, bool inheritHandle, std::uint32_t processId) override {
        calls.push_back("open " + std::to_string(processId));
        accesses.push_back(access);
        inherited = inherited || inheritHandle;
        if (unopenable.count(processId))
            return 0;
        const Handle handle = nextHandle++;
        open.insert(handle);
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
    std::set<std::uint32_t> unopenable;
    bool failTrims = false;
    std::vector<std::string> calls;
    std::vector<std::uint32_t> accesses;
    std::vector<std::pair<std::size_t, std::size_t>> limits;
    std::set<Handle> open;
    bool inherited = false;
    Handle nextHandle = 100;
};

using Calls = std::vector<std::string>;

TEST(TrimProcess, OpensWithTheTrimRightsThenSetsLimitsThenEmptiesThenCloses) {
    FakeProcessSystem system;
    EXPECT_TRUE(TrimProcessWorkingSet(system, 4242));
    EXPECT_EQ(system.calls, (Calls{"open 4242", "limits 100", "empty 100", "close 100"}));
    EXPECT_EQ(system.accesses, std::vector<std::uint32_t>{0x0518u});
    EXPECT_FALSE(system.inherited);
    ASSERT_EQ(system.limits.size(), 1u);
    EXPECT_EQ(system.limits[0].first, static_cast<std::size_t>(-1));
    EXPECT_EQ(system.limits[0].second, static_cast<std::size_t>(-1));
}

TEST(TrimProcess, UnopenableProcessMakesNoTrimCall) {
    FakeProcessSystem system;
    system.unopenable = {0};
    EXPECT_FALSE(TrimProcessWorkingSet(system, 0));
    EXPECT_EQ(system.calls, Calls{"open 0"});
}

TEST(TrimProcess, FailingTrimCallsStillCloseAndCountAsDone) {
    FakeProcessSystem system;
    system.failTrims = true;  // the process exited between open and trim
    EXPECT_TRUE(TrimProcessWorkingSet(system, 7));
    EXPECT_EQ(system.calls, (Calls{"open 7", "limits 100", "empty 100", "close 100"}));
    EXPECT_TRUE(system.open.empty());
}

TEST(TrimAll, VisitsEveryEntryIncludingIdleAndOwnAndGoesOnPastFailures) {
    FakeProcessSystem system;
    system.snapshot = std::vector<std::uint32_t>{0, 4, 1234, 99, 4};
    system.unopenable = {0, 4, 99};
    TrimAllWorkingSets(system);
    EXPECT_EQ(system.calls, (Calls{"snapshot", "open 0", "open 4", "open 1234", "limits 100", "empty 100",
                                   "close 100", "open 99", "open 4"}));
    EXPECT_TRUE(system.open.empty());
}

TEST(TrimAll, FailedSnapshotTrimsNothing) {
    FakeProcessSystem system;
    system.snapshot.reset();
    TrimAllWorkingSets(system);
    EXPECT_EQ(system.calls, Calls{"snapshot"});
}

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

std::vector<int> ExpectedPositions() {
    std::vector<int> positions;
    for (int k = 0; k < 20; ++k)
        positions.push_back(5 * k);
    for (int k = 0; k < 20; ++k)
        positions.push_back(6 * k);
    return positions;
}

TEST(Sweep, HoldsAllTwentyBlocksBeforeReleasingAndMinimizesAfterEachRelease) {
    RecordingHeap heap;
    SweepTable table{};
    SweepPhysicalMemory(heap, heap, table);
    EXPECT_EQ(heap.positions, ExpectedPositions());

    std::vector<std::string> expected;
    for (int k = 0; k < 20; ++k)
        expected.insert(expected.end(), {"pos", "alloc"});
    for (int k = 0; k < 20; ++k)
        expected.insert(expected.end(), {"pos", "free", "min"});
    EXPECT_EQ(heap.events, expected);
    EXPECT_TRUE(heap.live.empty());
}

TEST(Sweep, EveryAllocationFailingStillSendsAllFortyPositionsAndFreesNothing) {
    RecordingHeap heap;
    heap.failAll = true;
    SweepTable table{};
    SweepPhysicalMemory(heap, heap, table);
    EXPECT_EQ(heap.positions, ExpectedPositions());
    EXPECT_EQ(std::count(heap.events.begin(), heap.events.end(), "free"), 0);
    EXPECT_EQ(std::count(heap.events.begin(), heap.events.end(), "min"), 20);
}

TEST(Sweep, ASingleFailedBlockIsSkippedWhateverItsPosition) {
    for (int failing : {0, 7, 19}) {
        RecordingHeap heap;
        heap.failAt = {failing};
        SweepTable table{};
        SweepPhysicalMemory(heap, heap, table);
        EXPECT_EQ(heap.positions, ExpectedPositions()) << failing;
        EXPECT_EQ(std::count(heap.events.begin(), heap.events.end(), "free"), 19) << failing;
        EXPECT_TRUE(heap.live.empty());
    }
}

TEST(Sweep, TwoSweepsReuseTheTableWithoutFreeingAnythingTwice) {
    RecordingHeap heap;
    SweepTable table{};
    SweepPhysicalMemory(heap, heap, table);
    heap.failAt = {20, 25, 39};  // blocks 0, 5 and 19 of the second sweep
    SweepPhysicalMemory(heap, heap, table);
    EXPECT_EQ(std::count(heap.events.begin(), heap.events.end(), "free"), 37);
    EXPECT_TRUE(heap.live.empty());
}

TEST(Sweep, ASecondSweepWhileOneRunsIsRefusedAndTouchesNoneOfItsBlocks) {
    for (int askedAt : {0, 19, 25}) {  // the n-th position: allocating, nearly all held, releasing
        RecordingHeap first;
        RecordingHeap second;
        SweepTable table{};
        bool secondRan = true;
        int seen = 0;
        first.onPosition = [&](int) {
            if (seen++ == askedAt)
                secondRan = SweepPhysicalMemory(second, second, table);
        };
        EXPECT_TRUE(SweepPhysicalMemory(first, first, table));
        EXPECT_FALSE(secondRan) << askedAt;
        EXPECT_TRUE(second.events.empty()) << askedAt;
        EXPECT_EQ(std::count(first.events.begin(), first.events.end(), "free"), 20) << askedAt;
        EXPECT_TRUE(first.live.empty()) << askedAt;
        first.onPosition = nullptr;
        EXPECT_TRUE(SweepPhysicalMemory(second, second, table)) << "the table is free again";
    }
}

TEST(OptimizeSystem, SilentTrimsOnlyWithoutProgressOrAllocation) {
    FakeProcessSystem system;
    system.snapshot = std::vector<std::uint32_t>{1, 2};
    RecordingHeap heap;
    OptimizeSystemMemory(heap, true, system, heap);
    EXPECT_TRUE(heap.events.empty());
    EXPECT_EQ(std::count(system.calls.begin(), system.calls.end(), "snapshot"), 1);
    EXPECT_EQ(system.open.size(), 0u);
}

TEST(OptimizeSystem, NormalTrimsFirstThenSweepsEvenWhenTheSnapshotFails) {
    FakeProcessSystem system;
    system.snapshot.reset();
    RecordingHeap heap;
    OptimizeSystemMemory(heap, false, system, heap);
    EXPECT_EQ(system.calls, Calls{"snapshot"});
    EXPECT_EQ(heap.positions, ExpectedPositions());
}

constexpr std::uint64_t kMiB = 1024 * 1024;

// Answers each read with the next reading; nothing when they run out or a reading is missing.
class ScriptedMemory : public PhysicalMemorySource {
public:
    explicit ScriptedMemory(std::vector<std::optional<std::uint64_t>> readings) : m_readings(std::move(readings)) {}
    std::optional<std::uint64_t> BytesInUse() override {
        return m_next < m_readings.size() ? m_readings[m_next++] : std::nullopt;
    }

private:
    std::vector<std::optional<std::uint64_t>> m_readings;
    std::size_t m_next = 0;
};

TEST(Freed, TheDropInUseNeverNegativeAndUnknownWhenEitherReadingIs) {
    constexpr std::uint64_t kTop = UINT64_MAX;
    const struct {
        std::optional<std::uint64_t> before, after, freed;
    } cases[] = {
        {900 * kMiB, 488 * kMiB, 412 * kMiB},
        {488 * kMiB, 900 * kMiB, 0},  // more in use afterwards
        {kMiB, kMiB, 0},
        {kTop, 0, kTop},
        {0, kTop, 0},
        {std::nullopt, kMiB, std::nullopt},
        {kMiB, std::nullopt, std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FreedBetween(c.before, c.after), c.freed) << c.before.value_or(0) << " " << c.after.value_or(0);
}

TEST(Freed, WholeMegabytesRoundedDownAndLessThanOneBelowTheFirst) {
    const std::pair<std::uint64_t, const char*> cases[] = {
        {0, "Freed 0 MB"},
        {1, "Freed less than 1 MB"},
        {kMiB - 1, "Freed less than 1 MB"},
        {kMiB, "Freed 1 MB"},
        {2 * kMiB - 1, "Freed 1 MB"},
        {412 * kMiB + kMiB / 2, "Freed 412 MB"},
        {UINT64_MAX, "Freed 17592186044415 MB"},
    };
    for (const auto& [bytes, text] : cases)
        EXPECT_EQ(FreedLine(bytes), text) << bytes;
}

TEST(Freed, TheLastRunLineHasATwentyFourHourClockAndTheAmountOnlyWhenKnown) {
    EXPECT_EQ(LastOptimizedLine(14, 2, 412 * kMiB), "Last optimized 14:02 \xE2\x80\x93 freed 412 MB");
    EXPECT_EQ(LastOptimizedLine(0, 0, 1), "Last optimized 00:00 \xE2\x80\x93 freed less than 1 MB");
    EXPECT_EQ(LastOptimizedLine(23, 59, std::nullopt), "Last optimized 23:59");
}

TEST(Freed, TheMeterReadsAroundOneRunAndEachStartServesOneEnd) {
    FreedMeter meter;
    ScriptedMemory around({900 * kMiB, 488 * kMiB, 700 * kMiB});
    EXPECT_EQ(meter.RunEnded(around), std::nullopt) << "an end without a start reads nothing";
    meter.RunStarting(around);
    EXPECT_EQ(meter.RunEnded(around), 412 * kMiB);
    EXPECT_EQ(meter.RunEnded(around), std::nullopt) << "the start was used up";

    ScriptedMemory failsBefore({std::nullopt, 100 * kMiB});
    meter.RunStarting(failsBefore);
    EXPECT_EQ(meter.RunEnded(failsBefore), std::nullopt);
    ScriptedMemory failsAfter({100 * kMiB, std::nullopt, 50 * kMiB});
    meter.RunStarting(failsAfter);
    EXPECT_EQ(meter.RunEnded(failsAfter), std::nullopt);
    EXPECT_EQ(meter.RunEnded(failsAfter), std::nullopt) << "a failed end still uses up its start";
}

}  // namespace
}  // namespace qmo
