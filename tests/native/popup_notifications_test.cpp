#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <string>

#include "framework/dpi_scale.h"
#include "framework/format_decimal.h"
#include "optimizer/freed_memory.h"
#include "shell/popup_notifications.h"

namespace qmo {
namespace {

TEST(FormatDecimal, PlainDigitsForEveryUnsignedValueAndNegativeIntsAsTheirUnsignedEquivalent) {
    EXPECT_EQ(FormatDecimal(0), "0");
    // Around every power of ten, where digit counts change, up to the top.
    for (std::uint64_t power = 1; power <= UINT32_MAX; power *= 10) {
        for (std::uint64_t value : {power - 1, power, power + 1})
            EXPECT_EQ(FormatDecimal(static_cast<std::uint32_t>(value)), std::to_string(value));
    }
    EXPECT_EQ(FormatDecimal(UINT32_MAX), std::to_string(UINT32_MAX));
    EXPECT_EQ(FormatDecimal(-1), std::to_string(UINT32_MAX));
    EXPECT_EQ(FormatDecimal(INT_MIN), std::to_string(static_cast<std::uint64_t>(INT_MAX) + 1));
}

TEST(FormatDecimal, TheSignedFormKeepsTheSignForEveryInt) {
    for (int value : {0, 1, -1, 9, -10, INT_MAX, INT_MIN, INT_MIN + 1})
        EXPECT_EQ(FormatSignedDecimal(value), std::to_string(value));
}

TEST(PopupNotifications, TheLimitMessageShowsANegativeLimitSignedAndKeepsItsTrailingSpace) {
    const std::string message = CriticalLimitMessage(-1);
    EXPECT_NE(message.find(" -1% "), std::string::npos) << message;
    EXPECT_EQ(message.find("4294967295"), std::string::npos) << message;
    EXPECT_EQ(CriticalLimitMessage(80), "The system has crossed critical limit 80% ");
}

TEST(PopupNotifications, BothPopupsDifferOnlyInFrameColourAndMessage) {
    const PopupContent critical = BuildCriticalLimitPopup(85);
    const PopupContent optimized = BuildOptimizedPopup();
    ASSERT_EQ(critical.elements.Count(), optimized.elements.Count());
    EXPECT_EQ(critical.elements[0].fill, (Color{255, 0, 0}));
    EXPECT_EQ(optimized.elements[0].fill, (Color{0, 255, 0}));
    EXPECT_EQ(optimized.elements[3].text, "The System Memory is optimized");
    for (std::size_t i = 0; i < critical.elements.Count(); ++i) {
        const PopupElement& a = critical.elements[i];
        const PopupElement& b = optimized.elements[i];
        EXPECT_TRUE(a.rect.left == b.rect.left && a.rect.top == b.rect.top && a.rect.right == b.rect.right &&
                    a.rect.bottom == b.rect.bottom)
            << i;
        EXPECT_EQ(a.link, b.link) << i;
        EXPECT_EQ(a.image, b.image) << i;
        EXPECT_TRUE(i == 0 || a.fill == b.fill) << i;
        EXPECT_TRUE(i == 3 || a.id == b.id) << i;
    }
}

TEST(PopupNotifications, PointsOnThePopupHitWhatTheUserSeesThere) {
    const PopupContent critical = BuildCriticalLimitPopup(90);
    const PopupContent optimized = BuildOptimizedPopup();
    auto idAt = [](const PopupContent& content, PopupPoint point) {
        return content.elements[*content.elements.HitTest(point)].id;
    };
    EXPECT_EQ(idAt(critical, {40, 75}), kOptimizeLinkId);
    EXPECT_EQ(idAt(optimized, {40, 75}), 0);
    EXPECT_EQ(idAt(critical, {263, 10}), kPopupCloseButtonId) << "the button lies over the title";
    EXPECT_EQ(idAt(optimized, {269, 18}), kPopupCloseButtonId);
    EXPECT_EQ(idAt(critical, {100, 12}), 0) << "title";
    EXPECT_EQ(*critical.elements.HitTest({12, 35}), 1u) << "the icon has no width: the panel answers";
}

TEST(PopupNotifications, At144DpiThePopupAndEveryElementAreHalfAgainAsLargeAndHitTheSame) {
    const PopupContent design = BuildCriticalLimitPopup(90);
    const PopupContent large = ScaledForDpi(BuildCriticalLimitPopup(90), 144);
    EXPECT_EQ(large.width, 405);
    EXPECT_EQ(large.height, 192);
    ASSERT_EQ(large.elements.Count(), design.elements.Count());
    for (std::size_t i = 0; i < design.elements.Count(); ++i) {
        const PopupRect& from = design.elements[i].rect;
        const PopupRect& to = large.elements[i].rect;
        EXPECT_NEAR(to.left, from.left * 1.5, 0.5) << i;
        EXPECT_NEAR(to.top, from.top * 1.5, 0.5) << i;
        EXPECT_NEAR(to.right, from.right * 1.5, 0.5) << i;
        EXPECT_NEAR(to.bottom, from.bottom * 1.5, 0.5) << i;
        EXPECT_NEAR(large.elements[i].imageWidth, design.elements[i].imageWidth * 1.5, 0.5) << i;
        EXPECT_EQ(large.elements[i].text, design.elements[i].text);
    }
    EXPECT_EQ(large.elements[4].imageWidth, 48) << "the icon";
    for (const PopupPoint point : {PopupPoint{40, 75}, {263, 10}, {100, 12}, {12, 35}, {269, 18}})
        EXPECT_EQ(large.elements.HitTest({point.x * 3 / 2, point.y * 3 / 2}), design.elements.HitTest(point))
            << point.x << "," << point.y;

    // The slide covers the taller popup in the same steps and ends at its full height.
    PopupTimeline slide(large.height, large.timing);
    EXPECT_EQ(large.timing.Steps(), design.timing.Steps());
    slide.Start(0);
    slide.AdvanceTo(large.timing.slideMs);
    EXPECT_EQ(slide.Height(), 192);
    EXPECT_EQ(ScaledForDpi(BuildOptimizedPopup(), kDesignDpi).height, design.height);
}

TEST(PopupNotifications, TheLinkStartsAnOptimizationAndEveryOtherClickCloses) {
    EXPECT_EQ(PopupClickActionFor(kOptimizeLinkId), PopupClickAction::StartOptimization);
    for (int id : {kPopupCloseButtonId, 0, kOptimizeLinkId - 1, kOptimizeLinkId + 1, INT_MIN})
        EXPECT_EQ(PopupClickActionFor(id), PopupClickAction::CloseNow) << id;
}

TEST(PopupNotifications, TheFreedLineSitsUnderTheMessageInsideThePanelAndTheWindowTextHoldsBothLines) {
    const PopupContent plain = BuildOptimizedPopup();
    const PopupContent freed = BuildOptimizedPopup(412u * 1024 * 1024);
    ASSERT_EQ(freed.elements.Count(), plain.elements.Count() + 1) << "unknown: no second line";
    const PopupElement& panel = freed.elements[1];
    const PopupElement& message = freed.elements[3];
    const PopupElement& line = freed.elements[freed.elements.Count() - 1];
    EXPECT_EQ(line.text, FreedLine(412u * 1024 * 1024));
    EXPECT_GE(line.rect.top, message.rect.bottom);
    EXPECT_TRUE(line.rect.left >= panel.rect.left && line.rect.right <= panel.rect.right &&
                line.rect.bottom < panel.rect.bottom)
        << "inside the panel's border";
    EXPECT_EQ(freed.width, plain.width);
    EXPECT_EQ(freed.height, plain.height);

    EXPECT_EQ(plain.windowText, message.text);
    EXPECT_EQ(freed.windowText, message.text + "\n" + line.text);
    const PopupContent critical = BuildCriticalLimitPopup(85);
    EXPECT_EQ(critical.windowText, critical.elements[3].text);
}

}  // namespace
}  // namespace qmo
