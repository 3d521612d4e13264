#include "toolkit/fit_header_ctrl.h"

#include <vector>

#include "framework/resource_language.h"
#include "framework/unique_handle.h"
#include "res/resource.h"
#include "toolkit/column_fit.h"
#include "toolkit/dark_menu.h"
#include "toolkit/dark_mode.h"
#include "toolkit/ui_palette.h"

namespace qmo {
namespace {

int ColumnCount(HWND header) {
    return static_cast<int>(::SendMessageW(header, HDM_GETITEMCOUNT, 0, 0));
}

void AppendItem(HMENU menu, HeaderMenuCommand command, const wchar_t* text, bool checked) {
    ::AppendMenuW(menu, MF_STRING | (checked ? MF_CHECKED : MF_UNCHECKED), static_cast<UINT_PTR>(command), text);
}

}  // namespace

void CFitHeaderCtrl::SetAutofit(bool on) {
    m_autofit = on;
    if (on)
        Fit();
}

void CFitHeaderCtrl::Fit() {
    const HWND list = m_hWnd ? ::GetParent(m_hWnd) : nullptr;
    if (!list || m_fitting)
        return;
    RECT client{};
    ::GetClientRect(m_hWnd, &client);
    // Column widths go through the list so that it lays out its cells anew;
    // that resizes the header, which must not fit again from inside.
    m_fitting = true;
    const std::vector<int> widths = EqualColumnWidths(client.right, ColumnCount(m_hWnd));
    for (std::size_t column = 0; column < widths.size(); ++column)
        ::SendMessageW(list, LVM_SETCOLUMNWIDTH, column, MAKELPARAM(widths[column], 0));
    m_fitting = false;
    m_fittedWidth = client.right;
}

void CFitHeaderCtrl::FitIfWidthChanged() {
    if (!m_hWnd)
        return;
    RECT client{};
    ::GetClientRect(m_hWnd, &client);
    if (m_autofit && client.right != m_fittedWidth)
        Fit();
}

void CFitHeaderCtrl::SetSortArrow(int column, bool ascending) {
    const int count = ColumnCount(m_hWnd);
    for (int index = 0; index < count; ++index) {
        HDITEMW item{};
        item.mask = HDI_FORMAT;
        ::SendMessageW(m_hWnd, HDM_GETITEMW, index, reinterpret_cast<LPARAM>(&item));
        const int before = item.fmt;
        item.fmt &= ~(HDF_SORTUP | HDF_SORTDOWN);
        if (index == column)
            item.fmt |= ascending ? HDF_SORTUP : HDF_SORTDOWN;
        // Each change lays the list's columns out again: only the ones that change.
        if (item.fmt != before)
            ::SendMessageW(m_hWnd, HDM_SETITEMW, index, reinterpret_cast<LPARAM>(&item));
    }
}

int CFitHeaderCtrl::ColumnFormat(int column) const {
    HDITEMW item{};
    item.mask = HDI_FORMAT;
    ::SendMessageW(m_hWnd, HDM_GETITEMW, column, reinterpret_cast<LPARAM>(&item));
    return item.fmt;
}

HMENU CFitHeaderCtrl::CreateColumnMenu(int column) const {
    const int format = ColumnFormat(column);
    const int alignment = format & HDF_JUSTIFYMASK;
    unique_menu menu(::CreatePopupMenu());
    unique_menu alignMenu(::CreatePopupMenu());
    if (!menu || !alignMenu)
        return nullptr;
    AppendItem(menu.get(), HeaderMenuCommand::SortAscending, LoadResourceString(IDS_SORT_ASCENDING).c_str(), (format & HDF_SORTUP) != 0);
    AppendItem(menu.get(), HeaderMenuCommand::SortDescending, LoadResourceString(IDS_SORT_DESCENDING).c_str(), (format & HDF_SORTDOWN) != 0);
    ::AppendMenuW(menu.get(), MF_SEPARATOR, 0, nullptr);
    AppendItem(alignMenu.get(), HeaderMenuCommand::AlignLeft, LoadResourceString(IDS_ALIGN_LEFT).c_str(), alignment == HDF_LEFT);
    AppendItem(alignMenu.get(), HeaderMenuCommand::AlignCenter, LoadResourceString(IDS_ALIGN_CENTER).c_str(), alignment == HDF_CENTER);
    AppendItem(alignMenu.get(), HeaderMenuCommand::AlignRight, LoadResourceString(IDS_ALIGN_RIGHT).c_str(), alignment == HDF_RIGHT);
    // The menu owns its submenu from here on.
    if (!::AppendMenuW(menu.get(), MF_POPUP, reinterpret_cast<UINT_PTR>(alignMenu.get()), LoadResourceString(IDS_ALIGNMENT).c_str()))
        return nullptr;
    alignMenu.release();
    if (m_toggleCommand) {
        ::AppendMenuW(menu.get(), MF_SEPARATOR, 0, nullptr);
        AppendItem(menu.get(), HeaderMenuCommand::ToggleColumn, m_toggleText.c_str(), m_toggleShown);
    }
    return menu.release();
}

void CFitHeaderCtrl::ApplyMenuCommand(int column, HeaderMenuCommand command) {
    switch (command) {
    case HeaderMenuCommand::SortAscending:
    case HeaderMenuCommand::SortDescending: {
        NMHEADERW click{};
        click.hdr.hwndFrom = m_hWnd;
        click.hdr.idFrom = static_cast<UINT_PTR>(::GetDlgCtrlID(m_hWnd));
        click.hdr.code = HDN_ITEMCLICKW;
        click.iItem = column;
        click.iButton = 0;
        ::SendMessageW(::GetParent(m_hWnd), WM_NOTIFY, click.hdr.idFrom, reinterpret_cast<LPARAM>(&click));
        break;
    }
    case HeaderMenuCommand::AlignLeft:
        SetColumnAlignment(column, LVCFMT_LEFT);
        break;
    case HeaderMenuCommand::AlignCenter:
        SetColumnAlignment(column, LVCFMT_CENTER);
        break;
    case HeaderMenuCommand::AlignRight:
        SetColumnAlignment(column, LVCFMT_RIGHT);
        break;
    case HeaderMenuCommand::ToggleColumn:
        if (m_toggleCommand)
            ::SendMessageW(::GetParent(::GetParent(m_hWnd)), WM_COMMAND, MAKEWPARAM(m_toggleCommand, 0), 0);
        break;
    case HeaderMenuCommand::None:
        break;
    }
}

void CFitHeaderCtrl::OfferColumnToggle(std::wstring text, UINT command, bool shown) {
    m_toggleText = std::move(text);
    m_toggleCommand = command;
    m_toggleShown = shown;
}

void CFitHeaderCtrl::SetColumnAlignment(int column, int alignment) {
    // Through the list, so the cells follow the header; the sort arrow stays.
    const int keep = ColumnFormat(column) & (HDF_SORTUP | HDF_SORTDOWN);
    LVCOLUMNW format{};
    format.mask = LVCF_FMT;
    format.fmt = alignment;
    ::SendMessageW(::GetParent(m_hWnd), LVM_SETCOLUMNW, column, reinterpret_cast<LPARAM>(&format));
    HDITEMW item{};
    item.mask = HDI_FORMAT;
    item.fmt = (ColumnFormat(column) & ~(HDF_JUSTIFYMASK | HDF_SORTUP | HDF_SORTDOWN)) | alignment | keep;
    ::SendMessageW(m_hWnd, HDM_SETITEMW, column, reinterpret_cast<LPARAM>(&item));
    ::InvalidateRect(::GetParent(m_hWnd), nullptr, TRUE);
}

bool CFitHeaderCtrl::OnContextMenu(HWND, POINT screen) {
    if (screen.x == -1 && screen.y == -1)
        ::GetCursorPos(&screen);
    HDHITTESTINFO hit{};
    hit.pt = screen;
    ::ScreenToClient(m_hWnd, &hit.pt);
    const int column = static_cast<int>(::SendMessageW(m_hWnd, HDM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
    if (column < 0)
        return true;
    unique_menu menu(CreateColumnMenu(column));
    if (!menu)
        return true;
    PrepareMenu(menu.get());
    const auto chosen = static_cast<HeaderMenuCommand>(::TrackPopupMenu(
        menu.get(), TPM_LEFTALIGN | TPM_RIGHTBUTTON | TPM_RETURNCMD | TPM_NONOTIFY, screen.x, screen.y, 0, m_hWnd, nullptr));
    ApplyMenuCommand(column, chosen);
    return true;
}

LRESULT CFitHeaderCtrl::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (AnswerMenuItemMessage(m_hWnd, message, lParam))
        return TRUE;  // its column menu's items, drawn dark
    // Windows has no dark header to give on every system: in the dark colours it is painted here.
    if (DarkColorsInUse() && (message == WM_PAINT || message == WM_ERASEBKGND)) {
        if (message == WM_PAINT) {
            paint_dc paint(m_hWnd);
            PaintDarkHeader(m_hWnd, paint.get());
        }
        return message == WM_ERASEBKGND ? 1 : 0;
    }
    if (message != WM_WINDOWPOSCHANGED)
        return SubclassedControl::HandleMessage(message, wParam, lParam);
    const LRESULT result = DefaultHandler(message, wParam, lParam);
    FitIfWidthChanged();
    return result;
}

}  // namespace qmo
