#include "toolkit/image_strip.h"

#include "framework/application.h"
#include "res/resource.h"
#include "toolkit/ui_paint.h"

namespace qmo {
namespace {

HBITMAP LoadBitmapResource(UINT id) {
    return static_cast<HBITMAP>(
        ::LoadImageW(Application::InstanceHandle(), MAKEINTRESOURCEW(id), IMAGE_BITMAP, 0, 0, LR_DEFAULTCOLOR));
}

SIZE BitmapSize(HBITMAP bitmap) {
    BITMAP info{};
    if (!bitmap || !::GetObjectW(bitmap, sizeof(info), &info))
        return SIZE{};
    return SIZE{info.bmWidth, info.bmHeight};
}

bool HasBitmapResource(UINT id) {
    return ::FindResourceW(Application::InstanceHandle(), MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(2)) != nullptr;
}

unique_bitmap StretchedCopy(HBITMAP source, SIZE from, SIZE to, bool keyed) {
    unique_dc screen(::CreateCompatibleDC(nullptr));
    HDC desktop = ::GetDC(nullptr);
    unique_bitmap result(desktop ? ::CreateCompatibleBitmap(desktop, to.cx, to.cy) : nullptr);
    if (desktop)
        ::ReleaseDC(nullptr, desktop);
    unique_dc target(::CreateCompatibleDC(nullptr));
    if (!screen || !result || !target)
        return unique_bitmap();
    scoped_select sourceSelected(screen.get(), source);
    scoped_select targetSelected(target.get(), result.get());
    ::SetStretchBltMode(target.get(), keyed ? COLORONCOLOR : HALFTONE);
    ::SetBrushOrgEx(target.get(), 0, 0, nullptr);
    ::StretchBlt(target.get(), 0, 0, to.cx, to.cy, screen.get(), 0, 0, from.cx, from.cy, SRCCOPY);
    return result;
}

}  // namespace

unique_bitmap LoadBitmapForDpi(UINT bitmapResource, unsigned dpi, bool keyed) {
    // The wanted size first, then the smaller ones drawn.
    struct ArtSize {
        unsigned dpi;
        UINT id;
    };
    const ArtSize sizes[] = {{kDesignDpi * 2, bitmapResource + IDB_ART_200_OFFSET},
                             {kDesignDpi * 3 / 2, bitmapResource + IDB_ART_150_OFFSET}};
    unsigned artDpi = kDesignDpi;
    UINT id = bitmapResource;
    for (const ArtSize& size : sizes) {
        if (size.dpi <= ArtDpiFor(dpi) && HasBitmapResource(size.id)) {
            artDpi = size.dpi;
            id = size.id;
            break;
        }
    }
    unique_bitmap art(LoadBitmapResource(id));
    const SIZE size = BitmapSize(art.get());
    if (!art || dpi == 0 || dpi == artDpi)
        return art;
    // Back to its size at 96 DPI, then on to `dpi`: the result lines up with layouts made from 96 DPI sizes.
    const SIZE design{::MulDiv(size.cx, static_cast<int>(kDesignDpi), static_cast<int>(artDpi)),
                      ::MulDiv(size.cy, static_cast<int>(kDesignDpi), static_cast<int>(artDpi))};
    const SIZE shown{ScaleForDpi(static_cast<int>(design.cx), dpi), ScaleForDpi(static_cast<int>(design.cy), dpi)};
    if (shown.cx == size.cx && shown.cy == size.cy)
        return art;
    return StretchedCopy(art.get(), size, shown, keyed);
}

bool ImageStrip::Load(UINT bitmapResource, int cellWidth, int cellHeight, unsigned dpi) {
    return Build(LoadBitmapForDpi(bitmapResource, dpi, true), ScaleForDpi(cellWidth, dpi),
                 ScaleForDpi(cellHeight, dpi));
}

bool ImageStrip::Assign(HBITMAP strip, int cellWidth, int cellHeight) {
    // The image list paints the see-through pixels of what it is given black.
    return Build(unique_bitmap(static_cast<HBITMAP>(::CopyImage(strip, IMAGE_BITMAP, 0, 0, 0))), cellWidth, cellHeight);
}

bool ImageStrip::LoadPicture(UINT bitmapResource, unsigned dpi) {
    unique_bitmap bitmap = LoadBitmapForDpi(bitmapResource, dpi, true);
    const SIZE size = BitmapSize(bitmap.get());
    return Build(std::move(bitmap), size.cx, size.cy);
}

bool ImageStrip::Extract(const ImageStrip& source, std::initializer_list<int> indices) {
    m_list.reset();
    m_cell = SIZE{};
    for (const int index : indices) {
        if (index < 0 || index >= source.Count())
            return false;
    }
    const SIZE cell = source.CellSize();
    unique_image_list list(
        ::ImageList_Create(cell.cx, cell.cy, ILC_COLOR32 | ILC_MASK, static_cast<int>(indices.size()), 0));
    if (!list)
        return false;
    for (const int index : indices) {
        unique_icon icon(::ImageList_GetIcon(source.m_list.get(), index, ILD_TRANSPARENT));
        if (!icon || ::ImageList_AddIcon(list.get(), icon.get()) < 0)
            return false;
    }
    m_list = std::move(list);
    m_cell = cell;
    return true;
}

bool ImageStrip::Build(unique_bitmap bitmap, int cellWidth, int cellHeight) {
    m_list.reset();
    m_cell = SIZE{};
    const SIZE size = BitmapSize(bitmap.get());
    if (cellWidth <= 0 || cellHeight <= 0 || size.cx < cellWidth || size.cy < cellHeight)
        return false;
    m_list.reset(::ImageList_Create(cellWidth, cellHeight, ILC_COLOR24 | ILC_MASK, size.cx / cellWidth, 0));
    if (!m_list || ::ImageList_AddMasked(m_list.get(), bitmap.get(), kStripTransparentColor) < 0) {
        m_list.reset();
        return false;
    }
    m_cell = SIZE{cellWidth, cellHeight};
    return true;
}

int ImageStrip::Count() const noexcept {
    return m_list ? ::ImageList_GetImageCount(m_list.get()) : 0;
}

void ImageStrip::Draw(HDC dc, int index, int x, int y, bool faded, COLORREF fadeTo) const {
    if (index < 0 || index >= Count())
        return;
    if (!faded || !DrawFaded(dc, index, x, y, fadeTo))
        ::ImageList_Draw(m_list.get(), index, dc, x, y, ILD_TRANSPARENT);
}

// Halfway into `fadeTo` pixel by pixel: the image list's own blend dithers.
bool ImageStrip::DrawFaded(HDC dc, int index, int x, int y, COLORREF fadeTo) const {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = m_cell.cx;
    info.bmiHeader.biHeight = -m_cell.cy;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    unique_bitmap cell(::CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    unique_dc memory(::CreateCompatibleDC(dc));
    if (!cell || !memory)
        return false;
    scoped_select selected(memory.get(), cell.get());
    const RECT all{0, 0, m_cell.cx, m_cell.cy};
    ::SetDCBrushColor(memory.get(), fadeTo);
    ::FillRect(memory.get(), &all, static_cast<HBRUSH>(::GetStockObject(DC_BRUSH)));
    ::ImageList_Draw(m_list.get(), index, memory.get(), 0, 0, ILD_TRANSPARENT);
    ::GdiFlush();
    // DIB pixels are 0x00RRGGBB; COLORREF is 0x00BBGGRR.
    const DWORD target = (GetRValue(fadeTo) << 16) | (GetGValue(fadeTo) << 8) | GetBValue(fadeTo);
    auto* pixel = static_cast<DWORD*>(bits);
    for (int i = 0; i < m_cell.cx * m_cell.cy; ++i, ++pixel)
        *pixel = ((*pixel & 0xFEFEFE) >> 1) + ((target & 0xFEFEFE) >> 1);
    return ::BitBlt(dc, x, y, m_cell.cx, m_cell.cy, memory.get(), 0, 0, SRCCOPY) != FALSE;
}

}  // namespace qmo
