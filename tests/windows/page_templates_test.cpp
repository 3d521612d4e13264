// The three page templates, created as child dialogs the way the page host
// view creates them: every control with its id, class, text, visibility,
// place in dialog units and the styles the pages rely on.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "framework/application.h"
#include "res/pages_resource.h"

namespace qmo {
namespace {

struct ControlRow {
    int id;
    const wchar_t* windowClass;
    const wchar_t* text;
    bool visible;
    int x, y, cx, cy;   // dialog units
    DWORD type;         // BS_ / SS_ type for buttons and statics, ignored otherwise
    DWORD styles;       // further bits that must be set
};

constexpr DWORD kAny = 0xFFFFFFFF;

struct PageTemplate {
    const char* name;
    UINT id;
    int cx, cy;
    std::vector<ControlRow> controls;  // in template order
};

constexpr DWORD push = BS_PUSHBUTTON, check = BS_AUTOCHECKBOX, text = SS_LEFT, rule = SS_ETCHEDHORZ;

std::vector<PageTemplate> Pages() {
    return {
        {"performance", IDD_PERFORMANCE_PAGE, 574, 338,
         {
             {1025, L"Static", L"Memory Usage", true, 7, 7, 65, 12, text, 0},
             {1017, L"Static", L"", true, 75, 12, 498, 1, rule, 0},
             {1034, L"Button", L"", true, 8, 19, 118, 98, push, BS_FLAT},
             {1031, L"Button", L"", true, 138, 20, 430, 94, push, BS_FLAT},
             {1026, L"Static", L"CPU Usage", true, 7, 119, 65, 12, text, 0},
             {1018, L"Static", L"", true, 75, 125, 498, 1, rule, 0},
             {1032, L"Button", L"", true, 7, 136, 118, 98, push, BS_FLAT},
             {1030, L"Button", L"", true, 138, 137, 429, 94, push, BS_FLAT},
             {1029, L"Button", L"Optimize Memory", true, 441, 301, 125, 30, push, WS_TABSTOP},
             {1005, L"Button", L"Optimise", false, 7, 323, 6, 8, push, 0},
             {1001, L"Static", L"Static", false, 177, 20, 8, 8, text, 0},
         }},
        {"process", IDD_PROCESS_PAGE, 458, 283,
         {
             {1025, L"Static", L"Current System Process (You can refresh the list by pressing refresh button)", true,
              10, 9, 292, 12, text, 0},
             {1017, L"Static", L"", true, 299, 12, 158, 1, rule, 0},
             {1000, WC_LISTVIEWW, L"", true, 7, 28, 444, 207, kAny,
              LVS_REPORT | LVS_SHOWSELALWAYS | WS_BORDER | WS_TABSTOP},
             {1005, L"Button", L"Refresh ", true, 7, 253, 71, 19, push, WS_TABSTOP},
             {1006, L"Button", L"End Process", true, 85, 253, 71, 19, push, WS_TABSTOP},
             {1031, L"Button", L"Optimize Selected Process", true, 163, 253, 123, 19, push, WS_TABSTOP},
             {1029, L"Button", L"Optimize Memory", true, 325, 246, 125, 30, push, WS_TABSTOP},
         }},
        {"settings", IDD_SETTINGS_PAGE, 540, 269,
         {
             {1029, L"Button", L"Optimize Memory", true, 407, 232, 125, 30, push, WS_TABSTOP},
             {1007, L"Edit", L"", true, 17, 25, 31, 16, kAny, ES_NUMBER | WS_BORDER | WS_TABSTOP},
             {1020, L"Static", L"Configure Critical Limit ", true, 94, 28, 110, 9, text, 0},
             {1021, L"Static", L"Ctrl + Alt + ", true, 212, 28, 46, 9, text, 0},
             {1022, L"Static", L"Configure emergency optimization shortcut", true, 296, 28, 200, 10, text, 0},
             {1005, L"Button", L"Apply", true, 245, 67, 71, 19, push, WS_TABSTOP},
             {1110, L"Button", L"Memory &areas...", true, 322, 67, 85, 19, push, WS_TABSTOP},
             {1121, L"Button", L"Automatic r&uns...", true, 413, 67, 85, 19, push, WS_TABSTOP},
             {1122, L"Button", L"E&xclusions...", true, 322, 90, 85, 19, push, WS_TABSTOP},
             {1011, L"Button", L"Run Optimizer at startup ", true, 19, 132, 292, 13, check, WS_TABSTOP},
             {1012, L"Button", L"Show notification when system reaches critical limit", true, 19, 147, 371, 13, check,
              WS_TABSTOP},
             {1013, UPDOWN_CLASSW, L"", true, 67, 24, 11, 17, kAny, UDS_ARROWKEYS},
             {1014, L"ComboBox", L"", true, 260, 25, 30, 100, kAny, CBS_DROPDOWN | CBS_SORT | WS_VSCROLL},
             {1019, L"Static", L"%", true, 55, 29, 8, 12, text, 0},
             {1006, L"Button", L"Apply", true, 245, 186, 71, 19, push, WS_TABSTOP},
             {1017, L"Static", L"Optimizer Settings", true, 7, 7, 81, 12, text, 0},
             {1023, L"Static", L"", true, 93, 12, 446, 1, rule, 0},
             {1018, L"Static", L"General Settings", true, 9, 116, 67, 12, text, 0},
             {1024, L"Static", L"", true, 81, 122, 458, 1, rule, 0},
             {1027, L"Button", L"Automatically optimize memory and increase system performance", true, 7, 54, 322,
              12, check, WS_TABSTOP},
             {1028, L"Button",
              L"Automatically refresh process list...(The process list will refresh in every 30 seconds)", true, 19,
              163, 514, 11, check, WS_TABSTOP},
             {1030, L"Button", L"Enable emergency optimization shortcut", true, 7, 70, 230, 12, check, WS_TABSTOP},
             {1031, L"Static", L"", true, 212, 42, 320, 10, text, 0},
             {1123, L"Static", L"Tra&y icon shows:", true, 19, 190, 70, 9, text, 0},
             {1124, L"ComboBox", L"", true, 92, 188, 140, 60, kAny, CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP},
             {1125, L"Static", L"T&heme:", true, 19, 208, 70, 9, text, 0},
             {1126, L"ComboBox", L"", true, 92, 206, 140, 60, kAny, CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP},
             {1127, L"Static", L"&Language:", true, 19, 226, 70, 9, text, 0},
             {1128, L"ComboBox", L"", true, 92, 224, 140, 80, kAny, CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP},
             {1129, L"Static", L"Takes effect at the next start. The help stays in English.", true, 92, 240, 310, 18,
              text, 0},
         }},
    };
}

INT_PTR CALLBACK PlainPage(HWND, UINT message, WPARAM, LPARAM) {
    return message == WM_INITDIALOG ? TRUE : FALSE;
}

std::wstring Text(HWND window) {
    wchar_t buffer[256] = {};
    ::GetWindowTextW(window, buffer, 256);
    return buffer;
}

std::wstring ClassOf(HWND window) {
    wchar_t buffer[64] = {};
    ::GetClassNameW(window, buffer, 64);
    return buffer;
}

std::string Narrow(const std::wstring& text) {
    return std::string(text.begin(), text.end());
}

// Styles as written in the template, by control id: some controls change
// their own style when created (a list view or an edit field trades
// WS_BORDER for a client edge, a combo box keeps WS_VSCROLL for its list).
std::map<int, DWORD> AuthoredStyles(UINT templateId) {
    std::map<int, DWORD> styles;
    HRSRC found = ::FindResourceW(Application::InstanceHandle(), MAKEINTRESOURCEW(templateId), RT_DIALOG);
    if (!found)
        return styles;
    const auto* base = static_cast<const BYTE*>(::LockResource(::LoadResource(Application::InstanceHandle(), found)));
    const auto* words = reinterpret_cast<const WORD*>(base);
    if (words[0] != 1 || words[1] != 0xFFFF)  // DIALOGEX only
        return styles;
    auto skipText = [](const WORD* at) {
        if (*at == 0xFFFF)
            return at + 2;
        while (*at++) {
        }
        return at;
    };
    const DWORD dialogStyle = *reinterpret_cast<const DWORD*>(base + 12);
    const WORD count = *reinterpret_cast<const WORD*>(base + 16);
    const WORD* at = reinterpret_cast<const WORD*>(base + 26);
    at = skipText(skipText(skipText(at)));  // menu, class, title
    if (dialogStyle & DS_SETFONT)
        at = skipText(at + 3);  // size, weight, italic and charset, face name
    for (WORD i = 0; i < count; ++i) {
        const auto* item = reinterpret_cast<const BYTE*>((reinterpret_cast<UINT_PTR>(at) + 3) & ~UINT_PTR{3});
        const DWORD style = *reinterpret_cast<const DWORD*>(item + 8);
        const int id = static_cast<int>(*reinterpret_cast<const DWORD*>(item + 20));
        styles[id] = style;
        at = skipText(skipText(reinterpret_cast<const WORD*>(item + 24)));  // class, text
        at = reinterpret_cast<const WORD*>(reinterpret_cast<const BYTE*>(at + 1) + *at);  // creation data
    }
    return styles;
}

// A 1000 x 700 host standing in for the page tab control.
class PageTemplates : public ::testing::Test {
protected:
    void SetUp() override {
        INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_STANDARD_CLASSES | ICC_LISTVIEW_CLASSES | ICC_UPDOWN_CLASS};
        ::InitCommonControlsEx(&controls);
        m_host = ::CreateWindowExW(0, L"Static", L"", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 0, 0, 1000, 700,
                                   nullptr, nullptr, Application::InstanceHandle(), nullptr);
        ASSERT_NE(m_host, nullptr);
    }
    void TearDown() override { ::DestroyWindow(m_host); }

