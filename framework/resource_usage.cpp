#include "framework/resource_usage.h"

#include <psapi.h>

namespace qmo {
namespace {

// GDI handles carry their table index in the low word; a handle with a zero
// high word names whichever object holds that slot.
DWORD CountLiveGdiObjects() {
    DWORD count = 0;
    for (UINT_PTR slot = 1; slot <= 0xFFFF; ++slot)
        if (::GetObjectType(reinterpret_cast<HGDIOBJ>(slot)) != 0)
            ++count;
    return count;
}

// Kernel handles are multiples of four.
DWORD CountLiveHandles() {
    DWORD count = 0;
    DWORD flags = 0;
    for (UINT_PTR value = 4; value <= 0x10000; value += 4)
        if (::GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags))
            ++count;
    return count;
}

BOOL CALLBACK CountWindow(HWND window, LPARAM context) {
    DWORD process = 0;
    ::GetWindowThreadProcessId(window, &process);
    if (process == ::GetCurrentProcessId()) {
        ++*reinterpret_cast<DWORD*>(context);
        ::EnumChildWindows(window, CountWindow, context);
    }
    return TRUE;
}

DWORD CountOwnWindows() {
    DWORD count = 0;
    ::EnumWindows(CountWindow, reinterpret_cast<LPARAM>(&count));
    return count;
}

}  // namespace

ResourceUsage MeasureResourceUsage() {
    const HANDLE self = ::GetCurrentProcess();
    ResourceUsage usage;
    usage.gdiObjects = ::GetGuiResources(self, GR_GDIOBJECTS);
    if (usage.gdiObjects == 0)
        usage.gdiObjects = CountLiveGdiObjects();
    usage.userObjects = ::GetGuiResources(self, GR_USEROBJECTS);
    if (usage.userObjects == 0)
        usage.userObjects = CountOwnWindows();
    if (!::GetProcessHandleCount(self, &usage.handles) || usage.handles == 0)
        usage.handles = CountLiveHandles();
    PROCESS_MEMORY_COUNTERS_EX memory{};
    memory.cb = sizeof(memory);
    if (::GetProcessMemoryInfo(self, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory), sizeof(memory)))
        usage.privateBytes = memory.PrivateUsage != 0 ? memory.PrivateUsage : memory.PagefileUsage;
    return usage;
}

UINT ResourceUsageMessage() {
    static const UINT message = ::RegisterWindowMessageW(L"Quenvale.ResourceUsage");
    return message;
}

LRESULT AnswerResourceUsage(WPARAM kind) {
    const ResourceUsage usage = MeasureResourceUsage();
    switch (static_cast<ResourceKind>(kind)) {
    case ResourceKind::Gdi:
        return static_cast<LRESULT>(usage.gdiObjects);
    case ResourceKind::User:
        return static_cast<LRESULT>(usage.userObjects);
    case ResourceKind::Handles:
        return static_cast<LRESULT>(usage.handles);
    case ResourceKind::PrivateKiB:
        return static_cast<LRESULT>(usage.privateBytes / 1024);
    }
    return -1;
}

}  // namespace qmo
