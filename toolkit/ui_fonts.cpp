#include "toolkit/ui_fonts.h"

namespace qmo {

LOGFONTW MessageFont() {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof(metrics);
    if (::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0))
        return metrics.lfMessageFont;
    LOGFONTW fallback{};
    ::GetObjectW(::GetStockObject(DEFAULT_GUI_FONT), sizeof(fallback), &fallback);
    return fallback;
}

HFONT UiFonts::Get(UiFontStyle style) {
    unique_font& font = m_fonts[static_cast<std::size_t>(style)];
    if (!font) {
        LOGFONTW face = MessageFont();
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

namespace {

UiFonts& SharedFonts() {
    static UiFonts fonts;
    return fonts;
}

}  // namespace

HFONT StandardInterfaceFont() {
    return SharedFonts().Get(UiFontStyle::Regular);
}

HFONT StandardInterfaceBoldFont() {
    return SharedFonts().Get(UiFontStyle::Bold);
}

}  // namespace qmo
