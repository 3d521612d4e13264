// Every failable seam call of a run fails in turn, alone and together with
// all calls after it. Each run builds fresh fakes and checks what the user
// would see; handles and blocks the fakes hand out must come back exactly
// once (the sanitizers see the rest).
#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "config/optimizer_settings.h"
#include "config/profile_value_codec.h"
#include "fake_processes.h"
#include "fake_settings_stores.h"
#include "fault_plan.h"
#include "raw_profile.h"
#include "optimizer/optimizer_engine.h"
#include "perf/performance_sampler.h"
#include "process/process_snapshot.h"

namespace qmo {
namespace {

using testing::FakeProcesses;
using testing::FaultPlan;
using testing::RunWithEveryFault;

// The process table with every failable call asking the plan first. A failed
// call gives what the system gives for a process that has just exited: no
// handle (then or later), no modules, empty names, no counters, trim calls
// that do nothing.
class FaultyProcesses : public FakeProcesses {
public:
    explicit FaultyProcesses(FaultPlan& plan) : m_plan(plan) {}

    std::vector<std::uint32_t> EnumerateProcessIds(std::size_t capacity) override {
        return m_plan.Fails("enumerate") ? std::vector<std::uint32_t>{} : FakeProcesses::EnumerateProcessIds(capacity);
    }
    std::optional<std::vector<ProcessFacts>> SnapshotProcesses() override {
        return m_plan.Fails("snapshot") ? std::nullopt : FakeProcesses::SnapshotProcesses();
    }
    std::uintptr_t OpenProcess(std::uint32_t access, bool inherit, std::uint32_t pid) override {
        m_current = pid;
        calls.push_back("open " + std::to_string(pid));
        // A process that could not be opened has exited: no later open finds it.
        if (failures[pid].count("open") || Fails("open"))
            return 0;
        return FakeProcesses::OpenProcess(access, inherit, pid);
    }
    std::size_t FirstModule(std::uintptr_t process, Module& first) override {
        return Fails("modules", process) ? 0 : FakeProcesses::FirstModule(process, first);
    }
    std::string ModuleFileName(std::uintptr_t process, Module module) override {
        return Fails("filename", process) ? "" : FakeProcesses::ModuleFileName(process, module);
    }
    std::string ModuleBaseName(std::uintptr_t process, Module module) override {
        return Fails("basename", process) ? "" : FakeProcesses::ModuleBaseName(process, module);
    }
    std::optional<std::uint64_t> WorkingSetSize(std::uintptr_t process) override {
        return Fails("workingset", process) ? std::nullopt : FakeProcesses::WorkingSetSize(process);
    }
    std::optional<std::uint64_t> CommittedBytes(std::uintptr_t process) override {
        return Fails("committed", process) ? std::nullopt : FakeProcesses::CommittedBytes(process);
    }
    std::optional<std::uint64_t> CreationTime(std::uintptr_t process) override {
        return Fails("created", process) ? std::nullopt : FakeProcesses::CreationTime(process);
    }
    std::optional<std::string> SystemDirectory() override {
        return Fails("sysdir") ? std::nullopt : FakeProcesses::SystemDirectory();
    }
    bool SetWorkingSetSize(std::uintptr_t process, std::size_t minimum, std::size_t maximum) override {
        calls.push_back("limits " + std::to_string(open.at(process)));
        return !Fails("limits", process) && FakeProcesses::SetWorkingSetSize(process, minimum, maximum);
    }
    bool EmptyProcessWorkingSet(std::uintptr_t process) override {
        calls.push_back("empty " + std::to_string(open.at(process)));
        return !Fails("empty", process) && FakeProcesses::EmptyProcessWorkingSet(process);
    }

    std::vector<std::string> calls;                                 // opens and trims, in order
    std::map<std::uint32_t, std::multiset<std::string>> failures;  // the failed calls of each process

private:
    bool Fails(const char* call, std::uintptr_t process) {
        m_current = open.at(process);
        return Fails(call);
    }
    bool Fails(const char* call) {
        if (!m_plan.Fails(call))
            return false;
        failures[m_current].insert(call);
        return true;
    }

