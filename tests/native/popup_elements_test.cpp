#include <gtest/gtest.h>

#include "toolkit/popup/popup_elements.h"

namespace qmo {
namespace {

// A background, a link, a zero-width picture over the link and a button
// overlapping the link's right end.
class PopupElementsTest : public ::testing::Test {
protected:
    PopupElementsTest() {
        background = Add({0, 0, 100, 100}, false);
        link = Add({10, 10, 60, 30}, true);
        picture = Add({20, 5, 20, 40}, false);
        button = Add({50, 5, 70, 25}, false);
    }
    PopupElements::Index Add(PopupRect rect, bool isLink) {
        PopupElement element;
        element.rect = rect;
        element.link = isLink;
        return elements.Add(element);
    }

    PopupElements elements;
    PopupElements::Index background{}, link{}, picture{}, button{};
};

TEST_F(PopupElementsTest, TheLastAddedElementUnderThePointIsHitAndZeroWidthNever) {
    EXPECT_EQ(elements.HitTest({55, 20}), button) << "overlap goes to the later element";
    EXPECT_EQ(elements.HitTest({10, 10}), link) << "left and top edges are inside";
    EXPECT_EQ(elements.HitTest({49, 30}), background) << "the bottom edge is outside";
    EXPECT_FALSE(elements.HitTest({100, 50}));
    for (int y = 5; y < 40; ++y)
        EXPECT_NE(elements.HitTest({20, y}), picture) << y;
}

TEST_F(PopupElementsTest, OnlyAHotLinkIsUnderlinedAndOnlyChangesAskForARedraw) {
    EXPECT_TRUE(elements.PointerMovedTo({15, 15}));
    EXPECT_TRUE(elements.IsUnderlined(link));
    EXPECT_FALSE(elements.PointerMovedTo({16, 16})) << "same element, same look";
    EXPECT_TRUE(elements.PointerMovedTo({80, 80}));
    EXPECT_FALSE(elements.IsUnderlined(link));
    EXPECT_FALSE(elements.IsUnderlined(background)) << "not a link";
    elements.PointerMovedTo({15, 15});
    EXPECT_TRUE(elements.PointerLeft());
    EXPECT_FALSE(elements.IsUnderlined(link));
}

TEST_F(PopupElementsTest, TheButtonShowsHotThenPressedOnlyWhileHeldOverIt) {
    elements.PointerMovedTo({60, 10});
    EXPECT_EQ(elements.CellOf(button), PopupImageCell::Hot);
    elements.ButtonDown({60, 10});
    EXPECT_EQ(elements.CellOf(button), PopupImageCell::Pressed);
    // Dragged off while held: normal, and nothing else lights up.
    EXPECT_TRUE(elements.PointerMovedTo({30, 20}));
    EXPECT_EQ(elements.CellOf(button), PopupImageCell::Normal);
    EXPECT_FALSE(elements.IsUnderlined(link));
    elements.PointerMovedTo({61, 11});
    EXPECT_EQ(elements.CellOf(button), PopupImageCell::Pressed);
    EXPECT_TRUE(elements.ButtonUp({61, 11}).lookChanged);
    EXPECT_EQ(elements.CellOf(button), PopupImageCell::Hot);
}

TEST_F(PopupElementsTest, AClickIsAPressAndAReleaseOnTheSameElement) {
    elements.ButtonDown({15, 15});
    EXPECT_EQ(elements.ButtonUp({40, 25}).clicked, link);
    elements.ButtonDown({60, 10});
    elements.PointerMovedTo({90, 90});
    EXPECT_EQ(elements.ButtonUp({65, 20}).clicked, button) << "dragged off and back";

    elements.ButtonDown({15, 15});
    EXPECT_FALSE(elements.ButtonUp({60, 10}).clicked) << "released on another element";
    elements.ButtonDown({200, 200});
    EXPECT_FALSE(elements.ButtonUp({200, 200}).clicked) << "pressed on nothing";
    EXPECT_FALSE(elements.ButtonUp({15, 15}).clicked) << "no press at all";
    elements.ButtonDown({15, 15});
    EXPECT_TRUE(elements.CancelPress());
    EXPECT_EQ(elements.Hot(), link) << "losing the press keeps the hover";
    EXPECT_FALSE(elements.ButtonUp({15, 15}).clicked);
}

}  // namespace
}  // namespace qmo
