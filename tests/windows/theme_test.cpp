// The dark theme and the tray's number on the real frame: every page and
// panel follows the setting at once and each text a page answers for reads on
// its face; the tray shows the number drawn at the taskbar's size, makes a new
// icon only when the number's look changes, and gives the animation back.
// The child at 144 DPI runs these again.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <array>
#include <tuple>
#include <vector>

#include "frame_test_support.h"
#include "shell/popup_notifications.h"
#include "toolkit/popup/popup_window.h"
#include "res/pages_resource.h"
#include "res/resource.h"
#include "toolkit/dark_menu.h"
#include "toolkit/ui_paint.h"
#include "toolkit/theme_colors.h"
#include "toolkit/tray_number_icon.h"
#include "toolkit/ui_palette.h"
#include "toolkit_test_support.h"

namespace qmo {
namespace {

Color ToColor(COLORREF color) {
    return {GetRValue(color), GetGValue(color), GetBValue(color)};
}

// A face is dark when white text reads on it as well as on the dark palette's canvas.
bool IsDark(COLORREF color) {
    return ContrastRatio(ToColor(color), {255, 255, 255}) > 10;
}

// The text colour and the brush's colour `window` answers for `control`.
struct Answer {
    COLORREF text;
    COLORREF face;
};
Answer ColoursAnswered(HWND window, UINT message, HWND control) {
    unique_dc dc(::CreateCompatibleDC(nullptr));
    ::SetTextColor(dc.get(), ::GetSysColor(COLOR_WINDOWTEXT));
    const auto brush = reinterpret_cast<HBRUSH>(
        ::SendMessageW(window, message, reinterpret_cast<WPARAM>(dc.get()), reinterpret_cast<LPARAM>(control)));
    LOGBRUSH logBrush{};
    ::GetObjectW(brush, sizeof(logBrush), &logBrush);
    return {::GetTextColor(dc.get()), logBrush.lbColor};
}

// The icon's pixels, 0xAARRGGBB, top row first, and its side.
struct IconPixels {
    int size = 0;
    std::vector<std::uint32_t> pixels;
    std::uint32_t At(int x, int y) const { return pixels[static_cast<std::size_t>(y * size + x)]; }
};
IconPixels ReadIcon(HICON icon) {
    ICONINFO info{};
    if (!::GetIconInfo(icon, &info))
        return {};
    unique_bitmap color(info.hbmColor);
    unique_bitmap mask(info.hbmMask);
    BITMAP bitmap{};
    ::GetObjectW(color.get(), sizeof(bitmap), &bitmap);
    IconPixels read{bitmap.bmWidth, std::vector<std::uint32_t>(static_cast<std::size_t>(bitmap.bmWidth) * bitmap.bmWidth)};
    BITMAPINFO header{};
    header.bmiHeader = {sizeof(BITMAPINFOHEADER), bitmap.bmWidth, -bitmap.bmWidth, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    unique_dc dc(::CreateCompatibleDC(nullptr));
    ::GetDIBits(dc.get(), color.get(), 0, static_cast<UINT>(bitmap.bmWidth), read.pixels.data(), &header,
                DIB_RGB_COLORS);
    return read;
}

// The icon on a light and on a dark taskbar, side by side, kept as a picture.
void SaveOnTaskbars(const IconPixels& icon, const char* name) {
    const int width = icon.size * 2;
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(width * icon.size));
    for (int y = 0; y < icon.size; ++y)
        for (int side = 0; side < 2; ++side)
            for (int x = 0; x < icon.size; ++x) {
                const std::uint32_t pixel = icon.At(x, y);
                const std::uint32_t taskbar = side == 0 ? 0xF3F3F3u : 0x202020u;
                pixels[static_cast<std::size_t>(y * width + side * icon.size + x)] =
                    (pixel >> 24) ? (pixel & 0xFFFFFFu) : taskbar;  // the tile is opaque, its corners clear
            }
    testing::SavePictureIfAsked(width, pixels, (std::string(name) + "-" + std::to_string(icon.size)).c_str());
}

std::uint32_t Opaque(Color color) {
    return 0xFF000000u | (static_cast<std::uint32_t>(color.red) << 16) | (static_cast<std::uint32_t>(color.green) << 8) |
           color.blue;
}

class ThemeTest : public ::testing::Test, protected testing::FrameOnScratchKeys<> {
protected:
    ThemeTest() : FrameOnScratchKeys(L"Theme") {}
    void SetUp() override {
        ASSERT_TRUE(Create());
        Show();
    }
    void TearDown() override { UseDarkColors(false); }

