#include "toolkit/dark_menu.h"

#include <algorithm>
#include <string>

#include "framework/unique_handle.h"
#include "framework/window_dpi.h"
#include "toolkit/ui_fonts.h"
#include "toolkit/ui_paint.h"
#include "toolkit/ui_palette.h"

namespace qmo {
namespace {

struct MenuItem {
    std::wstring text;  // with its & marks; a tab parts the accelerator
    UINT state = 0;
    bool separator = false;
    bool opensSubmenu = false;
    bool found = false;
};

// The item `id` of `menu`, looked up by place: an item that opens a submenu
// has the submenu for its id, which a lookup by command would search inside.
MenuItem FindItem(HMENU menu, UINT id) {
    const int count = ::GetMenuItemCount(menu);
    for (int index = 0; index < count; ++index) {
        wchar_t text[128] = {};
        MENUITEMINFOW info{};
        info.cbSize = sizeof(info);
        info.fMask = MIIM_ID | MIIM_STRING | MIIM_STATE | MIIM_FTYPE | MIIM_SUBMENU;
        info.dwTypeData = text;
        info.cch = static_cast<UINT>(std::size(text));
        if (!::GetMenuItemInfoW(menu, static_cast<UINT>(index), TRUE, &info) || info.wID != id)
            continue;
        return {text, info.fState, (info.fType & MFT_SEPARATOR) != 0, info.hSubMenu != nullptr, true};
    }
    return {};
}

// The menus' face, one brush for the process.
HBRUSH MenuBrush() {
    static KeptBrush face;
    return face.Of(CurrentPalette().control);
}

// The program's interface font at the owner's DPI; bold for a default item.
HFONT ItemFont(HWND owner, const MenuItem& item) {
    const unsigned dpi = WindowDpi(owner);
    return (item.state & MFS_DEFAULT) ? StandardInterfaceBoldFont(dpi) : StandardInterfaceFont(dpi);
}

void PrepareItems(HMENU menu, bool dark) {
    const int count = ::GetMenuItemCount(menu);
    for (int index = 0; index < count; ++index) {
        MENUITEMINFOW info{};
        info.cbSize = sizeof(info);
        info.fMask = MIIM_FTYPE | MIIM_SUBMENU;
        if (!::GetMenuItemInfoW(menu, static_cast<UINT>(index), TRUE, &info))
            continue;
        if (info.hSubMenu)
            PrepareItems(info.hSubMenu, dark);
        const UINT type = dark ? info.fType | MFT_OWNERDRAW : info.fType & ~static_cast<UINT>(MFT_OWNERDRAW);
        if (type == info.fType)
            continue;
        MENUITEMINFOW change{};
        change.cbSize = sizeof(change);
        change.fMask = MIIM_FTYPE | MIIM_DATA;
        change.fType = type;
        change.dwItemData = dark ? reinterpret_cast<ULONG_PTR>(menu) : 0;  // measuring is told the id only
        ::SetMenuItemInfoW(menu, static_cast<UINT>(index), TRUE, &change);
    }
    MENUINFO background{};
    background.cbSize = sizeof(background);
    background.fMask = MIM_BACKGROUND;
    background.hbrBack = dark ? MenuBrush() : nullptr;
    ::SetMenuInfo(menu, &background);
}

// Paddings of an item, from the font's height.
int Padding(int fontHeight) {
    return std::max(2, fontHeight / 3);
}

}  // namespace

void PrepareMenu(HMENU menu) {
    if (menu)
        PrepareItems(menu, DarkColorsInUse());
}

bool AnswerMenuItemMessage(HWND owner, UINT message, LPARAM lParam) {
    if (message == WM_MEASUREITEM)
        return MeasureMenuItem(owner, *reinterpret_cast<MEASUREITEMSTRUCT*>(lParam));
    if (message == WM_DRAWITEM)
        return DrawMenuItem(owner, *reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
    return false;
}

bool MeasureMenuItem(HWND owner, MEASUREITEMSTRUCT& item) {
    if (item.CtlType != ODT_MENU || item.itemData == 0)
        return false;
    const auto menu = reinterpret_cast<HMENU>(item.itemData);
    const MenuItem found = FindItem(menu, item.itemID);
    unique_dc dc(::CreateCompatibleDC(nullptr));
    scoped_select select(dc.get(), ItemFont(owner, found));
    TEXTMETRICW metrics{};
    ::GetTextMetricsW(dc.get(), &metrics);
    const int pad = Padding(metrics.tmHeight);
    if (!found.found || found.separator) {
        item.itemWidth = 1;
        item.itemHeight = static_cast<UINT>(pad * 2 + 1);
        return true;
    }
    RECT extent{};
    ::DrawTextW(dc.get(), found.text.c_str(), -1, &extent, DT_CALCRECT | DT_SINGLELINE | DT_EXPANDTABS);
    const bool inBar = ::GetMenu(owner) == menu;
    // In a popup: room for the check mark on the left and a gap before an accelerator.
    const int extra = inBar ? pad * 2 : metrics.tmHeight * 2 + pad * 4;
    item.itemWidth = static_cast<UINT>(extent.right + extra);
    item.itemHeight = static_cast<UINT>(metrics.tmHeight + (inBar ? pad : pad * 2));
    return true;
}

bool DrawMenuItem(HWND owner, const DRAWITEMSTRUCT& item) {
    if (item.CtlType != ODT_MENU || item.itemData == 0)
        return false;
    const auto menu = reinterpret_cast<HMENU>(item.itemData);
    const MenuItem found = FindItem(menu, item.itemID);
    const UiPalette palette = CurrentPalette();
    const bool inBar = ::GetMenu(owner) == menu;
    const bool lit = (item.itemState & (ODS_SELECTED | ODS_HOTLIGHT)) != 0;
    const bool disabled = (item.itemState & (ODS_GRAYED | ODS_DISABLED)) != 0;
    RECT box = item.rcItem;
    FillSolid(item.hDC, box, lit && !disabled ? palette.controlHot : palette.control);
    scoped_select select(item.hDC, ItemFont(owner, found));
    TEXTMETRICW metrics{};
    ::GetTextMetricsW(item.hDC, &metrics);
    const int pad = Padding(metrics.tmHeight);
    if (!found.found || found.separator) {
        const int middle = (box.top + box.bottom) / 2;
        FillSolid(item.hDC, RECT{box.left + pad, middle, box.right - pad, middle + 1}, palette.border);
        return true;
    }
    ::SetBkMode(item.hDC, TRANSPARENT);
    ::SetTextColor(item.hDC, disabled ? palette.disabledText : palette.text);
    const UINT prefix = (item.itemState & ODS_NOACCEL) ? DT_HIDEPREFIX : 0;
    if (inBar) {
        ::DrawTextW(item.hDC, found.text.c_str(), -1, &box, DT_CENTER | DT_VCENTER | DT_SINGLELINE | prefix);
        return true;
    }
    if (item.itemState & ODS_CHECKED) {
        // A tick in the gutter, in the text's colour.
        const int size = metrics.tmHeight / 2;
        const int x = box.left + pad + metrics.tmHeight / 4;
        const int y = (box.top + box.bottom) / 2;
        const POINT tick[3] = {{x, y}, {x + size / 3, y + size / 3}, {x + size, y - size / 2}};
        ::SetDCPenColor(item.hDC, disabled ? palette.disabledText : palette.text);
        scoped_select pen(item.hDC, ::GetStockObject(DC_PEN));
        ::Polyline(item.hDC, tick, 3);
    }
    RECT text{box.left + metrics.tmHeight + pad * 2, box.top, box.right - pad * 2, box.bottom};
    const std::size_t tab = found.text.find(L'\t');
    ::DrawTextW(item.hDC, found.text.c_str(), static_cast<int>(std::min(tab, found.text.size())), &text,
                DT_LEFT | DT_VCENTER | DT_SINGLELINE | prefix);
    if (tab != std::wstring::npos)
        ::DrawTextW(item.hDC, found.text.c_str() + tab + 1, -1, &text, DT_RIGHT | DT_VCENTER | DT_SINGLELINE | prefix);
    if (found.opensSubmenu) {
        // The arrow in the text's colour; the system would draw its own, dark
        // on dark, after this, so the item is kept from it.
        const int half = std::max(2, static_cast<int>(metrics.tmHeight / 5));
        const int x = box.right - pad * 2;
        const int y = (box.top + box.bottom) / 2;
        const POINT arrow[3] = {{x - half, y - half}, {x, y}, {x - half, y + half}};
        ::SetDCBrushColor(item.hDC, disabled ? palette.disabledText : palette.text);
        ::SetDCPenColor(item.hDC, disabled ? palette.disabledText : palette.text);
        scoped_select brush(item.hDC, ::GetStockObject(DC_BRUSH));
        scoped_select pen(item.hDC, ::GetStockObject(DC_PEN));
        ::Polygon(item.hDC, arrow, 3);
        ::ExcludeClipRect(item.hDC, box.left, box.top, box.right, box.bottom);
    }
    return true;
}

}  // namespace qmo
