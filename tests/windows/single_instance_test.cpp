#include <gtest/gtest.h>

#include <string>

#include "app/single_instance.h"
#include "config/registry_run_entry.h"
#include "framework/unique_handle.h"
#include "res/messages.h"
#include "single_instance_child.h"
#include "wine_test_support.h"

namespace qmo {
namespace {

std::wstring UniqueName(const wchar_t* what) {
    return std::wstring(L"QuenvaleTest-") + what + L"-" + std::to_wstring(::GetCurrentProcessId()) + L"-" +
           std::to_wstring(::GetTickCount64());
}

bool WaitForWindow(const wchar_t* className, const std::wstring& title, DWORD timeoutMs) {
    return testing::PumpUntil([&] { return ::FindWindowW(className, title.c_str()) != nullptr; }, timeoutMs);
}

TEST(SingleInstance, FirstGuardOfANameIsAlone) {
    SingleInstanceGuard guard(UniqueName(L"alone").c_str());
    EXPECT_FALSE(guard.AnotherInstanceRuns());
}

TEST(SingleInstance, SecondProcessHandsOverToTheFirstAndTheNameIsFreedWhenItEnds) {
    const std::wstring mutexName = UniqueName(L"mutex");
    const std::wstring title = UniqueName(L"title");
    std::wstring commandLine = L"\"" + ModuleFilePath() + L"\" " + std::wstring(testing::kFirstInstanceChildSwitch) +
                               L" \"" + mutexName + L"\" \"" + title + L"\"";

    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    ASSERT_TRUE(::CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                                 &process));
    unique_kernel_handle child(process.hProcess);
    unique_kernel_handle childThread(process.hThread);

    ASSERT_TRUE(WaitForWindow(testing::kFirstInstanceChildClass, title, 30000)) << "first instance never came up";
    {
        SingleInstanceGuard second(mutexName.c_str());
        EXPECT_TRUE(second.AnotherInstanceRuns());
        EXPECT_TRUE(
            HandOverToFirstInstance(testing::kFirstInstanceChildClass, title.c_str(), WM_ACTIVATE_FIRST_INSTANCE));
    }

    ASSERT_EQ(::WaitForSingleObject(child.get(), 30000), WAIT_OBJECT_0) << "first instance was not activated";
    DWORD exitCode = 1;
    ::GetExitCodeProcess(child.get(), &exitCode);
    EXPECT_EQ(exitCode, testing::kChildActivatedExitCode);

    SingleInstanceGuard afterwards(mutexName.c_str());
    EXPECT_FALSE(afterwards.AnotherInstanceRuns());
}

// A captioned window of the program (a message box, say) must not be taken
// for the main window: the frame's class is looked for first.
class TitledWindow {
public:
    TitledWindow(const wchar_t* className, const std::wstring& title) {
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = &TitledWindow::Procedure;
        windowClass.hInstance = ::GetModuleHandleW(nullptr);
        windowClass.lpszClassName = className;
        ::RegisterClassW(&windowClass);
        m_window.reset(::CreateWindowExW(0, className, title.c_str(), WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                         windowClass.hInstance, nullptr));
    }
    HWND get() const { return m_window.get(); }
    static inline HWND lastActivated = nullptr;

private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_ACTIVATE_FIRST_INSTANCE) {
            lastActivated = window;
            return 0;
        }
        return ::DefWindowProcW(window, message, wParam, lParam);
    }
    unique_hwnd m_window;
};

TEST(SingleInstance, HandOverPrefersTheFrameClassOverAnotherWindowWithTheTitle) {
    const std::wstring title = UniqueName(L"shared-title");
    TitledWindow frame(L"QuenvaleTest.Frame", title);
    TitledWindow decoy(L"QuenvaleTest.Decoy", title);
    TitledWindow::lastActivated = nullptr;
    EXPECT_TRUE(HandOverToFirstInstance(L"QuenvaleTest.Frame", title.c_str(), WM_ACTIVATE_FIRST_INSTANCE));
    EXPECT_EQ(TitledWindow::lastActivated, frame.get());

    // The frame is found by its class whatever its title says: the title may be translated.
    TitledWindow translated(L"QuenvaleTest.Translated", UniqueName(L"Optimiseur"));
    TitledWindow::lastActivated = nullptr;
    EXPECT_TRUE(HandOverToFirstInstance(L"QuenvaleTest.Translated", title.c_str(), WM_ACTIVATE_FIRST_INSTANCE));
    EXPECT_EQ(TitledWindow::lastActivated, translated.get());

    // Without a frame of that class, any window with the earlier title is asked.
    TitledWindow::lastActivated = nullptr;
    EXPECT_TRUE(HandOverToFirstInstance(L"QuenvaleTest.NoSuchClass", title.c_str(), WM_ACTIVATE_FIRST_INSTANCE));
    EXPECT_NE(TitledWindow::lastActivated, nullptr);
}

TEST(SingleInstance, HandOverWithNoWindowFindsNothing) {
    EXPECT_FALSE(
        HandOverToFirstInstance(L"QuenvaleTest.Frame", UniqueName(L"nobody").c_str(), WM_ACTIVATE_FIRST_INSTANCE));
}

}  // namespace
}  // namespace qmo
