#pragma once
// The toolkit's faces of the system message font (Segoe UI on current
// Windows). A control keeps one UiFonts and resets it when the user changes
// the system font; StandardInterfaceFont is one font for the whole process,
// for controls that take theirs by WM_SETFONT.
#include <windows.h>

#include <array>

#include "framework/unique_handle.h"

namespace qmo {

enum class UiFontStyle { Regular, Bold, Underline, Heading };

class UiFonts {
public:
    // Made on first use, kept until Reset.
    HFONT Get(UiFontStyle style);
    void Reset() noexcept;

private:
    std::array<unique_font, 4> m_fonts;
};

// The message font as the system describes it now.
LOGFONTW MessageFont();

HFONT StandardInterfaceFont();
HFONT StandardInterfaceBoldFont();

}  // namespace qmo
