#include "perf/performance_page.h"

#include <cstdlib>
#include <string>

#include "framework/application.h"
#include "shell/message_caption.h"
#include "toolkit/ui_fonts.h"

namespace {

constexpr wchar_t kQueryFailureText[] = L"Some Internel error occoured , please contact software support";

}  // namespace

CPerformancePage::CPerformancePage()
    : PageDialog(kTemplateId, {kOptimizeMemoryButton, kHiddenOptimizeButton}),
      m_sampler(m_counterApi, m_commitCharge, m_processorTimes, m_processSystem) {}

BOOL CPerformancePage::OnInitDialog() {
    BindControls();
    for (UINT stretching : {kMemoryLine, kProcessorLine, kProcessorGraph, kMemoryGraph})
        AddAnchor(stretching, qmo::kAnchorStretchWidth);
    AddAnchor(kOptimizeMemoryButton, qmo::kAnchorBottomRight);
    for (UINT label : {kMemoryLabel, kProcessorLabel})
        SendItemMessage(label, WM_SETFONT, reinterpret_cast<WPARAM>(qmo::StandardInterfaceBoldFont()), TRUE);
    if (!m_sampler.Start())
        EndOnQueryFailure();
    ::SetTimer(m_hWnd, ID_TIMER_SAMPLE, kSampleIntervalMs, nullptr);
    ::SetTimer(m_hWnd, ID_TIMER_AUTO_OPTIMIZE, kAutoOptimizeIntervalMs, nullptr);
    AttachButtons({kOptimizeMemoryButton});
    m_wndProcessorGraph.Model().m_strCaption = "CPU Usage  ";
    m_wndMemoryGraph.Model().m_strCaption = "Memory Usage ";
    m_wndMemoryGauge.Model().m_strCaption = "Memory Usage ";
    m_wndProcessorGauge.Model().m_strCaption = "CPU Usage  ";
    return TRUE;
}

void CPerformancePage::BindControls() {
    m_wndMemoryGauge.SubclassDlgItem(kMemoryGauge, m_hWnd);
    m_wndProcessorGauge.SubclassDlgItem(kProcessorGauge, m_hWnd);
    m_wndMemoryGraph.SubclassDlgItem(kMemoryGraph, m_hWnd);
    m_wndProcessorGraph.SubclassDlgItem(kProcessorGraph, m_hWnd);
}

void CPerformancePage::OnDestroy() {
    PageDialog::OnDestroy();
    m_sampler.Stop();
}

bool CPerformancePage::OnTimer(UINT_PTR id) {
    if (id == ID_TIMER_SAMPLE)
        OnSampleTick();
    else if (id == ID_TIMER_AUTO_OPTIMIZE)
        m_sampler.AutoOptimize(Host());
    return true;
}

void CPerformancePage::OnSampleTick() {
    if (!m_sampler.Sample(Host(), {m_wndMemoryGauge.Model(), m_wndProcessorGauge.Model(), m_wndMemoryGraph.Model(),
                                   m_wndProcessorGraph.Model()}))
        return;
    for (HWND control : {m_wndProcessorGauge.GetSafeHwnd(), m_wndMemoryGauge.GetSafeHwnd(),
                         m_wndProcessorGraph.GetSafeHwnd(), m_wndMemoryGraph.GetSafeHwnd()})
        ::InvalidateRect(control, nullptr, TRUE);
}

PerformanceHost* CPerformancePage::Host() {
    qmo::Application* application = qmo::Application::Current();
    return application ? dynamic_cast<PerformanceHost*>(application->MainWindow()) : nullptr;
}

void CPerformancePage::EndOnQueryFailure() {
    const std::wstring caption = qmo::MessageBoxCaption();
    ::MessageBoxW(m_hWnd, kQueryFailureText, caption.c_str(), MB_OK);
    std::exit(0);
}
