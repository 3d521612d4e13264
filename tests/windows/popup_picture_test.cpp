// What the two popups put on the screen, read back pixel by pixel. With
// QMO_POPUP_PICTURES=<folder> set, each picture is also saved there as a .bmp.
#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "framework/dpi_scale.h"
#include "framework/unique_handle.h"
#include "framework/window_dpi.h"
#include "pages/frame_texts.h"
#include "shell/popup_notifications.h"
#include "toolkit/popup/popup_window.h"
#include "wine_test_support.h"

namespace qmo {
namespace {

struct Picture {
    int width = 0;
    std::vector<std::uint32_t> pixels;  // 0x00RRGGBB, top row first

    std::uint32_t At(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
    static std::uint32_t Rgb(int r, int g, int b) { return (r << 16) | (g << 8) | b; }
    static bool Dark(std::uint32_t p) { return ((p >> 16) & 255) + ((p >> 8) & 255) + (p & 255) < 300; }

    // Pixels in [left, right) x [top, bottom) that are `colour`, or dark when none is given.
    int Count(int left, int top, int right, int bottom, std::optional<std::uint32_t> colour = {}) const {
        int count = 0;
        for (int y = top; y < bottom; ++y)
            for (int x = left; x < right; ++x)
                count += colour ? At(x, y) == *colour : Dark(At(x, y));
        return count;
    }
    std::vector<std::uint32_t> Cut(int left, int top, int right, int bottom) const {
        std::vector<std::uint32_t> cut;
        for (int y = top; y < bottom; ++y)
            for (int x = left; x < right; ++x)
                cut.push_back(At(x, y));
        return cut;
    }
};


Picture CaptureScreen(const RECT& area) {
    Picture picture;
    picture.width = area.right - area.left;
    const int height = area.bottom - area.top;
    BITMAPINFO info{};
    info.bmiHeader = testing::TopDown32(picture.width, height);
    void* bits = nullptr;
    const HDC screen = ::GetDC(nullptr);
    unique_bitmap dib(::CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    unique_dc memory(::CreateCompatibleDC(screen));
    if (dib && memory) {
        scoped_select select(memory.get(), dib.get());
        ::BitBlt(memory.get(), 0, 0, picture.width, height, screen, area.left, area.top, SRCCOPY);
        ::GdiFlush();
        const auto* source = static_cast<const std::uint32_t*>(bits);
        for (int i = 0; i < picture.width * height; ++i)
            picture.pixels.push_back(source[i] & 0x00FFFFFF);
    }
    ::ReleaseDC(nullptr, screen);
    return picture;
}

void SaveIfAsked(const Picture& picture, const char* name) {
    testing::SavePictureIfAsked(picture.width, picture.pixels, name);
}

// The system's icon-title font, which the popups draw in, half again as
// large while this lives; put back after.
class LargerIconTitleFont {
public:
    LargerIconTitleFont() {
        if (!::SystemParametersInfoW(SPI_GETICONTITLELOGFONT, sizeof(m_saved), &m_saved, 0))
            return;
        LOGFONTW larger = m_saved;
        larger.lfHeight = m_saved.lfHeight * 3 / 2;
        m_set = ::SystemParametersInfoW(SPI_SETICONTITLELOGFONT, sizeof(larger), &larger, 0) != FALSE;
    }
    LargerIconTitleFont(const LargerIconTitleFont&) = delete;
    LargerIconTitleFont& operator=(const LargerIconTitleFont&) = delete;
    ~LargerIconTitleFont() {
        if (m_set)
            ::SystemParametersInfoW(SPI_SETICONTITLELOGFONT, sizeof(m_saved), &m_saved, 0);
    }
    bool IsSet() const noexcept { return m_set; }

private:
    LOGFONTW m_saved{};
    bool m_set = false;
};

class PopupPictureTest : public ::testing::Test {
protected:
    void SetUp() override {
        RECT area{};
        ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
        qmo::testing::MovePointer(area.left + 5, area.top + 5);
    }
    Picture ShowAndCapture(PopupContent content) {
        popup = PopupWindow::Make(std::move(content));
        EXPECT_TRUE(popup->Show(nullptr, 0));
        EXPECT_TRUE(testing::PumpUntil([&] { return popup->State() == PopupState::Shown; }, 3000));
        return Capture();
    }
    // The popup as it stands now. Nothing queued is dispatched on the way: a
    // leave or capture change that wine derives from the real pointer would
    // otherwise race the look being checked. Wine puts a window's fresh paint
    // on the screen when its thread looks at the queue, but not more often
    // than every 50 ms or so: the picture counts once two looks a flush apart
    // agree (within two seconds).
    Picture Capture() {
        ::RedrawWindow(popup->GetSafeHwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        Picture last = LookAndCapture();
        for (const DWORD start = ::GetTickCount(); ::GetTickCount() - start < 2000;) {
            ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 80, 0);
            Picture now = LookAndCapture();
            if (now.pixels == last.pixels)
                return now;
            last = std::move(now);
        }
        return last;
    }
    Picture LookAndCapture() {
        MSG next{};
        ::PeekMessageW(&next, nullptr, 0, 0, PM_NOREMOVE);
        return CaptureScreen(popup->FullRect());
    }

    PopupPtr popup;
};

TEST_F(PopupPictureTest, BothPopupsShowTheirFramePanelTextsIconAndButton) {
    struct Case {
        PopupContent content;
        std::uint32_t frame;
        const char* name;
    };
    const std::uint32_t black = 0, white = Picture::Rgb(255, 255, 255), panel = Picture::Rgb(243, 247, 214);
    for (const Case& c : {Case{BuildCriticalLimitPopup(80), Picture::Rgb(255, 0, 0), "popup-critical"},
                    Case{BuildOptimizedPopup(), Picture::Rgb(0, 255, 0), "popup-optimized"}}) {
        SCOPED_TRACE(c.name);
        const Picture picture = ShowAndCapture(c.content);
        SaveIfAsked(picture, c.name);
        ASSERT_EQ(picture.pixels.size(), 270u * 128u);
        EXPECT_EQ(picture.At(0, 0), black);
        EXPECT_EQ(picture.At(269, 127), black);
        EXPECT_EQ(picture.At(2, 60), c.frame);
        EXPECT_EQ(picture.At(5, 60), black) << "panel border";
        EXPECT_EQ(picture.At(2, 125), c.frame) << "below the panel";
        EXPECT_GT(picture.Count(5, 1, 250, 25, white), 60) << "title";
        // The message in black from its measured top; plain panel below it.
        const PopupRect message = popup->Elements()[3].rect;
        EXPECT_GT(picture.Count(30, message.top, 264, message.bottom), 80);
        EXPECT_EQ(picture.Count(6, message.bottom + 1, 264, 122, panel), 258 * (122 - message.bottom - 1));
        EXPECT_GT(32 * 32 - picture.Count(12, 30, 44, 62, panel), 200) << "icon";
        // The button's box shows; its black corners let the frame colour
        // through, and the popup's border beside it stays black.
        EXPECT_LT(picture.Count(260, 8, 269, 17, c.frame), 5);
        EXPECT_EQ(picture.At(260, 6), c.frame);
        EXPECT_EQ(picture.At(260, 8), c.frame) << "rounded corner";
        EXPECT_EQ(picture.At(269, 12), black);
    }
}

TEST_F(PopupPictureTest, TheHotLinkIsUnderlinedAndTheButtonShowsHotAndPressedCells) {
    const Picture normal = ShowAndCapture(BuildCriticalLimitPopup(80));
    const HWND window = popup->GetSafeHwnd();
    const PopupRect link = popup->Elements()[3].rect;
    const RECT full = popup->FullRect();

    qmo::testing::MovePointer(full.left + link.left + 4, full.top + link.top + 4);
    ::SendMessageW(window, WM_MOUSEMOVE, 0, MAKELPARAM(link.left + 4, link.top + 4));
    const Picture hotLink = Capture();
    SaveIfAsked(hotLink, "popup-critical-hot-link");
    // A dark row under each line of the message.
    const int added = hotLink.Count(30, link.top, 264, link.bottom) - normal.Count(30, link.top, 264, link.bottom);
    EXPECT_GT(added, 60);
    EXPECT_EQ(hotLink.Count(5, 0, 270, link.top), normal.Count(5, 0, 270, link.top)) << "only the link changed";

    const PopupRect close = popup->Elements()[5].rect;
    qmo::testing::MovePointer(full.left + close.left + 3, full.top + close.top + 5);
    ::SendMessageW(window, WM_MOUSEMOVE, 0, MAKELPARAM(close.left + 3, close.top + 5));
    const Picture hotButton = Capture();
    ::SendMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(close.left + 3, close.top + 5));
    const Picture pressedButton = Capture();
    ::SendMessageW(window, WM_LBUTTONUP, 0, MAKELPARAM(-50, -50));  // released outside: no click
    SaveIfAsked(pressedButton, "popup-critical-pressed-close");
    auto button = [](const Picture& p) { return p.Cut(260, 8, 269, 17); };
    EXPECT_NE(button(hotButton), button(normal));
    EXPECT_NE(button(pressedButton), button(hotButton));
    EXPECT_NE(button(pressedButton), button(normal));
    EXPECT_EQ(popup->State(), PopupState::Shown);
}

// The green popup's two lines, with the system's font and with one large
// enough to wrap the first line: the lines never overlap, the second stays
// inside the panel, and the popup grows only when the first line wraps.
TEST_F(PopupPictureTest, TheFreedLineKeepsBelowTheMessageInsideThePanelWhateverTheFont) {
    const std::uint32_t panelColour = Picture::Rgb(243, 247, 214), green = Picture::Rgb(0, 255, 0), black = 0;
    const unsigned dpi = WindowDpi(nullptr);
    for (const bool larger : {false, true}) {
        SCOPED_TRACE(larger ? "larger font" : "system font");
        std::optional<LargerIconTitleFont> font;
        if (larger) {
            font.emplace();
            ASSERT_TRUE(font->IsSet());
        }
        const Picture picture = ShowAndCapture(BuildOptimizedPopup(412u * 1024 * 1024));
        SaveIfAsked(picture, larger ? "popup-optimized-freed-larger-font" : "popup-optimized-freed");
        const PopupElements& elements = popup->Elements();
        const PopupRect panel = elements[1].rect;
        const PopupRect message = elements[3].rect;
        const PopupRect freed = elements[elements.Count() - 1].rect;
        const RECT full = popup->FullRect();
        const int height = full.bottom - full.top;
        ASSERT_EQ(picture.pixels.size(), static_cast<std::size_t>((full.right - full.left) * height));
        if (larger)
            ASSERT_GT(message.Height(), freed.Height() * 3 / 2) << "the first line wraps";
        else
            EXPECT_EQ(height, ScaleForDpi(kNotificationPopupHeight, dpi)) << "nothing wraps: the designed size";
        EXPECT_LE(message.bottom, freed.top) << "the lines do not overlap";
        EXPECT_LT(freed.bottom, panel.bottom - 1) << "the freed line is inside the panel's border";
        EXPECT_LT(panel.bottom, height);

        // Both lines show, with nothing but the panel between and under them.
        EXPECT_GT(picture.Count(message.left, message.top + message.Height() / 2, message.right, message.bottom), 40);
        EXPECT_GT(picture.Count(freed.left, freed.top, freed.right, freed.bottom), 40);
        const int inside = panel.Width() - 2;
        EXPECT_EQ(picture.Count(panel.left + 1, message.bottom, panel.right - 1, freed.top, panelColour),
                  inside * (freed.top - message.bottom));
        EXPECT_EQ(picture.Count(panel.left + 1, freed.bottom, panel.right - 1, panel.bottom - 1, panelColour),
                  inside * (panel.bottom - 1 - freed.bottom));
        EXPECT_EQ(picture.At(panel.left + inside / 2, panel.bottom - 1), black) << "the panel's border";
        EXPECT_EQ(picture.At(panel.left + inside / 2, panel.bottom), green) << "the frame below the panel";
        popup.reset();
    }
}

}  // namespace
}  // namespace qmo
