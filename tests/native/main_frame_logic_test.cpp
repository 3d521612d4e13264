#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "fake_memory_service.h"
#include "fake_settings_stores.h"
#include "shell/main_frame_logic.h"

using namespace qmo;

namespace {

// Stands in for the window: remembers the calls and tracks visibility as the
// system would.
class RecordingFrame : public MainFrameWindow {
public:
    // Made, as the frame's creation leaves it, unless told otherwise.
    explicit RecordingFrame(bool created = true) {
        if (created)
            logic.CreationCompleted();
    }

    std::vector<std::string> calls;
    bool visible = false;
    bool reenter = false;
    int guardDuringRun = 0;
    // What arrives from the message loop while the dialog runs.
    std::function<void(RecordingFrame&)> duringRun;
    qmo::testing::FakeProfile profile;
    qmo::testing::FakeRunEntry run;
    qmo::testing::FakeHotkeys hotkeys;
    qmo::testing::FakeMemoryService memory;
    MainFrameLogic logic{*this, profile, run, hotkeys, memory.service};

protected:
    void ShowBalloonTip() override { calls.push_back("balloon"); }
    void HideWindow() override {
        calls.push_back("hide");
        visible = false;
    }
    void ShowWindowWithTitle() override {
        calls.push_back("title+show");
        visible = true;
    }
    bool IsWindowShown() const override { return visible; }
    void RestoreWindow() override {
        calls.push_back("restore");
        visible = true;
    }
    void RunOptimizationDialog(bool silent) override {
        calls.push_back(silent ? "dialog(silent)" : "dialog");
        guardDuringRun = logic.OptimizeCommandRunning();
        if (reenter)
            logic.OptimizeNow(qmo::RunTrigger::Popup);  // e.g. the popup's text clicked while the dialog runs
        if (duringRun)
            duringRun(*this);
        memory.service.EndRun();  // as the worker's notice has the frame do
    }
    void WaitForOptimizationWorker() override { calls.push_back("wait for worker"); }
    void PostExit() override { calls.push_back("post exit"); }
    void DestroyFrame() override { calls.push_back("destroy"); }
};

using Calls = std::vector<std::string>;

// A message box shown while the frame is made runs a message loop: what the
// tray, a second start or the session's end asks for meanwhile is not done.
TEST(MainFrameCreation, NothingActsUntilTheFrameIsMade) {
    RecordingFrame frame(false);
    frame.logic.ToggleMainWindow();
    frame.logic.ShowMainWindowIfHidden();
    frame.logic.OnActivateFirstInstance();
    frame.logic.OnMinimized();
    frame.logic.OptimizeNow(qmo::RunTrigger::Menu);
    EXPECT_FALSE(frame.logic.RequestOptimization(qmo::OptimizationStart::Visible, qmo::RunTrigger::Page));
    frame.logic.Exit();
    frame.logic.OnSessionEnding();
    EXPECT_TRUE(frame.calls.empty());
    EXPECT_TRUE(frame.logic.Hidden());
    EXPECT_FALSE(frame.logic.ExitPending());

    frame.logic.CreationCompleted();
    frame.logic.OptimizeNow(qmo::RunTrigger::Menu);
    frame.logic.Exit();
    EXPECT_EQ(frame.calls, (Calls{"dialog(silent)", "destroy"}));
}

TEST(MainFrameVisibility, StartsHiddenAndNotOptimizing) {
    RecordingFrame frame;
    EXPECT_TRUE(frame.logic.Hidden());
    EXPECT_FALSE(frame.logic.Optimizing());
}

TEST(MainFrameVisibility, ToggleShowsWithTitleThenHidesWithBalloonFirst) {
    RecordingFrame frame;
    frame.logic.ToggleMainWindow();
    EXPECT_FALSE(frame.logic.Hidden());
    EXPECT_EQ(frame.calls, Calls{"title+show"});

    frame.calls.clear();
    frame.logic.ToggleMainWindow();
    EXPECT_TRUE(frame.logic.Hidden());
    EXPECT_EQ(frame.calls, (Calls{"balloon", "hide"}));
}

TEST(MainFrameVisibility, ShowIfHiddenActsOnlyOnAnInvisibleWindow) {
    RecordingFrame frame;
    frame.logic.ShowMainWindowIfHidden();
    EXPECT_TRUE(frame.visible);
    EXPECT_FALSE(frame.logic.Hidden());

    frame.calls.clear();
    frame.logic.ShowMainWindowIfHidden();
    EXPECT_TRUE(frame.calls.empty());
    EXPECT_TRUE(frame.visible);
}

TEST(MainFrameVisibility, SecondInstanceShowsAHiddenWindowWithoutBalloonAndNeverHides) {
    RecordingFrame frame;
    frame.logic.OnActivateFirstInstance();
    EXPECT_FALSE(frame.logic.Hidden());
    EXPECT_EQ(frame.calls, Calls{"title+show"});

    frame.calls.clear();
    frame.logic.OnActivateFirstInstance();
    EXPECT_TRUE(frame.calls.empty());
    EXPECT_FALSE(frame.logic.Hidden());
}

TEST(MainFrameVisibility, MinimizingRestoresThePlacementAndGoesToTheTray) {
    RecordingFrame frame;
    frame.logic.ToggleMainWindow();
    frame.calls.clear();

    frame.logic.OnMinimized();
    EXPECT_TRUE(frame.logic.Hidden());
    EXPECT_FALSE(frame.visible);
    EXPECT_EQ(frame.calls, (Calls{"restore", "balloon", "hide"}));

    // Shown again from the tray, it comes back visible.
    frame.logic.ToggleMainWindow();
    EXPECT_TRUE(frame.visible);
}

TEST(MainFrameVisibility, MinimizedWhileStillCountedHiddenStaysHiddenAndConsistent) {
    RecordingFrame frame;  // as during start-up, before the window is first hidden
    frame.logic.OnMinimized();
    EXPECT_TRUE(frame.logic.Hidden());
    EXPECT_FALSE(frame.visible);
    EXPECT_EQ(frame.calls, (Calls{"restore", "hide"}));

    frame.logic.ToggleMainWindow();
    EXPECT_TRUE(frame.visible);
}

TEST(MainFrameOptimize, RunsSilentlyWhenHiddenAndNormallyWhenVisible) {
    RecordingFrame frame;
    frame.logic.OptimizeNow(qmo::RunTrigger::Menu);
    frame.logic.ToggleMainWindow();
    frame.calls.clear();
    frame.logic.OptimizeNow(qmo::RunTrigger::Menu);
    EXPECT_EQ(frame.calls, Calls{"dialog"});
    EXPECT_TRUE(frame.visible);
}

// The ways into a run: menus, tray and the popup come through OptimizeNow;
// the pages' and the navigation panel's buttons ask for a visible run.
using Entry = std::function<void(MainFrameLogic&)>;
const std::vector<std::pair<std::string, Entry>>& Entries() {
    static const std::vector<std::pair<std::string, Entry>> entries{
        {"OptimizeNow", [](MainFrameLogic& logic) { logic.OptimizeNow(qmo::RunTrigger::Menu); }},
        {"visible", [](MainFrameLogic& logic) { logic.RequestOptimization(qmo::OptimizationStart::Visible, qmo::RunTrigger::Page); }},
        {"silent when hidden",
         [](MainFrameLogic& logic) { logic.RequestOptimization(qmo::OptimizationStart::SilentWhenHidden, qmo::RunTrigger::Tray); }},
    };
    return entries;
}

TEST(MainFrameOptimize, EveryEntryIsRefusedWhileARunFromAnyEntryIsGoing) {
    for (const auto& [firstName, first] : Entries())
        for (const auto& [secondName, second] : Entries()) {
            RecordingFrame frame;
            frame.visible = true;
            frame.duringRun = [&second = second](RecordingFrame& running) {
                running.duringRun = nullptr;
                second(running.logic);
            };
            first(frame.logic);
            EXPECT_EQ(frame.calls, Calls{"dialog"}) << firstName << " then " << secondName;
            EXPECT_FALSE(frame.logic.OptimizeCommandRunning());
            second(frame.logic);
            EXPECT_EQ(frame.calls, (Calls{"dialog", "dialog"})) << "the gate opens again after the run";
        }
}

// The history names what asked for each run. The automatic run and the
// process page's trim wait for no dialog run: they are simply not made.
TEST(MainFrameOptimize, EveryEntryLeavesItsTriggerInTheHistoryAndNothingRunsBesideADialogRun) {
    RecordingFrame frame;
    frame.logic.OptimizeNow(qmo::RunTrigger::Hotkey);
    frame.logic.RequestOptimization(qmo::OptimizationStart::Visible, qmo::RunTrigger::Navigation);
    EXPECT_TRUE(frame.logic.OptimizeProcess(77));
    frame.logic.RunAutomaticOptimization();
    frame.duringRun = [](RecordingFrame& running) {
        running.duringRun = nullptr;
        running.logic.RunAutomaticOptimization();
        EXPECT_FALSE(running.logic.OptimizeProcess(77));
    };
    frame.logic.OptimizeNow(qmo::RunTrigger::Popup);
    std::vector<qmo::RunTrigger> triggers;
    for (const qmo::RunRecord& record : frame.memory.history.Records())
        triggers.push_back(record.trigger);
    EXPECT_EQ(triggers, (std::vector<qmo::RunTrigger>{qmo::RunTrigger::Hotkey, qmo::RunTrigger::Navigation,
                                                       qmo::RunTrigger::Selected, qmo::RunTrigger::Automatic,
                                                       qmo::RunTrigger::Popup}));
    EXPECT_FALSE(frame.memory.service.Busy());
}

TEST(MainFrameOptimize, OnlyTheVisibleStartIgnoresAHiddenWindow) {
    RecordingFrame frame;
    bool refused = false;
    frame.duringRun = [&](RecordingFrame& running) {
        running.duringRun = nullptr;
        refused = !running.logic.RequestOptimization(qmo::OptimizationStart::Visible, qmo::RunTrigger::Page);
    };
    EXPECT_TRUE(frame.logic.RequestOptimization(qmo::OptimizationStart::Visible, qmo::RunTrigger::Page));
    EXPECT_TRUE(refused);
    frame.logic.RequestOptimization(qmo::OptimizationStart::SilentWhenHidden, qmo::RunTrigger::Tray);
    EXPECT_EQ(frame.calls, (Calls{"dialog", "dialog(silent)"}));
}

TEST(MainFrameExit, ExitOutsideARunClosesTheFrameAtOnce) {
    RecordingFrame frame;
    frame.logic.Exit();
    EXPECT_EQ(frame.calls, Calls{"destroy"});
}

TEST(MainFrameExit, ExitDuringARunWaitsForTheRunToEndThenExitsFromTheLoop) {
    RecordingFrame frame;
    Calls duringRun;
    frame.duringRun = [&](RecordingFrame& running) {
        running.logic.Exit();
        running.logic.Exit();  // the tray's Exit and the uninstaller's, both
        duringRun = running.calls;
    };
    frame.logic.OptimizeNow(qmo::RunTrigger::Menu);
    EXPECT_EQ(duringRun, Calls{"dialog(silent)"}) << "nothing closed under the worker";
    EXPECT_EQ(frame.calls, (Calls{"dialog(silent)", "post exit"})) << "one exit, after the dialog";
    EXPECT_FALSE(frame.logic.ExitPending());

    frame.calls.clear();
    frame.logic.Exit();  // the posted exit arrives
    EXPECT_EQ(frame.calls, Calls{"destroy"});
}

TEST(MainFrameExit, TheSessionEndingDuringARunWaitsForTheWorkerBeforeClosing) {
    RecordingFrame frame;
    frame.duringRun = [](RecordingFrame& running) {
        running.logic.Exit();
        running.logic.OnSessionEnding();
    };
    frame.logic.OptimizeNow(qmo::RunTrigger::Menu);
    EXPECT_EQ(frame.calls, (Calls{"dialog(silent)", "wait for worker", "destroy"}))
        << "closed once, and no exit posted to a frame that is gone";

    RecordingFrame idle;
    idle.logic.OnSessionEnding();
    EXPECT_EQ(idle.calls, Calls{"destroy"});
}

TEST(MainFrameOptimize, ARequestWhileADialogRunsIsIgnoredAndTheGuardIsReleasedAfter) {
    RecordingFrame frame;
    frame.reenter = true;
    frame.logic.OptimizeNow(qmo::RunTrigger::Menu);
    EXPECT_EQ(frame.calls, Calls{"dialog(silent)"});
    EXPECT_EQ(frame.guardDuringRun, 1);
    EXPECT_FALSE(frame.logic.OptimizeCommandRunning());

    frame.reenter = false;
    frame.logic.OptimizeNow(qmo::RunTrigger::Menu);
    EXPECT_EQ(frame.calls, (Calls{"dialog(silent)", "dialog(silent)"}));
    EXPECT_FALSE(frame.visible);
}

TEST(MainFrameSettings, SaveWritesTheProfileAndKeepsTheRunEntryInStep) {
    RecordingFrame frame;
    OptimizerSettings settings;
    settings.m_nCriticalLimit = 250;
    settings.m_bRunAtStartup = false;
    frame.logic.ApplySettings(settings, qmo::LogonTaskUpdate::InStep);
    EXPECT_EQ(frame.profile.Int("CL"), 250);
    EXPECT_EQ(frame.run.value, "");

    settings.m_bRunAtStartup = true;
    frame.logic.ApplySettings(settings, qmo::LogonTaskUpdate::InStep);
    EXPECT_EQ(frame.run.value, "\"" + frame.run.executablePath + "\"");

    RecordingFrame reader;
    reader.profile = frame.profile;
    reader.logic.LoadSettings();
    EXPECT_EQ(reader.logic.Settings(), settings);
}

}  // namespace
