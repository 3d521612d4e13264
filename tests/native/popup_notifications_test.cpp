#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <sstream>
#include <string>

#include "framework/dpi_scale.h"
#include "framework/format_decimal.h"
#include "optimizer/freed_memory.h"
#include "optimizer/run_policy.h"
#include "perf/commit_warning.h"
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
    EXPECT_EQ(idAt(BuildCriticalLimitPopup(90, {"Most: a.exe 2 GB"}, false), {40, 75}), 0)
        << "no link where only automatic runs are allowed";
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

TEST(PopupNotifications, TheLinksStartAnOptimizationOrShowTheHistoryAndEveryOtherClickCloses) {
    EXPECT_EQ(PopupClickActionFor(kOptimizeLinkId), PopupClickAction::StartOptimization);
    EXPECT_EQ(PopupClickActionFor(kHistoryLinkId), PopupClickAction::ShowHistory);
    const PopupContent freed = BuildOptimizedPopup(412u * 1024 * 1024);
    EXPECT_EQ(PopupClickActionFor(freed.elements[freed.elements.Count() - 1].id), PopupClickAction::ShowHistory)
        << "the freed line is the history's link";
    for (int id : {kPopupCloseButtonId, 0, kOptimizeLinkId - 1, kHistoryLinkId + 1, INT_MIN})
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

// The red popup's help: the three programs with the most committed memory,
// each program's processes added up, and when a steady rise meets the limit.
TEST(CommitWarning, TheRedPopupNamesWhoHoldsCommittedMemoryAndWhenTheLimitComes) {
    constexpr std::uint64_t kMB = 1024 * 1024;
    const std::vector<ProcessFacts> processes{{1, 0, "chrome.exe"}, {2, 1, "Chrome.exe"}, {3, 0, "code.exe"},
                                              {4, 0, "java.exe"},   {5, 0, "tiny.exe"},   {6, 0, "gone.exe"}};
    const std::map<std::uint32_t, ProcessUse> uses{{1, {1, 0, 1200 * kMB}}, {2, {2, 0, 950 * kMB}},
                                                   {3, {3, 0, 900 * kMB}},  {4, {4, 0, 640 * kMB}},
                                                   {5, {5, 0, 12 * 1024}},  {6, {6, 0, std::nullopt}}};
    const std::vector<CommittedProgram> most = MostCommitted(processes, uses);
    EXPECT_EQ(MostCommittedLine(most), "Most: chrome.exe 2.1 GB, code.exe 900 MB, java.exe 640 MB");
    EXPECT_EQ(CommittedSize(12 * 1024), "12 KB");
    EXPECT_EQ(MostCommittedLine({}), "");

    std::vector<float> rising, flat(100, 90.0f), noisy;
    for (int i = 0; i < 100; ++i) {
        rising.push_back(60.0f + 0.1f * static_cast<float>(i));  // 6 % a minute, 69.9 % now
        noisy.push_back(i % 2 ? 85.0f : 86.0f);
    }
    EXPECT_EQ(MinutesToCommitLimit(rising.data(), 100), 5);
    EXPECT_EQ(MinutesToCommitLimit(flat.data(), 100), std::nullopt);
    EXPECT_EQ(MinutesToCommitLimit(noisy.data(), 100), std::nullopt);
    EXPECT_EQ(MinutesToCommitLimit(rising.data(), 29), std::nullopt) << "too few samples";
    EXPECT_EQ(CommitLimitLine(4), "Limit of committed memory in about 4 min");

    const PopupContent plain = BuildCriticalLimitPopup(80);
    const PopupContent helped = BuildCriticalLimitPopup(80, {MostCommittedLine(most), CommitLimitLine(6)});
    ASSERT_EQ(helped.elements.Count(), plain.elements.Count() + 1);
    const PopupElement& lines = helped.elements[helped.elements.Count() - 1];
    EXPECT_GE(lines.rect.top, helped.elements[3].rect.bottom);
    EXPECT_EQ(helped.windowText, plain.windowText + "\n" + MostCommittedLine(most) + "\n" + CommitLimitLine(6));
    EXPECT_EQ(helped.elements[3].id, kOptimizeLinkId) << "the message is still the link";
}

TEST(ProcessTree, TheForegroundProgramWithItsChildrenAndTheProgramThatStartedItsHelper) {
    const std::vector<ProcessFacts> processes{{1, 0, "explorer.exe"}, {10, 1, "chrome.exe"}, {11, 10, "chrome.exe"},
                                              {12, 10, "chrome.exe"},   {13, 12, "helper.exe"}, {20, 1, "code.exe"},
                                              {30, 30, "loop.exe"}};
    EXPECT_EQ(ProcessTree(processes, 11), (std::set<std::uint32_t>{10, 11, 12, 13}));
    EXPECT_EQ(ProcessTree(processes, 20), (std::set<std::uint32_t>{20}));
    EXPECT_EQ(ProcessTree(processes, 30), (std::set<std::uint32_t>{30})) << "its own parent";
    EXPECT_TRUE(ProcessTree(processes, 0).empty());
    EXPECT_TRUE(ProcessTree(processes, 99).empty());
}

// A font whose characters are all `charWidth` wide and whose lines are
// `lineHeight` high, breaking between words as DrawText does (a word wider
// than the line overflows it); `works` false answers as a failed DrawText.
TextHeightMeasure FakeFont(int charWidth, int lineHeight, bool works = true) {
    return [=](const PopupElement& element) {
        if (!works)
            return 0;
        if (element.layout != PopupTextLayout::WordWrapped)
            return lineHeight;
        int lines = 1;
        int used = 0;
        std::istringstream words(element.text);
        for (std::string word; words >> word;) {
            const int width = static_cast<int>(word.size()) * charWidth;
            if (used > 0 && used + charWidth + width > element.rect.Width()) {
                ++lines;
                used = width;
            } else {
                used += (used > 0 ? charWidth : 0) + width;
            }
        }
        return lines * lineHeight;
    };
}

constexpr std::size_t kPanel = 1, kMessage = 3;

TEST(PopupNotifications, WhereNothingWrapsOnlyTheMessageTakesItsMeasuredHeightAtEveryDpi) {
    for (const unsigned dpi : {96u, 120u, 144u, 192u}) {
        for (const PopupContent& design : {BuildCriticalLimitPopup(80), BuildOptimizedPopup(412u * 1024 * 1024)}) {
            SCOPED_TRACE(design.windowText + " at " + std::to_string(dpi));
            const PopupContent scaled = ScaledForDpi(design, dpi);
            const int line = ScaleForDpi(13, dpi);
            const PopupContent fitted = FittedToMeasuredTexts(scaled, FakeFont(ScaleForDpi(5, dpi), line));
            const PopupContent unmeasured = FittedToMeasuredTexts(scaled, FakeFont(1, 1, false));
            EXPECT_EQ(fitted.height, scaled.height);
            EXPECT_EQ(unmeasured.height, scaled.height);
            for (std::size_t i = 0; i < scaled.elements.Count(); ++i) {
                EXPECT_EQ(unmeasured.elements[i].rect, scaled.elements[i].rect) << i;
                PopupRect expected = scaled.elements[i].rect;
                if (i == kMessage)
                    expected.bottom = expected.top + line;
                EXPECT_EQ(fitted.elements[i].rect, expected) << i;
            }
        }
    }
}

TEST(PopupNotifications, ALargerFontThatWrapsTheFirstLinePushesTheLinesBelowAndThenThePopupsBottomDown) {
    const PopupContent design = BuildOptimizedPopup(412u * 1024 * 1024);
    const std::size_t freedLine = design.elements.Count() - 1;
    for (const unsigned dpi : {96u, 144u}) {
        SCOPED_TRACE(dpi);
        const PopupContent scaled = ScaledForDpi(design, dpi);
        const int line = 19 * static_cast<int>(dpi) / 96;  // taller than the room the freed line was given
        const PopupContent large = FittedToMeasuredTexts(scaled, FakeFont(ScaleForDpi(9, dpi), line));
        const PopupElements& was = scaled.elements;
        const PopupElements& is = large.elements;
        ASSERT_EQ(is[kMessage].rect.Height(), 2 * line) << "the font wraps the first line";
        EXPECT_EQ(is[freedLine].rect.Height(), line);
        // The gaps between the lines and below them stay as designed.
        auto between = [](const PopupElements& elements, std::size_t upper, std::size_t lower) {
            return elements[lower].rect.top - elements[upper].rect.bottom;
        };
        auto underneath = [](const PopupElements& elements, std::size_t inner, std::size_t outer) {
            return elements[outer].rect.bottom - elements[inner].rect.bottom;
        };
        EXPECT_EQ(between(is, kMessage, freedLine), between(was, kMessage, freedLine));
        EXPECT_EQ(underneath(is, freedLine, kPanel), underneath(was, freedLine, kPanel));
        EXPECT_EQ(large.height - is[kPanel].rect.bottom, scaled.height - was[kPanel].rect.bottom);
        EXPECT_EQ(is[0].rect.bottom, large.height) << "the frame";
        EXPECT_EQ(large.width, scaled.width);
        for (std::size_t i : {std::size_t{2}, std::size_t{4}, std::size_t{5}})
            EXPECT_EQ(is[i].rect, was[i].rect) << "above the message: title, icon, button " << i;

        // The link alone has the room of both lines: two fit it, a third
        // pushes the panel's edge and the popup's bottom down.
        const PopupContent critical = ScaledForDpi(BuildCriticalLimitPopup(80), dpi);
        const PopupContent twoLines = FittedToMeasuredTexts(critical, FakeFont(ScaleForDpi(9, dpi), line));
        ASSERT_EQ(twoLines.elements[kMessage].rect.Height(), 2 * line);
        EXPECT_EQ(twoLines.height, critical.height);
        EXPECT_EQ(twoLines.elements[kPanel].rect, critical.elements[kPanel].rect);
        const PopupContent threeLines = FittedToMeasuredTexts(critical, FakeFont(ScaleForDpi(14, dpi), line));
        const PopupElements& three = threeLines.elements;
        ASSERT_EQ(three[kMessage].rect.Height(), 3 * line);
        EXPECT_EQ(underneath(three, kMessage, kPanel), underneath(was, freedLine, kPanel))
            << "the lowest line keeps its distance to the panel's edge";
        EXPECT_EQ(threeLines.height - three[kPanel].rect.bottom,
                  critical.height - critical.elements[kPanel].rect.bottom);
        EXPECT_EQ(three.HitTest({ScaleForDpi(40, dpi), three[kMessage].rect.bottom - 1}), kMessage)
            << "the link's third line answers the pointer";
    }
}

}  // namespace
}  // namespace qmo
