#pragma once
// What the driver's files share: the command line, failing with a reason,
// waiting with a deadline, and finding windows. driver.cpp runs the commands.
#include <windows.h>

#include <cstddef>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

#include "framework/unique_handle.h"

namespace qmo::e2e {

inline constexpr wchar_t kFrameClass[] = L"Quenvale.MainFrame";
inline constexpr DWORD kPollMs = 50;

// driver.cpp: reporting, waiting and the command line.
[[noreturn]] void Fail(const std::wstring& reason);
std::wstring Quoted(const std::wstring& text);
// Polls until `unmet` has nothing left to report; at the deadline fails with
// its last report, so the reason names what never happened.
void WaitUntil(DWORD timeoutMs, const std::function<std::wstring()>& unmet);

struct Args {
    std::vector<std::wstring> words;
    std::vector<std::wstring> flags;
    DWORD timeoutMs = 10000;

    bool Has(const wchar_t* flag) const {
        for (const auto& given : flags)
            if (given == flag)
                return true;
        return false;
    }
    // A mistyped flag must not turn a check into a silent pass.
    void Allow(std::initializer_list<const wchar_t*> known, std::size_t wordCount) const {
        for (const auto& given : flags) {
            bool found = false;
            for (const wchar_t* flag : known)
                found = found || given == flag;
            if (!found)
                Fail(L"unknown option " + given);
        }
        if (words.size() != wordCount)
            Fail(L"expected " + std::to_wstring(wordCount) + L" arguments, got " + std::to_wstring(words.size()));
    }
};

// Message and command numbers, by the names the ring uses or as numbers.
UINT_PTR ParseNumber(const std::wstring& text);

// driver_windows.cpp: finding windows.
std::wstring ClassOf(HWND window);
std::wstring TextOf(HWND window);
std::vector<HWND> TopLevelWindows(const std::wstring& className);
// The first visible window below `parent`, at any depth, that `matches`.
HWND FirstShownChild(HWND parent, const std::function<bool(HWND)>& matches);
// The main window, or empty with `unmet` saying why.
HWND LookUpFrame(std::wstring& unmet);
HWND RequireFrame();

inline qmo::unique_kernel_handle OpenWindowProcess(HWND window, DWORD access) {
    DWORD processId = 0;
    ::GetWindowThreadProcessId(window, &processId);
    return qmo::unique_kernel_handle(processId ? ::OpenProcess(access, FALSE, processId) : nullptr);
}

// Memory in a window's process for a message that passes a pointer. It fails
// when the memory cannot be had, unless not `required`: then it is empty.
class RemoteBuffer {
public:
    RemoteBuffer(HWND window, std::size_t size, bool required = true)
        : m_process(OpenWindowProcess(window, PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE)) {
        if (m_process)
            m_address = ::VirtualAllocEx(m_process.get(), nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
        if (!m_address && required)
            Fail(m_process ? L"cannot allocate memory in the program's process" : L"cannot open the program's process");
    }
    RemoteBuffer(const RemoteBuffer&) = delete;
    RemoteBuffer& operator=(const RemoteBuffer&) = delete;
    ~RemoteBuffer() {
        if (m_address)
            ::VirtualFreeEx(m_process.get(), m_address, 0, MEM_RELEASE);
    }

    explicit operator bool() const { return m_address != nullptr; }
    BYTE* At(std::size_t offset) const { return static_cast<BYTE*>(m_address) + offset; }
    bool TryWrite(std::size_t offset, const void* data, std::size_t size) const {
        return ::WriteProcessMemory(m_process.get(), At(offset), data, size, nullptr);
    }
    bool TryRead(std::size_t offset, void* data, std::size_t size) const {
        return ::ReadProcessMemory(m_process.get(), At(offset), data, size, nullptr);
    }
    void Write(std::size_t offset, const void* data, std::size_t size) const {
        if (!TryWrite(offset, data, size))
            Fail(L"cannot write to the program's process");
    }
    void Read(std::size_t offset, void* data, std::size_t size) const {
        if (!TryRead(offset, data, size))
            Fail(L"cannot read from the program's process");
    }

private:
    qmo::unique_kernel_handle m_process;
    void* m_address = nullptr;
};

// The subcommands, by the file that holds them.
using Command = int(const Args& args);
// driver_windows.cpp
Command WaitWindow, WaitGone, WaitDialog, PaintedDialog, CheckMessageBox, PressOk, NoMessageBox, WaitHelpWindow;
// driver_input.cpp
int Deliver(const Args& args, bool post);
Command PostCommands, PostFromTray, StopProgram, SetControlText, ClickControl, PostClickControl, CheckControlText,
    CheckChecked, PressCtrlAlt;
// driver_screen.cpp
Command WaitLivePerformance, WaitPopup, NoPopup, PopupColour, PopupText, WaitTrayIcon, WaitBalloon;
// driver_registry.cpp
Command ResetRegistry, SeedSettings, CheckSettings, SeedRunEntry, CheckRunEntry, CheckNoRunEntry,
    CheckUninstallEntry;
// driver_processes.cpp
Command ClickListHeader, CheckProcessList, CheckListRow, Hold, WaitHeld, Release;
// driver_product.cpp
Command CheckVersion, CheckShortcut, StartShortcut, CheckTask;

}  // namespace qmo::e2e
