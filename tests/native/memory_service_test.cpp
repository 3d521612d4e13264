#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <vector>

#include "fake_memory_service.h"
#include "fake_settings_stores.h"
#include "optimizer/memory_service.h"

namespace qmo {
namespace {

using testing::ExpectedPositions;

constexpr std::int64_t kMiB = 1024 * 1024;

MemoryReading InUse(std::int64_t mib, std::optional<std::uint32_t> pageFaults = std::nullopt) {
    MemoryReading reading = testing::ListsReading();
    reading.inUse = mib * kMiB;
    reading.pageFaults = pageFaults;
    return reading;
}

// Remembers what the service told it.
class RecordingListener : public RunListener {
public:
    void RunRecorded(const RunRecord& record) override { recorded.push_back(record); }
    void LateSampleRecorded(const RunRecord& record, LateSample sample) override {
        late.push_back(sample);
        lastLate = record;
    }
    std::vector<RunRecord> recorded;
    std::vector<LateSample> late;
    RunRecord lastLate;
};

class MemoryServiceTest : public ::testing::Test {
protected:
    void SetUp() override {
        memory.service.SetListener(&listener);
        memory.service.SetEventLog(&events);
    }

    testing::FakeMemoryService memory;
    MemoryService& service = memory.service;
    RecordingListener listener;
    testing::RecordingEventLog events;
};

// The reads of a visible run with the standby list chosen, in order: before
// the run, around the trim, around the sweep, around the purge, after the run.
TEST_F(MemoryServiceTest, AVisibleRunTrimsSweepsThenCleansTheChosenAreasAndAccountsForEach) {
    memory.processes.snapshot = std::vector<std::uint32_t>{4, 8, 15};
    memory.processes.unopenable = {8};
    MemoryReading purgedBefore = InUse(650);
    MemoryReading purgedAfter = InUse(650);
    purgedAfter.standby = *purgedBefore.standby - 300 * kMiB;
    memory.reader.queued = {InUse(900), InUse(900), InUse(700), InUse(700), InUse(650), purgedBefore, purgedAfter,
                            InUse(600)};
    MemoryAreaChoices areas;
    areas.standbyList = StandbyListChoice::All;

    ASSERT_TRUE(service.BeginRun(RunTrigger::Page, areas));
    memory.clock.steadyMs += 1234;
    service.Work(memory.heap, false);
    const RunRecord* record = service.EndRun();
    service.CloseRun();

    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record->trigger, RunTrigger::Page);
    EXPECT_EQ(record->inUseBefore, 900 * kMiB);
    EXPECT_EQ(record->freed, 300 * kMiB);
    EXPECT_EQ(ResultOf(record->areas, MemoryArea::WorkingSets).effectBytes, 200 * kMiB);
    EXPECT_EQ(ResultOf(record->areas, MemoryArea::Sweep).effectBytes, 50 * kMiB);
    EXPECT_EQ(ResultOf(record->areas, MemoryArea::StandbyList).outcome, AreaOutcome::Done);
    EXPECT_EQ(ResultOf(record->areas, MemoryArea::StandbyList).effectBytes, 300 * kMiB);
    EXPECT_EQ(ResultOf(record->areas, MemoryArea::SystemCache).outcome, AreaOutcome::NotChosen);
    EXPECT_EQ(memory.areaCalls.CountOf("list 4"), 1);
    EXPECT_EQ(record->processesTrimmed, 2);
    EXPECT_EQ(record->processesSkipped, 1);
    EXPECT_EQ(record->durationMs, 1234);
    EXPECT_EQ(record->startedUnixSeconds, memory.clock.unixSeconds + 5);
    EXPECT_EQ(record->utcOffsetMinutes, 60);
    EXPECT_EQ(memory.heap.positions, ExpectedPositions());
    EXPECT_TRUE(memory.reader.queued.empty()) << "every reading was taken";
    ASSERT_EQ(memory.history.Records().size(), 1u);
    EXPECT_EQ(memory.history.Records().back(), *record);
    ASSERT_EQ(listener.recorded.size(), 1u);
    EXPECT_EQ(memory.timers.pending, (std::map<LateSample, std::uint32_t>{{LateSample::First, 30000},
                                                                           {LateSample::Second, 300000}}));
    EXPECT_FALSE(service.Busy());
}

// Processes 1 to 7: 3 owns the foreground window and started 4, which started
// 5; 6 is busy, 7 is excluded by name and 2 by path; 1 is idle.
class AutomaticRunTest : public MemoryServiceTest {
protected:
    void SetUp() override {
        MemoryServiceTest::SetUp();
        auto& processes = memory.processes;
        processes.snapshot = std::vector<std::uint32_t>{1, 2, 3, 4, 5, 6, 7};
        processes.parents = {{4, 3}, {5, 4}};
        processes.names[7] = "Game.EXE";
        processes.paths[2] = "C:\\Tools\\sync.exe";
        processes.foreground = 3;
        for (std::uint32_t id = 1; id <= 7; ++id)
            processes.uses[id] = ProcessUse{id, 0, std::nullopt};
        choices.exclusions = {"game.exe", "c:\\tools\\*"};
    }
    // A minute of processor time passes: 6 uses 2 % of a processor, the others nothing.
    void AMinutePasses() {
        service.NoteProcessorUse();
        memory.clock.steadyMs += 60000;
        memory.processes.uses[6].processorTime += 60000 * 10000 / 50;
    }
    std::vector<std::uint32_t> Trimmed() const {
        std::vector<std::uint32_t> trimmed;
        for (const std::string& call : memory.processes.calls)
            if (call.starts_with("limits "))
                trimmed.push_back(memory.processes.openedIds.at(std::stoul(call.substr(7))));
        return trimmed;
    }
    RunChoices choices;
};

TEST_F(AutomaticRunTest, LeavesTheForegroundTreeTheBusyAndTheExcludedAloneAndCountsThem) {
    AMinutePasses();
    const std::optional<RunRecord> record = service.RunWithoutWindow(RunTrigger::Automatic, choices);
    ASSERT_TRUE(record);
    EXPECT_EQ(Trimmed(), std::vector<std::uint32_t>{1});
    EXPECT_EQ(record->processesTrimmed, 1);
    EXPECT_EQ(record->processesExcluded, 2);
    EXPECT_EQ(record->processesInUse, 4);
    EXPECT_EQ(memory.history.Records().back().processesInUse, 4);
}

TEST_F(AutomaticRunTest, ARunByHandLeavesOnlyTheExcludedAlone) {
    AMinutePasses();
    const std::optional<RunRecord> record = service.RunWithoutWindow(RunTrigger::CommandLine, choices);
    ASSERT_TRUE(record);
    EXPECT_EQ(Trimmed(), (std::vector<std::uint32_t>{1, 3, 4, 5, 6}));
    EXPECT_EQ(record->processesExcluded, 2);
    EXPECT_EQ(record->processesInUse, 0);
}

TEST_F(AutomaticRunTest, WithoutANoteOldEnoughOrTimesToReadNothingIsTakenForIdle) {
    const std::optional<RunRecord> first = service.RunWithoutWindow(RunTrigger::Automatic, choices);
    ASSERT_TRUE(first);
    EXPECT_TRUE(Trimmed().empty()) << "no note taken yet";
    AMinutePasses();
    memory.processes.uses.erase(1);  // protected: its times cannot be read
    memory.processes.calls.clear();
    const std::optional<RunRecord> second = service.RunWithoutWindow(RunTrigger::Automatic, choices);
    ASSERT_TRUE(second);
    EXPECT_TRUE(Trimmed().empty());
    EXPECT_EQ(second->processesInUse, 5);
}

// Free memory and the standby list as the lists show them before the run.
MemoryReading ListsShowing(std::int64_t freeMiB, std::int64_t standbyMiB) {
    MemoryReading reading = InUse(900);
    reading.free = freeMiB * kMiB;
    reading.standby = standbyMiB * kMiB;
    return reading;
}

TEST_F(AutomaticRunTest, EmptiesTheStandbyListOnlyWhenMemoryIsShortAndNotTwiceInFiveMinutes) {
    choices.areas.standbyList = StandbyListChoice::All;
    service.SetLateSampleDelays({3600000, 3600000});  // no late sample takes a reading meant for a run
    struct Case {
        std::int64_t freeMiB, standbyMiB, minutesLater;
        AreaOutcome outcome;
    };
    const std::vector<Case> cases{
        {600, 4000, 0, AreaOutcome::NotNeeded},  // free memory not below 512 MB
        {400, 900, 0, AreaOutcome::NotNeeded},   // the list not above 1 GB
        {400, 1100, 0, AreaOutcome::Done},
        {300, 2000, 4, AreaOutcome::NotNeeded},  // the last purge four minutes ago
        {300, 2000, 1, AreaOutcome::Done},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.freeMiB) + " MiB free, " + std::to_string(c.standbyMiB) + " MiB standby");
        memory.clock.steadyMs += static_cast<std::uint64_t>(c.minutesLater) * 60000;
        MemoryReading after = ListsShowing(c.freeMiB, c.standbyMiB - 100);
        memory.reader.queued = {ListsShowing(c.freeMiB, c.standbyMiB), InUse(900), InUse(900),
                                ListsShowing(c.freeMiB, c.standbyMiB), after, InUse(900)};
        const std::optional<RunRecord> record = service.RunWithoutWindow(RunTrigger::Automatic, choices);
        ASSERT_TRUE(record);
        EXPECT_EQ(ResultOf(record->areas, MemoryArea::StandbyList).outcome, c.outcome);
    }
    EXPECT_EQ(memory.areaCalls.CountOf("list 4"), 2);
    memory.reader.queued = {ListsShowing(600, 100)};
    service.RunWithoutWindow(RunTrigger::Menu, choices);
    EXPECT_EQ(memory.areaCalls.CountOf("list 4"), 3) << "a run by hand does what was chosen";
}

