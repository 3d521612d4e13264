#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "config/shipped_languages.h"
#include "framework/event_log_win32.h"
#include "framework/application.h"
#include "framework/resource_language.h"
#include "framework/text.h"
#include "framework/unique_handle.h"
#include "res/resource.h"

namespace qmo {
namespace {

std::string Manifest() {
    HRSRC found = ::FindResourceW(nullptr, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24) /*RT_MANIFEST*/);
    if (!found)
        return {};
    const auto* data = static_cast<const char*>(::LockResource(::LoadResource(nullptr, found)));
    return std::string(data, ::SizeofResource(nullptr, found));
}

// The placeholders of a text, %1 to %9, in order of their digits.
std::wstring Placeholders(std::wstring_view text) {
    std::wstring found;
    for (std::size_t at = text.find(L'%'); at != std::wstring_view::npos && at + 1 < text.size();
         at = text.find(L'%', at + 1)) {
        if (text[at + 1] >= L'1' && text[at + 1] <= L'9')
            found += text[at + 1];
    }
    std::sort(found.begin(), found.end());
    return found;
}

std::vector<LPCWSTR> NamesOf(LPCWSTR type) {
    std::vector<LPCWSTR> names;
    ::EnumResourceNamesW(nullptr, type, [](HMODULE, LPCWSTR, LPWSTR name, LONG_PTR list) -> BOOL {
        if (IS_INTRESOURCE(name))
            reinterpret_cast<std::vector<LPCWSTR>*>(list)->push_back(name);
        return TRUE;
    }, reinterpret_cast<LONG_PTR>(&names));
    return names;
}

// The sixteen strings of a block in one language; none when it has no such block.
std::vector<std::wstring> Block(LPCWSTR block, LANGID language) {
    HRSRC found = ::FindResourceExW(nullptr, RT_STRING, block, language);
    if (!found)
        return {};
    const auto* data = static_cast<const wchar_t*>(::LockResource(::LoadResource(nullptr, found)));
    std::vector<std::wstring> strings;
    for (int index = 0; index < 16; ++index) {
        strings.emplace_back(data + 1, *data);
        data += 1 + *data;
    }
    return strings;
}

TEST(ProgramResources, EveryLanguageHasEveryTextMenuAndDialogOfEnglishWithTheSamePlaceholders) {
    const std::vector<LPCWSTR> blocks = NamesOf(RT_STRING);
    ASSERT_GT(blocks.size(), 10u);
    for (const ShippedLanguage& language : ShippedLanguages()) {
        SCOPED_TRACE(Narrow(language.tag));
        for (LPCWSTR type : {RT_MENU, RT_DIALOG}) {
            for (LPCWSTR name : NamesOf(type)) {
                if (::FindResourceExW(nullptr, type, name, kEnglishLanguage)) {
                    EXPECT_TRUE(::FindResourceExW(nullptr, type, name, language.resources))
                        << (type == RT_MENU ? "menu " : "dialog ") << reinterpret_cast<ULONG_PTR>(name);
                }
            }
        }
        int texts = 0;
        for (LPCWSTR block : blocks) {
            const std::vector<std::wstring> english = Block(block, kEnglishLanguage);
            const std::vector<std::wstring> translated = Block(block, language.resources);
            for (std::size_t index = 0; index < english.size(); ++index) {
                if (english[index].empty())
                    continue;
                const ULONG_PTR id = (reinterpret_cast<ULONG_PTR>(block) - 1) * 16 + index;
                ASSERT_EQ(translated.size(), 16u) << "no block for string " << id;
                EXPECT_FALSE(translated[index].empty()) << "string " << id;
                EXPECT_EQ(Placeholders(translated[index]), Placeholders(english[index])) << "string " << id;
                ++texts;
            }
        }
        EXPECT_GT(texts, 100);
    }
}

// What Event Viewer shows of each event: the message table's text with the
// inserts in place, for each of the ids, in English.
TEST(ProgramResources, EveryEventRendersFromTheMessageTableWithItsInserts) {
    const std::wstring inserts[] = {L"<first>", L"<second>", L"<third>"};
    const DWORD_PTR arguments[] = {reinterpret_cast<DWORD_PTR>(inserts[0].c_str()),
                                   reinterpret_cast<DWORD_PTR>(inserts[1].c_str()),
                                   reinterpret_cast<DWORD_PTR>(inserts[2].c_str())};
    // Each event as the program reports it, with the inserts its text takes.
    struct Event {
        qmo::ProgramEvent event;
        int inserts;
    };
    for (const Event reported : {Event{qmo::ProgramEvent::RunDone, 3}, Event{qmo::ProgramEvent::RunAreaFailed, 3},
                                 Event{qmo::ProgramEvent::Rebound, 3}, Event{qmo::ProgramEvent::CriticalLimit, 2},
                                 Event{qmo::ProgramEvent::PolicyValueIgnored, 2}}) {
        const struct {
            DWORD id;
            int inserts;
            WORD type;
        } event{qmo::EventMessageId(reported.event), reported.inserts, qmo::EventLogType(reported.event)};
        SCOPED_TRACE(event.id & 0xFFFF);
        wchar_t* text = nullptr;
        const DWORD length = ::FormatMessageW(
            FORMAT_MESSAGE_FROM_HMODULE | FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_ARGUMENT_ARRAY, nullptr,
            event.id, kEnglishLanguage, reinterpret_cast<LPWSTR>(&text), 0,
            reinterpret_cast<va_list*>(const_cast<DWORD_PTR*>(arguments)));
        ASSERT_GT(length, 0u) << "error " << ::GetLastError();
        const std::wstring rendered(text, length);
        ::LocalFree(text);
        for (int index = 0; index < 3; ++index)
            EXPECT_EQ(rendered.find(inserts[index]) != std::wstring::npos, index < event.inserts) << Narrow(rendered);
        EXPECT_EQ(Placeholders(rendered), L"") << "a placeholder left: " << Narrow(rendered);
        // The severity in the id's top bits is the type the event is reported as.
        const WORD severity = static_cast<WORD>(event.id >> 30);
        EXPECT_EQ(severity == 1 ? EVENTLOG_INFORMATION_TYPE : severity == 2 ? EVENTLOG_WARNING_TYPE : EVENTLOG_ERROR_TYPE,
                  event.type);
    }
}

TEST(ProgramResources, ManifestAsksForAdministratorAndThemedControlsOnThisArchitecture) {
    const std::string manifest = Manifest();
    ASSERT_FALSE(manifest.empty());
    EXPECT_NE(manifest.find("level=\"requireAdministrator\""), std::string::npos);
    EXPECT_NE(manifest.find("uiAccess=\"false\""), std::string::npos);
    EXPECT_NE(manifest.find("name=\"Microsoft.Windows.Common-Controls\""), std::string::npos);
    EXPECT_NE(manifest.find("version=\"6.0.0.0\""), std::string::npos);
    EXPECT_NE(manifest.find("processorArchitecture=\"amd64\""), std::string::npos);
    EXPECT_EQ(manifest.find("processorArchitecture=\"X86\""), std::string::npos);
}

std::vector<std::wstring> ItemTexts(HMENU menu) {
    std::vector<std::wstring> texts;
    for (int i = 0; i < ::GetMenuItemCount(menu); ++i) {
        wchar_t text[128] = {};
        ::GetMenuStringW(menu, i, text, 128, MF_BYPOSITION);
        if (text[0])
            texts.emplace_back(text);
    }
    return texts;
}

std::vector<UINT> ItemCommands(HMENU menu) {
    std::vector<UINT> ids;
    for (int i = 0; i < ::GetMenuItemCount(menu); ++i)
        if (UINT id = ::GetMenuItemID(menu, i); id != 0 && id != static_cast<UINT>(-1))
            ids.push_back(id);
    return ids;
}

TEST(ProgramResources, MainMenuHasItsTwoPopupsAndCommands) {
    unique_menu menu(::LoadMenuW(Application::InstanceHandle(), MAKEINTRESOURCEW(IDR_MAINFRAME)));
    ASSERT_TRUE(menu);
    EXPECT_EQ(ItemTexts(menu.get()), (std::vector<std::wstring>{L"&File", L"&Help"}));
    HMENU file = ::GetSubMenu(menu.get(), 0);
    EXPECT_EQ(ItemTexts(file), (std::vector<std::wstring>{L"Current System Performance", L"Current System Process",
                                                           L"Settings", L"Optimize", L"E&xit"}));
    EXPECT_EQ(ItemCommands(file), (std::vector<UINT>{32772, 32773, 32774, 32775, 57665}));
    HMENU help = ::GetSubMenu(menu.get(), 1);
    EXPECT_EQ(ItemTexts(help), (std::vector<std::wstring>{L"Help", L"Visit Software URL",
                                                           L"&About Quenvale Memory Optimizer..."}));
    EXPECT_EQ(ItemCommands(help), (std::vector<UINT>{32780, 32771, 57664}));
}

TEST(ProgramResources, TrayMenuOffersShowHideOptimizeOptionsHelpAndExit) {
    unique_menu menu(::LoadMenuW(Application::InstanceHandle(), MAKEINTRESOURCEW(IDR_TRAY_MENU)));
    ASSERT_TRUE(menu);
    EXPECT_EQ(ItemTexts(menu.get()), std::vector<std::wstring>{L"ff"});
    HMENU tray = ::GetSubMenu(menu.get(), 0);
    EXPECT_EQ(ItemTexts(tray),
              (std::vector<std::wstring>{L"Maximize/Minimize", L"Optimize", L"Optimization &history...", L"Options",
                                         L"&Help", L"Exit"}));
    EXPECT_EQ(ItemCommands(tray), (std::vector<UINT>{32776, 32775, ID_VIEW_HISTORY, 32777}));
    EXPECT_EQ(ItemCommands(::GetSubMenu(tray, 4)), (std::vector<UINT>{32772, 32773, 32774, 32775, 57665}));
    EXPECT_EQ(ItemCommands(::GetSubMenu(tray, 5)), (std::vector<UINT>{32780, 32771, 57664}));
}

TEST(ProgramResources, IconsLoadAtTheSmallIconSizeAndTitlesComeFromTheStringTable) {
    for (UINT id : {IDR_MAINFRAME, IDI_TRAY, IDI_TRAY_FRAME_1, IDI_TRAY_FRAME_2, IDI_TRAY_FRAME_3, IDI_TRAY_FRAME_4}) {
        unique_icon icon(static_cast<HICON>(::LoadImageW(Application::InstanceHandle(), MAKEINTRESOURCEW(id),
                                                         IMAGE_ICON, 16, 16, LR_DEFAULTCOLOR)));
        EXPECT_TRUE(icon) << id;
    }
    EXPECT_EQ(LoadResourceString(IDS_APPLICATION_TITLE), L"Quenvale Memory Optimizer");
    const std::wstring document = LoadResourceString(IDR_MAINFRAME);
    EXPECT_EQ(document.substr(0, document.find(L'\n')), L"Quenvale Memory Optimizer");
    EXPECT_EQ(LoadResourceString(4242), L"");
}

}  // namespace
}  // namespace qmo
