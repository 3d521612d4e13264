#include "toolkit/resize_dialog.h"

namespace qmo {

void CResizeDialog::AddAnchor(UINT controlId, const qmo::Anchors& anchors) {
    HWND control = Item(controlId);
    if (!control)
        return;
    if (!m_haveOriginalSize) {
        RECT client{};
        ::GetClientRect(m_hWnd, &client);
        m_originalSize = {client.right, client.bottom};
        m_haveOriginalSize = true;
    }
    RECT placed{};
    ::GetWindowRect(control, &placed);
    ::MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(&placed), 2);
    m_anchored.push_back({control, {placed.left, placed.top, placed.right, placed.bottom}, anchors});
}

bool CResizeDialog::OnSize(UINT type, int width, int height) {
    if (type == SIZE_MINIMIZED)
        return false;
    if (!m_haveOriginalSize || m_anchored.empty())
        return true;
    const int dx = width - m_originalSize.cx;
    const int dy = height - m_originalSize.cy;
    HDWP positions = ::BeginDeferWindowPos(static_cast<int>(m_anchored.size()));
    for (const Anchored& item : m_anchored) {
        const qmo::Rect to = qmo::AnchoredRect(item.original, item.anchors, dx, dy);
        if (positions)
            positions = ::DeferWindowPos(positions, item.control, nullptr, to.left, to.top, to.Width(), to.Height(),
                                         SWP_NOZORDER | SWP_NOACTIVATE);
    }
    if (positions)
        ::EndDeferWindowPos(positions);
    ::InvalidateRect(m_hWnd, nullptr, FALSE);
    return true;
}

}  // namespace qmo
