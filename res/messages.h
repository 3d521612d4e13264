#pragma once
// Window messages of our own. Anything a dialog may receive sits at WM_APP or
// above: from WM_USER on, dialogs already give values a meaning (WM_USER + 2
// is DM_REPOSITION). The two below WM_APP only ever go to plain windows.
#include <windows.h>

#include <initializer_list>

#include "framework/identity.h"

// Another instance sends it to hand over to the one already running.
inline constexpr UINT WM_ACTIVATE_FIRST_INSTANCE = WM_APP + 100;
// The optimization worker: to the main frame, then to its progress dialog.
inline constexpr UINT WM_OPTIMIZATION_FINISHED = WM_APP + 1;
inline constexpr UINT WM_OPTIMIZE_COMPLETE = WM_APP + 2;
// The shell's notifications for the tray icon, to the icon's hidden window.
inline constexpr UINT WM_TRAY_NOTIFY = WM_APP + 3;
// The process list's snapshot, taken on a worker thread, is ready to be
// shown; it carries nothing (the page takes the rows from its worker).
inline constexpr UINT WM_PROCESS_SNAPSHOT_READY = WM_APP + 4;
// The menu bar's items changed how they are drawn: the frame lays the bar
// out again once the thread is free. Carries nothing.
inline constexpr UINT WM_MENU_BAR_RESTYLED = WM_APP + 5;
// A popup tells its owner of clicks and state changes.
inline constexpr UINT WM_POPUP_NOTIFY = 0x274D;
// A task panel tells its parent of a clicked link.
inline constexpr UINT WM_TASKPANEL_NOTIFY = 0x27EC;

namespace qmo::messages_detail {

constexpr bool AllDistinct(std::initializer_list<UINT> values) {
    for (auto a = values.begin(); a != values.end(); ++a)
        for (auto b = a + 1; b != values.end(); ++b)
            if (*a == *b)
                return false;
    return true;
}

}  // namespace qmo::messages_detail

// One value, one meaning: whichever window gets one of ours reads it right.
static_assert(qmo::messages_detail::AllDistinct({WM_ACTIVATE_FIRST_INSTANCE, WM_OPTIMIZATION_FINISHED,
                                                 WM_OPTIMIZE_COMPLETE, WM_TRAY_NOTIFY, WM_PROCESS_SNAPSHOT_READY,
                                                 WM_MENU_BAR_RESTYLED, WM_POPUP_NOTIFY,
                                                 WM_TASKPANEL_NOTIFY}));

namespace qmo {

// A start with the optimize switch asks the running program to optimize.
// Registered by name, since a fixed value may mean something else to another
// window with our title. It carries nothing; the frame answers with the
// value below, which a window that does not know the message never returns.
inline constexpr LRESULT kOptimizeRequestAccepted = 0x514D4F;

// 0 when the system cannot register it.
inline UINT OptimizeRequestMessage() {
    static const UINT message = ::RegisterWindowMessageW(kOptimizeRequestMessageName);
    return message;
}

}  // namespace qmo
