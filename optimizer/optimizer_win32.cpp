#include "optimizer/optimizer_win32.h"

#include <commctrl.h>
#include <malloc.h>
#include <psapi.h>
#include <tlhelp32.h>

#include <cstdlib>

#include "framework/unique_handle.h"

namespace qmo {

std::optional<std::vector<std::uint32_t>> Win32ProcessSystem::SnapshotProcessIds() {
    unique_kernel_handle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot)
        return std::nullopt;
    std::vector<std::uint32_t> ids;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof(entry);
    for (BOOL more = ::Process32FirstW(snapshot.get(), &entry); more; more = ::Process32NextW(snapshot.get(), &entry))
        ids.push_back(entry.th32ProcessID);
    return ids;
}

ProcessSystem::Handle Win32ProcessSystem::OpenProcess(std::uint32_t access, bool inheritHandle,
                                                       std::uint32_t processId) {
    return reinterpret_cast<Handle>(::OpenProcess(access, inheritHandle ? TRUE : FALSE, processId));
}

bool Win32ProcessSystem::SetWorkingSetSize(Handle process, std::size_t minimum, std::size_t maximum) {
    return ::SetProcessWorkingSetSize(reinterpret_cast<HANDLE>(process), minimum, maximum) != FALSE;
}

bool Win32ProcessSystem::EmptyProcessWorkingSet(Handle process) {
    return ::EmptyWorkingSet(reinterpret_cast<HANDLE>(process)) != FALSE;
}

void Win32ProcessSystem::CloseProcess(Handle process) {
    ::CloseHandle(reinterpret_cast<HANDLE>(process));
}

void* CrtSweepHeap::Allocate(std::size_t size) {
    return std::malloc(size);
}

void CrtSweepHeap::Free(void* block) {
    std::free(block);
}

void CrtSweepHeap::Minimize() {
    _heapmin();
    ::HeapCompact(::GetProcessHeap(), 0);
}

void ProgressBarSink::SetPosition(int position) {
    ::SendMessageW(m_progressBar, PBM_SETPOS, static_cast<WPARAM>(position), 0);
}

}  // namespace qmo
