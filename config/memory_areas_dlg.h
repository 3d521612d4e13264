#pragma once
// The "Memory areas" dialog of the settings page: which areas a run cleans
// besides the working sets and the sweep, each with what it costs. An area
// this system does not offer is shown, disabled, saying so. OK saves the
// choice at once; Cancel leaves everything as it was.
#include "config/settings_holder.h"
#include "toolkit/themed_dialog.h"

namespace qmo {

class CMemoryAreasDlg : public qmo::ThemedDialog {
public:
    explicit CMemoryAreasDlg(qmo::SettingsHolder& holder) noexcept;

protected:
    BOOL OnInitDialog() override;
    bool OnCommand(UINT id, UINT code, HWND control) override;

private:
    // Shows the area's choice, or disables it with the reason appended to its cost.
    void OfferArea(UINT control, UINT cost, bool available);
    void Apply();

    qmo::SettingsHolder& m_holder;
};

}  // namespace qmo
