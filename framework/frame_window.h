#pragma once
// A top-level frame with one view filling its client area. Commands it does
// not handle go to the application object.
#include "framework/window.h"

namespace qmo {

class FrameWindow : public Window {
protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

    // Lays the view out over the client area.
    virtual void OnSize(UINT type, int width, int height);
    virtual bool OnCommand(UINT id, UINT code, HWND control);
    virtual void OnDestroy();

    void SetViewWindow(HWND view) noexcept { m_view = view; }
    HWND ViewWindow() const noexcept { return m_view; }

private:
    HWND m_view = nullptr;  // borrowed: the view is a member of the derived frame
};

}  // namespace qmo
