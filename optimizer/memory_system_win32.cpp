#include "optimizer/memory_system_win32.h"

#include <psapi.h>

#include <cstddef>
#include <limits>
#include <string_view>

#include "framework/system_function.h"
#include "framework/text.h"
#include "framework/unique_handle.h"
#include "optimizer/memory_list_layout.h"

namespace qmo {

namespace {

constexpr ULONG kErrorMessageNotFound = 317;  // ERROR_MR_MID_NOT_FOUND: no Win32 error for the status

// What NtSetSystemInformation(SystemCombinePhysicalMemoryInformation) takes
// (MEMORY_COMBINE_INFORMATION_EX): no handle and no flags combine the whole system.
struct CombineInformation {
    HANDLE handle = nullptr;
    ULONG_PTR pagesCombined = 0;
    ULONG flags = 0;
};

CallAnswer NtAnswer(LONG status) {
    return CallAnswer{true, status >= 0, static_cast<std::uint32_t>(status), true};
}

std::string MessageText(DWORD flags, HMODULE module, DWORD id) {
    wchar_t* buffer = nullptr;
    const DWORD length =
        ::FormatMessageW(flags | FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_IGNORE_INSERTS, module, id, 0,
                         reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    const unique_local_text owned(buffer);
    std::wstring_view text(buffer ? buffer : L"", buffer ? length : 0);
    while (!text.empty() && (text.back() == L'\r' || text.back() == L'\n' || text.back() == L' '))
        text.remove_suffix(1);
    return Narrow(text);
}

const wchar_t* PrivilegeName(SystemPrivilege privilege) {
    return privilege == SystemPrivilege::IncreaseQuota ? SE_INCREASE_QUOTA_NAME : SE_PROF_SINGLE_PROCESS_NAME;
}

}  // namespace

std::uint32_t SystemPageSize() noexcept {
    SYSTEM_INFO info{};
    ::GetSystemInfo(&info);
    return info.dwPageSize;
}

Win32MemoryAreaCalls::Win32MemoryAreaCalls() noexcept
    : m_setSystemInformation(SystemFunction<NtSetSystemInformationFunction>(L"ntdll.dll", "NtSetSystemInformation")),
      m_setFileCacheSize(SystemFunction<SetFileCacheSizeFunction>(L"kernel32.dll", "SetSystemFileCacheSize")),
      m_statusToError(SystemFunction<StatusToErrorFunction>(L"ntdll.dll", "RtlNtStatusToDosError")) {}

bool Win32MemoryAreaCalls::EnablePrivilege(SystemPrivilege privilege) {
    HANDLE opened = nullptr;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &opened))
        return false;
    const unique_kernel_handle token(opened);
    TOKEN_PRIVILEGES privileges{};
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    if (!::LookupPrivilegeValueW(nullptr, PrivilegeName(privilege), &privileges.Privileges[0].Luid))
        return false;
    // Success with ERROR_NOT_ALL_ASSIGNED means the token lacks the privilege.
    if (!::AdjustTokenPrivileges(token.get(), FALSE, &privileges, 0, nullptr, nullptr))
        return false;
    return ::GetLastError() != ERROR_NOT_ALL_ASSIGNED;
}

CallAnswer Win32MemoryAreaCalls::FlushSystemFileCache() {
    if (!m_setFileCacheSize)
        return CallAnswer{false, false, 0, false};
    // Both limits at -1 empty the file cache's working set.
    if (m_setFileCacheSize(static_cast<SIZE_T>(-1), static_cast<SIZE_T>(-1), 0))
        return CallAnswer{true, true, 0, false};
    return CallAnswer{true, false, static_cast<std::uint32_t>(::GetLastError()), false};
}

CallAnswer Win32MemoryAreaCalls::MemoryListCommand(std::uint32_t command) {
    if (!m_setSystemInformation)
        return CallAnswer{false, false, 0, true};
    ULONG value = command;
    return NtAnswer(m_setSystemInformation(kSystemMemoryListInformation, &value, sizeof(value)));
}