TEST_F(MemoryServiceTest, ASilentRunTrimsOnlyWithoutProgressOrAllocation) {
    memory.processes.snapshot = std::vector<std::uint32_t>{1, 2};
    const std::optional<RunRecord> record = service.RunWithoutWindow(RunTrigger::CommandLine, MemoryAreaChoices{});
    ASSERT_TRUE(record);
    EXPECT_TRUE(memory.heap.events.empty());
    EXPECT_EQ(ResultOf(record->areas, MemoryArea::Sweep).outcome, AreaOutcome::NotChosen);
    EXPECT_EQ(record->processesTrimmed, 2);
    EXPECT_TRUE(memory.areaCalls.calls.empty()) << "no area chosen, no system call";
}

TEST_F(MemoryServiceTest, AFailedSnapshotIsAFailedTrimAndTheSweepStillRuns) {
    memory.processes.snapshot.reset();
    ASSERT_TRUE(service.BeginRun(RunTrigger::Menu, MemoryAreaChoices{}));
    service.Work(memory.heap, false);
    const RunRecord* record = service.EndRun();
    ASSERT_NE(record, nullptr);
    const AreaResult& trim = ResultOf(record->areas, MemoryArea::WorkingSets);
    EXPECT_EQ(trim.outcome, AreaOutcome::Failed);
    EXPECT_FALSE(trim.statusText.empty());
    EXPECT_EQ(memory.heap.positions, ExpectedPositions());
    EXPECT_EQ(ResultOf(record->areas, MemoryArea::Sweep).outcome, AreaOutcome::Done);
    ASSERT_EQ(events.entries.size(), 1u);
    EXPECT_EQ(events.entries[0].event, ProgramEvent::RunAreaFailed);
    EXPECT_EQ(events.entries[0].inserts[0], "menu");
    EXPECT_EQ(events.entries[0].inserts[1].rfind("working sets: failed (", 0), 0u) << events.entries[0].inserts[1];
    EXPECT_NE(events.entries[0].inserts[1].find("; sweep: "), std::string::npos) << events.entries[0].inserts[1];
}

