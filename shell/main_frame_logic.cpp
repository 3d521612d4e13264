#include "shell/main_frame_logic.h"

void MainFrameLogic::ToggleMainWindow() {
    m_bHidden = !m_bHidden;
    if (m_bHidden) {
        ShowBalloonTip();
        HideWindow();
    } else {
        ShowWindowWithTitle();
    }
}

void MainFrameLogic::ShowMainWindowIfHidden() {
    if (!IsWindowShown())
        ToggleMainWindow();
}

void MainFrameLogic::OnActivateFirstInstance() {
    if (!m_bHidden)
        return;
    m_bHidden = false;
    ShowWindowWithTitle();
}

void MainFrameLogic::OnMinimized() {
    RestoreWindow();
    if (m_bHidden) {
        // Minimized while the frame already counts as hidden (a start-up show
        // command from a "minimized" shortcut): hiding keeps flag and window in
        // agreement, where a toggle would mark a hidden window as visible.
        HideWindow();
        return;
    }
    ToggleMainWindow();
}

void MainFrameLogic::OptimizeNow() {
    RequestOptimization(qmo::OptimizationStart::SilentWhenHidden);
}

bool MainFrameLogic::RequestOptimization(qmo::OptimizationStart start) {
    if (m_bOptimizeCommandRunning)
        return false;
    m_bOptimizeCommandRunning = 1;
    RunOptimizationDialog(start == qmo::OptimizationStart::SilentWhenHidden && !IsWindowShown());
    m_bOptimizeCommandRunning = 0;
    if (m_bExitPending) {
        m_bExitPending = false;
        PostExit();
    }
    return true;
}

void MainFrameLogic::Exit() {
    if (m_bOptimizeCommandRunning) {
        m_bExitPending = true;
        return;
    }
    DestroyFrame();
}

void MainFrameLogic::OnSessionEnding() {
    if (m_bOptimizeCommandRunning)
        WaitForOptimizationWorker();
    m_bExitPending = false;
    DestroyFrame();
}

void MainFrameLogic::LoadSettings() {
    qmo::ReadSettings(SettingsProfile(), m_settings);
}

void MainFrameLogic::SaveSettings(qmo::LogonTaskUpdate task) {
    qmo::WriteSettings(SettingsProfile(), m_settings);
    qmo::UpdateRunEntry(RunEntry(), !m_settings.m_bRunAtStartup, task);
}

void MainFrameLogic::ApplySettings(const OptimizerSettings& settings, qmo::LogonTaskUpdate task) {
    m_settings = settings;
    SaveSettings(task);
}
