#include "toolkit/sort_list_ctrl.h"

#include <algorithm>
#include <string>

#include "framework/text.h"

namespace qmo {
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
    std::vector<Row> shown;
    shown.reserve(rows.size());
    for (const SortListRow& row : rows) {
        Row cells{{}, row.image, row.data};
        cells.cells.reserve(row.cells.size());
        for (const std::string& cell : row.cells)
            cells.cells.push_back(Widen(cell));
        shown.push_back(std::move(cells));
    }
    m_cells = nullptr;
    Replace(std::move(shown), selectedData, scrolling);
}

void CSortListCtrl::ShowRows(const std::vector<std::uint32_t>& rows, SortListCells cells,
                             std::optional<std::uint32_t> selectedData, SortListScrolling scrolling) {
    std::vector<Row> shown;
    shown.reserve(rows.size());
    for (const std::uint32_t data : rows)
        shown.push_back(Row{{}, 0, data, false});
    m_cells = std::move(cells);
    Replace(std::move(shown), selectedData, scrolling);
}

void CSortListCtrl::Replace(std::vector<Row> rows, std::optional<std::uint32_t> selectedData,
                            SortListScrolling scrolling) {
    const int top = ListView_GetTopIndex(m_hWnd);
    m_rows = std::move(rows);
    int selected = -1;
    if (selectedData)
        for (std::size_t index = 0; index < m_rows.size() && selected < 0; ++index)
            if (m_rows[index].data == *selectedData)
                selected = static_cast<int>(index);
    // The list keeps the selection and the focus by position: the old rows'
    // go with them, row by row (told to clear them all, a list view visits
    // every row). Each search must move on, so the loop ends however the
    // list answers.
    for (int row = ListView_GetNextItem(m_hWnd, -1, LVNI_SELECTED); row >= 0;) {
        ListView_SetItemState(m_hWnd, row, 0, LVIS_SELECTED);
        const int next = ListView_GetNextItem(m_hWnd, row, LVNI_SELECTED);
        row = next > row ? next : -1;
    }
    if (const int focused = ListView_GetNextItem(m_hWnd, -1, LVNI_FOCUSED); focused >= 0)
        ListView_SetItemState(m_hWnd, focused, 0, LVIS_FOCUSED);
    ::SendMessageW(m_hWnd, LVM_SETSELECTIONMARK, 0, -1);
    // A new count lays the whole list out again (some 20 ms for 200 rows
    // under wine): the same count needs only the repaint below.
    if (ListView_GetItemCount(m_hWnd) != RowCount())
        ::SendMessageW(m_hWnd, LVM_SETITEMCOUNT, m_rows.size(), LVSICF_NOSCROLL);
    ScrollToTopRow(scrolling.keepPosition ? std::min(top, std::max(RowCount() - 1, 0)) : 0);
    if (selected >= 0) {
        ListView_SetItemState(m_hWnd, selected, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
        ::SendMessageW(m_hWnd, LVM_SETSELECTIONMARK, 0, selected);
        if (scrolling.revealSelected)
            ::SendMessageW(m_hWnd, LVM_ENSUREVISIBLE, selected, FALSE);
    }
    // No row is drawn until the next paint: nothing to hold back meanwhile.
    InvalidateRows();
    // Rows may have brought a vertical scroll bar, or taken it away.
    m_header.FitIfWidthChanged();
}

const CSortListCtrl::Row& CSortListCtrl::MadeRow(int index) {
    Row& row = m_rows[static_cast<std::size_t>(index)];
    if (!row.made) {
        row.made = true;
        if (m_cells)
            for (const std::string& cell : m_cells(row.data))
                row.cells.push_back(Widen(cell));
    }
    return row;
}

bool CSortListCtrl::AnswerNotify(NMHDR* header, LRESULT& result) {
    if (!header || !m_hWnd || header->hwndFrom != m_hWnd)
        return false;
    switch (header->code) {
    case LVN_GETDISPINFOW:
        AnswerDisplayInfo(*reinterpret_cast<NMLVDISPINFOW*>(header));
        result = 0;
        return true;
    case LVN_ODFINDITEMW:
        result = FindRow(*reinterpret_cast<const NMLVFINDITEMW*>(header));
        return true;
    default:
        return false;
    }
}

// Copied into the list's buffer, which may be another process's question.
void CSortListCtrl::AnswerDisplayInfo(NMLVDISPINFOW& info) {
    LVITEMW& item = info.item;
    if (item.iItem < 0 || item.iItem >= RowCount())
        return;
    const Row& row = MadeRow(item.iItem);
    if ((item.mask & LVIF_TEXT) && item.pszText && item.cchTextMax > 0) {
        const bool known = item.iSubItem >= 0 && static_cast<std::size_t>(item.iSubItem) < row.cells.size();
        ::lstrcpynW(item.pszText, known ? row.cells[static_cast<std::size_t>(item.iSubItem)].c_str() : L"",
                    item.cchTextMax);
    }
    if (item.mask & LVIF_IMAGE)
        item.iImage = row.image;
}

// Typed letters lead to the next row whose first cell begins with them; a
// search by data finds the row that carries it.
int CSortListCtrl::FindRow(const NMLVFINDITEMW& find) {
    const LVFINDINFOW& what = find.lvfi;
    const bool byData = (what.flags & LVFI_PARAM) != 0;
    if ((!byData && (!(what.flags & (LVFI_STRING | LVFI_PARTIAL)) || !what.psz)) || m_rows.empty())
        return -1;
    const int wanted = byData ? 0 : ::lstrlenW(what.psz);
    const int count = RowCount();
    const int start = find.iStart >= 0 && find.iStart < count ? find.iStart : 0;
    const int span = (what.flags & LVFI_WRAP) ? count : count - start;
    for (int step = 0; step < span; ++step) {
        const int index = (start + step) % count;
        if (byData) {
            if (static_cast<LPARAM>(m_rows[static_cast<std::size_t>(index)].data) == what.lParam)
                return index;
            continue;
        }
        const Row& row = MadeRow(index);
        if (row.cells.empty() || wanted == 0)
            continue;
        const std::wstring& name = row.cells.front();
        const int length = static_cast<int>(name.size());
        if ((what.flags & LVFI_PARTIAL) ? length < wanted : length != wanted)
            continue;
        if (::CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, name.c_str(), wanted, what.psz, wanted) ==
            CSTR_EQUAL)
            return index;
    }
    return -1;
}

