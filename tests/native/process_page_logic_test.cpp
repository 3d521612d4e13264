#include <gtest/gtest.h>

#include <deque>
#include <set>

#include "fake_processes.h"
#include "process/process_page_logic.h"
#include "process/process_sort.h"

namespace qmo {
namespace {

using testing::FakeIcons;
using testing::FakeProcess;
using testing::FakeProcesses;

// The page without a window: remembers what the list was shown and which
// messages were raised, and answers questions from a script. Like the list
// view, it may refuse a row, which leaves that row out.
class RecordingPage : public ProcessPageSeams, public ProcessPageLogic {
public:
    std::vector<std::string> exclusions;
    int exclusionSaves = 0;
    bool endAllowed = true;
    RecordingPage() : ProcessPageLogic(static_cast<ProcessPageSeams&>(*this)) {}
    FakeProcesses processes;
    FakeIcons icons;
    std::vector<ProcessEntry> shown;
    std::set<std::uint32_t> refusedPids;
    int refreshes = 0;
    std::pair<int, bool> arrow{-1, false};
    int selectionMark = -1;
    bool selectedInView = true;
    RowsPlacement placement;
    std::deque<MessageAnswer> answers;
    std::vector<std::string> messages;

    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        for (const ProcessEntry& row : shown)
            names.push_back(row.name);
        return names;
    }
    std::vector<std::string> Memory() const {
        std::vector<std::string> texts;
        for (const ProcessEntry& row : shown)
            texts.push_back(row.memoryText);
        return texts;
    }
    void Select(const std::string& name) {
        for (std::size_t i = 0; i < shown.size(); ++i)
            if (shown[i].name == name)
                selectionMark = static_cast<int>(i);
    }

protected:
    ProcessInspector& Inspector() override { return processes; }
    void RequestSnapshot() override { ApplySnapshot(SnapshotProcessRows(processes, icons)); }
    bool TrimProcess(std::uint32_t processId) override { return TrimProcessWorkingSet(processes, processId); }
    void ShowRows(const std::vector<ProcessEntry>& rows, const RowsPlacement& placed) override {
        const std::optional<std::uint32_t> selectedPid = placed.selectedPid;
        placement = placed;
        shown.clear();
        selectionMark = -1;
        for (const ProcessEntry& row : rows) {
            if (refusedPids.count(row.pid))
                continue;
            if (row.pid == selectedPid)
                selectionMark = static_cast<int>(shown.size());
            shown.push_back(row);
        }
        ++refreshes;
    }
    void ShowSortArrow(int column, bool ascending) override { arrow = {column, ascending}; }
    std::optional<std::uint32_t> SelectedProcessId() const override {
        if (selectionMark < 0)
            return std::nullopt;
        return shown.at(static_cast<std::size_t>(selectionMark)).pid;
    }
    bool SelectedRowInView() const override { return selectedInView; }
    std::vector<std::string> Exclusions() const override { return exclusions; }
    bool EndProcessAllowed() const override { return endAllowed; }
    void SaveExclusions(const std::vector<std::string>& entries) override {
        exclusions = entries;
        ++exclusionSaves;
    }
    MessageAnswer ShowMessage(std::string_view text, MessageButtons buttons) override {
        messages.emplace_back(text);
        if (buttons == MessageButtons::Ok)
            return MessageAnswer::Ok;
        EXPECT_FALSE(answers.empty()) << "unexpected question: " << text;
        const MessageAnswer answer = answers.empty() ? MessageAnswer::Closed : answers.front();
        if (!answers.empty())
            answers.pop_front();
        return answer;
    }
};

using Texts = std::vector<std::string>;

bool Opened(const FakeProcesses& processes, FakeProcesses::Open open) {
    return std::find(processes.opens.begin(), processes.opens.end(), open) != processes.opens.end();
}

ProcessEntry Row(std::string name, std::optional<std::uint64_t> bytes, std::string path = "") {
    ProcessEntry row;
    row.name = std::move(name);
    row.path = std::move(path);
    row.workingSetBytes = bytes;
    return row;
}

std::vector<std::string> SortedNames(std::vector<ProcessEntry> rows, int column, bool ascending) {
    SortProcessRows(rows, column, ascending);
    std::vector<std::string> names;
    for (const ProcessEntry& row : rows)
        names.push_back(row.name);
    return names;
}

TEST(ProcessSort, MemorySortsByBytesWithUnreadableCellsBelowEveryNumber) {
    const std::vector<ProcessEntry> rows{Row("a", 2048 * 1024), Row("b", 900), Row("c", 10240 * 1024),
                                         Row("d", std::nullopt), Row("e", 0)};
    EXPECT_EQ(SortedNames(rows, kMemoryColumn, true), (Texts{"d", "e", "b", "a", "c"}));
    EXPECT_EQ(SortedNames(rows, kMemoryColumn, false), (Texts{"c", "a", "b", "e", "d"}));
}

TEST(ProcessSort, NamesAndPathsIgnoreLetterCaseAndEqualRowsKeepTheirOrder) {
    const std::vector<ProcessEntry> rows{Row("explorer.exe", 1, "C:\\b"), Row("Wine.exe", 2, "c:\\A"),
                                         Row("EXPLORER.EXE", 3, "C:\\a"), Row("_tool.exe", 4, "C:\\B")};
    // '_' sits between the upper- and lower-case letters: folding puts it before both.
    EXPECT_EQ(SortedNames(rows, kNameColumn, true), (Texts{"_tool.exe", "explorer.exe", "EXPLORER.EXE", "Wine.exe"}));
    EXPECT_EQ(SortedNames(rows, kNameColumn, false), (Texts{"Wine.exe", "explorer.exe", "EXPLORER.EXE", "_tool.exe"}));
    EXPECT_EQ(SortedNames(rows, kPathColumn, true), (Texts{"Wine.exe", "EXPLORER.EXE", "explorer.exe", "_tool.exe"}));
}

class ProcessPage : public ::testing::Test {
protected:
    void SetUp() override {
        page.processes.Add(4, {.name = "big.exe", .workingSet = 10240 * 1024, .creationTime = 40});
        page.processes.Add(8, {.name = "Small.exe", .workingSet = 900, .creationTime = 80});
        page.processes.Add(12, {.name = "mid.exe", .workingSet = 2048 * 1024, .creationTime = 120});
        page.SortColumn(page.SortedColumn(), page.IsSortAscending());
        page.RefreshProcessList();
    }
    RecordingPage page;
};

TEST_F(ProcessPage, StartsSortedByMemoryAscendingAndRefreshKeepsThatOrder) {
    EXPECT_EQ(page.arrow, std::make_pair(kMemoryColumn, true));
    EXPECT_EQ(page.Memory(), (Texts{"900 BYTES", "2048 K", "10240 K"}));
    page.processes.Add(16, {.name = "new.exe", .workingSet = 4096 * 1024});
    page.RefreshProcessList();
    EXPECT_EQ(page.Memory(), (Texts{"900 BYTES", "2048 K", "4096 K", "10240 K"}));
    EXPECT_EQ(page.selectionMark, -1);
}

TEST_F(ProcessPage, EveryColumnClickTogglesTheDirectionWhicheverColumn) {
    page.OnColumnClick(kNameColumn);
    EXPECT_EQ(page.arrow, std::make_pair(kNameColumn, false));
    EXPECT_EQ(page.Names(), (Texts{"Small.exe", "mid.exe", "big.exe"}));
    page.OnColumnClick(kNameColumn);
    EXPECT_EQ(page.Names(), (Texts{"big.exe", "mid.exe", "Small.exe"}));
    page.OnColumnClick(kNameColumn);
    EXPECT_EQ(page.arrow, std::make_pair(kNameColumn, false));
    EXPECT_EQ(page.Names(), (Texts{"Small.exe", "mid.exe", "big.exe"}));
    page.OnColumnClick(kMemoryColumn);
    EXPECT_EQ(page.arrow, std::make_pair(kMemoryColumn, true));
    EXPECT_EQ(page.Names(), (Texts{"Small.exe", "mid.exe", "big.exe"}));
    page.RefreshProcessList();
    EXPECT_EQ(page.Names(), (Texts{"Small.exe", "mid.exe", "big.exe"}));
}

TEST_F(ProcessPage, SortingKeepsTheSelectedProcessSelected) {
    page.Select("big.exe");
    page.OnColumnClick(kMemoryColumn);  // descending: big.exe comes first
    ASSERT_EQ(page.selectionMark, 0);
    EXPECT_EQ(page.shown[0].name, "big.exe");
}

// A refresh lands a moment after it is asked for, often after the user picked a row.
TEST_F(ProcessPage, RefreshKeepsTheSelectionOnTheSameProcessWhereverItsRowNowIs) {
    page.Select("mid.exe");
    page.processes.table.at(12).workingSet = 20480 * 1024;  // now sorts last
    page.processes.Add(16, {.name = "new.exe", .workingSet = 4096 * 1024, .creationTime = 160});
    page.RefreshProcessList();
    ASSERT_EQ(page.Names(), (Texts{"Small.exe", "new.exe", "big.exe", "mid.exe"}));
    EXPECT_EQ(page.selectionMark, 3);
    EXPECT_TRUE(page.placement.keepScrollPosition);
    EXPECT_TRUE(page.placement.revealSelected);
    page.selectedInView = false;  // scrolled away from: the refresh does not scroll back to it
    page.OptimizeSelectedProcess();
    EXPECT_EQ(page.processes.trimmed, std::vector<std::uint32_t>{12});
    EXPECT_EQ(page.selectionMark, 3) << "the refresh after the trim";
    EXPECT_TRUE(page.placement.keepScrollPosition);
    EXPECT_FALSE(page.placement.revealSelected);
}

struct SelectedProcessChange {
    const char* name;
    void (*apply)(FakeProcesses&);
    friend void PrintTo(const SelectedProcessChange& change, std::ostream* out) { *out << change.name; }
};

class ProcessPageSelectionLost : public ProcessPage, public ::testing::WithParamInterface<SelectedProcessChange> {};

// The row's process is not there any more: no other row inherits its selection,
// and the commands ask for one as they do with nothing selected.
TEST_P(ProcessPageSelectionLost, RefreshSelectsNothingAndTheCommandsAskForARow) {
    page.Select("mid.exe");
    GetParam().apply(page.processes);
    page.RefreshProcessList();
    EXPECT_EQ(page.selectionMark, -1);
    page.EndProcess();
    page.OptimizeSelectedProcess();
    EXPECT_EQ(page.messages, (Texts{"Please select process to terminate", "Please select process to Optimize"}));
    EXPECT_TRUE(page.processes.terminated.empty());
    EXPECT_TRUE(page.processes.trimmed.empty());
}

INSTANTIATE_TEST_SUITE_P(
    EveryWay, ProcessPageSelectionLost,
    ::testing::Values(SelectedProcessChange{"Exited", [](FakeProcesses& p) { p.Remove(12); }},
                      // Another instance of the same program given the freed id.
                      SelectedProcessChange{"IdReused",
                                            [](FakeProcesses& p) {
                                                p.table.at(12) = {.name = "mid.exe", .creationTime = 999};
                                            }},
                      SelectedProcessChange{"CreationTimeUnreadable",
                                            [](FakeProcesses& p) { p.table.at(12).creationTime = std::nullopt; }}),
    [](const auto& info) { return std::string(info.param.name); });

// With a row the list refused, list positions and snapshot positions part.
TEST_F(ProcessPage, CommandsActOnTheSelectedRowsOwnProcessWhenTheListLeftARowOut) {
    page.refusedPids = {8};  // Small.exe, first by memory
    page.RefreshProcessList();
    ASSERT_EQ(page.Names(), (Texts{"mid.exe", "big.exe"}));
    page.Select("mid.exe");
    page.OptimizeSelectedProcess();
    EXPECT_EQ(page.processes.trimmed, std::vector<std::uint32_t>{12});

    page.Select("big.exe");
    page.OnColumnClick(kNameColumn);  // descending: mid.exe, big.exe
    ASSERT_EQ(page.Names(), (Texts{"mid.exe", "big.exe"}));
    EXPECT_EQ(page.selectionMark, 1);
    page.answers = {MessageAnswer::Yes};
    page.EndProcess();
    EXPECT_EQ(page.processes.terminated, (std::vector<FakeProcesses::Open>{{4, 0}}));
}

TEST_F(ProcessPage, TimerRefreshesOnlyWhileTheSettingIsOn) {
    const int before = page.refreshes;
    page.OnRefreshTimer(false);
    EXPECT_EQ(page.refreshes, before);
    page.OnRefreshTimer(true);
    EXPECT_EQ(page.refreshes, before + 1);
}

TEST_F(ProcessPage, CommandsWithoutASelectedRowOnlyAskForOne) {
    const auto opens = page.processes.opens.size();
    page.EndProcess();
    page.OptimizeSelectedProcess();
    EXPECT_EQ(page.messages, (Texts{"Please select process to terminate", "Please select process to Optimize"}));
    EXPECT_EQ(page.processes.opens.size(), opens);
    EXPECT_TRUE(page.processes.terminated.empty());
    EXPECT_TRUE(page.processes.trimmed.empty());
}

TEST_F(ProcessPage, EndProcessAnsweredNoOrClosedOrNotAllowedTouchesNothing) {
    page.Select("mid.exe");
    page.answers = {MessageAnswer::No, MessageAnswer::Closed};
    const auto opens = page.processes.opens.size();
    const int refreshes = page.refreshes;
    page.EndProcess();
    page.EndProcess();
    page.endAllowed = false;  // the organisation's policy: not even the question
    page.EndProcess();
    EXPECT_EQ(page.messages, (Texts{"Do you realy want to terminate selected process?",
                                    "Do you realy want to terminate selected process?"}));
    EXPECT_EQ(page.processes.opens.size(), opens);
    EXPECT_EQ(page.refreshes, refreshes);
}

TEST_F(ProcessPage, EndProcessEndsTheSelectedProcessWithCodeZeroAndRefreshes) {
    page.Select("mid.exe");
    page.answers = {MessageAnswer::Yes};
    page.EndProcess();
    EXPECT_EQ(page.messages, (Texts{"Do you realy want to terminate selected process?",
                                    "Process Terminated Successfully"}));
    EXPECT_EQ(page.processes.terminated, (std::vector<FakeProcesses::Open>{{12, 0}}));
    EXPECT_TRUE(Opened(page.processes, {12, kProcessTerminate | kProcessQueryLimited}));
    EXPECT_EQ(page.Names(), (Texts{"Small.exe", "big.exe"}));
}

TEST_F(ProcessPage, EndProcessThatCannotOpenOrTerminateLeavesTheListAsItWas) {
    page.processes.table.at(12).terminateAccess = false;
    page.processes.table.at(4).terminable = false;
    page.answers = {MessageAnswer::Yes, MessageAnswer::Yes};
    const int refreshes = page.refreshes;
    page.Select("mid.exe");
    page.EndProcess();
    page.Select("big.exe");
    page.EndProcess();
    EXPECT_EQ(page.messages, (Texts{"Do you realy want to terminate selected process?", "Termination Failed..!!",
                                    "Do you realy want to terminate selected process?",
                                    "ERROR  : Cannot Terminate Process"}));
    EXPECT_TRUE(page.processes.terminated.empty());
    EXPECT_EQ(page.refreshes, refreshes);
    EXPECT_EQ(page.selectionMark, 2);  // the selection stays
}

TEST_F(ProcessPage, EndProcessNeverEndsAProcessThatReusedTheListedId) {
    page.Select("mid.exe");
    // mid.exe exits; a new process is given its id before the user confirms.
    page.processes.table.at(12) = {.name = "other.exe", .creationTime = 999};
    page.answers = {MessageAnswer::Yes};
    page.EndProcess();
    EXPECT_EQ(page.messages, (Texts{"Do you realy want to terminate selected process?", "Termination Failed..!!"}));
    EXPECT_TRUE(page.processes.terminated.empty());
    EXPECT_EQ(page.Names(), (Texts{"Small.exe", "other.exe", "big.exe"}));  // refreshed
}

TEST_F(ProcessPage, EndProcessRefusesWhenTheCreationTimeCannotBeConfirmed) {
    page.Select("mid.exe");
    page.processes.table.at(12).creationTime = std::nullopt;
    page.answers = {MessageAnswer::Yes};
    page.EndProcess();
    EXPECT_EQ(page.messages.back(), "Termination Failed..!!");
    EXPECT_TRUE(page.processes.terminated.empty());
}

TEST_F(ProcessPage, OptimizeSelectedTrimsThatProcessAndRefreshes) {
    page.Select("Small.exe");
    const int refreshes = page.refreshes;
    page.OptimizeSelectedProcess();
    EXPECT_EQ(page.messages, (Texts{"Optimization  Done..!!"}));
    EXPECT_EQ(page.processes.trimmed, std::vector<std::uint32_t>{8});
    EXPECT_TRUE(Opened(page.processes, {8, TRIM_PROCESS_ACCESS}));
    EXPECT_EQ(page.refreshes, refreshes + 1);
}

TEST_F(ProcessPage, OptimizeSelectedNeverTrimsAProcessThatReusedTheListedId) {
    page.Select("mid.exe");
    // mid.exe exits; a new process is given its id before the user clicks.
    page.processes.table.at(12) = {.name = "other.exe", .creationTime = 999};
    page.OptimizeSelectedProcess();
    EXPECT_EQ(page.messages, (Texts{"Optimization  Failed..!!"}));
    EXPECT_TRUE(page.processes.trimmed.empty());
    EXPECT_EQ(page.Names(), (Texts{"Small.exe", "other.exe", "big.exe"}));  // refreshed
}

TEST_F(ProcessPage, OptimizeSelectedOfAProcessThatCannotBeOpenedSaysSo) {
    page.Select("Small.exe");
    page.processes.table.at(8).queryAccess = false;
    const int refreshes = page.refreshes;
    page.OptimizeSelectedProcess();
    EXPECT_EQ(page.messages, (Texts{"Optimization  Failed..!!"}));
    EXPECT_TRUE(page.processes.trimmed.empty());
    EXPECT_EQ(page.refreshes, refreshes);
}

// Never optimize, the question before trimming an excluded program, and back:
// the entry naming it goes, a pattern naming it stays and is named.
TEST_F(ProcessPage, AnExcludedProgramIsTrimmedOnlyWhenTheUserSaysSoUntilItIsOptimizedAgain) {
    page.Select("Small.exe");
    EXPECT_FALSE(page.SelectedProgramExcluded());
    page.ExcludeSelectedProgram();
    EXPECT_EQ(page.exclusions, (Texts{"Small.exe"}));
    EXPECT_TRUE(page.SelectedProgramExcluded());
    page.ExcludeSelectedProgram();
    EXPECT_EQ(page.exclusionSaves, 1) << "already excluded: nothing to save";

    page.answers = {MessageAnswer::No};
    page.OptimizeSelectedProcess();
    EXPECT_TRUE(page.processes.trimmed.empty());
    page.answers = {MessageAnswer::Yes};
    page.OptimizeSelectedProcess();
    EXPECT_EQ(page.processes.trimmed, std::vector<std::uint32_t>{8});
    EXPECT_EQ(page.messages, (Texts{std::string(kOptimizeExcludedText), std::string(kOptimizeExcludedText),
                                    "Optimization  Done..!!"}));

    page.exclusions.push_back("small*");
    page.messages.clear();
    page.IncludeSelectedProgram();
    EXPECT_EQ(page.exclusions, (Texts{"small*"}));
    EXPECT_EQ(page.messages, (Texts{std::string(kStillExcludedText) + "small*"}));
    EXPECT_TRUE(page.SelectedProgramExcluded());
}

}  // namespace
}  // namespace qmo