// More in use after the run than before is kept as it was measured; unknown
// readings leave the figures unknown rather than zero.
TEST_F(MemoryServiceTest, WhatARunFreedIsSignedAndUnknownWhenMemoryCannotBeRead) {
    memory.reader.queued = {InUse(500), InUse(500), InUse(520), InUse(520)};
    std::optional<RunRecord> record = service.RunWithoutWindow(RunTrigger::Automatic, MemoryAreaChoices{});
    ASSERT_TRUE(record);
    EXPECT_EQ(record->freed, -20 * kMiB);
    EXPECT_EQ(ResultOf(record->areas, MemoryArea::WorkingSets).effectBytes, -20 * kMiB);

    memory.reader.current = MemoryReading{};
    record = service.RunWithoutWindow(RunTrigger::Automatic, MemoryAreaChoices{});
    ASSERT_TRUE(record);
    EXPECT_EQ(record->inUseBefore, std::nullopt);
    EXPECT_EQ(record->freed, std::nullopt);
    EXPECT_EQ(ResultOf(record->areas, MemoryArea::WorkingSets).outcome, AreaOutcome::AcceptedNotMeasured);
}

TEST_F(MemoryServiceTest, OneRunAtATimeWhicheverDoorItCameThrough) {
    EXPECT_EQ(service.EndRun(), nullptr) << "nothing began";
    ASSERT_TRUE(service.BeginRun(RunTrigger::Tray, MemoryAreaChoices{}));
    EXPECT_FALSE(service.BeginRun(RunTrigger::Menu, MemoryAreaChoices{}));
    EXPECT_EQ(service.RunWithoutWindow(RunTrigger::Automatic, MemoryAreaChoices{}), std::nullopt);
    EXPECT_FALSE(service.OptimizeProcess(42));
    EXPECT_NE(service.EndRun(), nullptr);
    EXPECT_EQ(service.EndRun(), nullptr) << "each run ends once";
    EXPECT_TRUE(service.Busy()) << "until the dialog has closed";
    EXPECT_FALSE(service.BeginRun(RunTrigger::Menu, MemoryAreaChoices{}));
    service.CloseRun();
    EXPECT_TRUE(service.OptimizeProcess(42));
    memory.processes.unopenable = {43};
    EXPECT_FALSE(service.OptimizeProcess(43));
    ASSERT_EQ(memory.history.Records().size(), 3u);
    const RunRecord& refused = memory.history.Records().back();
    EXPECT_EQ(refused.trigger, RunTrigger::Selected);
    EXPECT_EQ(ResultOf(refused.areas, MemoryArea::WorkingSets).outcome, AreaOutcome::Failed);
    EXPECT_EQ(refused.processesSkipped, 1);
    EXPECT_EQ(ResultOf(refused.areas, MemoryArea::Sweep).outcome, AreaOutcome::NotChosen);
}

