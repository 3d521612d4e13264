#include <gtest/gtest.h>

#include <functional>
#include <initializer_list>
#include <new>
#include <stdexcept>
#include <string>
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

// A handler's fault, armed for one message: an allocation that failed, any
// standard exception, and anything else at all can escape a handler.
struct HandlerFault {
    const char* name;
    std::function<void()> raise;
    const char* reported;  // what the report names besides the message
};
const HandlerFault kHandlerFaults[] = {
    {"bad_alloc", [] { throw std::bad_alloc(); }, "bad_alloc"},
    {"runtime_error", [] { throw std::runtime_error("the handler broke"); }, "the handler broke"},
    {"int", [] { throw 7; }, ""},
};

struct ArmedFault {
    UINT message = 0;
    const HandlerFault* fault = nullptr;
    void At(UINT handled) const {
        if (fault && handled == message)
            fault->raise();
    }
};

// What the process says on the debugger's output meanwhile: OutputDebugString
// raises it as an exception that a vectored handler sees first (the narrow
// form under wine, the wide form first on Windows 10).
class DebugOutputRecorder {
public:
    DebugOutputRecorder() : m_handler(::AddVectoredExceptionHandler(1, &Record)) { s_current = this; }
    DebugOutputRecorder(const DebugOutputRecorder&) = delete;
    DebugOutputRecorder& operator=(const DebugOutputRecorder&) = delete;
    ~DebugOutputRecorder() {
        ::RemoveVectoredExceptionHandler(m_handler);
        s_current = nullptr;
    }
    bool SawLineWith(std::initializer_list<std::string> parts) const {
        for (const std::string& line : m_lines) {
            bool all = true;
            for (const std::string& part : parts)
                all = all && line.find(part) != std::string::npos;
            if (all)
                return true;
        }
        return false;
    }

private:
    static LONG CALLBACK Record(EXCEPTION_POINTERS* pointers) {
        constexpr DWORD kNarrow = 0x40010006, kWide = 0x4001000A;
        const EXCEPTION_RECORD& record = *pointers->ExceptionRecord;
        if (s_current && record.NumberParameters >= 2 && record.ExceptionInformation[1]) {
            if (record.ExceptionCode == kNarrow)
                s_current->m_lines.emplace_back(reinterpret_cast<const char*>(record.ExceptionInformation[1]));
            if (record.ExceptionCode == kWide) {
                std::string line;  // the parts looked for are ASCII
                for (auto* c = reinterpret_cast<const wchar_t*>(record.ExceptionInformation[1]); *c; ++c)
                    line += static_cast<char>(*c);
                s_current->m_lines.push_back(std::move(line));
            }
        }
        return EXCEPTION_CONTINUE_SEARCH;
    }

    static inline DebugOutputRecorder* s_current = nullptr;
    PVOID m_handler;
    std::vector<std::string> m_lines;
};

// Each fault in turn escapes the handler of WM_GETTEXTLENGTH of `window`,
// armed through `armed`: the call gets the answer the window gives without
// our handler, the fault is reported, and the next message is answered.
void ExpectEachFaultCostsOneMessage(HWND window, ArmedFault& armed, const std::function<void()>& nextMessage) {
    const LRESULT unhandled = ::SendMessageW(window, WM_GETTEXTLENGTH, 0, 0);
    for (const HandlerFault& fault : kHandlerFaults) {
        SCOPED_TRACE(fault.name);
        DebugOutputRecorder output;
        armed = ArmedFault{WM_GETTEXTLENGTH, &fault};
        EXPECT_EQ(::SendMessageW(window, WM_GETTEXTLENGTH, 0, 0), unhandled);
        armed = ArmedFault{};
        EXPECT_TRUE(output.SawLineWith({"0x000E", fault.reported})) << "the report names the message and the fault";
        nextMessage();
    }
}