    FaultPlan& m_plan;
    std::uint32_t m_current = 0;
};

// --- Trimming all working sets ------------------------------------------

TEST(FaultInjection, TrimAllSkipsWhatVanishedAndGoesOnWithTheRest) {
    const std::vector<std::uint32_t> ids{0, 4, 1234, 99};
    const int runs = RunWithEveryFault([&](FaultPlan& plan) {
        FaultyProcesses processes(plan);
        for (const std::uint32_t id : ids)
            processes.Add(id);
        TrimAllWorkingSets(processes);

        // Gone before the open: nothing more is asked of it. Gone after: both
        // trim calls are still made and the handle is closed (the fake checks).
        std::vector<std::string> expected;
        for (const std::uint32_t id : plan.Failed("snapshot") ? std::vector<std::uint32_t>{} : ids) {
            const std::string pid = std::to_string(id);
            expected.push_back("open " + pid);
            if (!processes.failures[id].count("open"))
                expected.insert(expected.end(), {"limits " + pid, "empty " + pid});
        }
        EXPECT_EQ(processes.calls, expected);
    });
    EXPECT_EQ(runs, 2 * (1 + 3 * static_cast<int>(ids.size())));
}

// --- The process list's snapshot ------------------------------------------

std::string Cells(const ProcessEntry& row) {
    const auto number = [](std::optional<std::uint64_t> value) { return value ? std::to_string(*value) : "-"; };
    return std::to_string(row.pid) + "|" + row.name + "|" + std::to_string(row.iconIndex) + "|" + row.memoryText +
           "|" + row.path + "|" + number(row.workingSetBytes) + "|" + number(row.creationTime) + "|" +
           row.committedText + "|" + number(row.committedBytes);
}

// The row a process gets when `failed` calls about it failed, from the row it
// gets when none does; no row when it could not be opened or read at all.
std::optional<ProcessEntry> RowDespite(ProcessEntry row, const std::multiset<std::string>& failed) {
    if (failed.count("open") || failed.count("modules"))
        return std::nullopt;
    if (failed.count("basename"))
        row.name.clear();
    if (failed.count("workingset")) {
        row.workingSetBytes.reset();
        row.memoryText.clear();
    }
    if (failed.count("created"))
        row.creationTime.reset();
    if (failed.count("committed")) {
        row.committedBytes.reset();
        row.committedText.clear();
    }
    if (failed.count("filename"))
        row.path.clear();
    else if (failed.count("sysdir"))
        row.path = "c:\\" + row.path.substr(3);  // the fallback root, instead of the system's "C:\"
    row.iconIndex = testing::FakeIcons::IndexOf(row.path);
    return row;
}

TEST(FaultInjection, SnapshotKeepsEveryReadableRowAndEmptiesOnlyTheUnreadableCells) {
    const auto fill = [](FakeProcesses& processes) {
        processes.Add(8, {.path = "\\SystemRoot\\System32\\smss.exe", .name = "smss.exe", .workingSet = 1000});
        processes.Add(400);
        processes.Add(1234, {.path = "\\??\\C:\\Apps\\big.exe", .name = "big.exe", .workingSet = 5ull << 30});
    };
    FaultPlan none;
    FaultyProcesses cleanSystem(none);
    fill(cleanSystem);
    testing::FakeIcons cleanIcons;
    const std::vector<ProcessEntry> clean = SnapshotProcessRows(cleanSystem, cleanIcons);
    ASSERT_EQ(clean.size(), 3u);

    const int runs = RunWithEveryFault([&](FaultPlan& plan) {
        FaultyProcesses processes(plan);
        fill(processes);
        testing::FakeIcons icons;
        std::vector<std::string> rows, expected;
        for (const ProcessEntry& row : SnapshotProcessRows(processes, icons))
            rows.push_back(Cells(row));
        for (const ProcessEntry& row : plan.Failed("enumerate") ? std::vector<ProcessEntry>{} : clean)
            if (const auto kept = RowDespite(row, processes.failures[row.pid]))
                expected.push_back(Cells(*kept));
        EXPECT_EQ(rows, expected);
    });
    EXPECT_EQ(runs, 2 * 23);  // enumerate, then seven calls per process and the system directory once
}

// --- The sweep ------------------------------------------------------------

// Blocks are real heap memory and go back to a pool only when the sweep frees
// them (fresh pages for every run would make this test slow): a block the
// sweep forgets is reported here and lost for good, where the leak checker
// finds it; one freed twice is reported here.
class FaultyHeap : public SweepHeap, public ProgressSink {
public:
    explicit FaultyHeap(FaultPlan& plan) : m_plan(plan) {}

