#include "perf/performance_page.h"

#include "toolkit/ui_fonts.h"

CPerformancePage::CPerformancePage() : PageDialog(kTemplateId, {kOptimizeMemoryButton, kHiddenOptimizeButton}) {}

BOOL CPerformancePage::OnInitDialog() {
    for (UINT stretching : {kMemoryLine, kProcessorLine, kProcessorGraph, kMemoryGraph})
        AddAnchor(stretching, qmo::kAnchorStretchWidth);
    AddAnchor(kOptimizeMemoryButton, qmo::kAnchorBottomRight);
    for (UINT label : {kMemoryLabel, kProcessorLabel})
        ::SendDlgItemMessageW(m_hWnd, label, WM_SETFONT, reinterpret_cast<WPARAM>(qmo::StandardInterfaceBoldFont()),
                              TRUE);
    AttachButtons({kOptimizeMemoryButton});
    return TRUE;
}
