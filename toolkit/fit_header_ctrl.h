#pragma once
// The header of a report list view, taken over: it fits its columns to its
// width in equal shares whenever that width changes, shows the sort arrow,
// and has its own right-click menu to sort by a column or align it.
#include <windows.h>
#include <commctrl.h>

#include <string>

#include "framework/subclassed_control.h"

namespace qmo {

enum class HeaderMenuCommand : UINT {
    None = 0,
    SortAscending = 1,
    SortDescending,
    AlignLeft,
    AlignCenter,
    AlignRight,
    ToggleColumn,
};

class CFitHeaderCtrl : public SubclassedControl {
public:
    bool AttachHeader(HWND header) { return Subclass(header, false); }

    void SetAutofit(bool on);
    void Fit();
    // With automatic fitting on: fits again if the width is not the one last fitted.
    void FitIfWidthChanged();
    // The arrow on `column` only; -1 takes it off every column.
    void SetSortArrow(int column, bool ascending);

    // The right-click menu of `column`, with the entries of its present state checked.
    HMENU CreateColumnMenu(int column) const;
    // What a chosen entry does: either sort entry reports a click on the
    // column to the list, as a click on the header would.
    void ApplyMenuCommand(int column, HeaderMenuCommand command);
    // An entry of every column's menu that shows or hides a column its owner
    // adds on demand, checked while `shown`; chosen, the list's parent gets
    // WM_COMMAND of `command`.
    void OfferColumnToggle(std::wstring text, UINT command, bool shown);

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    bool OnContextMenu(HWND window, POINT screen) override;

private:
    int ColumnFormat(int column) const;
    void SetColumnAlignment(int column, int alignment);

    std::wstring m_toggleText;
    UINT m_toggleCommand = 0;
    bool m_toggleShown = false;
    bool m_autofit = false;
    bool m_fitting = false;
    int m_fittedWidth = -1;
};

}  // namespace qmo