TEST_F(MemoryServiceTest, TheLateSamplesFillTheRunsRowInPlaceAndAMadeUpEarlyTickIsIgnored) {
    memory.reader.current = InUse(600, 0xFFFFFFF0u);
    service.RunWithoutWindow(RunTrigger::Hotkey, MemoryAreaChoices{});
    const int writes = memory.store.writes;
    ASSERT_EQ(events.entries.size(), 1u);
    EXPECT_EQ(events.entries[0].event, ProgramEvent::RunDone);
    EXPECT_EQ(events.entries[0].inserts, (std::vector<std::string>{"hotkey", "working sets: freed 0 MiB", "0 MiB"}));

    service.LateSampleDue(LateSample::First);  // long before its time: not the system's timer
    EXPECT_EQ(memory.history.Records().back().backAfterFirstSample, std::nullopt);

    memory.clock.steadyMs += 30000;
    memory.reader.current = InUse(700, 0x10u);
    service.LateSampleDue(LateSample::First);
    EXPECT_EQ(memory.history.Records().back().backAfterFirstSample, 100 * kMiB);
    EXPECT_EQ(memory.store.writes, writes + 1);
    EXPECT_EQ(memory.timers.pending.count(LateSample::First), 0u);
    service.LateSampleDue(LateSample::First);
    EXPECT_EQ(memory.store.writes, writes + 1) << "each sample once";

    memory.clock.steadyMs += 270000;
    memory.reader.current = InUse(550, 0x30u);
    service.LateSampleDue(LateSample::Second);
    const RunRecord& row = memory.history.Records().back();
    EXPECT_EQ(row.backAfterSecondSample, -50 * kMiB) << "less in use than right after the run";
    EXPECT_EQ(row.pageFaultsBySecondSample, 0x40) << "the system's count wrapped";
    EXPECT_EQ(listener.late, (std::vector<LateSample>{LateSample::First, LateSample::Second}));
    EXPECT_EQ(listener.lastLate, row);
    EXPECT_EQ(service.LastRun(), row);
    // One event for the run, one for its rebound once the last sample is in; none for the made-up ticks.
    ASSERT_EQ(events.entries.size(), 2u);
    EXPECT_EQ(events.entries[1].event, ProgramEvent::Rebound);
    EXPECT_EQ(events.entries[1].inserts,
              (std::vector<std::string>{FormatStartedTime(row), "-50 MiB", "5 minutes"}));
    service.LateSampleDue(LateSample::Second);
    EXPECT_EQ(events.entries.size(), 2u);
}

