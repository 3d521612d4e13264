#pragma once
// A static text that acts as a link: underlined text in blue, red while the
// mouse is over it, purple once it has been clicked (for the life of the
// control), over a settable background, with the system's hand cursor; in
// high contrast, the system's link colours on its window colour.
// A click opens the link's target through the shell, or, with opening
// switched off, is reported to the parent as WM_COMMAND with STN_CLICKED.
// It is a tab stop of its dialog: Enter and Space do what a click does, and
// a focus rectangle round the text shows the keyboard focus.
#include <windows.h>

#include <string>

#include "framework/unique_handle.h"
#include "framework/subclassed_control.h"
#include "toolkit/accessible_control.h"
#include "toolkit/hover_tracker.h"
#include "toolkit/shell_opener.h"
#include "toolkit/self_drawn.h"

namespace qmo {

class HyperlinkStatic : public SelfDrawnControl {
public:
    static constexpr COLORREF kLinkColour = RGB(0, 0, 255);
    static constexpr COLORREF kHoverColour = RGB(255, 0, 0);
    static constexpr COLORREF kVisitedColour = RGB(128, 0, 128);

    HyperlinkStatic() = default;
    // The static is handed back to its dialog as it was.
    ~HyperlinkStatic() override;

    bool SubclassDlgItem(UINT id, HWND dialog);

    void SetTarget(std::wstring target) { m_target = std::move(target); }
    // Redraws at once.
    void SetBackgroundColour(COLORREF colour);
    void SetOpenOnClick(bool open) noexcept { m_openOnClick = open; }
    void SetShellOpener(ShellOpener& opener) noexcept { m_opener = &opener; }

    using SelfDrawnControl::IsHovered;
    bool IsVisited() const noexcept { return m_visited; }
    COLORREF TextColour() const noexcept;

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    bool OnSetCursor(HWND window, UINT hitTest, UINT mouseMessage) override;
    bool OnLButtonDown(UINT flags, POINT point) override;
    bool OnLButtonUp(UINT flags, POINT point) override;
    // A held key opens the target once.
    bool OnKeyDown(UINT key, UINT flags) override;
    // Enter belongs to the focused link, not to the default button.
    bool OnGetDlgCode(const MSG* queued, LRESULT& code) override;

private:
    void Paint(HDC dc) override;
    void PaintFocus(HDC dc, const RECT& client, const std::wstring& text, HFONT font, UINT format,
                    COLORREF background);
    void OnClick();
    HFONT UnderlinedFont();
    AccessibleElement DescribeAccessible(int child) const override;
    bool DoAccessibleAction(int) override;

    std::wstring m_target;
    COLORREF m_background = RGB(255, 255, 255);
    bool m_openOnClick = true;
    bool m_visited = false;
    bool m_pressed = false;
    ShellOpener* m_opener = &SystemShellOpener();
    HFONT m_underlinedFrom = nullptr;  // borrowed: the font the underlined one copies
    unique_font m_underlined;
};

}  // namespace qmo
