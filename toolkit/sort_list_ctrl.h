#pragma once
// A sortable report list: a list view with grid lines and full-row select,
// the fitting header with its sort arrow, and rows that each carry a number
// as their data (the caller's key for the row).
//
// The list view is a virtual one (LVS_OWNERDATA, given by the template): the
// rows live here and the list asks for the cells it draws, so new rows cost
// the thread a count and a repaint of what shows, however many there are.
// The parent hands the list's notifications to AnswerNotify first.
#include <windows.h>
#include <commctrl.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "toolkit/fit_header_ctrl.h"

namespace qmo {

// One row: its cells by column (the first is the item's own text), its image
// in the small image list, and its data.
struct SortListRow {
    std::vector<std::string> cells;
    int image = 0;
    std::uint32_t data = 0;
};

// The cells of the row that carries `data`, asked for when the list first
// draws that row.
using SortListCells = std::function<std::vector<std::string>(std::uint32_t data)>;

// Where a list's view stands once new rows are in: at the top, or scrolled as
// before, the same position first in view; and whether the selected row is
// then scrolled into view.
struct SortListScrolling {
    bool keepPosition = false;
    bool revealSelected = true;
};

class CSortListCtrl {
public:
    // Takes over a list of a dialog template; the dialog keeps owning the window.
    bool SubclassDlgItem(UINT id, HWND dialog);
    HWND GetSafeHwnd() const noexcept { return m_hWnd; }
    CFitHeaderCtrl& Header() noexcept { return m_header; }

    void InsertColumn(int index, const wchar_t* heading, int width);
    // The image list stays its owner's: the list never destroys it.
    void SetSmallImageList(HIMAGELIST images);
    void SetSortArrow(int column, bool ascending) { m_header.SetSortArrow(column, ascending); }

    // Replaces every row; the row whose data is `selectedData` becomes the
    // only selected one. A row the list view refuses is left out.
    void ShowRows(const std::vector<SortListRow>& rows, std::optional<std::uint32_t> selectedData,
                  SortListScrolling scrolling = {});
    // The same for rows known by their data alone, in this order, without
    // images: each row's cells are asked of `cells` when it is first drawn
    // (or read), so a long list costs only the rows in view.
    void ShowRows(const std::vector<std::uint32_t>& rows, SortListCells cells,
                  std::optional<std::uint32_t> selectedData, SortListScrolling scrolling = {});
    // The data of the row selected last; none when no row is selected.
    std::optional<std::uint32_t> SelectedData() const;
    // The data of row `row` as shown; none out of range.
    std::optional<std::uint32_t> DataAt(int row) const;
    int RowCount() const noexcept { return static_cast<int>(m_rows.size()); }
    // The list's questions for the cells it shows and for the row to which
    // typed letters lead; true when `header` was one and `result` is the answer.
    bool AnswerNotify(NMHDR* header, LRESULT& result);
    bool HasSelection() const;
    // Whether the selected row is in view; the one just below the last whole
    // row may be partly.
    bool SelectedRowInView() const;

private:
    // The row selected last, or -1 when no row is selected.
    int SelectionMark() const;
    // A report view scrolls by whole rows, given in pixels.
    void ScrollToTopRow(int top);
    void InvalidateRows();
    struct Row {
        std::vector<std::wstring> cells;
        int image = 0;
        std::uint32_t data = 0;
        bool made = true;  // the cells are there; else asked of m_cells first
    };
    // The new rows in place, and the view where `scrolling` says.
    void Replace(std::vector<Row> rows, std::optional<std::uint32_t> selectedData, SortListScrolling scrolling);
    const Row& MadeRow(int index);
    void AnswerDisplayInfo(NMLVDISPINFOW& info);
    int FindRow(const NMLVFINDITEMW& find);

    HWND m_hWnd = nullptr;
    CFitHeaderCtrl m_header;
    std::vector<Row> m_rows;
    SortListCells m_cells;
};

}  // namespace qmo
