#pragma once
// The "Optimization history" window: the memory lists as they are now,
// refreshed each second while the window shows, above the runs in a list
// sortable by any column, with Copy (the runs as CSV) and Open folder.
#include <windows.h>

#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "optimizer/memory_reading.h"
#include "optimizer/run_record.h"
#include "res/history_resource.h"
#include "toolkit/resize_dialog.h"
#include "toolkit/shell_opener.h"
#include "toolkit/sort_list_ctrl.h"

namespace qmo {

// What the window shows, read at the moment of use.
class HistoryWindowSource {
public:
    virtual ~HistoryWindowSource() = default;
    virtual const std::deque<RunRecord>& Records() const = 0;  // oldest first
    virtual MemoryReading ReadMemory() = 0;
    virtual std::wstring HistoryFolder() const = 0;
    // The header row and these rows, as the history file holds them.
    virtual std::string CsvText(const std::vector<const RunRecord*>& rows) const = 0;
};

class CHistoryWindow : private CResizeDialog {
public:
    static constexpr UINT_PTR ID_TIMER_LISTS = 1;
    static constexpr UINT kListsIntervalMs = 1000;

    explicit CHistoryWindow(HistoryWindowSource& source, ShellOpener& opener = SystemShellOpener()) noexcept
        : CResizeDialog(IDD_HISTORY), m_source(source), m_opener(opener) {}
    ~CHistoryWindow() override { Close(); }

    // Makes the window the first time, or brings it forward; owned by `owner`.
    void Show(HWND owner);
    // A run was recorded or a late sample filled one: the list again, the
    // selection kept. Nothing while the window is not open.
    void RecordsChanged();
    // The program's colours changed: an open window paints in the new ones.
    void ColorsChanged();
    void Close();
    bool IsOpen() const noexcept { return IsCreated(); }
    HWND GetSafeHwnd() const noexcept { return Window::GetSafeHwnd(); }
    CSortListCtrl& List() noexcept { return m_list; }

protected:
    BOOL OnInitDialog() override;
    bool OnCommand(UINT id, UINT code, HWND control) override;
    bool OnNotify(UINT id, NMHDR* header, LRESULT& result) override;
    bool OnTimer(UINT_PTR id) override;
    // The system moves and sizes the window and its controls; the list's
    // columns, sized in pixels, follow here.
    bool OnDpiChanged(unsigned dpi, const RECT& suggested) override;
    void OnDestroy() override;

private:
    void FillList();
    void ShowMemoryLists();
    void CopyToClipboard();
    std::optional<std::size_t> SelectedRecord() const;

    HistoryWindowSource& m_source;
    ShellOpener& m_opener;
    CSortListCtrl m_list;
    int m_sortColumn = 0;
    bool m_ascending = false;  // newest first
    unsigned m_dpi = 96;       // what the columns are sized for
    std::vector<std::size_t> m_order;  // the list's rows, as positions in the records
    // The selected run by when it started, which stays while older runs go.
    std::optional<std::int64_t> m_selectedStart;
};

}  // namespace qmo
