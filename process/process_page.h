#pragma once
// The page of running processes: the list with icon, name, working set and
// path, sorted by a column click, refreshed when shown, on "Refresh " and
// every 30 seconds while the setting allows; End Process, Optimize Selected
// Process and Optimize Memory.
#include <string>

#include "optimizer/optimizer_win32.h"
#include "process/process_inspector_win32.h"
#include "process/process_page_logic.h"
#include "process/sort_list_ctrl.h"
#include "process/system_image_list.h"
#include "shell/page_dialog.h"

class CProcessPage : public PageDialog, private qmo::ProcessPageSeams {
public:
    static constexpr UINT kTemplateId = 136;
    static constexpr UINT kProcessList = 1000;
    static constexpr UINT kRefreshButton = 1005;
    static constexpr UINT kEndProcessButton = 1006;
    static constexpr UINT kOptimizeSelectedButton = 1031;
    static constexpr UINT kTitleLabel = 1025;
    static constexpr UINT kTitleLine = 1017;
    static constexpr UINT kContextMenu = 151;
    static constexpr UINT ID_OPTIMIZE_SELECTED_PROCESS = 32782;
    static constexpr UINT_PTR kRefreshTimer = 1;
    static constexpr UINT kRefreshPeriodMs = 30000;

    CProcessPage();

    qmo::CSortListCtrl& List() noexcept { return m_wndList; }
    qmo::ProcessPageLogic& Logic() noexcept { return m_logic; }

protected:
    BOOL OnInitDialog() override;
    bool OnCommand(UINT id, UINT code, HWND control) override;
    bool OnNotify(UINT id, NMHDR* header, LRESULT& result) override;
    bool OnTimer(UINT_PTR id) override;
    void OnPageShown() override;

private:
    // ProcessPageSeams
    qmo::ProcessInspector& Inspector() override { return m_inspector; }
    qmo::IconIndexSource& Icons() override { return m_icons; }
    qmo::ProcessSystem& TrimSystem() override { return m_trimSystem; }
    void ShowRows(const std::vector<qmo::ProcessEntry>& rows, std::optional<std::uint32_t> selectedPid) override;
    void ShowSortArrow(int column, bool ascending) override;
    std::optional<std::uint32_t> SelectedProcessId() const override;
    qmo::MessageAnswer ShowMessage(std::string_view text, qmo::MessageButtons buttons) override;

    void ShowRowMenu();
    // The setting as the main frame holds it now; the defaults without a main frame.
    static bool AutoRefreshSetting();

    qmo::CSortListCtrl m_wndList;
    qmo::Win32ProcessInspector m_inspector;
    qmo::ShellIconIndexSource m_icons;
    qmo::Win32ProcessSystem m_trimSystem;
    qmo::ProcessPageLogic m_logic{*this};
};
