#pragma once
// The memory areas and readings on the real system. The ntdll entry points
// and SetSystemFileCacheSize are looked up when the object is made, never
// imported: a system without them answers "not available".
#include <windows.h>

#include "optimizer/memory_areas.h"
#include "optimizer/memory_reading.h"

namespace qmo {

using NtSetSystemInformationFunction = LONG(NTAPI*)(ULONG, PVOID, ULONG);
using NtQuerySystemInformationFunction = LONG(NTAPI*)(ULONG, PVOID, ULONG, PULONG);

class Win32MemoryAreaCalls : public MemoryAreaCalls {
public:
    Win32MemoryAreaCalls() noexcept;

    bool EnablePrivilege(SystemPrivilege privilege) override;
    CallAnswer FlushSystemFileCache() override;
    CallAnswer MemoryListCommand(std::uint32_t command) override;
    CallAnswer CombinePhysicalMemory(std::optional<std::uint64_t>& pagesCombined) override;
    std::string StatusText(const CallAnswer& answer) override;
    std::uint32_t PageSize() override;

private:
    using SetFileCacheSizeFunction = BOOL(WINAPI*)(SIZE_T, SIZE_T, DWORD);
    using StatusToErrorFunction = ULONG(NTAPI*)(LONG);

    NtSetSystemInformationFunction m_setSystemInformation;
    SetFileCacheSizeFunction m_setFileCacheSize;
    StatusToErrorFunction m_statusToError;
};

// Each group of figures from the best source that answers: the lists from
// SystemMemoryListInformation; the commit charge and page faults from
// SystemPerformanceInformation, else GetPerformanceInfo; the file cache from
// GetPerformanceInfo; memory in use from GlobalMemoryStatusEx.
class Win32MemoryReader : public MemoryReader {
public:
    Win32MemoryReader() noexcept;
    MemoryReading Read() override;

private:
    NtQuerySystemInformationFunction m_querySystemInformation;
    std::uint32_t m_pageSize;
};

// The size of a page, from GetSystemInfo.
std::uint32_t SystemPageSize() noexcept;

}  // namespace qmo
