#include "perf/performance_controls.h"

#include <algorithm>
#include <string_view>

#include "framework/text.h"
#include "perf/perf_win32.h"
#include "toolkit/ui_fonts.h"
#include "toolkit/ui_paint.h"

namespace qmo {

void PaintedButton::PaintTo(HDC dc) {
    RECT client{};
    ::GetClientRect(m_hWnd, &client);
    qmo::BufferedCanvas buffer(dc, client);
    PaintClient(buffer.dc());
}

void PaintedButton::PaintClient(HDC dc) {
    RECT client{};
    ::GetClientRect(m_hWnd, &client);
    qmo::GdiCanvas canvas(dc, qmo::StandardInterfaceFont());
    Paint(canvas, client.right, client.bottom);
}

LRESULT PaintedButton::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT painted = 0;
    if (qmo::HandleSelfPaint(m_hWnd, message, wParam, [this](HDC dc) { PaintClient(dc); }, painted))
        return painted;
    return ThemedButton::HandleMessage(message, wParam, lParam);
}

qmo::AccessibleElement PaintedButton::DescribeFigure(long role, const std::string& caption,
                                                    const std::string& shown) const {
    const auto trimmed = [](std::string_view text) {
        const std::size_t first = text.find_first_not_of(' ');
        return first == std::string_view::npos ? std::wstring()
                                               : qmo::Widen(text.substr(first, text.find_last_not_of(' ') - first + 1));
    };
    qmo::AccessibleElement element;
    element.role = role;
    element.name = trimmed(caption);
    element.value = trimmed(std::string_view(shown).substr(std::min(caption.size(), shown.size())));
    element.state = STATE_SYSTEM_READONLY;
    ::GetClientRect(m_hWnd, &element.bounds);
    return element;
}

qmo::AccessibleElement CGaugeCtrl::DescribeAccessible(int) const {
    return DescribeFigure(ROLE_SYSTEM_DIAL, m_model.m_strCaption, m_model.Text());
}

qmo::AccessibleElement CHistoryGraphCtrl::DescribeAccessible(int) const {
    return DescribeFigure(ROLE_SYSTEM_CHART, m_model.m_strCaption, m_model.Text());
}

void CGaugeCtrl::Paint(qmo::Canvas& canvas, int width, int height) {
    qmo::PaintGauge(canvas, m_model, width, height);
}

void CHistoryGraphCtrl::Paint(qmo::Canvas& canvas, int width, int height) {
    qmo::PaintHistoryGraph(canvas, m_model, width, height);
}

}  // namespace qmo
