#include "config/logon_task.h"


#include <algorithm>
#include <cstdint>
#include <iterator>
#include <optional>
#include <utility>
#include <vector>

#include "framework/text_case.h"

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

// Text of every <tag>...</tag>, in order.
std::vector<std::string_view> ElementTexts(std::string_view xml, std::string_view tag) {
    std::vector<std::string_view> texts;
    while (const auto text = ElementText(xml, tag)) {
        texts.push_back(*text);
        xml.remove_prefix(static_cast<std::size_t>(text->data() + text->size() - xml.data()));
    }
    return texts;
}

std::string Unescaped(std::string_view text) {
    static constexpr std::pair<std::string_view, char> kEntities[] = {
        {"&amp;", '&'}, {"&lt;", '<'}, {"&gt;", '>'}, {"&quot;", '"'}, {"&apos;", '\''}};
    std::string out;
    out.reserve(text.size());
    while (!text.empty()) {
        const auto entity = std::find_if(std::begin(kEntities), std::end(kEntities),
                                         [text](const auto& known) { return text.starts_with(known.first); });
        if (entity == std::end(kEntities)) {
            out += text.front();
            text.remove_prefix(1);
        } else {
            out += entity->second;
            text.remove_prefix(entity->first.size());
        }
    }
    return out;
}

// "S-" and then numbers between single dashes, as ConvertSidToStringSid writes a SID.
bool IsSid(std::string_view text) {
    if (!text.starts_with("S-"))
        return false;
    text.remove_prefix(2);
    int parts = 0;
    for (;;) {
        const auto dash = text.find('-');
        const std::string_view part = text.substr(0, dash);
        if (part.empty() || !std::all_of(part.begin(), part.end(), [](char c) { return c >= '0' && c <= '9'; }))
            return false;
        ++parts;
        if (dash == std::string_view::npos)
            return parts >= 2;  // the revision and the authority at least
        text.remove_prefix(dash + 1);
    }
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

std::optional<std::string_view> VersionOf(std::string_view xml) {
    return ElementText(ElementText(xml, "RegistrationInfo").value_or(""), "Version");
}

// Whatever else the scheduler rewrote, the version it kept names the
// definition; a task turned off in the scheduler no longer starts anything.
bool RegisteredAsWanted(std::string_view registered, std::string_view wanted) {
    if (VersionOf(registered) != VersionOf(wanted))
        return false;
    const auto enabled = ElementText(ElementText(registered, "Settings").value_or(""), "Enabled");
    return !enabled || *enabled == "true" || *enabled == "1";
}

// The task of earlier releases carries no user in its name: a task of that
// name may be another administrator's, or one a user made, and then stays.
// It is this user's for this executable when what the scheduler kept says so
// and nothing it kept says otherwise. Windows keeps the command and names the
// users (the principal by SID); wine keeps neither, only the version, which
// is a digest of the definition with its user and command.
bool FormerTaskIsOurs(std::string_view registered, const TaskUser& user, std::string_view executablePath,
                      std::string_view wanted) {
    const auto command = ElementText(ElementText(registered, "Exec").value_or(""), "Command");
    const bool startsThis = command && !command->empty();
    if (startsThis && !EqualIgnoringCase(Unescaped(*command), executablePath))
        return false;
    bool namesThisUser = false;
    for (const std::string_view text : ElementTexts(registered, "UserId")) {
        const std::string id = Unescaped(text);
        if (id.empty())
            continue;
        if (!EqualIgnoringCase(id, user.id) && !EqualIgnoringCase(id, user.sid))
            return false;
        namesThisUser = true;
    }
    if (startsThis && namesThisUser)
        return true;
    const auto version = VersionOf(registered);
    return version && !wanted.empty() && version == VersionOf(wanted);
}

// The definition the setting wants for the user; none for an unknown path or user.
std::optional<LogonTaskDefinition> DefinitionFor(const TaskUser& user, const std::string& executablePath) {
    const std::string folder = FolderOf(executablePath);
    // A logon trigger without a user would start the program at anyone's logon.
    if (folder.empty() || user.id.empty())
        return std::nullopt;
    return LogonTaskDefinition{user.id, executablePath, folder};
}

// Deletes the task unless the scheduler tells that there is none.
bool RemoveTask(LogonTaskScheduler& scheduler, std::string_view name) {
    std::string registered;
    if (scheduler.ReadTaskXml(name, registered) == TaskReadBack::Missing)
        return true;
    return scheduler.DeleteTask(name);
}

bool RemoveFormerTaskIfOurs(LogonTaskScheduler& scheduler, const TaskUser& user, const std::string& executablePath,
                            std::string_view wanted) {
    std::string registered;
    if (scheduler.ReadTaskXml(kLogonTaskBaseName, registered) != TaskReadBack::Read ||
        !FormerTaskIsOurs(registered, user, executablePath, wanted))
        return true;
    return scheduler.DeleteTask(kLogonTaskBaseName);
}

}  // namespace

std::string LogonTaskName(std::string_view sid) {
    if (!IsSid(sid))
        return {};
    std::string name(kLogonTaskBaseName);
    name.append(" (").append(sid).append(")");
    return name;
}

bool IsLogonTaskName(std::string_view name) {
    if (name == kLogonTaskBaseName)
        return true;
    if (!name.starts_with(kLogonTaskBaseName))
        return false;
    name.remove_prefix(kLogonTaskBaseName.size());
    return name.starts_with(" (") && name.ends_with(")") && IsSid(name.substr(2, name.size() - 3));
}

std::string LogonTaskXml(const LogonTaskDefinition& definition) {
    return DefinitionXml(definition, Digest(DefinitionXml(definition, {})));
}

bool UpdateLogonTask(LogonTaskScheduler& scheduler, const std::string& executablePath, bool enabled) {
    const TaskUser user = scheduler.CurrentUser();
    const std::string name = LogonTaskName(user.sid);
    if (name.empty())
        return false;
    const auto definition = DefinitionFor(user, executablePath);
    const std::string wanted = definition ? LogonTaskXml(*definition) : std::string();
    if (!enabled) {
        const bool removed = RemoveTask(scheduler, name);
        return RemoveFormerTaskIfOurs(scheduler, user, executablePath, wanted) && removed;
    }
    if (wanted.empty())
        return false;
    std::string registered;
    const bool asWanted =
        scheduler.ReadTaskXml(name, registered) == TaskReadBack::Read && RegisteredAsWanted(registered, wanted);
    // Until the user's own task is there, the former one still starts the program.
    if (!asWanted && !scheduler.RegisterTask(name, wanted))
        return false;
    return RemoveFormerTaskIfOurs(scheduler, user, executablePath, wanted);
}

bool RemoveEveryLogonTask(LogonTaskScheduler& scheduler) {
    std::vector<std::string> names;
    if (!scheduler.ListTaskNames(names))
        return false;
    bool removed = true;
    for (const std::string& name : names)
        if (IsLogonTaskName(name) && !scheduler.DeleteTask(name))
            removed = false;
    return removed;
}

}  // namespace qmo
