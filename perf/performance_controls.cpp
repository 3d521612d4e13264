#include "perf/performance_controls.h"

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

void CGaugeCtrl::Paint(qmo::Canvas& canvas, int width, int height) {
    qmo::PaintGauge(canvas, m_model, width, height);
}

void CHistoryGraphCtrl::Paint(qmo::Canvas& canvas, int width, int height) {
    qmo::PaintHistoryGraph(canvas, m_model, width, height);
}

}  // namespace qmo
