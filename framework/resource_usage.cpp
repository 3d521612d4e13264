#include "framework/resource_usage.h"

#include <psapi.h>

namespace qmo {
namespace {

struct GdiCount {
    DWORD live = 0;
    DWORD idleWindowDCs = 0;
};

// GDI handles carry their table index in the low word; a handle with a zero
// high word names whichever object holds that slot. A type of 0 counts all.
GdiCount CountLiveGdiObjects(DWORD type = 0) {
    GdiCount count;
    for (UINT_PTR slot = 1; slot <= 0xFFFF; ++slot) {
        const auto object = reinterpret_cast<HGDIOBJ>(slot);
        const DWORD found = ::GetObjectType(object);
        if (found == 0 || (type != 0 && found != type))
            continue;
        ++count.live;
        // Wine disables a cached window DC when it is released, and every
        // call on it fails until the next GetDC or BeginPaint hands it out.
        RECT box{};
        if (found == OBJ_DC && ::GetClipBox(static_cast<HDC>(object), &box) == ERROR)
            ++count.idleWindowDCs;
    }
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
    if (usage.gdiObjects == 0) {
        // An idle cached DC keeps its visible region: two objects each.
        const GdiCount gdi = CountLiveGdiObjects();
        usage.gdiObjects = gdi.live - 2 * gdi.idleWindowDCs;
        usage.idleWindowDCs = gdi.idleWindowDCs;
    }
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

LONG CountGdiObjectsOfType(DWORD type) {
    if (type == 0 || ::GetGuiResources(::GetCurrentProcess(), GR_GDIOBJECTS) != 0)
        return -1;
    return static_cast<LONG>(CountLiveGdiObjects(type).live);
}

UINT ResourceUsageMessage() {
    static const UINT message = ::RegisterWindowMessageW(L"Quenvale.ResourceUsage");
    return message;
}

LRESULT AnswerResourceUsage(WPARAM kind) {
    const auto ofType = static_cast<WPARAM>(ResourceKind::GdiOfType);
    if (kind > ofType && kind <= ofType + OBJ_COLORSPACE)
        return CountGdiObjectsOfType(static_cast<DWORD>(kind - ofType));
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
    case ResourceKind::IdleWindowDCs:
        return static_cast<LRESULT>(usage.idleWindowDCs);
    case ResourceKind::GdiOfType:
        break;
    }
    return -1;
}

}  // namespace qmo
