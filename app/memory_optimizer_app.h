#pragma once
#include <memory>

#include "app/single_instance.h"
#include "config/registry_run_entry.h"
#include "framework/application.h"

class CMainFrame;

class CMemoryOptimizerApp : public qmo::Application {
public:
    CMemoryOptimizerApp();
    ~CMemoryOptimizerApp() override;

protected:
    bool InitInstance() override;

private:
    // Created before anything else, so a second start is known at once.
    qmo::SingleInstanceGuard m_instanceGuard;
    qmo::RegistryRunEntry m_runEntry;
    std::unique_ptr<CMainFrame> m_frame;
};
