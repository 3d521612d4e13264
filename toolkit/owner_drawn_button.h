#pragma once
// A BUTTON drawn whole by us, made new or taken over from a dialog template.
// It is turned owner-drawn, so that the button's own drawing outside WM_PAINT
// goes to the parent as WM_DRAWITEM and is dropped there; the mouse, the
// keys, dialog navigation and BN_CLICKED stay the button's. A taken-over
// button gets its original style back if this object goes before it does.
#include <windows.h>

#include <string_view>

#include "toolkit/self_drawn.h"

namespace qmo {

class OwnerDrawnButton : public SelfDrawnControl {
public:
    OwnerDrawnButton() = default;
    ~OwnerDrawnButton() override;

    bool Create(std::wstring_view caption, DWORD style, const RECT& rect, HWND parent, UINT id);
    // False for no window or one that is not a BUTTON.
    bool Attach(HWND button);
    bool SubclassDlgItem(UINT id, HWND dialog);

protected:
    // The style the button had before it was taken over.
    DWORD OriginalStyle() const noexcept { return m_originalStyle; }
    // `style` with its button type replaced by `type`.
    static DWORD WithType(DWORD style, DWORD type) noexcept {
        return (style & ~static_cast<DWORD>(BS_TYPEMASK)) | type;
    }

private:
    bool TakeOver(HWND button, bool owns);

    DWORD m_originalStyle = 0;
};

}  // namespace qmo
