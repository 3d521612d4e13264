#include <gtest/gtest.h>

#include <vector>

#include "framework/dialog.h"
#include "res/resource.h"
#include "toolkit/themed_button.h"
#include "toolkit_test_support.h"
#include "wine_test_support.h"

namespace qmo {
namespace {

using testing::Click;
using testing::ClientPicture;

constexpr DWORD kButtonStyle = WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON;
constexpr UINT kTestDialog = 900;  // tests/windows/test_dialogs.rc: an edit, OK (default) and Cancel
constexpr UINT kTestEdit = 901;

class CountingButton : public ThemedButton {
public:
    int clicks = 0;
    bool handles = false;

protected:
    bool OnClicked() override {
        ++clicks;
        return handles;
    }
};

// A page from a template: passes its commands to the themed buttons first,
// records the clicks they leave, and never closes.
class TemplateDialog : public Dialog {
public:
    TemplateDialog() : Dialog(kTestDialog) {}
    // Gone while this object is whole: the window's last messages still reach our handlers.
    ~TemplateDialog() override { DestroyWindow(); }
    std::vector<UINT> commands;

protected:
    bool OnCommand(UINT id, UINT code, HWND) override {
        if (code == BN_CLICKED)
            commands.push_back(id);
        return true;
    }
};

class ThemedButtonTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(host.Create(400, 200));
        ASSERT_TRUE(button.Create(L"Refresh ", kButtonStyle, RECT{20, 20, 180, 52}, host.GetSafeHwnd(), 1005));
    }
    void Hover(bool over) {
        ::SendMessageW(button.GetSafeHwnd(), over ? WM_MOUSEMOVE : WM_MOUSELEAVE, 0, MAKELPARAM(5, 5));
    }

    testing::ControlHost host;
    CountingButton button;
};

TEST_F(ThemedButtonTest, AClickReachesTheHookAndThenTheParentUnlessTheHookHandledIt) {
    Click(button.GetSafeHwnd(), POINT{10, 10});
    EXPECT_EQ(button.clicks, 1);
    ASSERT_EQ(host.commands.size(), 1u);
    EXPECT_EQ(host.commands[0].id, 1005u);
    EXPECT_EQ(host.commands[0].code, static_cast<UINT>(BN_CLICKED));

    button.handles = true;
    Click(button.GetSafeHwnd(), POINT{10, 10});
    // A quick second click is a click too, not a double click.
    ::SendMessageW(button.GetSafeHwnd(), WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(10, 10));
    ::SendMessageW(button.GetSafeHwnd(), WM_LBUTTONUP, 0, MAKELPARAM(10, 10));
    EXPECT_EQ(button.clicks, 3);
    EXPECT_EQ(host.commands.size(), 1u);

    // Only a click is offered back, and only to the control it came from.
    ::SendMessageW(host.GetSafeHwnd(), WM_COMMAND, MAKEWPARAM(1005, BN_SETFOCUS),
                   reinterpret_cast<LPARAM>(button.GetSafeHwnd()));
    ::SendMessageW(host.GetSafeHwnd(), WM_COMMAND, MAKEWPARAM(1, BN_CLICKED), reinterpret_cast<LPARAM>(host.GetSafeHwnd()));
    EXPECT_EQ(button.clicks, 3);
    EXPECT_EQ(host.commands.size(), 2u);
}

TEST_F(ThemedButtonTest, SpaceAndEnterClickTheFocusedButtonButNotWhenItIsDisabled) {
    ::SetFocus(button.GetSafeHwnd());
    ASSERT_EQ(::GetFocus(), button.GetSafeHwnd());
    ::SendMessageW(button.GetSafeHwnd(), WM_KEYDOWN, VK_SPACE, 0);
    ::SendMessageW(button.GetSafeHwnd(), WM_KEYUP, VK_SPACE, 0);
    EXPECT_EQ(button.clicks, 1);
    ::SendMessageW(button.GetSafeHwnd(), WM_KEYDOWN, VK_RETURN, 0);
    EXPECT_EQ(button.clicks, 2);
    EXPECT_EQ(host.commands.size(), 2u);

    ::EnableWindow(button.GetSafeHwnd(), FALSE);
    ::SendMessageW(button.GetSafeHwnd(), WM_KEYDOWN, VK_RETURN, 0);
    EXPECT_EQ(button.clicks, 2);
}

TEST_F(ThemedButtonTest, ThePointerLightsTheFaceAndSwapsInTheHotIcon) {
    const unique_bitmap strip = testing::MakeIconStrip(8);
    ASSERT_TRUE(button.SetIcons(strip.get(), 3, 5));
    const RECT all{0, 0, 160, 32};
    const ClientPicture normal(button.GetSafeHwnd());
    EXPECT_GT(normal.Count(all, testing::IconColor(3)), 0);
    EXPECT_EQ(normal.Count(all, testing::IconColor(5)), 0);

    Hover(true);
    EXPECT_TRUE(button.IsHot());
    const ClientPicture hot(button.GetSafeHwnd());
    EXPECT_GT(hot.Count(all, testing::IconColor(5)), 0);
    EXPECT_EQ(hot.Count(all, testing::IconColor(3)), 0);
    EXPECT_NE(hot.At(80, 4), normal.At(80, 4)) << "the face changes under the pointer";

    Hover(false);
    EXPECT_TRUE(ClientPicture(button.GetSafeHwnd()) == normal);
    EXPECT_FALSE(button.SetIcons(strip.get(), 3, 8)) << "no cell 8";
    EXPECT_EQ(ClientPicture(button.GetSafeHwnd()).Count(all, testing::IconColor(3)), 0);
}

