#include "toolkit/sort_list_ctrl.h"

#include <string>

#include "framework/text.h"

namespace qmo {
namespace {

void SetCellText(HWND list, int row, int column, const std::string& text) {
    std::wstring wide = Widen(text);
    LVITEMW cell{};
    cell.iSubItem = column;
    cell.pszText = wide.data();
    ::SendMessageW(list, LVM_SETITEMTEXTW, row, reinterpret_cast<LPARAM>(&cell));
}

}  // namespace

bool CSortListCtrl::SubclassDlgItem(UINT id, HWND dialog) {
    HWND list = ::GetDlgItem(dialog, static_cast<int>(id));
    if (!list || m_hWnd)
        return false;
    m_hWnd = list;
    const auto style = ::GetWindowLongPtrW(list, GWL_STYLE);
    ::SetWindowLongPtrW(list, GWL_STYLE, style | LVS_SHAREIMAGELISTS);
    ListView_SetExtendedListViewStyleEx(list, LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT,
                                        LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);
    return m_header.AttachHeader(ListView_GetHeader(list));
}

void CSortListCtrl::InsertColumn(int index, const wchar_t* heading, int width) {
    std::wstring text(heading);
    LVCOLUMNW column{};
    column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
    column.fmt = LVCFMT_LEFT;
    column.cx = width;
    column.pszText = text.data();
    column.iSubItem = index;
    ::SendMessageW(m_hWnd, LVM_INSERTCOLUMNW, index, reinterpret_cast<LPARAM>(&column));
}

void CSortListCtrl::SetSmallImageList(HIMAGELIST images) {
    ::SendMessageW(m_hWnd, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(images));
}

void CSortListCtrl::ShowRows(const std::vector<SortListRow>& rows, std::optional<std::uint32_t> selectedData,
                             SortListScrolling scrolling) {
    const int top = ListView_GetTopIndex(m_hWnd);
    // One repaint for the whole list instead of one per row.
    ::SendMessageW(m_hWnd, WM_SETREDRAW, FALSE, 0);
    ::SendMessageW(m_hWnd, LVM_DELETEALLITEMS, 0, 0);
    int index = 0;
    int selected = -1;
    for (const SortListRow& row : rows) {
        std::wstring name = row.cells.empty() ? std::wstring() : Widen(row.cells.front());
        LVITEMW item{};
        item.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM;
        item.iItem = index;
        item.pszText = name.data();
        item.iImage = row.image;
        item.lParam = static_cast<LPARAM>(row.data);
        const int inserted = static_cast<int>(::SendMessageW(m_hWnd, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
        if (inserted < 0)
            continue;
        for (std::size_t column = row.cells.size(); column-- > 1;)
            SetCellText(m_hWnd, inserted, static_cast<int>(column), row.cells[column]);
        if (selectedData && row.data == *selectedData)
            selected = inserted;
        ++index;
    }
    if (scrolling.keepPosition)
        ScrollToTopRow(top);
    if (selected >= 0) {
        ListView_SetItemState(m_hWnd, selected, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
        ::SendMessageW(m_hWnd, LVM_SETSELECTIONMARK, 0, selected);
        if (scrolling.revealSelected)
            ::SendMessageW(m_hWnd, LVM_ENSUREVISIBLE, selected, FALSE);
    }
    ::SendMessageW(m_hWnd, WM_SETREDRAW, TRUE, 0);
    ::InvalidateRect(m_hWnd, nullptr, TRUE);
    // Rows may have brought a vertical scroll bar, or taken it away.
    m_header.FitIfWidthChanged();
}

void CSortListCtrl::ScrollToTopRow(int top) {
    RECT row{};
    if (!ListView_GetItemRect(m_hWnd, 0, &row, LVIR_BOUNDS))
        return;
    ListView_Scroll(m_hWnd, 0, (top - ListView_GetTopIndex(m_hWnd)) * (row.bottom - row.top));
}

bool CSortListCtrl::SelectedRowInView() const {
    const int row = SelectionMark();
    const int top = ListView_GetTopIndex(m_hWnd);
    return row >= 0 && row >= top && row <= top + ListView_GetCountPerPage(m_hWnd);
}

bool CSortListCtrl::HasSelection() const {
    return ::SendMessageW(m_hWnd, LVM_GETSELECTEDCOUNT, 0, 0) > 0;
}

int CSortListCtrl::SelectionMark() const {
    if (!HasSelection())
        return -1;
    const int mark = static_cast<int>(::SendMessageW(m_hWnd, LVM_GETSELECTIONMARK, 0, 0));
    const bool markSelected = mark >= 0 && (ListView_GetItemState(m_hWnd, mark, LVIS_SELECTED) & LVIS_SELECTED);
    return markSelected ? mark : ListView_GetNextItem(m_hWnd, -1, LVNI_SELECTED);
}

std::optional<std::uint32_t> CSortListCtrl::SelectedData() const {
    LVITEMW item{};
    item.mask = LVIF_PARAM;
    item.iItem = SelectionMark();
    if (item.iItem < 0 || !::SendMessageW(m_hWnd, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item)))
        return std::nullopt;
    return static_cast<std::uint32_t>(item.lParam);
}

}  // namespace qmo
