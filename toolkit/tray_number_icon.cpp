#include "toolkit/tray_number_icon.h"

#include <algorithm>
#include <cstdint>
#include <vector>

#include "framework/text.h"
#include "framework/window_dpi.h"
#include "toolkit/ui_paint.h"

namespace qmo {
namespace {

// Fill and figure: our level colours, or the system's under high contrast,
// where the levels past normal take the highlight.
TrayNumberColors ColorsFor(const TrayNumberLook& look) {
    if (!look.highContrast)
        return TrayNumberColorsFor(look.level);
    const auto system = [](int index) {
        const COLORREF color = ::GetSysColor(index);
        return Color{GetRValue(color), GetGValue(color), GetBValue(color)};
    };
    if (look.level == TrayLevel::Normal)
        return {system(COLOR_WINDOW), system(COLOR_WINDOWTEXT)};
    return {system(COLOR_HIGHLIGHT), system(COLOR_HIGHLIGHTTEXT)};
}

// Inside a square of `size` whose corners are rounded by `radius`.
bool InsideTile(int x, int y, int size, int radius) {
    const int cx = x < radius ? radius : x >= size - radius ? size - radius - 1 : x;
    const int cy = y < radius ? radius : y >= size - radius ? size - radius - 1 : y;
    const int dx = x - cx;
    const int dy = y - cy;
    return dx * dx + dy * dy <= radius * radius;
}

unique_font FigureFont(int height, int width) {
    LOGFONTW font{};
    font.lfHeight = -height;
    font.lfWidth = width;
    font.lfWeight = FW_BOLD;
    font.lfQuality = ANTIALIASED_QUALITY;
    font.lfCharSet = DEFAULT_CHARSET;
    wcscpy_s(font.lfFaceName, L"Segoe UI");
    return unique_font(::CreateFontIndirectW(&font));
}

SIZE Extent(HDC dc, HFONT font, const std::wstring& text) {
    scoped_select select(dc, font);
    SIZE extent{};
    ::GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &extent);
    return extent;
}

// The font of the figure: as tall as two digits fit the tile with a pixel to
// spare each side, whatever the figure, so every number looks alike; a wider
// figure ("99+") is narrowed to fit rather than made smaller.
unique_font FittingFont(HDC dc, const std::wstring& text, int size) {
    const int room = size - 2;
    for (int height = size; height >= 6; --height) {
        unique_font font = FigureFont(height, 0);
        if (!font)
            return font;
        if (Extent(dc, font.get(), L"88").cx > room && height > 6)
            continue;
        const SIZE extent = Extent(dc, font.get(), text);
        if (extent.cx <= room)
            return font;
        TEXTMETRICW metrics{};
        {
            scoped_select select(dc, font.get());
            ::GetTextMetricsW(dc, &metrics);
        }
        const int narrowed = std::max(1, static_cast<int>(metrics.tmAveCharWidth * room / extent.cx));
        return FigureFont(height, narrowed);
    }
    return unique_font();
}

}  // namespace

int TrayIconSize() noexcept {
    const HWND taskbar = ::FindWindowW(L"Shell_TrayWnd", nullptr);
    return SystemMetricForDpi(SM_CXSMICON, WindowDpi(taskbar));
}

unique_icon MakeTrayNumberIcon(const TrayNumberLook& look) {
    const int size = std::max(look.size, 8);
    unique_dc dc(::CreateCompatibleDC(nullptr));
    void* bits = nullptr;
    unique_bitmap color(CreateBufferBitmap(dc.get(), size, size, &bits));
    // The AND mask is all clear: the colour bitmap's alpha says what shows.
    const std::vector<BYTE> clearMask(static_cast<std::size_t>((size + 15) / 16 * 2 * size), 0);
    unique_bitmap mask(::CreateBitmap(size, size, 1, 1, clearMask.data()));
    if (!dc || !color || !mask || !bits)
        return unique_icon();

    const TrayNumberColors colors = ColorsFor(look);
    const std::wstring text = Widen(look.text);
    {
        scoped_select selectBitmap(dc.get(), color.get());
        RECT tile{0, 0, size, size};
        FillSolid(dc.get(), tile, ToColorRef(colors.fill));
        if (look.highContrast)
            FrameSolid(dc.get(), tile, ToColorRef(colors.text));
        unique_font font = FittingFont(dc.get(), text, size);
        scoped_select selectFont(dc.get(), font ? static_cast<HGDIOBJ>(font.get()) : ::GetStockObject(DEFAULT_GUI_FONT));
        ::SetBkMode(dc.get(), TRANSPARENT);
        ::SetTextColor(dc.get(), ToColorRef(colors.text));
        ::DrawTextW(dc.get(), text.c_str(), static_cast<int>(text.size()), &tile,
                    DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
        ::GdiFlush();
    }
    // GDI leaves the alpha at 0: the tile is made opaque, the corners clear.
    const int radius = std::max(2, size / 6);
    auto* pixel = static_cast<std::uint32_t*>(bits);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x, ++pixel)
            *pixel = InsideTile(x, y, size, radius) ? (*pixel | 0xFF000000u) : 0u;

    ICONINFO info{};
    info.fIcon = TRUE;
    info.hbmColor = color.get();
    info.hbmMask = mask.get();
    return unique_icon(::CreateIconIndirect(&info));
}

}  // namespace qmo
