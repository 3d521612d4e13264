#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "about/about_dlg.h"
#include "config/registry_run_entry.h"
#include "framework/application.h"
#include "config/registry_profile.h"
#include "res/about_resource.h"
#include "res/resource.h"
#include "shell/main_frame.h"
#include "toolkit_test_support.h"
#include "wine_test_support.h"

using namespace qmo;

namespace {

using qmo::HyperlinkStatic;
using qmo::testing::ClientPicture;
using qmo::testing::PumpUntil;

constexpr COLORREF kWhite = RGB(255, 255, 255);

// Remembers what would have been opened.
class RecordingOpener : public qmo::ShellOpener {
public:
    struct Opened {
        std::wstring target;
        int showCommand;
    };
    void Open(const std::wstring& target, int showCommand) override { opened.push_back({target, showCommand}); }
    std::vector<Opened> opened;
};

class AboutDialogTest : public ::testing::Test {
protected:
    void SetUp() override { qmo::testing::MovePointer(0, 0); }
    void TearDown() override { qmo::testing::MovePointer(0, 0); }

    // Modeless for the test's sake, so it can be looked at while it is up.
    std::unique_ptr<CAboutDlg> Open() {
        auto dialog = std::make_unique<CAboutDlg>(opener);
        EXPECT_TRUE(dialog->CreateModeless(nullptr));
        ::ShowWindow(dialog->GetSafeHwnd(), SW_SHOW);
        ::UpdateWindow(dialog->GetSafeHwnd());
        return dialog;
    }
    static std::wstring Text(HWND window) {
        wchar_t text[128] = {};
        ::GetWindowTextW(window, text, 128);
        return text;
    }
    static POINT ScreenCentre(HWND window) {
        RECT rect{};
        ::GetWindowRect(window, &rect);
        return qmo::testing::CentreOf(rect);
    }
    // Pixels of `colour` in the link's client area as it is on screen now.
    static int Pixels(HWND link, COLORREF colour) {
        ::UpdateWindow(link);
        const ClientPicture picture = ClientPicture::FromScreen(link);
        return picture.Count(RECT{0, 0, picture.Width(), picture.Height()}, colour);
    }

