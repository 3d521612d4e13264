#include "config/memory_areas_dlg.h"

#include "config/policy_locks.h"
#include "framework/resource_language.h"
#include "framework/text.h"
#include "framework/texts.h"
#include "res/pages_resource.h"

namespace qmo {
namespace {

constexpr UINT kStandbyChoices[] = {IDS_AREAS_STANDBY_OFF, IDS_AREAS_STANDBY_LOWEST_PRIORITY, IDS_AREAS_STANDBY_ALL};

}  // namespace

CMemoryAreasDlg::CMemoryAreasDlg(qmo::SettingsHolder& holder) noexcept : ThemedDialog(IDD_MEMORY_AREAS), m_holder(holder) {}

BOOL CMemoryAreasDlg::OnInitDialog() {
    ThemedDialog::OnInitDialog();
    const MemoryAreaChoices& areas = m_holder.Settings().m_areas;
    const MemoryAreaAvailability available = m_holder.AreaAvailability();
    for (const UINT choice : kStandbyChoices)
        SendItemMessage(IDC_AREAS_STANDBY_LIST, CB_ADDSTRING, 0,
                        reinterpret_cast<LPARAM>(qmo::LoadResourceString(choice).c_str()));
    SendItemMessage(IDC_AREAS_STANDBY_LIST, CB_SETCURSEL, static_cast<WPARAM>(areas.standbyList));
    CheckItem(IDC_AREAS_SYSTEM_CACHE, areas.systemCache);
    CheckItem(IDC_AREAS_MODIFIED_LIST, areas.modifiedList);
    CheckItem(IDC_AREAS_COMBINE_PAGES, areas.combinePages);
    OfferArea(IDC_AREAS_SYSTEM_CACHE, IDC_AREAS_SYSTEM_CACHE_COST, available.systemCache);
    OfferArea(IDC_AREAS_MODIFIED_LIST, IDC_AREAS_MODIFIED_LIST_COST, available.modifiedList);
    OfferArea(IDC_AREAS_STANDBY_LIST, IDC_AREAS_STANDBY_COST, available.standbyList);
    OfferArea(IDC_AREAS_COMBINE_PAGES, IDC_AREAS_COMBINE_COST, available.combinePages);
    ShowPolicyLocks(*this, m_holder.Policy(),
                    {{PolicySetting::AreaSystemCache, IDC_AREAS_SYSTEM_CACHE},
                     {PolicySetting::AreaModifiedList, IDC_AREAS_MODIFIED_LIST},
                     {PolicySetting::AreaStandbyList, IDC_AREAS_STANDBY_LIST},
                     {PolicySetting::AreaCombinePages, IDC_AREAS_COMBINE_PAGES}});
    return TRUE;
}

void CMemoryAreasDlg::OfferArea(UINT control, UINT cost, bool available) {
    if (available)
        return;
    EnableItem(control, false);
    if (control == IDC_AREAS_STANDBY_LIST)
        EnableItem(IDC_AREAS_STANDBY_LABEL, false);
    SetItemText(cost, Widen(FormatText(IDS_AREAS_NOT_AVAILABLE, {Narrow(ItemText(cost))})));
}

bool CMemoryAreasDlg::OnCommand(UINT id, UINT code, HWND control) {
    if (id == IDOK)
        Apply();
    return Dialog::OnCommand(id, code, control);  // OK and Cancel end it
}

void CMemoryAreasDlg::Apply() {
    OptimizerSettings record = m_holder.Settings();
    MemoryAreaChoices& areas = record.m_areas;
    areas.systemCache = IsItemChecked(IDC_AREAS_SYSTEM_CACHE);
    areas.modifiedList = IsItemChecked(IDC_AREAS_MODIFIED_LIST);
    areas.combinePages = IsItemChecked(IDC_AREAS_COMBINE_PAGES);
    const LRESULT standby = SendItemMessage(IDC_AREAS_STANDBY_LIST, CB_GETCURSEL);
    areas.standbyList = standby == 1   ? StandbyListChoice::LowestPriorityOnly
                        : standby == 2 ? StandbyListChoice::All
                                       : StandbyListChoice::Off;
    if (!(record == m_holder.Settings()))
        m_holder.ApplySettings(record, LogonTaskUpdate::LeftAlone);
}

}  // namespace qmo
