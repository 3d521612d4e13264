// The program in the widened pseudo-language: every text it shows comes from
// the catalogue (each carries the language's brackets) and is shown whole, at
// 96 DPI and again at 144 in the high-DPI child. English, the language every
// template was drawn for at 96 DPI, needs no control grown there.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "about/about_dlg.h"
#include "config/automatic_runs_dlg.h"
#include "app/command_line.h"
#include "config/exclusions_dlg.h"
#include "config/memory_areas_dlg.h"
#include "config/shipped_languages.h"
#include "framework/resource_language.h"
#include "framework/text.h"
#include "framework/texts.h"
#include "framework/unique_handle.h"
#include "res/process_resource.h"
#include "res/resource.h"
#include "shell/popup_notifications.h"
#include "toolkit/text_fit.h"
#include "frame_test_support.h"
#include "toolkit_test_support.h"

namespace qmo {
namespace {

LANGID PseudoLanguage() {
    for (const ShippedLanguage& language : ShippedLanguages()) {
        if (language.pseudo)
            return language.resources;
    }
    return kEnglishLanguage;
}

// A text of the catalogue in the pseudo-language: bracketed, a menu item's
// shortcut after its tab aside; every line of a text of several lines.
bool Marked(std::wstring text) {
    if (text.find(L'\n') == std::wstring::npos)
        text = text.substr(0, text.find(L'\t'));
    const std::size_t first = text.find_first_not_of(L" \r\n");
    const std::size_t last = text.find_last_not_of(L" \r\n");
    return first != std::wstring::npos && text[first] == L'[' && text[last] == L']';
}

// A language's own name, which no language translates.
bool LanguageName(const std::wstring& text) {
    for (const ShippedLanguage& language : ShippedLanguages()) {
        if (text == language.name)
            return true;
    }
    return false;
}

// The texts a window and its children show: window texts, list headers, the
// items of combo boxes; data (edits, list rows, the shortcut's letters, the
// languages' own names) aside.
void CollectTexts(HWND window, std::vector<std::wstring>& texts) {
    for (HWND control = ::GetWindow(window, GW_CHILD); control; control = ::GetWindow(control, GW_HWNDNEXT)) {
        wchar_t className[32] = L"";
        ::GetClassNameW(control, className, 32);
        const std::wstring name = className;
        if (!(::GetWindowLongW(control, GWL_STYLE) & WS_VISIBLE) || name == L"Edit")
            continue;
        if (name == WC_LISTVIEWW) {
            wchar_t heading[128];
            LVCOLUMNW column{};
            column.mask = LVCF_TEXT;
            column.pszText = heading;
            column.cchTextMax = 128;
            for (int index = 0; ListView_GetColumn(control, index, &column); ++index)
                texts.push_back(heading);
            continue;
        }
        if (name == WC_COMBOBOXW) {
            const int count = static_cast<int>(::SendMessageW(control, CB_GETCOUNT, 0, 0));
            for (int index = 0; index < count; ++index) {
                std::wstring item(static_cast<std::size_t>(::SendMessageW(control, CB_GETLBTEXTLEN, index, 0)), L'\0');
                ::SendMessageW(control, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(item.data()));
                if (item.size() > 1 && !LanguageName(item))
                    texts.push_back(item);
            }
            continue;
        }
        const std::wstring text = WindowText(control);
        // A picture's resource id is not a text.
        if (!text.empty() && text[0] != L'\xFFFF')
            texts.push_back(text);
        CollectTexts(control, texts);
    }
}

void CollectMenuTexts(HMENU menu, std::vector<std::wstring>& texts) {
    for (int index = 0; index < ::GetMenuItemCount(menu); ++index) {
        wchar_t text[128] = L"";
        if (::GetMenuStringW(menu, static_cast<UINT>(index), text, 128, MF_BYPOSITION) > 0)
            texts.push_back(text);
        if (HMENU sub = ::GetSubMenu(menu, index))
            CollectMenuTexts(sub, texts);
    }
}

void ExpectAllMarked(const std::vector<std::wstring>& texts, const char* where) {
    EXPECT_FALSE(texts.empty()) << where;
    for (const std::wstring& text : texts)
        EXPECT_TRUE(Marked(text)) << where << ": \"" << Narrow(text) << "\" is not from the catalogue";
}

// Whether any control of the window needed to grow to its text.
int ControlsThatNeedRoom(HWND window) {
    int needing = 0;
    for (HWND control = ::GetWindow(window, GW_CHILD); control; control = ::GetWindow(control, GW_HWNDNEXT)) {
        if (const double need = TextWidthNeed(control); need > 1.0) {
            RECT client{};
            ::GetClientRect(control, &client);
            ADD_FAILURE() << "\"" << Narrow(WindowText(control)) << "\" needs " << need << " times its "
                          << client.right << " pixels";
            ++needing;
        }
    }
    return needing;
}

template <class Check>
void ForEveryDialog(HWND owner, Check check) {
    testing::NothingAvailable holder;
    holder.settings.m_exclusions = {"C:\\Program Files\\Tools\\*"};
    CMemoryAreasDlg areas(holder);
    CAutomaticRunsDlg automatic(holder);
    CExclusionsDlg exclusions(holder);
    CAboutDlg about;
    for (Dialog* dialog : std::initializer_list<Dialog*>{&areas, &automatic, &exclusions, &about}) {
        ASSERT_TRUE(dialog->CreateModeless(owner));
        ::ShowWindow(dialog->GetSafeHwnd(), SW_SHOW);
        check(dialog->GetSafeHwnd());
        dialog->DestroyWindow();
    }
}

class LanguageTest : public ::testing::Test, protected testing::FrameOnScratchKeys<> {
protected:
    LanguageTest() : FrameOnScratchKeys(L"Language") {}
    void Start(LANGID language) {
        application.SetResourceLanguage(language);
        ASSERT_TRUE(Create());
        Show();
    }
    std::vector<HWND> Pages() {
        CTesselDesktopSuitFrameView& view = frame->View();
        return {view.PerformancePage().GetSafeHwnd(), view.ProcessPage().GetSafeHwnd(),
                view.SettingsPage().GetSafeHwnd()};
    }
};

TEST_F(LanguageTest, EveryTextOfThePseudoLanguageIsFromTheCatalogueAndShownWhole) {
    Start(PseudoLanguage());
    CTesselDesktopSuitFrameView& view = frame->View();
    for (std::size_t group = 0; group < Pages().size(); ++group) {
        SCOPED_TRACE("page " + std::to_string(group));
        view.SelectNavigationGroup(group);
        std::vector<std::wstring> texts;
        CollectTexts(Pages()[group], texts);
        ExpectAllMarked(texts, "page");
        EXPECT_GT(testing::ExpectEveryTextFits(Pages()[group]), 0);
        std::vector<std::wstring> title;
        for (std::size_t index = 0; index < view.TitlePanel().GroupCount(); ++index)
            title.push_back(Widen(view.TitlePanel().Group(index).Caption()));
        ExpectAllMarked(title, "title panel");
    }
    std::vector<std::wstring> frameTexts;
    for (std::size_t index = 0; index < view.NavPanel().GroupCount(); ++index) {
        const TaskGroup& group = view.NavPanel().Group(index);
        frameTexts.push_back(Widen(group.Caption()));
        for (std::size_t item = 0; item < group.ItemCount(); ++item) {
            if (!group.Item(item).Caption().empty())
                frameTexts.push_back(Widen(group.Item(item).Caption()));
        }
    }
    for (int tab = 0; tab < view.PageTabs().TabCount(); ++tab)
        frameTexts.push_back(view.PageTabs().TabCaption(tab));
    frameTexts.push_back(WindowText(view.Footer().GetSafeHwnd()));
    frameTexts.push_back(WindowText(frame->GetSafeHwnd()));
    frameTexts.push_back(frame->TrayIcon().Tooltip());
    ExpectAllMarked(frameTexts, "the frame");

    std::vector<std::wstring> menus;
    CollectMenuTexts(::GetMenu(frame->GetSafeHwnd()), menus);
    for (UINT id : {IDR_TRAY_MENU, IDR_PROCESS_CONTEXT_MENU}) {
        unique_menu menu(LoadLanguageMenu(id));
        CollectMenuTexts(menu.get(), menus);
    }
    ExpectAllMarked(menus, "menus");

    ForEveryDialog(frame->GetSafeHwnd(), [](HWND dialog) {
        std::vector<std::wstring> texts{WindowText(dialog)};
        CollectTexts(dialog, texts);
        ExpectAllMarked(texts, "dialog");
        EXPECT_GT(testing::ExpectEveryTextFits(dialog), 0);
    });
    frame->ShowHistoryWindow();
    std::vector<std::wstring> history{WindowText(frame->HistoryWindow().GetSafeHwnd())};
    CollectTexts(frame->HistoryWindow().GetSafeHwnd(), history);
    ExpectAllMarked(history, "history window");
    testing::ExpectEveryTextFits(frame->HistoryWindow().GetSafeHwnd());

    std::vector<std::wstring> notices;
    for (const PopupContent& content : {BuildCriticalLimitPopup(80), BuildOptimizedPopup(412u << 20)}) {
        for (const PopupElement& element : content.elements.All()) {
            if (!element.text.empty())
                notices.push_back(Widen(element.text));
        }
    }
    notices.push_back(Widen(CommandLineUsage()));
    ExpectAllMarked(notices, "notices and the command line's box");
}

TEST_F(LanguageTest, InEnglishNoControlNeedsMoreRoomThanItsTemplateGave) {
    Start(kEnglishLanguage);
    for (HWND page : Pages())
        EXPECT_EQ(ControlsThatNeedRoom(page), 0);
    ForEveryDialog(frame->GetSafeHwnd(), [](HWND dialog) { EXPECT_EQ(ControlsThatNeedRoom(dialog), 0); });
}

// Wine's own grouping of "3;0" writes 1234,567: the count is grouped by
// every three digits as the locale's pattern says.
TEST(LocaleFigures, FiguresAreGroupedWithTheLocalesSeparatorsAndTimesWithoutSeconds) {
    wchar_t separator[8] = L"";
    ASSERT_GT(::GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, LOCALE_STHOUSAND, separator, 8), 0);
    const std::string thousands = Narrow(separator);
    ASSERT_GT(::GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, LOCALE_SDECIMAL, separator, 8), 0);
    const std::string decimal = Narrow(separator);
    EXPECT_EQ(FormatFigure(-1234.5, 1), "-1" + thousands + "234" + decimal + "5");
    EXPECT_EQ(FormatFigure(0.0, 1), "0" + decimal + "0");
    EXPECT_EQ(FormatCount(-1234567), "-1" + thousands + "234" + thousands + "567");
    EXPECT_EQ(FormatCount(999), "999");
    EXPECT_EQ(FormatCount(0), "0");
    const std::string time = FormatClockTime(14, 2);
    EXPECT_NE(time.find("02"), std::string::npos) << time;
    EXPECT_EQ(time.find("00", time.find("02") + 2), std::string::npos) << "no seconds: " << time;
}

}  // namespace
}  // namespace qmo
