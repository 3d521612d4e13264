#pragma once
// A function of a system DLL looked up when first needed rather than
// imported: for calls newer than the oldest system the program runs on, and
// for DLLs that cost start-up time and memory but serve one rare path (a
// screen reader's request, the logon task's user name).
#include <windows.h>

#include <string>

namespace qmo {

// The DLL from the system directory (never from beside the program or the
// current directory); null when it is not there.
inline HMODULE SystemLibrary(const wchar_t* module) noexcept {
    if (HMODULE loaded = ::GetModuleHandleW(module))
        return loaded;
    if (HMODULE loaded = ::LoadLibraryExW(module, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32))
        return loaded;
    // Windows 7 without its loader update knows no search flags: the full path then.
    wchar_t directory[MAX_PATH] = {};
    const UINT length = ::GetSystemDirectoryW(directory, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return nullptr;
    const std::wstring path = std::wstring(directory, length) + L"\\" + module;
    return ::LoadLibraryW(path.c_str());
}

// Null when the DLL or the function is not there. The DLL stays loaded.
template <typename Function>
Function SystemFunction(const wchar_t* module, const char* name) noexcept {
    HMODULE library = SystemLibrary(module);
    return library ? reinterpret_cast<Function>(reinterpret_cast<void*>(::GetProcAddress(library, name))) : nullptr;
}

}  // namespace qmo
