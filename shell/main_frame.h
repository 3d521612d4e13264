#pragma once
// The program's only top-level window: menus, tray icon, hide/show rules and
// the settings record the pages read.
#include <list>

#include "config/registry_policy.h"
#include "framework/event_log_win32.h"
#include "framework/frame_window.h"
#include "history/history_window.h"
#include "optimizer/memory_service_win32.h"
#include "shell/optimize_progress_dlg.h"
#include "perf/performance_monitor.h"
#include "shell/main_frame_logic.h"
#include "shell/tessel_view.h"
#include "toolkit/popup/popup_window.h"
#include "toolkit/tray_icon.h"
#include "toolkit/tray_number_icon.h"

namespace qmo {

class CMainFrame : public qmo::FrameWindow, public PerformanceHost, private MainFrameWindow,
                   private qmo::OptimizationRunOwner, private qmo::HotkeyRegistrar, private qmo::RunListener,
                   private qmo::HistoryWindowSource {
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

    // PerformanceHost: what the monitor's ticks read and ask for.
    const OptimizerSettings& Settings() const override { return m_logic.Settings(); }
    bool IsOptimizing() const override { return m_logic.Optimizing(); }
    qmo::QuietReason Quiet() override;
    std::optional<int> PhysicalInUsePercent() override;
    std::optional<qmo::AutomaticRunResult> RunAutomatic() override;
    void RunWaited(qmo::QuietReason reason) override;
    void NoteProcessorUse() override { m_memory.Service().NoteProcessorUse(); }
    void Sampled() override;
    // Told to the Application log, once a crossing.
    void CriticalLimitCrossed(int percent, int limit) override;

    // The "Optimization history" window, made or brought forward.
    void ShowHistoryWindow();

    // Shown maximized and hidden at once, as the program starts: the view is
    // not made for that moment, only when the window shows for the user.
    void ShowForAMomentAtStart();
    // The view, made now if the window has not shown yet.
    CTesselDesktopSuitFrameView& View() {
        EnsureView();
        return m_view;
    }
    bool ViewMade() const noexcept { return m_view.IsCreated(); }
    const qmo::PerformanceMonitor& Monitor() const noexcept { return m_monitor; }
    qmo::SystemMemoryService& Memory() noexcept { return m_memory; }
    const qmo::CHistoryWindow& HistoryWindow() const noexcept { return m_historyWindow; }
    const qmo::PopupWindow* ActivePopup() const noexcept { return m_pActivePopup; }
    qmo::TrayIcon& TrayIcon() noexcept { return m_trayIcon; }

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    bool OnSize(UINT type, int width, int height) override;
    bool OnDpiChanged(unsigned dpi, const RECT& suggested) override;
    bool OnCommand(UINT id, UINT code, HWND control) override;
    bool OnTimer(UINT_PTR id) override;
    void OnDestroy() override;
    // The emergency shortcut: an optimization through the one gate.
    bool OnHotKey(int id, UINT modifiers, UINT virtualKey) override;

    // The window operations of the frame's rules.
    void ShowBalloonTip() override;
    void AppearanceChanged() override;
    void PolicyChanged() override;
    void HideWindow() override;
    void ShowWindowWithTitle() override;
    bool IsWindowShown() const override;
    void RestoreWindow() override;
    void RunOptimizationDialog(bool silent) override;
    void WaitForOptimizationWorker() override;
    void PostExit() override;
    void DestroyFrame() override { DestroyWindow(); }
    // What a run's worker does; the memory service's work.
    virtual COptimizeProgressDlg::Work OptimizationWork();
    // Where the memory service and the history window read memory; the system.
    qmo::MemoryReading ReadMemory() override { return m_systemReader.Read(); }
    // OptimizationRunOwner: the frame owns the progress dialog and hears the run's end.
    HWND RunOwnerWindow() const override { return m_hWnd; }
    void SetOptimizing(bool optimizing) override { m_logic.SetOptimizing(optimizing); }
    // HotkeyRegistrar: the emergency shortcut, on this window.
    bool RegisterShortcut(char letter) override;
    void UnregisterShortcut() override;
    // RunListener: the tip tells of the last run, and the history window shows it.
    void RunRecorded(const qmo::RunRecord& record) override;
    void LateSampleRecorded(const qmo::RunRecord& record, qmo::LateSample sample) override;
    // HistoryWindowSource: the service's history and readings.
    const std::deque<qmo::RunRecord>& Records() const override { return m_memory.Service().History().Records(); }
    std::wstring HistoryFolder() const override;
    std::string CsvText(const std::vector<const qmo::RunRecord*>& rows) const override;

private:
    // The service's readings, through ReadMemory at the moment of use.
    class FrameMemoryReader : public qmo::MemoryReader {
    public:
        explicit FrameMemoryReader(CMainFrame& frame) noexcept : m_frame(frame) {}
        qmo::MemoryReading Read() override { return m_frame.ReadMemory(); }

    private:
        CMainFrame& m_frame;
    };

    bool OnCreate(const CREATESTRUCTW& create, LRESULT& result) override;
    // The tray icon, the monitor and the settings; -1 when the frame cannot be had.
    int BuildFrame();
    // The view with its first page, laid out and following the settings and
    // the policy in use; made the first time the window shows.
    bool EnsureView();
    void ReportQueryFailure();
    void CreateTrayIcon();
    void StartTrayAnimation();
    void ShowTrayDisplay();
    void ShowTrayFigure();
    void OnTrayLookChanged();
    bool ChooseColors();
    void ApplyTheme();
    void OnHelp();
    void OpenProductWebPage(int showCommand);
    bool ShowPopup(qmo::PopupContent content);
    LRESULT OnPopupNotify(WPARAM code, LPARAM data);
    qmo::PopupWindow* AlivePopupNamedBy(WPARAM code, LPARAM data) const;
    bool OnOptimizationFinished(WPARAM runId);
    // The tooltip's second line: when the last run ended, what it freed and
    // what came back.
    void ShowLastOptimizationInTooltip();
    std::string m_waitLine;  // why an automatic run waits; empty when none does
    std::string m_figureLine;  // the figure the tray's number does not show; empty with the animation
    std::optional<qmo::TrayNumberLook> m_trayLook;  // the number on the tray now; none with the animation
    int m_trayIconSize = 16;
    bool m_darkColors = false;  // the colours the windows show
    bool m_menuBarLayoutPosted = false;  // WM_MENU_BAR_RESTYLED waits in the queue
    bool m_momentAtStart = false;  // shown and hidden at start: no view for that
    void AllowOptimizeRequests();
    LRESULT OnOptimizeRequest();

    // What the organisation allows: the menus' and pages' commands follow it.
    void FollowPolicy();

    qmo::ProfileStore& m_profile;
    qmo::RegistryPolicySource m_policySource;
    qmo::ApplicationEventLog m_eventLog;
    qmo::Win32MemoryReader m_systemReader;
    FrameMemoryReader m_frameReader{*this};
    qmo::SystemMemoryService m_memory{&m_frameReader};
    MainFrameLogic m_logic;
    qmo::PerformanceMonitor m_monitor{*this};
    std::string m_lastRunLine;  // "Last optimized 14:02 – freed 412 MB"
    std::string m_reboundLine;  // "300 MB back after 5 min"
    qmo::PopupWindow* m_pActivePopup = nullptr;
    std::list<qmo::PopupPtr> m_popups;  // alive popups; never more than one
    COptimizeProgressDlg* m_pRunningDialog = nullptr;  // the run going on, if any
    CTesselDesktopSuitFrameView m_view;
    qmo::CHistoryWindow m_historyWindow{*this};
    // The window's icons at its DPI once it has changed.
    qmo::unique_icon m_bigIcon;
    qmo::unique_icon m_smallIcon;
    qmo::TrayIcon m_trayIcon;
    UINT m_optimizeRequestMessage = 0;  // 0 until created, or when it cannot be registered
};

}  // namespace qmo
