#include "process/process_page.h"

#include "config/optimizer_settings.h"
#include "framework/application.h"
#include "framework/text.h"
#include "framework/unique_handle.h"
#include "process/process_sort.h"
#include "shell/message_caption.h"
#include "toolkit/ui_fonts.h"

CProcessPage::CProcessPage() : PageDialog(kTemplateId) {}

BOOL CProcessPage::OnInitDialog() {
    if (m_wndList.SubclassDlgItem(kProcessList, m_hWnd)) {
        m_wndList.InsertColumn(qmo::kNameColumn, L"Process Name", 150);
        m_wndList.InsertColumn(qmo::kMemoryColumn, L"Memory usage", 100);
        m_wndList.InsertColumn(qmo::kPathColumn, L"Process Path", 500);
        m_wndList.Header().SetAutofit(true);
    }
    m_logic.SortColumn(m_logic.SortedColumn(), m_logic.IsSortAscending());
    m_wndList.SetSmallImageList(CSystemImageList().GetImageList(true));
    AddAnchor(kProcessList, qmo::kAnchorStretchBoth);
    for (UINT button : {kRefreshButton, kEndProcessButton, kOptimizeSelectedButton})
        AddAnchor(button, qmo::kAnchorMoveDown);
    AddAnchor(kTitleLine, qmo::kAnchorStretchWidth);
    AddAnchor(kTitleLabel, qmo::kAnchorFixed);
    AddAnchor(kOptimizeMemoryButton, qmo::kAnchorBottomRight);
    SendItemMessage(kTitleLabel, WM_SETFONT, reinterpret_cast<WPARAM>(qmo::StandardInterfaceBoldFont()), TRUE);
    m_logic.RefreshProcessList();
    ::SetTimer(m_hWnd, kRefreshTimer, kRefreshPeriodMs, nullptr);
    AttachButtons({kEndProcessButton, kRefreshButton, kOptimizeSelectedButton, kOptimizeMemoryButton});
    return TRUE;
}

bool CProcessPage::OnCommand(UINT id, UINT code, HWND control) {
    if (PageDialog::OnCommand(id, code, control))
        return true;
    if (code != BN_CLICKED)
        return false;
    switch (id) {
    case kRefreshButton:
        m_logic.RefreshProcessList();
        return true;
    case kEndProcessButton:
        m_logic.EndProcess();
        return true;
    case kOptimizeSelectedButton:
    case ID_OPTIMIZE_SELECTED_PROCESS:
        m_logic.OptimizeSelectedProcess();
        return true;
    default:
        return false;
    }
}


void CProcessPage::OnPageShown() {
    m_logic.RefreshProcessList();
}

bool CProcessPage::OnNotify(UINT, NMHDR* header, LRESULT&) {
    if (header->hwndFrom != m_wndList.GetSafeHwnd())
        return false;
    if (header->code == LVN_COLUMNCLICK)
        m_logic.OnColumnClick(reinterpret_cast<const NMLISTVIEW*>(header)->iSubItem);
    else if (header->code == NM_RCLICK)
        ShowRowMenu();
    return false;  // nothing here needs an answer
}

void CProcessPage::ShowRowMenu() {
    qmo::unique_menu menu(::LoadMenuW(qmo::Application::InstanceHandle(), MAKEINTRESOURCEW(kContextMenu)));
    HMENU popup = menu ? ::GetSubMenu(menu.get(), 0) : nullptr;
    if (!popup || !m_wndList.HasSelection())
        return;
    POINT cursor{};
    ::GetCursorPos(&cursor);
    ::TrackPopupMenu(popup, TPM_LEFTALIGN | TPM_LEFTBUTTON, cursor.x, cursor.y, 0, m_hWnd, nullptr);
}

bool CProcessPage::OnTimer(UINT_PTR id) {
    if (id == kRefreshTimer)
        m_logic.OnRefreshTimer(AutoRefreshSetting());
    return true;
}

bool CProcessPage::AutoRefreshSetting() {
    const qmo::Application* application = qmo::Application::Current();
    const auto* settings = application ? dynamic_cast<const OptimizerSettings*>(application->MainWindow()) : nullptr;
    return settings ? settings->m_bAutoRefreshProcessList : OptimizerSettings{}.m_bAutoRefreshProcessList;
}

void CProcessPage::ShowRows(const std::vector<qmo::ProcessEntry>& rows, std::optional<std::uint32_t> selectedPid) {
    m_wndList.ShowRows(rows, selectedPid);
}

void CProcessPage::ShowSortArrow(int column, bool ascending) {
    m_wndList.SetSortArrow(column, ascending);
}

std::optional<std::uint32_t> CProcessPage::SelectedProcessId() const {
    return m_wndList.SelectedProcessId();
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
