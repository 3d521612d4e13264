#include <gtest/gtest.h>

#include <cctype>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "fake_memory_service.h"
#include "history/history_rows.h"
#include "optimizer/run_history.h"

namespace qmo {
namespace {

using testing::MemoryHistoryStore;

constexpr std::int64_t kMiB = 1024 * 1024;

// A run with every kind of result and figure.
RunRecord FullRecord() {
    RunRecord record;
    record.startedUnixSeconds = 1796824925;  // 2026-12-09T14:02:05Z
    record.utcOffsetMinutes = 60;
    record.trigger = RunTrigger::CommandLine;
    ResultOf(record.areas, MemoryArea::WorkingSets) = {AreaOutcome::Done, 0, {}, 412 * kMiB};
    ResultOf(record.areas, MemoryArea::Sweep) = {AreaOutcome::Done, 0, {}, -3 * kMiB};
    ResultOf(record.areas, MemoryArea::SystemCache) = {AreaOutcome::NotAvailable, 0, {}, std::nullopt};
    ResultOf(record.areas, MemoryArea::ModifiedList) = {AreaOutcome::Failed, 0xC0000022u,
                                                         "Access is denied, \"twice\"", std::nullopt};
    ResultOf(record.areas, MemoryArea::StandbyList) = {AreaOutcome::AcceptedNotMeasured, 0, {}, std::nullopt};
    record.inUseBefore = 3000 * kMiB;
    record.freed = -20 * kMiB;
    record.backAfterFirstSample = 100 * kMiB;
    record.backAfterSecondSample = std::numeric_limits<std::int64_t>::min() / kMiB * kMiB;
    record.pageFaultsBySecondSample = 4294967296;
    record.processesTrimmed = 97;
    record.processesSkipped = 3;
    record.processesExcluded = 5;
    record.processesInUse = 11;
    record.durationMs = 1234;
    record.inUseSource = ReadingSource::MemoryStatus;
    record.listsSource = ReadingSource::MemoryListInformation;
    return record;
}

TEST(HistoryRow, EveryFigureAndResultReadsBackAsWritten) {
    const RunRecord record = FullRecord();
    const std::string row = FormatHistoryRow(record);
    EXPECT_EQ(row.substr(0, 39), "2026-12-09T15:02:05+01:00,command line,");
    EXPECT_NE(row.find(",working sets+sweep+system cache+modified list+standby list,"), std::string::npos) << row;
    EXPECT_NE(row.find(",\"failed 0xC0000022 Access is denied, \"\"twice\"\"\","), std::string::npos) << row;
    const std::optional<RunRecord> read = ParseHistoryRow(row);
    ASSERT_TRUE(read) << row;
    EXPECT_EQ(*read, record);
    RunRecord notNeeded = record;
    ResultOf(notNeeded.areas, MemoryArea::StandbyList) = {AreaOutcome::NotNeeded, 0, {}, std::nullopt};
    EXPECT_EQ(ParseHistoryRow(FormatHistoryRow(notNeeded)), notNeeded);

    // A row written before the counts of processes left alone reads with them at 0.
    const std::string earlier = row.substr(0, row.rfind(",5,11"));
    RunRecord withoutCounts = record;
    withoutCounts.processesExcluded = withoutCounts.processesInUse = 0;
    EXPECT_EQ(ParseHistoryRow(earlier), withoutCounts) << earlier;
    EXPECT_EQ(ParseHistoryRow(earlier + ",5"), std::nullopt) << "20 cells are neither form";
    EXPECT_EQ(ParseHistoryRow(earlier + ",5,-1"), std::nullopt);
    for (RunTrigger trigger : {RunTrigger::Menu, RunTrigger::Tray, RunTrigger::Page, RunTrigger::Navigation,
                               RunTrigger::Popup, RunTrigger::Hotkey, RunTrigger::Automatic, RunTrigger::Selected}) {
        RunRecord other = record;
        other.trigger = trigger;
        EXPECT_EQ(ParseHistoryRow(FormatHistoryRow(other)), other) << RunTriggerName(trigger);
    }
}

// Figures are whole MiB towards zero; what cannot be said stays empty, and
// words that would break a row are made one line.
TEST(HistoryRow, FiguresAreWholeMegabytesAndUnknownsStayEmpty) {
    RunRecord record;
    record.utcOffsetMinutes = -(9 * 60 + 30);
    record.inUseBefore = kMiB - 1;
    record.freed = -(kMiB + 1);
    ResultOf(record.areas, MemoryArea::CombinePages) = {AreaOutcome::Failed, 0, "line one\r\nline two", std::nullopt};
    const std::string row = FormatHistoryRow(record);
    EXPECT_EQ(row, "1969-12-31T14:30:00-09:30,menu,combined pages,,,,,,failed 0x00000000 line one  line two,0,-1,,,,0,0,0,"
              "none,none,0,0");
    const std::optional<RunRecord> read = ParseHistoryRow(row);
    ASSERT_TRUE(read);
    EXPECT_EQ(FormatHistoryRow(*read), row);
    EXPECT_EQ(read->backAfterFirstSample, std::nullopt);
    EXPECT_EQ(read->pageFaultsBySecondSample, std::nullopt);
}

TEST(HistoryRow, ALineThatIsNotOneOfOursIsNotARow) {
    const std::string good = FormatHistoryRow(FullRecord());
    const std::vector<std::string> bad{
        "",
        HistoryHeaderRow(),
        good + ",",
        good.substr(0, good.size() - 1) + "x",
        "2026-02-30T10:00:00+00:00" + good.substr(25),   // no such day
        "2026-12-09T24:00:00+00:00" + good.substr(25),
        "2026-12-09T10:00:00+19:00" + good.substr(25),
        "2026-12-09 10:00:00+00:00" + good.substr(25),
        std::string("2026-12-09T15:02:05+01:00,toaster,") + good.substr(39),
        "2026-12-09T15:02:05+01:00,menu,,,,,,,,99999999999999999999,,,,,0,0,0,none,none",
        "2026-12-09T15:02:05+01:00,menu,,done 8796093022208 MiB,,,,,,,,,,,0,0,0,none,none",  // beyond 64 bits in bytes
        "2026-12-09T15:02:05+01:00,menu,,failed 0xC00000ZZ,,,,,,,,,,,0,0,0,none,none",
        "2026-12-09T15:02:05+01:00,menu,,\"done 1 MiB,,,,,,,,,,,,0,0,0",             // the quote never closes
        "2026-12-09T15:02:05+01:00,menu,,,,,,,,,,,,,-1,0,0,none,none",
        "2026-12-09T15:02:05+01:00,menu,,,,,,,,,,,,,1,0,0,none,the moon",
        good.substr(0, good.rfind(',')),
    };
    for (const std::string& line : bad)
        EXPECT_EQ(ParseHistoryRow(line), std::nullopt) << line;
}

std::string Rows(int count, int first = 0) {
    std::string text;
    for (int i = 0; i < count; ++i) {
        RunRecord record = FullRecord();
        record.durationMs = first + i;
        text += FormatHistoryRow(record) + "\r\n";
    }
    return text;
}

// The file as written before the counts of processes left alone.
std::string EarlierFile(int rows) {
    const std::string header = HistoryHeaderRow();
    std::string text = header.substr(0, header.rfind(",processes excluded")) + "\r\n";
    const std::string row = FormatHistoryRow(FullRecord());
    for (int i = 0; i < rows; ++i)
        text += row.substr(0, row.rfind(",5,11")) + "\r\n";
    return text;
}

struct Mending {
    const char* what;
    std::string file;
    bool cut;
    std::size_t rowsKept;
    std::int64_t firstDuration;
    bool writtenBack;
};

class HistoryFileMending : public ::testing::TestWithParam<Mending> {};

// A file of ours that needed mending is written back mended; another
// program's file is left alone; a clean one is not rewritten.
TEST_P(HistoryFileMending, KeepsTheValidRowsAndWritesBackOnlyWhatNeededMending) {
    const Mending& c = GetParam();
    class CutStore : public MemoryHistoryStore {
    public:
        bool cut = false;
        std::optional<std::string> ReadEnd(std::size_t limit, bool& cutAtStart) override {
            MemoryHistoryStore::ReadEnd(limit, cutAtStart);
            cutAtStart = cut;
            return text;
        }
    } store;
    store.text = c.file;
    store.cut = c.cut;
    RunHistory history(store);
    history.Load();
    ASSERT_EQ(history.Records().size(), c.rowsKept);
    if (c.rowsKept) {
        EXPECT_EQ(history.Records().front().durationMs, c.firstDuration);
    }
    EXPECT_EQ(store.writes, c.writtenBack ? 1 : 0);
    if (c.writtenBack) {
        EXPECT_EQ(ParseHistory(*store.text, false).size(), c.rowsKept) << "the mended file reads whole";
    }
}

const std::string kHeaderLine = HistoryHeaderRow() + "\r\n";

INSTANTIATE_TEST_SUITE_P(
    Files, HistoryFileMending,
    ::testing::Values(
        Mending{"clean", kHeaderLine + Rows(3), false, 3, 0, false},
        Mending{"LF line ends and a BOM", "\xEF\xBB\xBF" + HistoryHeaderRow() + "\n" + "\n" + Rows(2), false, 2, 0,
                false},
        Mending{"header only", kHeaderLine, false, 0, 0, false},
        Mending{"empty", "", false, 0, 0, false},
        Mending{"truncated last row", kHeaderLine + Rows(2) + FormatHistoryRow(FullRecord()).substr(0, 30), false, 2,
                0, true},
        Mending{"garbage among the rows", kHeaderLine + Rows(1) + "\x01\xFFgarbage,,\r\n" + Rows(1, 7), false, 2, 0,
                true},
        Mending{"another program's file", "name,value\r\n" + Rows(3), false, 0, 0, false},
        Mending{"written before the counts", EarlierFile(2), false, 2, 1234, false},
        Mending{"the end of a huge file", "partial row,\r\n" + Rows(4, 10), true, 4, 10, true},
        Mending{"more rows than kept", kHeaderLine + Rows(250), false, kHistoryCapacity, 50, true}),
    [](const ::testing::TestParamInfo<Mending>& info) {
        std::string name;
        for (const char* c = info.param.what; *c; ++c)
            if (std::isalnum(static_cast<unsigned char>(*c)))
                name += *c;
        return name;
    });

TEST(RunHistory, NeverHoldsMoreThanItsCapacityAndALateSampleFindsItsRowOrNothing) {
    MemoryHistoryStore store;
    RunHistory history(store);
    history.Load();
    const std::uint64_t first = history.Add(FullRecord());
    std::uint64_t last = first;
    for (std::size_t i = 0; i < kHistoryCapacity; ++i)
        last = history.Add(FullRecord());
    EXPECT_EQ(history.Records().size(), kHistoryCapacity);
    EXPECT_FALSE(history.Update(first, [](RunRecord& record) { record.durationMs = 1; })) << "dropped";
    EXPECT_TRUE(history.Update(last, [](RunRecord& record) { record.durationMs = 99; }));
    EXPECT_EQ(history.Records().back().durationMs, 99);
    EXPECT_FALSE(history.Update(last + 1, [](RunRecord&) {}));
    const std::vector<RunRecord> written = ParseHistory(*store.text, false);
    ASSERT_EQ(written.size(), kHistoryCapacity);
    EXPECT_EQ(written.back().durationMs, 99) << "the late sample's row was written in place";
}

}  // namespace
}  // namespace qmo

