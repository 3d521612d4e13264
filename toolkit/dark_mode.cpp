#include "toolkit/dark_mode.h"

#include <commctrl.h>
#include <uxtheme.h>

#include <algorithm>
#include <cwchar>

#include "framework/system_function.h"
#include "framework/unique_handle.h"
#include "framework/window.h"
#include "toolkit/ui_paint.h"
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
    } else if (_wcsicmp(className, WC_SCROLLBARW) == 0 ||
               _wcsicmp(className, WC_TREEVIEWW) == 0) {  // NOLINT(bugprone-branch-clone): as the last branch, which must come after the buttons
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
    return IsSettingChangeOf(lParam, L"ImmersiveColorSet");
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

// Nothing is invalidated here: a dialog not yet shown paints afresh, and one
// that is redraws itself whole after this.
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

HBRUSH DarkFaceBrush() {
    if (!DarkColorsInUse())
        return nullptr;
    static KeptBrush face;  // one for the process
    return face.Of(CurrentPalette().window);
}

HBRUSH ThemedControlColors(UINT, HDC dc) noexcept {
    const HBRUSH face = DarkFaceBrush();
    if (!face)
        return nullptr;
    const UiPalette palette = CurrentPalette();
    ::SetTextColor(dc, palette.text);
    ::SetBkColor(dc, palette.window);
    return face;
}

bool PaintDarkPushButton(const NMCUSTOMDRAW& draw, LRESULT& result) {
    if (!DarkColorsInUse() || draw.dwDrawStage != CDDS_PREPAINT)
        return false;
    wchar_t className[16] = {};
    ::GetClassNameW(draw.hdr.hwndFrom, className, static_cast<int>(std::size(className)));
    const LONG_PTR style = ::GetWindowLongPtrW(draw.hdr.hwndFrom, GWL_STYLE);
    const LONG_PTR type = style & BS_TYPEMASK;
    if (_wcsicmp(className, WC_BUTTONW) != 0 || (type != BS_PUSHBUTTON && type != BS_DEFPUSHBUTTON))
        return false;
    const UiPalette palette = CurrentPalette();
    const bool disabled = (draw.uItemState & CDIS_DISABLED) != 0;
    const COLORREF face = (draw.uItemState & CDIS_SELECTED) ? palette.controlPressed
                          : (draw.uItemState & CDIS_HOT)     ? palette.controlHot
                                                              : palette.control;
    const bool marked = type == BS_DEFPUSHBUTTON || (draw.uItemState & CDIS_FOCUS);
    RECT box = draw.rc;
    FillSolid(draw.hdc, box, face);
    FrameSolid(draw.hdc, box, marked && !disabled ? palette.accent : palette.border);
    wchar_t text[128] = {};
    const int length = ::GetWindowTextW(draw.hdr.hwndFrom, text, static_cast<int>(std::size(text)));
    ::SetBkMode(draw.hdc, TRANSPARENT);
    ::SetTextColor(draw.hdc, disabled ? palette.disabledText : palette.text);
    const UINT prefix = (draw.uItemState & CDIS_SHOWKEYBOARDCUES) ? 0 : DT_HIDEPREFIX;
    ::DrawTextW(draw.hdc, text, length, &box, DT_CENTER | DT_VCENTER | DT_SINGLELINE | prefix);
    if (draw.uItemState & CDIS_FOCUS) {
        RECT focus = draw.rc;
        ::InflateRect(&focus, -3, -3);
        ::DrawFocusRect(draw.hdc, &focus);
    }
    result = CDRF_SKIPDEFAULT;
    return true;
}

void PaintDarkHeader(HWND header, HDC dc) {
    const UiPalette palette = CurrentPalette();
    RECT client{};
    ::GetClientRect(header, &client);
    FillSolid(dc, client, palette.control);
    FillSolid(dc, RECT{client.left, client.bottom - 1, client.right, client.bottom}, palette.border);
    const auto font = reinterpret_cast<HFONT>(::SendMessageW(header, WM_GETFONT, 0, 0));
    scoped_select selectFont(dc, font ? static_cast<HGDIOBJ>(font) : ::GetStockObject(DEFAULT_GUI_FONT));
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, palette.text);
    const int count = static_cast<int>(::SendMessageW(header, HDM_GETITEMCOUNT, 0, 0));
    for (int index = 0; index < count; ++index) {
        RECT cell{};
        ::SendMessageW(header, HDM_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&cell));
        wchar_t text[128] = {};
        HDITEMW item{};
        item.mask = HDI_TEXT | HDI_FORMAT;
        item.pszText = text;
        item.cchTextMax = static_cast<int>(std::size(text));
        ::SendMessageW(header, HDM_GETITEMW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
        FillSolid(dc, RECT{cell.right - 1, cell.top + 3, cell.right, cell.bottom - 3}, palette.border);
        TEXTMETRICW metrics{};
        ::GetTextMetricsW(dc, &metrics);
        const int pad = metrics.tmAveCharWidth;
        RECT label{cell.left + pad, cell.top, cell.right - pad, cell.bottom - 1};
        if (item.fmt & (HDF_SORTUP | HDF_SORTDOWN)) {
            // The arrow, as wide as a letter, right of the heading's text.
            const int half = std::max(3, pad / 2);
            SIZE extent{};
            ::GetTextExtentPoint32W(dc, text, static_cast<int>(wcslen(text)), &extent);
            const int x = std::min<int>(label.left + extent.cx + pad + half, label.right - half);
            const int y = (cell.top + cell.bottom) / 2;
            const int tip = (item.fmt & HDF_SORTUP) ? -half / 2 - 1 : half / 2 + 1;
            const POINT points[3] = {{x - half, y - tip}, {x + half, y - tip}, {x, y + tip}};
            ::SetDCBrushColor(dc, palette.mutedText);
            ::SetDCPenColor(dc, palette.mutedText);
            scoped_select brush(dc, ::GetStockObject(DC_BRUSH));
            scoped_select pen(dc, ::GetStockObject(DC_PEN));
            ::Polygon(dc, points, 3);
            label.right = x - half - pad / 2;
        }
        ::DrawTextW(dc, text, -1, &label, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS | DT_NOPREFIX);
    }
}

}  // namespace qmo