    HWND Create(UINT id) {
        return ::CreateDialogParamW(Application::InstanceHandle(), MAKEINTRESOURCEW(id), m_host, &PlainPage, 0);
    }

    HWND m_host = nullptr;
};

TEST_F(PageTemplates, AreCaptionlessChildDialogsOfTheirSizeInMsSansSerif) {
    for (const PageTemplate& page : Pages()) {
        SCOPED_TRACE(page.name);
        HWND dialog = Create(page.id);
        ASSERT_NE(dialog, nullptr);
        const DWORD style = static_cast<DWORD>(::GetWindowLongPtrW(dialog, GWL_STYLE));
        EXPECT_EQ(style & (WS_CHILD | DS_CONTROL | DS_SETFONT), static_cast<DWORD>(WS_CHILD | DS_CONTROL | DS_SETFONT));
        EXPECT_EQ(style & (WS_CAPTION | WS_POPUP | WS_VISIBLE | WS_BORDER | WS_THICKFRAME), 0u);
        EXPECT_EQ(::GetParent(dialog), m_host);

        RECT client{};
        ::GetClientRect(dialog, &client);
        RECT expected{0, 0, page.cx, page.cy};
        ::MapDialogRect(dialog, &expected);
        EXPECT_EQ(client.right, expected.right);
        EXPECT_EQ(client.bottom, expected.bottom);

        LOGFONTW font{};
        ASSERT_TRUE(::GetObjectW(reinterpret_cast<HFONT>(::SendMessageW(dialog, WM_GETFONT, 0, 0)), sizeof(font),
                                 &font));
        EXPECT_STREQ(font.lfFaceName, L"MS Sans Serif");
        HDC screen = ::GetDC(nullptr);
        EXPECT_EQ(font.lfHeight, -::MulDiv(8, ::GetDeviceCaps(screen, LOGPIXELSY), 72));
        ::ReleaseDC(nullptr, screen);
        ::DestroyWindow(dialog);
    }
}

TEST_F(PageTemplates, HoldEveryControlOfTheTableInOrderAndNothingElse) {
    for (const PageTemplate& page : Pages()) {
        SCOPED_TRACE(page.name);
        HWND dialog = Create(page.id);
        ASSERT_NE(dialog, nullptr);
        std::vector<int> ids;
        for (HWND child = ::GetWindow(dialog, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT))
            ids.push_back(::GetDlgCtrlID(child));
        std::vector<int> expected;
        for (const ControlRow& row : page.controls)
            expected.push_back(row.id);
        EXPECT_EQ(ids, expected);
        ::DestroyWindow(dialog);
    }
}

TEST_F(PageTemplates, EachControlHasItsClassTextVisibilityStylesAndPlace) {
    for (const PageTemplate& page : Pages()) {
        HWND dialog = Create(page.id);
        ASSERT_NE(dialog, nullptr) << page.name;
        const std::map<int, DWORD> authored = AuthoredStyles(page.id);
        ASSERT_EQ(authored.size(), page.controls.size()) << page.name;
        for (const ControlRow& row : page.controls) {
            SCOPED_TRACE(std::string(page.name) + " control " + std::to_string(row.id));
            HWND control = ::GetDlgItem(dialog, row.id);
            ASSERT_NE(control, nullptr);
            const std::wstring windowClass = ClassOf(control);
            EXPECT_EQ(::CompareStringOrdinal(windowClass.c_str(), -1, row.windowClass, -1, TRUE), CSTR_EQUAL)
                << Narrow(windowClass);
            EXPECT_EQ(Text(control), row.text);
            const DWORD live = static_cast<DWORD>(::GetWindowLongPtrW(control, GWL_STYLE));
            EXPECT_EQ((live & WS_VISIBLE) != 0, row.visible);

            const DWORD style = authored.at(row.id);
            EXPECT_EQ(style & row.styles, row.styles);
            if (row.type != kAny) {
                const DWORD mask = row.windowClass == std::wstring(L"Static") ? SS_TYPEMASK : BS_TYPEMASK;
                EXPECT_EQ(style & mask, row.type);
            }

            // The dialog manager scales the origin and the size each on its own.
            RECT place{};
            ::GetWindowRect(control, &place);
            ::MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&place), 2);
            RECT scaled{row.x, row.y, row.cx, row.cy};
            ::MapDialogRect(dialog, &scaled);
            EXPECT_EQ(place.left, scaled.left);
            EXPECT_EQ(place.top, scaled.top);
            if (row.type == rule) {
                EXPECT_NEAR(place.right - place.left, scaled.right, 2);  // the rule's etched edge may add a pixel each side
            } else if (row.id != IDC_SETTINGS_LIMIT_SPIN || page.id != IDD_SETTINGS_PAGE) {  // an up-down sizes itself
                EXPECT_EQ(place.right - place.left, scaled.right);
            }
            if (row.windowClass != std::wstring(L"ComboBox")) {  // so does a combo box's height
                EXPECT_EQ(place.bottom - place.top, scaled.bottom);
            }
        }
        ::DestroyWindow(dialog);
    }
}