    void* Allocate(std::size_t size) override {
        if (m_plan.Fails("alloc"))
            return nullptr;
        std::vector<void*>& pool = Pool();
        if (pool.empty())
            pool.push_back(std::malloc(size));
        void* block = pool.back();
        pool.pop_back();
        live.insert(block);
        return block;
    }
    void Free(void* block) override {
        ASSERT_EQ(live.erase(block), 1u) << "freed a block that is not live";
        Pool().push_back(block);
    }
    void Minimize() override { ++minimized; }
    void SetPosition(int position) override { positions.push_back(position); }

    std::set<void*> live;
    std::vector<int> positions;
    int minimized = 0;

private:
    static std::vector<void*>& Pool() {
        static struct Spare {
            ~Spare() {
                for (void* block : blocks)
                    std::free(block);
            }
            std::vector<void*> blocks;
        } spare;
        return spare.blocks;
    }

    FaultPlan& m_plan;
};

TEST(FaultInjection, SweepSendsEveryPositionAndFreesExactlyWhatItGot) {
    std::vector<int> allPositions;
    for (int k = 0; k < 20; ++k)
        allPositions.push_back(5 * k);
    for (int k = 0; k < 20; ++k)
        allPositions.push_back(6 * k);

    const int runs = RunWithEveryFault([&](FaultPlan& plan) {
        FaultyHeap heap(plan);
        SweepTable table{};
        SweepPhysicalMemory(heap, heap, table);
        EXPECT_EQ(heap.positions, allPositions);
        EXPECT_TRUE(heap.live.empty()) << heap.live.size() << " blocks never freed";
        EXPECT_EQ(heap.minimized, 20);
    });
    EXPECT_EQ(runs, 2 * 20);
}

// --- The performance counters ---------------------------------------------

// Queries and counters are heap objects, released only by closing the query:
// one left open leaks, one used after closing is read after free.
class FaultyCounters : public CounterApi {
public:
    explicit FaultyCounters(FaultPlan& plan) : m_plan(plan) {}

    bool OpenQuery(std::uintptr_t, Handle& query) override {
        if (m_plan.Fails("open"))
            return false;
        query = reinterpret_cast<Handle>(new Query);
        ++openQueries;
        return true;
    }
    bool AddEnglishCounter(Handle query, const std::string& path, std::uintptr_t, Handle& counter) override {
        return Add("add", query, path, counter);
    }
    bool AddCounter(Handle query, const std::string& path, std::uintptr_t, Handle& counter) override {
        return Add("add localized", query, path, counter);
    }
    bool CollectQueryData(Handle query) override {
        if (reinterpret_cast<Query*>(query)->counters.empty())
            return false;  // no data, whatever else goes wrong
        if (m_plan.Fails("collect"))
            return false;
        ++tick;
        unreadable.clear();
        return true;
    }
    bool GetFormattedLong(Handle counter, std::int32_t& value) override {
        if (Fails("formatted", counter))
            return false;
        value = Value(counter);
        return true;
    }
    bool GetRawValue(Handle counter, RawCounterSample& sample) override {
        if (Fails("raw", counter))
            return false;
        sample.firstValue = Value(counter);
        return true;
    }
    void CloseQuery(Handle query) override {
        delete reinterpret_cast<Query*>(query);
        --openQueries;
    }

