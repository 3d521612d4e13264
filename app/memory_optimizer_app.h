#pragma once
#include <memory>

#include "app/single_instance.h"
#include "config/logon_task_win32.h"
#include "config/registry_profile.h"
#include "config/registry_run_entry.h"
#include "framework/application.h"

namespace qmo {

class CMainFrame;

// HKEY_CURRENT_USER\Software\<key>\<application title>: where the settings live.
std::wstring SettingsProfilePath();

class CMemoryOptimizerApp : public qmo::Application {
public:
    CMemoryOptimizerApp();
    ~CMemoryOptimizerApp() override;

    // A second start that ends without bringing up the first instance.
    void SetQuietSecondStart(bool quiet) noexcept { m_quietSecondStart = quiet; }

protected:
    bool InitInstance() override;

private:
    // Created before anything else, so a second start is known at once.
    qmo::SingleInstanceGuard m_instanceGuard;
    qmo::TaskSchedulerLogonTasks m_logonTasks;
    qmo::RegistryRunEntry m_runEntry{HKEY_LOCAL_MACHINE, qmo::kRunKeyPath, &m_logonTasks};
    std::unique_ptr<qmo::RegistryProfile> m_profile;
    std::unique_ptr<CMainFrame> m_frame;
    bool m_quietSecondStart = false;
};

}  // namespace qmo