TEST_F(PageTemplates, ListTakesSeveralRowsAndTheUpDownHasNoBuddy) {
    HWND process = Create(IDD_PROCESS_PAGE);
    ASSERT_NE(process, nullptr);
    const DWORD list = static_cast<DWORD>(::GetWindowLongPtrW(::GetDlgItem(process, IDC_PROCESS_LIST), GWL_STYLE));
    EXPECT_EQ(list & LVS_SINGLESEL, 0u);
    EXPECT_EQ(list & LVS_TYPEMASK, static_cast<DWORD>(LVS_REPORT));
    ::DestroyWindow(process);

    // An automatic buddy would be the check box before the up-down in the
    // template, not the edit field; the page writes the edit field itself.
    HWND settings = Create(IDD_SETTINGS_PAGE);
    ASSERT_NE(settings, nullptr);
    HWND spin = ::GetDlgItem(settings, IDC_SETTINGS_LIMIT_SPIN);
    EXPECT_EQ(::SendMessageW(spin, UDM_GETBUDDY, 0, 0), 0);
    const DWORD spinStyle = static_cast<DWORD>(::GetWindowLongPtrW(spin, GWL_STYLE));
    EXPECT_EQ(spinStyle & (UDS_AUTOBUDDY | UDS_SETBUDDYINT), 0u);
    ::DestroyWindow(settings);
}

TEST_F(PageTemplates, BitmapsLoadAtTheSizesTheWindowDrawsThem) {
    struct Bitmap {
        UINT id;
        LONG cx, cy;
    };
    for (const Bitmap& bitmap : {Bitmap{IDB_TASK_ICONS, 1040, 16}, Bitmap{IDB_BANNER_LEFT, 432, 69},
                                 Bitmap{IDB_BANNER_MIDDLE, 111, 69}, Bitmap{IDB_BANNER_RIGHT, 381, 69},
                                 Bitmap{IDB_OPTIMIZE_BUTTON, 41, 25}}) {
        SCOPED_TRACE(bitmap.id);
        HBITMAP handle = static_cast<HBITMAP>(::LoadImageW(Application::InstanceHandle(),
                                                           MAKEINTRESOURCEW(bitmap.id), IMAGE_BITMAP, 0, 0, 0));
        ASSERT_NE(handle, nullptr);
        BITMAP info{};
        ASSERT_TRUE(::GetObjectW(handle, sizeof(info), &info));
        EXPECT_EQ(info.bmWidth, bitmap.cx);
        EXPECT_EQ(info.bmHeight, bitmap.cy);
        ::DeleteObject(handle);
    }
}

}  // namespace
}  // namespace qmo
