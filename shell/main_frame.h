#pragma once
// The program's only top-level window: menus, tray icon, hide/show rules and
// the settings record the pages read.
#include <list>

#include "framework/frame_window.h"
#include "optimizer/freed_memory.h"
#include "optimizer/optimize_progress_dlg.h"
#include "optimizer/optimizer_win32.h"
#include "perf/performance_sampler.h"
#include "shell/main_frame_logic.h"
#include "shell/tessel_view.h"
#include "toolkit/popup_window.h"
#include "toolkit/tray_icon.h"

namespace qmo {

class CMainFrame : public qmo::FrameWindow, public PerformanceHost, private MainFrameWindow,
                   private qmo::OptimizationRunOwner, private qmo::HotkeyRegistrar {
public:
    CMainFrame(qmo::ProfileStore& profile, qmo::RunEntryStore& runEntry);

    // Creates the window (maximized style, menu 128, icon 128), not yet shown.
    bool Create();

    bool PreTranslateMessage(MSG& message) override;

    // The red notice that committed memory is above the critical limit.
    void ShowCriticalLimitPopup() override;
    // The green notice that an optimization has finished, with what it freed
    // when that is known; false if dropped.
    bool ShowOptimizedPopup(std::optional<std::uint64_t> freedBytes = std::nullopt);

    // The frame's rules and the settings record it holds.
    MainFrameLogic& Logic() noexcept { return m_logic; }
    const MainFrameLogic& Logic() const noexcept { return m_logic; }

    // PerformanceHost: what the performance page's tick reads.
    const OptimizerSettings& Settings() const override { return m_logic.Settings(); }
    bool IsOptimizing() const override { return m_logic.Optimizing(); }
    void AutomaticTrimFinished(std::optional<std::uint64_t> freedBytes) override;

    CTesselDesktopSuitFrameView& View() noexcept { return m_view; }
    const qmo::PopupWindow* ActivePopup() const noexcept { return m_pActivePopup; }
    qmo::TrayIcon& TrayIcon() noexcept { return m_trayIcon; }

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    bool OnSize(UINT type, int width, int height) override;
    bool OnDpiChanged(unsigned dpi, const RECT& suggested) override;
    bool OnCommand(UINT id, UINT code, HWND control) override;
    void OnDestroy() override;
    // The emergency shortcut: an optimization through the one gate.
    bool OnHotKey(int id, UINT modifiers, UINT virtualKey) override;

    // The window operations of the frame's rules.
    void ShowBalloonTip() override;
    void HideWindow() override;
    void ShowWindowWithTitle() override;
    bool IsWindowShown() const override;
    void RestoreWindow() override;
    void RunOptimizationDialog(bool silent) override;
    void WaitForOptimizationWorker() override;
    void PostExit() override;
    void DestroyFrame() override { DestroyWindow(); }
    // What a run's worker does; the full optimization.
    virtual COptimizeProgressDlg::Work OptimizationWork() { return {}; }
    // Where a run's freed memory is read; the system's physical memory.
    virtual qmo::PhysicalMemorySource& PhysicalMemory() { return m_physicalMemory; }
    // OptimizationRunOwner: the frame owns the progress dialog and hears the run's end.
    HWND RunOwnerWindow() const override { return m_hWnd; }
    void SetOptimizing(bool optimizing) override { m_logic.SetOptimizing(optimizing); }
    // HotkeyRegistrar: the emergency shortcut, on this window.
    bool RegisterShortcut(char letter) override;
    void UnregisterShortcut() override;

private:
    int OnCreate();
    void CreateTrayIcon();
    void OnHelp();
    void OpenProductWebPage(int showCommand);
    bool ShowPopup(qmo::PopupContent content);
    LRESULT OnPopupNotify(WPARAM code, LPARAM data);
    qmo::PopupWindow* AlivePopupNamedBy(WPARAM code, LPARAM data) const;
    bool OnOptimizationFinished(WPARAM runId);
    // The tooltip's second line: when the last run ended and what it freed.
    void ShowLastOptimizationInTooltip(std::optional<std::uint64_t> freedBytes);
    void AllowOptimizeRequests();
    LRESULT OnOptimizeRequest();

    MainFrameLogic m_logic;
    qmo::PopupWindow* m_pActivePopup = nullptr;
    std::list<qmo::PopupPtr> m_popups;  // alive popups; never more than one
    COptimizeProgressDlg* m_pRunningDialog = nullptr;  // the run going on, if any
    qmo::SystemPhysicalMemory m_physicalMemory;
    qmo::FreedMeter m_freedMeter;
    CTesselDesktopSuitFrameView m_view;
    // The window's icons at its DPI once it has changed.
    qmo::unique_icon m_bigIcon;
    qmo::unique_icon m_smallIcon;
    qmo::TrayIcon m_trayIcon;
    UINT m_optimizeRequestMessage = 0;  // 0 until created, or when it cannot be registered
};

}  // namespace qmo