    // The value of `path` at the current tick: the processor 10, 20, ..., the memory 45, 55, ...
    int ValueOf(const std::string& path) const { return (path == kProcessorCounterPath ? 0 : 35) + 10 * tick; }

    int openQueries = 0;
    int tick = 0;
    std::set<std::string> unreadable;  // paths with a failed read since the last collection
    std::map<std::string, int> failedAdds;

private:
    struct Counter {
        std::string path;
    };
    struct Query {
        std::vector<std::unique_ptr<Counter>> counters;
    };

    bool Add(const char* call, Handle query, const std::string& path, Handle& counter) {
        if (m_plan.Fails(call)) {
            ++failedAdds[path];
            return false;
        }
        auto& counters = reinterpret_cast<Query*>(query)->counters;
        counters.push_back(std::make_unique<Counter>(Counter{path}));
        counter = reinterpret_cast<Handle>(counters.back().get());
        return true;
    }
    bool Fails(const char* call, Handle counter) {
        if (!m_plan.Fails(call))
            return false;
        unreadable.insert(reinterpret_cast<Counter*>(counter)->path);
        return true;
    }
    int Value(Handle counter) const { return ValueOf(reinterpret_cast<Counter*>(counter)->path); }

    FaultPlan& m_plan;
};

class LimitHost : public PerformanceHost {
public:
    LimitHost() { settings.m_nCriticalLimit = 50; }
    const OptimizerSettings& Settings() const override { return settings; }
    bool IsOptimizing() const override { return false; }
    void ShowCriticalLimitPopup() override { ++popups; }
    OptimizerSettings settings;
    int popups = 0;
};

class FixedCommitCharge : public CommitChargeSource {
public:
    std::optional<int> CommittedPercent() override { return 51; }
};

// A processor busy 70 percent of the time from one reading to the next.
class SteadyProcessorTimes : public ProcessorTimesSource {
public:
    std::optional<ProcessorTimes> Read() override {
        now.idle += 30;
        now.kernel += 60;
        now.user += 40;
        return now;
    }
    ProcessorTimes now;
};

TEST(FaultInjection, SamplerShowsWhatItCouldReadAndAFailedCollectionChangesNothing) {
    const int runs = RunWithEveryFault([](FaultPlan& plan) {
        FaultyCounters counters(plan);
        FixedCommitCharge commitCharge;
        SteadyProcessorTimes processorTimes;
        PerformanceSampler sampler(counters, commitCharge, processorTimes);
        LimitHost host;
        GaugeModel memoryGauge, processorGauge;
        HistoryGraphModel memoryGraph, processorGraph;
        const PerformanceDisplays displays{memoryGauge, processorGauge, memoryGraph, processorGraph};
        const auto shown = [&] {
            return std::to_string(processorGauge.m_nAngle) + " " + std::to_string(memoryGauge.m_nAngle) + " " +
                   std::to_string(processorGraph.m_nCount) + " " + std::to_string(memoryGraph.m_nCount) + " " +
                   std::to_string(host.popups);
        };

        const bool started = sampler.Start();
        EXPECT_EQ(started, !plan.Failed("open"));
        int expectedPopups = 0, samples = 0;
        // Ticks in a row on which a counter in use gave no value; at the limit it is given up.
        std::map<std::string, int> failedInARow;
        std::set<std::string> givenUp;
        bool processorTimesRead = false;  // the load is a rate between two readings
        for (int tick = 1; tick <= 3; ++tick) {
            const std::string before = shown();
            const int collected = counters.tick;
            const bool inUse[] = {sampler.m_nProcessorCounter >= 0, sampler.m_nMemoryCounter >= 0};
            const bool sampled = sampler.Sample(&host);
            sampler.ShowOn(displays);
            const char* const paths[] = {kProcessorCounterPath, kMemoryCounterPath};
            for (int i = 0; i < 2; ++i) {
                if (!inUse[i])
                    continue;
                const bool failed = counters.tick == collected || counters.unreadable.count(paths[i]);
                failedInARow[paths[i]] = failed ? failedInARow[paths[i]] + 1 : 0;
                if (failedInARow[paths[i]] >= kFailedTicksBeforeFallback)
                    givenUp.insert(paths[i]);
            }
            if (!sampled) {
                EXPECT_EQ(counters.tick, collected) << "reported failed after collecting";
                EXPECT_EQ(shown(), before) << "a failed tick changed what is shown";
                continue;
            }
            // A counter is missing when neither of its names could be added, or once it has
            // given no value too many ticks in a row; then the processor load is measured
            // from the system's processor times (from the second reading on) and the memory
            // comes from the system's commit charge.
            const auto expected = [&](int id, const char* path, int missing) {
                EXPECT_EQ(id < 0, counters.failedAdds[path] == 2 || givenUp.count(path)) << path;
                return id < 0 ? missing : counters.unreadable.count(path) ? PDH_VALUE_UNAVAILABLE : counters.ValueOf(path);
            };
            const int cpu = expected(sampler.m_nProcessorCounter, kProcessorCounterPath,
                                     processorTimesRead ? 70 : PDH_VALUE_UNAVAILABLE);
            processorTimesRead = processorTimesRead || sampler.m_nProcessorCounter < 0;
            const int memory = expected(sampler.m_nMemoryCounter, kMemoryCounterPath, 51);
            ASSERT_EQ(processorGraph.m_nCount, ++samples);
            const auto last = static_cast<std::size_t>(samples - 1);
            EXPECT_EQ(processorGraph.m_aY[last], cpu) << "tick " << tick;
            EXPECT_EQ(memoryGraph.m_aY[last], memory) << "tick " << tick;
            EXPECT_EQ(memoryGauge.m_nValue, memory);
            EXPECT_EQ(processorGauge.m_nValue, cpu);
            expectedPopups += memory > 50 ? 1 : 0;
        }
        EXPECT_EQ(host.popups, expectedPopups);
        sampler.Stop();
        EXPECT_EQ(counters.openQueries, 0);
    });
    // Open, two adds, then per tick a collection and two formatted and two raw reads.
    EXPECT_EQ(runs, 2 * (3 + 3 * 5));
}

// --- The settings record --------------------------------------------------

TEST(FaultInjection, AValueOfAnyWrongTypeOrSizeReadsAsMissingAndTheNextSaveRepairsIt) {
    using Bytes = std::vector<std::uint8_t>;
    Bytes oversized;
    for (std::size_t i = 0; i <= kMaxProfileStringBytes / 2; ++i)
        oversized.insert(oversized.end(), {'Q', 0});
    const std::vector<testing::RawValue> badInt{{kProfileTypeDword, {}}, {kProfileTypeDword, {1, 0}},
                                                {kProfileTypeDword, Bytes(8, 1)}};
    const std::vector<testing::RawValue> badString{{kProfileTypeString, {'Q', 0, 0}},
                                                   {kProfileTypeString, oversized}};
    Bytes oversizedList(kMaxProfileStringsBytes + 2, 'Q');
    const std::vector<testing::RawValue> badList{{kProfileTypeStrings, {'Q', 0, 0}},
                                                 {kProfileTypeStrings, oversizedList}};
    struct Entry {
        std::string name;
        std::uint32_t type;
        Bytes data;  // a value that would read well under `type`
        void (*readAsMissing)(OptimizerSettings&);
    };
    const Bytes one = EncodeProfileInt(1);
    const std::vector<Entry> entries{
        {"CL", kProfileTypeDword, one, [](OptimizerSettings& s) { s.m_nCriticalLimit = 0; }},
        {"RAS", kProfileTypeDword, one, [](OptimizerSettings& s) { s.m_bRunAtStartup = false; }},
        {"SN", kProfileTypeDword, one, [](OptimizerSettings& s) { s.m_bShowNotification = false; }},
        {"bAOMAMSF", kProfileTypeDword, one, [](OptimizerSettings& s) { s.m_bAutoOptimize = false; }},
        {"bARPL", kProfileTypeDword, one, [](OptimizerSettings& s) { s.m_bAutoRefreshProcessList = false; }},
        {"bEnableShortcut", kProfileTypeDword, one, [](OptimizerSettings& s) { s.m_bEnableShortcut = false; }},
        {"AreaSystemCache", kProfileTypeDword, one, [](OptimizerSettings& s) { s.m_areas.systemCache = false; }},
        {"AreaModifiedList", kProfileTypeDword, one, [](OptimizerSettings& s) { s.m_areas.modifiedList = false; }},
        {"AreaStandbyList", kProfileTypeDword, EncodeProfileInt(2),
         [](OptimizerSettings& s) { s.m_areas.standbyList = StandbyListChoice::Off; }},
        {"AreaCombinePages", kProfileTypeDword, one, [](OptimizerSettings& s) { s.m_areas.combinePages = false; }},
        {"AutoOptimizeRule", kProfileTypeDword, one,
         [](OptimizerSettings& s) { s.m_automatic.rule = AutomaticRule::EveryFiveMinutes; }},
        {"AutoOptimizePercent", kProfileTypeDword, EncodeProfileInt(60),
         [](OptimizerSettings& s) { s.m_automatic.inUsePercent = AutomaticRunChoices{}.inUsePercent; }},
        {"StandbyFreeBelowMB", kProfileTypeDword, EncodeProfileInt(256),
         [](OptimizerSettings& s) { s.m_automatic.standbyFreeBelowMB = AutomaticRunChoices{}.standbyFreeBelowMB; }},
        {"StandbyListAboveMB", kProfileTypeDword, EncodeProfileInt(2048),
         [](OptimizerSettings& s) { s.m_automatic.standbyListAboveMB = AutomaticRunChoices{}.standbyListAboveMB; }},
        {"Exclusions", kProfileTypeStrings, EncodeProfileStrings({"game.exe", "C:\\Tools\\*"}),
         [](OptimizerSettings& s) { s.m_exclusions.clear(); }},
        {"TrayIconShows", kProfileTypeDword, EncodeProfileInt(2),
         [](OptimizerSettings& s) { s.m_trayIconShows = TrayIconShows::Animation; }},
        {"Theme", kProfileTypeDword, EncodeProfileInt(2),
         [](OptimizerSettings& s) { s.m_theme = ThemeChoice::FollowWindows; }},
        {"Language", kProfileTypeString, EncodeProfileString("de"),
         [](OptimizerSettings& s) { s.m_language.clear(); }},
        // Without a shortcut there is no stored record: the settings stay as they were.
        {"SC", kProfileTypeString, EncodeProfileString("Q"), [](OptimizerSettings& s) { s = {}; }},
    };
    const OptimizerSettings stored{65,   "Q",  true, true, true, true, true, {true, true, StandbyListChoice::All, true},
                                   {AutomaticRule::AboveMemoryInUse, 60, 256, 2048}, {"game.exe", "C:\\Tools\\*"},
                                   TrayIconShows::CommittedMemory, ThemeChoice::Dark, "de"};

    for (const Entry& entry : entries) {
        std::vector<testing::RawValue> wrong = entry.type == kProfileTypeDword    ? badInt
                                               : entry.type == kProfileTypeString ? badString
                                                                                  : badList;
        for (std::uint32_t type = 0; type <= 11; ++type)  // REG_NONE to REG_QWORD
            if (type != entry.type)
                wrong.push_back({type, entry.data});
        for (const testing::RawValue& value : wrong) {
            SCOPED_TRACE(entry.name + " of type " + std::to_string(value.type) + " and " +
                         std::to_string(value.data.size()) + " bytes");
            testing::RawProfile profile;
            WriteSettings(profile, stored);
            profile.Set(entry.name, value);
            OptimizerSettings read;
            ReadSettings(profile, read);
            OptimizerSettings expected = stored;
            entry.readAsMissing(expected);
            EXPECT_EQ(read, expected);

            WriteSettings(profile, read);
            OptimizerSettings reread;
            ReadSettings(profile, reread);
            EXPECT_EQ(reread, read);
        }
    }
}

class FaultyProfile : public testing::FakeProfile {
public:
    explicit FaultyProfile(FaultPlan& plan) : m_plan(plan) {}
    bool WriteProfileInt(std::string_view section, std::string_view entry, int value) override {
        return Attempt(entry) && FakeProfile::WriteProfileInt(section, entry, value);
    }
    bool WriteProfileString(std::string_view section, std::string_view entry, const std::string& value) override {
        return Attempt(entry) && FakeProfile::WriteProfileString(section, entry, value);
    }
    bool WriteProfileStrings(std::string_view section, std::string_view entry,
                             const std::vector<std::string>& value) override {
        return Attempt(entry) && FakeProfile::WriteProfileStrings(section, entry, value);
    }
    std::vector<std::string> attempts;

private:
    bool Attempt(std::string_view entry) {
        attempts.emplace_back(entry);
        return !m_plan.Fails(entry);
    }

