#include "toolkit/dark_mode.h"

#include <commctrl.h>
#include <uxtheme.h>

#include <cwchar>

#include "framework/system_function.h"
#include "framework/unique_handle.h"
#include "toolkit/ui_palette.h"

namespace qmo {
namespace {

// The title bar attribute: 20 from Windows 10 20H1, 19 before it.
constexpr DWORD kImmersiveDarkMode = 20;
constexpr DWORD kImmersiveDarkModeBefore20H1 = 19;

void SetTheme(HWND window, const wchar_t* appName, const wchar_t* idList) noexcept {
    using SetWindowThemeFunction = HRESULT(WINAPI*)(HWND, LPCWSTR, LPCWSTR);
    static const auto setWindowTheme = SystemFunction<SetWindowThemeFunction>(L"uxtheme.dll", "SetWindowTheme");
    if (setWindowTheme)
        setWindowTheme(window, appName, idList);
}

void ApplyToControl(HWND control, bool dark) noexcept {
    wchar_t className[32] = {};
    ::GetClassNameW(control, className, static_cast<int>(std::size(className)));
    if (_wcsicmp(className, WC_LISTVIEWW) == 0) {
        SetTheme(control, dark ? L"DarkMode_Explorer" : nullptr, nullptr);
        const UiPalette palette = CurrentPalette();
        const COLORREF face = dark ? palette.window : ::GetSysColor(COLOR_WINDOW);
        const COLORREF text = dark ? palette.text : ::GetSysColor(COLOR_WINDOWTEXT);
        ListView_SetBkColor(control, face);
        ListView_SetTextBkColor(control, face);
        ListView_SetTextColor(control, text);
    } else if (_wcsicmp(className, WC_HEADERW) == 0) {
        SetTheme(control, dark ? L"DarkMode_ItemsView" : nullptr, nullptr);
    } else if (_wcsicmp(className, WC_EDITW) == 0 || _wcsicmp(className, WC_COMBOBOXW) == 0) {
        SetTheme(control, dark ? L"DarkMode_CFD" : nullptr, nullptr);
    } else if (_wcsicmp(className, WC_SCROLLBARW) == 0 || _wcsicmp(className, WC_TREEVIEWW) == 0) {
        SetTheme(control, dark ? L"DarkMode_Explorer" : nullptr, nullptr);
    } else if (_wcsicmp(className, WC_BUTTONW) == 0) {
        const LONG_PTR type = ::GetWindowLongPtrW(control, GWL_STYLE) & BS_TYPEMASK;
        const bool checkOrRadio = type == BS_CHECKBOX || type == BS_AUTOCHECKBOX || type == BS_3STATE ||
                                  type == BS_AUTO3STATE || type == BS_RADIOBUTTON || type == BS_AUTORADIOBUTTON ||
                                  type == BS_GROUPBOX;
        // A themed check box draws its text in the theme's colour, whatever it is told.
        if (checkOrRadio)
            SetTheme(control, dark ? L"" : nullptr, dark ? L"" : nullptr);
    } else if (::GetWindowLongPtrW(control, GWL_STYLE) & (WS_VSCROLL | WS_HSCROLL)) {
        // A window of ours that scrolls: its scroll bars.
        SetTheme(control, dark ? L"DarkMode_Explorer" : nullptr, nullptr);
    }
    ::InvalidateRect(control, nullptr, TRUE);
}

}  // namespace

std::optional<bool> AppsUseLightTheme() {
    DWORD value = 0;
    DWORD size = sizeof(value);
    const LSTATUS status =
        ::RegGetValueW(HKEY_CURRENT_USER, L"Software\\Microsoft\\Windows\\CurrentVersion\\Themes\\Personalize",
                       L"AppsUseLightTheme", RRF_RT_REG_DWORD, nullptr, &value, &size);
    if (status != ERROR_SUCCESS)
        return std::nullopt;
    return value != 0;
}

bool IsColorSetChange(LPARAM lParam) noexcept {
    const auto* area = reinterpret_cast<const wchar_t*>(lParam);
    return area && std::wcscmp(area, L"ImmersiveColorSet") == 0;
}

void ApplyTitleBarColors(HWND window, bool dark) noexcept {
    using DwmSetWindowAttributeFunction = HRESULT(WINAPI*)(HWND, DWORD, LPCVOID, DWORD);
    static const auto setAttribute =
        SystemFunction<DwmSetWindowAttributeFunction>(L"dwmapi.dll", "DwmSetWindowAttribute");
    if (!setAttribute || !window)
        return;
    const BOOL on = dark ? TRUE : FALSE;
    if (FAILED(setAttribute(window, kImmersiveDarkMode, &on, sizeof(on))))
        setAttribute(window, kImmersiveDarkModeBefore20H1, &on, sizeof(on));
}

void ApplyControlColors(HWND root, bool dark) noexcept {
    if (!root)
        return;
    ApplyToControl(root, dark);
    ::EnumChildWindows(
        root,
        [](HWND child, LPARAM context) -> BOOL {
            ApplyToControl(child, context != 0);
            return TRUE;
        },
        dark ? 1 : 0);
}

HBRUSH ThemedControlColors(UINT, HDC dc) noexcept {
    if (!DarkColorsInUse())
        return nullptr;
    // One brush for the process, made again only when the face's colour changes.
    static unique_brush brush;
    static COLORREF brushColor = CLR_INVALID;
    const UiPalette palette = CurrentPalette();
    if (!brush || brushColor != palette.window) {
        brush.reset(::CreateSolidBrush(palette.window));
        brushColor = palette.window;
    }
    ::SetTextColor(dc, palette.text);
    ::SetBkColor(dc, palette.window);
    return brush.get();
}

}  // namespace qmo
