#pragma once
// A push button drawn flat in the current style: an optional picture and a
// small icon before the caption, with hover, pressed, focus, default and
// disabled looks. Underneath it stays a BUTTON (an owner-drawn one, painted by
// us), so the mouse, the space bar, dialog navigation and BN_CLICKED to the
// parent all work as for any button; Enter clicks it too.
//
// The button hears its own click as the framework
// offers a parent's every command back to the control that sent it; a
// parent that hands the command on to its own parent (as the task panel
// does) has that one offer it too: OnClicked runs once per click.
#include <windows.h>

#include <optional>
#include <string>
#include <string_view>

#include "toolkit/accessible_control.h"
#include "toolkit/button_layout.h"
#include "toolkit/image_strip.h"
#include "toolkit/owner_drawn_button.h"

namespace qmo {

class ThemedButton : public OwnerDrawnButton {
public:

    // A bitmap resource at its natural size, magenta see-through; false (and
    // no picture) if it cannot be loaded.
    bool SetImage(UINT bitmapResource);
    SIZE ImageSize() const noexcept { return m_image.CellSize(); }
    // Icons from a strip bitmap (resource or bitmap handle); `hotIcon` shows
    // under the pointer, -1 for the same as `normalIcon`. False, and no
    // icons, when the strip or a cell is missing.
    bool SetIcons(UINT stripResource, int normalIcon, int hotIcon, int cx = 16, int cy = 16);
    bool SetIcons(HBITMAP strip, int normalIcon, int hotIcon, int cx = 16, int cy = 16);

    bool IsHot() const noexcept { return IsHovered(); }

protected:
    // The button's own click. True: handled here, the parent should not act
    // on it as well.
    virtual bool OnClicked();

    // Derived classes pass what they do not handle on to this one.
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    LRESULT ReceiveMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    bool OnLButtonDblClk(UINT flags, POINT point) override;
    bool OnKeyDown(UINT key, UINT flags) override;
    // BN_CLICKED offered back by a parent: OnClicked, once per click.
    bool OnReflectedCommand(UINT code) override;
    bool OnGetDlgCode(const MSG* queued, LRESULT& code) override;
    // A push button named by its caption; a derived control that shows
    // something else describes itself instead.
    AccessibleElement DescribeAccessible(int child) const override;
    bool DoAccessibleAction(int child) override;

private:
    // Spacing, picture and icons (from resources) for the window's DPI.
    void UseDpi(unsigned dpi) override;
    bool IsDefault() const noexcept;
    void SendClick();
    LRESULT DefaultAndRedraw(UINT message, WPARAM wParam, LPARAM lParam);
    bool UseIcons(const ImageStrip& strip, int normalIcon, int hotIcon);
    void Paint(HDC dc) override;
    void PaintFace(HDC dc, const RECT& face, bool pressed);
    void PaintContent(HDC dc, RECT face, bool pressed);
    ButtonContent Content(HDC dc, const std::wstring& text, UINT prefix) const;
    SIZE IdealSize() const;

    // The dialog's default push button, once the dialog has said; until then as the template says.
    std::optional<bool> m_default;
    // One click may be reflected by each parent it passes; the hook hears it once.
    int m_dispatchDepth = 0;
    bool m_clickReflected = false;
    bool m_clickHandled = false;
    ImageStrip m_image;
    ImageStrip m_icons;  // [normal, hot]
    // What the resources were, to load them again at another DPI.
    UINT m_imageResource = 0;
    struct {
        UINT strip = 0;
        int normal = 0;
        int hot = 0;
        int cx = 0;
        int cy = 0;
    } m_iconResource;
};

}  // namespace qmo
