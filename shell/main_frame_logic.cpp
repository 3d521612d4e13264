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

void MainFrameLogic::OptimizeNow() {
    RequestOptimization(qmo::OptimizationStart::SilentWhenHidden);
}

bool MainFrameLogic::RequestOptimization(qmo::OptimizationStart start) {
    if (!m_bCreated || m_bOptimizeCommandRunning)
        return false;
    m_bOptimizeCommandRunning = 1;
    m_window.RunOptimizationDialog(start == qmo::OptimizationStart::SilentWhenHidden && !m_window.IsWindowShown());
    m_bOptimizeCommandRunning = 0;
    if (m_bExitPending) {
        m_bExitPending = false;
        m_window.PostExit();
    }
    return true;
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

void MainFrameLogic::SaveSettings(qmo::LogonTaskUpdate task) {
    qmo::WriteSettings(m_profile, m_settings);
    qmo::UpdateRunEntry(m_runEntry, !m_settings.m_bRunAtStartup, task);
}

void MainFrameLogic::ApplySettings(const OptimizerSettings& settings, qmo::LogonTaskUpdate task) {
    m_settings = settings;
    SaveSettings(task);
    m_shortcut.Follow(m_settings);
}

}  // namespace qmo
