#pragma once
// The process list's control: a report list view with grid lines and
// full-row select, the fitting header with its sort arrow, and the process
// rows with the process id as each row's data.
#include <windows.h>
#include <commctrl.h>

#include <cstdint>
#include <optional>
#include <vector>

#include "process/fit_header_ctrl.h"
#include "process/process_snapshot.h"

namespace qmo {

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

    // Replaces every row; the row of `selectedPid` becomes the only selected
    // one. A row the list view refuses is left out.
    void ShowRows(const std::vector<ProcessEntry>& rows, std::optional<std::uint32_t> selectedPid);
    // The process id in the data of the row selected last; none when no row is selected.
    std::optional<std::uint32_t> SelectedProcessId() const;
    bool HasSelection() const;

private:
    // The row selected last, or -1 when no row is selected.
    int SelectionMark() const;

    HWND m_hWnd = nullptr;
    CFitHeaderCtrl m_header;
};

}  // namespace qmo
