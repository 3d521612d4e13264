#pragma once
// What every control that draws itself shares: it paints every pixel (no
// background erase, a paint buffered off screen, the same picture for
// WM_PRINTCLIENT), answers screen readers through its accessible object,
// redraws by invalidating, knows whether the pointer is over it, and holds
// the DPI it is drawn for. `Base` is the kind of window underneath: one of
// our classes, or a system control taken over.
#include <windows.h>

#include <string_view>

#include "framework/subclassed_control.h"
#include "framework/dpi_scale.h"
#include "toolkit/accessible_control.h"
#include "toolkit/hover_tracker.h"
#include "toolkit/ui_paint.h"

namespace qmo {

template <class Base>
class SelfDrawn : public Base, protected AccessibleSource {
public:
    using Base::Base;

    // Sizes, fonts and pictures for `dpi`, drawn again; nothing when the
    // control is drawn for it already (a new control is drawn for 96).
    void SetDpi(unsigned dpi) {
        if (dpi == m_dpi)
            return;
        m_dpi = dpi;
        UseDpi(dpi);
        Redraw();
    }
    unsigned Dpi() const noexcept { return m_dpi; }

protected:
    // The whole client area, into `dc`.
    virtual void Paint(HDC dc) = 0;
    // What the control makes again for a new DPI, before it is drawn again.
    virtual void UseDpi(unsigned) {}
    // The pointer has just come in or gone out: drawn again, unless the
    // control says what changes.
    virtual void OnHoverChanged(bool) { Redraw(); }
    bool IsHovered() const noexcept { return m_hover.IsInside(); }

    void Redraw() {
        if (this->m_hWnd)
            ::InvalidateRect(this->m_hWnd, nullptr, FALSE);
    }

    // A window of our own class `className`, with the arrow and no
    // background brush (every pixel is painted off screen).
    bool CreateSelfDrawn(const wchar_t* className, std::wstring_view text, DWORD style, const RECT& rect,
                         HWND parent, UINT id, UINT classStyle = 0) {
        WindowClass windowClass{className};
        windowClass.style = classStyle;
        windowClass.cursor = ::LoadCursorW(nullptr, IDC_ARROW);
        const std::wstring title(text);
        return this->CreateChild(windowClass, title.c_str(), style, rect, parent, id);
    }

    // A derived control's own messages come first, then these; the typed
    // handlers of the pointer's moves still run after the hover is noted.
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (LRESULT answer = 0; m_accessible.HandleMessage(this->m_hWnd, message, wParam, lParam, answer))
            return answer;
        if (message == WM_MOUSEMOVE && m_hover.Moved(this->m_hWnd))
            OnHoverChanged(true);
        else if (message == WM_MOUSELEAVE && m_hover.Left())
            OnHoverChanged(false);
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

private:
    HoverTracker m_hover;
    unsigned m_dpi = kDesignDpi;
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
