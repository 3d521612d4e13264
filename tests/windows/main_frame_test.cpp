#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <thread>

#include "config/registry_run_entry.h"
#include "framework/application.h"
#include "config/registry_profile.h"
#include "res/resource.h"
#include "pages/frame_texts.h"
#include "res/messages.h"
#include "perf/perf_win32.h"
#include "shell/main_frame.h"
#include "wine_test_support.h"

using namespace qmo;

namespace {

using qmo::testing::AsText;
using qmo::testing::PumpUntil;
using qmo::testing::ReadRawValue;

class TestApplication : public qmo::Application {
protected:
    bool InitInstance() override { return true; }
};

class MainFrameTest : public ::testing::Test {
protected:
    void SetUp() override {
        // The Run key is opened, never created, so it must exist.
        ASSERT_TRUE(qmo::testing::WriteRawValue(scratch.Root(), runKey, L"unrelated", REG_SZ, L"", 2));
    }
    void TearDown() override { frame.reset(); }

    // As the application starts it: created, shown maximized for a moment, hidden.
    void Start() {
        frame = std::make_unique<CMainFrame>(profile, run);
        ASSERT_TRUE(frame->Create());
        frame->ShowForAMomentAtStart();
    }
    HWND Hwnd() const { return frame->GetSafeHwnd(); }
    bool Visible() const { return ::IsWindowVisible(Hwnd()) != FALSE; }
    void Command(UINT id) { ::SendMessageW(Hwnd(), WM_COMMAND, id, 0); }
    qmo::testing::RawValue Setting(const wchar_t* name) {
        return ReadRawValue(scratch.Root(), profileKey + L"\\Settings", name);
    }

