#include "app/command_line.h"

#include <algorithm>
#include <array>
#include <utility>

#include "framework/text_case.h"
#include "framework/texts.h"
#include "res/pages_resource.h"

namespace qmo {
namespace {

constexpr std::array<std::pair<std::string_view, CommandSwitch>, 5> kSwitches{{
    {kOptimizeSwitch, CommandSwitch::Optimize},
    {kRemoveLogonTaskSwitch, CommandSwitch::RemoveLogonTask},
    {kRemoveAllLogonTasksSwitch, CommandSwitch::RemoveAllLogonTasks},
    {kLogonStartSwitch, CommandSwitch::Logon},
    {kHelpSwitch, CommandSwitch::Help},
}};

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

}  // namespace

CommandSwitch ParseCommandLine(std::string_view arguments) {
    const auto first = std::find_if_not(arguments.begin(), arguments.end(), IsSpace);
    const auto end = std::find_if(first, arguments.end(), IsSpace);
    if (first == end)
        return CommandSwitch::None;
    if (std::find_if_not(end, arguments.end(), IsSpace) != arguments.end())
        return CommandSwitch::Unknown;
    const std::string_view word(&*first, static_cast<std::size_t>(end - first));
    if (word.size() < 2 || (word.front() != '/' && word.front() != '-'))
        return CommandSwitch::Unknown;
    for (const auto& [name, meaning] : kSwitches)
        if (EqualIgnoringCase(word.substr(1), name.substr(1)))
            return meaning;
    return CommandSwitch::Unknown;
}

// The switches are written into the text as they are typed.
std::string CommandLineUsage() {
    return Text(IDS_COMMAND_LINE_USAGE);
}

int RunCommandLine(std::string_view arguments, CommandLineActions& actions) {
    switch (ParseCommandLine(arguments)) {
    case CommandSwitch::None:
        return actions.RunProgram(false);
    case CommandSwitch::Logon:
        return actions.RunProgram(true);
    case CommandSwitch::RemoveLogonTask:
        return actions.RemoveLogonTask();
    case CommandSwitch::RemoveAllLogonTasks:
        return actions.RemoveAllLogonTasks();
    case CommandSwitch::Optimize:
        if (actions.ProgramRuns())
            return actions.AskRunningProgramToOptimize() ? kCommandDone : kCommandInstanceUnreachable;
        actions.OptimizeWithoutWindow();
        return kCommandDone;
    case CommandSwitch::Help:
        actions.ShowUsage();
        return kCommandDone;
    case CommandSwitch::Unknown:
        break;
    }
    actions.ShowUsage();
    return kCommandUnknownSwitch;
}

}  // namespace qmo