TEST_F(ThemedButtonTest, TheCaptionShowsWholeAndCentredWhenItFits) {
    const auto inkOf = [&] {
        const ClientPicture picture(button.GetSafeHwnd());
        return picture.BoundsWhere(RECT{2, 2, 158, 30}, [](COLORREF c, int, int) { return GetGValue(c) < 100; });
    };
    const RECT shortText = inkOf();
    ::SetWindowTextW(button.GetSafeHwnd(), L"Refresh the list");
    const RECT longText = inkOf();
    EXPECT_GT(longText.right - longText.left, shortText.right - shortText.left + 30);
    EXPECT_NEAR((longText.left + longText.right) / 2, 80, 2);
    EXPECT_NEAR((shortText.left + shortText.right) / 2, 80, 4) << "the trailing blank of \"Refresh \" counts";
}

TEST_F(ThemedButtonTest, TheParentsButtonBackgroundShowsAtTheRoundedCorners) {
    const unique_brush background(::CreateSolidBrush(RGB(1, 2, 3)));
    host.buttonBackground = background.get();
    EXPECT_EQ(ClientPicture(button.GetSafeHwnd()).At(0, 0), RGB(1, 2, 3));
    host.buttonBackground = nullptr;
}

TEST_F(ThemedButtonTest, APictureShowsAtItsNaturalSize) {
    BITMAP expected{};
    const unique_bitmap close(static_cast<HBITMAP>(
        ::LoadImageW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDB_POPUP_CLOSE), IMAGE_BITMAP, 0, 0, 0)));
    ASSERT_TRUE(close);
    ::GetObjectW(close.get(), sizeof(expected), &expected);
    ASSERT_TRUE(button.SetImage(IDB_POPUP_CLOSE));
    EXPECT_EQ(button.ImageSize().cx, expected.bmWidth);
    EXPECT_EQ(button.ImageSize().cy, expected.bmHeight);

    EXPECT_FALSE(button.SetImage(9999));
    EXPECT_EQ(button.ImageSize().cx, 0);
}

TEST_F(ThemedButtonTest, ADialogTemplatesButtonIsTakenOverAndHandedBackAsItWas) {
    TemplateDialog dialog;
    ASSERT_TRUE(dialog.CreateModeless(host.GetSafeHwnd()));
    const HWND ok = ::GetDlgItem(dialog.GetSafeHwnd(), IDOK);
    const LONG_PTR original = ::GetWindowLongPtrW(ok, GWL_STYLE);
    {
        CountingButton themed;
        EXPECT_FALSE(themed.SubclassDlgItem(kTestEdit, dialog.GetSafeHwnd())) << "not a button";
        ASSERT_TRUE(themed.SubclassDlgItem(IDOK, dialog.GetSafeHwnd()));
        EXPECT_FALSE(CountingButton().Attach(ok)) << "already taken";
        EXPECT_EQ(::GetWindowLongPtrW(ok, GWL_STYLE) & BS_TYPEMASK, BS_OWNERDRAW);
        EXPECT_EQ(::SendMessageW(ok, WM_GETDLGCODE, 0, 0) & DLGC_DEFPUSHBUTTON, DLGC_DEFPUSHBUTTON)
            << "still the dialog's default button";

        Click(ok, POINT{5, 5});
        EXPECT_EQ(themed.clicks, 1);
        EXPECT_EQ(dialog.commands, std::vector<UINT>{IDOK});
    }
    EXPECT_TRUE(::IsWindow(ok));
    EXPECT_EQ(::GetWindowLongPtrW(ok, GWL_STYLE), original);
    EXPECT_FALSE(Window::FromHandle(ok));
    Click(ok, POINT{5, 5});
    EXPECT_EQ(dialog.commands, (std::vector<UINT>{IDOK, IDOK}));
}

TEST_F(ThemedButtonTest, EnterInADialogClicksTheThemedButtonThatHasTheFocus) {
    TemplateDialog dialog;
    ASSERT_TRUE(dialog.CreateModeless(host.GetSafeHwnd()));
    ::ShowWindow(dialog.GetSafeHwnd(), SW_SHOW);
    CountingButton cancel;
    ASSERT_TRUE(cancel.SubclassDlgItem(IDCANCEL, dialog.GetSafeHwnd()));
    cancel.handles = true;
    const HWND window = cancel.GetSafeHwnd();
    ::SendMessageW(dialog.GetSafeHwnd(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(window), TRUE);
    ASSERT_TRUE(testing::PumpUntil([&] { return ::GetFocus() == window; }, 2000));

    MSG enter{};
    enter.hwnd = window;
    enter.message = WM_KEYDOWN;
    enter.wParam = VK_RETURN;
    EXPECT_TRUE(::IsDialogMessageW(dialog.GetSafeHwnd(), &enter));
    EXPECT_EQ(cancel.clicks, 1);
    EXPECT_TRUE(dialog.commands.empty()) << "the button handled its own click";
}

}  // namespace
}  // namespace qmo