class CountingWindow : public Window {
public:
    bool Create() {
        return Window::Create(WindowClass{L"QuenvaleTest.Counting"}, 0, L"counting", WS_OVERLAPPEDWINDOW, 0, 0, 200,
                              100, nullptr, nullptr);
    }
    int pings = 0;
    bool sawNcDestroy = false;
    ArmedFault fault;

    bool PreTranslateMessage(MSG& message) override {
        fault.At(message.message);
        return false;
    }

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
        fault.At(message);
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

TEST(WindowBase, AnExceptionOutOfAHandlerGetsDefWindowProcsAnswerAndTheWindowLivesOn) {
    CountingWindow window;
    ASSERT_TRUE(window.Create());
    ExpectEachFaultCostsOneMessage(window.GetSafeHwnd(), window.fault,
                                   [&] { EXPECT_EQ(::SendMessageW(window.GetSafeHwnd(), kPing, 0, 0), 1234); });
    EXPECT_EQ(window.pings, 3);
}

// The message loop offers each message to our windows before dispatching it.
TEST(WindowBase, AnExceptionOutOfPreTranslationLeavesTheMessageToItsWindow) {
    CountingWindow window;
    ASSERT_TRUE(window.Create());
    for (const HandlerFault& fault : kHandlerFaults) {
        SCOPED_TRACE(fault.name);
        DebugOutputRecorder output;
        window.fault = ArmedFault{kPing, &fault};
        MSG message{window.GetSafeHwnd(), kPing, 0, 0, 0, {}};
        EXPECT_FALSE(Application::PreTranslate(message));
        window.fault = ArmedFault{};
        EXPECT_TRUE(output.SawLineWith({"0x8007", fault.reported}));
    }
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
    ArmedFault fault;

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
        fault.At(message);
        return SubclassedControl::HandleMessage(message, wParam, lParam);
    }
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

TEST(SubclassedControlBase, AnExceptionOutOfAHandlerGetsTheControlsOwnAnswerAndTheControlLivesOn) {
    const HWND control = MakeStatic(L"plain");
    ProbeControl probe;
    ASSERT_TRUE(probe.Take(control, true));
    ExpectEachFaultCostsOneMessage(control, probe.fault, [&] {
        ::SendMessageW(control, WM_MOUSEMOVE, 0, MAKELPARAM(1, 2));
        EXPECT_EQ(TextOf(control), L"plain");
    });
    EXPECT_EQ(probe.moves, 3);
}

class TestDialog : public Dialog {
public:
    TestDialog() : Dialog(kTestDialog) {}
    int inits = 0;
    bool endFromInit = false;
    HBRUSH background = static_cast<HBRUSH>(::GetStockObject(GRAY_BRUSH));
    ArmedFault fault;

protected:
    BOOL OnInitDialog() override {
        ++inits;
        ::SetDlgItemTextW(m_hWnd, kTestEdit, L"from template");
        if (endFromInit)
            ::PostMessageW(m_hWnd, WM_COMMAND, IDOK, 0);
        return TRUE;
    }
    bool HandleDialogMessage(UINT message, WPARAM, LPARAM, LRESULT& result) override {
        fault.At(message);
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

TEST(DialogBase, AnExceptionOutOfAHandlerLeavesTheMessageToTheDialogManagerAndTheDialogLivesOn) {
    TestDialog dialog;
    ASSERT_TRUE(dialog.CreateModeless(nullptr));
    const HWND handle = dialog.GetSafeHwnd();
    EXPECT_EQ(::SendMessageW(handle, kPing, 0, 0), 42);
    ExpectEachFaultCostsOneMessage(handle, dialog.fault, [&] { EXPECT_EQ(::SendMessageW(handle, kPing, 0, 0), 42); });
    dialog.EndDialog(IDCANCEL);
    EXPECT_EQ(dialog.GetSafeHwnd(), nullptr);
}

}  // namespace
}  // namespace qmo
