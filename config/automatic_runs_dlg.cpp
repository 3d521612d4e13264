#include "config/automatic_runs_dlg.h"

#include <algorithm>
#include <string>

#include "config/policy_locks.h"
#include "res/pages_resource.h"

namespace qmo {

CAutomaticRunsDlg::CAutomaticRunsDlg(qmo::SettingsHolder& holder) noexcept
    : ThemedDialog(IDD_AUTOMATIC_RUNS), m_holder(holder) {}

BOOL CAutomaticRunsDlg::OnInitDialog() {
    ThemedDialog::OnInitDialog();
    const AutomaticRunChoices& automatic = m_holder.Settings().m_automatic;
    const bool above = automatic.rule == AutomaticRule::AboveMemoryInUse;
    CheckItem(IDC_AUTO_EVERY_FIVE, !above);
    CheckItem(IDC_AUTO_ABOVE, above);
    SendItemMessage(IDC_AUTO_PERCENT, EM_LIMITTEXT, 2);
    SendItemMessage(IDC_AUTO_FREE_BELOW, EM_LIMITTEXT, 5);
    SendItemMessage(IDC_AUTO_STANDBY_ABOVE, EM_LIMITTEXT, 7);
    SetItemText(IDC_AUTO_PERCENT, std::to_wstring(automatic.inUsePercent));
    SetItemText(IDC_AUTO_FREE_BELOW, std::to_wstring(automatic.standbyFreeBelowMB));
    SetItemText(IDC_AUTO_STANDBY_ABOVE, std::to_wstring(automatic.standbyListAboveMB));
    ShowPolicyLocks(*this, m_holder.Policy(),
                    {{PolicySetting::AutomaticRule, IDC_AUTO_EVERY_FIVE},
                     {PolicySetting::AutomaticRule, IDC_AUTO_ABOVE, false},
                     {PolicySetting::AutomaticInUsePercent, IDC_AUTO_PERCENT},
                     {PolicySetting::StandbyFreeBelowMB, IDC_AUTO_FREE_BELOW},
                     {PolicySetting::StandbyListAboveMB, IDC_AUTO_STANDBY_ABOVE}});
    return TRUE;
}

bool CAutomaticRunsDlg::OnCommand(UINT id, UINT code, HWND control) {
    if (id == IDC_AUTO_PERCENT && code == EN_SETFOCUS && !m_holder.Policy().Locks(PolicySetting::AutomaticRule)) {
        // Typing a share means that rule.
        CheckItem(IDC_AUTO_ABOVE, true);
        CheckItem(IDC_AUTO_EVERY_FIVE, false);
        return true;
    }
    if (id == IDOK)
        Apply();
    return Dialog::OnCommand(id, code, control);  // OK and Cancel end it
}

int CAutomaticRunsDlg::NumberIn(UINT id, int lowest, int highest, int fallback) const {
    const std::wstring text = ItemText(id);
    if (text.empty() || text.size() > 9 || text.find_first_not_of(L"0123456789") != std::wstring::npos)
        return fallback;
    return std::clamp(std::stoi(text), lowest, highest);
}

void CAutomaticRunsDlg::Apply() {
    OptimizerSettings record = m_holder.Settings();
    AutomaticRunChoices& automatic = record.m_automatic;
    automatic.rule = IsItemChecked(IDC_AUTO_ABOVE) ? AutomaticRule::AboveMemoryInUse : AutomaticRule::EveryFiveMinutes;
    automatic.inUsePercent =
        NumberIn(IDC_AUTO_PERCENT, kLowestInUsePercent, kHighestInUsePercent, automatic.inUsePercent);
    automatic.standbyFreeBelowMB = NumberIn(IDC_AUTO_FREE_BELOW, kLowestStandbyFreeBelowMB,
                                            kHighestStandbyFreeBelowMB, automatic.standbyFreeBelowMB);
    automatic.standbyListAboveMB = NumberIn(IDC_AUTO_STANDBY_ABOVE, kLowestStandbyListAboveMB,
                                            kHighestStandbyListAboveMB, automatic.standbyListAboveMB);
    if (!(record == m_holder.Settings()))
        m_holder.ApplySettings(record, LogonTaskUpdate::LeftAlone);
}

}  // namespace qmo
