#pragma once
// The "Exclusions" dialog of the settings page: the programs no run trims,
// added by name, path or pattern and removed from the list. OK saves the
// list at once; Cancel leaves everything as it was.
#include <string>
#include <vector>

#include "config/settings_holder.h"
#include "toolkit/themed_dialog.h"

namespace qmo {

class CExclusionsDlg : public qmo::ThemedDialog {
public:
    explicit CExclusionsDlg(qmo::SettingsHolder& holder) noexcept;

protected:
    BOOL OnInitDialog() override;
    bool OnCommand(UINT id, UINT code, HWND control) override;

private:
    void ShowList(std::size_t selected);
    void Add();
    void Remove();
    void Apply();
    void EnableButtons();

    qmo::SettingsHolder& m_holder;
    std::vector<std::string> m_entries;
};

}  // namespace qmo
