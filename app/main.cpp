#include <windows.h>

#include "app/memory_optimizer_app.h"
#include "app/single_instance.h"
#include "app/command_line.h"
#include "config/registry_policy.h"
#include "framework/event_log_win32.h"
#include "config/logon_task_win32.h"
#include "framework/startup_trace.h"
#include "framework/text.h"
#include "optimizer/memory_service_win32.h"
#include "pages/frame_texts.h"
#include "res/messages.h"

namespace {

// What a start does on the real system. The application object, and with it
// the single-instance name, exists only for a start that runs the program:
// a start that lists the switches or hands a request over must not make a
// real start meanwhile think the program already runs.
class StartActions : public qmo::CommandLineActions {
public:
    StartActions(HINSTANCE instance, int showCommand) : m_instance(instance), m_showCommand(showCommand) {}

    void ShowUsage() override {
        ::MessageBoxW(nullptr, qmo::Widen(qmo::CommandLineUsage()).c_str(), qmo::kMainWindowTitle.Load().c_str(), MB_OK);
    }
    int RemoveLogonTask() override { return qmo::RemoveLogonTaskCommand(); }
    int RemoveAllLogonTasks() override { return qmo::RemoveAllLogonTasksCommand(); }
    bool ProgramRuns() override { return qmo::InstanceMutexExists(qmo::kSingleInstanceMutexName); }
    bool AskRunningProgramToOptimize() override {
        const UINT message = qmo::OptimizeRequestMessage();
        if (!message)
            return false;
        const auto answer = qmo::HandOverToFirstInstance(qmo::kMainFrameClassName, qmo::kEarlierMainWindowTitle, message);
        return answer == qmo::kOptimizeRequestAccepted;
    }
    void OptimizeWithoutWindow() override {
        qmo::RegistryProfile profile(HKEY_CURRENT_USER, qmo::SettingsProfilePath());
        qmo::RegistryPolicySource source;
        qmo::SettingsPolicy policy;
        const qmo::OptimizerSettings settings = qmo::SettingsInUse(profile, source, policy);
        // The organisation allows automatic runs only: a start's request is not one.
        if (policy.manualOptimizationDisabled)
            return;
        qmo::SystemMemoryService memory;
        qmo::ApplicationEventLog events;
        memory.Service().SetEventLog(&events);
        memory.Load(profile);
        memory.Service().RunWithoutWindow(qmo::RunTrigger::CommandLine, qmo::RunChoicesOf(settings));
        memory.File().Flush();  // the late samples are left out: the process ends now
    }
    int RunProgram(bool quietSecondStart) override {
        qmo::CMemoryOptimizerApp app;
        app.SetQuietSecondStart(quietSecondStart);
        return app.Run(m_instance, m_showCommand);
    }

private:
    HINSTANCE m_instance;
    int m_showCommand;
};

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int showCommand) {
    qmo::MarkStartupStep("entry");
    StartActions actions(instance, showCommand);
    return qmo::RunCommandLine(commandLine ? qmo::Narrow(commandLine) : std::string(), actions);
}
