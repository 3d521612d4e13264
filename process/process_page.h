#pragma once
// The page of running processes: the list with icon, name, working set and
// path, sorted by a column click, refreshed when shown, on "Refresh " and
// every 30 seconds while the setting allows; End Process, Optimize Selected
// Process and Optimize Memory.
#include <string>

#include "config/settings_holder.h"
#include "process/process_inspector_win32.h"
#include "process/process_page_logic.h"
#include "process/snapshot_worker.h"
#include "toolkit/sort_list_ctrl.h"
#include "toolkit/system_image_list.h"
#include "pages/page_dialog.h"

namespace qmo {

class CProcessPage : public PageDialog, private qmo::ProcessPageSeams {
public:
    static constexpr UINT_PTR kRefreshTimer = 1;
    static constexpr UINT kRefreshPeriodMs = 30000;

    // The automatic refresh follows the holder's setting; its default without one.
    explicit CProcessPage(qmo::SettingsHolder* settings = nullptr);

    qmo::CSortListCtrl& List() noexcept { return m_wndList; }
    qmo::ProcessPageLogic& Logic() noexcept { return m_logic; }
    // A refresh asked for whose rows have not reached the list yet.
    bool RefreshPending() const { return m_snapshots.Pending(); }

protected:
    BOOL OnInitDialog() override;
    bool OnCommand(UINT id, UINT code, HWND control) override;
    bool OnNotify(UINT id, NMHDR* header, LRESULT& result) override;
    bool OnTimer(UINT_PTR id) override;
    void OnPageShown() override;
    bool HandleDialogMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    void OnDestroy() override;

private:
    void FitHeading();
    // ProcessPageSeams
    qmo::ProcessInspector& Inspector() override { return m_inspector; }
    void RequestSnapshot() override;
    bool TrimProcess(std::uint32_t processId) override;
    void ShowRows(const std::vector<qmo::ProcessEntry>& rows, const qmo::RowsPlacement& placement) override;
    void ShowSortArrow(int column, bool ascending) override;
    std::optional<std::uint32_t> SelectedProcessId() const override;
    bool SelectedRowInView() const override;
    qmo::MessageAnswer ShowMessage(std::string_view text, qmo::MessageButtons buttons) override;
    std::vector<std::string> Exclusions() const override;
    void SaveExclusions(const std::vector<std::string>& entries) override;
    bool EndProcessAllowed() const override;

    void ShowRowMenu();
    // The committed memory column, shown or hidden from the header's menu.
    void ShowCommittedColumn(bool shown);
    bool AutoRefreshSetting() const;

    qmo::CSortListCtrl m_wndList;
    qmo::Win32ProcessInspector m_inspector;
    qmo::SettingsHolder* m_settings;
    bool m_committedShown = false;
    qmo::ProcessPageLogic m_logic{*this};
    // Last: it stops (waiting for a snapshot under way) before the rest goes.
    qmo::SnapshotWorker m_snapshots;
};

}  // namespace qmo
