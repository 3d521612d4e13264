#include "toolkit/ui_fonts.h"

#include <map>

#include "framework/window_dpi.h"

namespace qmo {

LOGFONTW MessageFont(unsigned dpi) {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof(metrics);
    LOGFONTW face{};
    if (::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0))
        face = metrics.lfMessageFont;
    else
        ::GetObjectW(::GetStockObject(DEFAULT_GUI_FONT), sizeof(face), &face);
    // The system sizes it for the screen's DPI.
    const unsigned screen = WindowDpi(nullptr);
    if (dpi != 0 && dpi != screen)
        face.lfHeight = ::MulDiv(face.lfHeight, static_cast<int>(dpi), static_cast<int>(screen));
    return face;
}

HFONT UiFonts::Get(UiFontStyle style) {
    unique_font& font = m_fonts[static_cast<std::size_t>(style)];
    if (!font) {
        LOGFONTW face = MessageFont(m_dpi);
        switch (style) {
        case UiFontStyle::Regular:
            break;
        case UiFontStyle::Bold:
            face.lfWeight = FW_BOLD;
            break;
        case UiFontStyle::Underline:
            face.lfUnderline = TRUE;
            break;
        case UiFontStyle::Heading:
            // Half as large again: a page title, not a shout.
            face.lfHeight = face.lfHeight * 3 / 2;
            face.lfWeight = FW_SEMIBOLD;
            break;
        }
        face.lfQuality = CLEARTYPE_QUALITY;
        font.reset(::CreateFontIndirectW(&face));
    }
    return font.get();
}

void UiFonts::Reset() noexcept {
    for (unique_font& font : m_fonts)
        font.reset();
}

void UiFonts::SetDpi(unsigned dpi) noexcept {
    if (dpi == m_dpi)
        return;
    m_dpi = dpi;
    Reset();
}

namespace {

// Windows on monitors of different DPIs use their own; each DPI's fonts stay
// while any window may still hold them, and there are only as many as DPIs seen.
UiFonts& SharedFonts(unsigned dpi) {
    static std::map<unsigned, UiFonts> fonts;
    const unsigned key = dpi != 0 ? dpi : WindowDpi(nullptr);
    UiFonts& forDpi = fonts[key];
    forDpi.SetDpi(key);
    return forDpi;
}

}  // namespace

HFONT StandardInterfaceFont(unsigned dpi) {
    return SharedFonts(dpi).Get(UiFontStyle::Regular);
}

HFONT StandardInterfaceBoldFont(unsigned dpi) {
    return SharedFonts(dpi).Get(UiFontStyle::Bold);
}

}  // namespace qmo
