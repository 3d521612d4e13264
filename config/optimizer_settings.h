#pragma once
// The user settings and their persistence rules. Portable: the registry
// profile and the Run entry are reached through the two seams below.
#include <string>
#include <string_view>
#include <vector>

#include "framework/identity.h"
#include "framework/profile_store.h"
#include "optimizer/run_choices.h"

namespace qmo {

// The machine-wide logon Run value of this program.
class RunEntryStore {
public:
    virtual ~RunEntryStore() = default;
    // Full path of the running executable; empty when the system cannot tell.
    virtual std::string ExecutablePath() = 0;
    // Writes the Run value; false when the Run key cannot be opened for writing.
    virtual bool WriteRunValue(const std::string& data) = 0;
    // Brings the elevated logon task in step with the Run value, in its own
    // time; a store that keeps the Run value alone does nothing.
    virtual void KeepLogonTaskInStep(const std::string& executablePath, bool enabled) {}
};

// What the notification-area icon shows: the animation, or a figure as a number.
enum class TrayIconShows : int { Animation = 0, MemoryInUse = 1, CommittedMemory = 2 };
// The colours of the window: as Windows' setting for apps, or always light or dark.
enum class ThemeChoice : int { FollowWindows = 0, Light = 1, Dark = 2 };

// Whether a save concerns the logon task: only those that can change the
// run-at-startup setting do, and the task is slow to reach.
enum class LogonTaskUpdate { InStep, LeftAlone };

struct OptimizerSettings {
    int m_nCriticalLimit = 80;
    std::string m_strShortcutKey = "O";
    bool m_bRunAtStartup = true;
    bool m_bShowNotification = true;
    bool m_bAutoOptimize = true;
    bool m_bAutoRefreshProcessList = true;
    // The emergency shortcut is opt-in: Ctrl+Alt+letter types characters on AltGr layouts.
    bool m_bEnableShortcut = false;
    MemoryAreaChoices m_areas;
    AutomaticRunChoices m_automatic;
    // Programs no run trims, as kept by KeptExclusions.
    std::vector<std::string> m_exclusions;
    TrayIconShows m_trayIconShows = TrayIconShows::Animation;
    ThemeChoice m_theme = ThemeChoice::FollowWindows;
    // The language as a BCP 47 tag; empty follows Windows. Used from the next start.
    std::string m_language;

    bool operator==(const OptimizerSettings&) const = default;
};

// Reads the record; a missing or empty "SC" means no saved record exists, and
// then nothing read is used.
void ReadSettings(ProfileStore& profile, OptimizerSettings& settings);

// The stored language choice alone, as kept (for the start, before any window).
std::string ReadLanguageChoice(ProfileStore& profile);

// Writes every value, in declaration order.
void WriteSettings(ProfileStore& profile, const OptimizerSettings& settings);

// What the Run value holds: the executable path in double quotes, so a path
// with spaces cannot be hijacked by a planted "C:\Program.exe"; empty when
// clearing. Returns false (nothing to write) when the path is unknown.
// What the settings ask of a run.
RunChoices RunChoicesOf(const OptimizerSettings& settings);

bool RunEntryData(const std::string& executablePath, bool clear, std::string& data);

// Keeps the Run value in step: the quoted path, or empty data when clearing;
// then, unless told to leave it alone, asks the store to bring the logon task
// in step. A Run key that cannot be written is silently left as it was, and
// the task never keeps the Run value from being written.
void UpdateRunEntry(RunEntryStore& store, bool clear, LogonTaskUpdate task = LogonTaskUpdate::InStep);

}  // namespace qmo
