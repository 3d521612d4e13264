#pragma once
// A footer bar: one line of text centred both ways, cut with an ellipsis when
// it does not fit, on a soft vertical gradient inside a one-pixel frame. The
// text is the window text (WM_SETTEXT works); the font is the system message
// font unless one is given with WM_SETFONT.
#include <windows.h>

#include <string>
#include <string_view>

#include "framework/identity.h"
#include "framework/window.h"
#include "toolkit/accessible_control.h"
#include "toolkit/ui_fonts.h"
#include "toolkit/self_drawn.h"

namespace qmo {


class CaptionBar : public SelfDrawn<Window> {
public:
    bool Create(std::wstring_view text, DWORD style, const RECT& rect, HWND parent, UINT id);

    // Until set: border COLOR_3DFACE, background COLOR_3DSHADOW, text
    // COLOR_WINDOW, followed as the system colours change.
    void SetColors(COLORREF border, COLORREF background, COLORREF text);
    COLORREF BorderColor() const;
    COLORREF BackgroundColor() const;
    COLORREF TextColor() const;

    void SetText(std::wstring_view text);
    std::wstring Text() const;

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    bool OnSize(UINT type, int width, int height) override;
    bool OnLookChanged() override;
    bool OnSetFont(HFONT font, bool redraw) override;
    bool OnGetFont(HFONT& font) override;

private:
    void Paint(HDC dc) override;
    // Its own font (without one from WM_SETFONT) at the window's DPI.
    void UseDpi(unsigned dpi) override;
    AccessibleElement DescribeAccessible(int child) const override;

    bool m_colorsSet = false;
    COLORREF m_border = 0, m_background = 0, m_text = 0;
    HFONT m_font = nullptr;  // borrowed from WM_SETFONT
    UiFonts m_fonts;
};

}  // namespace qmo
