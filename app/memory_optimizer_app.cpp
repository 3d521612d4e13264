#include "app/memory_optimizer_app.h"

#include "config/optimizer_settings.h"
#include "config/registry_policy.h"
#include "config/shipped_languages.h"
#include "framework/resource_language.h"
#include "framework/startup_trace.h"
#include "res/messages.h"
#include "res/resource.h"
#include "pages/frame_texts.h"
#include "shell/main_frame.h"

namespace qmo {

std::wstring SettingsProfilePath() {
    return qmo::kSettingsKeyPath;
}

CMemoryOptimizerApp::CMemoryOptimizerApp() : m_instanceGuard(qmo::kSingleInstanceMutexName) {}

CMemoryOptimizerApp::~CMemoryOptimizerApp() = default;

bool CMemoryOptimizerApp::InitInstance() {
    if (m_instanceGuard.AnotherInstanceRuns()) {
        if (!m_quietSecondStart)
            qmo::HandOverToFirstInstance(qmo::kMainFrameClassName, qmo::kEarlierMainWindowTitle, WM_ACTIVATE_FIRST_INSTANCE);
        return false;
    }
    qmo::MarkStartupStep("single-instance");

    m_profile = std::make_unique<qmo::RegistryProfile>(HKEY_CURRENT_USER, SettingsProfilePath());
    // Every menu, dialog and text from here on is in the chosen language.
    qmo::RegistryPolicySource policy;
    SetResourceLanguage(qmo::ChosenLanguage(qmo::LanguageInUse(*m_profile, policy)).resources);
    SetApplicationTitle(qmo::LoadResourceString(IDS_APPLICATION_TITLE));

    m_frame = std::make_unique<CMainFrame>(*m_profile, m_runEntry);
    if (!m_frame->Create()) {
        m_frame.reset();
        return false;
    }
    SetMainWindow(m_frame.get());

    // Seen only for a moment while it is created; the program lives in the tray.
    m_frame->ShowForAMomentAtStart();
    return true;
}

}  // namespace qmo
