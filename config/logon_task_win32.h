#pragma once
// The logon task kept through the Task Scheduler's COM interface. Each call
// brings COM up on its calling thread for its own length.
#include <windows.h>
#include <taskschd.h>

#include <string>
#include <string_view>
#include <vector>

#include "config/logon_task.h"
#include "framework/com_ptr.h"

namespace qmo {

class TaskSchedulerLogonTasks : public LogonTaskScheduler {
public:
    TaskUser CurrentUser() override;
    TaskReadBack ReadTaskXml(std::string_view name, std::string& xml) override;
    bool RegisterTask(std::string_view name, const std::string& xml) override;
    bool DeleteTask(std::string_view name) override;
    bool ListTaskNames(std::vector<std::string>& names) override;
};

// The root folder of the local Task Scheduler; empty when the service cannot
// be reached. Needs COM on the calling thread.
com_ptr<ITaskFolder> ConnectRootTaskFolder();

// The program run with the remove switch: deletes the logon task of the user
// who runs it, then exits with 0, or 1 when the task could not be removed.
int RemoveLogonTaskCommand();
// The uninstaller's: deletes every user's logon task; 0, or 1 when one stays.
int RemoveAllLogonTasksCommand();

}  // namespace qmo
