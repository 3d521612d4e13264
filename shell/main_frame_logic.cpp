#include "shell/main_frame_logic.h"

#include <algorithm>

#include "framework/event_log.h"

namespace qmo {

void MainFrameLogic::ToggleMainWindow() {
    if (!m_bCreated)
        return;
    m_bHidden = !m_bHidden;
    if (m_bHidden) {
        m_window.ShowBalloonTip();
        m_window.HideWindow();
    } else {
        m_window.ShowWindowWithTitle();
    }
}

void MainFrameLogic::ShowMainWindowIfHidden() {
    if (!m_window.IsWindowShown())
        ToggleMainWindow();
}

void MainFrameLogic::OnActivateFirstInstance() {
    if (!m_bCreated || !m_bHidden)
        return;
    m_bHidden = false;
    m_window.ShowWindowWithTitle();
}

void MainFrameLogic::OnMinimized() {
    if (!m_bCreated)
        return;
    m_window.RestoreWindow();
    if (m_bHidden) {
        // Minimized while the frame already counts as hidden (a start-up show
        // command from a "minimized" shortcut): hiding keeps flag and window in
        // agreement, where a toggle would mark a hidden window as visible.
        m_window.HideWindow();
        return;
    }
    ToggleMainWindow();
}

void MainFrameLogic::OptimizeNow(qmo::RunTrigger trigger) {
    RequestOptimization(qmo::OptimizationStart::SilentWhenHidden, trigger);
}

bool MainFrameLogic::RequestOptimization(qmo::OptimizationStart start, qmo::RunTrigger trigger) {
    if (trigger != qmo::RunTrigger::Automatic && !ManualOptimizationAllowed())
        return false;
    if (!m_bCreated || m_bOptimizeCommandRunning || !m_memory.BeginRun(trigger, qmo::RunChoicesOf(m_settings)))
        return false;
    m_bOptimizeCommandRunning = 1;
    m_window.RunOptimizationDialog(start == qmo::OptimizationStart::SilentWhenHidden && !m_window.IsWindowShown());
    m_bOptimizeCommandRunning = 0;
    m_memory.CloseRun();
    if (m_bExitPending) {
        m_bExitPending = false;
        m_window.PostExit();
    }
    return true;
}

bool MainFrameLogic::OptimizeProcess(std::uint32_t processId) {
    return m_bCreated && !m_bOptimizeCommandRunning && ManualOptimizationAllowed() &&
           m_memory.OptimizeProcess(processId);
}

std::optional<qmo::RunRecord> MainFrameLogic::RunAutomaticOptimization() {
    if (!m_bCreated || m_bOptimizeCommandRunning)
        return std::nullopt;
    return m_memory.RunWithoutWindow(qmo::RunTrigger::Automatic, qmo::RunChoicesOf(m_settings));
}

void MainFrameLogic::Exit() {
    if (!m_bCreated)
        return;
    if (m_bOptimizeCommandRunning) {
        m_bExitPending = true;
        return;
    }
    m_window.DestroyFrame();
}

void MainFrameLogic::OnSessionEnding() {
    if (!m_bCreated)
        return;
    if (m_bOptimizeCommandRunning)
        m_window.WaitForOptimizationWorker();
    m_bExitPending = false;
    m_window.DestroyFrame();
}

void MainFrameLogic::LoadSettings() {
    qmo::ReadSettings(m_profile, m_userSettings);
    ReadPolicy();
    m_settings = qmo::UnderPolicy(m_userSettings, m_policy);
}

void MainFrameLogic::ReadPolicy() {
    m_policy = m_policySource ? qmo::ReadSettingsPolicy(*m_policySource) : qmo::SettingsPolicy{};
    for (const qmo::IgnoredPolicyValue& ignored : m_policy.ignored) {
        if (std::find(m_reportedIgnored.begin(), m_reportedIgnored.end(), ignored) != m_reportedIgnored.end())
            continue;
        m_reportedIgnored.push_back(ignored);
        if (m_events)
            m_events->Report(qmo::ProgramEvent::PolicyValueIgnored, {ignored.where, ignored.why});
    }
}

void MainFrameLogic::OnPolicyChanged() {
    const qmo::SettingsPolicy before = m_policy;
    ReadPolicy();
    if (m_policy == before)
        return;
    const OptimizerSettings used = m_settings;
    m_settings = qmo::UnderPolicy(m_userSettings, m_policy);
    // Only the Run entry follows: the user's record holds nothing the policy changed.
    if (m_settings.m_bRunAtStartup != used.m_bRunAtStartup)
        qmo::UpdateRunEntry(m_runEntry, !m_settings.m_bRunAtStartup);
    FollowSettings(used);
    m_window.PolicyChanged();
}

void MainFrameLogic::FollowSettings(const OptimizerSettings& before) {
    m_shortcut.Follow(m_settings);
    if (m_settings.m_trayIconShows != before.m_trayIconShows || m_settings.m_theme != before.m_theme)
        m_window.AppearanceChanged();
}

qmo::MemoryAreaAvailability MainFrameLogic::AreaAvailability() const {
    qmo::MemoryAreaAvailability available;
    available.systemCache = !m_memory.AreaKnownUnavailable(qmo::MemoryArea::SystemCache);
    available.modifiedList = !m_memory.AreaKnownUnavailable(qmo::MemoryArea::ModifiedList);
    available.standbyList = !m_memory.AreaKnownUnavailable(qmo::MemoryArea::StandbyList);
    available.combinePages = !m_memory.AreaKnownUnavailable(qmo::MemoryArea::CombinePages);
    return available;
}

void MainFrameLogic::SaveSettings(qmo::LogonTaskUpdate task) {
    // What a policy sets is never written: the record keeps the user's own.
    qmo::WriteSettings(m_profile, m_userSettings);
    qmo::UpdateRunEntry(m_runEntry, !m_settings.m_bRunAtStartup, task);
}

void MainFrameLogic::ApplySettings(const OptimizerSettings& settings, qmo::LogonTaskUpdate task) {
    const OptimizerSettings before = m_settings;
    m_userSettings = qmo::UserPartOf(settings, m_userSettings, m_policy);
    m_settings = qmo::UnderPolicy(m_userSettings, m_policy);
    SaveSettings(task);
    FollowSettings(before);
}

}  // namespace qmo
