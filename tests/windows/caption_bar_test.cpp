#include <gtest/gtest.h>

#include <string>

#include "toolkit/caption_bar.h"
#include "toolkit_test_support.h"

namespace qmo {
namespace {

using testing::ClientPicture;

constexpr DWORD kFooterStyle = WS_CHILD | WS_VISIBLE | SS_CENTER | SS_CENTERIMAGE;
constexpr COLORREF kBorder = RGB(200, 0, 0), kBackground = RGB(0, 0, 160), kText = RGB(255, 255, 0);

// Text is whatever differs from the gradient's colour in its row (smoothed
// text has few pixels of the exact text colour).
RECT TextBounds(const ClientPicture& picture, const RECT& inside) {
    return picture.BoundsWhere(inside, [&](COLORREF pixel, int, int y) { return pixel != picture.At(inside.left, y); });
}

class CaptionBarTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(host.Create(700, 100));
        ASSERT_TRUE(bar.Create(L"Quenvale", kFooterStyle, RECT{0, 40, 600, 60}, host.GetSafeHwnd(), 1));
        bar.SetColors(kBorder, kBackground, kText);
    }

    testing::ControlHost host;
    CaptionBar bar;
};

TEST_F(CaptionBarTest, AGradientInsideAOnePixelFrameWithTheTextCentredBothWays) {
    const ClientPicture picture(bar.GetSafeHwnd());
    ASSERT_EQ(picture.Width(), 600);
    for (const POINT corner : {POINT{0, 0}, POINT{599, 0}, POINT{0, 19}, POINT{599, 19}, POINT{300, 0}})
        EXPECT_EQ(picture.At(corner.x, corner.y), kBorder) << corner.x << "," << corner.y;
    EXPECT_EQ(picture.At(3, 18), kBackground) << "the gradient ends in the background colour";
    const COLORREF top = picture.At(3, 1);
    EXPECT_GT(GetBValue(top), GetBValue(kBackground)) << "and starts lighter";
    EXPECT_GT(GetRValue(top), 0);

    const RECT text = TextBounds(picture, RECT{1, 1, 599, 19});
    ASSERT_FALSE(::IsRectEmpty(&text));
    EXPECT_GT(picture.Count(text, kText), 0) << "in the text colour";
    EXPECT_NEAR((text.left + text.right) / 2, 300, 2);
    EXPECT_NEAR((text.top + text.bottom) / 2, 10, 2);
    EXPECT_EQ(bar.Text(), L"Quenvale");
}

TEST_F(CaptionBarTest, TooLongATextIsCutShortOfTheFrame) {
    bar.SetText(std::wstring(30, L'W') + L" Quenvale Memory Optimizer " + std::wstring(30, L'W'));
    ::SetWindowPos(bar.GetSafeHwnd(), nullptr, 0, 0, 200, 20, SWP_NOMOVE | SWP_NOZORDER);
    const ClientPicture picture(bar.GetSafeHwnd());
    const RECT text = TextBounds(picture, RECT{1, 1, 199, 19});
    ASSERT_FALSE(::IsRectEmpty(&text));
    EXPECT_GE(text.left, 1 + 8);
    EXPECT_LE(text.right, 200 - 1 - 8);
    EXPECT_EQ(picture.At(0, 10), kBorder);
    EXPECT_EQ(picture.At(199, 10), kBorder);
}

TEST_F(CaptionBarTest, NewTextIsShownAndColoursDefaultToTheSystems) {
    ::UpdateWindow(bar.GetSafeHwnd());
    ::SetWindowTextW(bar.GetSafeHwnd(), L"Visit quenvale.example");
    EXPECT_TRUE(testing::HasPendingPaint(bar.GetSafeHwnd()));
    EXPECT_EQ(bar.Text(), L"Visit quenvale.example");

    CaptionBar plain;
    ASSERT_TRUE(plain.Create(L"", kFooterStyle, RECT{0, 0, 100, 20}, host.GetSafeHwnd(), 2));
    EXPECT_EQ(plain.BorderColor(), ::GetSysColor(COLOR_3DFACE));
    EXPECT_EQ(plain.BackgroundColor(), ::GetSysColor(COLOR_3DSHADOW));
    EXPECT_EQ(plain.TextColor(), ::GetSysColor(COLOR_WINDOW));
    EXPECT_EQ(ClientPicture(plain.GetSafeHwnd()).At(0, 0), ::GetSysColor(COLOR_3DFACE));
}

}  // namespace
}  // namespace qmo
