#pragma once
// The pointer's coming in and going out of one window: the leave notice is
// asked for once per hover, on the first move inside.
#include <windows.h>

namespace qmo {

class HoverTracker {
public:
    // From WM_MOUSEMOVE; true when the pointer has just come in.
    bool Moved(HWND window) noexcept {
        if (!m_armed) {
            TRACKMOUSEEVENT track{sizeof(track), TME_LEAVE, window, 0};
            m_armed = ::TrackMouseEvent(&track) != FALSE;
        }
        const bool entered = !m_inside;
        m_inside = true;
        return entered;
    }
    // From WM_MOUSELEAVE; true when the pointer was in.
    bool Left() noexcept {
        m_armed = false;
        const bool wasInside = m_inside;
        m_inside = false;
        return wasInside;
    }
    bool IsInside() const noexcept { return m_inside; }

private:
    bool m_armed = false;
    bool m_inside = false;
};

}  // namespace qmo
