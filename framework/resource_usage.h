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
};

// Where the system's own counters report nothing (wine answers 0 for GDI,
// USER and handle counts and for private bytes), the figures are counted
// directly: live GDI handles, this process's windows, live kernel handles,
// and the committed bytes charged to the process.
ResourceUsage MeasureResourceUsage();

// The registered message; wParam picks the figure, the reply is its value
// (private bytes in KiB).
enum class ResourceKind : WPARAM { Gdi = 0, User = 1, Handles = 2, PrivateKiB = 3 };
UINT ResourceUsageMessage();
LRESULT AnswerResourceUsage(WPARAM kind);

}  // namespace qmo
