#pragma once
// Start at logon for a program that runs elevated. Windows does not start a
// program that asks for administrator rights from the Run key, so the setting
// also keeps a Task Scheduler task that starts it with highest privileges when
// the user logs on. Portable: the scheduler is reached through the seam below.
#include <string>
#include <string_view>
#include <vector>

#include "framework/identity.h"

namespace qmo {

// Each user's task is named kLogonTaskBaseName followed by the user's SID in
// parentheses, so that one administrator's start never replaces or deletes
// another's task. Releases before kept a single task of that very name,
// whoever saved last.
// The task waits this long after logon, so a start from the Run key comes first.
inline constexpr std::string_view kLogonTaskDelay = "PT30S";
// The switch the task starts the program with; the program ends quietly when
// it already runs (started from the Run key, where that works) instead of showing it.
inline constexpr std::string_view kLogonStartSwitch = "/Logon";

struct LogonTaskDefinition {
    std::string userId;            // DOMAIN\user whose logon starts the program
    std::string command;           // full path of the executable, unquoted
    std::string workingDirectory;  // the executable's folder
};

// The account the task belongs to, both ways the scheduler may name it.
struct TaskUser {
    std::string id;   // DOMAIN\user
    std::string sid;  // S-1-5-21-...
};

// "Quenvale Memory Optimizer (S-1-5-21-...)"; empty for what is not a SID.
std::string LogonTaskName(std::string_view sid);
// A user's task or the single task of earlier releases: the uninstaller's to remove.
bool IsLogonTaskName(std::string_view name);

// What reading a registered task back gave.
enum class TaskReadBack { Missing, Read, Unreadable };

class LogonTaskScheduler {
public:
    virtual ~LogonTaskScheduler() = default;
    // The account the program runs as; a part left empty is unknown.
    virtual TaskUser CurrentUser() = 0;
    // The task's definition as the scheduler keeps it, which is not the text
    // it was handed: schedulers rewrite it and may leave parts out.
    virtual TaskReadBack ReadTaskXml(std::string_view name, std::string& xml) = 0;
    // Creates or replaces the task from its XML; false when the scheduler refused.
    virtual bool RegisterTask(std::string_view name, const std::string& xml) = 0;
    // Deletes the task; true also when there was none.
    virtual bool DeleteTask(std::string_view name) = 0;
    // The names of every user's tasks in the folder the task is kept in;
    // false when they cannot be listed.
    virtual bool ListTaskNames(std::vector<std::string>& names) = 0;
};

// The task in Task Scheduler's XML: a logon trigger for the user, run with
// highest privileges in the user's session, never stopped after a time limit.
// Its registration version is a digest of the rest, so a read-back tells
// whether the registered task is this definition however it was rewritten.
std::string LogonTaskXml(const LogonTaskDefinition& definition);

// Registers the task for the executable, or removes it, unless the task read
// back already is what the setting wants (registered from this definition and
// enabled, or absent): the scheduler is slow, and most saves change nothing.
// The single task of earlier releases goes too when it is this user's for this
// executable: it reads back as the definition this user's task would be (its
// registration version), or it starts this executable and names this user and
// no other. Anyone else's stays until its user starts the program.
// Returns whether the scheduler now matches the setting; an unknown path or
// user registers nothing.
bool UpdateLogonTask(LogonTaskScheduler& scheduler, const std::string& executablePath, bool enabled);

// Deletes every task IsLogonTaskName names, whichever user it is for: the
// program leaves the computer. False when one could not be listed or deleted.
bool RemoveEveryLogonTask(LogonTaskScheduler& scheduler);

}  // namespace qmo
