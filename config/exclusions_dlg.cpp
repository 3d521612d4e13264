#include "config/exclusions_dlg.h"

#include "optimizer/exclusions.h"
#include "framework/text.h"
#include "framework/texts.h"
#include "res/pages_resource.h"

namespace qmo {

CExclusionsDlg::CExclusionsDlg(qmo::SettingsHolder& holder) noexcept : ThemedDialog(IDD_EXCLUSIONS), m_holder(holder) {}

BOOL CExclusionsDlg::OnInitDialog() {
    ThemedDialog::OnInitDialog();
    m_entries = KeptExclusions(m_holder.Settings().m_exclusions);
    SendItemMessage(IDC_EXCL_ENTRY, EM_LIMITTEXT, kLongestExclusion);
    ShowList(0);
    return TRUE;
}

void CExclusionsDlg::ShowList(std::size_t selected) {
    SendItemMessage(IDC_EXCL_LIST, LB_RESETCONTENT);
    for (const std::string& entry : m_entries)
        SendItemMessage(IDC_EXCL_LIST, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Widen(entry).c_str()));
    if (!m_entries.empty())
        SendItemMessage(IDC_EXCL_LIST, LB_SETCURSEL, std::min(selected, m_entries.size() - 1));
    EnableButtons();
}

void CExclusionsDlg::EnableButtons() {
    const LRESULT selected = SendItemMessage(IDC_EXCL_LIST, LB_GETCURSEL);
    // An entry of the organisation's stays, whatever the list here says.
    const bool organisations = selected != LB_ERR && static_cast<std::size_t>(selected) < m_entries.size() &&
                               PolicyOnlyExclusion(m_entries[static_cast<std::size_t>(selected)],
                                                   m_holder.UserSettings(), m_holder.Policy());
    EnableItem(IDC_EXCL_REMOVE, selected != LB_ERR && !organisations);
    if (organisations)
        SetItemText(IDC_EXCL_PROBLEM, Widen(Text(IDS_EXCL_SET_BY_ORGANIZATION)));
}

bool CExclusionsDlg::OnCommand(UINT id, UINT code, HWND control) {
    switch (id) {
    case IDC_EXCL_ADD:
        if (code == BN_CLICKED)
            Add();
        return true;
    case IDC_EXCL_REMOVE:
        if (code == BN_CLICKED)
            Remove();
        return true;
    case IDC_EXCL_LIST:
        if (code == LBN_SELCHANGE)
            EnableButtons();
        return true;
    case IDOK:
        // Enter in the entry field adds what was typed rather than closing.
        if (::GetFocus() == Item(IDC_EXCL_ENTRY) && !ItemText(IDC_EXCL_ENTRY).empty()) {
            Add();
            return true;
        }
        Apply();
        break;
    default:
        break;
    }
    return Dialog::OnCommand(id, code, control);  // OK and Cancel end it
}

void CExclusionsDlg::Add() {
    std::size_t index = 0;
    const ExclusionAdded outcome = AddExclusion(m_entries, Narrow(ItemText(IDC_EXCL_ENTRY)), index);
    SetItemText(IDC_EXCL_PROBLEM, Widen(ExclusionAddedProblem(outcome)));
    if (outcome == ExclusionAdded::Added || outcome == ExclusionAdded::AlreadyListed) {
        ShowList(index);
        SetItemText(IDC_EXCL_ENTRY, L"");
    }
    ::SetFocus(Item(IDC_EXCL_ENTRY));
}

void CExclusionsDlg::Remove() {
    const LRESULT selected = SendItemMessage(IDC_EXCL_LIST, LB_GETCURSEL);
    if (selected == LB_ERR || static_cast<std::size_t>(selected) >= m_entries.size())
        return;
    m_entries.erase(m_entries.begin() + selected);
    SetItemText(IDC_EXCL_PROBLEM, L"");
    ShowList(static_cast<std::size_t>(selected));
    ::SetFocus(Item(m_entries.empty() ? IDC_EXCL_ENTRY : IDC_EXCL_LIST));
}

void CExclusionsDlg::Apply() {
    OptimizerSettings record = m_holder.Settings();
    record.m_exclusions = m_entries;
    if (!(record == m_holder.Settings()))
        m_holder.ApplySettings(record, LogonTaskUpdate::LeftAlone);
}

}  // namespace qmo
