#pragma once
// A row of equal icons cut from one bitmap, magenta RGB(255, 0, 255) being
// see-through; icon n is the n-th cell from the left. Also holds a single
// picture at its natural size (a strip of one cell).
#include <windows.h>
#include <commctrl.h>

#include <initializer_list>

#include "framework/dpi_scale.h"
#include "framework/unique_handle.h"
#include "framework/window.h"

namespace qmo {

inline void destroy_image_list(HIMAGELIST list) noexcept {
    ::ImageList_Destroy(list);
}
using unique_image_list = unique_handle<null_is_invalid_traits<HIMAGELIST, destroy_image_list>>;

inline constexpr COLORREF kStripTransparentColor = RGB(255, 0, 255);

// The bitmap resource as shown at `dpi`: the size drawn nearest at or above
// it (the 100 % one when no larger was drawn), scaled to its 96 DPI size at
// `dpi`. A `keyed` picture (magenta see-through) is scaled without blending
// so that the key colour stays exact; others are filtered. Null when missing.
unique_bitmap LoadBitmapForDpi(UINT bitmapResource, unsigned dpi, bool keyed);

class ImageStrip {
public:
    // Each replaces what the strip held; false (and an empty strip) when the
    // bitmap cannot be loaded or holds no whole cell. Cells are given at 96
    // DPI and come out at `dpi`.
    bool Load(UINT bitmapResource, int cellWidth, int cellHeight, unsigned dpi = kDesignDpi);
    bool Assign(HBITMAP strip, int cellWidth, int cellHeight);  // copies; the caller keeps `strip`
    bool LoadPicture(UINT bitmapResource, unsigned dpi = kDesignDpi);
    // Just the given cells of `source`, in that order; false if any is missing.
    bool Extract(const ImageStrip& source, std::initializer_list<int> indices);

    explicit operator bool() const noexcept { return static_cast<bool>(m_list); }
    int Count() const noexcept;
    SIZE CellSize() const noexcept { return m_cell; }

    // Nothing for an index outside the strip. `faded` blends the picture
    // halfway into `fadeTo` (the disabled look), see-through parts included:
    // draw it only on a plain `fadeTo` background.
    void Draw(HDC dc, int index, int x, int y, bool faded = false, COLORREF fadeTo = RGB(255, 255, 255)) const;

private:
    bool Build(unique_bitmap bitmap, int cellWidth, int cellHeight);
    bool DrawFaded(HDC dc, int index, int x, int y, COLORREF fadeTo) const;

    unique_image_list m_list;
    SIZE m_cell{};
};

// A self-drawn control that shows icons of one strip; the control lays out
// or repaints again when its icons change.
class IconStripWindow : public Window {
public:
    // False (and no icons) when the strip cannot be had. A resource's cells
    // are given at 96 DPI and follow the window's DPI; a bitmap is taken as it is.
    bool SetImageList(UINT bitmapResource, int cx, int cy) {
        m_stripResource = {bitmapResource, cx, cy};
        return IconsChanged(m_icons.Load(bitmapResource, cx, cy, m_iconDpi));
    }
    bool SetImageList(HBITMAP strip, int cx, int cy) {
        m_stripResource = {};
        return IconsChanged(m_icons.Assign(strip, cx, cy));
    }

protected:
    const ImageStrip& Icons() const noexcept { return m_icons; }
    // Loads a resource strip again for `dpi`.
    void SetIconDpi(unsigned dpi) {
        if (dpi == m_iconDpi)
            return;
        m_iconDpi = dpi;
        if (m_stripResource.id != 0)
            IconsChanged(m_icons.Load(m_stripResource.id, m_stripResource.cx, m_stripResource.cy, dpi));
    }
    virtual void OnIconsChanged() = 0;

private:
    bool IconsChanged(bool taken) {
        OnIconsChanged();
        return taken;
    }

    ImageStrip m_icons;
    struct {
        UINT id = 0;
        int cx = 0;
        int cy = 0;
    } m_stripResource;
    unsigned m_iconDpi = kDesignDpi;
};

}  // namespace qmo
