#include "perf/layered_picture.h"

#include "toolkit/ui_paint.h"

namespace qmo {

bool MemorySurface::Make(HDC target, int width, int height) {
    Release();
    m_dc.reset(::CreateCompatibleDC(target));
    m_bitmap.reset(CreateBufferBitmap(target, width, height));
    if (!m_dc || !m_bitmap) {
        Release();
        return false;
    }
    m_oldBitmap = ::SelectObject(m_dc.get(), m_bitmap.get());
    return true;
}

void MemorySurface::Release() noexcept {
    // The bitmap leaves the DC before either goes.
    if (m_dc && m_oldBitmap)
        ::SelectObject(m_dc.get(), m_oldBitmap);
    m_oldBitmap = nullptr;
    m_dc.reset();
    m_bitmap.reset();
}

void LayeredPicture::Release() noexcept {
    m_still.Release();
    m_composed.Release();
    m_look.reset();
    m_width = 0;
    m_height = 0;
}

bool LayeredPicture::Remake(HDC target, int width, int height) {
    Release();
    if (!m_still.Make(target, width, height) || !m_composed.Make(target, width, height)) {
        Release();
        return false;
    }
    m_width = width;
    m_height = height;
    return true;
}

void LayeredPicture::CopyStill() const {
    ::BitBlt(m_composed.dc(), 0, 0, m_width, m_height, m_still.dc(), 0, 0, SRCCOPY);
}

}  // namespace qmo
