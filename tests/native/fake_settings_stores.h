#pragma once
// In-memory profile, Run entry, policy and event log that remember what was written, in order.
#include <algorithm>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "config/emergency_shortcut.h"
#include "config/optimizer_settings.h"
#include "config/settings_policy.h"
#include "framework/event_log.h"

namespace qmo::testing {

// Every value of the settings record, in the order a save writes them.
inline const std::vector<std::string>& SettingsValueNames() {
    static const std::vector<std::string> names{"CL",    "SC",    "RAS",  "SN",  "bAOMAMSF", "bARPL", "bEnableShortcut",
                                                "AreaSystemCache", "AreaModifiedList", "AreaStandbyList",
                                                "AreaCombinePages", "AutoOptimizeRule", "AutoOptimizePercent",
                                                "StandbyFreeBelowMB", "StandbyListAboveMB", "Exclusions",
                                                "TrayIconShows", "Theme", "Language"};
    return names;
}

class FakeProfile : public ProfileStore {
public:
    int GetProfileInt(std::string_view section, std::string_view entry, int defaultValue) override {
        auto it = ints.find(Key(section, entry));
        return it == ints.end() ? defaultValue : it->second;
    }
    std::string GetProfileString(std::string_view section, std::string_view entry,
                                 const std::string& defaultValue) override {
        auto it = strings.find(Key(section, entry));
        return it == strings.end() ? defaultValue : it->second;
    }
    bool WriteProfileInt(std::string_view section, std::string_view entry, int value) override {
        ints[Key(section, entry)] = value;
        strings.erase(Key(section, entry));
        writes.emplace_back(entry);
        return true;
    }
    bool WriteProfileString(std::string_view section, std::string_view entry, const std::string& value) override {
        strings[Key(section, entry)] = value;
        ints.erase(Key(section, entry));
        writes.emplace_back(entry);
        return true;
    }
    std::vector<std::string> GetProfileStrings(std::string_view section, std::string_view entry) override {
        auto it = lists.find(Key(section, entry));
        return it == lists.end() ? std::vector<std::string>() : it->second;
    }
    bool WriteProfileStrings(std::string_view section, std::string_view entry,
                             const std::vector<std::string>& value) override {
        lists[Key(section, entry)] = value;
        writes.emplace_back(entry);
        return true;
    }

    static std::string Key(std::string_view section, std::string_view entry) {
        return std::string(section) + "\\" + std::string(entry);
    }
    void SetInt(std::string_view entry, int value) { ints[Key("Settings", entry)] = value; }
    void SetString(std::string_view entry, std::string value) { strings[Key("Settings", entry)] = std::move(value); }
    std::optional<int> Int(std::string_view entry) const {
        auto it = ints.find(Key("Settings", entry));
        return it == ints.end() ? std::nullopt : std::optional<int>(it->second);
    }
    std::optional<std::string> String(std::string_view entry) const {
        auto it = strings.find(Key("Settings", entry));
        return it == strings.end() ? std::nullopt : std::optional<std::string>(it->second);
    }

    std::map<std::string, int> ints;
    std::map<std::string, std::string> strings;
    std::map<std::string, std::vector<std::string>> lists;
    std::vector<std::string> writes;
};

// Policy values by hive and name, as the registry would hold them.
class FakePolicySource : public PolicySource {
public:
    std::optional<PolicyValue> Read(PolicyScope scope, std::string_view name) override {
        const auto found = values.find({scope, std::string(name)});
        return found == values.end() ? std::nullopt : std::optional<PolicyValue>(found->second);
    }
    void Set(PolicyScope scope, const std::string& name, PolicyValue value) { values[{scope, name}] = std::move(value); }
    static PolicyValue Dword(std::uint32_t number) { return {PolicyValue::Type::Number, number, {}, {}}; }
    static PolicyValue Text(std::string text) { return {PolicyValue::Type::Text, 0, std::move(text), {}}; }
    static PolicyValue List(std::vector<std::string> list) { return {PolicyValue::Type::TextList, 0, {}, std::move(list)}; }

    std::map<std::pair<PolicyScope, std::string>, PolicyValue> values;
};

// The events written, in order.
class RecordingEventLog : public EventLog {
public:
    struct Entry {
        ProgramEvent event;
        std::vector<std::string> inserts;
    };
    void Report(ProgramEvent event, const std::vector<std::string>& inserts) override { entries.push_back({event, inserts}); }
    std::vector<Entry> entries;
};

class FakeRunEntry : public RunEntryStore {
public:
    struct LogonTaskRequest {
        std::string executablePath;
        bool enabled;
        bool operator==(const LogonTaskRequest&) const = default;
    };

    std::string ExecutablePath() override { return executablePath; }
    bool WriteRunValue(const std::string& data) override {
        ++writeAttempts;
        if (!writable)
            return false;
        value = data;
        return true;
    }
    void KeepLogonTaskInStep(const std::string& path, bool enabled) override {
        logonTaskRequests.push_back({path, enabled});
    }

    std::string executablePath = "C:\\Program Files\\Quenvale\\QuenvaleMemoryOptimizer.exe";
    bool writable = true;
    int writeAttempts = 0;
    std::optional<std::string> value;
    std::vector<LogonTaskRequest> logonTaskRequests;
};

// The system's hotkeys as RegisterHotKey keeps them: a combination another
// program holds is refused, and registering again under the same id keeps
// the old combination besides the new one until it is unregistered.
class FakeHotkeys : public HotkeyRegistrar {
public:
    bool RegisterShortcut(char letter) override {
        ++registrations;
        if (heldElsewhere.contains(letter) || std::count(ours.begin(), ours.end(), letter))
            return false;
        ours.push_back(letter);
        return true;
    }
    void UnregisterShortcut() override { ours.clear(); }

    std::set<char> heldElsewhere;
    std::vector<char> ours;  // what this program holds, oldest first
    int registrations = 0;
};

}  // namespace qmo::testing
