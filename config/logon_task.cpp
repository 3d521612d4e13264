#include "config/logon_task.h"

#include "config/command_line.h"

#include <algorithm>
#include <cstdint>
#include <optional>

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

// Text of the first <tag>...</tag>; none when the element is missing.
std::optional<std::string_view> ElementText(std::string_view xml, std::string_view tag) {
    std::string open(1, '<');
    open.append(tag).push_back('>');
    std::string close = "</";
    close.append(tag).push_back('>');
    const auto start = xml.find(open);
    if (start == std::string_view::npos)
        return std::nullopt;
    const auto end = xml.find(close, start + open.size());
    if (end == std::string_view::npos)
        return std::nullopt;
    return xml.substr(start + open.size(), end - start - open.size());
}

// FNV-1a, 64 bits, as 16 hex digits: a change of the definition changes it.
std::string Digest(std::string_view text) {
    std::uint64_t hash = 0xcbf29ce484222325ULL;
    for (const char c : text) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 0x100000001b3ULL;
    }
    static constexpr char kHex[] = "0123456789abcdef";
    std::string digits(16, '0');
    for (auto digit = digits.rbegin(); digit != digits.rend(); ++digit, hash >>= 4)
        *digit = kHex[hash & 0xF];
    return digits;
}

std::string DefinitionXml(const LogonTaskDefinition& definition, std::string_view version) {
    const std::string user = Escaped(definition.userId);
    std::string xml;
    xml += "<Task version=\"1.2\" xmlns=\"http://schemas.microsoft.com/windows/2004/02/mit/task\">\n";
    xml += "  <RegistrationInfo>\n";
    xml += "    <Author>Quenvale</Author>\n";
    xml += "    <Version>" + std::string(version) + "</Version>\n";
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

// Whatever else the scheduler rewrote, the version it kept names the
// definition; a task turned off in the scheduler no longer starts anything.
bool RegisteredAsWanted(std::string_view registered, std::string_view wanted) {
    const auto version = [](std::string_view xml) {
        return ElementText(ElementText(xml, "RegistrationInfo").value_or(""), "Version");
    };
    if (version(registered) != version(wanted))
        return false;
    const auto enabled = ElementText(ElementText(registered, "Settings").value_or(""), "Enabled");
    return !enabled || *enabled == "true" || *enabled == "1";
}

}  // namespace

std::string LogonTaskXml(const LogonTaskDefinition& definition) {
    return DefinitionXml(definition, Digest(DefinitionXml(definition, {})));
}

bool UpdateLogonTask(LogonTaskScheduler& scheduler, const std::string& executablePath, bool enabled) {
    std::string registered;
    if (!enabled) {
        if (scheduler.ReadTaskXml(kLogonTaskName, registered) == TaskReadBack::Missing)
            return true;
        return scheduler.DeleteTask(kLogonTaskName);
    }
    const std::string folder = FolderOf(executablePath);
    if (folder.empty())
        return false;
    LogonTaskDefinition definition{scheduler.CurrentUserId(), executablePath, folder};
    // A logon trigger without a user would start the program at anyone's logon.
    if (definition.userId.empty())
        return false;
    const std::string wanted = LogonTaskXml(definition);
    if (scheduler.ReadTaskXml(kLogonTaskName, registered) == TaskReadBack::Read &&
        RegisteredAsWanted(registered, wanted))
        return true;
    return scheduler.RegisterTask(kLogonTaskName, wanted);
}

}  // namespace qmo
