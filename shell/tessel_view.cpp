#include "shell/tessel_view.h"

#include "framework/unique_handle.h"

bool CTesselDesktopSuitFrameView::Create(HWND frame) {
    qmo::WindowClass windowClass{L"Quenvale.PageHostView"};
    windowClass.cursor = ::LoadCursorW(nullptr, IDC_ARROW);
    return Window::Create(windowClass, 0, L"", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, 0, 0, frame,
                          reinterpret_cast<HMENU>(static_cast<UINT_PTR>(kControlId)));
}

LRESULT CTesselDesktopSuitFrameView::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT:
        OnPaint();
        return 0;
    default:
        return DefaultHandler(message, wParam, lParam);
    }
}

void CTesselDesktopSuitFrameView::OnPaint() {
    qmo::paint_dc dc(m_hWnd);
    ::FillRect(dc.get(), &dc.paint().rcPaint, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
}
