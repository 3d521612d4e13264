#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

#include "fake_processes.h"
#include "process/snapshot_worker.h"
#include "toolkit/column_fit.h"
#include "process/process_snapshot.h"

namespace qmo {
namespace {

using testing::FakeIcons;
using testing::FakeProcess;
using testing::FakeProcesses;

TEST(ProcessMemoryText, BytesUpToOneKibibyteThenWholeKibibytesRoundedDown) {
    EXPECT_EQ(FormatMemoryText(0), "0 BYTES");
    EXPECT_EQ(FormatMemoryText(1024), "1024 BYTES");
    EXPECT_EQ(FormatMemoryText(1025), "1 K");
    EXPECT_EQ(FormatMemoryText(2047), "1 K");
    EXPECT_EQ(FormatMemoryText(5242880), "5120 K");
}

TEST(ProcessMemoryText, WorkingSetsOfFourGibibytesAndMoreAreNotCutTo32Bits) {
    EXPECT_EQ(FormatMemoryText(5ull << 30), "5242880 K");
}

TEST(ProcessMemoryText, UnreadableCountersGiveAnEmptyCellNotAZero) {
    EXPECT_EQ(FormatMemoryText(std::nullopt), "");
}

TEST(ProcessPath, ObjectManagerPrefixIsRemovedEverywhere) {
    EXPECT_EQ(NormaliseProcessPath("\\??\\C:\\WINDOWS\\system32\\csrss.exe", std::nullopt),
              "C:\\WINDOWS\\system32\\csrss.exe");
    EXPECT_EQ(NormaliseProcessPath("\\??\\C:\\a\\??\\b.exe", std::nullopt), "C:\\ab.exe");
}

TEST(ProcessPath, SystemRootBecomesTheSystemDrivesRootOrCWhenUnknown) {
    EXPECT_EQ(NormaliseProcessPath("\\SystemRoot\\System32\\smss.exe", "C:\\WINDOWS\\system32"),
              "C:\\System32\\smss.exe");
    EXPECT_EQ(NormaliseProcessPath("\\SystemRoot\\System32\\smss.exe", "D:\\WINNT\\system32"),
              "D:\\System32\\smss.exe");
    EXPECT_EQ(NormaliseProcessPath("\\SystemRoot\\System32\\smss.exe", std::nullopt), "c:\\System32\\smss.exe");
    EXPECT_EQ(NormaliseProcessPath("\\SystemRoot\\System32\\smss.exe", ""), "c:\\System32\\smss.exe");
}

TEST(ProcessPath, MarkerInAnotherLetterCaseIsLeftAlone) {
    for (const char* path : {"\\systemroot\\System32\\smss.exe", "\\SYSTEMROOT\\System32\\smss.exe"})
        EXPECT_EQ(NormaliseProcessPath(path, "C:\\WINDOWS\\system32"), path);
}

class ProcessSnapshot : public ::testing::Test {
protected:
    std::vector<ProcessEntry> Snapshot() { return SnapshotProcessRows(processes, icons); }
    static std::vector<std::uint32_t> Pids(const std::vector<ProcessEntry>& rows) {
        std::vector<std::uint32_t> pids;
        for (const ProcessEntry& row : rows)
            pids.push_back(row.pid);
        return pids;
    }

    FakeProcesses processes;
    FakeIcons icons;
};

TEST_F(ProcessSnapshot, RowsStandInTheReverseOrderOfTheIdsAndRepeatUnchanged) {
    for (std::uint32_t pid : {8u, 4u, 20u, 12u})
        processes.Add(pid);
    const auto rows = Snapshot();
    EXPECT_EQ(Pids(rows), (std::vector<std::uint32_t>{12, 20, 4, 8}));
    EXPECT_EQ(Pids(Snapshot()), Pids(rows));
}

TEST_F(ProcessSnapshot, FillsEveryCellOfARowFromTheFirstModule) {
    processes.Add(44, {.path = "\\??\\C:\\Tools\\Edit.exe", .name = "Edit.exe", .workingSet = 3 * 1024 * 1024,
                       .creationTime = 777});
    const auto rows = Snapshot();
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].name, "Edit.exe");
    EXPECT_EQ(rows[0].path, "C:\\Tools\\Edit.exe");
    EXPECT_EQ(rows[0].memoryText, "3072 K");
    EXPECT_EQ(rows[0].pid, 44u);
    EXPECT_EQ(rows[0].creationTime, 777u);
    EXPECT_EQ(icons.asked, std::vector<std::string>{"C:\\Tools\\Edit.exe"});  // the normalised path
    EXPECT_EQ(rows[0].iconIndex, FakeIcons::IndexOf(rows[0].path));
}

