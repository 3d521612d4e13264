#pragma once
// The toolkit's faces of the system message font (Segoe UI on current
// Windows), at the DPI of the window that shows them. A control keeps one
// UiFonts, resets it when the user changes the system font and gives it the
// new DPI when its window moves to another; StandardInterfaceFont is one font
// per DPI for the whole process, for controls that take theirs by WM_SETFONT.
#include <windows.h>

#include <array>

#include "framework/unique_handle.h"

namespace qmo {

enum class UiFontStyle { Regular, Bold, Underline, Heading };

class UiFonts {
public:
    // Made on first use, kept until Reset or a change of DPI.
    HFONT Get(UiFontStyle style);
    void Reset() noexcept;
    // 0, the default, is the screen's DPI.
    void SetDpi(unsigned dpi) noexcept;
    unsigned Dpi() const noexcept { return m_dpi; }

private:
    std::array<unique_font, 4> m_fonts;
    unsigned m_dpi = 0;
};

// The message font as the system describes it now, sized for `dpi` (0: the
// screen's, as the system gives it).
LOGFONTW MessageFont(unsigned dpi = 0);

HFONT StandardInterfaceFont(unsigned dpi = 0);
HFONT StandardInterfaceBoldFont(unsigned dpi = 0);

}  // namespace qmo
