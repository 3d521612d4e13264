#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <sstream>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "config/profile_value_codec.h"
#include "config/settings_page_logic.h"
#include "res/pages_resource.h"
#include "fake_memory_service.h"
#include "fake_settings_stores.h"
#include "shell/main_frame_logic.h"

using namespace qmo;

namespace {

using qmo::SettingsPageLogic;

// The main frame with the window left out: the record and its real save path.
class RecordFrame : public MainFrameWindow {
public:
    qmo::testing::FakeProfile profile;
    qmo::testing::FakeRunEntry run;
    qmo::testing::FakeHotkeys hotkeys;
    qmo::testing::FakeMemoryService memory;
    MainFrameLogic logic{*this, profile, run, hotkeys, memory.service};
    int appearanceChanges = 0;
    int policyChanges = 0;

    // The record as if it had been saved with `change` and loaded at start-up.
    template <class Change>
    void Hold(Change change) {
        OptimizerSettings record = logic.Settings();
        change(record);
        qmo::WriteSettings(profile, record);
        logic.LoadSettings();
    }

protected:
    void ShowBalloonTip() override {}
    void AppearanceChanged() override { ++appearanceChanges; }
    void PolicyChanged() override { ++policyChanges; }
    void HideWindow() override {}
    void ShowWindowWithTitle() override {}
    bool IsWindowShown() const override { return true; }
    void RestoreWindow() override {}
    void RunOptimizationDialog(bool) override {}
    void WaitForOptimizationWorker() override {}
    void PostExit() override {}
    void DestroyFrame() override {}
};

// The page's controls as the common controls behave: the up-down keeps its
// position within its range and, on an arrow click, tells its parent its
// position whether it moved or not.
class FakeControls : public qmo::SettingsPageControls {
public:
    explicit FakeControls(SettingsPageLogic*& page) : m_page(page) {}

    void SetText(int control, const std::string& text) override { texts[control] = text; }
    std::string Text(int control) override { return texts[control]; }
    void SetChecked(int control, bool checked) override { checks[control] = checked; }
    bool IsChecked(int control) override { return checks[control]; }
    void SetSpinRange(int, int low, int high) override {
        lowest = low;
        highest = high;
    }
    void SetSpinPosition(int, int position) override { spin = std::clamp(position, lowest, highest); }
    void AddComboItem(int control, const std::string& item) override { comboItems[control].push_back(item); }
    void SetComboSelection(int control, int index) override { selections[control] = index; }
    void SetLocked(int control, bool isLocked, bool) override { locked[control] = isLocked; }
    int ComboSelection(int control) override { return selections.contains(control) ? selections[control] : -1; }

    void ClickSpinArrow(int step) {
        spin = std::clamp(spin + step, lowest, highest);
        m_page->OnSpinScrolled(spin);
    }

    std::map<int, std::string> texts;
    std::map<int, bool> checks;
    std::map<int, std::vector<std::string>> comboItems;
    std::map<int, int> selections;
    std::map<int, bool> locked;
    int lowest = 0;
    int highest = 100;
    int spin = 0;

private:
    SettingsPageLogic*& m_page;
};

class SettingsPageTest : public ::testing::Test {
protected:
    SettingsPageTest() {
        page = &logic;
        logic.Initialize();
    }

    std::string LimitField() { return controls.texts[IDC_SETTINGS_CRITICAL_LIMIT]; }
    void TypeLimit(const std::string& text) { controls.texts[IDC_SETTINGS_CRITICAL_LIMIT] = text; }

