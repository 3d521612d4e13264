#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "shell/navigation.h"

namespace qmo {
namespace {

class RecordingView : public NavigationTarget {
public:
    int NavigationGroupCount() const override { return static_cast<int>(special.size()); }
    void SetGroupSpecial(int group, bool value) override { special.at(static_cast<std::size_t>(group)) = value; }
    void SetTitleIcon(int icon) override { titleIcon = icon; }
    int TabCount() const override { return tabs; }
    void SelectTab(int index) override { selections.push_back(index); }
    void SetPageTitle(const std::string& group, const std::string& item) override {
        titleGroup = group;
        titleItem = item;
        ++titleChanges;
    }

    std::vector<bool> special = {true, false, false, false};
    int tabs = 3;
    int titleIcon = -1;
    std::vector<int> selections;
    std::string titleGroup;
    std::string titleItem;
    int titleChanges = 0;
};

const NavigationItem kPerformance{ID_TASKITEM_PERFORMANCE, 0, 24, "This option will help you to view Current System Performance",
                                  "Current System Performance"};
const NavigationItem kProcess{ID_TASKITEM_PROCESS, 1, 18,
                              "This option will help you to view Current Running Processes and control them",
                              "Current System Process"};
const NavigationItem kSettings{ID_TASKITEM_SETTINGS, 2, 58, "This option will help you to configure Optimizer Settings",
                               "Settings"};

TEST(Navigation, LinkClickOrMenuCommandSelectsTheTabAndAgreesEverywhere) {
    RecordingView view;
    ShowNavigationItem(view, &kProcess, false);
    EXPECT_EQ(view.special, (std::vector<bool>{false, true, false, false}));
    EXPECT_EQ(view.selections, std::vector<int>{1});
    EXPECT_EQ(view.titleIcon, 18);
    EXPECT_EQ(view.titleGroup, "Current System Process");
    EXPECT_EQ(view.titleItem, "This option will help you to view Current Running Processes and control them");
}

TEST(Navigation, TabActivationAndStartUpDoNotSelectTheTabAgain) {
    RecordingView view;
    ShowNavigationItem(view, &kSettings, true);
    EXPECT_TRUE(view.selections.empty());
    EXPECT_EQ(view.special, (std::vector<bool>{false, false, true, false}));
    EXPECT_EQ(view.titleGroup, "Settings");
    EXPECT_EQ(view.titleIcon, 58);

    ShowNavigationItem(view, &kPerformance, true);  // as at start-up
    EXPECT_EQ(view.special, (std::vector<bool>{true, false, false, false}));
    EXPECT_EQ(view.titleItem, "This option will help you to view Current System Performance");
}

TEST(Navigation, NullItemChangesNothing) {
    RecordingView view;
    view.special = {false, true, false, false};
    ShowNavigationItem(view, nullptr, false);
    EXPECT_EQ(view.special, (std::vector<bool>{false, true, false, false}));
    EXPECT_EQ(view.titleChanges, 0);
    EXPECT_EQ(view.titleIcon, -1);
}

TEST(Navigation, UnknownItemHighlightsItsGroupButLeavesTabAndTitle) {
    RecordingView view;
    const NavigationItem other{4242, 3, 7, "x", "Optimize Memory now.."};
    ShowNavigationItem(view, &other, false);
    EXPECT_EQ(view.special, (std::vector<bool>{false, false, false, true}));
    EXPECT_EQ(view.titleIcon, 7);
    EXPECT_TRUE(view.selections.empty());
    EXPECT_EQ(view.titleChanges, 0);
}

TEST(Navigation, MissingTabSelectsNothingButTheTitleStillFollows) {
    RecordingView view;
    view.tabs = 2;
    ShowNavigationItem(view, &kSettings, false);
    EXPECT_TRUE(view.selections.empty());
    EXPECT_EQ(view.titleGroup, "Settings");
}

}  // namespace
}  // namespace qmo
