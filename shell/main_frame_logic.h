#pragma once
// The main frame's rules, apart from any window: the hidden/visible state and
// its transitions, and the settings record it holds for the whole run. The
// Win32 frame holds it and supplies the window operations.
#include "config/emergency_shortcut.h"
#include "config/settings_holder.h"
#include "optimizer/memory_service.h"
#include "optimizer/optimization_gate.h"

namespace qmo {

class EventLog;
class ProfileStore;
class RunEntryStore;

// The window operations the frame's rules call for; the Win32 frame supplies them.
class MainFrameWindow {
public:
    virtual ~MainFrameWindow() = default;
    virtual void ShowBalloonTip() = 0;
    virtual void HideWindow() = 0;
    // Resets the title and shows the window in the placement it had.
    virtual void ShowWindowWithTitle() = 0;
    virtual bool IsWindowShown() const = 0;
    virtual void RestoreWindow() = 0;
    virtual void RunOptimizationDialog(bool silent) = 0;
    // Services the running worker's requests until it has finished with the
    // dialog; called during a run only.
    virtual void WaitForOptimizationWorker() = 0;
    // Exit once the handler that ran the dialog has returned (a popup or a
    // page may be on the stack under it).
    virtual void PostExit() = 0;
    virtual void DestroyFrame() = 0;
    // The tray's display or the theme has changed in the settings.
    virtual void AppearanceChanged() {}
    // The organisation's policy changed what is set or allowed: what shows
    // the settings or the switches comes up to date.
    virtual void PolicyChanged() {}
};

class MainFrameLogic final : public qmo::SettingsHolder, public qmo::OptimizationGate {
public:
    MainFrameLogic(MainFrameWindow& window, qmo::ProfileStore& profile, qmo::RunEntryStore& runEntry,
                   qmo::HotkeyRegistrar& shortcutKeys, qmo::MemoryService& memory) noexcept
        : m_window(window), m_profile(profile), m_runEntry(runEntry), m_memory(memory), m_shortcut(shortcutKeys) {}

    // The frame's creation has completed. Until then none of the requests
    // below acts: a message box shown while the frame is made runs a message
    // loop, and the tray or a second start could reach a half-made frame.
    void CreationCompleted() noexcept { m_bCreated = true; }
    bool Created() const noexcept { return m_bCreated; }

    // Close box, Alt+F4, "E&xit", Ctrl+X and the tray's show/hide: hides a
    // visible window (with the balloon tip) and shows a hidden one.
    void ToggleMainWindow();
    void ShowMainWindowIfHidden();
    // A second instance asked to be brought up: show if hidden, never hide.
    void OnActivateFirstInstance();
    // The window was minimized: restore its placement and send it to the tray.
    void OnMinimized();

    // The "Optimize" command: a progress dialog, silent when the window is
    // hidden (a run from the tray leaves it hidden); ignored while one runs.
    void OptimizeNow(qmo::RunTrigger trigger);
    // Every way into an optimization comes through here, OptimizeNow too;
    // the memory service keeps the run's account and its gate.
    bool RequestOptimization(qmo::OptimizationStart start, qmo::RunTrigger trigger) override;
    bool OptimizeProcess(std::uint32_t processId) override;
    bool ManualOptimizationAllowed() const override { return !m_policy.manualOptimizationDisabled; }
    // An automatic run, its time having come; nothing during another run.
    std::optional<qmo::RunRecord> RunAutomaticOptimization();

    // The tray's "Exit". During a run the worker still uses the dialog, its
    // bar and this frame: the exit waits until the run has ended.
    void Exit();
    // The session is ending: the system may end the process once this
    // returns, so a run going on is waited for here, then the frame closes.
    void OnSessionEnding();

    // Where the organisation's policy is read, and where a value of it that
    // cannot be used is reported (once a run); given before LoadSettings.
    void SetPolicySource(qmo::PolicySource* source) noexcept { m_policySource = source; }
    void SetEventLog(qmo::EventLog* events) noexcept { m_events = events; }

    // The user's record, with the policy read afresh over it.
    void LoadSettings();
    // The logon task is left alone by the saves that cannot change it.
    void SaveSettings(qmo::LogonTaskUpdate task = qmo::LogonTaskUpdate::InStep);
    // The settings in use: the user's with the policy's on top.
    const OptimizerSettings& Settings() const override { return m_settings; }
    const OptimizerSettings& UserSettings() const override { return m_userSettings; }
    const qmo::SettingsPolicy& Policy() const override { return m_policy; }
    // Keeps the user's part of `settings` (what a policy sets stays the
    // user's own), saves it, then brings the emergency shortcut in step.
    void ApplySettings(const OptimizerSettings& settings, qmo::LogonTaskUpdate task) override;
    // Group Policy refreshed: the policy is read again and what it changed takes effect.
    void OnPolicyChanged();
    std::string ShortcutProblem() const override { return m_shortcut.Problem(); }
    qmo::MemoryAreaAvailability AreaAvailability() const override;
    // Once the start-up's loading is done, and at exit.
    void RegisterShortcut() { m_shortcut.Follow(m_settings); }
    void ReleaseShortcut() { m_shortcut.Release(); }
    const qmo::EmergencyShortcut& Shortcut() const noexcept { return m_shortcut; }

    bool Hidden() const noexcept { return m_bHidden; }
    // A progress dialog is up; the dialog itself says so.
    bool Optimizing() const noexcept { return m_bOptimizing; }
    void SetOptimizing(bool optimizing) noexcept { m_bOptimizing = optimizing; }
    // The gate is closed: an optimization command is running.
    bool OptimizeCommandRunning() const noexcept { return m_bOptimizeCommandRunning != 0; }
    bool ExitPending() const noexcept { return m_bExitPending; }

private:
    MainFrameWindow& m_window;
    qmo::ProfileStore& m_profile;
    qmo::RunEntryStore& m_runEntry;
    qmo::MemoryService& m_memory;
    void ReadPolicy();
    // The shortcut and the appearance follow the settings in use, which were `before`.
    void FollowSettings(const OptimizerSettings& before);

    qmo::PolicySource* m_policySource = nullptr;
    qmo::EventLog* m_events = nullptr;
    OptimizerSettings m_userSettings;
    qmo::SettingsPolicy m_policy;
    std::vector<qmo::IgnoredPolicyValue> m_reportedIgnored;  // each told to the log once a run
    OptimizerSettings m_settings;
    qmo::EmergencyShortcut m_shortcut;
    bool m_bCreated = false;
    bool m_bHidden = true;
    bool m_bOptimizing = false;
    int m_bOptimizeCommandRunning = 0;
    bool m_bExitPending = false;
};

}  // namespace qmo
