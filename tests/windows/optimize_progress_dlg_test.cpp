#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <system_error>
#include <vector>

#include "framework/application.h"
#include "framework/unique_handle.h"
#include "optimizer/memory_service_win32.h"
#include "shell/optimize_progress_dlg.h"
#include "optimizer/optimizer_win32.h"
#include "pages/frame_texts.h"
#include "res/messages.h"
#include "wine_test_support.h"

using namespace qmo;

namespace {

class TestApplication : public qmo::Application {
protected:
    bool InitInstance() override { return true; }
};

// The window the run belongs to: records the popup request and what the
// dialog looked like at that moment.
class RecordingMainFrame : public qmo::Window, public qmo::OptimizationRunOwner {
public:
    bool Create() {
        return qmo::Window::Create(qmo::WindowClass{L"QuenvaleTest.OptimizeOwner"}, 0, L"owner", WS_OVERLAPPEDWINDOW,
                                   0, 0, 300, 200, nullptr, nullptr);
    }
    std::atomic<int> finished{0};
    HWND dialog = nullptr;
    bool dialogAliveAtFinish = false;
    bool optimizingAtFinish = false;

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_OPTIMIZATION_FINISHED) {
            dialogAliveAtFinish = dialog && ::IsWindow(dialog);
            optimizingAtFinish = m_bOptimizing;
            ++finished;
            return 1;
        }
        return DefaultHandler(message, wParam, lParam);
    }

public:
    HWND RunOwnerWindow() const override { return m_hWnd; }
    void SetOptimizing(bool optimizing) override { m_bOptimizing = optimizing; }
    bool m_bOptimizing = false;
};

// Sets each position on the real bar and reads back what the bar shows.
class ReadBackSink : public qmo::ProgressSink {
public:
    explicit ReadBackSink(HWND bar) : m_bar(bar) {}
    void SetPosition(int position) override {
        ::SendMessageW(m_bar, PBM_SETPOS, position, 0);
        shown.push_back(static_cast<int>(::SendMessageW(m_bar, PBM_GETPOS, 0, 0)));
    }
    std::vector<int> shown;

private:
    HWND m_bar;
};

class ProgressDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(frame.Create());
        application.SetMainWindow(&frame);
    }
    TestApplication application;
    RecordingMainFrame frame;
};

TEST_F(ProgressDialogTest, NormalRunShowsEveryPositionThenAsksForThePopupBeforeClosing) {
    std::vector<int> shown;
    bool optimizingDuringWork = false;
    COptimizeProgressDlg dialog(frame, [&](HWND bar, bool silent) {
        EXPECT_FALSE(silent);
        frame.dialog = ::GetParent(bar);
        optimizingDuringWork = frame.m_bOptimizing;
        ReadBackSink sink(bar);
        qmo::CrtSweepHeap heap;
        qmo::SweepPhysicalMemory(sink, heap);
        shown = sink.shown;
    });
    EXPECT_EQ(dialog.Run(), 0);

    std::vector<int> expected;
    for (int k = 0; k < 20; ++k)
        expected.push_back(5 * k);
    for (int k = 0; k < 20; ++k)
        expected.push_back(std::min(6 * k, 100));  // the bar's range ends at 100
    EXPECT_EQ(shown, expected);
    EXPECT_TRUE(optimizingDuringWork);
    EXPECT_EQ(frame.finished, 1);
    EXPECT_TRUE(frame.dialogAliveAtFinish);
    EXPECT_TRUE(frame.optimizingAtFinish);
    EXPECT_FALSE(frame.m_bOptimizing);
    EXPECT_FALSE(::IsWindow(frame.dialog));
}

// The memory service's work on the real system, every area chosen, as the frame runs it.
TEST_F(ProgressDialogTest, TheRealOptimizationRunsToTheEndAndAccountsForEveryArea) {
    qmo::SystemMemoryService memory;
    const qmo::MemoryAreaChoices every{true, true, qmo::StandbyListChoice::All, true};
    ASSERT_TRUE(memory.Service().BeginRun(qmo::RunTrigger::Page, every));
    COptimizeProgressDlg dialog(frame, [&](HWND bar, bool silent) {
        qmo::ProgressBarSink progress(bar);
        memory.Service().Work(progress, silent);
    });
    EXPECT_EQ(dialog.Run(), 0);
    EXPECT_EQ(frame.finished, 1);
    EXPECT_FALSE(frame.m_bOptimizing);
    const qmo::RunRecord* record = memory.Service().EndRun();
    memory.Service().CloseRun();
    ASSERT_NE(record, nullptr);
    EXPECT_GT(record->processesTrimmed, 0) << "our own process at least";
    for (qmo::MemoryArea area : qmo::kAllMemoryAreas)
        EXPECT_NE(qmo::ResultOf(record->areas, area).outcome, qmo::AreaOutcome::NotChosen) << static_cast<int>(area);
    EXPECT_TRUE(record->inUseBefore && record->freed) << "in use reads on every system";
}

