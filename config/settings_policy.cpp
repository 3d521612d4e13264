#include "config/settings_policy.h"

#include <algorithm>
#include <array>

#include "optimizer/exclusions.h"
#include "config/language_choice.h"
#include "config/profile_value_codec.h"
#include "config/settings_page_logic.h"

namespace qmo {
namespace {

using Type = PolicyValue::Type;

// One value the program reads: its name, kind and range, the setting it
// locks (none for the exclusions and the policy-only switches), how a valid
// value is taken, and how the setting is copied from one record to another.
struct PolicyEntry {
    std::string_view name;
    Type type;
    std::uint32_t lowest;
    std::uint32_t highest;
    std::optional<PolicySetting> setting;
    // False when the value is of the right kind and still not one the program can use.
    bool (*take)(SettingsPolicy& policy, const PolicyValue& value);
    void (*copy)(OptimizerSettings& to, const OptimizerSettings& from);
};

bool On(const PolicyValue& value) { return value.number != 0; }
int Number(const PolicyValue& value) { return static_cast<int>(value.number); }

const std::array<PolicyEntry, 20> kEntries{{
    {"CriticalLimit", Type::Number, kCriticalLimitSpinLowest, kCriticalLimitSpinHighest, PolicySetting::CriticalLimit,
     [](SettingsPolicy& p, const PolicyValue& v) { return p.values.m_nCriticalLimit = Number(v), true; },
     [](OptimizerSettings& to, const OptimizerSettings& from) { to.m_nCriticalLimit = from.m_nCriticalLimit; }},
    {"AutoOptimize", Type::Number, 0, 1, PolicySetting::AutoOptimize,
     [](SettingsPolicy& p, const PolicyValue& v) { return p.values.m_bAutoOptimize = On(v), true; },
     [](OptimizerSettings& to, const OptimizerSettings& from) { to.m_bAutoOptimize = from.m_bAutoOptimize; }},
    {"AutoOptimizeRule", Type::Number, 0, 1, PolicySetting::AutomaticRule,
     [](SettingsPolicy& p, const PolicyValue& v) {
         return p.values.m_automatic.rule = static_cast<AutomaticRule>(Number(v)), true;
     },
     [](OptimizerSettings& to, const OptimizerSettings& from) { to.m_automatic.rule = from.m_automatic.rule; }},
    {"AutoOptimizePercent", Type::Number, kLowestInUsePercent, kHighestInUsePercent,
     PolicySetting::AutomaticInUsePercent,
     [](SettingsPolicy& p, const PolicyValue& v) { return p.values.m_automatic.inUsePercent = Number(v), true; },
     [](OptimizerSettings& to, const OptimizerSettings& from) {
         to.m_automatic.inUsePercent = from.m_automatic.inUsePercent;
     }},
    {"StandbyFreeBelowMB", Type::Number, kLowestStandbyFreeBelowMB, kHighestStandbyFreeBelowMB,
     PolicySetting::StandbyFreeBelowMB,
     [](SettingsPolicy& p, const PolicyValue& v) { return p.values.m_automatic.standbyFreeBelowMB = Number(v), true; },
     [](OptimizerSettings& to, const OptimizerSettings& from) {
         to.m_automatic.standbyFreeBelowMB = from.m_automatic.standbyFreeBelowMB;
     }},
    {"StandbyListAboveMB", Type::Number, kLowestStandbyListAboveMB, kHighestStandbyListAboveMB,
     PolicySetting::StandbyListAboveMB,
     [](SettingsPolicy& p, const PolicyValue& v) { return p.values.m_automatic.standbyListAboveMB = Number(v), true; },
     [](OptimizerSettings& to, const OptimizerSettings& from) {
         to.m_automatic.standbyListAboveMB = from.m_automatic.standbyListAboveMB;
     }},
    {"ShowNotification", Type::Number, 0, 1, PolicySetting::ShowNotification,
     [](SettingsPolicy& p, const PolicyValue& v) { return p.values.m_bShowNotification = On(v), true; },
     [](OptimizerSettings& to, const OptimizerSettings& from) { to.m_bShowNotification = from.m_bShowNotification; }},
    {"RunAtStartup", Type::Number, 0, 1, PolicySetting::RunAtStartup,
     [](SettingsPolicy& p, const PolicyValue& v) { return p.values.m_bRunAtStartup = On(v), true; },
     [](OptimizerSettings& to, const OptimizerSettings& from) { to.m_bRunAtStartup = from.m_bRunAtStartup; }},
    {"EnableShortcut", Type::Number, 0, 1, PolicySetting::EnableShortcut,
     [](SettingsPolicy& p, const PolicyValue& v) { return p.values.m_bEnableShortcut = On(v), true; },
     [](OptimizerSettings& to, const OptimizerSettings& from) { to.m_bEnableShortcut = from.m_bEnableShortcut; }},
    {"ShortcutKey", Type::Text, 0, 0, PolicySetting::ShortcutKey,
     [](SettingsPolicy& p, const PolicyValue& v) {
         if (v.text.size() != 1 || v.text[0] < 'A' || v.text[0] > 'Z')
             return false;
         p.values.m_strShortcutKey = v.text;
         return true;
     },
     [](OptimizerSettings& to, const OptimizerSettings& from) { to.m_strShortcutKey = from.m_strShortcutKey; }},
    {"AreaSystemCache", Type::Number, 0, 1, PolicySetting::AreaSystemCache,
     [](SettingsPolicy& p, const PolicyValue& v) { return p.values.m_areas.systemCache = On(v), true; },
     [](OptimizerSettings& to, const OptimizerSettings& from) { to.m_areas.systemCache = from.m_areas.systemCache; }},
    {"AreaModifiedList", Type::Number, 0, 1, PolicySetting::AreaModifiedList,
     [](SettingsPolicy& p, const PolicyValue& v) { return p.values.m_areas.modifiedList = On(v), true; },
     [](OptimizerSettings& to, const OptimizerSettings& from) { to.m_areas.modifiedList = from.m_areas.modifiedList; }},
    {"AreaStandbyList", Type::Number, 0, 2, PolicySetting::AreaStandbyList,
     [](SettingsPolicy& p, const PolicyValue& v) {
         return p.values.m_areas.standbyList = static_cast<StandbyListChoice>(Number(v)), true;
     },
     [](OptimizerSettings& to, const OptimizerSettings& from) { to.m_areas.standbyList = from.m_areas.standbyList; }},
    {"AreaCombinePages", Type::Number, 0, 1, PolicySetting::AreaCombinePages,
     [](SettingsPolicy& p, const PolicyValue& v) { return p.values.m_areas.combinePages = On(v), true; },
     [](OptimizerSettings& to, const OptimizerSettings& from) { to.m_areas.combinePages = from.m_areas.combinePages; }},
    {"Exclusions", Type::TextList, 0, 0, std::nullopt,
     [](SettingsPolicy& p, const PolicyValue& v) { return p.exclusions = KeptExclusions(v.list), true; }, nullptr},
    {"TrayIconShows", Type::Number, 0, 2, PolicySetting::TrayIconShows,
     [](SettingsPolicy& p, const PolicyValue& v) {
         return p.values.m_trayIconShows = static_cast<TrayIconShows>(Number(v)), true;
     },
     [](OptimizerSettings& to, const OptimizerSettings& from) { to.m_trayIconShows = from.m_trayIconShows; }},
    {"Theme", Type::Number, 0, 2, PolicySetting::Theme,
     [](SettingsPolicy& p, const PolicyValue& v) { return p.values.m_theme = static_cast<ThemeChoice>(Number(v)), true; },
     [](OptimizerSettings& to, const OptimizerSettings& from) { to.m_theme = from.m_theme; }},
    {"Language", Type::Text, 0, 0, PolicySetting::Language,
     [](SettingsPolicy& p, const PolicyValue& v) {
         // Empty follows Windows; anything else must be a tag the program keeps as it is.
         if (!v.text.empty() && KeptLanguageTag(v.text) != v.text)
             return false;
         p.values.m_language = v.text;
         return true;
     },
     [](OptimizerSettings& to, const OptimizerSettings& from) { to.m_language = from.m_language; }},
    {"DisableManualOptimization", Type::Number, 0, 1, std::nullopt,
     [](SettingsPolicy& p, const PolicyValue& v) { return p.manualOptimizationDisabled = On(v), true; }, nullptr},
    {"DisableEndProcess", Type::Number, 0, 1, std::nullopt,
     [](SettingsPolicy& p, const PolicyValue& v) { return p.endProcessDisabled = On(v), true; }, nullptr},
}};

std::string_view TypeWords(Type type) {
    switch (type) {
    case Type::Number:
        return "a DWORD";
    case Type::Text:
        return "a string (REG_SZ)";
    case Type::TextList:
        return "a list of strings (REG_MULTI_SZ)";
    case Type::Other:
        break;
    }
    return "of another type";
}

// Empty when the entry can take the value; else why not.
std::string WhyNot(const PolicyEntry& entry, const PolicyValue& value, SettingsPolicy& policy) {
    if (value.type != entry.type)
        return "it should be " + std::string(TypeWords(entry.type));
    if (entry.type == Type::Number && (value.number < entry.lowest || value.number > entry.highest))
        return "it is " + std::to_string(value.number) + ", outside " + std::to_string(entry.lowest) + " to " +
               std::to_string(entry.highest);
    if (!entry.take(policy, value))
        return "it is not one of the values allowed";
    return {};
}

std::string Where(PolicyScope scope, std::string_view name) {
    return std::string(scope == PolicyScope::Machine ? "HKLM\\" : "HKCU\\") + std::string(kPolicyKeyPath) + "\\" +
           std::string(name);
}

}  // namespace

PolicyValue DecodePolicyValue(std::uint32_t type, std::span<const std::uint8_t> data) {
    PolicyValue value;
    if (type == kProfileTypeDword && data.size() == 4) {
        value.type = Type::Number;
        value.number = static_cast<std::uint32_t>(*DecodeProfileInt(type, data));
    } else if (const auto text = type == kProfileTypeString ? DecodeProfileString(type, data) : std::nullopt) {
        value.type = Type::Text;
        value.text = *text;
    } else if (const auto list = type == kProfileTypeStrings ? DecodeProfileStrings(type, data) : std::nullopt) {
        value.type = Type::TextList;
        value.list = *list;
    }
    return value;
}

std::vector<PolicyDescription> PolicyValueNames() {
    std::vector<PolicyDescription> names;
    names.reserve(kEntries.size());
    for (const PolicyEntry& entry : kEntries)
        names.push_back({entry.name, entry.type, entry.lowest, entry.highest});
    return names;
}

SettingsPolicy ReadSettingsPolicy(PolicySource& source) {
    const StoreBatch batch(source);
    SettingsPolicy policy;
    for (const PolicyEntry& entry : kEntries) {
        // The machine's value wins; one that cannot be used leaves the user's policy in force.
        for (const PolicyScope scope : {PolicyScope::Machine, PolicyScope::User}) {
            const std::optional<PolicyValue> value = source.Read(scope, entry.name);
            if (!value)
                continue;
            const std::string why = WhyNot(entry, *value, policy);
            if (!why.empty()) {
                policy.ignored.push_back({Where(scope, entry.name), why});
                continue;
            }
            if (entry.setting)
                policy.locked.set(static_cast<std::size_t>(*entry.setting));
            break;
        }
    }
    return policy;
}

OptimizerSettings UnderPolicy(const OptimizerSettings& user, const SettingsPolicy& policy) {
    OptimizerSettings used = user;
    for (const PolicyEntry& entry : kEntries)
        if (entry.setting && policy.Locks(*entry.setting))
            entry.copy(used, policy.values);
    if (!policy.exclusions.empty()) {
        std::vector<std::string> exclusions = user.m_exclusions;
        exclusions.insert(exclusions.end(), policy.exclusions.begin(), policy.exclusions.end());
        used.m_exclusions = KeptExclusions(exclusions);
    }
    return used;
}

bool PolicyOnlyExclusion(std::string_view entry, const OptimizerSettings& user, const SettingsPolicy& policy) {
    const auto same = [entry](const std::string& other) { return SameFileName(other, entry); };
    return std::any_of(policy.exclusions.begin(), policy.exclusions.end(), same) &&
           std::none_of(user.m_exclusions.begin(), user.m_exclusions.end(), same);
}

OptimizerSettings UserPartOf(const OptimizerSettings& edited, const OptimizerSettings& user,
                             const SettingsPolicy& policy) {
    OptimizerSettings kept = edited;
    for (const PolicyEntry& entry : kEntries)
        if (entry.setting && policy.Locks(*entry.setting))
            entry.copy(kept, user);
    std::erase_if(kept.m_exclusions,
                  [&](const std::string& entry) { return PolicyOnlyExclusion(entry, user, policy); });
    return kept;
}

OptimizerSettings SettingsInUse(ProfileStore& profile, PolicySource& source, SettingsPolicy& policy) {
    OptimizerSettings user;
    ReadSettings(profile, user);
    policy = ReadSettingsPolicy(source);
    return UnderPolicy(user, policy);
}

std::string LanguageInUse(ProfileStore& profile, PolicySource& source) {
    const SettingsPolicy policy = ReadSettingsPolicy(source);
    return policy.Locks(PolicySetting::Language) ? policy.values.m_language : ReadLanguageChoice(profile);
}

}  // namespace qmo
