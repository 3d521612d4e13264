#include "process/process_page.h"

#include "framework/resource_language.h"
#include "toolkit/dark_menu.h"

#include "config/optimizer_settings.h"
#include "framework/application.h"
#include "framework/com_ptr.h"
#include "framework/text.h"
#include "framework/dpi_scale.h"
#include "framework/unique_handle.h"
#include "framework/window_dpi.h"
#include "process/process_sort.h"
#include "pages/message_caption.h"
#include "res/messages.h"
#include "res/process_resource.h"
#include "toolkit/ui_fonts.h"

namespace qmo {

namespace {

// Runs on the worker's thread, with objects of its own: the shell's icon
// lookup wants COM on the thread that asks.
std::vector<ProcessEntry> TakeSnapshot() {
    const com_apartment apartment;
    Win32ProcessInspector inspector;
    ShellIconIndexSource icons;
    return SnapshotProcessRows(inspector, icons);
}

}  // namespace

CProcessPage::CProcessPage(qmo::SettingsHolder* settings)
    : PageDialog(IDD_PROCESS_PAGE),
      m_settings(settings),
      m_snapshots(TakeSnapshot, [this] { ::PostMessageW(m_hWnd, WM_PROCESS_SNAPSHOT_READY, 0, 0); }) {}

bool CProcessPage::TrimProcess(std::uint32_t processId) {
    return OptimizeOneProcess(processId);
}

void CProcessPage::RequestSnapshot() {
    if (!m_snapshots.Request())
        m_logic.ApplySnapshot(TakeSnapshot());  // no thread to be had: take it here
}

bool CProcessPage::HandleDialogMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    if (message == WM_PROCESS_SNAPSHOT_READY) {
        // Carries nothing: a made-up one from elsewhere finds no rows, or
        // takes a moment early those the worker has just announced.
        if (auto rows = m_snapshots.TakeResult())
            m_logic.ApplySnapshot(std::move(*rows));
        result = 0;
        return true;
    }
    return PageDialog::HandleDialogMessage(message, wParam, lParam, result);
}

void CProcessPage::OnDestroy() {
    m_snapshots.Silence();
    PageDialog::OnDestroy();
}

BOOL CProcessPage::OnInitDialog() {
    if (m_wndList.SubclassDlgItem(IDC_PROCESS_LIST, m_hWnd)) {
        // Widths at 96 DPI, shown at the page's.
        const unsigned dpi = qmo::WindowDpi(m_hWnd);
        m_wndList.InsertColumn(qmo::kNameColumn, qmo::LoadResourceString(IDS_PROCESS_COLUMN_NAME).c_str(),
                               qmo::ScaleForDpi(150, dpi));
        m_wndList.InsertColumn(qmo::kMemoryColumn, qmo::LoadResourceString(IDS_PROCESS_COLUMN_MEMORY).c_str(),
                               qmo::ScaleForDpi(100, dpi));
        m_wndList.InsertColumn(qmo::kPathColumn, qmo::LoadResourceString(IDS_PROCESS_COLUMN_PATH).c_str(),
                               qmo::ScaleForDpi(500, dpi));
        m_wndList.Header().SetAutofit(true);
        m_wndList.Header().OfferColumnToggle(qmo::LoadResourceString(IDS_PROCESS_COLUMN_COMMITTED),
                                             ID_PROCESS_TOGGLE_COMMITTED, false);
    }
    m_logic.SortColumn(m_logic.SortedColumn(), m_logic.IsSortAscending());
    SendItemMessage(IDC_PROCESS_HEADING, WM_SETFONT, reinterpret_cast<WPARAM>(qmo::StandardInterfaceBoldFont()), TRUE);
    FitHeading();
    AddAnchor(IDC_PROCESS_LIST, qmo::kAnchorStretchBoth);
    for (UINT button : {IDC_PROCESS_REFRESH, IDC_PROCESS_END, IDC_PROCESS_OPTIMIZE_SELECTED})
        AddAnchor(button, qmo::kAnchorMoveDown);
    AddAnchor(IDC_PROCESS_RULE, qmo::kAnchorStretchWidth);
    AddAnchor(IDC_PROCESS_HEADING, qmo::kAnchorFixed);
    AddAnchor(IDC_PAGE_OPTIMIZE_MEMORY, qmo::kAnchorBottomRight);
    // No rows yet: the list is first filled when the page is shown, not for a
    // program that may spend its life in the tray.
    ::SetTimer(m_hWnd, kRefreshTimer, kRefreshPeriodMs, nullptr);
    AttachButtons({IDC_PROCESS_END, IDC_PROCESS_REFRESH, IDC_PROCESS_OPTIMIZE_SELECTED, IDC_PAGE_OPTIMIZE_MEMORY});
    return TRUE;
}

