#pragma once
// The controls of a settings dialog that a policy locks: disabled, with
// "Set by your organization" beside them.
#include <initializer_list>

#include "config/settings_policy.h"
#include "framework/dialog.h"

namespace qmo {

struct PolicyLock {
    PolicySetting setting;
    UINT control;
    bool note = true;  // false: disabled only, a note beside a control of the same setting says it
};

// Locks `control` (with the note beside it when `note`), or gives it back.
void ShowPolicyLock(HWND control, bool locked, bool note);
// Locks each control whose setting the policy sets; the others are left as they are.
void ShowPolicyLocks(Dialog& dialog, const SettingsPolicy& policy, std::initializer_list<PolicyLock> locks);

}  // namespace qmo
