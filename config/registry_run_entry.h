#pragma once
// The Run value under HKEY_LOCAL_MACHINE that starts the program at logon.
#include <windows.h>

#include <memory>
#include <string>

#include "config/logon_task_keeper.h"
#include "config/optimizer_settings.h"

namespace qmo {

inline constexpr wchar_t kRunKeyPath[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";

class RegistryRunEntry : public RunEntryStore {
public:
    // With a scheduler, saves also keep the elevated logon task in step, on a
    // worker this entry waits for when it goes.
    RegistryRunEntry(HKEY root = HKEY_LOCAL_MACHINE, std::wstring keyPath = kRunKeyPath,
                     LogonTaskScheduler* logonTasks = nullptr);

    std::string ExecutablePath() override;
    // REG_SZ with its terminating null. The key is opened, never created: a
    // missing or write-protected Run key leaves everything as it was.
    bool WriteRunValue(const std::string& data) override;
    void KeepLogonTaskInStep(const std::string& executablePath, bool enabled) override;
    // Returns when the logon task is as the last save asked.
    void WaitForLogonTask();

private:
    HKEY m_root;
    std::wstring m_keyPath;
    std::unique_ptr<LogonTaskKeeper> m_logonTasks;
};

// The full path of this executable, however long.
std::wstring ModuleFilePath();

// Writes the Run entry of this executable (its quoted path, or empty data when
// clearing) and registers or removes its logon task.
void UpdateRunEntry(bool clear);

}  // namespace qmo