TEST_F(ProcessSnapshot, AsksForTheIconOncePerExtension) {
    processes.Add(4, {.path = "C:\\A\\one.exe", .name = "one.exe"});
    processes.Add(8, {.path = "C:\\B\\TWO.EXE", .name = "TWO.EXE"});
    processes.Add(12, {.path = "C:\\x.y\\tool", .name = "tool"});  // a dot in a folder is no extension
    processes.Add(16, {.path = "C:\\C\\host.com", .name = "host.com"});
    const auto rows = Snapshot();
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(icons.asked.size(), 3u);  // .exe once, whatever its case; none; .com
    for (const ProcessEntry& row : rows)
        EXPECT_EQ(row.iconIndex, FakeIcons::IndexOf(row.path)) << row.path;
}

TEST_F(ProcessSnapshot, OnlyTheFirst1024IdsAreConsidered) {
    for (std::uint32_t pid = 1; pid <= 1100; ++pid)
        processes.Add(pid * 4);
    const auto rows = Snapshot();
    EXPECT_EQ(processes.requestedCapacity, kMaxProcessIds);
    ASSERT_EQ(rows.size(), 1024u);
    EXPECT_EQ(rows.front().pid, 1024u * 4);
    EXPECT_EQ(rows.back().pid, 4u);
}

TEST_F(ProcessSnapshot, FallsBackToQueryRightsAndLeavesOutWhatCannotBeOpened) {
    processes.Add(0, {.fullAccess = false, .queryAccess = false});
    processes.Add(4, {.fullAccess = false});
    processes.Add(8);
    const auto rows = Snapshot();
    EXPECT_EQ(Pids(rows), (std::vector<std::uint32_t>{8, 4}));
    using Open = FakeProcesses::Open;
    EXPECT_EQ(processes.opens, (std::vector<Open>{{0, kProcessAllAccess}, {0, kProcessQueryAndRead},
                                                  {4, kProcessAllAccess}, {4, kProcessQueryAndRead},
                                                  {8, kProcessAllAccess}}));
    std::vector<ProcessEntry> none;
    EXPECT_FALSE(AddProcessRow(processes, icons, 0, none));
    EXPECT_TRUE(none.empty());
}

TEST_F(ProcessSnapshot, ProcessesWithoutModulesGetNoRowButCountAsOpened) {
    processes.Add(4, {.hasModules = false});
    processes.Add(8);
    EXPECT_EQ(Pids(Snapshot()), std::vector<std::uint32_t>{8});
    std::vector<ProcessEntry> rows;
    EXPECT_TRUE(AddProcessRow(processes, icons, 4, rows));
    EXPECT_TRUE(rows.empty());
}

TEST_F(ProcessSnapshot, UnreadableCellsStayEmptyAndTheRowIsKept) {
    processes.Add(4, {.path = "", .name = "", .workingSet = std::nullopt});
    const auto rows = Snapshot();
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].name, "");
    EXPECT_EQ(rows[0].path, "");
    EXPECT_EQ(rows[0].memoryText, "");
    EXPECT_FALSE(rows[0].workingSetBytes);
}

TEST_F(ProcessSnapshot, AsksForTheSystemDirectoryOnlyForSystemRootPaths) {
    processes.Add(4, {.path = "\\SystemRoot\\System32\\smss.exe"});
    processes.Add(8, {.path = "\\??\\C:\\WINDOWS\\system32\\csrss.exe"});
    processes.systemDirectory = std::nullopt;
    const auto rows = Snapshot();
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].path, "C:\\WINDOWS\\system32\\csrss.exe");
    EXPECT_EQ(rows[1].path, "c:\\System32\\smss.exe");
    EXPECT_EQ(processes.systemDirectoryAsked, 1);
}

