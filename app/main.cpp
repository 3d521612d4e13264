#include <windows.h>

#include "app/memory_optimizer_app.h"
#include "config/logon_task_win32.h"
#include "framework/text.h"

namespace {

qmo::CMemoryOptimizerApp theApp;

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int showCommand) {
    // Run by the uninstaller, even while the program itself still runs.
    const std::string arguments = commandLine ? qmo::Narrow(commandLine) : std::string();
    if (qmo::IsCommandSwitch(arguments, qmo::kRemoveLogonTaskSwitch))
        return qmo::RemoveLogonTaskCommand();
    theApp.SetQuietSecondStart(qmo::IsCommandSwitch(arguments, qmo::kLogonStartSwitch));
    return theApp.Run(instance, showCommand);
}
