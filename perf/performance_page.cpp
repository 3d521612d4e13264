#include "perf/performance_page.h"

#include <string>

#include "framework/application.h"
#include "framework/texts.h"
#include "pages/message_caption.h"
#include "toolkit/ui_fonts.h"

namespace qmo {

CPerformancePage::CPerformancePage() : PageDialog(IDD_PERFORMANCE_PAGE, {IDC_PAGE_OPTIMIZE_MEMORY, IDC_PERF_OPTIMISE}) {}

BOOL CPerformancePage::OnInitDialog() {
    BindControls();
    for (UINT stretching : {IDC_PERF_MEMORY_RULE, IDC_PERF_CPU_RULE, IDC_PERF_CPU_GRAPH, IDC_PERF_MEMORY_GRAPH})
        AddAnchor(stretching, qmo::kAnchorStretchWidth);
    AddAnchor(IDC_PAGE_OPTIMIZE_MEMORY, qmo::kAnchorBottomRight);
    for (UINT label : {IDC_PERF_MEMORY_LABEL, IDC_PERF_CPU_LABEL})
        SendItemMessage(label, WM_SETFONT, reinterpret_cast<WPARAM>(qmo::StandardInterfaceBoldFont()), TRUE);
    AttachButtons({IDC_PAGE_OPTIMIZE_MEMORY});
    m_wndProcessorGraph.Model().m_strCaption = qmo::Text(IDS_PERF_CPU_CAPTION);
    m_wndMemoryGraph.Model().m_strCaption = qmo::Text(IDS_PERF_MEMORY_CAPTION);
    m_wndMemoryGauge.Model().m_strCaption = qmo::Text(IDS_PERF_MEMORY_CAPTION);
    m_wndProcessorGauge.Model().m_strCaption = qmo::Text(IDS_PERF_CPU_CAPTION);
    return TRUE;
}

void CPerformancePage::BindControls() {
    m_wndMemoryGauge.SubclassDlgItem(IDC_PERF_MEMORY_GAUGE, m_hWnd);
    m_wndProcessorGauge.SubclassDlgItem(IDC_PERF_CPU_GAUGE, m_hWnd);
    m_wndMemoryGraph.SubclassDlgItem(IDC_PERF_MEMORY_GRAPH, m_hWnd);
    m_wndProcessorGraph.SubclassDlgItem(IDC_PERF_CPU_GRAPH, m_hWnd);
    ColorControls();
}

// A high-contrast theme turned on or off, or new system colours.
bool CPerformancePage::OnLookChanged() {
    ColorControls();
    return false;
}

void CPerformancePage::ColorControls() {
    const qmo::PerfColors colors = qmo::CurrentPerfColors();
    m_wndMemoryGauge.SetColors(colors);
    m_wndProcessorGauge.SetColors(colors);
    m_wndMemoryGraph.SetColors(colors);
    m_wndProcessorGraph.SetColors(colors);
}

void CPerformancePage::ShowSample(const qmo::PerformanceSampler& sampler) {
    // A control the tick leaves showing what it showed is not repainted: a
    // steady memory load, or a full history of one value, costs no painting.
    const qmo::GaugeModel memoryGauge = m_wndMemoryGauge.Model();
    const qmo::GaugeModel processorGauge = m_wndProcessorGauge.Model();
    const qmo::HistoryGraphModel memoryGraph = m_wndMemoryGraph.Model();
    const qmo::HistoryGraphModel processorGraph = m_wndProcessorGraph.Model();
    sampler.ShowOn({m_wndMemoryGauge.Model(), m_wndProcessorGauge.Model(), m_wndMemoryGraph.Model(),
                    m_wndProcessorGraph.Model()});
    // Nothing is painted for a hidden window (the window is painted whole
    // when it shows), nor for a control whose picture this tick left as it was;
    // each invalidation is a trip to the window server. A hidden control keeps
    // no picture.
    const auto repaintIfChanged = [](PaintedButton& control, bool changed) {
        if (!::IsWindowVisible(control.GetSafeHwnd()))
            control.ReleasePicture();
        else if (changed)
            ::InvalidateRect(control.GetSafeHwnd(), nullptr, TRUE);
    };
    repaintIfChanged(m_wndProcessorGauge, m_wndProcessorGauge.Model() != processorGauge);
    repaintIfChanged(m_wndMemoryGauge, m_wndMemoryGauge.Model() != memoryGauge);
    repaintIfChanged(m_wndProcessorGraph, m_wndProcessorGraph.Model() != processorGraph);
    repaintIfChanged(m_wndMemoryGraph, m_wndMemoryGraph.Model() != memoryGraph);
}

}  // namespace qmo
