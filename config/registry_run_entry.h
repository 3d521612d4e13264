#pragma once
// The Run value under HKEY_LOCAL_MACHINE that starts the program at logon.
#include <windows.h>

#include <string>

#include "config/optimizer_settings.h"

namespace qmo {

inline constexpr wchar_t kRunKeyPath[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";

class RegistryRunEntry : public RunEntryStore {
public:
    RegistryRunEntry(HKEY root = HKEY_LOCAL_MACHINE, std::wstring keyPath = kRunKeyPath);

    std::string ExecutablePath() override;
    // REG_SZ with its terminating null. The key is opened, never created: a
    // missing or write-protected Run key leaves everything as it was.
    bool WriteRunValue(const std::string& data) override;

private:
    HKEY m_root;
    std::wstring m_keyPath;
};

// The full path of this executable, however long.
std::wstring ModuleFilePath();

}  // namespace qmo

// Writes the Run entry of this executable: its quoted path, or empty data when clearing.
void UpdateRunEntry(bool clear);
