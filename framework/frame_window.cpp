#include "framework/frame_window.h"

#include "framework/application.h"
#include "res/resource.h"

namespace qmo {

LRESULT FrameWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_SIZE:
        OnSize(static_cast<UINT>(wParam), LOWORD(lParam), HIWORD(lParam));
        return 0;
    case WM_COMMAND:
        if (OnCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam)))
            return 0;
        if (Application* application = Application::Current(); application && application->OnCommand(LOWORD(wParam)))
            return 0;
        return DefaultHandler(message, wParam, lParam);
    case WM_DESTROY:
        OnDestroy();
        if (Application* application = Application::Current(); application && application->MainWindow() == this) {
            application->SetMainWindow(nullptr);
            ::PostQuitMessage(0);
        }
        return 0;
    default:
        return DefaultHandler(message, wParam, lParam);
    }
}

void FrameWindow::OnSize(UINT type, int width, int height) {
    if (m_view && type != SIZE_MINIMIZED)
        ::MoveWindow(m_view, 0, 0, width, height, TRUE);
}

bool FrameWindow::OnCommand(UINT id, UINT, HWND) {
    if (id == ID_APP_EXIT) {
        ::SendMessageW(m_hWnd, WM_CLOSE, 0, 0);
        return true;
    }
    return false;
}

void FrameWindow::OnDestroy() {}

}  // namespace qmo
