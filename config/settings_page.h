#pragma once
// The page that edits the settings record: the controls are loaded from the
// holder's record each time the page comes up, and each "Apply" copies
// its group back and saves the whole record.
#include <string>
#include <vector>

#include "config/settings_holder.h"
#include "config/settings_page_logic.h"
#include "pages/page_dialog.h"

// The page's controls, reached through the dialog by id.

namespace qmo {

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
    void SetComboSelection(int control, int index) override;
    int ComboSelection(int control) override;
    void SetLocked(int control, bool locked, bool note) override;

private:
    qmo::Dialog& m_dialog;  // the page itself
};

class CSettingsPage : public PageDialog {
public:
    // Without a holder the page edits nothing.
    explicit CSettingsPage(qmo::SettingsHolder* holder);

protected:
    BOOL OnInitDialog() override;
    bool OnCommand(UINT id, UINT code, HWND control) override;
    bool OnVScroll(UINT code, int position, HWND scrollBar) override;
    void OnPageShown() override;

private:
    // One of the page's dialogs over it, on the settings it holds.
    template <class SettingsDialog>
    bool ShowSettingsDialog() {
        if (m_holder) {
            SettingsDialog dialog(*m_holder);
            dialog.DoModal(m_hWnd);
        }
        return true;
    }

    // The languages the program ships, for the language list.
    static std::vector<qmo::OfferedLanguage> ShippedLanguageOffers();

    SettingsDialogControls m_controls{*this};
    qmo::SettingsPageLogic m_logic{m_controls, ShippedLanguageOffers()};
    qmo::SettingsHolder* m_holder;
};

}  // namespace qmo