    FaultPlan& m_plan;
};

class FaultyRunEntry : public testing::FakeRunEntry {
public:
    explicit FaultyRunEntry(FaultPlan& plan) : m_plan(plan) {}
    bool WriteRunValue(const std::string& data) override {
        writable = !m_plan.Fails("run key");
        return FakeRunEntry::WriteRunValue(data);
    }

private:
    FaultPlan& m_plan;
};

TEST(FaultInjection, SavingWritesWhatItCanAndLeavesWhatCannotBeWrittenAsItWas) {
    const int runs = RunWithEveryFault([](FaultPlan& plan) {
        FaultyProfile profile(plan);
        FaultyRunEntry run(plan);
        const std::vector<std::pair<std::string, int>> switches{
            {"RAS", 1},           {"SN", 1},           {"bAOMAMSF", 0},         {"bARPL", 1},
            {"bEnableShortcut", 1}, {"AreaSystemCache", 0}, {"AreaModifiedList", 0}, {"AreaStandbyList", 0},
            {"AreaCombinePages", 0}};
        profile.SetInt("CL", 30);
        profile.SetString("SC", "Z");
        for (const auto& [name, saved] : switches)
            profile.SetInt(name, 1 - saved);
        run.value = "\"C:\\old\\path.exe\"";

        const OptimizerSettings settings{90, "Q", true, true, false, true, true, {}, {}, {}, TrayIconShows::Animation,
                                         ThemeChoice::FollowWindows, ""};
        WriteSettings(profile, settings);
        UpdateRunEntry(run, !settings.m_bRunAtStartup);

        EXPECT_EQ(profile.attempts, testing::SettingsValueNames());
        EXPECT_EQ(profile.Int("CL"), plan.Failed("CL") ? 30 : 90);
        EXPECT_EQ(profile.String("SC"), plan.Failed("SC") ? "Z" : "Q");
        for (const auto& [name, saved] : switches)
            EXPECT_EQ(profile.Int(name), plan.Failed(name) ? 1 - saved : saved) << name;
        EXPECT_EQ(run.writeAttempts, 1);
        EXPECT_EQ(run.value, plan.Failed("run key") ? "\"C:\\old\\path.exe\"" : "\"" + run.executablePath + "\"");
    });
    EXPECT_EQ(runs, static_cast<int>(2 * (testing::SettingsValueNames().size() + 1))) << "each value and the Run key";
}

}  // namespace
}  // namespace qmo
