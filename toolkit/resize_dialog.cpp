#include "toolkit/resize_dialog.h"

#include <windowsx.h>

#include <algorithm>
#include <tuple>

namespace qmo {
namespace {

qmo::Rect PlaceIn(HWND dialog, HWND control) {
    RECT placed{};
    ::GetWindowRect(control, &placed);
    ::MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&placed), 2);
    return {placed.left, placed.top, placed.right, placed.bottom};
}

}  // namespace

void CResizeDialog::AddAnchor(UINT controlId, const qmo::Anchors& anchors) {
    HWND control = Item(controlId);
    if (!control)
        return;
    if (!m_haveOriginalSize) {
        RECT client{};
        ::GetClientRect(m_hWnd, &client);
        m_originalSize = {client.right, client.bottom};
        m_client = m_originalSize;
        m_haveOriginalSize = true;
    }
    m_anchored.push_back({control, PlaceIn(m_hWnd, control), anchors});
}

void CResizeDialog::OnTextsInPlace() {
    ThemedDialog::OnTextsInPlace();
    if (!m_haveOriginalSize)
        return;
    RECT client{};
    ::GetClientRect(m_hWnd, &client);
    m_originalSize = {client.right, client.bottom};
    m_client = m_originalSize;
    for (Anchored& item : m_anchored)
        item.original = PlaceIn(m_hWnd, item.control);
}

bool CResizeDialog::OnSize(UINT type, int width, int height) {
    if (type == SIZE_MINIMIZED)
        return false;
    if (!m_haveOriginalSize || m_anchored.empty())
        return true;
    m_client = {width, height};
    Relayout();
    return true;
}

// Laid out for the client area or the registered size, whichever is larger;
// the scroll bars show the part of it in view.
void CResizeDialog::Relayout() {
    const int width = std::max(m_client.cx, m_originalSize.cx);
    const int height = std::max(m_client.cy, m_originalSize.cy);
    m_scroll.x = std::clamp<int>(m_scroll.x, 0, width - m_client.cx);
    m_scroll.y = std::clamp<int>(m_scroll.y, 0, height - m_client.cy);
    for (const auto& [bar, extent, page, position] :
         {std::tuple{SB_HORZ, width, m_client.cx, m_scroll.x}, std::tuple{SB_VERT, height, m_client.cy, m_scroll.y}}) {
        SCROLLINFO info{sizeof(info), SIF_RANGE | SIF_PAGE | SIF_POS, 0, extent - 1, static_cast<UINT>(page), position,
                        0};
        // A bar that comes or goes resizes the client: the WM_SIZE it sends lays out again.
        ::SetScrollInfo(m_hWnd, bar, &info, TRUE);
    }
    if (width != std::max(m_client.cx, m_originalSize.cx) || height != std::max(m_client.cy, m_originalSize.cy))
        return;  // a bar came or went, and the layout for the new client area is done
    HDWP positions = ::BeginDeferWindowPos(static_cast<int>(m_anchored.size()));
    for (const Anchored& item : m_anchored) {
        qmo::Rect to = qmo::AnchoredRect(item.original, item.anchors, width - m_originalSize.cx,
                                         height - m_originalSize.cy);
        if (positions)
            positions = ::DeferWindowPos(positions, item.control, nullptr, to.left - m_scroll.x, to.top - m_scroll.y,
                                         to.Width(), to.Height(), SWP_NOZORDER | SWP_NOACTIVATE);
    }
    if (positions)
        ::EndDeferWindowPos(positions);
    ::InvalidateRect(m_hWnd, nullptr, FALSE);
}

int CResizeDialog::ScrollStep(int bar, UINT code) const {
    SCROLLINFO info{};
    info.cbSize = sizeof(info);
    info.fMask = SIF_ALL;
    ::GetScrollInfo(m_hWnd, bar, &info);
    const int line = 20;
    switch (code) {
    case SB_LINEUP:
        return info.nPos - line;
    case SB_LINEDOWN:
        return info.nPos + line;
    case SB_PAGEUP:
        return info.nPos - static_cast<int>(info.nPage);
    case SB_PAGEDOWN:
        return info.nPos + static_cast<int>(info.nPage);
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION:
        return info.nTrackPos;
    case SB_TOP:
        return 0;
    case SB_BOTTOM:
        return info.nMax;
    default:
        return info.nPos;
    }
}

void CResizeDialog::ScrollTo(int bar, int position) {
    LONG& scroll = bar == SB_HORZ ? m_scroll.x : m_scroll.y;
    const LONG before = scroll;
    scroll = position;
    Relayout();
    if (scroll != before)
        ::RedrawWindow(m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

// The dialog's own scroll bars; one of a control (an up-down) is the page's to handle.
bool CResizeDialog::OnVScroll(UINT code, int, HWND scrollBar) {
    if (scrollBar)
        return false;
    ScrollTo(SB_VERT, ScrollStep(SB_VERT, code));
    return true;
}

bool CResizeDialog::OnHScroll(UINT code, int, HWND scrollBar) {
    if (scrollBar)
        return false;
    ScrollTo(SB_HORZ, ScrollStep(SB_HORZ, code));
    return true;
}

bool CResizeDialog::OnMouseWheel(int delta, UINT, POINT) {
    if (m_client.cy >= m_originalSize.cy)
        return false;
    ScrollTo(SB_VERT, m_scroll.y - delta * 40 / WHEEL_DELTA);
    return true;
}

}  // namespace qmo
