#pragma once
// The six user settings and their persistence rules. Portable: the registry
// profile and the Run entry are reached through the two seams below.
#include <string>
#include <string_view>

namespace qmo {

class LogonTaskScheduler;

inline constexpr std::string_view kSettingsSection = "Settings";
inline constexpr std::string_view kRunValueName = "Z Wyndle Memory opt";

// Per-user profile: section/value access with a default for anything missing
// or unreadable. Writes report success, but callers here ignore it.
class ProfileStore {
public:
    virtual ~ProfileStore() = default;
    virtual int GetProfileInt(std::string_view section, std::string_view entry, int defaultValue) = 0;
    virtual std::string GetProfileString(std::string_view section, std::string_view entry,
                                         const std::string& defaultValue) = 0;
    virtual bool WriteProfileInt(std::string_view section, std::string_view entry, int value) = 0;
    virtual bool WriteProfileString(std::string_view section, std::string_view entry,
                                    const std::string& value) = 0;
};

// The machine-wide logon Run value of this program.
class RunEntryStore {
public:
    virtual ~RunEntryStore() = default;
    // Full path of the running executable; empty when the system cannot tell.
    virtual std::string ExecutablePath() = 0;
    // Writes the Run value; false when the Run key cannot be opened for writing.
    virtual bool WriteRunValue(const std::string& data) = 0;
    // Where the elevated logon task is kept in step with the Run value;
    // none for a store that keeps the Run value alone.
    virtual LogonTaskScheduler* LogonTasks() { return nullptr; }
};

}  // namespace qmo

struct OptimizerSettings {
    int m_nCriticalLimit = 80;
    std::string m_strShortcutKey = "O";
    bool m_bRunAtStartup = true;
    bool m_bShowNotification = true;
    bool m_bAutoOptimize = true;
    bool m_bAutoRefreshProcessList = true;

    bool operator==(const OptimizerSettings&) const = default;
};

namespace qmo {

// Reads the record; a missing or empty "SC" means no saved record exists, and
// then nothing read is used.
void ReadSettings(ProfileStore& profile, OptimizerSettings& settings);

// Writes all six values, in declaration order.
void WriteSettings(ProfileStore& profile, const OptimizerSettings& settings);

// What the Run value holds: the executable path in double quotes, so a path
// with spaces cannot be hijacked by a planted "C:\Program.exe"; empty when
// clearing. Returns false (nothing to write) when the path is unknown.
bool RunEntryData(const std::string& executablePath, bool clear, std::string& data);

// Keeps the Run value in step: the quoted path, or empty data when clearing;
// then registers or removes the logon task of the store, if it has one. A Run
// key that cannot be written is silently left as it was, and a task the
// scheduler refuses never keeps the Run value from being written.
void UpdateRunEntry(RunEntryStore& store, bool clear);

}  // namespace qmo
