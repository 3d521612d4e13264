#include "config/optimizer_settings.h"

#include "optimizer/exclusions.h"
#include "config/language_choice.h"

namespace qmo {

namespace {

constexpr std::string_view kCriticalLimit = "CL";
constexpr std::string_view kShortcutKey = "SC";
constexpr std::string_view kRunAtStartup = "RAS";
constexpr std::string_view kShowNotification = "SN";
constexpr std::string_view kAutoOptimize = "bAOMAMSF";
constexpr std::string_view kAutoRefreshProcessList = "bARPL";
constexpr std::string_view kEnableShortcut = "bEnableShortcut";
constexpr std::string_view kAreaSystemCache = "AreaSystemCache";
constexpr std::string_view kAreaModifiedList = "AreaModifiedList";
constexpr std::string_view kAreaStandbyList = "AreaStandbyList";
constexpr std::string_view kAreaCombinePages = "AreaCombinePages";
constexpr std::string_view kAutomaticRule = "AutoOptimizeRule";
constexpr std::string_view kAutomaticInUsePercent = "AutoOptimizePercent";
constexpr std::string_view kStandbyFreeBelowMB = "StandbyFreeBelowMB";
constexpr std::string_view kStandbyListAboveMB = "StandbyListAboveMB";
constexpr std::string_view kExclusions = "Exclusions";
constexpr std::string_view kTrayIconShows = "TrayIconShows";
constexpr std::string_view kTheme = "Theme";
constexpr std::string_view kLanguage = "Language";

// A stored value out of its range reads as the default.
int InRangeOr(int stored, int lowest, int highest, int fallback) {
    return stored >= lowest && stored <= highest ? stored : fallback;
}

// 0 off, 1 the lowest priority only, 2 all; anything else is off.
StandbyListChoice StandbyChoiceFrom(int stored) {
    switch (stored) {
    case 1:
        return StandbyListChoice::LowestPriorityOnly;
    case 2:
        return StandbyListChoice::All;
    default:
        return StandbyListChoice::Off;
    }
}

// One of an enumeration's values 0 to `highest`; anything else is the first.
template <typename Choice>
Choice ChoiceFrom(int stored, Choice highest) {
    return stored > 0 && stored <= static_cast<int>(highest) ? static_cast<Choice>(stored) : Choice{};
}

}  // namespace

void ReadSettings(ProfileStore& profile, OptimizerSettings& settings) {
    const StoreBatch batch(profile);
    OptimizerSettings read;
    read.m_nCriticalLimit = profile.GetProfileInt(kSettingsSection, kCriticalLimit, 0);
    read.m_strShortcutKey = profile.GetProfileString(kSettingsSection, kShortcutKey, std::string());
    read.m_bRunAtStartup = profile.GetProfileInt(kSettingsSection, kRunAtStartup, 0) != 0;
    read.m_bShowNotification = profile.GetProfileInt(kSettingsSection, kShowNotification, 0) != 0;
    read.m_bAutoOptimize = profile.GetProfileInt(kSettingsSection, kAutoOptimize, 0) != 0;
    read.m_bAutoRefreshProcessList =
        profile.GetProfileInt(kSettingsSection, kAutoRefreshProcessList, 0) != 0;
    // Missing from records written before it existed: off.
    read.m_bEnableShortcut = profile.GetProfileInt(kSettingsSection, kEnableShortcut, 0) != 0;
    // The memory areas: missing from records written before them, off.
    read.m_areas.systemCache = profile.GetProfileInt(kSettingsSection, kAreaSystemCache, 0) != 0;
    read.m_areas.modifiedList = profile.GetProfileInt(kSettingsSection, kAreaModifiedList, 0) != 0;
    read.m_areas.standbyList = StandbyChoiceFrom(profile.GetProfileInt(kSettingsSection, kAreaStandbyList, 0));
    read.m_areas.combinePages = profile.GetProfileInt(kSettingsSection, kAreaCombinePages, 0) != 0;
    // The automatic rule and exclusions: missing from earlier records, the defaults.
    const AutomaticRunChoices defaults;
    read.m_automatic.rule = profile.GetProfileInt(kSettingsSection, kAutomaticRule, 0) == 1
                                ? AutomaticRule::AboveMemoryInUse
                                : AutomaticRule::EveryFiveMinutes;
    read.m_automatic.inUsePercent =
        InRangeOr(profile.GetProfileInt(kSettingsSection, kAutomaticInUsePercent, defaults.inUsePercent),
                  kLowestInUsePercent, kHighestInUsePercent, defaults.inUsePercent);
    read.m_automatic.standbyFreeBelowMB =
        InRangeOr(profile.GetProfileInt(kSettingsSection, kStandbyFreeBelowMB, defaults.standbyFreeBelowMB),
                  kLowestStandbyFreeBelowMB, kHighestStandbyFreeBelowMB, defaults.standbyFreeBelowMB);
    read.m_automatic.standbyListAboveMB =
        InRangeOr(profile.GetProfileInt(kSettingsSection, kStandbyListAboveMB, defaults.standbyListAboveMB),
                  kLowestStandbyListAboveMB, kHighestStandbyListAboveMB, defaults.standbyListAboveMB);
    read.m_exclusions = KeptExclusions(profile.GetProfileStrings(kSettingsSection, kExclusions));
    read.m_trayIconShows =
        ChoiceFrom(profile.GetProfileInt(kSettingsSection, kTrayIconShows, 0), TrayIconShows::CommittedMemory);
    read.m_theme = ChoiceFrom(profile.GetProfileInt(kSettingsSection, kTheme, 0), ThemeChoice::Dark);
    read.m_language = ReadLanguageChoice(profile);

    if (read.m_strShortcutKey.empty())
        return;
    settings = read;
}

std::string ReadLanguageChoice(ProfileStore& profile) {
    return KeptLanguageTag(profile.GetProfileString(kSettingsSection, kLanguage, std::string()));
}

void WriteSettings(ProfileStore& profile, const OptimizerSettings& settings) {
    const StoreBatch batch(profile);
    profile.WriteProfileInt(kSettingsSection, kCriticalLimit, settings.m_nCriticalLimit);
    profile.WriteProfileString(kSettingsSection, kShortcutKey, settings.m_strShortcutKey);
    profile.WriteProfileInt(kSettingsSection, kRunAtStartup, settings.m_bRunAtStartup ? 1 : 0);
    profile.WriteProfileInt(kSettingsSection, kShowNotification, settings.m_bShowNotification ? 1 : 0);
    profile.WriteProfileInt(kSettingsSection, kAutoOptimize, settings.m_bAutoOptimize ? 1 : 0);
    profile.WriteProfileInt(kSettingsSection, kAutoRefreshProcessList,
                            settings.m_bAutoRefreshProcessList ? 1 : 0);
    profile.WriteProfileInt(kSettingsSection, kEnableShortcut, settings.m_bEnableShortcut ? 1 : 0);
    profile.WriteProfileInt(kSettingsSection, kAreaSystemCache, settings.m_areas.systemCache ? 1 : 0);
    profile.WriteProfileInt(kSettingsSection, kAreaModifiedList, settings.m_areas.modifiedList ? 1 : 0);
    profile.WriteProfileInt(kSettingsSection, kAreaStandbyList, static_cast<int>(settings.m_areas.standbyList));
    profile.WriteProfileInt(kSettingsSection, kAreaCombinePages, settings.m_areas.combinePages ? 1 : 0);
    profile.WriteProfileInt(kSettingsSection, kAutomaticRule, static_cast<int>(settings.m_automatic.rule));
    profile.WriteProfileInt(kSettingsSection, kAutomaticInUsePercent, settings.m_automatic.inUsePercent);
    profile.WriteProfileInt(kSettingsSection, kStandbyFreeBelowMB, settings.m_automatic.standbyFreeBelowMB);
    profile.WriteProfileInt(kSettingsSection, kStandbyListAboveMB, settings.m_automatic.standbyListAboveMB);
    profile.WriteProfileStrings(kSettingsSection, kExclusions, KeptExclusions(settings.m_exclusions));
    profile.WriteProfileInt(kSettingsSection, kTrayIconShows, static_cast<int>(settings.m_trayIconShows));
    profile.WriteProfileInt(kSettingsSection, kTheme, static_cast<int>(settings.m_theme));
    profile.WriteProfileString(kSettingsSection, kLanguage, KeptLanguageTag(settings.m_language));
}

RunChoices RunChoicesOf(const OptimizerSettings& settings) {
    RunChoices choices;
    choices.areas = settings.m_areas;
    choices.exclusions = settings.m_exclusions;
    choices.automatic = settings.m_automatic;
    return choices;
}

bool RunEntryData(const std::string& executablePath, bool clear, std::string& data) {
    if (clear) {
        data.clear();
        return true;
    }
    if (executablePath.empty())
        return false;
    data = '"' + executablePath + '"';
    return true;
}

void UpdateRunEntry(RunEntryStore& store, bool clear, LogonTaskUpdate task) {
    const std::string path = clear ? std::string() : store.ExecutablePath();
    std::string data;
    if (RunEntryData(path, clear, data))
        store.WriteRunValue(data);
    if (task == LogonTaskUpdate::InStep)
        store.KeepLogonTaskInStep(path, !clear);
}

}  // namespace qmo
