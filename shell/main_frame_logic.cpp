#include "shell/main_frame_logic.h"

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
    if (!m_bCreated || m_bOptimizeCommandRunning || !m_memory.BeginRun(trigger, qmo::RunChoices(m_settings)))
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
    return m_bCreated && !m_bOptimizeCommandRunning && m_memory.OptimizeProcess(processId);
}

std::optional<qmo::RunRecord> MainFrameLogic::RunAutomaticOptimization() {
    if (!m_bCreated || m_bOptimizeCommandRunning)
        return std::nullopt;
    return m_memory.RunWithoutWindow(qmo::RunTrigger::Automatic, qmo::RunChoices(m_settings));
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
    qmo::ReadSettings(m_profile, m_settings);
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
    qmo::WriteSettings(m_profile, m_settings);
    qmo::UpdateRunEntry(m_runEntry, !m_settings.m_bRunAtStartup, task);
}

void MainFrameLogic::ApplySettings(const OptimizerSettings& settings, qmo::LogonTaskUpdate task) {
    const bool appearance =
        settings.m_trayIconShows != m_settings.m_trayIconShows || settings.m_theme != m_settings.m_theme;
    m_settings = settings;
    SaveSettings(task);
    m_shortcut.Follow(m_settings);
    if (appearance)
        m_window.AppearanceChanged();
}

}  // namespace qmo
