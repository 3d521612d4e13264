#pragma once
// What every control that draws itself shares: it paints every pixel (no
// background erase, a paint buffered off screen, the same picture for
// WM_PRINTCLIENT), answers screen readers through its accessible object, and
// redraws by invalidating. `Base` is the kind of window underneath: one of
// our classes, or a system control taken over.
#include <windows.h>

#include "framework/subclassed_control.h"
#include "toolkit/accessible_control.h"
#include "toolkit/ui_paint.h"

namespace qmo {

template <class Base>
class SelfDrawn : public Base, protected AccessibleSource {
public:
    using Base::Base;

protected:
    // The whole client area, into `dc`.
    virtual void Paint(HDC dc) = 0;

    void Redraw() {
        if (this->m_hWnd)
            ::InvalidateRect(this->m_hWnd, nullptr, FALSE);
    }

    // A derived control's own messages come first, then these.
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (LRESULT answer = 0; m_accessible.HandleMessage(this->m_hWnd, message, wParam, lParam, answer))
            return answer;
        return Base::HandleMessage(message, wParam, lParam);
    }
    bool OnEraseBkgnd(HDC) override { return true; }
    bool OnPaint() override {
        PaintClientBuffered(this->m_hWnd, [this](HDC dc) { Paint(dc); });
        return true;
    }
    bool OnPrintClient(HDC dc, UINT) override {
        Paint(dc);
        return true;
    }

    AccessibleHost m_accessible{*this};
};

// A system control taken over and drawn whole by us: what its own handling
// of the focus, the font and the system's look changes, we draw again.
class SelfDrawnControl : public SelfDrawn<SubclassedControl> {
protected:
    bool OnSetFocus(HWND) override { return RedrawAfterDefault(); }
    bool OnKillFocus(HWND) override { return RedrawAfterDefault(); }
    bool OnSetFont(HFONT, bool) override { return RedrawAfterDefault(); }
    bool OnLookChanged() override { return RedrawAfterDefault(); }

    bool RedrawAfterDefault() {
        Default();
        Redraw();
        return true;
    }
};

}  // namespace qmo