// The heading's font does not grow with the DPI in step with the dialog's, so
// at some DPIs its one line needs more than the template gives: it takes that
// width, and the rule beside it starts after it.
void CProcessPage::FitHeading() {
    const HWND heading = Item(IDC_PROCESS_HEADING);
    const HWND rule = Item(IDC_PROCESS_RULE);
    if (!heading || !rule)
        return;
    const auto placeOf = [this](HWND control) {
        RECT rect{};
        ::GetWindowRect(control, &rect);
        ::MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(&rect), 2);
        return rect;
    };
    const RECT text = placeOf(heading);
    RECT needed{0, 0, 0, 0};
    if (qmo::unique_dc measure{::CreateCompatibleDC(nullptr)}) {
        qmo::scoped_select font(measure.get(), reinterpret_cast<HGDIOBJ>(::SendMessageW(heading, WM_GETFONT, 0, 0)));
        const std::wstring caption = qmo::WindowText(heading);
        ::DrawTextW(measure.get(), caption.c_str(), -1, &needed, DT_SINGLELINE | DT_CALCRECT | DT_NOPREFIX);
    }
    if (needed.right <= text.right - text.left)
        return;
    const RECT line = placeOf(rule);
    const int right = text.left + needed.right;
    ::SetWindowPos(heading, nullptr, 0, 0, needed.right, text.bottom - text.top,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    const int gap = qmo::ScaleForDpi(6, qmo::WindowDpi(m_hWnd));
    if (line.left < right + gap)
        ::SetWindowPos(rule, nullptr, right + gap, line.top, std::max<int>(line.right - right - gap, 0),
                       line.bottom - line.top, SWP_NOZORDER | SWP_NOACTIVATE);
}

bool CProcessPage::OnCommand(UINT id, UINT code, HWND control) {
    if (PageDialog::OnCommand(id, code, control))
        return true;
    if (code != BN_CLICKED)
        return false;
    switch (id) {
    case IDC_PROCESS_REFRESH:
        m_logic.RefreshProcessList();
        return true;
    case IDC_PROCESS_END:
        m_logic.EndProcess();
        return true;
    case IDC_PROCESS_OPTIMIZE_SELECTED:
    case ID_OPTIMIZE_SELECTED_PROCESS:
        m_logic.OptimizeSelectedProcess();
        return true;
    case ID_PROCESS_NEVER_OPTIMIZE:
        m_logic.ExcludeSelectedProgram();
        return true;
    case ID_PROCESS_OPTIMIZE_AGAIN:
        m_logic.IncludeSelectedProgram();
        return true;
    case ID_PROCESS_TOGGLE_COMMITTED:
        ShowCommittedColumn(!m_committedShown);
        return true;
    default:
        return false;
    }
}

void CProcessPage::OnPageShown() {
    // What the organisation allows, as it stands when the page comes up.
    EnableItem(IDC_PROCESS_END, EndProcessAllowed());
    EnableItem(IDC_PROCESS_OPTIMIZE_SELECTED, ManualOptimizationAllowed());
    // The shell's image lists cost a megabyte or more: made when first needed.
    if (!ListView_GetImageList(m_wndList.GetSafeHwnd(), LVSIL_SMALL))
        m_wndList.SetSmallImageList(CSystemImageList().GetImageList(true));
    m_logic.RefreshProcessList();
}

bool CProcessPage::OnNotify(UINT, NMHDR* header, LRESULT& result) {
    if (header->hwndFrom != m_wndList.GetSafeHwnd())
        return false;
    if (m_wndList.AnswerNotify(header, result))
        return true;
    if (header->code == LVN_COLUMNCLICK)
        m_logic.OnColumnClick(reinterpret_cast<const NMLISTVIEW*>(header)->iSubItem);
    else if (header->code == NM_RCLICK)
        ShowRowMenu();
    return false;  // nothing here needs an answer
}

void CProcessPage::ShowRowMenu() {
    qmo::unique_menu menu(qmo::LoadLanguageMenu(IDR_PROCESS_CONTEXT_MENU));
    HMENU popup = menu ? ::GetSubMenu(menu.get(), 0) : nullptr;
    if (!popup || !m_wndList.HasSelection())
        return;
    // One of the two: what the selected program's state allows.
    ::DeleteMenu(popup, m_logic.SelectedProgramExcluded() ? ID_PROCESS_NEVER_OPTIMIZE : ID_PROCESS_OPTIMIZE_AGAIN,
                 MF_BYCOMMAND);
    if (!ManualOptimizationAllowed())
        ::EnableMenuItem(popup, ID_OPTIMIZE_SELECTED_PROCESS, MF_BYCOMMAND | MF_GRAYED);
    qmo::PrepareMenu(popup);
    POINT cursor{};
    ::GetCursorPos(&cursor);
    ::TrackPopupMenu(popup, TPM_LEFTALIGN | TPM_LEFTBUTTON, cursor.x, cursor.y, 0, m_hWnd, nullptr);
}