void CSortListCtrl::ScrollToTopRow(int top) {
    RECT row{};
    if (!ListView_GetItemRect(m_hWnd, 0, &row, LVIR_BOUNDS))
        return;
    ListView_Scroll(m_hWnd, 0, (top - ListView_GetTopIndex(m_hWnd)) * (row.bottom - row.top));
}

// The rows only: a list view without WS_CLIPCHILDREN, told its whole client
// area has changed, paints its header again too, the header's themed parts
// drawing through a memory DC each (half of a history update's paint under
// wine). The header's own style says whether it shows: a hidden page's
// list invalidates the same area as a shown one's.
void CSortListCtrl::InvalidateRows() {
    RECT rows{};
    ::GetClientRect(m_hWnd, &rows);
    if (const HWND header = m_header.GetSafeHwnd();
        header && (::GetWindowLongPtrW(header, GWL_STYLE) & WS_VISIBLE)) {
        RECT headerBox{};
        ::GetWindowRect(header, &headerBox);
        ::MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(&headerBox), 2);
        rows.top = std::max(rows.top, headerBox.bottom);
    }
    ::InvalidateRect(m_hWnd, &rows, TRUE);
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
    return DataAt(SelectionMark());
}

std::optional<std::uint32_t> CSortListCtrl::DataAt(int row) const {
    if (row < 0 || row >= RowCount())
        return std::nullopt;
    return m_rows[static_cast<std::size_t>(row)].data;
}

}  // namespace qmo
