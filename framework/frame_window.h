#pragma once
// A top-level frame with one view filling its client area. Commands it does
// not handle go to the application object.
#include "framework/window.h"

namespace qmo {

class FrameWindow : public Window {
public:
    // An application whose main window goes with its object forgets it.
    ~FrameWindow() override;

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

    // Lays the view out over the client area.
    bool OnSize(UINT type, int width, int height) override;
    bool OnCommand(UINT id, UINT code, HWND control) override;

    void SetViewWindow(HWND view) noexcept { m_view = view; }
    HWND ViewWindow() const noexcept { return m_view; }

private:
    HWND m_view = nullptr;  // borrowed: the view is a member of the derived frame
};

}  // namespace qmo
