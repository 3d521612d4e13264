#include <gtest/gtest.h>

#include <iostream>

#include "optimizer/memory_areas.h"
#include "optimizer/history_file_win32.h"
#include "optimizer/memory_system_win32.h"

using namespace qmo;

namespace {

std::string Described(const MemoryReading& reading) {
    const auto figure = [](const std::optional<std::int64_t>& bytes) {
        return bytes ? std::to_string(*bytes / (1024 * 1024)) + " MiB" : std::string("unknown");
    };
    return "lists from " + std::string(ReadingSourceName(reading.listsSource)) +
           " (standby " + figure(reading.standby) + ", modified " + figure(reading.modified) + ", free " +
           figure(reading.free) + "), totals from " + std::string(ReadingSourceName(reading.totalsSource)) +
           " (in use " + figure(reading.inUse) + ", commit charge " + figure(reading.commitCharge) +
           ", file cache " + figure(reading.systemCache) + ", page faults " +
           (reading.pageFaults ? std::to_string(*reading.pageFaults) : "unknown") + ")";
}

const char* OutcomeName(AreaOutcome outcome) {
    switch (outcome) {
    case AreaOutcome::NotChosen: return "not chosen";
    case AreaOutcome::Done: return "done";
    case AreaOutcome::Failed: return "failed";
    case AreaOutcome::NotAvailable: return "not available";
    case AreaOutcome::AcceptedNotMeasured: return "accepted, not measured";
    case AreaOutcome::NotNeeded: return "not needed";
    }
    return "?";
}

// Holds on wine and on Windows alike: whatever the system offers, the
// figures it gives are plausible and say where they came from.
TEST(MemoryReaderOnTheSystem, GivesPlausibleTotalsAndNamesTheirSources) {
    Win32MemoryReader reader;
    const MemoryReading reading = reader.Read();
    std::cout << "reading: " << Described(reading) << "\n";
    MEMORYSTATUSEX status{};
    status.dwLength = sizeof(status);
    ASSERT_TRUE(::GlobalMemoryStatusEx(&status));
    ASSERT_TRUE(reading.inUse);
    EXPECT_GT(*reading.inUse, 0);
    EXPECT_LE(static_cast<DWORDLONG>(*reading.inUse), status.ullTotalPhys);
    ASSERT_TRUE(reading.commitCharge);
    EXPECT_GT(*reading.commitCharge, 0);
    EXPECT_LE(static_cast<DWORDLONG>(*reading.commitCharge), status.ullTotalPageFile);
    EXPECT_NE(reading.totalsSource, ReadingSource::None);
    EXPECT_NE(reading.totalsSource, ReadingSource::MemoryListInformation);
    EXPECT_EQ(reading.inUseSource, ReadingSource::MemoryStatus);
    if (reading.listsSource == ReadingSource::MemoryListInformation) {
        ASSERT_TRUE(reading.standby && reading.free && reading.modified);
        EXPECT_LE(*reading.standby + *reading.free, static_cast<std::int64_t>(status.ullTotalPhys));
    } else {
        EXPECT_EQ(reading.listsSource, ReadingSource::None);
        EXPECT_FALSE(reading.standby || reading.modified || reading.free || reading.zeroed);
    }
}

TEST(MemoryAreasOnTheSystem, EveryAreaAnswersHonestly) {
    Win32MemoryAreaCalls calls;
    Win32MemoryReader reader;
    const bool listsReadable = reader.Read().listsSource == ReadingSource::MemoryListInformation;

    // What each call answers by itself.
    const auto print = [&](const char* name, const CallAnswer& answer) {
        std::cout << name << ": entry point " << (answer.entryPointFound ? "found" : "missing") << ", "
                  << (answer.succeeded ? "succeeded" : "failed") << ", " << (answer.statusIsNt ? "NTSTATUS" : "error")
                  << " 0x" << std::hex << answer.status << std::dec << " \"" << calls.StatusText(answer) << "\"\n";
    };
    std::cout << "privileges: profile " << calls.EnablePrivilege(SystemPrivilege::ProfileSingleProcess) << ", quota "
              << calls.EnablePrivilege(SystemPrivilege::IncreaseQuota) << "; page size " << calls.PageSize() << "\n";
    EXPECT_GT(calls.PageSize(), 0u);
    print("SetSystemFileCacheSize(-1, -1, 0)", calls.FlushSystemFileCache());
    print("memory list command 3 (flush modified)", calls.MemoryListCommand(kMemoryFlushModifiedList));
    print("memory list command 5 (purge lowest-priority standby)",
          calls.MemoryListCommand(kMemoryPurgeLowPriorityStandbyList));
    print("memory list command 4 (purge standby)", calls.MemoryListCommand(kMemoryPurgeStandbyList));
    std::optional<std::uint64_t> pagesCombined;
    print("combine physical memory", calls.CombinePhysicalMemory(pagesCombined));
    std::cout << "pages combined: " << (pagesCombined ? std::to_string(*pagesCombined) : "not written") << "\n";

    // And as a run judges them.
    SystemAreaRunner runner(calls, reader);
    AreaResults results{};
    runner.Run(MemoryAreaChoices{true, true, StandbyListChoice::All, true}, results);
    for (MemoryArea area :
         {MemoryArea::SystemCache, MemoryArea::ModifiedList, MemoryArea::StandbyList, MemoryArea::CombinePages}) {
        const AreaResult& result = ResultOf(results, area);
        std::cout << MemoryAreaName(area) << ": " << OutcomeName(result.outcome);
        if (result.outcome == AreaOutcome::Failed)
            std::cout << ", status 0x" << std::hex << result.status << std::dec << " \"" << result.statusText << "\"";
        if (result.effectBytes)
            std::cout << ", effect " << *result.effectBytes << " bytes";
        std::cout << "\n";
        EXPECT_NE(result.outcome, AreaOutcome::NotChosen) << MemoryAreaName(area);
        if (!listsReadable) {
            EXPECT_NE(result.outcome, AreaOutcome::Done) << MemoryAreaName(area);
        }
        EXPECT_EQ(result.effectBytes.has_value(), result.outcome == AreaOutcome::Done) << MemoryAreaName(area);
        if (result.outcome == AreaOutcome::Failed) {
            EXPECT_FALSE(result.statusText.empty()) << MemoryAreaName(area);
        }
        EXPECT_EQ(runner.KnownUnavailable(area), result.outcome == AreaOutcome::NotAvailable) << MemoryAreaName(area);
    }
}

// A status the system has words for reads as text without line ends, in
// UTF-8; one without reads as nothing, and the run says so itself.
TEST(MemoryAreasOnTheSystem, StatusesReadAsOneLineOfWords) {
    Win32MemoryAreaCalls calls;
    const std::string denied = calls.StatusText(CallAnswer{true, false, ERROR_PRIVILEGE_NOT_HELD, false});
    const std::string accessDenied = calls.StatusText(CallAnswer{true, false, 0xC0000022u, true});
    std::cout << "1314: \"" << denied << "\"; 0xC0000022: \"" << accessDenied << "\"\n";
    for (const std::string& text : {denied, accessDenied}) {
        EXPECT_FALSE(text.empty());
        EXPECT_EQ(text.find_first_of("\r\n"), std::string::npos) << text;
        EXPECT_NE(text.back(), ' ') << text;
    }
    EXPECT_EQ(calls.StatusText(CallAnswer{true, false, 0xE0DE0001u, true}), "");
}

}  // namespace

