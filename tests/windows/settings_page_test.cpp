#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>
#include <string>

#include "config/registry_run_entry.h"
#include "framework/application.h"
#include "config/profile_value_codec.h"
#include "config/registry_profile.h"
#include "res/pages_resource.h"
#include "res/resource.h"
#include "framework/text.h"
#include "shell/main_frame.h"
#include "toolkit/locked_control.h"
#include "toolkit/ui_fonts.h"
#include "toolkit_test_support.h"
#include "frame_test_support.h"
#include "wine_test_support.h"

namespace {

using qmo::testing::AsText;
using qmo::testing::ReadRawValue;

// The real frame on a profile and Run key of the test's own, shown on the settings page.
class SettingsPageTest : public ::testing::Test, protected qmo::testing::FrameOnScratchKeys<> {
protected:
    SettingsPageTest() : FrameOnScratchKeys(L"SettingsPage") {}
    void SetUp() override {
        ASSERT_TRUE(Create());
        ::ShowWindow(Frame(), SW_SHOWMAXIMIZED);
        ::SendMessageW(Frame(), WM_COMMAND, ID_VIEW_SETTINGS, 0);
        ASSERT_TRUE(::IsWindowVisible(Page()));
    }

    HWND Frame() const { return frame->GetSafeHwnd(); }
    HWND Page() const { return frame->View().SettingsPage().GetSafeHwnd(); }
    HWND Item(int id) const { return ::GetDlgItem(Page(), id); }
    std::wstring Text(int id) const {
        wchar_t text[64] = {};
        ::GetWindowTextW(Item(id), text, 64);
        return text;
    }
    void Type(const wchar_t* text) { ::SetWindowTextW(Item(IDC_SETTINGS_CRITICAL_LIMIT), text); }
    bool Checked(int id) const { return ::SendMessageW(Item(id), BM_GETCHECK, 0, 0) == BST_CHECKED; }
    void Click(int id) { ::SendMessageW(Item(id), BM_CLICK, 0, 0); }
    // A key pressed where the focus is, through the program's own pre-translation.
    static void PressOnFocus(WPARAM key) {
        ::PostMessageW(::GetFocus(), WM_KEYDOWN, key, 0);
        MSG message{};
        while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
            if (!qmo::Application::PreTranslate(message)) {
                ::TranslateMessage(&message);
                ::DispatchMessageW(&message);
            }
    }
    // Away to the performance page and back, as a user switching pages does.
    void SwitchAwayAndBack() {
        ::SendMessageW(Frame(), WM_COMMAND, ID_VIEW_PERFORMANCE, 0);
        ::SendMessageW(Frame(), WM_COMMAND, ID_VIEW_SETTINGS, 0);
    }
    // A mouse click on the upper or lower half of the up-down.
    void ClickSpin(bool up) {
        const HWND spin = Item(IDC_SETTINGS_LIMIT_SPIN);
        RECT client{};
        ::GetClientRect(spin, &client);
        const LPARAM at = MAKELPARAM(client.right / 2, up ? client.bottom / 4 : client.bottom * 3 / 4);
        ::SendMessageW(spin, WM_LBUTTONDOWN, MK_LBUTTON, at);
        ::SendMessageW(spin, WM_LBUTTONUP, 0, at);
    }
    qmo::testing::RawValue Stored(const wchar_t* name) {
        return ReadRawValue(scratch.Root(), profileKey + L"\\Settings", name);
    }
    DWORD StoredNumber(const wchar_t* name) {
        const qmo::testing::RawValue value = Stored(name);
        DWORD number = 0xDEADBEEF;
        if (value.type == REG_DWORD && value.data.size() == sizeof(DWORD))
            std::memcpy(&number, value.data.data(), sizeof(number));
        return number;
    }
    void StoreLimit(int limit) {
        Type(std::to_wstring(limit).c_str());
        Click(IDC_SETTINGS_APPLY_OPTIMIZER);
        SwitchAwayAndBack();
    }

