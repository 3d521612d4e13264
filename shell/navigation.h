#pragma once
// The one page-switching rule: the highlighted navigation group, the selected
// tab and the title panel always change together.
#include <optional>
#include <string>

#include "res/resource.h"

namespace qmo {

// A link of the navigation panel as the rule sees it.
struct NavigationItem {
    int id = 0;
    int group = 0;  // index of its group in the panel
    int icon = -1;
    std::string caption;
    std::string groupCaption;
};

// The view's side: the panels and the tab control.
class NavigationTarget {
public:
    virtual ~NavigationTarget() = default;
    virtual int NavigationGroupCount() const = 0;
    virtual void SetGroupSpecial(int group, bool special) = 0;
    virtual void SetTitleIcon(int icon) = 0;
    virtual int TabCount() const = 0;
    virtual void SelectTab(int index) = 0;
    virtual void SetPageTitle(const std::string& groupCaption, const std::string& itemCaption) = 0;
};

// The tab of a page's link; none for any other item.
std::optional<int> TabForNavigationItem(int itemId);

// fromTab: the caller selects (or has selected) the tab itself.
void ShowNavigationItem(NavigationTarget& target, const NavigationItem* item, bool fromTab);

}  // namespace qmo