bool CProcessPage::OnTimer(UINT_PTR id) {
    // A list nobody sees is not worth the snapshot: a page out of sight (or
    // in a window hidden in the tray) is refreshed when it is shown again.
    if (id == kRefreshTimer)
        m_logic.OnRefreshTimer(AutoRefreshSetting() && ::IsWindowVisible(m_hWnd));
    return true;
}

bool CProcessPage::EndProcessAllowed() const {
    return !m_settings || !m_settings->Policy().endProcessDisabled;
}

std::vector<std::string> CProcessPage::Exclusions() const {
    return m_settings ? m_settings->Settings().m_exclusions : std::vector<std::string>();
}

void CProcessPage::SaveExclusions(const std::vector<std::string>& entries) {
    if (!m_settings)
        return;
    qmo::OptimizerSettings record = m_settings->Settings();
    record.m_exclusions = entries;
    m_settings->ApplySettings(record, qmo::LogonTaskUpdate::LeftAlone);
}

void CProcessPage::ShowCommittedColumn(bool shown) {
    if (shown == m_committedShown || !m_wndList.GetSafeHwnd())
        return;
    if (shown)
        m_wndList.InsertColumn(qmo::kCommittedColumn, qmo::LoadResourceString(IDS_PROCESS_COLUMN_COMMITTED).c_str(),
                               qmo::ScaleForDpi(100, qmo::WindowDpi(m_hWnd)));
    else
        ListView_DeleteColumn(m_wndList.GetSafeHwnd(), qmo::kCommittedColumn);
    m_committedShown = shown;
    m_wndList.Header().OfferColumnToggle(qmo::LoadResourceString(IDS_PROCESS_COLUMN_COMMITTED),
                                         ID_PROCESS_TOGGLE_COMMITTED, shown);
    m_wndList.Header().Fit();
    // The rows again, with or without the column; a sort by the column gone falls back to memory.
    const int column = !shown && m_logic.SortedColumn() == qmo::kCommittedColumn ? qmo::kMemoryColumn
                                                                                 : m_logic.SortedColumn();
    m_logic.SortColumn(column, m_logic.IsSortAscending());
}

bool CProcessPage::AutoRefreshSetting() const {
    return (m_settings ? m_settings->Settings() : OptimizerSettings{}).m_bAutoRefreshProcessList;
}

void CProcessPage::ShowRows(const std::vector<qmo::ProcessEntry>& rows, const qmo::RowsPlacement& placement) {
    std::vector<qmo::SortListRow> listRows;
    listRows.reserve(rows.size());
    for (const qmo::ProcessEntry& row : rows)
        listRows.push_back(m_committedShown
                               ? qmo::SortListRow{{row.name, row.memoryText, row.path, row.committedText},
                                                  row.iconIndex, row.pid}
                               : qmo::SortListRow{{row.name, row.memoryText, row.path}, row.iconIndex, row.pid});
    m_wndList.ShowRows(listRows, placement.selectedPid, {placement.keepScrollPosition, placement.revealSelected});
}

void CProcessPage::ShowSortArrow(int column, bool ascending) {
    m_wndList.SetSortArrow(column, ascending);
}

std::optional<std::uint32_t> CProcessPage::SelectedProcessId() const {
    return m_wndList.SelectedData();
}

bool CProcessPage::SelectedRowInView() const {
    return m_wndList.SelectedRowInView();
}

qmo::MessageAnswer CProcessPage::ShowMessage(std::string_view text, qmo::MessageButtons buttons) {
    const std::wstring caption = qmo::MessageBoxCaption();
    const UINT type = buttons == qmo::MessageButtons::YesNo ? MB_YESNO : MB_OK;
    switch (::MessageBoxW(m_hWnd, qmo::Widen(text).c_str(), caption.c_str(), type)) {
    case IDOK:
        return qmo::MessageAnswer::Ok;
    case IDYES:
        return qmo::MessageAnswer::Yes;
    case IDNO:
        return qmo::MessageAnswer::No;
    default:
        return qmo::MessageAnswer::Closed;
    }
}

}  // namespace qmo
