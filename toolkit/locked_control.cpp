#include "toolkit/locked_control.h"

#include <algorithm>
#include <vector>

#include "framework/unique_handle.h"
#include "framework/window.h"
#include "toolkit/text_fit.h"

namespace qmo {
namespace {

// Where the control stands in its parent's client area.
RECT PlaceOf(HWND control) {
    RECT place{};
    ::GetWindowRect(control, &place);
    ::MapWindowPoints(nullptr, ::GetParent(control), reinterpret_cast<POINT*>(&place), 2);
    return place;
}

// The first sibling in the way of `place`; null when it is free.
HWND InTheWay(HWND control, HWND note, const RECT& place) {
    for (HWND sibling = ::GetWindow(::GetParent(control), GW_CHILD); sibling;
         sibling = ::GetWindow(sibling, GW_HWNDNEXT)) {
        // Every shown control is in the way, an empty text too: it may be written any time.
        if (sibling == control || sibling == note || !(::GetWindowLongW(sibling, GWL_STYLE) & WS_VISIBLE))
            continue;
        RECT other = PlaceOf(sibling);
        RECT overlap{};
        if (::IntersectRect(&overlap, &other, &place))
            return sibling;
    }
    return nullptr;
}

SIZE NoteSize(HWND control, const std::wstring& note) {
    const window_dc dc(control);
    const auto font = reinterpret_cast<HGDIOBJ>(::SendMessageW(control, WM_GETFONT, 0, 0));
    const scoped_select selected(dc.get(), font ? font : ::GetStockObject(DEFAULT_GUI_FONT));
    SIZE size{};
    ::GetTextExtentPoint32W(dc.get(), note.c_str(), static_cast<int>(note.size()), &size);
    return size;
}

// Where the note goes: right after what the control shows when that is free;
// else just under the control; else further along its row, past whatever
// stands there; else on the row, cut at the parent's edge.
RECT NotePlace(HWND control, HWND note, SIZE size) {
    RECT client{};
    ::GetClientRect(::GetParent(control), &client);
    const RECT place = PlaceOf(control);
    const int gap = size.cy / 2;
    int contentRight = place.right;
    if (HasWindowClass(control, L"Button")) {
        // A check box is often wider than its text: the note follows the text.
        contentRight = std::min<int>(place.right, place.left + NeededTextWidth(control));
        ::SetWindowPos(control, nullptr, 0, 0, contentRight - place.left, place.bottom - place.top,
                       SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    const auto free = [&](const RECT& spot) { return spot.right <= client.right && !InTheWay(control, note, spot); };
    const int top = (place.top + place.bottom - size.cy) / 2;
    RECT right{contentRight + gap, top, contentRight + gap + size.cx, top + size.cy};
    if (free(right))
        return right;
    const RECT below{place.left, place.bottom + 1, place.left + size.cx, place.bottom + 1 + size.cy};
    if (below.bottom <= client.bottom && free(below))
        return below;
    for (int tries = 0; tries < 16; ++tries) {
        HWND blocker = InTheWay(control, note, right);
        if (!blocker)
            break;
        const int left = PlaceOf(blocker).right + gap;
        right = RECT{left, top, left + size.cx, top + size.cy};
    }
    right.right = std::min<LONG>(right.right, client.right);
    return right;
}

}  // namespace

HWND LockedNoteOf(HWND control) {
    return ::GetDlgItem(::GetParent(control), ::GetDlgCtrlID(control) + kLockedNoteIdOffset);
}

void ShowLocked(HWND control, bool locked, const std::wstring& note) {
    if (!control)
        return;
    ::EnableWindow(control, !locked);
    HWND shown = LockedNoteOf(control);
    if (!locked || note.empty()) {
        if (shown)
            ::DestroyWindow(shown);
        return;
    }
    if (!shown) {
        HWND parent = ::GetParent(control);
        shown = ::CreateWindowExW(0, L"Static", note.c_str(), WS_CHILD | SS_LEFTNOWORDWRAP | SS_NOPREFIX, 0, 0, 0, 0,
                                  parent,
                                  reinterpret_cast<HMENU>(static_cast<INT_PTR>(::GetDlgCtrlID(control) + kLockedNoteIdOffset)),
                                  reinterpret_cast<HINSTANCE>(::GetWindowLongPtrW(parent, GWLP_HINSTANCE)), nullptr);
        if (!shown)
            return;
        ::SendMessageW(shown, WM_SETFONT, ::SendMessageW(control, WM_GETFONT, 0, 0), FALSE);
        // Right after the control in the tab order, so a screen reader reads it with it.
        ::SetWindowPos(shown, control, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
    ::SetWindowTextW(shown, note.c_str());
    const RECT place = NotePlace(control, shown, NoteSize(control, note));
    ::SetWindowPos(shown, nullptr, place.left, place.top, place.right - place.left, place.bottom - place.top,
                   SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW);
}

}  // namespace qmo
