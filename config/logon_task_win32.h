#pragma once
// The logon task kept through the Task Scheduler's COM interface. Each call
// brings COM up on its calling thread for its own length.
#include <windows.h>
#include <taskschd.h>

#include <string>
#include <string_view>

#include "config/logon_task.h"
#include "framework/com_ptr.h"

namespace qmo {

class TaskSchedulerLogonTasks : public LogonTaskScheduler {
public:
    std::string CurrentUserId() override;
    TaskReadBack ReadTaskXml(std::string_view name, std::string& xml) override;
    bool RegisterTask(std::string_view name, const std::string& xml) override;
    bool DeleteTask(std::string_view name) override;
};

// The root folder of the local Task Scheduler; empty when the service cannot
// be reached. Needs COM on the calling thread.
com_ptr<ITaskFolder> ConnectRootTaskFolder();

// The program run with the remove switch: deletes its logon task, then exits
// with 0, or 1 when the task could not be removed.
int RemoveLogonTaskCommand();

}  // namespace qmo
