#include "config/policy_locks.h"

#include "framework/text.h"
#include "framework/texts.h"
#include "res/pages_resource.h"
#include "toolkit/locked_control.h"

namespace qmo {

void ShowPolicyLocks(Dialog& dialog, const SettingsPolicy& policy, std::initializer_list<PolicyLock> locks) {
    const std::wstring note = Widen(Text(IDS_SET_BY_ORGANIZATION));
    // A dialog is made anew each time: what the policy leaves free keeps the state the dialog gave it.
    for (const PolicyLock& lock : locks)
        if (policy.Locks(lock.setting))
            ShowLocked(dialog.Item(lock.control), true, lock.note ? note : std::wstring());
}

}  // namespace qmo