// A new run changes what a pending sample would measure: one due within a
// second is taken as the run starts, a later one is dropped with its timer.
TEST_F(MemoryServiceTest, ANewRunTakesASampleThatIsDueAndDropsOneThatIsNot) {
    service.RunWithoutWindow(RunTrigger::Automatic, MemoryAreaChoices{});
    memory.clock.steadyMs += 30000;
    service.LateSampleDue(LateSample::First);
    memory.clock.steadyMs += 269500;  // the next automatic run, half a second before the second sample
    service.RunWithoutWindow(RunTrigger::Automatic, MemoryAreaChoices{});
    ASSERT_EQ(memory.history.Records().size(), 2u);
    EXPECT_TRUE(memory.history.Records().front().backAfterSecondSample.has_value());

    memory.clock.steadyMs += 10000;
    service.BeginRun(RunTrigger::Menu, MemoryAreaChoices{});
    const RunRecord& second = memory.history.Records().back();
    EXPECT_EQ(second.backAfterFirstSample, std::nullopt);
    EXPECT_EQ(second.backAfterSecondSample, std::nullopt);
    EXPECT_TRUE(memory.timers.pending.empty());
    memory.clock.steadyMs += 300000;
    service.LateSampleDue(LateSample::Second);
    EXPECT_EQ(memory.history.Records().back().backAfterSecondSample, std::nullopt) << "dropped for good";
}

TEST(LateSampleDelays, HiddenValuesShortenThemWithinTheirRangeAndAnythingElseKeepsTheDefaults) {
    testing::FakeProfile profile;
    EXPECT_EQ(ReadLateSampleDelays(profile).firstMs, 30000u);
    EXPECT_EQ(ReadLateSampleDelays(profile).secondMs, 300000u);
    profile.SetInt("ReboundFirstSampleMs", 1000);
    profile.SetInt("ReboundSecondSampleMs", 3600000);
    EXPECT_EQ(ReadLateSampleDelays(profile).firstMs, 1000u);
    EXPECT_EQ(ReadLateSampleDelays(profile).secondMs, 3600000u);
    for (int bad : {0, 999, -1, 3600001}) {
        profile.SetInt("ReboundFirstSampleMs", bad);
        EXPECT_EQ(ReadLateSampleDelays(profile).firstMs, 30000u) << bad;
    }
}

}  // namespace
}  // namespace qmo
