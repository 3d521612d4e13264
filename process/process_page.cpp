#include "process/process_page.h"

#include "toolkit/ui_fonts.h"

CProcessPage::CProcessPage() : PageDialog(kTemplateId) {}

BOOL CProcessPage::OnInitDialog() {
    ::SendDlgItemMessageW(m_hWnd, kTitleLabel, WM_SETFONT,
                          reinterpret_cast<WPARAM>(qmo::StandardInterfaceBoldFont()), TRUE);
    AttachButtons({kEndProcessButton, kRefreshButton, kOptimizeSelectedButton, kOptimizeMemoryButton});
    AddAnchor(kProcessList, qmo::kAnchorStretchBoth);
    for (UINT button : {kRefreshButton, kEndProcessButton, kOptimizeSelectedButton})
        AddAnchor(button, qmo::kAnchorMoveDown);
    AddAnchor(kTitleLine, qmo::kAnchorStretchWidth);
    AddAnchor(kTitleLabel, qmo::kAnchorFixed);
    AddAnchor(kOptimizeMemoryButton, qmo::kAnchorBottomRight);
    return TRUE;
}
