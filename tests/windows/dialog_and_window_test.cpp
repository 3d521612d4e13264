#include <gtest/gtest.h>

#include <vector>

#include "framework/application.h"
#include "framework/dialog.h"
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
