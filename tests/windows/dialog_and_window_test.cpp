#include <gtest/gtest.h>

#include <vector>

#include "framework/application.h"
#include "framework/dialog.h"
#include "framework/subclassed_control.h"
#include "framework/window.h"
#include "wine_test_support.h"

namespace qmo {
namespace {

constexpr UINT kTestDialog = 900;
constexpr UINT kTestEdit = 901;
constexpr UINT kPing = WM_APP + 7;

class CountingWindow : public Window {
public:
    bool Create() {
        return Window::Create(WindowClass{L"QuenvaleTest.Counting"}, 0, L"counting", WS_OVERLAPPEDWINDOW, 0, 0, 200,
                              100, nullptr, nullptr);
    }
    int pings = 0;
    bool sawNcDestroy = false;

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
        switch (message) {
        case kPing:
            ++pings;
            return 1234;
        case WM_NCDESTROY:
            sawNcDestroy = true;
            return DefaultHandler(message, wParam, lParam);
        default:
            return DefaultHandler(message, wParam, lParam);
        }
    }
};

TEST(WindowBase, DispatchesToItsObjectAndLetsGoOnDestruction) {
    CountingWindow window;
    ASSERT_TRUE(window.Create());
    const HWND handle = window.GetSafeHwnd();
    EXPECT_EQ(Window::FromHandle(handle), &window);
    EXPECT_EQ(::SendMessageW(handle, kPing, 0, 0), 1234);
    EXPECT_EQ(window.pings, 1);

    window.DestroyWindow();
    EXPECT_TRUE(window.sawNcDestroy);
    EXPECT_EQ(window.GetSafeHwnd(), nullptr);
    EXPECT_FALSE(::IsWindow(handle));
    EXPECT_EQ(Window::FromHandle(handle), nullptr);
}

TEST(WindowBase, DestroyingTheObjectDestroysItsWindow) {
    HWND handle = nullptr;
    {
        CountingWindow window;
        ASSERT_TRUE(window.Create());
        handle = window.GetSafeHwnd();
    }
    EXPECT_FALSE(::IsWindow(handle));
}

TEST(WindowBase, ASecondCreateOnALiveObjectIsRefused) {
    CountingWindow window;
    ASSERT_TRUE(window.Create());
    EXPECT_FALSE(window.Create());
}

// A static taken over: counts the moves it hears, leaves everything else to the static.
class ProbeControl : public SubclassedControl {
public:
    bool Take(HWND control, bool owns) { return Subclass(control, owns); }
    int moves = 0;
    POINT last{};

protected:
    bool OnMouseMove(UINT, POINT point) override {
        ++moves;
        last = point;
        return false;
    }
};

HWND MakeStatic(const wchar_t* text) {
    return ::CreateWindowExW(0, L"STATIC", text, WS_POPUP, 0, 0, 50, 20, nullptr, nullptr, nullptr, nullptr);
}

std::wstring TextOf(HWND window) {
    wchar_t text[32] = {};
    ::SendMessageW(window, WM_GETTEXT, 32, reinterpret_cast<LPARAM>(text));
    return text;
}

TEST(SubclassedControlBase, AForeignControlOutlivesItsObjectAndAnswersAsBefore) {
    const HWND control = MakeStatic(L"plain");
    ASSERT_TRUE(control);
    {
        ProbeControl probe;
        ASSERT_TRUE(probe.Take(control, false));
        EXPECT_FALSE(ProbeControl().Take(control, false)) << "already taken";
        ::SendMessageW(control, WM_MOUSEMOVE, 0, MAKELPARAM(-3, 4));
        EXPECT_EQ(probe.moves, 1);
        EXPECT_EQ(probe.last.x, -3) << "left of the control, the point stays signed";
        EXPECT_EQ(probe.last.y, 4);
        EXPECT_EQ(TextOf(control), L"plain") << "what no handler takes reaches the static";
        EXPECT_FALSE(probe.OwnsHandle());
    }
    ASSERT_TRUE(::IsWindow(control));
    EXPECT_EQ(Window::FromHandle(control), nullptr);
    EXPECT_EQ(TextOf(control), L"plain");
    ProbeControl again;
    EXPECT_TRUE(again.Take(control, false)) << "the first hook came off";
    ::DestroyWindow(control);
    EXPECT_EQ(again.GetSafeHwnd(), nullptr) << "the control's end lets go of the object";
}

TEST(SubclassedControlBase, AnOwnedControlGoesWithItsObject) {
    const HWND control = MakeStatic(L"owned");
    {
        ProbeControl probe;
        ASSERT_TRUE(probe.Take(control, true));
        EXPECT_TRUE(probe.OwnsHandle());
    }
    EXPECT_FALSE(::IsWindow(control));
}

class TestDialog : public Dialog {
public:
    TestDialog() : Dialog(kTestDialog) {}
    int inits = 0;
    bool endFromInit = false;
    HBRUSH background = static_cast<HBRUSH>(::GetStockObject(GRAY_BRUSH));

protected:
    BOOL OnInitDialog() override {
        ++inits;
        ::SetDlgItemTextW(m_hWnd, kTestEdit, L"from template");
        if (endFromInit)
            ::PostMessageW(m_hWnd, WM_COMMAND, IDOK, 0);
        return TRUE;
    }
    bool HandleDialogMessage(UINT message, WPARAM, LPARAM, LRESULT& result) override {
        if (message == kPing) {
            result = 42;
            return true;
        }
        if (message == WM_CTLCOLORDLG) {
            result = reinterpret_cast<LRESULT>(background);
            return true;
        }
        return false;
    }
};

TEST(DialogBase, ModalDialogFromItsTemplateEndsWithTheButtonPressed) {
    TestDialog dialog;
    dialog.endFromInit = true;
    EXPECT_EQ(dialog.DoModal(nullptr), IDOK);
    EXPECT_EQ(dialog.inits, 1);
    EXPECT_EQ(dialog.GetSafeHwnd(), nullptr);
}

TEST(DialogBase, ModelessDialogAnswersThroughTheRightChannels) {
    TestDialog dialog;
    ASSERT_TRUE(dialog.CreateModeless(nullptr));
    const HWND handle = dialog.GetSafeHwnd();
    wchar_t text[32] = {};
    ::GetDlgItemTextW(handle, kTestEdit, text, 32);
    EXPECT_STREQ(text, L"from template");

    // A handled message answers through DWLP_MSGRESULT; colour messages directly.
    EXPECT_EQ(::SendMessageW(handle, kPing, 0, 0), 42);
    EXPECT_EQ(reinterpret_cast<HBRUSH>(::SendMessageW(handle, WM_CTLCOLORDLG, 0, 0)), dialog.background);

    // Keyboard navigation is the dialog's own, before dispatch.
    MSG tab{::GetDlgItem(handle, kTestEdit), WM_KEYDOWN, VK_TAB, 0, 0, {}};
    EXPECT_TRUE(Application::PreTranslate(tab));
    MSG elsewhere{nullptr, WM_KEYDOWN, VK_TAB, 0, 0, {}};
    EXPECT_FALSE(Application::PreTranslate(elsewhere));

    dialog.EndDialog(IDCANCEL);
    EXPECT_FALSE(::IsWindow(handle));
    EXPECT_EQ(dialog.GetSafeHwnd(), nullptr);
}

}  // namespace
}  // namespace qmo
