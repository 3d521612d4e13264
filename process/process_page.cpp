#include "process/process_page.h"

#include "config/optimizer_settings.h"
#include "framework/application.h"
#include "framework/text.h"
#include "framework/unique_handle.h"
#include "process/process_sort.h"
#include "pages/message_caption.h"
#include "res/process_resource.h"
#include "toolkit/ui_fonts.h"

CProcessPage::CProcessPage(const qmo::SettingsHolder* settings) : PageDialog(IDD_PROCESS_PAGE), m_settings(settings) {}

BOOL CProcessPage::OnInitDialog() {
    if (m_wndList.SubclassDlgItem(IDC_PROCESS_LIST, m_hWnd)) {
        m_wndList.InsertColumn(qmo::kNameColumn, L"Process Name", 150);
        m_wndList.InsertColumn(qmo::kMemoryColumn, L"Memory usage", 100);
        m_wndList.InsertColumn(qmo::kPathColumn, L"Process Path", 500);
        m_wndList.Header().SetAutofit(true);
    }
    SortColumn(m_nSortColumn, m_bSortAscending);
    m_wndList.SetSmallImageList(CSystemImageList().GetImageList(true));
    AddAnchor(IDC_PROCESS_LIST, qmo::kAnchorStretchBoth);
    for (UINT button : {IDC_PROCESS_REFRESH, IDC_PROCESS_END, IDC_PROCESS_OPTIMIZE_SELECTED})
        AddAnchor(button, qmo::kAnchorMoveDown);
    AddAnchor(IDC_PROCESS_RULE, qmo::kAnchorStretchWidth);
    AddAnchor(IDC_PROCESS_HEADING, qmo::kAnchorFixed);
    AddAnchor(IDC_PAGE_OPTIMIZE_MEMORY, qmo::kAnchorBottomRight);
    ::SendDlgItemMessageW(m_hWnd, IDC_PROCESS_HEADING, WM_SETFONT,
                          reinterpret_cast<WPARAM>(qmo::StandardInterfaceBoldFont()), TRUE);
    RefreshProcessList();
    ::SetTimer(m_hWnd, kRefreshTimer, kRefreshPeriodMs, nullptr);
    AttachButtons({IDC_PROCESS_END, IDC_PROCESS_REFRESH, IDC_PROCESS_OPTIMIZE_SELECTED, IDC_PAGE_OPTIMIZE_MEMORY});
    return TRUE;
}

bool CProcessPage::OnCommand(UINT id, UINT code, HWND control) {
    if (PageDialog::OnCommand(id, code, control))
        return true;
    if (code != BN_CLICKED)
        return false;
    switch (id) {
    case IDC_PROCESS_REFRESH:
        RefreshProcessList();
        return true;
    case IDC_PROCESS_END:
        EndProcess();
        return true;
    case IDC_PROCESS_OPTIMIZE_SELECTED:
    case ID_OPTIMIZE_SELECTED_PROCESS:
        OptimizeSelectedProcess();
        return true;
    default:
        return false;
    }
}

bool CProcessPage::HandleDialogMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (message) {
    case WM_NOTIFY:
        OnNotify(*reinterpret_cast<const NMHDR*>(lParam));
        return false;  // nothing here needs an answer
    case WM_TIMER:
        OnTimer(wParam);
        result = 0;
        return true;
    default:
        break;
    }
    return PageDialog::HandleDialogMessage(message, wParam, lParam, result);
}

void CProcessPage::OnPageShown() {
    RefreshProcessList();
}

void CProcessPage::OnNotify(const NMHDR& header) {
    if (header.hwndFrom != m_wndList.GetSafeHwnd())
        return;
    if (header.code == LVN_COLUMNCLICK)
        OnColumnClick(reinterpret_cast<const NMLISTVIEW&>(header).iSubItem);
    else if (header.code == NM_RCLICK)
        OnContextMenu();
}

void CProcessPage::OnContextMenu() {
    qmo::unique_menu menu(::LoadMenuW(qmo::Application::InstanceHandle(), MAKEINTRESOURCEW(IDR_PROCESS_CONTEXT_MENU)));
    HMENU popup = menu ? ::GetSubMenu(menu.get(), 0) : nullptr;
    if (!popup || !m_wndList.HasSelection())
        return;
    POINT cursor{};
    ::GetCursorPos(&cursor);
    ::TrackPopupMenu(popup, TPM_LEFTALIGN | TPM_LEFTBUTTON, cursor.x, cursor.y, 0, m_hWnd, nullptr);
}

void CProcessPage::OnTimer(UINT_PTR id) {
    if (id == kRefreshTimer)
        OnRefreshTimer(AutoRefreshSetting());
}

bool CProcessPage::AutoRefreshSetting() const {
    return (m_settings ? m_settings->Settings() : OptimizerSettings{}).m_bAutoRefreshProcessList;
}

void CProcessPage::ShowRows(const std::vector<qmo::ProcessEntry>& rows, std::optional<std::uint32_t> selectedPid) {
    std::vector<qmo::SortListRow> listRows;
    listRows.reserve(rows.size());
    for (const qmo::ProcessEntry& row : rows)
        listRows.push_back({{row.name, row.memoryText, row.path}, row.iconIndex, row.pid});
    m_wndList.ShowRows(listRows, selectedPid);
}

void CProcessPage::ShowSortArrow(int column, bool ascending) {
    m_wndList.SetSortArrow(column, ascending);
}

std::optional<std::uint32_t> CProcessPage::SelectedProcessId() const {
    return m_wndList.SelectedData();
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
