#include "config/registry_run_entry.h"

#include "config/logon_task_win32.h"
#include "framework/text.h"
#include "framework/unique_handle.h"

namespace qmo {

std::wstring ModuleFilePath() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0)
            return {};
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        if (path.size() >= 32768)
            return {};
        path.resize(path.size() * 2);
    }
}

RegistryRunEntry::RegistryRunEntry(HKEY root, std::wstring keyPath, LogonTaskScheduler* logonTasks)
    : m_root(root),
      m_keyPath(std::move(keyPath)),
      m_logonTasks(logonTasks ? std::make_unique<LogonTaskKeeper>(*logonTasks) : nullptr) {}

std::string RegistryRunEntry::ExecutablePath() {
    return Narrow(ModuleFilePath());
}

bool RegistryRunEntry::WriteRunValue(const std::string& data) {
    HKEY opened = nullptr;
    if (::RegOpenKeyExW(m_root, m_keyPath.c_str(), 0, KEY_WRITE, &opened) != ERROR_SUCCESS)
        return false;
    unique_hkey key(opened);
    const std::wstring text = Widen(data);
    const DWORD size = static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t));
    return ::RegSetValueExW(key.get(), Widen(kRunValueName).c_str(), 0, REG_SZ,
                            reinterpret_cast<const BYTE*>(text.c_str()), size) == ERROR_SUCCESS;
}

void RegistryRunEntry::KeepLogonTaskInStep(const std::string& executablePath, bool enabled) {
    if (m_logonTasks)
        m_logonTasks->Request(executablePath, enabled);
}

void RegistryRunEntry::WaitForLogonTask() {
    if (m_logonTasks)
        m_logonTasks->WaitUntilIdle();
}

void UpdateRunEntry(bool clear) {
    qmo::TaskSchedulerLogonTasks logonTasks;
    qmo::RegistryRunEntry entry(HKEY_LOCAL_MACHINE, qmo::kRunKeyPath, &logonTasks);
    qmo::UpdateRunEntry(entry, clear);
}

}  // namespace qmo
