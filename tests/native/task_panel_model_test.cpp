#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "res/resource.h"
#include "toolkit/task_panel/task_panel_model.h"

namespace qmo {
namespace {

// Every character is 6 pixels wide; lines wrap at the width, a word may break anywhere.
class FixedPitchMeasure : public TaskTextMeasure {
public:
    explicit FixedPitchMeasure(unsigned dpi = kDesignDpi) : dpi(dpi) {}
    int TextHeight(std::string_view text, int width, TaskTextStyle style) override {
        narrowest = std::min(narrowest, width);
        if (text.empty())
            return 0;
        const int perLine = std::max(width / ScaleForDpi(kCharWidth, dpi), 1);
        const int lines = (static_cast<int>(text.size()) + perLine - 1) / perLine;
        return lines * LineHeight(style);
    }
    int LineHeight(TaskTextStyle style) override {
        return ScaleForDpi(style == TaskTextStyle::Heading ? 20 : 10, dpi);
    }

    static constexpr int kCharWidth = 6;
    unsigned dpi;
    int narrowest = 1 << 30;
};

TaskPanelLook TestLook() {
    TaskPanelLook look;
    look.panelPadding = {10, 8, 10, 4};
    look.groupMargins = {0, 0, 0, 6};
    look.captionMinHeight = 24;
    look.captionPaddingX = 5;
    look.captionPaddingY = 3;
    look.bodyPadding = {7, 4, 7, 5};
    look.itemSpacing = 3;
    look.iconSize = 16;
    look.iconGap = 4;
    look.expandButtonSize = 12;
    return look;
}

bool IsProper(const Rect& rect) {
    return rect.right >= rect.left && rect.bottom >= rect.top;
}

class TaskPanelModelTest : public ::testing::Test {
protected:
    TaskPanelModelTest() {
        model.SetLook(TestLook());
        model.SetExpandable(false);
        model.SetChangeListener([this] { ++changes; });
    }
    void Layout(int width) { model.Layout(width, measure); }

