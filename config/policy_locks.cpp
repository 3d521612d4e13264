#include "config/policy_locks.h"

#include "framework/text.h"
#include "framework/texts.h"
#include "res/pages_resource.h"
#include "toolkit/locked_control.h"

namespace qmo {

void ShowPolicyLock(HWND control, bool locked, bool note) {
    ShowLocked(control, locked, note ? Widen(Text(IDS_SET_BY_ORGANIZATION)) : std::wstring());
}

void ShowPolicyLocks(Dialog& dialog, const SettingsPolicy& policy, std::initializer_list<PolicyLock> locks) {
    // A dialog is made anew each time: what the policy leaves free keeps the state the dialog gave it.
    for (const PolicyLock& lock : locks)
        if (policy.Locks(lock.setting))
            ShowPolicyLock(dialog.Item(lock.control), true, lock.note);
}

}  // namespace qmo
