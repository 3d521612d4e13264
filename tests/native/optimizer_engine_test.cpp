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

#include "fake_optimizer_system.h"
#include "optimizer/freed_memory.h"
#include "optimizer/optimizer_engine.h"

namespace qmo {
namespace {

using testing::ExpectedPositions;
using testing::FakeProcessSystem;
using testing::RecordingHeap;

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
    const std::optional<TrimCount> count = TrimAllWorkingSets(system);
    ASSERT_TRUE(count);
    EXPECT_EQ(count->trimmed, 1);
    EXPECT_EQ(count->skipped, 4);
    EXPECT_EQ(system.calls, (Calls{"snapshot", "open 0", "open 4", "open 1234", "limits 100", "empty 100",
                                   "close 100", "open 99", "open 4"}));
    EXPECT_TRUE(system.open.empty());
}

TEST(TrimAll, FailedSnapshotTrimsNothing) {
    FakeProcessSystem system;
    system.snapshot.reset();
    EXPECT_EQ(TrimAllWorkingSets(system), std::nullopt);
    EXPECT_EQ(system.calls, Calls{"snapshot"});
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

constexpr std::uint64_t kMiB = 1024 * 1024;

TEST(Freed, ARunThatLeftMoreInUseShowsAsNothingFreedAndUnknownStaysUnknown) {
    EXPECT_EQ(FreedToShow(412 * static_cast<std::int64_t>(kMiB)), 412 * kMiB);
    EXPECT_EQ(FreedToShow(-5), 0u);
    EXPECT_EQ(FreedToShow(INT64_MIN), 0u);
    EXPECT_EQ(FreedToShow(INT64_MAX), static_cast<std::uint64_t>(INT64_MAX));
    EXPECT_EQ(FreedToShow(std::nullopt), std::nullopt);
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

TEST(Freed, TheReboundSaysWhatCameBackAfterItsDelayAndNothingWhenLessIsInUse) {
    const std::int64_t mib = static_cast<std::int64_t>(kMiB);
    EXPECT_EQ(ReboundLine(300 * mib, 300000), "300 MB back after 5 min");
    EXPECT_EQ(ReboundLine(1, 30000), "less than 1 MB back after 30 s");
    EXPECT_EQ(ReboundLine(0, 30000), "nothing back after 30 s");
    EXPECT_EQ(ReboundLine(-40 * mib, 90000), "nothing back after 1 min") << "more freed since: nothing came back";
    EXPECT_EQ(ReboundLine(INT64_MIN, 1000), "nothing back after 1 s");
}

}  // namespace
}  // namespace qmo