TEST(ColumnFit, EqualSharesByIntegerDivisionAndNothingBelowZero) {
    EXPECT_EQ(EqualColumnWidths(900, 3), (std::vector<int>{300, 300, 300}));
    EXPECT_EQ(EqualColumnWidths(883, 3), (std::vector<int>{294, 294, 294}));
    EXPECT_EQ(EqualColumnWidths(-5, 3), (std::vector<int>{0, 0, 0}));
    EXPECT_TRUE(EqualColumnWidths(500, 0).empty());
}


// --- The snapshot worker -----------------------------------------------------

// A snapshot that waits at a gate the test opens, numbering its results.
class GatedSnapshots {
public:
    std::vector<ProcessEntry> Take() {
        std::unique_lock lock(m_mutex);
        const int number = ++m_started;
        m_changed.notify_all();
        m_changed.wait_for(lock, std::chrono::seconds(10), [&] { return m_opened >= number; });
        ProcessEntry row;
        row.pid = static_cast<std::uint32_t>(number);
        return {row};
    }
    bool WaitStarted(int count) {
        std::unique_lock lock(m_mutex);
        return m_changed.wait_for(lock, std::chrono::seconds(10), [&] { return m_started >= count; });
    }
    void Open(int count) {
        std::lock_guard lock(m_mutex);
        m_opened = count;
        m_changed.notify_all();
    }
    void Ready() {
        std::lock_guard lock(m_mutex);
        ++m_ready;
        m_changed.notify_all();
    }
    bool WaitReady(int count) {
        std::unique_lock lock(m_mutex);
        return m_changed.wait_for(lock, std::chrono::seconds(10), [&] { return m_ready >= count; });
    }
    int Started() {
        std::lock_guard lock(m_mutex);
        return m_started;
    }
    int ReadyCount() {
        std::lock_guard lock(m_mutex);
        return m_ready;
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    int m_started = 0;
    int m_opened = 0;
    int m_ready = 0;
};

TEST(SnapshotWorker, RequestsDuringASnapshotFoldIntoOneMoreAndOnlyTheNewestIsHandedOver) {
    GatedSnapshots snapshots;
    SnapshotWorker worker([&] { return snapshots.Take(); }, [&] { snapshots.Ready(); });
    EXPECT_FALSE(worker.TakeResult());
    ASSERT_TRUE(worker.Request());
    ASSERT_TRUE(snapshots.WaitStarted(1));
    EXPECT_TRUE(worker.Pending());
    worker.Request();  // the list changed while the first was under way
    worker.Request();
    snapshots.Open(1);
    ASSERT_TRUE(snapshots.WaitStarted(2));
    // A note nobody sent finds nothing: the first result predates the requests.
    EXPECT_FALSE(worker.TakeResult());
    snapshots.Open(2);
    ASSERT_TRUE(snapshots.WaitReady(1));
    EXPECT_EQ(snapshots.Started(), 2);
    auto rows = worker.TakeResult();
    ASSERT_TRUE(rows);
    EXPECT_EQ(rows->front().pid, 2u);
    EXPECT_FALSE(worker.Pending());
    EXPECT_FALSE(worker.TakeResult());  // taken once

    ASSERT_TRUE(worker.Request());  // a later request starts a new worker
    snapshots.Open(3);
    ASSERT_TRUE(snapshots.WaitReady(2));
    EXPECT_EQ(worker.TakeResult()->front().pid, 3u);
}

TEST(SnapshotWorker, GoingAwayMidSnapshotWaitsForItAndSendsNoNote) {
    GatedSnapshots snapshots;
    auto worker = std::make_unique<SnapshotWorker>([&] { return snapshots.Take(); }, [&] { snapshots.Ready(); });
    ASSERT_TRUE(worker->Request());
    ASSERT_TRUE(snapshots.WaitStarted(1));
    worker->Request();
    std::thread opener([&] { snapshots.Open(1); });
    worker.reset();  // the window went: no note, no second snapshot
    opener.join();
    EXPECT_EQ(snapshots.Started(), 1);
    EXPECT_EQ(snapshots.ReadyCount(), 0);
}

}  // namespace
}  // namespace qmo