// The user goes on typing into another window while the tray runs silently.
TEST_F(ProgressDialogTest, SilentRunIsOnePixelAtTheOriginMovesNoBarAndTakesNoActivation) {
    const qmo::unique_hwnd typing(::CreateWindowExW(0, L"EDIT", L"", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 100, 200,
                                                    100, nullptr, nullptr, nullptr, nullptr));
    ASSERT_TRUE(typing);
    ::SetForegroundWindow(typing.get());
    ASSERT_TRUE(qmo::testing::PumpUntil([&] { return ::GetForegroundWindow() == typing.get(); }));
    RECT placed{};
    int barAfter = -1;
    HWND foregroundWhileShown = nullptr;
    COptimizeProgressDlg dialog(frame, [&](HWND bar, bool silent) {
        EXPECT_TRUE(silent);
        const HWND window = ::GetParent(bar);
        ::GetWindowRect(window, &placed);
        // The dialog box shows itself once its loop first waits.
        const ULONGLONG deadline = ::GetTickCount64() + 10000;
        while (!::IsWindowVisible(window) && ::GetTickCount64() < deadline)
            ::Sleep(10);
        foregroundWhileShown = ::GetForegroundWindow();
        qmo::Win32ProcessSystem system;
        qmo::TrimAllWorkingSets(system);
        barAfter = static_cast<int>(::SendMessageW(bar, PBM_GETPOS, 0, 0));
    });
    dialog.m_bSilent = 1;
    EXPECT_EQ(dialog.Run(), 0);
    EXPECT_EQ(foregroundWhileShown, typing.get()) << "the silent dialog took the keyboard";
    EXPECT_EQ(::GetForegroundWindow(), typing.get());
    EXPECT_EQ(placed.left, 0);
    EXPECT_EQ(placed.top, 0);
    EXPECT_EQ(placed.right - placed.left, 1);
    EXPECT_EQ(placed.bottom - placed.top, 1);
    EXPECT_EQ(barAfter, 0);
    EXPECT_EQ(frame.finished, 1);
}

TEST_F(ProgressDialogTest, EnterEscapeAndEveryCloseRequestAreRefusedWhileItRuns) {
    bool stillOpen = true;
    COptimizeProgressDlg dialog(frame, [&](HWND bar, bool) {
        const HWND window = ::GetParent(bar);
        // The worker starts before the modal loop has shown the dialog.
        const ULONGLONG deadline = ::GetTickCount64() + 10000;
        while (!::IsWindowVisible(window) && ::GetTickCount64() < deadline)
            ::Sleep(10);
        ::PostMessageW(window, WM_KEYDOWN, VK_RETURN, 0);
        ::PostMessageW(window, WM_KEYDOWN, VK_ESCAPE, 0);
        for (UINT id : {IDOK, IDCANCEL}) {
            ::SendMessageW(window, WM_COMMAND, id, 0);
            stillOpen = stillOpen && ::IsWindowVisible(window);
        }
        ::SendMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0);
        stillOpen = stillOpen && ::IsWindowVisible(window);
        ::SendMessageW(window, WM_CLOSE, 0, 0);
        stillOpen = stillOpen && ::IsWindowVisible(window);
    });
    // Had any of the keys ended the dialog, it would have ended with their
    // command as the result; the posted keys are handled before the completion.
    EXPECT_EQ(dialog.Run(), 0);
    EXPECT_TRUE(stillOpen);
    EXPECT_EQ(frame.finished, 1);
}

TEST_F(ProgressDialogTest, APaintOnceDoneClosesItAndTheLaterCompletionChangesNothing) {
    COptimizeProgressDlg* self = nullptr;
    COptimizeProgressDlg dialog(frame, [&](HWND bar, bool) {
        const HWND window = ::GetParent(bar);
        self->m_bDone = 1;  // as if the worker had got that far
        ::InvalidateRect(window, nullptr, FALSE);
        const ULONGLONG deadline = ::GetTickCount64() + 10000;
        while (::IsWindow(window) && ::GetTickCount64() < deadline)
            ::Sleep(10);
    });
    self = &dialog;
    EXPECT_EQ(dialog.Run(), 0);
    EXPECT_FALSE(frame.m_bOptimizing);
    // The worker goes on to ask for the popup and post its completion to the
    // dialog that is gone.
    EXPECT_TRUE(qmo::testing::PumpUntil([&] { return frame.finished == 1; }));
    frame.m_bOptimizing = true;  // a later run's state must survive the stale completion
    qmo::testing::PumpPending();
    EXPECT_TRUE(frame.m_bOptimizing);
}

TEST_F(ProgressDialogTest, NoThreadToBeHadRunsTheWorkInPlaceAndStillEnds) {
    bool worked = false;
    COptimizeProgressDlg dialog(
        frame, [&](HWND, bool) { worked = true; },
        [](std::function<void()>) { throw std::system_error(std::make_error_code(std::errc::resource_unavailable_try_again)); });
    EXPECT_EQ(dialog.Run(), 0);
    EXPECT_TRUE(worked);
    EXPECT_EQ(frame.finished, 1);
    EXPECT_FALSE(frame.m_bOptimizing);
}

}  // namespace