    RecordFrame frame;
    SettingsPageLogic* page = nullptr;
    FakeControls controls{page};
    SettingsPageLogic logic{controls};
};

TEST_F(SettingsPageTest, InitializationSetsTheRangeTheZeroFieldAndTheLettersAToZ) {
    EXPECT_EQ(controls.lowest, 10);
    EXPECT_EQ(controls.highest, 100);
    EXPECT_EQ(controls.spin, 10);  // position 0, kept in range by the control
    EXPECT_EQ(LimitField(), "0");
    const std::vector<std::string>& letters = controls.comboItems[IDC_SETTINGS_SHORTCUT_KEY];
    ASSERT_EQ(letters.size(), 26u);
    EXPECT_EQ(letters.front(), "A");
    EXPECT_EQ(letters.back(), "Z");
    EXPECT_TRUE(std::is_sorted(letters.begin(), letters.end()));
}

TEST_F(SettingsPageTest, ShowingWithTheDefaultsGives80AndFourCheckedBoxes) {
    logic.Load(frame.logic);
    EXPECT_EQ(LimitField(), "80");
    EXPECT_EQ(controls.spin, 80);
    EXPECT_EQ(controls.texts[IDC_SETTINGS_SHORTCUT_KEY], "O");
    for (int box : {IDC_SETTINGS_RUN_AT_STARTUP, IDC_SETTINGS_SHOW_NOTIFICATION, IDC_SETTINGS_AUTO_OPTIMIZE,
                    IDC_SETTINGS_AUTO_REFRESH})
        EXPECT_TRUE(controls.checks[box]) << box;
}

TEST_F(SettingsPageTest, EachBoxShowsItsOwnField) {
    frame.Hold([](OptimizerSettings& s) { s.m_bRunAtStartup = false; });
    frame.Hold([](OptimizerSettings& s) { s.m_bAutoRefreshProcessList = false; });
    logic.Load(frame.logic);
    EXPECT_FALSE(controls.checks[IDC_SETTINGS_RUN_AT_STARTUP]);
    EXPECT_TRUE(controls.checks[IDC_SETTINGS_SHOW_NOTIFICATION]);
    EXPECT_TRUE(controls.checks[IDC_SETTINGS_AUTO_OPTIMIZE]);
    EXPECT_FALSE(controls.checks[IDC_SETTINGS_AUTO_REFRESH]);
}

TEST_F(SettingsPageTest, TheUpDownStepsTheFieldAndStopsAt10And100) {
    frame.Hold([](OptimizerSettings& s) { s.m_nCriticalLimit = 99; });
    logic.Load(frame.logic);
    controls.ClickSpinArrow(+1);
    EXPECT_EQ(LimitField(), "100");
    controls.ClickSpinArrow(+1);
    EXPECT_EQ(LimitField(), "100");

    frame.Hold([](OptimizerSettings& s) { s.m_nCriticalLimit = 11; });
    logic.Load(frame.logic);
    controls.ClickSpinArrow(-1);
    controls.ClickSpinArrow(-1);
    EXPECT_EQ(LimitField(), "10");
}

TEST_F(SettingsPageTest, TheUpDownTakesTheLow16BitsOfTheLimit) {
    frame.Hold([](OptimizerSettings& s) { s.m_nCriticalLimit = 65536 + 42; });
    logic.Load(frame.logic);
    EXPECT_EQ(LimitField(), "65578");
    EXPECT_EQ(controls.spin, 42);
    frame.Hold([](OptimizerSettings& s) { s.m_nCriticalLimit = -3; });  // a negative short, held at the bottom of the range
    logic.Load(frame.logic);
    EXPECT_EQ(LimitField(), "-3");
    EXPECT_EQ(controls.spin, 10);
}

TEST_F(SettingsPageTest, A250TypedAndTheUpperApplyIsStoredAndShownNextTime) {
    logic.Load(frame.logic);
    TypeLimit("250");
    logic.ApplyOptimizerSettings(frame.logic);
    EXPECT_EQ(frame.profile.Int("CL"), 250);
    EXPECT_EQ(frame.logic.Settings().m_nCriticalLimit, 250);

    TypeLimit("55");  // not applied: the next showing overwrites it
    logic.Load(frame.logic);
    EXPECT_EQ(LimitField(), "250");
}

TEST_F(SettingsPageTest, AClearedFieldIsStoredAs0) {
    logic.Load(frame.logic);
    TypeLimit("");
    logic.ApplyOptimizerSettings(frame.logic);
    EXPECT_EQ(frame.profile.Int("CL"), 0);
}

TEST_F(SettingsPageTest, EachApplyWritesAllValuesWithTheOtherGroupFromTheRecord) {
    logic.Load(frame.logic);
    TypeLimit("30");
    controls.checks[IDC_SETTINGS_AUTO_OPTIMIZE] = false;
    controls.checks[IDC_SETTINGS_SHOW_NOTIFICATION] = false;

    logic.ApplyGeneralSettings(frame.logic);
    EXPECT_EQ(frame.profile.writes,
              qmo::testing::SettingsValueNames());
    EXPECT_EQ(frame.profile.Int("CL"), 80);
    EXPECT_EQ(frame.profile.Int("bAOMAMSF"), 1);
    EXPECT_EQ(frame.profile.Int("SN"), 0);

    logic.Load(frame.logic);  // switching pages and back
    EXPECT_EQ(LimitField(), "80");
    EXPECT_TRUE(controls.checks[IDC_SETTINGS_AUTO_OPTIMIZE]);

    controls.checks[IDC_SETTINGS_SHOW_NOTIFICATION] = true;  // not applied by the upper button
    controls.checks[IDC_SETTINGS_AUTO_OPTIMIZE] = false;
    logic.ApplyOptimizerSettings(frame.logic);
    EXPECT_EQ(frame.profile.writes.size(), 2 * qmo::testing::SettingsValueNames().size());
    EXPECT_EQ(frame.profile.Int("SN"), 0);
    EXPECT_EQ(frame.profile.Int("bAOMAMSF"), 0);
}

TEST_F(SettingsPageTest, TheLowerApplyTakesTheTrayAndThemeChoicesAndTellsTheFrameOfAChangeOnly) {
    frame.Hold([](OptimizerSettings& s) { s.m_theme = ThemeChoice::Dark; });
    logic.Load(frame.logic);
    EXPECT_EQ(controls.selections[IDC_SETTINGS_THEME], 2);
    EXPECT_EQ(controls.selections[IDC_SETTINGS_TRAY_SHOWS], 0);
    logic.ApplyGeneralSettings(frame.logic);
    EXPECT_EQ(frame.appearanceChanges, 0);

    controls.selections[IDC_SETTINGS_TRAY_SHOWS] = 2;
    logic.ApplyOptimizerSettings(frame.logic);  // not the upper button's
    EXPECT_EQ(frame.profile.Int("TrayIconShows"), 0);
    logic.ApplyGeneralSettings(frame.logic);
    EXPECT_EQ(frame.profile.Int("TrayIconShows"), 2);
    EXPECT_EQ(frame.appearanceChanges, 1);

    controls.selections[IDC_SETTINGS_THEME] = -1;  // nothing chosen keeps the record's
    logic.ApplyGeneralSettings(frame.logic);
    EXPECT_EQ(frame.profile.Int("Theme"), 2);
    EXPECT_EQ(frame.appearanceChanges, 1);
}

TEST_F(SettingsPageTest, UncheckingRunAtStartupAndTheLowerApplyBlanksTheRunEntryAtOnce) {
    logic.Load(frame.logic);
    controls.checks[IDC_SETTINGS_RUN_AT_STARTUP] = false;
    logic.ApplyGeneralSettings(frame.logic);
    EXPECT_EQ(frame.run.value, std::string());
    EXPECT_EQ(frame.profile.Int("RAS"), 0);

    controls.checks[IDC_SETTINGS_RUN_AT_STARTUP] = true;
    logic.ApplyGeneralSettings(frame.logic);
    EXPECT_EQ(frame.run.value, "\"" + frame.run.executablePath + "\"");
}

// The logon task is slow to reach; the upper group cannot change it.
TEST_F(SettingsPageTest, OnlyTheLowerApplyAsksForTheLogonTaskWhileBothRewriteTheRunEntry) {
    logic.Load(frame.logic);
    frame.run.value = "stale";
    logic.ApplyOptimizerSettings(frame.logic);
    EXPECT_EQ(frame.run.value, "\"" + frame.run.executablePath + "\"");
    EXPECT_TRUE(frame.run.logonTaskRequests.empty());

    controls.checks[IDC_SETTINGS_RUN_AT_STARTUP] = false;
    logic.ApplyGeneralSettings(frame.logic);
    ASSERT_EQ(frame.run.logonTaskRequests.size(), 1u);
    EXPECT_FALSE(frame.run.logonTaskRequests[0].enabled);
}

TEST_F(SettingsPageTest, TheShortcutLetterTravelsThroughTheComboAndIsNeverStoredEmpty) {
    frame.Hold([](OptimizerSettings& s) { s.m_strShortcutKey = "K"; });
    logic.Load(frame.logic);
    controls.texts[IDC_SETTINGS_SHORTCUT_KEY] = "Q";
    logic.ApplyOptimizerSettings(frame.logic);
    EXPECT_EQ(frame.profile.String("SC"), "Q");

    // An empty letter would void the whole stored record at the next start.
    controls.texts[IDC_SETTINGS_SHORTCUT_KEY] = "";
    logic.ApplyOptimizerSettings(frame.logic);
    EXPECT_EQ(frame.profile.String("SC"), "Q");
}

// --- The language list: "As in Windows", then the shipped languages but the pseudo one ---

class LanguageChoiceTest : public SettingsPageTest {
protected:
    LanguageChoiceTest() {
        languagePage = &withLanguages;
        withLanguages.Initialize();
    }
    int Shown() { return languageControls.ComboSelection(IDC_SETTINGS_LANGUAGE); }
    void Pick(int item) { languageControls.selections[IDC_SETTINGS_LANGUAGE] = item; }
    std::string Stored() { return frame.profile.String("Language").value_or("(none)"); }

