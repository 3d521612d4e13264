#include "framework/frame_window.h"

#include "framework/application.h"
#include "res/resource.h"

namespace qmo {

FrameWindow::~FrameWindow() {
    if (Application* application = Application::Current(); application && application->MainWindow() == this)
        application->SetMainWindow(nullptr);
}

LRESULT FrameWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    const LRESULT result = Window::HandleMessage(message, wParam, lParam);
    if (message == WM_DESTROY) {
        if (Application* application = Application::Current(); application && application->MainWindow() == this) {
            application->SetMainWindow(nullptr);
            ::PostQuitMessage(0);
        }
    }
    return result;
}

bool FrameWindow::OnSize(UINT type, int width, int height) {
    if (m_view && type != SIZE_MINIMIZED)
        ::MoveWindow(m_view, 0, 0, width, height, TRUE);
    return true;
}

bool FrameWindow::OnCommand(UINT id, UINT, HWND) {
    if (id == ID_APP_EXIT) {
        ::SendMessageW(m_hWnd, WM_CLOSE, 0, 0);
        return true;
    }
    Application* application = Application::Current();
    return application && application->OnCommand(id);
}

}  // namespace qmo