CallAnswer Win32MemoryAreaCalls::CombinePhysicalMemory(std::optional<std::uint64_t>& pagesCombined) {
    pagesCombined.reset();
    if (!m_setSystemInformation)
        return CallAnswer{false, false, 0, true};
    // A count the system did not write stays at the mark.
    constexpr ULONG_PTR kUnwritten = ~ULONG_PTR{0};
    CombineInformation information;
    information.pagesCombined = kUnwritten;
    const CallAnswer answer =
        NtAnswer(m_setSystemInformation(kSystemCombinePhysicalMemoryInformation, &information, sizeof(information)));
    if (answer.succeeded && information.pagesCombined != kUnwritten)
        pagesCombined = information.pagesCombined;
    return answer;
}

std::string Win32MemoryAreaCalls::StatusText(const CallAnswer& answer) {
    if (!answer.statusIsNt)
        return MessageText(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, answer.status);
    std::string text = MessageText(FORMAT_MESSAGE_FROM_HMODULE, ::GetModuleHandleW(L"ntdll.dll"), answer.status);
    // ntdll without a message table (wine's): the Win32 error the status stands for.
    if (text.empty() && m_statusToError) {
        const ULONG error = m_statusToError(static_cast<LONG>(answer.status));
        if (error != kErrorMessageNotFound && error != ERROR_SUCCESS)
            text = MessageText(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, error);
    }
    return text;
}

std::uint32_t Win32MemoryAreaCalls::PageSize() {
    return SystemPageSize();
}

Win32MemoryReader::Win32MemoryReader() noexcept
    : m_querySystemInformation(
          SystemFunction<NtQuerySystemInformationFunction>(L"ntdll.dll", "NtQuerySystemInformation")),
      m_pageSize(SystemPageSize()) {}

MemoryReading Win32MemoryReader::Read() {
    MemoryReading reading;
    // Room for the largest block a later system may write; aligned for the system's pointers.
    alignas(8) std::byte buffer[1024];
    const auto query = [&](ULONG informationClass, ULONG length) -> std::span<const std::byte> {
        ULONG returned = 0;
        if (!m_querySystemInformation || m_querySystemInformation(informationClass, buffer, length, &returned) < 0)
            return {};
        return std::span<const std::byte>(buffer, returned > 0 && returned < length ? returned : length);
    };

    // The lists' block has kept one size since it came; the performance block grew with the systems.
    ParseMemoryListInformation(query(kSystemMemoryListInformation, kMemoryListInformationSize), m_pageSize, reading);

    if (const auto figures =
            ParsePerformanceInformation(query(kSystemPerformanceInformation, sizeof(buffer)), m_pageSize)) {
        reading.commitCharge = figures->commitChargeBytes;
        reading.pageFaults = figures->pageFaults;
        reading.totalsSource = ReadingSource::PerformanceInformation;
    }

    PERFORMANCE_INFORMATION performance{};
    performance.cb = sizeof(performance);
    if (::GetPerformanceInfo(&performance, sizeof(performance))) {
        reading.systemCache = PagesToBytes(performance.SystemCache, static_cast<std::uint32_t>(performance.PageSize));
        if (reading.totalsSource == ReadingSource::None) {
            reading.commitCharge =
                PagesToBytes(performance.CommitTotal, static_cast<std::uint32_t>(performance.PageSize));
            reading.totalsSource = ReadingSource::PerformanceInfo;
        }
    }

    MEMORYSTATUSEX status{};
    status.dwLength = sizeof(status);
    if (::GlobalMemoryStatusEx(&status) && status.ullAvailPhys <= status.ullTotalPhys &&
        status.ullTotalPhys - status.ullAvailPhys <= static_cast<DWORDLONG>(std::numeric_limits<std::int64_t>::max())) {
        reading.inUse = static_cast<std::int64_t>(status.ullTotalPhys - status.ullAvailPhys);
        reading.inUseSource = ReadingSource::MemoryStatus;
    }
    return reading;
}

}  // namespace qmo