    SettingsPageLogic* languagePage = nullptr;
    FakeControls languageControls{languagePage};
    SettingsPageLogic withLanguages{languageControls,
                                    {{"en", "English"}, {"qps-ploc", "Pseudo", true}, {"de", "Deutsch"}}};
};

TEST_F(LanguageChoiceTest, APickedLanguageIsStoredByItsTagByTheLowerApplyOnly) {
    const std::vector<std::string>& items = languageControls.comboItems[IDC_SETTINGS_LANGUAGE];
    ASSERT_EQ(items.size(), 3u);
    EXPECT_EQ(std::vector<std::string>(items.begin() + 1, items.end()),
              (std::vector<std::string>{"English", "Deutsch"}));
    withLanguages.Load(frame.logic);
    EXPECT_EQ(Shown(), 0) << "nothing stored follows Windows";

    Pick(2);
    withLanguages.ApplyOptimizerSettings(frame.logic);
    EXPECT_EQ(Stored(), "");
    withLanguages.ApplyGeneralSettings(frame.logic);
    EXPECT_EQ(Stored(), "de");
    EXPECT_EQ(frame.appearanceChanges, 0) << "taken at the next start";
    Pick(0);
    withLanguages.Load(frame.logic);
    EXPECT_EQ(Shown(), 2);

    Pick(0);
    withLanguages.ApplyGeneralSettings(frame.logic);
    EXPECT_EQ(Stored(), "");
}

// A later version's language, the pseudo language, or a tag written in
// another case: merely applying the page must not change what is stored.
TEST_F(LanguageChoiceTest, AStoredTagIsKeptAsWrittenUntilAnotherItemIsPicked) {
    for (const auto& [tag, shown] : {std::pair<std::string, int>{"pt-BR", -1}, {"qps-ploc", -1}, {"DE", 2}}) {
        frame.Hold([&tag](OptimizerSettings& s) { s.m_language = tag; });
        withLanguages.Load(frame.logic);
        EXPECT_EQ(Shown(), shown) << tag;
        withLanguages.ApplyGeneralSettings(frame.logic);
        withLanguages.ApplyOptimizerSettings(frame.logic);
        EXPECT_EQ(Stored(), tag);
        Pick(1);
        withLanguages.ApplyGeneralSettings(frame.logic);
        EXPECT_EQ(Stored(), "en") << tag;
    }
}

// --- The emergency shortcut, from the page through the record to the system ---

class ShortcutTest : public SettingsPageTest {
protected:
    // As the frame starts: the record loaded, then the shortcut registered.
    void Start(bool enabled, const std::string& letter) {
        frame.Hold([&](OptimizerSettings& s) {
            s.m_bEnableShortcut = enabled;
            s.m_strShortcutKey = letter;
        });
        frame.logic.RegisterShortcut();
        logic.Load(frame.logic);
    }
    void ApplyUpper(bool enabled, const std::string& letter) {
        controls.checks[IDC_SETTINGS_ENABLE_SHORTCUT] = enabled;
        controls.texts[IDC_SETTINGS_SHORTCUT_KEY] = letter;
        logic.ApplyOptimizerSettings(frame.logic);
    }
    std::vector<char> Held() const { return frame.hotkeys.ours; }
    std::string Problem() { return controls.texts[IDC_SETTINGS_SHORTCUT_PROBLEM]; }
};

TEST_F(ShortcutTest, OffByDefaultAndAtAStartWithItOffNothingIsRegistered) {
    frame.logic.RegisterShortcut();
    logic.Load(frame.logic);
    EXPECT_FALSE(controls.checks[IDC_SETTINGS_ENABLE_SHORTCUT]);
    EXPECT_EQ(frame.hotkeys.registrations, 0);
    EXPECT_EQ(Problem(), "");
    logic.ApplyOptimizerSettings(frame.logic);
    logic.ApplyGeneralSettings(frame.logic);
    EXPECT_EQ(frame.hotkeys.registrations, 0);
}

TEST_F(ShortcutTest, StartRegistersTheStoredLetterAndEachChangeReleasesTheOldOneFirst) {
    Start(true, "K");
    EXPECT_TRUE(controls.checks[IDC_SETTINGS_ENABLE_SHORTCUT]);
    EXPECT_EQ(Held(), std::vector<char>{'K'});

    ApplyUpper(true, "K");  // nothing changed: kept, not asked for again
    logic.ApplyGeneralSettings(frame.logic);
    EXPECT_EQ(frame.hotkeys.registrations, 1);

    ApplyUpper(true, "q");
    EXPECT_EQ(Held(), std::vector<char>{'Q'});
    EXPECT_EQ(frame.profile.String("SC"), "q") << "the letter is stored as it was given";

    ApplyUpper(false, "Q");
    EXPECT_TRUE(Held().empty());
    EXPECT_EQ(frame.profile.Int("bEnableShortcut"), 0);
    ApplyUpper(true, "Q");
    EXPECT_EQ(Held(), std::vector<char>{'Q'});
    EXPECT_EQ(frame.profile.Int("bEnableShortcut"), 1);

    frame.logic.ReleaseShortcut();  // exit
    EXPECT_TRUE(Held().empty());
}

TEST_F(ShortcutTest, AHeldCombinationIsStoredAndNamedOnThePageUntilOneThatCanBeHadIsApplied) {
    frame.hotkeys.heldElsewhere = {'K', 'J'};
    Start(true, "K");
    EXPECT_TRUE(Held().empty());
    EXPECT_EQ(Problem(), "Ctrl + Alt + K is used by another program");

    ApplyUpper(true, "J");
    EXPECT_EQ(frame.profile.String("SC"), "J");
    EXPECT_EQ(frame.profile.Int("bEnableShortcut"), 1);
    EXPECT_EQ(Problem(), "Ctrl + Alt + J is used by another program");
    logic.Load(frame.logic);  // shown again: still said
    EXPECT_EQ(Problem(), "Ctrl + Alt + J is used by another program");

    frame.hotkeys.heldElsewhere.clear();  // the other program let go: the same letter, applied again, is had
    ApplyUpper(true, "J");
    EXPECT_EQ(Held(), std::vector<char>{'J'});
    EXPECT_EQ(Problem(), "");

    frame.hotkeys.heldElsewhere = {'K'};
    ApplyUpper(true, "K");
    EXPECT_TRUE(Held().empty()) << "the old combination is released even when the new one is refused";
    ApplyUpper(false, "K");
    EXPECT_EQ(Problem(), "") << "switched off, nothing is wrong";
}

TEST_F(ShortcutTest, TextThatIsNotOneLetterRegistersNothingAndSaysSo) {
    for (const std::string text : {"1", "KK", " ", "\xC3\x96"}) {
        Start(true, "K");
        ApplyUpper(true, text);
        EXPECT_TRUE(Held().empty()) << text;
        EXPECT_EQ(Problem(), "The shortcut needs a single letter from A to Z") << text;
    }
    EXPECT_EQ(qmo::ShortcutLetter("z"), 'Z');
    for (const char* outside : {"@", "[", "`", "{"})
        EXPECT_EQ(qmo::ShortcutLetter(outside), std::nullopt) << outside;
}

// The organisation's policy over the user's settings.
class PolicyTest : public SettingsPageTest {
protected:
    using Source = qmo::testing::FakePolicySource;
    PolicyTest() {
        frame.logic.SetPolicySource(&policy);
        frame.logic.SetEventLog(&events);
    }
    // The record as saved by the user, and the policy as set, read at a start.
    void Start() {
        frame.Hold([](OptimizerSettings& s) {
            s.m_nCriticalLimit = 70;
            s.m_bRunAtStartup = true;
            s.m_exclusions = {"mine.exe"};
        });
        frame.logic.CreationCompleted();
    }