    // A pixel of `window` as the screen shows it, two pixels in from its
    // bottom-left corner, or its top-right one (where no scroll bar comes).
    static COLORREF Corner(HWND window, bool topRight = false) {
        ::RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
        const testing::ClientPicture picture = testing::ClientPicture::FromScreen(window);
        return topRight ? picture.At(picture.Width() - 3, 2) : picture.At(2, picture.Height() - 3);
    }
};

// Whether most of `window`'s pixels are dark: for what has texts and lines
// everywhere, where no one pixel tells.
bool MostlyDark(HWND window) {
    ::RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    const testing::ClientPicture picture = testing::ClientPicture::FromScreen(window);
    int dark = 0;
    for (int y = 0; y < picture.Height(); ++y)
        for (int x = 0; x < picture.Width(); ++x)
            dark += IsDark(picture.At(x, y)) ? 1 : 0;
    return dark * 2 > picture.Width() * picture.Height();
}

TEST_F(ThemeTest, EveryPageAndPanelFollowsTheSettingAtOnceAndEachTextReadsOnItsFace) {
    CTesselDesktopSuitFrameView& view = frame->View();
    const std::array<HWND, 3> pages{view.PerformancePage().GetSafeHwnd(), view.ProcessPage().GetSafeHwnd(),
                                    view.SettingsPage().GetSafeHwnd()};
    for (ThemeChoice theme : {ThemeChoice::Dark, ThemeChoice::Light, ThemeChoice::Dark}) {
        const bool dark = theme == ThemeChoice::Dark;
        SCOPED_TRACE(dark ? "dark" : "light");
        ChangeSettings([&](OptimizerSettings& s) { s.m_theme = theme; });
        EXPECT_EQ(DarkColorsInUse(), dark);
        const std::array<HWND, 3> panels{view.NavPanel().GetSafeHwnd(), view.Footer().GetSafeHwnd(),
                                         view.PageTabs().GetSafeHwnd()};
        for (std::size_t panel = 0; panel < panels.size(); ++panel) {
            const COLORREF pixel = Corner(panels[panel], panels[panel] == view.PageTabs().GetSafeHwnd());
            EXPECT_EQ(IsDark(pixel), dark) << "panel " << panel << ": " << std::hex << pixel;
        }
        for (std::size_t group = 0; group < pages.size(); ++group) {
            view.SelectNavigationGroup(group);
            EXPECT_EQ(IsDark(Corner(pages[group], true)), dark) << "page " << group;
            if (const HWND list = ::GetDlgItem(pages[group], IDC_PROCESS_LIST)) {
                EXPECT_EQ(MostlyDark(ListView_GetHeader(list)), dark) << "the list's header";
                EXPECT_EQ(MostlyDark(list), dark) << "the list";
            }
            for (HWND child = ::GetWindow(pages[group], GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
                for (UINT message : {WM_CTLCOLORSTATIC, WM_CTLCOLOREDIT}) {
                    const Answer answer = ColoursAnswered(pages[group], message, child);
                    EXPECT_EQ(IsDark(answer.face), dark) << "page " << group << ", control " << ::GetDlgCtrlID(child);
                    EXPECT_GE(ContrastRatio(ToColor(answer.text), ToColor(answer.face)), 4.5)
                        << "page " << group << ", control " << ::GetDlgCtrlID(child);
                }
            }
        }
    }
}


// Following Windows, the colours change when Windows says its app mode
// changed, and not before; high contrast then takes over from dark.
TEST_F(ThemeTest, FollowingWindowsTheColoursChangeWithItsAppModeAndHighContrastWins) {
    testing::UserDwordSetting mode(L"Software\\Microsoft\\Windows\\CurrentVersion\\Themes\\Personalize",
                                   L"AppsUseLightTheme");
    ASSERT_EQ(frame->Settings().m_theme, ThemeChoice::FollowWindows);
    const HWND page = frame->View().PerformancePage().GetSafeHwnd();
    const auto tellColorSet = [&] {
        ::SendMessageW(frame->GetSafeHwnd(), WM_SETTINGCHANGE, 0, reinterpret_cast<LPARAM>(L"ImmersiveColorSet"));
    };
    ASSERT_TRUE(mode.Set(1));
    tellColorSet();
    EXPECT_FALSE(DarkColorsInUse());
    ASSERT_TRUE(mode.Set(0));
    ::SendMessageW(frame->GetSafeHwnd(), WM_SETTINGCHANGE, SPI_SETWORKAREA, 0);
    EXPECT_FALSE(DarkColorsInUse()) << "another change is not the app mode's";
    tellColorSet();
    EXPECT_TRUE(DarkColorsInUse());
    EXPECT_TRUE(IsDark(Corner(page, true)));

    OverrideHighContrastForTesting(true);
    ::SendMessageW(frame->GetSafeHwnd(), WM_SYSCOLORCHANGE, 0, 0);
    EXPECT_FALSE(DarkColorsInUse());
    EXPECT_EQ(Corner(page, true), ::GetSysColor(COLOR_WINDOW));
    // The tray's number takes the system's colours at once.
    ChangeSettings([](OptimizerSettings& s) { s.m_trayIconShows = TrayIconShows::MemoryInUse; });
    const IconPixels icon = ReadIcon(frame->TrayIcon().ShownIcon());
    ASSERT_GT(icon.size, 0);
    const COLORREF system = ::GetSysColor(COLOR_WINDOW);
    const COLORREF highlight = ::GetSysColor(COLOR_HIGHLIGHT);
    const std::uint32_t fill = icon.At(1, icon.size / 2) & 0xFFFFFFu;
    EXPECT_TRUE(fill == (static_cast<std::uint32_t>(GetRValue(system)) << 16 | GetGValue(system) << 8 | GetBValue(system)) ||
                fill == (static_cast<std::uint32_t>(GetRValue(highlight)) << 16 | GetGValue(highlight) << 8 |
                         GetBValue(highlight)))
        << std::hex << fill;
    OverrideHighContrastForTesting(std::nullopt);
    ::SendMessageW(frame->GetSafeHwnd(), WM_SYSCOLORCHANGE, 0, 0);
    EXPECT_TRUE(DarkColorsInUse());
}

std::vector<std::wstring> MenuTexts(HMENU menu) {
    std::vector<std::wstring> texts;
    for (int index = 0; index < ::GetMenuItemCount(menu); ++index) {
        wchar_t text[128] = {};
        ::GetMenuStringW(menu, static_cast<UINT>(index), text, static_cast<int>(std::size(text)), MF_BYPOSITION);
        texts.push_back(text);
    }
    return texts;
}

bool OwnerDrawn(HMENU menu, int index) {
    MENUITEMINFOW info{};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_FTYPE;
    return ::GetMenuItemInfoW(menu, static_cast<UINT>(index), TRUE, &info) && (info.fType & MFT_OWNERDRAW);
}

// Dark, every item of the tray's menu and the menu bar is drawn here on the
// dark face with its text, which the keyboard and screen readers still find;
// light gives them back to Windows.
TEST_F(ThemeTest, MenusAreDrawnDarkWithTheirTextsKept) {
    unique_menu loaded(::LoadMenuW(Application::InstanceHandle(), MAKEINTRESOURCEW(IDR_TRAY_MENU)));
    const HMENU popup = ::GetSubMenu(loaded.get(), 0);
    ASSERT_NE(popup, nullptr);
    const std::vector<std::wstring> texts = MenuTexts(popup);
    const HWND owner = frame->GetSafeHwnd();

    ChangeSettings([](OptimizerSettings& s) { s.m_theme = ThemeChoice::Dark; });
    EXPECT_TRUE(OwnerDrawn(::GetMenu(owner), 0)) << "the menu bar";
    PrepareMenu(popup);
    EXPECT_EQ(MenuTexts(popup), texts);
    for (int index = 0; index < ::GetMenuItemCount(popup); ++index) {
        SCOPED_TRACE(index);
        EXPECT_TRUE(OwnerDrawn(popup, index));
        MENUITEMINFOW info{};
        info.cbSize = sizeof(info);
        info.fMask = MIIM_ID | MIIM_DATA | MIIM_FTYPE;
        ASSERT_TRUE(::GetMenuItemInfoW(popup, static_cast<UINT>(index), TRUE, &info));
        MEASUREITEMSTRUCT measure{ODT_MENU, 0, info.wID, 0, 0, info.dwItemData};
        ASSERT_TRUE(MeasureMenuItem(owner, measure));
        if (info.fType & MFT_SEPARATOR)
            continue;
        ASSERT_GT(measure.itemWidth, 0u);
        ASSERT_GT(measure.itemHeight, 0u);
        const int width = static_cast<int>(measure.itemWidth);
        const int height = static_cast<int>(measure.itemHeight);
        unique_dc dc(::CreateCompatibleDC(nullptr));
        void* bits = nullptr;
        unique_bitmap bitmap(CreateBufferBitmap(dc.get(), width, height, &bits));
        ASSERT_TRUE(bitmap && bits);
        {
            scoped_select select(dc.get(), bitmap.get());
            const DRAWITEMSTRUCT draw{ODT_MENU, 0, info.wID, ODA_DRAWENTIRE, 0, reinterpret_cast<HWND>(popup),
                                      dc.get(), RECT{0, 0, width, height}, info.dwItemData};
            ASSERT_TRUE(DrawMenuItem(owner, draw));
            ::GdiFlush();
        }
        const auto* pixels = static_cast<const std::uint32_t*>(bits);
        const auto at = [&](int x, int y) {
            const std::uint32_t pixel = pixels[y * width + x];
            return RGB((pixel >> 16) & 0xFF, (pixel >> 8) & 0xFF, pixel & 0xFF);
        };
        const COLORREF face = at(0, 0);
        EXPECT_TRUE(IsDark(face));
        int text = 0;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                text += ContrastRatio(ToColor(at(x, y)), ToColor(face)) >= 4.5 ? 1 : 0;
        EXPECT_GT(text, 10) << "no text drawn";
    }

    ChangeSettings([](OptimizerSettings& s) { s.m_theme = ThemeChoice::Light; });
    EXPECT_FALSE(OwnerDrawn(::GetMenu(owner), 0));
    PrepareMenu(popup);
    EXPECT_FALSE(OwnerDrawn(popup, 0));
    EXPECT_EQ(MenuTexts(popup), texts);
}

// The notices keep their own colours whatever the theme.
TEST_F(ThemeTest, ANoticeLooksTheSameDarkAndLight) {
    std::vector<testing::ClientPicture> pictures;
    for (ThemeChoice theme : {ThemeChoice::Light, ThemeChoice::Dark}) {
        ChangeSettings([&](OptimizerSettings& s) { s.m_theme = theme; });
        PopupPtr popup = PopupWindow::Make(BuildOptimizedPopup(std::uint64_t{412} << 20));
        ASSERT_TRUE(popup->Show(nullptr, 0));
        ASSERT_TRUE(testing::PumpUntil([&] { return popup->State() == PopupState::Shown; }, 3000));
        ::UpdateWindow(popup->GetSafeHwnd());
        pictures.push_back(testing::ClientPicture::FromScreen(popup->GetSafeHwnd()));
    }
    EXPECT_GT(pictures[0].Width(), 0);
    EXPECT_TRUE(pictures[0] == pictures[1]);
}

TEST_F(ThemeTest, TheTrayShowsTheNumberAtTheTaskbarsSizeRedrawnOnlyWhenItsLookChanges) {
    TrayIcon& tray = frame->TrayIcon();
    ASSERT_TRUE(tray.Animating());
    ChangeSettings([](OptimizerSettings& s) { s.m_trayIconShows = TrayIconShows::CommittedMemory; });
    EXPECT_FALSE(tray.Animating());
    ASSERT_TRUE(testing::PumpUntil([&] {
        const PerformanceSampler* sampler = frame->Monitor().Sampler();
        return sampler && sampler->m_nHistoryCount > 0;
    }));
    frame->Sampled();
    const int committed = frame->Monitor().Sampler()->m_nMemoryValue;

    const HICON shown = tray.ShownIcon();
    IconPixels icon = ReadIcon(shown);
    EXPECT_EQ(icon.size, TrayIconSize());
    ASSERT_GE(icon.size, 16);
    const int last = icon.size - 1;
    for (const POINT corner : {POINT{0, 0}, POINT{last, 0}, POINT{0, last}, POINT{last, last}})
        EXPECT_EQ(icon.At(corner.x, corner.y) >> 24, 0u) << "a corner is not clear";
    const TrayLevel level = TrayLevelFor(committed, frame->Settings().m_nCriticalLimit);
    EXPECT_EQ(icon.At(0, icon.size / 2), Opaque(TrayNumberColorsFor(level).fill)) << committed << " %";
    int figure = 0;  // the figure's pixels, its smoothed edges with them
    for (std::uint32_t pixel : icon.pixels)
        figure += (pixel >> 24) && pixel != Opaque(TrayNumberColorsFor(level).fill) ? 1 : 0;
    EXPECT_GT(figure, icon.size) << "no figure drawn";
    EXPECT_NE(frame->TrayIcon().Tooltip().find(L"Memory in use: "), std::wstring::npos) << "the other figure";

    SaveOnTaskbars(icon, "tray-number");
    // Each level with its widest figure, kept as pictures to look at.
    for (const auto& [text, level, name] : {std::tuple{"47", TrayLevel::Normal, "tray-number-normal"},
                                            std::tuple{"82", TrayLevel::Near, "tray-number-near"},
                                            std::tuple{"99+", TrayLevel::AtLimit, "tray-number-at-limit"}}) {
        const unique_icon drawn = MakeTrayNumberIcon({text, level, icon.size, false});
        SaveOnTaskbars(ReadIcon(drawn.get()), name);
    }

    frame->Sampled();
    EXPECT_EQ(tray.ShownIcon(), shown) << "the same look is not drawn again";

    ChangeSettings([](OptimizerSettings& s) { s.m_nCriticalLimit = 0; });
    frame->Sampled();
    ASSERT_NE(tray.ShownIcon(), shown);
    icon = ReadIcon(tray.ShownIcon());
    EXPECT_EQ(icon.At(0, icon.size / 2), Opaque(TrayNumberColorsFor(TrayLevel::AtLimit).fill));

    ChangeSettings([](OptimizerSettings& s) { s.m_trayIconShows = TrayIconShows::Animation; });
    EXPECT_TRUE(tray.Animating());
    EXPECT_EQ(frame->TrayIcon().Tooltip().find(L"Memory in use"), std::wstring::npos);
}

}  // namespace
}  // namespace qmo
