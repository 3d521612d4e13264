#include <gtest/gtest.h>

#include <memory>

#include "config/registry_run_entry.h"
#include "framework/application.h"
#include "framework/registry_profile.h"
#include "res/resource.h"
#include "shell/frame_texts.h"
#include "shell/main_frame.h"
#include "frame_test_support.h"
#include "wine_test_support.h"

namespace {

using qmo::testing::PumpUntil;

// The real frame; only the progress dialog can be replaced by a counter.
class PopupFrame : public CMainFrame {
public:
    using CMainFrame::CMainFrame;
    bool countInsteadOfRunning = true;
    int runs = 0;
    bool lastSilent = false;

protected:
    void RunOptimizationDialog(bool silent) override {
        ++runs;
        lastSilent = silent;
        if (!countInsteadOfRunning)
            CMainFrame::RunOptimizationDialog(silent);
    }
};

class MainFramePopupTest : public ::testing::Test, protected qmo::testing::FrameOnScratchKeys<PopupFrame> {
protected:
    MainFramePopupTest() : FrameOnScratchKeys(L"FramePopups") {}
    void SetUp() override {
        // A pointer left over the popup's corner would hold it open.
        qmo::testing::MovePointer(0, 0);
        ASSERT_TRUE(Create());
    }

    const qmo::PopupWindow* Popup() const { return frame->ActivePopup(); }
    std::string Message() const { return Popup() ? Popup()->Elements()[3].text : std::string(); }
    bool WaitUntilShown() {
        return PumpUntil([&] { return Popup() && Popup()->State() == qmo::PopupState::Shown; }, 5000);
    }
    void Click(int x, int y) {
        const HWND window = Popup()->GetSafeHwnd();
        ::SendMessageW(window, WM_MOUSEMOVE, 0, MAKELPARAM(x, y));
        ::SendMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
        ::SendMessageW(window, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
    }

};

TEST_F(MainFramePopupTest, CriticalLimitPopupStatesTheLimitAndFurtherRequestsAreDropped) {
    frame->m_nCriticalLimit = 85;
    frame->ShowCriticalLimitPopup();
    ASSERT_NE(Popup(), nullptr);
    const qmo::PopupWindow* first = Popup();
    EXPECT_EQ(Message(), "The system has crossed critical limit 85% ");
    EXPECT_EQ(Popup()->Elements()[0].fill, (qmo::PopupColor{255, 0, 0}));

    frame->ShowCriticalLimitPopup();
    EXPECT_EQ(Popup(), first);
    EXPECT_EQ(::SendMessageW(frame->GetSafeHwnd(), WM_OPTIMIZATION_FINISHED, 0, 0), 0);
    EXPECT_EQ(Popup(), first);
    EXPECT_EQ(Message(), "The system has crossed critical limit 85% ");
}

TEST_F(MainFramePopupTest, NegativeLimitIsShownAsTheUserSetIt) {
    frame->m_nCriticalLimit = -1;
    frame->ShowCriticalLimitPopup();
    EXPECT_EQ(Message(), "The system has crossed critical limit -1% ");
}

TEST_F(MainFramePopupTest, ClickOnTheTextStartsAnOptimizationAndThePopupStays) {
    frame->ShowCriticalLimitPopup();
    ASSERT_TRUE(WaitUntilShown());
    Click(40, 75);
    EXPECT_EQ(frame->runs, 1);
    EXPECT_TRUE(frame->lastSilent);  // the window is hidden
    EXPECT_NE(Popup(), nullptr);
    EXPECT_EQ(Popup()->State(), qmo::PopupState::Shown);
}

TEST_F(MainFramePopupTest, ClickAnywhereElseClosesAtOnceAndTheNextRequestShowsAgain) {
    for (POINT elsewhere : {POINT{150, 10}, POINT{265, 10}, POINT{100, 110}}) {
        frame->ShowCriticalLimitPopup();
        ASSERT_TRUE(WaitUntilShown());
        const HWND window = Popup()->GetSafeHwnd();
        Click(elsewhere.x, elsewhere.y);
        EXPECT_EQ(Popup(), nullptr) << elsewhere.x << "," << elsewhere.y;
        EXPECT_TRUE(PumpUntil([&] { return !::IsWindow(window); })) << "the closed popup was not destroyed";
    }
    EXPECT_EQ(frame->runs, 0);
}

TEST_F(MainFramePopupTest, OptimizedPopupRunsItsLifeAndMakesRoomForTheNext) {
    EXPECT_EQ(::SendMessageW(frame->GetSafeHwnd(), WM_OPTIMIZATION_FINISHED, 0, 0), 1);
    ASSERT_NE(Popup(), nullptr);
    EXPECT_EQ(Message(), "The System Memory is optimized");
    EXPECT_EQ(Popup()->Elements()[0].fill, (qmo::PopupColor{0, 255, 0}));
    EXPECT_TRUE(PumpUntil([&] { return Popup() == nullptr; }, 15000)) << "the popup never went away";
    EXPECT_TRUE(frame->ShowOptimizedPopup());
}

TEST_F(MainFramePopupTest, RealOptimizationFromTheLinkWhileItsPopupStaysOpen) {
    frame->countInsteadOfRunning = false;
    frame->ShowCriticalLimitPopup();
    ASSERT_TRUE(WaitUntilShown());
    const qmo::PopupWindow* critical = Popup();
    Click(40, 75);  // runs the silent progress dialog inside the click
    EXPECT_EQ(frame->runs, 1);
    EXPECT_FALSE(frame->m_bOptimizing);
    EXPECT_EQ(frame->m_bOptimizeCommandRunning, 0);
    // The "optimized" notice came while the red one was open, and was dropped.
    EXPECT_EQ(Popup(), critical);
}

TEST_F(MainFramePopupTest, ExitWithAPopupOpenTakesItAlong) {
    frame->ShowCriticalLimitPopup();
    const HWND window = Popup()->GetSafeHwnd();
    ::SendMessageW(frame->GetSafeHwnd(), WM_COMMAND, ID_TRAY_EXIT, 0);
    EXPECT_FALSE(::IsWindow(window));
    EXPECT_EQ(Popup(), nullptr);
}

}  // namespace