    TaskPanelModel model;
    FixedPitchMeasure measure;
    int changes = 0;
};

TEST_F(TaskPanelModelTest, GroupsStackDownThePanelEachCaptionAboveItsItems) {
    TaskGroup& first = model.AddGroup(1, "First");
    const TaskItem& link = first.AddLink(11, "Go", 3);
    const TaskItem& note = first.AddText(12, "Note", false);
    TaskGroup& second = model.AddGroup(2, "Second");
    const TaskItem& other = second.AddLink(21, "Other", -1);
    Layout(200);
    const TaskPanelLook look = TestLook();

    EXPECT_EQ(first.Rect(), (Rect{10, 8, 190, first.Rect().bottom}));
    EXPECT_EQ(first.CaptionRect(), (Rect{10, 8, 190, 8 + 24})) << "one line fits in the minimum height";
    EXPECT_EQ(first.BodyRect().top, first.CaptionRect().bottom);
    EXPECT_EQ(link.Rect().top, first.BodyRect().top + look.bodyPadding.top);
    EXPECT_EQ(link.Rect().left, 10 + look.bodyPadding.left);
    EXPECT_EQ(link.Rect().right, 190 - look.bodyPadding.right);
    EXPECT_EQ(link.IconRect(), (Rect{17, link.Rect().top, 17 + 16, link.Rect().top + 16}));
    EXPECT_EQ(link.TextRect().left, link.IconRect().right + look.iconGap);
    EXPECT_EQ(link.TextRect().top, link.Rect().top + 3) << "a 10-pixel line sits level with the 16-pixel icon";
    EXPECT_EQ(note.Rect().top, link.Rect().bottom + look.itemSpacing);
    EXPECT_EQ(note.TextRect().left, note.Rect().left) << "no icon, no indent";
    EXPECT_EQ(first.BodyRect().bottom, note.Rect().bottom + look.bodyPadding.bottom);
    EXPECT_EQ(second.Rect().top, first.Rect().bottom + look.groupMargins.bottom);
    EXPECT_EQ(other.Rect().Height(), 10);
    EXPECT_EQ(model.ContentHeight(), second.Rect().bottom + look.groupMargins.bottom + look.panelPadding.bottom);
}

TEST_F(TaskPanelModelTest, LongTextWrapsAndPushesWhatFollowsDown) {
    TaskGroup& group = model.AddGroup(1, std::string(60, 'c'));
    const TaskItem& link = group.AddLink(11, std::string(50, 'x'), 0);
    const TaskItem& after = group.AddText(12, "after", true);
    Layout(200);

    // Caption text: 180 wide less 2 x 5 padding = 170 = 28 characters a line, 3 lines.
    EXPECT_EQ(group.CaptionRect().Height(), 3 * 10 + 2 * 3);
    EXPECT_EQ(group.CaptionTextRect().Height(), 30);
    // Item text: 166 less icon and gap = 146 = 24 characters a line, 3 lines.
    EXPECT_EQ(link.TextRect().Height(), 30);
    EXPECT_EQ(link.Rect().bottom, link.TextRect().bottom);
    EXPECT_EQ(after.Rect().top, link.Rect().bottom + 3);
    EXPECT_TRUE(after.IsBold());
}

TEST_F(TaskPanelModelTest, AControlItemIsAsTallAsItsWindowAndAsWideAsTheBodysInside) {
    TaskGroup& group = model.AddGroup(ID_TASKGROUP_OPTIMIZE, "Optimize Memory now..");
    const TaskItem& button = group.AddControl(IDC_OPTIMIZE_MEMORY, 52);
    Layout(235);

    EXPECT_EQ(group.InnerWidth(), 235 - 2 * 10 - 2 * 7);
    EXPECT_EQ(button.Rect().Width(), group.InnerWidth());
    EXPECT_EQ(button.Rect().Height(), 52);
    EXPECT_EQ(button.Rect().left, group.Rect().left + 7);
    EXPECT_TRUE(button.TextRect().IsEmpty() && button.IconRect().IsEmpty());
}

TEST_F(TaskPanelModelTest, AGroupsOwnMarginsReplaceTheLooksDefault) {
    TaskGroup& plain = model.AddGroup(1, "Plain");
    TaskGroup& own = model.AddGroup(2, "Own");
    own.SetMargins({0, 5, 0, 0});
    Layout(300);

    EXPECT_EQ(plain.Rect().left, 10);
    EXPECT_EQ(own.Rect().left, 10) << "the panel's padding still applies";
    EXPECT_EQ(own.Rect().right, 290);
    EXPECT_EQ(own.Rect().top, plain.Rect().bottom + 6 + 5) << "the first group's bottom margin, then its own top";
    EXPECT_EQ(model.ContentHeight(), own.Rect().bottom + 0 + 4);
}

TEST_F(TaskPanelModelTest, OnlyShownLinkItemsAreHitAndCaptionsOnlyWhenTheGroupsCanExpand) {
    TaskGroup& group = model.AddGroup(1, "Group");
    TaskItem& link = group.AddLink(11, "Link", 2);
    const TaskItem& text = group.AddText(12, "Text", false);
    const TaskItem& control = group.AddControl(13, 30);
    group.SetExpanded(false);
    Layout(200);
    const Rect caption = group.CaptionRect();
    EXPECT_TRUE(link.IsShown()) << "folding means nothing while the panel cannot expand";
    EXPECT_TRUE(group.ExpandButtonRect().IsEmpty());

    EXPECT_EQ(model.HitTest(link.Rect().left, link.Rect().top).link, &link) << "the icon is part of the link";
    EXPECT_EQ(model.HitTest(link.Rect().right - 1, link.Rect().bottom - 1).link, &link);
    EXPECT_FALSE(model.HitTest(link.Rect().right, link.Rect().top).link) << "the right edge is outside";
    EXPECT_FALSE(model.HitTest(text.Rect().left, text.Rect().top).link);
    EXPECT_FALSE(model.HitTest(control.Rect().left, control.Rect().top).link);
    const TaskHit onCaption = model.HitTest(caption.left + 2, caption.top + 2);
    EXPECT_FALSE(onCaption.caption || onCaption.link) << "captions take no clicks";

    model.SetExpandable(true);
    Layout(200);
    EXPECT_EQ(model.HitTest(caption.left + 2, caption.top + 2).caption, &group);
    EXPECT_FALSE(group.ExpandButtonRect().IsEmpty());
    EXPECT_FALSE(link.IsShown());
    EXPECT_TRUE(link.Rect().IsEmpty());
    EXPECT_TRUE(group.BodyRect().IsEmpty());
    EXPECT_FALSE(model.HitTest(caption.left + 10, caption.bottom + 8).link);
}

TEST_F(TaskPanelModelTest, ChangesAreReportedOnlyWhenWhatIsShownChanges) {
    TaskGroup& group = model.AddGroup(1, "Settings");
    TaskItem& item = group.AddLink(11, "Configure\nthe tooltip", 5);
    EXPECT_EQ(item.Caption(), "Configure") << "the text after a line feed is the tooltip";
    changes = 0;

    item.SetCaption("Configure");
    group.SetCaption("Settings");
    group.SetSpecial(false);
    item.SetIcon(5);
    EXPECT_EQ(changes, 0);

    item.SetCaption("Change");
    group.SetSpecial(true);
    group.SetIcon(58);
    item.SetIcon(-7);
    EXPECT_EQ(changes, 4);
    EXPECT_EQ(item.Icon(), -1) << "any negative icon means none";
    EXPECT_TRUE(group.IsSpecial());
}

TEST_F(TaskPanelModelTest, TinyAndZeroWidthsGiveNoNegativeSizes) {
    TaskGroup& group = model.AddGroup(1, "A caption that wraps", 4);
    group.AddLink(11, "A link that wraps", 2);
    group.AddText(12, "Text", true);
    group.AddControl(13, 20);
    model.SetExpandable(true);
    for (const int width : {-20, 0, 1, 5, 19, 21, 40}) {
        Layout(width);
        EXPECT_GE(measure.narrowest, 0) << width;
        const Rect rects[] = {group.Rect(),
                                group.CaptionRect(),
                                group.CaptionIconRect(),
                                group.CaptionTextRect(),
                                group.ExpandButtonRect(),
                                group.BodyRect()};
        for (const Rect& rect : rects)
            EXPECT_TRUE(IsProper(rect)) << width;
        EXPECT_GE(group.InnerWidth(), 0) << width;
        EXPECT_LE(group.Rect().right, std::max(width, 0)) << width;
        for (std::size_t i = 0; i < group.ItemCount(); ++i) {
            const TaskItem& item = group.Item(i);
            EXPECT_TRUE(IsProper(item.Rect()) && IsProper(item.IconRect()) && IsProper(item.TextRect())) << width;
            EXPECT_LE(item.IconRect().right, item.Rect().right) << width;
        }
    }
}

TEST_F(TaskPanelModelTest, KeyboardStepsThroughShownLinksInReadingOrderOnly) {
    TaskGroup& first = model.AddGroup(1, "First");
    TaskItem& a = first.AddLink(11, "a", -1);
    first.AddText(12, "not a link", false);
    TaskItem& b = first.AddLink(13, "b", -1);
    TaskGroup& second = model.AddGroup(2, "Second");
    TaskItem& c = second.AddLink(21, "c", -1);
    Layout(200);

    EXPECT_EQ(model.NextLink(nullptr, true), &a);
    EXPECT_EQ(model.NextLink(&a, true), &b);
    EXPECT_EQ(model.NextLink(&b, true), &c);
    EXPECT_FALSE(model.NextLink(&c, true));
    EXPECT_EQ(model.NextLink(nullptr, false), &c);
    EXPECT_FALSE(model.NextLink(&a, false));

    model.SetExpandable(true);
    second.SetExpanded(false);
    Layout(200);
    EXPECT_FALSE(model.NextLink(&b, true)) << "c is folded away";
    EXPECT_EQ(model.NextLink(&c, true), &a) << "from a hidden link, start again";
}

TEST_F(TaskPanelModelTest, ANotificationNamesAnItemOnlyWhenTheItemIsOneOfOurs) {
    TaskGroup& group = model.AddGroup(1, "Group");
    TaskItem& link = group.AddLink(11, "a", -1);
    TaskPanelModel other;
    TaskItem& foreign = other.AddGroup(1, "Other").AddLink(11, "a", -1);

    EXPECT_EQ(model.OwnItemAt(reinterpret_cast<std::uintptr_t>(&link)), &link);
    EXPECT_FALSE(model.OwnItemAt(reinterpret_cast<std::uintptr_t>(&foreign))) << "another panel's item";
    EXPECT_FALSE(model.OwnItemAt(reinterpret_cast<std::uintptr_t>(&group))) << "a group is not an item";
    for (std::uintptr_t madeUp : {std::uintptr_t{0}, std::uintptr_t{1}, std::uintptr_t{0xDEADBEEF},
                                  ~std::uintptr_t{0}, reinterpret_cast<std::uintptr_t>(&link) + 1})
        EXPECT_FALSE(model.OwnItemAt(madeUp)) << madeUp;
}

TEST(TaskPanelLookTest, ThePageTitleLinesItsDescriptionUpUnderTheHeadingTextAtEveryDpi) {
    for (const unsigned dpi : {96u, 144u, 192u}) {
        TaskPanelModel model;
        model.SetLook(TaskPanelLookFor(kTaskPanelTitleTheme, dpi));
        model.SetExpandable(false);
        TaskGroup& title = model.AddGroup(ID_TASKGROUP_PERFORMANCE, "Current System Performance", 24);
        title.SetMargins(ScaleForDpi(UiMargins{0, 5, 0, 0}, dpi));
        const TaskItem& description = title.AddText(0, "This option will help you", true);
        FixedPitchMeasure measure(dpi);
        model.Layout(ScaleForDpi(1045, dpi), measure);

        EXPECT_EQ(description.TextRect().left, title.CaptionTextRect().left) << dpi;
        EXPECT_EQ(title.CaptionIconRect().Width(), ScaleForDpi(16, dpi)) << "the icon grows with the text";
        EXPECT_LE(model.ContentHeight(), ScaleForDpi(80, dpi)) << "fits the title panel's height at " << dpi;
    }
}

TEST(TaskPanelLookTest, TheNavigationCardsGrowWithTheDpiAndKeepTheirProportions) {
    const TaskPanelLook design = TaskPanelLookFor(kTaskPanelNavigationTheme);
    const TaskPanelLook large = TaskPanelLookFor(kTaskPanelNavigationTheme, 144);
    EXPECT_EQ(TaskPanelLookFor(kTaskPanelNavigationTheme, 0).captionMinHeight, design.captionMinHeight);
    EXPECT_EQ(large.captionMinHeight * 2, design.captionMinHeight * 3);
    EXPECT_EQ(large.panelPadding.left * 2, design.panelPadding.left * 3);
    EXPECT_EQ(large.bodyPadding.bottom * 2, design.bodyPadding.bottom * 3);
    EXPECT_EQ(large.itemSpacing * 2, design.itemSpacing * 3);
    EXPECT_EQ(large.iconSize * 2, design.iconSize * 3);
}

}  // namespace
}  // namespace qmo
