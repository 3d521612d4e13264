#pragma once
// The page that edits the settings record: the controls are loaded from the
// main frame's record each time the page comes up, and each "Apply" copies
// its group back and saves the whole record.
#include <string>

#include "config/settings_page_logic.h"
#include "shell/page_dialog.h"

// The page's controls, reached through the dialog by id.
class SettingsDialogControls : public qmo::SettingsPageControls {
public:
    explicit SettingsDialogControls(qmo::Dialog& dialog) noexcept : m_dialog(dialog) {}

    void SetText(int control, const std::string& text) override;
    std::string Text(int control) override;
    void SetChecked(int control, bool checked) override;
    bool IsChecked(int control) override;
    void SetSpinRange(int control, int lowest, int highest) override;
    void SetSpinPosition(int control, int position) override;
    void AddComboItem(int control, const std::string& item) override;

private:
    qmo::Dialog& m_dialog;  // the page itself
};

class CSettingsPage : public PageDialog {
public:
    static constexpr UINT kTemplateId = 140;
    static constexpr UINT kCriticalLimitEdit = 1007;
    static constexpr UINT kRunAtStartupCheck = 1011;
    static constexpr UINT kShowNotificationCheck = 1012;
    static constexpr UINT kCriticalLimitSpin = 1013;
    static constexpr UINT kShortcutKeyCombo = 1014;
    static constexpr UINT kAutoOptimizeCheck = 1027;
    static constexpr UINT kAutoRefreshCheck = 1028;
    static constexpr UINT kOptimizerSettingsLine = 1023;
    static constexpr UINT kGeneralSettingsLine = 1024;
    static constexpr UINT kApplyOptimizerButton = 1005;
    static constexpr UINT kApplyGeneralButton = 1006;

    CSettingsPage();

protected:
    BOOL OnInitDialog() override;
    bool OnCommand(UINT id, UINT code, HWND control) override;
    bool OnVScroll(UINT code, int position, HWND scrollBar) override;
    void OnPageShown() override;

private:
    SettingsDialogControls m_controls{*this};
    qmo::SettingsPageLogic m_logic{m_controls};
};
