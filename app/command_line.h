#pragma once
// The program's command line: one switch at most, '/' or '-' in front, any
// case. What each switch does is decided here; the start-up supplies the
// actions. Portable.
#include <string>
#include <string_view>

#include "config/logon_task.h"

namespace qmo {

// Run by scripts and the task scheduler: the running program optimizes
// silently, or, with none running, this start trims every process and ends.
inline constexpr std::string_view kOptimizeSwitch = "/Optimize";
// Works even while the program itself still runs: removes the logon task of
// the user who runs it.
inline constexpr std::string_view kRemoveLogonTaskSwitch = "/RemoveLogonTask";
// Run by the uninstaller: removes the logon task of every user.
inline constexpr std::string_view kRemoveAllLogonTasksSwitch = "/RemoveAllLogonTasks";
// kLogonStartSwitch: the logon task's, with the task.
inline constexpr std::string_view kHelpSwitch = "/?";

enum class CommandSwitch { None, Optimize, RemoveLogonTask, RemoveAllLogonTasks, Logon, Help, Unknown };

// More than one word is unknown: a switch half understood must change nothing.
CommandSwitch ParseCommandLine(std::string_view arguments);

// The text of the box that lists the switches.
std::string CommandLineUsage();

// Exit statuses of the starts that do not run the program.
inline constexpr int kCommandDone = 0;
inline constexpr int kCommandInstanceUnreachable = 1;
inline constexpr int kCommandUnknownSwitch = 2;

// What a start can do; the Win32 start-up supplies it.
class CommandLineActions {
public:
    virtual ~CommandLineActions() = default;
    virtual void ShowUsage() = 0;
    virtual int RemoveLogonTask() = 0;
    virtual int RemoveAllLogonTasks() = 0;
    // Asked without claiming the single-instance name, so a start that only
    // asks never makes a real start think the program already runs.
    virtual bool ProgramRuns() = 0;
    // True once the running program has accepted the request.
    virtual bool AskRunningProgramToOptimize() = 0;
    // The silent optimization in this process: the trim and the chosen
    // memory areas, no window, recorded in the history.
    virtual void OptimizeWithoutWindow() = 0;
    // The program itself; a quiet start ends without bringing up a running one.
    virtual int RunProgram(bool quietSecondStart) = 0;
};

// Does what the command line asks and returns the process's exit status.
int RunCommandLine(std::string_view arguments, CommandLineActions& actions);

}  // namespace qmo