    qmo::testing::ScratchKey scratch{L"Frame"};
    std::wstring profileKey = scratch.Sub(L"Profile");
    std::wstring runKey = scratch.Sub(L"Run");
    qmo::RegistryProfile profile{scratch.Root(), profileKey};
    qmo::RegistryRunEntry run{scratch.Root(), runKey};
    std::unique_ptr<CMainFrame> frame;
};

TEST_F(MainFrameTest, StartEndsHiddenInTheTrayWithAllSettingsAndTheRunEntryWritten) {
    Start();
    EXPECT_FALSE(Visible());
    EXPECT_TRUE(frame->Logic().Hidden());
    EXPECT_TRUE(frame->TrayIcon().IsCreated());
    EXPECT_FALSE(frame->ViewMade()) << "a program that stays in the tray makes no view";

    wchar_t title[64] = {};
    ::GetWindowTextW(Hwnd(), title, 64);
    EXPECT_STREQ(title, L"Quenvale Memory Optimizer");
    EXPECT_EQ(static_cast<DWORD>(::GetWindowLongPtrW(Hwnd(), GWL_STYLE)) & WS_OVERLAPPEDWINDOW,
              static_cast<DWORD>(WS_OVERLAPPEDWINDOW));

    for (const wchar_t* name : {L"CL", L"RAS", L"SN", L"bAOMAMSF", L"bARPL"})
        EXPECT_EQ(Setting(name).type, static_cast<DWORD>(REG_DWORD)) << name;
    EXPECT_EQ(AsText(Setting(L"SC")), L"O");
    const auto entry = ReadRawValue(scratch.Root(), runKey, L"Z Wyndle Memory opt");
    EXPECT_EQ(AsText(entry), L"\"" + qmo::ModuleFilePath() + L"\"");
}

// The view and each page are made the first time they show, and only then.
TEST_F(MainFrameTest, TheViewComesWithTheFirstShowingAndEachPageWithItsOwn) {
    Start();
    ASSERT_FALSE(frame->ViewMade());
    Command(ID_TRAY_SHOW_HIDE);
    ASSERT_TRUE(Visible());
    ASSERT_TRUE(frame->ViewMade());
    qmo::PageTabControl& tabs = frame->View().PageTabs();
    RECT client{};
    ::GetClientRect(Hwnd(), &client);
    RECT view{};
    ::GetWindowRect(frame->View().GetSafeHwnd(), &view);
    EXPECT_EQ(view.right - view.left, client.right) << "the view made late fills the window";
    EXPECT_TRUE(::IsWindowVisible(tabs.TabPage(0)));
    EXPECT_EQ(tabs.TabPage(1), nullptr);
    EXPECT_EQ(tabs.TabPage(2), nullptr);
    Command(ID_VIEW_SETTINGS);
    EXPECT_TRUE(::IsWindowVisible(tabs.TabPage(2)));
    EXPECT_EQ(tabs.TabPage(1), nullptr);
    Command(ID_VIEW_PROCESSES);
    EXPECT_TRUE(::IsWindowVisible(tabs.TabPage(1)));
    EXPECT_FALSE(::IsWindowVisible(tabs.TabPage(2)));
}

TEST_F(MainFrameTest, StoredSettingsAreLoadedAndRunAtStartupOffBlanksTheEntry) {
    qmo::RegistryProfile seed(scratch.Root(), profileKey);
    seed.WriteProfileInt("Settings", "CL", 150);
    seed.WriteProfileString("Settings", "SC", "Z");
    seed.WriteProfileInt("Settings", "RAS", 0);
    seed.WriteProfileInt("Settings", "SN", 7);
    qmo::testing::WriteRawValue(scratch.Root(), runKey, L"Z Wyndle Memory opt", REG_SZ, L"old", 8);
    Start();
    EXPECT_EQ(frame->Settings().m_nCriticalLimit, 150);
    EXPECT_EQ(frame->Settings().m_strShortcutKey, "Z");
    EXPECT_FALSE(frame->Settings().m_bRunAtStartup);
    EXPECT_TRUE(frame->Settings().m_bShowNotification);
    EXPECT_EQ(Setting(L"SN").data, (std::vector<BYTE>{1, 0, 0, 0}));
    const auto entry = ReadRawValue(scratch.Root(), runKey, L"Z Wyndle Memory opt");
    EXPECT_TRUE(entry.exists);
    EXPECT_EQ(AsText(entry), L"");
}

TEST_F(MainFrameTest, CloseExitAndTrayToggleHideAndShow) {
    Start();
    ::SendMessageW(Hwnd(), WM_CLOSE, 0, 0);
    EXPECT_TRUE(Visible());
    EXPECT_FALSE(frame->Logic().Hidden());
    ::SendMessageW(Hwnd(), WM_CLOSE, 0, 0);
    EXPECT_FALSE(Visible());
    EXPECT_TRUE(::IsWindow(Hwnd()));

    Command(ID_APP_EXIT);
    EXPECT_TRUE(Visible());
    Command(ID_TRAY_SHOW_HIDE);
    EXPECT_FALSE(Visible());
    ::SendMessageW(frame->TrayIcon().NotificationWindow(), WM_TRAY_NOTIFY, qmo::TrayIcon::kIconId,
                   WM_LBUTTONDBLCLK);
    EXPECT_TRUE(Visible());
}

TEST_F(MainFrameTest, SecondInstanceAndPageCommandsOnlyEverShow) {
    Start();
    EXPECT_EQ(::SendMessageW(Hwnd(), WM_ACTIVATE_FIRST_INSTANCE, 0, 0), 0);
    EXPECT_TRUE(Visible());
    ::SendMessageW(Hwnd(), WM_ACTIVATE_FIRST_INSTANCE, 0, 0);
    EXPECT_TRUE(Visible());

    for (UINT page : {ID_VIEW_PERFORMANCE, ID_VIEW_PROCESSES, ID_VIEW_SETTINGS}) {
        ::SendMessageW(Hwnd(), WM_CLOSE, 0, 0);
        ASSERT_FALSE(Visible());
        Command(page);
        EXPECT_TRUE(Visible()) << page;
        Command(page);
        EXPECT_TRUE(Visible()) << page;
    }
}

TEST_F(MainFrameTest, MinimizingGoesToTheTrayAndShowingRestoresTheMaximizedPlacement) {
    Start();
    ::SendMessageW(Hwnd(), WM_CLOSE, 0, 0);
    ASSERT_TRUE(::IsZoomed(Hwnd()));
    ::ShowWindow(Hwnd(), SW_MINIMIZE);
    EXPECT_FALSE(Visible());
    EXPECT_TRUE(frame->Logic().Hidden());
    EXPECT_FALSE(::IsIconic(Hwnd()));

    ::SendMessageW(Hwnd(), WM_CLOSE, 0, 0);
    EXPECT_TRUE(Visible());
    EXPECT_TRUE(::IsZoomed(Hwnd()));
}

class ControlKeyDown {
public:
    ControlKeyDown() {
        ::GetKeyboardState(m_saved);
        BYTE state[256];
        ::GetKeyboardState(state);
        state[VK_CONTROL] = 0x80;
        ::SetKeyboardState(state);
    }
    ~ControlKeyDown() { ::SetKeyboardState(m_saved); }

private:
    BYTE m_saved[256] = {};
};

TEST_F(MainFrameTest, KeysReachingTheFrameAreSwallowedAndCtrlXHides) {
    Start();
    ::SendMessageW(Hwnd(), WM_CLOSE, 0, 0);
    const HWND view = frame->View().GetSafeHwnd();

    MSG plain{view, WM_KEYDOWN, 'X', 0, 0, {}};
    EXPECT_TRUE(qmo::Application::PreTranslate(plain));
    MSG character{view, WM_CHAR, 'x', 0, 0, {}};
    EXPECT_FALSE(qmo::Application::PreTranslate(character));
    qmo::testing::PumpPending();
    EXPECT_TRUE(Visible());

    {
        ControlKeyDown control;
        MSG ctrlX{view, WM_KEYDOWN, 'X', 0, 0, {}};
        EXPECT_TRUE(qmo::Application::PreTranslate(ctrlX));
    }
    EXPECT_TRUE(PumpUntil([&] { return !Visible(); }));
    EXPECT_TRUE(frame->Logic().Hidden());
}

// Answers the first message box with the given caption and records its text;
// `whileUp` is called with the box before it is answered.
class MessageBoxWatcher {
public:
    explicit MessageBoxWatcher(const wchar_t* caption, std::function<void(HWND)> whileUp = {})
        : m_thread([this, caption, whileUp] {
              const ULONGLONG deadline = ::GetTickCount64() + 10000;
              while (::GetTickCount64() < deadline) {
                  if (HWND box = ::FindWindowW(L"#32770", caption)) {
                      ::EnumChildWindows(box, &MessageBoxWatcher::CollectText, reinterpret_cast<LPARAM>(&m_text));
                      if (whileUp)
                          whileUp(box);
                      ::PostMessageW(box, WM_COMMAND, IDOK, 0);
                      return;
                  }
                  ::Sleep(20);
              }
          }) {}
    ~MessageBoxWatcher() {
        if (m_thread.joinable())
            m_thread.join();
    }
    const std::wstring& Text() {
        m_thread.join();
        return m_text;
    }

private:
    static BOOL CALLBACK CollectText(HWND child, LPARAM lParam) {
        wchar_t className[16] = {};
        ::GetClassNameW(child, className, 16);
        wchar_t text[256] = {};
        ::GetWindowTextW(child, text, 256);
        if (::lstrcmpiW(className, L"Static") == 0 && text[0])
            *reinterpret_cast<std::wstring*>(lParam) = text;
        return TRUE;
    }

