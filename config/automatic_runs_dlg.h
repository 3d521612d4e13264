#pragma once
// The "Automatic runs" dialog of the settings page: every five minutes or
// above a share of memory in use, and when the standby list may be emptied.
// A figure out of its range is put back in range as OK saves.
#include "config/settings_holder.h"
#include "toolkit/themed_dialog.h"

namespace qmo {

class CAutomaticRunsDlg : public qmo::ThemedDialog {
public:
    explicit CAutomaticRunsDlg(qmo::SettingsHolder& holder) noexcept;

protected:
    BOOL OnInitDialog() override;
    bool OnCommand(UINT id, UINT code, HWND control) override;

private:
    void Apply();
    int NumberIn(UINT id, int lowest, int highest, int fallback) const;

    qmo::SettingsHolder& m_holder;
};

}  // namespace qmo
