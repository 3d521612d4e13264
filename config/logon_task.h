#pragma once
// Start at logon for a program that runs elevated. Windows does not start a
// program that asks for administrator rights from the Run key, so the setting
// also keeps a Task Scheduler task that starts it with highest privileges when
// the user logs on. Portable: the scheduler is reached through the seam below.
#include <string>
#include <string_view>

namespace qmo {

inline constexpr std::string_view kLogonTaskName = "Quenvale Memory Optimizer";
// The task waits this long after logon, so a start from the Run key comes first.
inline constexpr std::string_view kLogonTaskDelay = "PT30S";

struct LogonTaskDefinition {
    std::string userId;            // DOMAIN\user whose logon starts the program
    std::string command;           // full path of the executable, unquoted
    std::string workingDirectory;  // the executable's folder
};

// What reading a registered task back gave.
enum class TaskReadBack { Missing, Read, Unreadable };

class LogonTaskScheduler {
public:
    virtual ~LogonTaskScheduler() = default;
    // The account the task belongs to (DOMAIN\user); empty when unknown.
    virtual std::string CurrentUserId() = 0;
    // The task's definition as the scheduler keeps it, which is not the text
    // it was handed: schedulers rewrite it and may leave parts out.
    virtual TaskReadBack ReadTaskXml(std::string_view name, std::string& xml) = 0;
    // Creates or replaces the task from its XML; false when the scheduler refused.
    virtual bool RegisterTask(std::string_view name, const std::string& xml) = 0;
    // Deletes the task; true also when there was none.
    virtual bool DeleteTask(std::string_view name) = 0;
};

// The task in Task Scheduler's XML: a logon trigger for the user, run with
// highest privileges in the user's session, never stopped after a time limit.
// Its registration version is a digest of the rest, so a read-back tells
// whether the registered task is this definition however it was rewritten.
std::string LogonTaskXml(const LogonTaskDefinition& definition);

// Registers the task for the executable, or removes it, unless the task read
// back already is what the setting wants (registered from this definition and
// enabled, or absent): the scheduler is slow, and most saves change nothing.
// Returns whether the scheduler now matches the setting; an unknown path or
// user registers nothing.
bool UpdateLogonTask(LogonTaskScheduler& scheduler, const std::string& executablePath, bool enabled);

}  // namespace qmo
