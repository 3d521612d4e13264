#include "config/settings_page.h"

#include "config/automatic_runs_dlg.h"
#include "config/exclusions_dlg.h"
#include "config/memory_areas_dlg.h"
#include "config/policy_locks.h"
#include "config/shipped_languages.h"

#include <commctrl.h>

#include <array>

#include "framework/text.h"
#include "res/pages_resource.h"
#include "toolkit/ui_fonts.h"

namespace qmo {

namespace {

constexpr std::array<int, 20> kBoldControls{
    IDC_SETTINGS_GENERAL_HEADING,  IDC_SETTINGS_OPTIMIZER_HEADING, IDC_SETTINGS_CRITICAL_LIMIT,
    IDC_SETTINGS_PERCENT,          IDC_SETTINGS_LIMIT_LABEL,       IDC_SETTINGS_SHORTCUT_PREFIX,
    IDC_SETTINGS_SHORTCUT_LABEL,   IDC_SETTINGS_SHORTCUT_KEY,      IDC_SETTINGS_RUN_AT_STARTUP,
    IDC_SETTINGS_SHOW_NOTIFICATION, IDC_SETTINGS_AUTO_OPTIMIZE,    IDC_SETTINGS_AUTO_REFRESH,
    IDC_SETTINGS_ENABLE_SHORTCUT,  IDC_SETTINGS_SHORTCUT_PROBLEM,  IDC_SETTINGS_TRAY_LABEL,
    IDC_SETTINGS_TRAY_SHOWS,       IDC_SETTINGS_THEME_LABEL,       IDC_SETTINGS_THEME,
    IDC_SETTINGS_LANGUAGE_LABEL,   IDC_SETTINGS_LANGUAGE};

}  // namespace

void SettingsDialogControls::SetText(int control, const std::string& text) {
    m_dialog.SetItemText(control, qmo::Widen(text));
}

std::string SettingsDialogControls::Text(int control) {
    return qmo::Narrow(m_dialog.ItemText(control));
}

void SettingsDialogControls::SetChecked(int control, bool checked) {
    m_dialog.CheckItem(control, checked);
}

bool SettingsDialogControls::IsChecked(int control) {
    return m_dialog.IsItemChecked(control);
}

void SettingsDialogControls::SetSpinRange(int control, int lowest, int highest) {
    m_dialog.SendItemMessage(control, UDM_SETRANGE32, static_cast<WPARAM>(lowest), highest);
}

void SettingsDialogControls::SetSpinPosition(int control, int position) {
    m_dialog.SendItemMessage(control, UDM_SETPOS, 0, MAKELPARAM(static_cast<WORD>(position), 0));
}

void SettingsDialogControls::AddComboItem(int control, const std::string& item) {
    m_dialog.SendItemMessage(control, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(qmo::Widen(item).c_str()));
}

void SettingsDialogControls::SetComboSelection(int control, int index) {
    m_dialog.SendItemMessage(control, CB_SETCURSEL, static_cast<WPARAM>(index));
}

void SettingsDialogControls::SetLocked(int control, bool locked, bool note) {
    qmo::ShowPolicyLock(m_dialog.Item(control), locked, note);
}

int SettingsDialogControls::ComboSelection(int control) {
    return static_cast<int>(m_dialog.SendItemMessage(control, CB_GETCURSEL));
}

std::vector<qmo::OfferedLanguage> CSettingsPage::ShippedLanguageOffers() {
    std::vector<qmo::OfferedLanguage> offers;
    for (const qmo::ShippedLanguage& language : qmo::ShippedLanguages())
        offers.push_back({qmo::Narrow(language.tag), qmo::Narrow(language.name), language.pseudo});
    return offers;
}

CSettingsPage::CSettingsPage(qmo::SettingsHolder* holder) : PageDialog(IDD_SETTINGS_PAGE), m_holder(holder) {}

BOOL CSettingsPage::OnInitDialog() {
    m_logic.Initialize();
    for (int id : kBoldControls)
        SendItemMessage(id, WM_SETFONT, reinterpret_cast<WPARAM>(qmo::StandardInterfaceBoldFont()), TRUE);
    AddAnchor(IDC_SETTINGS_OPTIMIZER_RULE, qmo::kAnchorStretchWidth);
    AddAnchor(IDC_SETTINGS_GENERAL_RULE, qmo::kAnchorStretchWidth);
    AddAnchor(IDC_PAGE_OPTIMIZE_MEMORY, qmo::kAnchorBottomRight);
    AttachButtons({IDC_SETTINGS_APPLY_OPTIMIZER, IDC_SETTINGS_MEMORY_AREAS, IDC_SETTINGS_AUTOMATIC_RUNS,
                   IDC_SETTINGS_EXCLUSIONS, IDC_SETTINGS_APPLY_GENERAL,
                   IDC_PAGE_OPTIMIZE_MEMORY});
    return TRUE;
}

bool CSettingsPage::OnCommand(UINT id, UINT code, HWND control) {
    if (code == BN_CLICKED && (id == IDC_SETTINGS_APPLY_OPTIMIZER || id == IDC_SETTINGS_APPLY_GENERAL)) {
        if (m_holder) {
            if (id == IDC_SETTINGS_APPLY_OPTIMIZER)
                m_logic.ApplyOptimizerSettings(*m_holder);
            else
                m_logic.ApplyGeneralSettings(*m_holder);
        }
        return true;
    }
    if (code == BN_CLICKED) {
        switch (id) {
        case IDC_SETTINGS_MEMORY_AREAS:
            return ShowSettingsDialog<CMemoryAreasDlg>();
        case IDC_SETTINGS_AUTOMATIC_RUNS:
            return ShowSettingsDialog<CAutomaticRunsDlg>();
        case IDC_SETTINGS_EXCLUSIONS:
            return ShowSettingsDialog<CExclusionsDlg>();
        default:
            break;
        }
    }
    return PageDialog::OnCommand(id, code, control);
}

bool CSettingsPage::OnVScroll(UINT code, int position, HWND scrollBar) {
    if (!scrollBar || scrollBar != Item(IDC_SETTINGS_LIMIT_SPIN))
        return PageDialog::OnVScroll(code, position, scrollBar);
    m_logic.OnSpinScrolled(position);
    return true;
}

// Each showing starts from what the holder has now.
void CSettingsPage::OnPageShown() {
    if (m_holder)
        m_logic.Load(*m_holder);
}

}  // namespace qmo