namespace {

// A folder of the test's own under the temporary folder, gone with it.
class ScratchFolder {
public:
    ScratchFolder() {
        wchar_t temp[MAX_PATH] = {};
        ::GetTempPathW(MAX_PATH, temp);
        path = std::wstring(temp) + L"qmo-history-" + std::to_wstring(::GetCurrentProcessId());
        Remove();
    }
    ~ScratchFolder() { Remove(); }
    void Remove() const {
        for (const wchar_t* name : {L"\\history.csv", L"\\history.csv.tmp"})
            ::DeleteFileW((path + name).c_str());
        ::RemoveDirectoryW(path.c_str());
    }
    bool Exists(const wchar_t* name) const {
        return ::GetFileAttributesW((path + name).c_str()) != INVALID_FILE_ATTRIBUTES;
    }
    std::wstring path;
};

// The file is written by the store's own thread, whole or not at all: after
// many quick replacements it holds the last text and nothing temporary.
TEST(HistoryFileOnTheSystem, MakesItsFolderKeepsTheLastTextAndReadsOnlyTheEndOfAHugeFile) {
    ScratchFolder folder;
    HistoryFile file(folder.path);
    bool cut = true;
    EXPECT_EQ(file.ReadEnd(1024, cut), std::nullopt) << "no file yet";
    EXPECT_FALSE(cut);
    for (int i = 0; i < 50; ++i)
        file.Replace("text " + std::to_string(i) + "\r\n");
    file.Flush();
    EXPECT_EQ(file.ReadEnd(1024, cut), "text 49\r\n");
    EXPECT_FALSE(cut);
    EXPECT_FALSE(folder.Exists(L"\\history.csv.tmp"));

    const std::string huge = std::string(3000, 'x') + "\r\nthe end\r\n";
    file.Replace(huge);
    file.Flush();
    EXPECT_EQ(file.ReadEnd(11, cut), "\r\nthe end\r\n");
    EXPECT_TRUE(cut);
    EXPECT_EQ(file.ReadEnd(huge.size(), cut), huge);
    EXPECT_FALSE(cut);
}

// Read while the store's thread writes: never half a file.
TEST(HistoryFileOnTheSystem, AReaderNeverSeesAHalfWrittenFile) {
    ScratchFolder folder;
    HistoryFile file(folder.path);
    const std::string first(200000, 'a');
    const std::string second(300000, 'b');
    file.Replace(first);
    file.Flush();
    for (int i = 0; i < 20; ++i) {
        file.Replace(i % 2 ? first : second);
        bool cut = false;
        const std::optional<std::string> seen = file.ReadEnd(1u << 20, cut);
        ASSERT_TRUE(seen);
        EXPECT_TRUE(*seen == first || *seen == second) << seen->size() << " bytes";
    }
    file.Flush();
}

}  // namespace