    std::wstring m_text;
    std::thread m_thread;
};

TEST_F(MainFrameTest, HelpWithoutTheFileBesideTheProgramSaysSo) {
    Start();
    MessageBoxWatcher watcher(L"Quenvale Memory Optimizer");
    Command(ID_HELP_TOPICS);  // shows the window, then asks for help
    EXPECT_EQ(watcher.Text(), L"Help file not found, PLease reinstall software");
    EXPECT_TRUE(Visible());
}

TEST_F(MainFrameTest, TrayExitDestroysTheFrameRemovesTheIconAndEndsTheLoop) {
    TestApplication application;
    Start();
    application.SetMainWindow(frame.get());
    const HWND handle = Hwnd();
    Command(ID_TRAY_EXIT);
    EXPECT_FALSE(::IsWindow(handle));
    EXPECT_FALSE(frame->TrayIcon().IsCreated());
    MSG quit{};
    EXPECT_TRUE(::PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
}

// The real frame over a counter query that cannot be opened; what a
// half-made frame would do is counted instead of done.
class FrameWithoutCounterQuery : public CMainFrame {
public:
    using CMainFrame::CMainFrame;
    int runs = 0;
    int shows = 0;
    int destroys = 0;
    HWND trayWindow = nullptr;  // the last the frame had

protected:
    qmo::CounterApi* CounterSource() override { return &m_refusing; }
    void RunOptimizationDialog(bool) override { ++runs; }
    void ShowWindowWithTitle() override { ++shows; }
    void DestroyFrame() override { ++destroys; }
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (const HWND tray = TrayIcon().NotificationWindow())
            trayWindow = tray;
        return CMainFrame::HandleMessage(message, wParam, lParam);
    }

private:
    class RefusingQuery : public qmo::PdhCounterApi {
        bool OpenQuery(std::uintptr_t, Handle&) override { return false; }
    } m_refusing;
};

// A program that ends itself while its frame is made would end the ring with
// success, the tests after this one unrun.
std::atomic<bool> g_frameBeingMade{false};
void FailAnEndWhileTheFrameIsMade() {
    if (!g_frameBeingMade)
        return;
    std::fputs("the program ended itself while its frame was being made\n", stderr);
    std::_Exit(3);
}

TEST_F(MainFrameTest, ACounterQueryThatCannotBeOpenedIsToldThenTheFrameFailsWithNothingDoneMeanwhileNorLeftBehind) {
    static const int atExit = std::atexit(&FailAnEndWhileTheFrameIsMade);
    ASSERT_EQ(atExit, 0);
    FrameWithoutCounterQuery failing(profile, run);
    // The box is owned by the frame; the tray's menu and a second start reach the frame meanwhile.
    const std::wstring caption = qmo::kMainWindowTitle;
    MessageBoxWatcher watcher(caption.c_str(), [](HWND box) {
        const HWND frameWindow = ::GetWindow(box, GW_OWNER);
        for (UINT id : {ID_OPTIMIZE, ID_TRAY_EXIT, ID_APP_EXIT, ID_TRAY_SHOW_HIDE, ID_VIEW_SETTINGS})
            ::PostMessageW(frameWindow, WM_COMMAND, id, 0);
        ::PostMessageW(frameWindow, WM_ACTIVATE_FIRST_INSTANCE, 0, 0);
    });
    g_frameBeingMade = true;
    EXPECT_FALSE(failing.Create());
    g_frameBeingMade = false;
    EXPECT_EQ(watcher.Text(), qmo::kQueryFailureText);
    EXPECT_EQ(failing.runs, 0);
    EXPECT_EQ(failing.shows, 0);
    EXPECT_EQ(failing.destroys, 0);
    ASSERT_NE(failing.trayWindow, nullptr);
    NOTIFYICONDATAW icon{};
    icon.cbSize = sizeof(icon);
    icon.hWnd = failing.trayWindow;
    icon.uID = qmo::TrayIcon::kIconId;
    EXPECT_FALSE(::Shell_NotifyIconW(NIM_MODIFY, &icon)) << "the shell holds no icon of the frame";
}

}  // namespace
