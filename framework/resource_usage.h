#pragma once
// What this process holds right now: GDI and USER objects, kernel handles and
// private bytes. A tray program that runs for months must keep these flat;
// the frame answers kResourceUsageMessage with them so that a test driver in
// another process can watch for growth.
#include <windows.h>

namespace qmo {

struct ResourceUsage {
    DWORD gdiObjects = 0;
    DWORD userObjects = 0;
    DWORD handles = 0;
    SIZE_T privateBytes = 0;
    // Left out of gdiObjects: wine's cached window DCs not in use.
    DWORD idleWindowDCs = 0;
};

// Where the system's own counters report nothing (wine answers 0 for GDI,
// USER and handle counts and for private bytes), the figures are counted
// directly: live GDI handles, this process's windows, live kernel handles,
// and the committed bytes charged to the process. Wine keeps its cache of DCs
// for painting windows in the process, each a DC and a visible region, and
// fills it up to a fixed size whenever windows paint; the entries not handed
// out are the window manager's, not ours, and are left out.
ResourceUsage MeasureResourceUsage();

// Every live GDI object of one type (OBJ_PEN ... OBJ_COLORSPACE), idle cached
// DCs included, to tell what grew; -1 where the table cannot be probed.
LONG CountGdiObjectsOfType(DWORD type);

// The registered message; wParam picks the figure, the reply is its value
// (private bytes in KiB). GdiOfType + an OBJ_ type asks for that type's count.
enum class ResourceKind : WPARAM {
    Gdi = 0,
    User = 1,
    Handles = 2,
    PrivateKiB = 3,
    IdleWindowDCs = 4,
    GdiOfType = 0x100,
};
UINT ResourceUsageMessage();
LRESULT AnswerResourceUsage(WPARAM kind);

}  // namespace qmo
