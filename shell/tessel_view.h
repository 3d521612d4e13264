#pragma once
// The client area of the main frame: the page host.
#include "framework/window.h"

class CTesselDesktopSuitFrameView : public qmo::Window {
public:
    static constexpr UINT kControlId = 0xE900;

    bool Create(HWND frame);

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void OnPaint();
};