    // Every shown control clear of every other.
    void ExpectNoOverlaps() const {
        std::vector<HWND> shown;
        for (HWND child = ::GetWindow(Page(), GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT))
            if (::IsWindowVisible(child))
                shown.push_back(child);
        for (std::size_t a = 0; a < shown.size(); ++a) {
            const RECT first = qmo::testing::ChildRect(shown[a]);
            for (std::size_t b = a + 1; b < shown.size(); ++b) {
                const RECT second = qmo::testing::ChildRect(shown[b]);
                RECT common{};
                EXPECT_FALSE(::IntersectRect(&common, &first, &second))
                    << ::GetDlgCtrlID(shown[a]) << " and " << ::GetDlgCtrlID(shown[b]) << " at " << first.left << ","
                    << first.top << "-" << first.right << "," << first.bottom << " and " << second.left << ","
                    << second.top << "-" << second.right << "," << second.bottom;
            }
        }
    }

    std::wstring profileKey = scratch.Sub(L"Profile");
    std::wstring runKey = scratch.Sub(L"Run");
};

TEST_F(SettingsPageTest, ShowingWithTheDefaultsGives80AndFourCheckedBoxes) {
    EXPECT_EQ(Text(IDC_SETTINGS_CRITICAL_LIMIT), L"80");
    EXPECT_EQ(::SendMessageW(Item(IDC_SETTINGS_LIMIT_SPIN), UDM_GETPOS32, 0, 0), 80);
    for (int box : {IDC_SETTINGS_RUN_AT_STARTUP, IDC_SETTINGS_SHOW_NOTIFICATION, IDC_SETTINGS_AUTO_OPTIMIZE,
                    IDC_SETTINGS_AUTO_REFRESH})
        EXPECT_TRUE(Checked(box)) << box;
    EXPECT_EQ(Text(IDC_SETTINGS_SHORTCUT_KEY), L"O");
}

TEST_F(SettingsPageTest, TheComboHoldsTheLettersAndTheBoldFontIsOnTheTexts) {
    const HWND combo = Item(IDC_SETTINGS_SHORTCUT_KEY);
    ASSERT_EQ(::SendMessageW(combo, CB_GETCOUNT, 0, 0), 26);
    wchar_t first[4] = {}, last[4] = {};
    ::SendMessageW(combo, CB_GETLBTEXT, 0, reinterpret_cast<LPARAM>(first));
    ::SendMessageW(combo, CB_GETLBTEXT, 25, reinterpret_cast<LPARAM>(last));
    EXPECT_STREQ(first, L"A");
    EXPECT_STREQ(last, L"Z");
    for (int shown : {IDC_SETTINGS_SHORTCUT_KEY, IDC_SETTINGS_SHORTCUT_PREFIX, IDC_SETTINGS_SHORTCUT_LABEL,
                      IDC_SETTINGS_ENABLE_SHORTCUT})
        EXPECT_TRUE(::IsWindowVisible(Item(shown))) << shown;

    const auto bold = reinterpret_cast<LRESULT>(qmo::StandardInterfaceBoldFont());
    for (int id : {IDC_SETTINGS_OPTIMIZER_HEADING, IDC_SETTINGS_CRITICAL_LIMIT, IDC_SETTINGS_AUTO_REFRESH,
                   IDC_SETTINGS_RUN_AT_STARTUP, IDC_SETTINGS_PERCENT})
        EXPECT_EQ(::SendMessageW(Item(id), WM_GETFONT, 0, 0), bold) << id;
    EXPECT_NE(::SendMessageW(Item(IDC_SETTINGS_APPLY_OPTIMIZER), WM_GETFONT, 0, 0), bold);
}

TEST_F(SettingsPageTest, TheUpDownWritesTheFieldAndStopsAt10And100) {
    StoreLimit(99);
    ClickSpin(true);
    EXPECT_EQ(Text(IDC_SETTINGS_CRITICAL_LIMIT), L"100");
    ClickSpin(true);
    EXPECT_EQ(Text(IDC_SETTINGS_CRITICAL_LIMIT), L"100");

    StoreLimit(11);
    ClickSpin(false);
    ClickSpin(false);
    EXPECT_EQ(Text(IDC_SETTINGS_CRITICAL_LIMIT), L"10");
    EXPECT_EQ(StoredNumber(L"CL"), 11u);  // stepping stores nothing
}

TEST_F(SettingsPageTest, A250TypedAndTheUpperApplyIsStoredAndShownNextTime) {
    Type(L"250");
    Click(IDC_SETTINGS_APPLY_OPTIMIZER);
    EXPECT_EQ(StoredNumber(L"CL"), 250u);
    EXPECT_EQ(frame->Settings().m_nCriticalLimit, 250);
    Type(L"60");  // never applied
    SwitchAwayAndBack();
    EXPECT_EQ(Text(IDC_SETTINGS_CRITICAL_LIMIT), L"250");
}

TEST_F(SettingsPageTest, AClearedFieldIsStoredAs0) {
    Type(L"");
    Click(IDC_SETTINGS_APPLY_OPTIMIZER);
    EXPECT_EQ(StoredNumber(L"CL"), 0u);
    EXPECT_EQ(AsText(Stored(L"SC")), L"O");
}

TEST_F(SettingsPageTest, TheLowerApplyLeavesTheStoredLimitAndAPageSwitchShowsItAgain) {
    Type(L"45");
    Click(IDC_SETTINGS_AUTO_REFRESH);  // now unchecked
    Click(IDC_SETTINGS_APPLY_GENERAL);
    EXPECT_EQ(StoredNumber(L"CL"), 80u);
    EXPECT_EQ(StoredNumber(L"bARPL"), 0u);
    SwitchAwayAndBack();
    EXPECT_EQ(Text(IDC_SETTINGS_CRITICAL_LIMIT), L"80");
    EXPECT_FALSE(Checked(IDC_SETTINGS_AUTO_REFRESH));
}

TEST_F(SettingsPageTest, UncheckingRunAtStartupAndTheLowerApplyBlanksTheRunEntryAtOnce) {
    ASSERT_EQ(AsText(ReadRawValue(scratch.Root(), runKey, L"Z Wyndle Memory opt")),
              L"\"" + qmo::ModuleFilePath() + L"\"");
    Click(IDC_SETTINGS_RUN_AT_STARTUP);
    Click(IDC_SETTINGS_APPLY_GENERAL);
    const auto entry = ReadRawValue(scratch.Root(), runKey, L"Z Wyndle Memory opt");
    EXPECT_TRUE(entry.exists);
    EXPECT_EQ(AsText(entry), L"");
    EXPECT_EQ(StoredNumber(L"RAS"), 0u);
}

TEST_F(SettingsPageTest, TheFieldTakesDigitsOnlyAndEnterOrEscapeNeitherCloseNorApply) {
    const HWND edit = Item(IDC_SETTINGS_CRITICAL_LIMIT);
    Type(L"");
    for (wchar_t key : {L'4', L'x', L'-', L'2'})
        ::SendMessageW(edit, WM_CHAR, key, 0);
    EXPECT_EQ(Text(IDC_SETTINGS_CRITICAL_LIMIT), L"42");

    ::SetFocus(edit);
    for (WPARAM key : {WPARAM{VK_RETURN}, WPARAM{VK_ESCAPE}})
        PressOnFocus(key);
    EXPECT_TRUE(::IsWindowVisible(Page()));
    EXPECT_EQ(Text(IDC_SETTINGS_CRITICAL_LIMIT), L"42");
    EXPECT_EQ(StoredNumber(L"CL"), 80u);
}

// The shortcut's letter list, opened from the keyboard, closes from it too.
TEST_F(SettingsPageTest, EnterOrEscapeCloseTheOpenLetterListAndNothingElse) {
    const HWND letters = Item(IDC_SETTINGS_SHORTCUT_KEY);
    for (WPARAM key : {WPARAM{VK_ESCAPE}, WPARAM{VK_RETURN}}) {
        ::SetFocus(letters);
        ::SendMessageW(letters, CB_SHOWDROPDOWN, TRUE, 0);
        ASSERT_TRUE(::SendMessageW(letters, CB_GETDROPPEDSTATE, 0, 0));
        PressOnFocus(key);
        EXPECT_FALSE(::SendMessageW(letters, CB_GETDROPPEDSTATE, 0, 0)) << "key " << key;
        EXPECT_TRUE(::IsWindowVisible(Page()));
    }
    EXPECT_EQ(StoredNumber(L"CL"), 80u);
}

TEST_F(SettingsPageTest, ResizingStretchesTheLinesAndKeepsTheButtonInTheCorner) {
    const HWND line = Item(IDC_SETTINGS_GENERAL_RULE);
    const HWND button = Item(IDC_PAGE_OPTIMIZE_MEMORY);
    const HWND check = Item(IDC_SETTINGS_RUN_AT_STARTUP);
    RECT page{};
    ::GetClientRect(Page(), &page);
    const RECT lineBefore = qmo::testing::ChildRect(line);
    const RECT buttonBefore = qmo::testing::ChildRect(button);
    const RECT checkBefore = qmo::testing::ChildRect(check);

    ::SetWindowPos(Page(), nullptr, 0, 0, page.right + 40, page.bottom + 30, SWP_NOMOVE | SWP_NOZORDER);
    const RECT lineAfter = qmo::testing::ChildRect(line);
    const RECT buttonAfter = qmo::testing::ChildRect(button);
    EXPECT_EQ(lineAfter.left, lineBefore.left);
    EXPECT_EQ(lineAfter.right, lineBefore.right + 40);
    EXPECT_EQ(buttonAfter.left, buttonBefore.left + 40);
    EXPECT_EQ(buttonAfter.top, buttonBefore.top + 30);
    const RECT checkAfter = qmo::testing::ChildRect(check);
    EXPECT_TRUE(::EqualRect(&checkBefore, &checkAfter));
    // A resize is no new showing: what was typed stays.
    Type(L"33");
    ::SetWindowPos(Page(), nullptr, 0, 0, page.right, page.bottom, SWP_NOMOVE | SWP_NOZORDER | SWP_SHOWWINDOW);
    EXPECT_EQ(Text(IDC_SETTINGS_CRITICAL_LIMIT), L"33");
}

TEST_F(SettingsPageTest, ThePageIsWhiteBehindItsTexts) {
    ::RedrawWindow(Page(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    const auto picture = qmo::testing::ClientPicture::FromScreen(Page());
    const RECT heading = qmo::testing::ChildRect(Item(IDC_SETTINGS_GENERAL_HEADING));
    EXPECT_EQ(picture.At(2, 2), RGB(255, 255, 255));
    EXPECT_EQ(picture.At(heading.right - 1, heading.bottom - 1), RGB(255, 255, 255));
    EXPECT_EQ(picture.At(picture.Width() / 2, picture.Height() - 3), RGB(255, 255, 255));
}

// The shortcut's row shares the critical limit's: what is shown must fit, in
// the bold font the page gives it, and no control may cover another.
TEST_F(SettingsPageTest, NoShownControlOverlapsAnotherAndTheShortcutTextsFit) {
    ExpectNoOverlaps();

    HDC dc = ::GetDC(Page());
    const HGDIOBJ old = ::SelectObject(dc, qmo::StandardInterfaceBoldFont());
    for (int id : {IDC_SETTINGS_LIMIT_LABEL, IDC_SETTINGS_SHORTCUT_PREFIX, IDC_SETTINGS_SHORTCUT_LABEL}) {
        const std::wstring text = Text(id);
        SIZE extent{};
        ::GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &extent);
        const RECT place = qmo::testing::ChildRect(Item(id));
        EXPECT_LE(extent.cx, place.right - place.left) << id;
    }
    ::SelectObject(dc, old);
    ::ReleaseDC(Page(), dc);
}

// Another program holds the combination: the choice is stored all the same,
// and the page says so beside the field until one that can be had is applied.
TEST_F(SettingsPageTest, ARefusedCombinationIsStoredAndNamedOnThePageUntilOneIsHad) {
    auto other = std::make_unique<qmo::testing::HotkeyHeldElsewhere>('K');
    ASSERT_TRUE(other->Held());
    Click(IDC_SETTINGS_ENABLE_SHORTCUT);
    ::SetWindowTextW(Item(IDC_SETTINGS_SHORTCUT_KEY), L"K");
    Click(IDC_SETTINGS_APPLY_OPTIMIZER);
    EXPECT_EQ(AsText(Stored(L"SC")), L"K");
    EXPECT_EQ(StoredNumber(L"bEnableShortcut"), 1u);
    EXPECT_EQ(Text(IDC_SETTINGS_SHORTCUT_PROBLEM), L"Ctrl + Alt + K is used by another program");
    EXPECT_TRUE(::IsWindowVisible(Item(IDC_SETTINGS_SHORTCUT_PROBLEM)));
    SwitchAwayAndBack();
    EXPECT_EQ(Text(IDC_SETTINGS_SHORTCUT_PROBLEM), L"Ctrl + Alt + K is used by another program");

    other.reset();
    Click(IDC_SETTINGS_APPLY_OPTIMIZER);
    EXPECT_EQ(Text(IDC_SETTINGS_SHORTCUT_PROBLEM), L"");
    EXPECT_FALSE(qmo::testing::CombinationFree('K')) << "the program holds it now";
    Click(IDC_SETTINGS_ENABLE_SHORTCUT);
    Click(IDC_SETTINGS_APPLY_OPTIMIZER);
    EXPECT_TRUE(qmo::testing::CombinationFree('K')) << "switched off, it is let go";
}

// Runs `act` on the dialog of this title once it is up, from the modal loop
// the button runs; `act` ends the dialog.
class WhileDialogOpen {
public:
    WhileDialogOpen(const wchar_t* title, std::function<void(HWND)> act) {
        s_title = title;
        s_act = std::move(act);
        m_timer = ::SetTimer(nullptr, 0, 20, &OnTick);
    }
    ~WhileDialogOpen() {
        ::KillTimer(nullptr, m_timer);
        s_act = nullptr;
    }
    WhileDialogOpen(const WhileDialogOpen&) = delete;
    WhileDialogOpen& operator=(const WhileDialogOpen&) = delete;

private:
    static void CALLBACK OnTick(HWND, UINT, UINT_PTR, DWORD) {
        HWND dialog = nullptr;
        ::EnumThreadWindows(
            ::GetCurrentThreadId(),
            [](HWND window, LPARAM found) -> BOOL {
                wchar_t title[64] = {};
                ::GetWindowTextW(window, title, 64);
                if (::IsWindowVisible(window) && std::wstring(title) == s_title)
                    *reinterpret_cast<HWND*>(found) = window;
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&dialog));
        if (!dialog || !s_act)
            return;
        const auto act = std::move(s_act);
        s_act = nullptr;
        act(dialog);
    }
    static inline std::function<void(HWND)> s_act;
    static inline std::wstring s_title;
    UINT_PTR m_timer = 0;
};

// The button opens the dialog over the page; OK saves the choice at once, in
// the record and the registry, Cancel keeps it, and an area the system
// answered "not available" for is offered disabled, saying so.
TEST_F(SettingsPageTest, TheMemoryAreasDialogSavesOnOkKeepsOnCancelAndSaysWhatIsNotAvailable) {
    std::wstring systemCacheCost;
    bool systemCacheEnabled = true;
    {
        WhileDialogOpen choose(L"Memory areas", [&](HWND dialog) {
            EXPECT_EQ(::GetWindow(dialog, GW_OWNER), Frame()) << "owned by the frame, which it disables";
            ::SendDlgItemMessageW(dialog, IDC_AREAS_SYSTEM_CACHE, BM_CLICK, 0, 0);
            ::SendDlgItemMessageW(dialog, IDC_AREAS_STANDBY_LIST, CB_SETCURSEL, 2, 0);
            ::SendDlgItemMessageW(dialog, IDOK, BM_CLICK, 0, 0);
        });
        Click(IDC_SETTINGS_MEMORY_AREAS);
    }
    qmo::MemoryAreaChoices chosen;
    chosen.systemCache = true;
    chosen.standbyList = qmo::StandbyListChoice::All;
    EXPECT_EQ(frame->Settings().m_areas, chosen);
    EXPECT_EQ(StoredNumber(L"AreaStandbyList"), 2u);
    EXPECT_EQ(StoredNumber(L"AreaSystemCache"), 1u);

    // A run with those areas asks the system; what it says is not offered shows so.
    frame->Logic().RunAutomaticOptimization();
    const bool cacheOffered = !frame->Memory().Service().AreaKnownUnavailable(qmo::MemoryArea::SystemCache);
    {
        WhileDialogOpen look(L"Memory areas", [&](HWND dialog) {
            wchar_t cost[300] = {};
            ::GetDlgItemTextW(dialog, IDC_AREAS_SYSTEM_CACHE_COST, cost, 300);
            systemCacheCost = cost;
            systemCacheEnabled = ::IsWindowEnabled(::GetDlgItem(dialog, IDC_AREAS_SYSTEM_CACHE)) != FALSE;
            ::SendDlgItemMessageW(dialog, IDC_AREAS_STANDBY_LIST, CB_SETCURSEL, 0, 0);
            ::SendDlgItemMessageW(dialog, IDCANCEL, BM_CLICK, 0, 0);
        });
        Click(IDC_SETTINGS_MEMORY_AREAS);
    }
    EXPECT_EQ(systemCacheEnabled, cacheOffered);
    EXPECT_EQ(systemCacheCost.ends_with(L" (not available on this system)"), !cacheOffered)
        << qmo::Narrow(systemCacheCost);
    EXPECT_EQ(frame->Settings().m_areas, chosen) << "Cancel changes nothing";
    EXPECT_EQ(StoredNumber(L"AreaStandbyList"), 2u);
}

// Add by name and by pattern, a repeat and an empty entry only say why, Remove
// takes the selected; OK stores the list as a list of strings, Cancel keeps it.
TEST_F(SettingsPageTest, TheExclusionsDialogAddsAndRemovesAndSavesTheListOnOkOnly) {
    std::wstring problem;
    {
        WhileDialogOpen edit(L"Exclusions", [&](HWND dialog) {
            const auto add = [dialog](const wchar_t* entry) {
                ::SetDlgItemTextW(dialog, IDC_EXCL_ENTRY, entry);
                ::SendDlgItemMessageW(dialog, IDC_EXCL_ADD, BM_CLICK, 0, 0);
            };
            add(L"game.exe");
            add(L"C:/Tools/*");
            add(L"old.exe");
            add(L"GAME.EXE");
            wchar_t text[200] = {};
            ::GetDlgItemTextW(dialog, IDC_EXCL_PROBLEM, text, 200);
            problem = text;
            ::SendDlgItemMessageW(dialog, IDC_EXCL_LIST, LB_SETCURSEL, 2, 0);
            ::SendDlgItemMessageW(dialog, IDC_EXCL_REMOVE, BM_CLICK, 0, 0);
            ::SendDlgItemMessageW(dialog, IDOK, BM_CLICK, 0, 0);
        });
        Click(IDC_SETTINGS_EXCLUSIONS);
    }
    EXPECT_EQ(problem, L"That program is already in the list.");
    const std::vector<std::string> saved{"game.exe", "C:\\Tools\\*"};
    EXPECT_EQ(frame->Settings().m_exclusions, saved);
    const qmo::testing::RawValue stored = Stored(L"Exclusions");
    EXPECT_EQ(stored.type, static_cast<DWORD>(REG_MULTI_SZ));
    EXPECT_EQ(qmo::DecodeProfileStrings(stored.type, stored.data), saved);
    {
        WhileDialogOpen cancel(L"Exclusions", [&](HWND dialog) {
            ::SendDlgItemMessageW(dialog, IDC_EXCL_LIST, LB_SETCURSEL, 0, 0);
            ::SendDlgItemMessageW(dialog, IDC_EXCL_REMOVE, BM_CLICK, 0, 0);
            ::SendDlgItemMessageW(dialog, IDCANCEL, BM_CLICK, 0, 0);
        });
        Click(IDC_SETTINGS_EXCLUSIONS);
    }
    EXPECT_EQ(frame->Settings().m_exclusions, saved) << "Cancel changes nothing";
}

// The rule and its share are stored on OK; a share out of range is put in range.
TEST_F(SettingsPageTest, TheAutomaticRunsDialogStoresTheRuleAndKeepsItsFiguresInRange) {
    {
        WhileDialogOpen choose(L"Automatic runs", [&](HWND dialog) {
            EXPECT_EQ(::IsDlgButtonChecked(dialog, IDC_AUTO_EVERY_FIVE), static_cast<UINT>(BST_CHECKED));
            ::SendDlgItemMessageW(dialog, IDC_AUTO_ABOVE, BM_CLICK, 0, 0);
            ::SetDlgItemTextW(dialog, IDC_AUTO_PERCENT, L"99");
            ::SetDlgItemTextW(dialog, IDC_AUTO_FREE_BELOW, L"256");
            ::SetDlgItemTextW(dialog, IDC_AUTO_STANDBY_ABOVE, L"");
            ::SendDlgItemMessageW(dialog, IDOK, BM_CLICK, 0, 0);
        });
        Click(IDC_SETTINGS_AUTOMATIC_RUNS);
    }
    const qmo::AutomaticRunChoices expected{qmo::AutomaticRule::AboveMemoryInUse, 95, 256, 1024};
    EXPECT_EQ(frame->Settings().m_automatic, expected);
    EXPECT_EQ(StoredNumber(L"AutoOptimizeRule"), 1u);
    EXPECT_EQ(StoredNumber(L"AutoOptimizePercent"), 95u);
    EXPECT_EQ(StoredNumber(L"StandbyFreeBelowMB"), 256u);
}

}  // namespace

namespace {

// Values under the machine's policy key for one test, gone after it.
class MachinePolicy {
public:
    ~MachinePolicy() { ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, kKey); }
    void Set(const wchar_t* name, DWORD number) {
        ::RegSetKeyValueW(HKEY_LOCAL_MACHINE, kKey, name, REG_DWORD, &number, sizeof(number));
    }
    void Set(const wchar_t* name, const wchar_t* text) {
        ::RegSetKeyValueW(HKEY_LOCAL_MACHINE, kKey, name, REG_SZ, text,
                          static_cast<DWORD>((std::wcslen(text) + 1) * sizeof(wchar_t)));
    }
    void Clear() { ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, kKey); }

private:
    static constexpr wchar_t kKey[] = L"SOFTWARE\\Policies\\Quenvale\\Memory Optimizer";
};

