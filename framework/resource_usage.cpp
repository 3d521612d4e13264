#include "framework/resource_usage.h"

#include <psapi.h>

#include <algorithm>
#include <cstddef>
#include <optional>
#include <vector>

#include "framework/identity.h"
#include "framework/system_function.h"

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

// Wine's list of every process's handles, one request to its server; its
// entries name their process by a full 32-bit id. Empty when not to be had.
std::optional<DWORD> CountHandlesInSystemList() {
    using Query = LONG(WINAPI*)(ULONG, PVOID, ULONG, PULONG);
    static const auto query = SystemFunction<Query>(L"ntdll.dll", "NtQuerySystemInformation");
    if (!query)
        return std::nullopt;
    struct Entry {
        ULONG process;
        BYTE type, flags;
        USHORT handle;
        PVOID object;
        ACCESS_MASK access;
    };
    struct List {
        ULONG count;
        Entry entries[1];
    };
    constexpr ULONG kSystemHandleInformation = 16;
    constexpr LONG kInfoLengthMismatch = static_cast<LONG>(0xC0000004L);
    std::vector<std::byte> buffer(std::size_t{64} * 1024);
    for (int tries = 0; tries < 8; ++tries) {
        ULONG needed = 0;
        const LONG status = query(kSystemHandleInformation, buffer.data(), static_cast<ULONG>(buffer.size()), &needed);
        if (status == kInfoLengthMismatch) {
            buffer.resize(std::max<std::size_t>(buffer.size() * 2, needed));
            continue;
        }
        if (status != 0)
            return std::nullopt;
        const auto* list = reinterpret_cast<const List*>(buffer.data());
        const std::size_t room = (buffer.size() - offsetof(List, entries)) / sizeof(Entry);
        const std::size_t count = std::min<std::size_t>(list->count, room);
        const DWORD self = ::GetCurrentProcessId();
        DWORD own = 0;
        for (std::size_t i = 0; i < count; ++i)
            if (list->entries[i].process == self)
                ++own;
        // Every process holds some: none found means entries laid out otherwise.
        return own != 0 ? std::optional<DWORD>(own) : std::nullopt;
    }
    return std::nullopt;
}

// Kernel handles are multiples of four; each probe is a round trip to wine's
// server, some 3 s for the whole range, so this is the last resort.
DWORD CountLiveHandles() {
    if (const std::optional<DWORD> listed = CountHandlesInSystemList())
        return *listed;
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

// The process's own GDI objects, without wine's idle cached DCs.
GdiCount MeasureGdi() {
    if (const DWORD counted = ::GetGuiResources(::GetCurrentProcess(), GR_GDIOBJECTS))
        return GdiCount{counted, 0};
    // An idle cached DC keeps its visible region: two objects each.
    const GdiCount gdi = CountLiveGdiObjects();
    return GdiCount{gdi.live - 2 * gdi.idleWindowDCs, gdi.idleWindowDCs};
}

DWORD MeasureUserObjects() {
    const DWORD counted = ::GetGuiResources(::GetCurrentProcess(), GR_USEROBJECTS);
    return counted != 0 ? counted : CountOwnWindows();
}

DWORD MeasureHandles() {
    DWORD handles = 0;
    if (!::GetProcessHandleCount(::GetCurrentProcess(), &handles) || handles == 0)
        handles = CountLiveHandles();
    return handles;
}

SIZE_T MeasurePrivateBytes() {
    PROCESS_MEMORY_COUNTERS_EX memory{};
    memory.cb = sizeof(memory);
    if (!::GetProcessMemoryInfo(::GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory),
                                sizeof(memory)))
        return 0;
    return memory.PrivateUsage != 0 ? memory.PrivateUsage : memory.PagefileUsage;
}

}  // namespace

ResourceUsage MeasureResourceUsage() {
    ResourceUsage usage;
    const GdiCount gdi = MeasureGdi();
    usage.gdiObjects = gdi.live;
    usage.idleWindowDCs = gdi.idleWindowDCs;
    usage.userObjects = MeasureUserObjects();
    usage.handles = MeasureHandles();
    usage.privateBytes = MeasurePrivateBytes();
    return usage;
}

LONG CountGdiObjectsOfType(DWORD type) {
    if (type == 0 || ::GetGuiResources(::GetCurrentProcess(), GR_GDIOBJECTS) != 0)
        return -1;
    return static_cast<LONG>(CountLiveGdiObjects(type).live);
}

UINT ResourceUsageMessage() {
    static const UINT message = ::RegisterWindowMessageW(kResourceUsageMessageName);
    return message;
}

// Only the figure asked for is measured: a whole measure holds the caller's
// thread for as long as its slowest figure takes.
LRESULT AnswerResourceUsage(WPARAM kind) {
    const auto ofType = static_cast<WPARAM>(ResourceKind::GdiOfType);
    if (kind > ofType && kind <= ofType + OBJ_COLORSPACE)
        return CountGdiObjectsOfType(static_cast<DWORD>(kind - ofType));
    switch (static_cast<ResourceKind>(kind)) {
    case ResourceKind::Gdi:
        return static_cast<LRESULT>(MeasureGdi().live);
    case ResourceKind::User:
        return static_cast<LRESULT>(MeasureUserObjects());
    case ResourceKind::Handles:
        return static_cast<LRESULT>(MeasureHandles());
    case ResourceKind::PrivateKiB:
        return static_cast<LRESULT>(MeasurePrivateBytes() / 1024);
    case ResourceKind::IdleWindowDCs:
        return static_cast<LRESULT>(MeasureGdi().idleWindowDCs);
    case ResourceKind::GdiOfType:
        break;
    }
    return -1;
}

}  // namespace qmo
