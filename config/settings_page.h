#pragma once
// The page that edits the settings record.
#include "shell/page_dialog.h"

class CSettingsPage : public PageDialog {
public:
    static constexpr UINT kTemplateId = 140;
    static constexpr UINT kOptimizerSettingsLine = 1023;
    static constexpr UINT kGeneralSettingsLine = 1024;
    static constexpr UINT kApplyOptimizerButton = 1005;
    static constexpr UINT kApplyGeneralButton = 1006;

    CSettingsPage();

protected:
    BOOL OnInitDialog() override;
};
