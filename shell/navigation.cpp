#include "shell/navigation.h"

namespace qmo {

std::optional<int> TabForNavigationItem(int itemId) {
    switch (itemId) {
    case ID_TASKITEM_PERFORMANCE:
        return 0;
    case ID_TASKITEM_PROCESS:
        return 1;
    case ID_TASKITEM_SETTINGS:
        return 2;
    default:
        return std::nullopt;
    }
}

void ShowNavigationItem(NavigationTarget& target, const NavigationItem* item, bool fromTab) {
    if (!item)
        return;
    for (int group = 0; group < target.NavigationGroupCount(); ++group)
        target.SetGroupSpecial(group, false);
    target.SetGroupSpecial(item->group, true);
    target.SetTitleIcon(item->icon);

    const std::optional<int> tab = TabForNavigationItem(item->id);
    if (!tab)
        return;
    if (!fromTab && *tab < target.TabCount())
        target.SelectTab(*tab);
    target.SetPageTitle(item->groupCaption, item->caption);
}

}  // namespace qmo
