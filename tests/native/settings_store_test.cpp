#include <gtest/gtest.h>

#include <optional>
#include <utility>
#include <vector>

#include "optimizer/exclusions.h"
#include "config/optimizer_settings.h"
#include "fake_settings_stores.h"

namespace qmo {
namespace {

using testing::FakeProfile;
using testing::FakeRunEntry;

const OptimizerSettings kDefaults{};

void StartUp(OptimizerSettings& settings, FakeProfile& profile, FakeRunEntry& run) {
    ReadSettings(profile, settings);
    WriteSettings(profile, settings);
    UpdateRunEntry(run, !settings.m_bRunAtStartup);
    ReadSettings(profile, settings);
}

void StoreRecord(FakeProfile& profile, int limit, const std::string& key, int ras, int sn, int ao, int arpl) {
    profile.SetInt("CL", limit);
    profile.SetString("SC", key);
    profile.SetInt("RAS", ras);
    profile.SetInt("SN", sn);
    profile.SetInt("bAOMAMSF", ao);
    profile.SetInt("bARPL", arpl);
}

TEST(SettingsStore, DefaultsAreEightyTheLetterOAndFourSwitchesOn) {
    EXPECT_EQ(kDefaults.m_nCriticalLimit, 80);
    EXPECT_EQ(kDefaults.m_strShortcutKey, "O");
    EXPECT_TRUE(kDefaults.m_bRunAtStartup && kDefaults.m_bShowNotification && kDefaults.m_bAutoOptimize &&
                kDefaults.m_bAutoRefreshProcessList);
}

TEST(SettingsStore, FirstStartKeepsDefaultsAndWritesAllSixValuesAndTheQuotedRunEntry) {
    FakeProfile profile;
    FakeRunEntry run;
    OptimizerSettings settings;
    StartUp(settings, profile, run);

    EXPECT_EQ(settings, kDefaults);
    EXPECT_EQ(profile.writes,
              testing::SettingsValueNames());
    EXPECT_EQ(profile.Int("CL"), 80);
    EXPECT_EQ(profile.String("SC"), "O");
    for (const char* flag : {"RAS", "SN", "bAOMAMSF", "bARPL"})
        EXPECT_EQ(profile.Int(flag), 1) << flag;
    EXPECT_EQ(profile.Int("bEnableShortcut"), 0) << "the shortcut is opt-in";
    for (const char* area : {"AreaSystemCache", "AreaModifiedList", "AreaStandbyList", "AreaCombinePages"})
        EXPECT_EQ(profile.Int(area), 0) << area << ": beyond the trim, nothing unless chosen";
    EXPECT_EQ(run.value, "\"C:\\Program Files\\Quenvale\\QuenvaleMemoryOptimizer.exe\"");
}

TEST(SettingsStore, StoredRecordIsReadWholeIncludingOutOfRangeLimits) {
    for (int limit : {150, -1, -2147483647 - 1, 0}) {
        FakeProfile profile;
        StoreRecord(profile, limit, "Q", 0, 1, 0, 1);
        OptimizerSettings settings;
        ReadSettings(profile, settings);
        EXPECT_EQ(settings.m_nCriticalLimit, limit);
        EXPECT_EQ(settings.m_strShortcutKey, "Q");
        EXPECT_FALSE(settings.m_bRunAtStartup);
        EXPECT_TRUE(settings.m_bShowNotification);
        EXPECT_FALSE(settings.m_bAutoOptimize);
        EXPECT_TRUE(settings.m_bAutoRefreshProcessList);
    }
}

TEST(SettingsStore, EmptyOrMissingShortcutDiscardsEverythingElseStored) {
    FakeProfile emptyKey;
    StoreRecord(emptyKey, 30, "", 0, 0, 0, 0);
    FakeProfile missingKey;
    StoreRecord(missingKey, 30, "x", 0, 0, 0, 0);
    missingKey.strings.clear();

    for (FakeProfile* profile : {&emptyKey, &missingKey}) {
        FakeRunEntry run;
        OptimizerSettings settings;
        StartUp(settings, *profile, run);
        EXPECT_EQ(settings, kDefaults);
        // The start-up save overwrites the stale values with the defaults.
        EXPECT_EQ(profile->Int("CL"), 80);
        EXPECT_EQ(profile->String("SC"), "O");
        EXPECT_EQ(profile->Int("RAS"), 1);
    }
}

TEST(SettingsStore, MissingValuesOfAStoredRecordReadAsZeroAndFalse) {
    FakeProfile profile;
    profile.SetString("SC", "O");
    OptimizerSettings settings;
    settings.m_bEnableShortcut = true;
    ReadSettings(profile, settings);
    EXPECT_EQ(settings.m_nCriticalLimit, 0);
    EXPECT_FALSE(settings.m_bRunAtStartup || settings.m_bShowNotification || settings.m_bAutoOptimize ||
                 settings.m_bAutoRefreshProcessList || settings.m_bEnableShortcut);
}

// A record written before the shortcut's switch existed keeps its values and the shortcut stays off.
TEST(SettingsStore, AnOlderRecordReadsWithTheShortcutOffAndAnyNonZeroSwitchTurnsItOn) {
    for (const auto& [stored, on] : std::vector<std::pair<std::optional<int>, bool>>{
             {std::nullopt, false}, {0, false}, {1, true}, {-7, true}}) {
        FakeProfile profile;
        StoreRecord(profile, 70, "K", 1, 1, 1, 1);
        if (stored)
            profile.SetInt("bEnableShortcut", *stored);
        OptimizerSettings settings;
        ReadSettings(profile, settings);
        EXPECT_EQ(settings.m_nCriticalLimit, 70);
        EXPECT_EQ(settings.m_bEnableShortcut, on) << stored.value_or(999);
        WriteSettings(profile, settings);
        EXPECT_EQ(profile.Int("bEnableShortcut"), on ? 1 : 0);
    }
}

// The standby list's choice, like the tray's and the theme's, is one of three;
// any other number is the first, and is written back as such. The other areas
// are switches.
TEST(SettingsStore, AnOlderRecordHasNoAreasAndAChoiceOutOfRangeIsTheFirst) {
    for (const auto& [stored, choice] : std::vector<std::pair<std::optional<int>, StandbyListChoice>>{
             {std::nullopt, StandbyListChoice::Off}, {0, StandbyListChoice::Off},
             {1, StandbyListChoice::LowestPriorityOnly}, {2, StandbyListChoice::All}, {3, StandbyListChoice::Off},
             {-1, StandbyListChoice::Off}}) {
        FakeProfile profile;
        StoreRecord(profile, 70, "K", 1, 1, 1, 1);
        if (stored)
            for (const char* name : {"AreaStandbyList", "TrayIconShows", "Theme"})
                profile.SetInt(name, *stored);
        profile.SetInt("AreaCombinePages", 9);
        OptimizerSettings settings;
        ReadSettings(profile, settings);
        EXPECT_EQ(settings.m_areas.standbyList, choice) << stored.value_or(999);
        EXPECT_EQ(static_cast<int>(settings.m_trayIconShows), static_cast<int>(choice));
        EXPECT_EQ(static_cast<int>(settings.m_theme), static_cast<int>(choice));
        EXPECT_FALSE(settings.m_areas.systemCache);
        EXPECT_TRUE(settings.m_areas.combinePages);
        WriteSettings(profile, settings);
        for (const char* name : {"AreaStandbyList", "TrayIconShows", "Theme"})
            EXPECT_EQ(profile.Int(name), static_cast<int>(choice)) << name;
        EXPECT_EQ(profile.Int("AreaCombinePages"), 1);
    }
}

TEST(SettingsStore, AnyNonZeroSwitchIsTrueAndIsWrittenBackAsOne) {
    FakeProfile profile;
    FakeRunEntry run;
    StoreRecord(profile, 80, "O", 7, -1, 2, 0);
    OptimizerSettings settings;
    StartUp(settings, profile, run);
    EXPECT_TRUE(settings.m_bRunAtStartup);
    EXPECT_TRUE(settings.m_bShowNotification);
    EXPECT_TRUE(settings.m_bAutoOptimize);
    EXPECT_FALSE(settings.m_bAutoRefreshProcessList);
    EXPECT_EQ(profile.Int("RAS"), 1);
    EXPECT_EQ(profile.Int("SN"), 1);
    EXPECT_EQ(profile.Int("bAOMAMSF"), 1);
    EXPECT_EQ(profile.Int("bARPL"), 0);
}

TEST(RunEntry, RunAtStartupOffBlanksTheValueAtEveryStartAndSave) {
    FakeProfile profile;
    FakeRunEntry run;
    run.value = "\"C:\\old\\path.exe\"";
    StoreRecord(profile, 80, "O", 0, 1, 1, 1);
    OptimizerSettings settings;
    StartUp(settings, profile, run);
    EXPECT_EQ(run.value, "");

    run.value = "something else";
    WriteSettings(profile, settings);
    UpdateRunEntry(run, !settings.m_bRunAtStartup);
    EXPECT_EQ(run.value, "");
}

TEST(RunEntry, MovedExecutableIsWrittenWithItsNewPath) {
    FakeProfile profile;
    FakeRunEntry run;
    OptimizerSettings settings;
    StartUp(settings, profile, run);
    run.executablePath = "D:\\Tools\\Optimizer\\QuenvaleMemoryOptimizer.exe";
    StartUp(settings, profile, run);
    EXPECT_EQ(run.value, "\"D:\\Tools\\Optimizer\\QuenvaleMemoryOptimizer.exe\"");
}

TEST(RunEntry, UnwritableRunKeyLeavesItAsItWasButTheProfileIsStillSaved) {
    FakeProfile profile;
    FakeRunEntry run;
    run.writable = false;
    OptimizerSettings settings;
    StartUp(settings, profile, run);
    EXPECT_EQ(run.writeAttempts, 1);
    EXPECT_FALSE(run.value.has_value());
    EXPECT_EQ(profile.writes, testing::SettingsValueNames());
}

TEST(RunEntry, EverySaveAsksForTheLogonTaskUnlessToldToLeaveItAlone) {
    FakeRunEntry run;
    UpdateRunEntry(run, false);
    UpdateRunEntry(run, true);
    using Request = FakeRunEntry::LogonTaskRequest;
    const std::vector<Request> asked{{run.executablePath, true}, {"", false}};
    EXPECT_EQ(run.logonTaskRequests, asked);

    UpdateRunEntry(run, false, LogonTaskUpdate::LeftAlone);
    EXPECT_EQ(run.value, "\"" + run.executablePath + "\"");
    EXPECT_EQ(run.writeAttempts, 3);
    EXPECT_EQ(run.logonTaskRequests, asked);
}

TEST(RunEntry, UnknownExecutablePathWritesNothingRatherThanEmptyQuotes) {
    FakeRunEntry run;
    run.executablePath.clear();
    run.value = "\"C:\\kept.exe\"";
    UpdateRunEntry(run, false);
    EXPECT_EQ(run.writeAttempts, 0);
    EXPECT_EQ(run.value, "\"C:\\kept.exe\"");

    // Clearing needs no path.
    UpdateRunEntry(run, true);
    EXPECT_EQ(run.value, "");
}

struct ExclusionCase {
    const char* entry;
    const char* name;
    const char* path;
    bool excluded;
};

// Names match the file name, entries with a folder the full path; letters
// compare as Windows compares them; * and ? are wildcards and nothing else is.
TEST(Exclusions, EntriesMatchNamesOrPathsWhateverTheCaseWithStarsAndQuestionMarks) {
    const std::vector<ExclusionCase> cases{
        {"game.exe", "GAME.EXE", "D:\\Games\\GAME.EXE", true},
        {"game.exe", "game.exe.bak", "", false},
        {"game.exe", "C:\\x\\game.exe", "", true},  // a name read with its folder
        {"g?me.exe", "gome.exe", "", true},
        {"g?me.exe", "gme.exe", "", false},
        {"*.scr", "bubbles.SCR", "", true},
        {"*", "anything", "", true},
        {"a*b*c", "aXbYbZc", "", true},
        {"a*b*c", "aXbYbZ", "", false},
        {"[game].exe", "[game].exe", "", true},  // brackets are plain letters
        {"C:\\Tools\\*", "sync.exe", "c:\\tools\\sub\\sync.exe", true},
        {"C:/Tools/sync.exe", "sync.exe", "C:\\TOOLS\\SYNC.EXE", true},
        {"C:\\Tools\\*", "sync.exe", "", false},  // path unreadable: a path entry cannot match
        {"\xC3\x9C" "ber.exe", "\xC3\xBC" "ber.exe", "", true},   // Latin-1 letters fold
        {"\xD0\x98\xD0\x93\xD0\xA0\xD0\x90.exe", "\xD0\xB8\xD0\xB3\xD1\x80\xD0\xB0.exe", "", true},  // Cyrillic
    };
    for (const ExclusionCase& c : cases) {
        SCOPED_TRACE(std::string(c.entry) + " against " + c.name + " / " + c.path);
        EXPECT_EQ(ExclusionList({c.entry}).Excludes(c.name, c.path), c.excluded);
    }
    std::string stars(kLongestExclusion, '*');
    EXPECT_FALSE(ExclusionList({stars + "x"}).Excludes(std::string(5000, 'a'), "")) << "over-long: not kept";
    EXPECT_TRUE(MatchesWildcard(stars, std::string(5000, 'a'))) << "many stars stay quick";
}

TEST(Exclusions, TheStoredListKeepsItsValidEntriesOnceEachAndAtMostTheLimit) {
    std::vector<std::string> stored{"  game.exe ", "", "GAME.EXE", std::string(kLongestExclusion + 1, 'x'), "\t",
                                    "C:/Tools/*"};
    EXPECT_EQ(KeptExclusions(stored), (std::vector<std::string>{"game.exe", "C:\\Tools\\*"}));
    for (int i = 0; i < 300; ++i)
        stored.push_back("p" + std::to_string(i) + ".exe");
    const std::vector<std::string> kept = KeptExclusions(stored);
    ASSERT_EQ(kept.size(), kMaxExclusions);
    EXPECT_EQ(kept.back(), "p253.exe");

    FakeProfile profile;
    OptimizerSettings settings;
    WriteSettings(profile, settings);
    profile.lists[FakeProfile::Key(kSettingsSection, "Exclusions")] = stored;
    ReadSettings(profile, settings);
    EXPECT_EQ(settings.m_exclusions, kept);
    WriteSettings(profile, settings);
    EXPECT_EQ(profile.lists[FakeProfile::Key(kSettingsSection, "Exclusions")], kept) << "written back without the bad";

    std::size_t index = 0;
    std::vector<std::string> full = kept;
    EXPECT_EQ(AddExclusion(full, "GAME.exe", index), ExclusionAdded::AlreadyListed);
    EXPECT_EQ(index, 0u);
    EXPECT_EQ(AddExclusion(full, "new.exe", index), ExclusionAdded::ListFull);
    EXPECT_EQ(AddExclusion(full, "   ", index), ExclusionAdded::NotKept);
    EXPECT_EQ(full.size(), kMaxExclusions);
}

}  // namespace
}  // namespace qmo
