#include "config/settings_page.h"

CSettingsPage::CSettingsPage() : PageDialog(kTemplateId) {}

BOOL CSettingsPage::OnInitDialog() {
    AddAnchor(kOptimizerSettingsLine, qmo::kAnchorStretchWidth);
    AddAnchor(kGeneralSettingsLine, qmo::kAnchorStretchWidth);
    AddAnchor(kOptimizeMemoryButton, qmo::kAnchorBottomRight);
    AttachButtons({kApplyOptimizerButton, kApplyGeneralButton, kOptimizeMemoryButton});
    return TRUE;
}