// What Group Policy sends after a refresh.
void PolicyRefreshed(HWND frame) {
    ::SendMessageW(frame, WM_SETTINGCHANGE, 0, reinterpret_cast<LPARAM>(L"Policy"));
}

}  // namespace

// An organisation sets every value the page shows, while the page is up: each
// control is disabled with the note beside it, in the clear; both Apply
// buttons keep the user's own values; withdrawn, the page is the user's again.
TEST_F(SettingsPageTest, APolicyInTheMachinesKeyLocksItsControlsWithTheNoteAndKeepsTheUsersValues) {
    MachinePolicy policy;
    policy.Set(L"CriticalLimit", 95);
    policy.Set(L"AutoOptimize", DWORD{0});
    policy.Set(L"EnableShortcut", 1);
    policy.Set(L"ShortcutKey", L"Q");
    policy.Set(L"RunAtStartup", DWORD{0});
    policy.Set(L"ShowNotification", DWORD{0});
    policy.Set(L"TrayIconShows", 2);
    policy.Set(L"Theme", 1);
    policy.Set(L"Language", L"de");
    policy.Set(L"AreaStandbyList", 2);
    PolicyRefreshed(Frame());

    const int locked[] = {IDC_SETTINGS_CRITICAL_LIMIT, IDC_SETTINGS_AUTO_OPTIMIZE, IDC_SETTINGS_ENABLE_SHORTCUT,
                          IDC_SETTINGS_SHORTCUT_KEY, IDC_SETTINGS_RUN_AT_STARTUP, IDC_SETTINGS_SHOW_NOTIFICATION,
                          IDC_SETTINGS_TRAY_SHOWS, IDC_SETTINGS_THEME, IDC_SETTINGS_LANGUAGE};
    EXPECT_EQ(Text(IDC_SETTINGS_CRITICAL_LIMIT), L"95");
    EXPECT_FALSE(Checked(IDC_SETTINGS_RUN_AT_STARTUP));
    EXPECT_FALSE(::IsWindowEnabled(Item(IDC_SETTINGS_LIMIT_SPIN)));
    for (int id : locked) {
        EXPECT_FALSE(::IsWindowEnabled(Item(id))) << id;
        const HWND note = ::GetDlgItem(Page(), id + qmo::kLockedNoteIdOffset);
        ASSERT_TRUE(note && ::IsWindowVisible(note)) << id;
        EXPECT_EQ(qmo::WindowText(note), L"Set by your organization");
        // Beside the control: on its row to its right, or just under it.
        const RECT control = qmo::testing::ChildRect(Item(id));
        const RECT beside = qmo::testing::ChildRect(note);
        const bool onRow = beside.left >= control.left && beside.top < control.bottom && beside.bottom > control.top;
        const bool under = beside.left == control.left && beside.top >= control.bottom;
        EXPECT_TRUE(onRow || under) << id;
        RECT page{};
        ::GetClientRect(Page(), &page);
        EXPECT_LE(beside.right, page.right) << id;
    }
    EXPECT_TRUE(::IsWindowEnabled(Item(IDC_SETTINGS_AUTO_REFRESH)));
    ExpectNoOverlaps();
    // The page's dialogs lock theirs the same way.
    bool standbyLocked = false, cacheFree = false;
    {
        WhileDialogOpen look(L"Memory areas", [&](HWND dialog) {
            const HWND standby = ::GetDlgItem(dialog, IDC_AREAS_STANDBY_LIST);
            standbyLocked = !::IsWindowEnabled(standby) && ::GetDlgItem(dialog, IDC_AREAS_STANDBY_LIST + qmo::kLockedNoteIdOffset);
            cacheFree = ::IsWindowEnabled(::GetDlgItem(dialog, IDC_AREAS_SYSTEM_CACHE)) != FALSE;
            ::SendDlgItemMessageW(dialog, IDOK, BM_CLICK, 0, 0);
        });
        Click(IDC_SETTINGS_MEMORY_AREAS);
    }
    EXPECT_TRUE(standbyLocked);
    EXPECT_EQ(cacheFree, !frame->Memory().Service().AreaKnownUnavailable(qmo::MemoryArea::SystemCache));
    EXPECT_EQ(StoredNumber(L"AreaStandbyList"), 0u) << "OK keeps the user's own choice";

    Click(IDC_SETTINGS_APPLY_OPTIMIZER);
    Click(IDC_SETTINGS_APPLY_GENERAL);
    EXPECT_EQ(StoredNumber(L"CL"), 80u);
    EXPECT_EQ(StoredNumber(L"RAS"), 1u);
    EXPECT_EQ(StoredNumber(L"TrayIconShows"), 0u);
    EXPECT_EQ(AsText(Stored(L"SC")), L"O");

    policy.Clear();
    PolicyRefreshed(Frame());
    EXPECT_EQ(Text(IDC_SETTINGS_CRITICAL_LIMIT), L"80");
    for (int id : locked) {
        EXPECT_TRUE(::IsWindowEnabled(Item(id))) << id;
        EXPECT_EQ(::GetDlgItem(Page(), id + qmo::kLockedNoteIdOffset), nullptr) << id;
    }
    EXPECT_TRUE(Checked(IDC_SETTINGS_RUN_AT_STARTUP));
}
