#include "perf/performance_controls.h"

#include "framework/unique_handle.h"
#include "perf/perf_win32.h"
#include "toolkit/ui_fonts.h"
#include "toolkit/ui_paint.h"

void PaintedButton::PaintTo(HDC dc) {
    RECT client{};
    ::GetClientRect(m_hWnd, &client);
    qmo::BufferedCanvas buffer(dc, client);
    qmo::GdiCanvas canvas(buffer.dc(), qmo::StandardInterfaceFont());
    Paint(canvas, client.right, client.bottom);
}

LRESULT PaintedButton::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_PAINT: {
        qmo::paint_dc paint(m_hWnd);
        PaintTo(paint.get());
        return 0;
    }
    case WM_PRINTCLIENT:
        PaintTo(reinterpret_cast<HDC>(wParam));
        return 0;
    case WM_ERASEBKGND:
        return 0;  // the paint covers every pixel
    default:
        return ThemedButton::HandleMessage(message, wParam, lParam);
    }
}

void CGaugeCtrl::Paint(qmo::Canvas& canvas, int width, int height) {
    qmo::PaintGauge(canvas, *this, width, height);
}

void CHistoryGraphCtrl::Paint(qmo::Canvas& canvas, int width, int height) {
    qmo::PaintHistoryGraph(canvas, *this, width, height);
}
