#pragma once
// How the tray icon answers the shell's mouse notifications, and its frame cycle.
#include <cstddef>

namespace qmo {

enum class TrayAction { None, ShowMenu, SendDefaultCommand };

// Shell notification codes (the low word of the callback's lParam).
inline constexpr unsigned kTrayRightButtonUp = 0x0205;   // WM_RBUTTONUP
inline constexpr unsigned kTrayLeftDoubleClick = 0x0203; // WM_LBUTTONDBLCLK
inline constexpr unsigned kTrayContextMenu = 0x007B;     // WM_CONTEXTMENU
inline constexpr unsigned kTrayKeySelect = 0x0401;       // NIN_KEYSELECT

TrayAction TrayActionFor(unsigned notification);

// Index of the frame to show after `current`; the first tick (current == npos)
// shows frame 0, and the cycle never ends.
std::size_t NextAnimationFrame(std::size_t current, std::size_t frameCount);

}  // namespace qmo