    RecordingOpener opener;
};

TEST_F(AboutDialogTest, ShowsTheTitleVersionAndLinksWithTheFocusOnOk) {
    auto dialog = Open();
    const HWND window = dialog->GetSafeHwnd();
    EXPECT_EQ(Text(window), L"About Quenvale Memory Optimizer");
    bool versionShown = false;
    for (HWND child = ::GetWindow(window, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT))
        versionShown = versionShown || Text(child) == L"Quenvale Memory Optimizer Version 11.03";
    EXPECT_TRUE(versionShown);
    EXPECT_EQ(Text(::GetDlgItem(window, IDC_LINK_SUPPORT)), L"support@quenvale.example");
    EXPECT_EQ(Text(::GetDlgItem(window, IDC_LINK_SALES)), L"sales@quenvale.example");
    EXPECT_EQ(Text(::GetDlgItem(window, IDC_LINK_WEB)), L"www.quenvale.example");
    EXPECT_EQ(::GetFocus(), ::GetDlgItem(window, IDOK));
}

TEST_F(AboutDialogTest, TheBackgroundIsWhiteBehindTextsAndLinks) {
    auto dialog = Open();
    const HWND window = dialog->GetSafeHwnd();
    const ClientPicture picture = ClientPicture::FromScreen(window);
    EXPECT_EQ(picture.At(3, picture.Height() - 3), kWhite);
    EXPECT_EQ(picture.At(picture.Width() - 3, picture.Height() / 2), kWhite);
    for (int id : {IDC_LINK_SUPPORT, IDC_LINK_WEB}) {
        const RECT link = qmo::testing::ChildRect(::GetDlgItem(window, id));
        EXPECT_EQ(picture.At(link.right - 1, link.top), kWhite) << id;
    }
    // No dialog face colour left between the links and the OK button.
    const RECT ok = qmo::testing::ChildRect(::GetDlgItem(window, IDOK));
    const RECT lower{0, picture.Height() / 2, picture.Width(), ok.top - 1};
    EXPECT_EQ(picture.Count(lower, ::GetSysColor(COLOR_3DFACE)), 0);
}

TEST_F(AboutDialogTest, ALinkTurnsRedUnderTheMouseAndPurpleOnceClicked) {
    auto dialog = Open();
    HyperlinkStatic& link = dialog->m_wndLinkSupport;
    const HWND control = link.GetSafeHwnd();
    EXPECT_GT(Pixels(control, HyperlinkStatic::kLinkColour), 0);

    const POINT centre = ScreenCentre(control);
    qmo::testing::MovePointer(centre.x, centre.y);
    ASSERT_TRUE(PumpUntil([&] { return link.IsHovered(); }));
    EXPECT_GT(Pixels(control, HyperlinkStatic::kHoverColour), 0);
    EXPECT_EQ(Pixels(control, HyperlinkStatic::kLinkColour), 0);
    EXPECT_EQ(::GetCursor(), ::LoadCursorW(nullptr, IDC_HAND));

    // The leave is told as the system tells it: Wine on Xvfb does not report it for a static.
    qmo::testing::MovePointer(0, 0);
    ::SendMessageW(control, WM_MOUSELEAVE, 0, 0);
    EXPECT_FALSE(link.IsHovered());
    EXPECT_GT(Pixels(control, HyperlinkStatic::kLinkColour), 0);

    RECT client{};
    ::GetClientRect(control, &client);
    qmo::testing::Click(control, qmo::testing::CentreOf(client));
    EXPECT_GT(Pixels(control, HyperlinkStatic::kVisitedColour), 0);
    EXPECT_EQ(Pixels(control, HyperlinkStatic::kLinkColour), 0);
    EXPECT_TRUE(::IsWindowVisible(dialog->GetSafeHwnd()));

    ASSERT_EQ(opener.opened.size(), 1u);
    EXPECT_EQ(opener.opened[0].target, L"mailto:support@quenvale.example");
    EXPECT_EQ(opener.opened[0].showCommand, SW_SHOWMAXIMIZED);
    EXPECT_FALSE(dialog->m_wndLinkSales.IsVisited());
}

TEST_F(AboutDialogTest, EachLinkOpensItsOwnTargetAndASecondOpeningShowsThemUnvisited) {
    {
        auto dialog = Open();
        for (HyperlinkStatic* link : {&dialog->m_wndLinkSales, &dialog->m_wndLinkWeb}) {
            RECT client{};
            ::GetClientRect(link->GetSafeHwnd(), &client);
            qmo::testing::Click(link->GetSafeHwnd(), qmo::testing::CentreOf(client));
            EXPECT_TRUE(link->IsVisited());
        }
        // A press that ends outside the link is no click.
        ::SendMessageW(dialog->m_wndLinkSupport.GetSafeHwnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
        ::SendMessageW(dialog->m_wndLinkSupport.GetSafeHwnd(), WM_LBUTTONUP, 0, MAKELPARAM(2, 500));
        EXPECT_FALSE(dialog->m_wndLinkSupport.IsVisited());
    }
    ASSERT_EQ(opener.opened.size(), 2u);
    EXPECT_EQ(opener.opened[0].target, L"mailto:sales@quenvale.example");
    EXPECT_EQ(opener.opened[1].target, L"https://www.quenvale.example/memory-optimizer.html");

    auto again = Open();
    for (HyperlinkStatic* link : {&again->m_wndLinkSupport, &again->m_wndLinkSales, &again->m_wndLinkWeb}) {
        EXPECT_FALSE(link->IsVisited());
        EXPECT_GT(Pixels(link->GetSafeHwnd(), HyperlinkStatic::kLinkColour), 0);
        EXPECT_EQ(Pixels(link->GetSafeHwnd(), HyperlinkStatic::kVisitedColour), 0);
    }
}

TEST_F(AboutDialogTest, TabReachesEachLinkWhereEnterAndSpaceClickWithAFocusBoxShown) {
    auto dialog = Open();
    const HWND window = dialog->GetSafeHwnd();
    const HWND support = dialog->m_wndLinkSupport.GetSafeHwnd(), sales = dialog->m_wndLinkSales.GetSafeHwnd(),
               web = dialog->m_wndLinkWeb.GetSafeHwnd(), ok = ::GetDlgItem(window, IDOK);
    const auto picture = [](HWND control) {
        ::UpdateWindow(control);
        return ClientPicture::FromScreen(control);
    };
    const ClientPicture unfocused = picture(support);
    const auto press = [&](UINT key, LPARAM flags = 0) {
        MSG down{::GetFocus(), WM_KEYDOWN, key, flags, 0, {}};
        return ::IsDialogMessageW(window, &down) != FALSE;
    };

    std::vector<HWND> walked;
    for (int step = 0; step < 4; ++step) {
        EXPECT_TRUE(press(VK_TAB));
        walked.push_back(::GetFocus());
        if (walked.back() == support) {
            EXPECT_FALSE(picture(support) == unfocused);
        }
    }
    EXPECT_EQ(walked, (std::vector<HWND>{support, sales, web, ok}));
    EXPECT_TRUE(picture(support) == unfocused);

    // Enter opens the focused link rather than pressing OK; a held key opens it once.
    ::SetFocus(support);
    EXPECT_TRUE(press(VK_RETURN));
    ::SetFocus(web);
    EXPECT_TRUE(press(VK_SPACE));
    EXPECT_TRUE(press(VK_SPACE, LPARAM{KF_REPEAT} << 16));
    EXPECT_TRUE(::IsWindowVisible(window));
    ASSERT_EQ(opener.opened.size(), 2u);
    EXPECT_EQ(opener.opened[0].target, L"mailto:support@quenvale.example");
    EXPECT_EQ(opener.opened[1].target, L"https://www.quenvale.example/memory-optimizer.html");
    EXPECT_FALSE(dialog->m_wndLinkSales.IsVisited());
}

class TestApplication : public qmo::Application {
protected:
    bool InitInstance() override { return true; }
};

// The menu command runs the box modally, owned by the frame even while the frame is hidden in the tray.
TEST(AboutFromTheFrame, TheCommandOpensTheBoxOwnedByTheHiddenFrameUntilOk) {
    qmo::testing::ScratchKey scratch{L"About"};
    ASSERT_TRUE(qmo::testing::WriteRawValue(scratch.Root(), scratch.Sub(L"Run"), L"x", REG_SZ, L"", 2));
    qmo::RegistryProfile profile{scratch.Root(), scratch.Sub(L"Profile")};
    qmo::RegistryRunEntry run{scratch.Root(), scratch.Sub(L"Run")};
    TestApplication application;
    CMainFrame frame(profile, run);
    ASSERT_TRUE(frame.Create());
    application.SetMainWindow(&frame);

    static HWND s_frame;
    static HWND s_owner;
    static bool s_hidden;
    s_frame = frame.GetSafeHwnd();
    s_owner = nullptr;
    s_hidden = true;
    // Runs inside the box's modal loop: looks, then presses OK.
    const UINT_PTR timer = ::SetTimer(nullptr, 0, 50, [](HWND, UINT, UINT_PTR, DWORD) {
        const HWND box = ::FindWindowW(L"#32770", L"About Quenvale Memory Optimizer");
        if (!box || !::IsWindowVisible(box))
            return;
        s_owner = ::GetWindow(box, GW_OWNER);
        s_hidden = !::IsWindowVisible(s_frame);
        ::PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    });
    ::SendMessageW(frame.GetSafeHwnd(), WM_COMMAND, ID_APP_ABOUT, 0);
    ::KillTimer(nullptr, timer);
    EXPECT_EQ(s_owner, frame.GetSafeHwnd());
    EXPECT_TRUE(s_hidden);
    EXPECT_EQ(::FindWindowW(L"#32770", L"About Quenvale Memory Optimizer"), nullptr);
    application.SetMainWindow(nullptr);
}

}  // namespace
