#include "config/optimizer_settings.h"

namespace qmo {

namespace {

constexpr std::string_view kCriticalLimit = "CL";
constexpr std::string_view kShortcutKey = "SC";
constexpr std::string_view kRunAtStartup = "RAS";
constexpr std::string_view kShowNotification = "SN";
constexpr std::string_view kAutoOptimize = "bAOMAMSF";
constexpr std::string_view kAutoRefreshProcessList = "bARPL";
constexpr std::string_view kEnableShortcut = "bEnableShortcut";

}  // namespace

void ReadSettings(ProfileStore& profile, OptimizerSettings& settings) {
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

    if (read.m_strShortcutKey.empty())
        return;
    settings = read;
}

void WriteSettings(ProfileStore& profile, const OptimizerSettings& settings) {
    profile.WriteProfileInt(kSettingsSection, kCriticalLimit, settings.m_nCriticalLimit);
    profile.WriteProfileString(kSettingsSection, kShortcutKey, settings.m_strShortcutKey);
    profile.WriteProfileInt(kSettingsSection, kRunAtStartup, settings.m_bRunAtStartup ? 1 : 0);
    profile.WriteProfileInt(kSettingsSection, kShowNotification, settings.m_bShowNotification ? 1 : 0);
    profile.WriteProfileInt(kSettingsSection, kAutoOptimize, settings.m_bAutoOptimize ? 1 : 0);
    profile.WriteProfileInt(kSettingsSection, kAutoRefreshProcessList,
                            settings.m_bAutoRefreshProcessList ? 1 : 0);
    profile.WriteProfileInt(kSettingsSection, kEnableShortcut, settings.m_bEnableShortcut ? 1 : 0);
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
