#pragma once
// Settings an organisation sets: values under the key kPolicyKeyPath in the
// machine's hive and the user's (the machine's win),
// written by Group Policy or an MDM. A value set there is used instead of the
// user's and never written back; exclusions are added to the user's; two
// switches exist only as policies. Bad data is ignored value by value.
// Portable: the registry is reached through the seam below.
#include <bitset>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "config/optimizer_settings.h"

namespace qmo {

enum class PolicyScope : std::uint8_t { Machine, User };

// A policy value as the registry holds it.
struct PolicyValue {
    enum class Type : std::uint8_t { Number, Text, TextList, Other };
    Type type = Type::Other;
    std::uint32_t number = 0;        // Number: a REG_DWORD
    std::string text;                // Text: a REG_SZ
    std::vector<std::string> list;   // TextList: a REG_MULTI_SZ
};

// The registry's type and data as a policy value: a DWORD of four bytes, a
// string, a list of strings, read by the profile's rules; anything else Other.
PolicyValue DecodePolicyValue(std::uint32_t type, std::span<const std::uint8_t> data);

class PolicySource {
public:
    virtual ~PolicySource() = default;
    // Empty when the value (or its key) is missing.
    virtual std::optional<PolicyValue> Read(PolicyScope scope, std::string_view name) = 0;
    // As a profile's batch: the reads between these two may share open keys.
    virtual void BeginBatch() {}
    virtual void EndBatch() {}
};

// The settings a policy can set, each locking its controls.
enum class PolicySetting : std::uint8_t {
    CriticalLimit,
    AutoOptimize,
    AutomaticRule,
    AutomaticInUsePercent,
    StandbyFreeBelowMB,
    StandbyListAboveMB,
    ShowNotification,
    RunAtStartup,
    EnableShortcut,
    ShortcutKey,
    AreaSystemCache,
    AreaModifiedList,
    AreaStandbyList,
    AreaCombinePages,
    TrayIconShows,
    Theme,
    Language,
    Count
};
inline constexpr std::size_t kPolicySettingCount = static_cast<std::size_t>(PolicySetting::Count);

// One value the program reads, as the template describes it.
struct PolicyDescription {
    std::string_view name;
    PolicyValue::Type type;
    std::uint32_t lowest = 0;   // a Number's range
    std::uint32_t highest = 0;
};
std::vector<PolicyDescription> PolicyValueNames();

// A policy value that was not used: where it is ("HKLM\...\CriticalLimit") and why.
struct IgnoredPolicyValue {
    std::string where;
    std::string why;

    bool operator==(const IgnoredPolicyValue&) const = default;
};

struct SettingsPolicy {
    OptimizerSettings values;                      // the locked settings' values
    std::bitset<kPolicySettingCount> locked;
    std::vector<std::string> exclusions;           // added to the user's
    bool manualOptimizationDisabled = false;       // only automatic runs
    bool endProcessDisabled = false;
    std::vector<IgnoredPolicyValue> ignored;

    bool Locks(PolicySetting setting) const { return locked.test(static_cast<std::size_t>(setting)); }
    bool operator==(const SettingsPolicy&) const = default;
};

SettingsPolicy ReadSettingsPolicy(PolicySource& source);

// The settings the program uses: the user's, with the policy's on top.
OptimizerSettings UnderPolicy(const OptimizerSettings& user, const SettingsPolicy& policy);
// What is kept of an edit made on the settings in use: the user's own value
// wherever a policy sets one, and only the user's own exclusions.
OptimizerSettings UserPartOf(const OptimizerSettings& edited, const OptimizerSettings& user,
                             const SettingsPolicy& policy);
// The exclusion comes from the policy and not from the user.
bool PolicyOnlyExclusion(std::string_view entry, const OptimizerSettings& user, const SettingsPolicy& policy);

// The settings in use for a start that holds no window (the optimize
// switch): the stored record under the policy read now.
OptimizerSettings SettingsInUse(ProfileStore& profile, PolicySource& source, SettingsPolicy& policy);
// The language in use from the start: the policy's, else the user's choice.
std::string LanguageInUse(ProfileStore& profile, PolicySource& source);

// The key under either hive.
inline constexpr std::string_view kPolicyKeyPath = "SOFTWARE\\Policies\\Quenvale\\Memory Optimizer";

}  // namespace qmo