namespace qmo {
namespace {

// The window's order: numbers as numbers, a run without a figure last
// whichever way, equal ones newest first.
TEST(HistoryWindowRows, SortByNumbersWithUnknownsLastAndTheNewestFirstAmongEquals) {
    std::deque<RunRecord> records(4);
    records[0].freed = 40 * kMiB;
    records[1].freed = -5 * kMiB;
    records[2].freed = std::nullopt;
    records[3].freed = 3 * kMiB;
    constexpr int kFreed = 2;
    EXPECT_EQ(HistoryOrder(records, kFreed, true), (std::vector<std::size_t>{1, 3, 0, 2}));
    EXPECT_EQ(HistoryOrder(records, kFreed, false), (std::vector<std::size_t>{0, 3, 1, 2}));
    EXPECT_EQ(HistoryOrder(records, kHistoryStartedColumn, false), (std::vector<std::size_t>{3, 2, 1, 0}));
    EXPECT_EQ(HistoryCells(records[1])[kFreed], "-5");
    EXPECT_EQ(HistoryCells(records[2])[kFreed], "");
    EXPECT_EQ(HistoryCells(records[0]).size(), HistoryColumnHeadings().size());
}

// The file keeps the program's own reasons for a failure in its words; the
// window shows each read back as that same reason, whatever the file says it in.
TEST(HistoryWindowRows, AnOwnFailureReasonReadBackFromTheFileShowsAsItself) {
    constexpr std::size_t kSystemCacheColumn = 8;
    for (std::string_view reason : {kReasonNoneGiven, kReasonNoProcessList, kReasonSweepRunning,
                                    kReasonProcessNotOpened}) {
        RunRecord record;
        ResultOf(record.areas, MemoryArea::SystemCache) = {AreaOutcome::Failed, 0, std::string(reason), std::nullopt};
        const std::optional<RunRecord> readBack = ParseHistoryRow(FormatHistoryRow(record));
        ASSERT_TRUE(readBack) << reason;
        EXPECT_EQ(HistoryCells(*readBack)[kSystemCacheColumn], "failed: " + std::string(reason));
    }
}

}  // namespace
}  // namespace qmo
