#pragma once
// Where the settings record lives for the whole run. Pages read it when they
// are shown and hand back their edits, which are saved at once.
#include <string>

#include "config/optimizer_settings.h"
#include "config/settings_policy.h"

namespace qmo {

class SettingsHolder {
public:
    virtual ~SettingsHolder() = default;
    virtual const OptimizerSettings& Settings() const = 0;
    // Takes `settings` as the record and saves it; saves that cannot change
    // the run-at-startup setting leave the logon task alone.
    virtual void ApplySettings(const OptimizerSettings& settings, LogonTaskUpdate task) = 0;
    // Why the switched-on emergency shortcut does not work, in plain words;
    // empty when it works or is off.
    virtual std::string ShortcutProblem() const = 0;
    // The memory areas this system offers; all of them unless known otherwise.
    virtual MemoryAreaAvailability AreaAvailability() const { return {}; }
    // The user's own record, which a policy's values do not reach.
    virtual const OptimizerSettings& UserSettings() const { return Settings(); }
    // What the organisation sets: those settings are shown, not edited.
    virtual const SettingsPolicy& Policy() const {
        static const SettingsPolicy none;
        return none;
    }
};

}  // namespace qmo