    Source policy;
    qmo::testing::RecordingEventLog events;
};

TEST_F(PolicyTest, TheMachinesValueWinsIsShownLockedAndTheUsersOwnIsWhatIsSaved) {
    policy.Set(PolicyScope::User, "CriticalLimit", Source::Dword(60));
    policy.Set(PolicyScope::Machine, "CriticalLimit", Source::Dword(90));
    policy.Set(PolicyScope::User, "RunAtStartup", Source::Dword(0));
    policy.Set(PolicyScope::Machine, "Exclusions", Source::List({"game.exe", "MINE.EXE"}));
    Start();
    EXPECT_EQ(frame.logic.Settings().m_nCriticalLimit, 90);
    EXPECT_FALSE(frame.logic.Settings().m_bRunAtStartup);
    EXPECT_EQ(frame.logic.Settings().m_exclusions, (std::vector<std::string>{"mine.exe", "game.exe"}));

    logic.Load(frame.logic);
    EXPECT_EQ(LimitField(), "90");
    for (int control : {IDC_SETTINGS_CRITICAL_LIMIT, IDC_SETTINGS_LIMIT_SPIN, IDC_SETTINGS_RUN_AT_STARTUP})
        EXPECT_TRUE(controls.locked[control]) << control;
    for (int control : {IDC_SETTINGS_SHOW_NOTIFICATION, IDC_SETTINGS_THEME, IDC_SETTINGS_SHORTCUT_KEY})
        EXPECT_FALSE(controls.locked[control]) << control;

    // Both Apply buttons, and an exclusions edit that keeps the policy's entry and adds one.
    controls.checks[IDC_SETTINGS_SHOW_NOTIFICATION] = false;
    logic.ApplyOptimizerSettings(frame.logic);
    logic.ApplyGeneralSettings(frame.logic);
    OptimizerSettings edited = frame.logic.Settings();
    edited.m_exclusions.push_back("new.exe");
    frame.logic.ApplySettings(edited, LogonTaskUpdate::LeftAlone);

    EXPECT_EQ(frame.profile.Int("CL"), 70);
    EXPECT_EQ(frame.profile.Int("RAS"), 1);
    EXPECT_EQ(frame.profile.Int("SN"), 0);
    EXPECT_EQ(frame.profile.lists["Settings\\Exclusions"], (std::vector<std::string>{"mine.exe", "new.exe"}));
    EXPECT_EQ(frame.run.value, "") << "the Run entry follows the setting in use";
    EXPECT_EQ(frame.logic.Settings().m_nCriticalLimit, 90);
    EXPECT_FALSE(frame.logic.Settings().m_bShowNotification);
    EXPECT_TRUE(events.entries.empty());
}

TEST_F(PolicyTest, BadValuesAreIgnoredOneByOneAndReportedOnceARun) {
    const std::uint8_t threeBytes[] = {1, 0, 0};
    policy.Set(PolicyScope::Machine, "CriticalLimit", Source::Dword(101));
    policy.Set(PolicyScope::User, "CriticalLimit", Source::Dword(60));  // the user's policy stands in
    policy.Set(PolicyScope::Machine, "AreaStandbyList", Source::Dword(3));
    policy.Set(PolicyScope::Machine, "Theme", Source::Text("2"));
    policy.Set(PolicyScope::Machine, "ShortcutKey", Source::Text("a"));
    policy.Set(PolicyScope::User, "Language", Source::Text("de_DE"));
    policy.Set(PolicyScope::Machine, "Exclusions", Source::Dword(1));
    policy.Set(PolicyScope::Machine, "AutoOptimize", DecodePolicyValue(kProfileTypeDword, threeBytes));
    Start();

    OptimizerSettings expected = frame.logic.UserSettings();
    expected.m_nCriticalLimit = 60;
    EXPECT_EQ(frame.logic.Settings(), expected);
    const SettingsPolicy& read = frame.logic.Policy();
    EXPECT_EQ(read.locked.count(), 1u);
    EXPECT_TRUE(read.Locks(PolicySetting::CriticalLimit));
    ASSERT_EQ(events.entries.size(), 7u);
    for (const auto& entry : events.entries) {
        EXPECT_EQ(entry.event, ProgramEvent::PolicyValueIgnored);
        ASSERT_EQ(entry.inserts.size(), 2u);
        EXPECT_EQ(entry.inserts[0].rfind("HK", 0), 0u) << entry.inserts[0];
    }
    EXPECT_NE(events.entries.front().inserts[1].find("101"), std::string::npos) << events.entries.front().inserts[1];

    // Group Policy refreshes with nothing changed: nothing new is written, nobody is told.
    frame.logic.OnPolicyChanged();
    frame.logic.LoadSettings();
    EXPECT_EQ(events.entries.size(), 7u);
    EXPECT_EQ(frame.policyChanges, 0);
}

TEST_F(PolicyTest, ARefreshTakesEffectAtOnceAndTheSwitchesRefuseWhatTheyForbid) {
    Start();
    ASSERT_TRUE(frame.logic.RequestOptimization(OptimizationStart::Visible, RunTrigger::Page));
    frame.run.value.reset();

    policy.Set(PolicyScope::Machine, "RunAtStartup", Source::Dword(0));
    policy.Set(PolicyScope::Machine, "Theme", Source::Dword(2));
    policy.Set(PolicyScope::User, "DisableManualOptimization", Source::Dword(1));
    frame.logic.OnPolicyChanged();
    EXPECT_EQ(frame.policyChanges, 1);
    EXPECT_EQ(frame.appearanceChanges, 1);
    EXPECT_EQ(frame.run.value, "");
    EXPECT_EQ(frame.logic.Settings().m_theme, ThemeChoice::Dark);
    EXPECT_EQ(frame.profile.Int("Theme"), 0) << "nothing is written on a refresh";

    for (RunTrigger trigger : {RunTrigger::Page, RunTrigger::Tray, RunTrigger::Hotkey, RunTrigger::CommandLine})
        EXPECT_FALSE(frame.logic.RequestOptimization(OptimizationStart::Visible, trigger));
    EXPECT_FALSE(frame.logic.OptimizeProcess(4));
    EXPECT_TRUE(frame.logic.RunAutomaticOptimization().has_value()) << "automatic runs go on";

    // The policy is withdrawn: the user's own settings are back.
    policy.values.clear();
    frame.logic.OnPolicyChanged();
    EXPECT_EQ(frame.run.value, "\"" + frame.run.executablePath + "\"");
    EXPECT_EQ(frame.logic.Settings().m_theme, ThemeChoice::FollowWindows);
    EXPECT_TRUE(frame.logic.RequestOptimization(OptimizationStart::Visible, RunTrigger::Page));
}

// What the Group Policy template writes, as its checker lists it.
struct TemplateValue {
    std::string kind;
    std::uint32_t lowest = 0, highest = 0;
    std::vector<std::string> choices;
};
std::map<std::string, TemplateValue> TemplateValues() {
    std::map<std::string, TemplateValue> values;
    FILE* listing = ::popen(QMO_POLICY_NAMES_COMMAND, "r");
    if (!listing)
        return values;
    char line[1024];
    while (std::fgets(line, sizeof line, listing)) {
        std::istringstream words(line);
        std::string name, rest;
        TemplateValue value;
        words >> name >> value.kind;
        if (value.kind == "dword")
            words >> value.lowest >> value.highest;
        else if (words >> rest) {
            std::istringstream choices(rest);
            for (std::string choice; std::getline(choices, choice, ',');)
                value.choices.push_back(choice);
            if (rest.back() == ',')
                value.choices.push_back("");
        }
        values[name] = value;
    }
    EXPECT_EQ(::pclose(listing), 0) << "the template's checker found a fault";
    return values;
}

// Both ways: every value the template writes is one the program reads, of
// the same kind; every end of its ranges and every choice is taken, and one
// step past an end is not; every value the program reads is in the template.
TEST(PolicyValues, TheTemplateWritesExactlyTheValuesTheProgramReadsAndNothingItRejects) {
    using Source = qmo::testing::FakePolicySource;
    const std::map<std::string, TemplateValue> written = TemplateValues();
    const std::vector<PolicyDescription> read = PolicyValueNames();
    ASSERT_EQ(written.size(), read.size());
    const auto taken = [](const std::string& name, const PolicyValue& value) {
        Source source;
        source.Set(PolicyScope::Machine, name, value);
        return ReadSettingsPolicy(source).ignored.empty();
    };
    for (const PolicyDescription& value : read) {
        const std::string name(value.name);
        SCOPED_TRACE(name);
        const auto found = written.find(name);
        ASSERT_NE(found, written.end()) << "not in the template";
        const TemplateValue& shape = found->second;
        switch (value.type) {
        case PolicyValue::Type::Number:
            ASSERT_EQ(shape.kind, "dword");
            EXPECT_TRUE(taken(name, Source::Dword(shape.lowest)));
            EXPECT_TRUE(taken(name, Source::Dword(shape.highest)));
            EXPECT_FALSE(taken(name, Source::Dword(shape.highest + 1)));
            if (shape.lowest > 0) {
                EXPECT_FALSE(taken(name, Source::Dword(shape.lowest - 1)));
            }
            break;
        case PolicyValue::Type::Text:
            ASSERT_EQ(shape.kind, "string");
            EXPECT_FALSE(shape.choices.empty());
            for (const std::string& choice : shape.choices)
                EXPECT_TRUE(taken(name, Source::Text(choice))) << choice;
            break;
        case PolicyValue::Type::TextList:
            EXPECT_EQ(shape.kind, "multistring");
            break;
        case PolicyValue::Type::Other:
            ADD_FAILURE();
        }
    }
}

TEST(PolicyValues, RegistryDataIsTakenOnlyInTheShapeTheProfileKeeps) {
    const std::uint8_t dword[] = {5, 0, 0, 0};
    const std::uint8_t qword[] = {5, 0, 0, 0, 0, 0, 0, 0};
    const std::uint8_t text[] = {'d', 0, 'e', 0, 0, 0};
    const std::uint8_t oddText[] = {'d', 0, 'e'};
    EXPECT_EQ(DecodePolicyValue(kProfileTypeDword, dword).type, PolicyValue::Type::Number);
    EXPECT_EQ(DecodePolicyValue(kProfileTypeDword, dword).number, 5u);
    EXPECT_EQ(DecodePolicyValue(kProfileTypeDword, qword).type, PolicyValue::Type::Other);
    EXPECT_EQ(DecodePolicyValue(11, qword).type, PolicyValue::Type::Other);  // REG_QWORD
    EXPECT_EQ(DecodePolicyValue(kProfileTypeString, text).text, "de");
    EXPECT_EQ(DecodePolicyValue(kProfileTypeString, oddText).type, PolicyValue::Type::Other);
    EXPECT_EQ(DecodePolicyValue(2, text).type, PolicyValue::Type::Other);  // REG_EXPAND_SZ
    EXPECT_EQ(DecodePolicyValue(kProfileTypeStrings, text).list, (std::vector<std::string>{"de"}));
}

TEST(ParseCriticalLimit, ReadsASignedNumberAndGives0ForNothingReadable) {
    EXPECT_EQ(qmo::ParseCriticalLimit("75"), 75);
    EXPECT_EQ(qmo::ParseCriticalLimit("0075"), 75);
    EXPECT_EQ(qmo::ParseCriticalLimit("  -5"), -5);
    EXPECT_EQ(qmo::ParseCriticalLimit("+12"), 12);
    EXPECT_EQ(qmo::ParseCriticalLimit("12abc"), 12);
    EXPECT_EQ(qmo::ParseCriticalLimit(""), 0);
    EXPECT_EQ(qmo::ParseCriticalLimit("abc"), 0);
    EXPECT_EQ(qmo::ParseCriticalLimit("-"), 0);
}

TEST(ParseCriticalLimit, ANumberBeyondAnIntStopsAtItsEnd) {
    EXPECT_EQ(qmo::ParseCriticalLimit("2147483647"), INT_MAX);
    EXPECT_EQ(qmo::ParseCriticalLimit("2147483648"), INT_MAX);
    EXPECT_EQ(qmo::ParseCriticalLimit("99999999999999999999999"), INT_MAX);
    EXPECT_EQ(qmo::ParseCriticalLimit("-2147483648"), INT_MIN);
    EXPECT_EQ(qmo::ParseCriticalLimit("-99999999999999999999999"), INT_MIN);
}

}  // namespace
