#include "config/logon_task.h"

#include <algorithm>
#include <cctype>

namespace qmo {
namespace {

std::string Escaped(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        case '\'': out += "&apos;"; break;
        default: out += c;
        }
    }
    return out;
}

std::string FolderOf(const std::string& path) {
    const auto separator = path.find_last_of("\\/");
    if (separator == std::string::npos)
        return {};
    // "C:\x.exe" lives in "C:\", not in the drive-relative "C:".
    if (separator == 2 && path[1] == ':')
        return path.substr(0, 3);
    return path.substr(0, separator);
}

std::string_view Trimmed(std::string_view text) {
    const auto isSpace = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!text.empty() && isSpace(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isSpace(text.back()))
        text.remove_suffix(1);
    return text;
}

}  // namespace

std::string LogonTaskXml(const LogonTaskDefinition& definition) {
    const std::string user = Escaped(definition.userId);
    std::string xml;
    xml += "<Task version=\"1.2\" xmlns=\"http://schemas.microsoft.com/windows/2004/02/mit/task\">\n";
    xml += "  <RegistrationInfo>\n";
    xml += "    <Author>Quenvale</Author>\n";
    xml += "    <Description>Starts Quenvale Memory Optimizer in the notification area when you log on. "
           "Kept by its setting \"Run Optimizer at startup\".</Description>\n";
    xml += "  </RegistrationInfo>\n";
    xml += "  <Triggers>\n";
    xml += "    <LogonTrigger>\n";
    xml += "      <Enabled>true</Enabled>\n";
    xml += "      <UserId>" + user + "</UserId>\n";
    xml += "      <Delay>" + std::string(kLogonTaskDelay) + "</Delay>\n";
    xml += "    </LogonTrigger>\n";
    xml += "  </Triggers>\n";
    xml += "  <Principals>\n";
    xml += "    <Principal id=\"Author\">\n";
    xml += "      <UserId>" + user + "</UserId>\n";
    xml += "      <LogonType>InteractiveToken</LogonType>\n";
    xml += "      <RunLevel>HighestAvailable</RunLevel>\n";
    xml += "    </Principal>\n";
    xml += "  </Principals>\n";
    xml += "  <Settings>\n";
    xml += "    <MultipleInstancesPolicy>IgnoreNew</MultipleInstancesPolicy>\n";
    // A laptop must not lose its tray program for starting on battery.
    xml += "    <DisallowStartIfOnBatteries>false</DisallowStartIfOnBatteries>\n";
    xml += "    <StopIfGoingOnBatteries>false</StopIfGoingOnBatteries>\n";
    xml += "    <AllowHardTerminate>true</AllowHardTerminate>\n";
    xml += "    <StartWhenAvailable>false</StartWhenAvailable>\n";
    xml += "    <AllowStartOnDemand>true</AllowStartOnDemand>\n";
    xml += "    <Enabled>true</Enabled>\n";
    xml += "    <Hidden>false</Hidden>\n";
    // The default limit of three days would end a program meant to run for weeks.
    xml += "    <ExecutionTimeLimit>PT0S</ExecutionTimeLimit>\n";
    // Tasks start below normal priority unless told; a user's program should not.
    xml += "    <Priority>4</Priority>\n";
    xml += "  </Settings>\n";
    xml += "  <Actions Context=\"Author\">\n";
    xml += "    <Exec>\n";
    xml += "      <Command>" + Escaped(definition.command) + "</Command>\n";
    xml += "      <Arguments>" + std::string(kLogonStartSwitch) + "</Arguments>\n";
    xml += "      <WorkingDirectory>" + Escaped(definition.workingDirectory) + "</WorkingDirectory>\n";
    xml += "    </Exec>\n";
    xml += "  </Actions>\n";
    xml += "</Task>\n";
    return xml;
}

bool UpdateLogonTask(LogonTaskScheduler& scheduler, const std::string& executablePath, bool enabled) {
    if (!enabled)
        return scheduler.DeleteTask(kLogonTaskName);
    const std::string folder = FolderOf(executablePath);
    if (folder.empty())
        return false;
    LogonTaskDefinition definition{scheduler.CurrentUserId(), executablePath, folder};
    // A logon trigger without a user would start the program at anyone's logon.
    if (definition.userId.empty())
        return false;
    return scheduler.RegisterTask(kLogonTaskName, LogonTaskXml(definition));
}

bool IsCommandSwitch(std::string_view commandLine, std::string_view commandSwitch) {
    const std::string_view word = Trimmed(commandLine);
    return std::equal(word.begin(), word.end(), commandSwitch.begin(), commandSwitch.end(),
                      [](char a, char b) {
                          return std::tolower(static_cast<unsigned char>(a)) ==
                                 std::tolower(static_cast<unsigned char>(b));
                      });
}

}  // namespace qmo
