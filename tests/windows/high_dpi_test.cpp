// The windows on a screen of 144 DPI. Wine reads the screen's DPI from the
// registry when a process starts, so the test binary runs these checks again
// in a child process started with the setting at 144.
#include <gtest/gtest.h>

#include <string>

#include "config/automatic_runs_dlg.h"
#include "optimizer/exclusions.h"
#include "config/exclusions_dlg.h"
#include "config/memory_areas_dlg.h"
#include "config/registry_run_entry.h"
#include "framework/dpi_scale.h"
#include "framework/text.h"
#include "framework/unique_handle.h"
#include "framework/window_dpi.h"
#include "res/pages_resource.h"
#include "res/resource.h"
#include "shell/popup_notifications.h"
#include "toolkit/popup/popup_window.h"
#include "frame_test_support.h"
#include "single_instance_child.h"
#include "toolkit_test_support.h"
#include "wine_test_support.h"

namespace qmo {
namespace {

constexpr wchar_t kDesktopKey[] = L"Control Panel\\Desktop";
constexpr wchar_t kLogPixels[] = L"LogPixels";

// The screen's DPI as wine reads it at a process's start, put back as it was.
class ScreenDpiSetting {
public:
    explicit ScreenDpiSetting(DWORD dpi) { m_written = m_setting.Set(dpi); }
    bool Written() const noexcept { return m_written; }

private:
    testing::UserDwordSetting m_setting{kDesktopKey, kLogPixels};
    bool m_written = false;
};

TEST(HighDpi, TheWindowsPassTheirChecksOnAScreenOf144Dpi) {
    DWORD exitCode = 1;
    {
        ScreenDpiSetting setting(144);
        ASSERT_TRUE(setting.Written());
        std::wstring commandLine = L"\"" + ModuleFilePath() + L"\" " + testing::kHighDpiChildSwitch;
        STARTUPINFOW startup{};
        startup.cb = sizeof(startup);
        PROCESS_INFORMATION process{};
        ASSERT_TRUE(::CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                                     &startup, &process));
        unique_kernel_handle child(process.hProcess);
        unique_kernel_handle childThread(process.hThread);
        ASSERT_EQ(::WaitForSingleObject(child.get(), 120000), WAIT_OBJECT_0) << "the child never finished";
        ::GetExitCodeProcess(child.get(), &exitCode);
    }
    EXPECT_EQ(exitCode, 0u) << "a check at 144 DPI failed; the child's output above says which";
}

// The child's own checks; every other one it runs is an existing check that
// takes the screen's DPI into account.
TEST(HighDpiChild, TheScreenIs144DpiAndANotificationPopupIs405By192) {
    ASSERT_EQ(WindowDpi(nullptr), 144u);
    PopupPtr popup = PopupWindow::Make(BuildOptimizedPopup());
    ASSERT_TRUE(popup->Show(nullptr, 0));
    ASSERT_TRUE(testing::PumpUntil([&] { return popup->State() == PopupState::Shown; }, 3000));
    RECT shown{};
    ::GetWindowRect(popup->GetSafeHwnd(), &shown);
    EXPECT_EQ(shown.right - shown.left, 405);
    EXPECT_EQ(shown.bottom - shown.top, 192);
    EXPECT_EQ(popup->Elements()[5].imageWidth, 20) << "the close button";
}

class HighDpiChildFrame : public ::testing::Test, protected testing::FrameOnScratchKeys<> {
protected:
    HighDpiChildFrame() : FrameOnScratchKeys(L"HighDpi") {}
    void SetUp() override {
        ASSERT_TRUE(Create());
        Show();
    }
};

TEST_F(HighDpiChildFrame, TheViewIsLaidOutAt144DpiAndTheNavigationButtonShowsItsWholeCaption) {
    CTesselDesktopSuitFrameView& view = frame->View();
    ASSERT_EQ(WindowDpi(view.GetSafeHwnd()), 144u);
    EXPECT_EQ(view.Dpi(), 144u);
    RECT nav{};
    ::GetWindowRect(view.NavPanel().GetSafeHwnd(), &nav);
    EXPECT_EQ(nav.right - nav.left, 353) << "235 at 96 DPI";

    const HWND button = ::GetDlgItem(view.NavPanel().GetSafeHwnd(), IDC_OPTIMIZE_MEMORY);
    ASSERT_TRUE(button);
    RECT face{};
    ::GetClientRect(button, &face);
    EXPECT_EQ(face.bottom, 78) << "52 at 96 DPI";
    BITMAP picture{};
    const unique_bitmap art(static_cast<HBITMAP>(::LoadImageW(::GetModuleHandleW(nullptr),
                                                              MAKEINTRESOURCEW(IDB_OPTIMIZE_BUTTON), IMAGE_BITMAP, 0,
                                                              0, LR_DEFAULTCOLOR)));
    ASSERT_TRUE(::GetObjectW(art.get(), sizeof(picture), &picture));
    EXPECT_LT(testing::TextWidth(button, WindowText(button)) + ScaleForDpi(picture.bmWidth, 144), face.right)
        << "the picture and the caption side by side fit the face";

    // The page title's heading and line stay inside the title panel.
    RECT title{};
    ::GetClientRect(view.TitlePanel().GetSafeHwnd(), &title);
    const TaskGroup& heading = view.TitlePanel().Group(0);
    EXPECT_LE(view.TitlePanel().ItemRect(heading.Item(0)).bottom, title.bottom);
}

TEST_F(HighDpiChildFrame, TheSettingsDialogsAndTheHistoryWindowShowEveryTextWholeAt144Dpi) {
    testing::NothingAvailable holder;
    CMemoryAreasDlg areas(holder);
    ASSERT_TRUE(areas.CreateModeless(frame->GetSafeHwnd()));
    ::ShowWindow(areas.GetSafeHwnd(), SW_SHOW);
    EXPECT_EQ(WindowDpi(areas.GetSafeHwnd()), 144u);
    EXPECT_TRUE(WindowText(::GetDlgItem(areas.GetSafeHwnd(), IDC_AREAS_STANDBY_COST))
                    .ends_with(L" (not available on this system)"));
    EXPECT_EQ(testing::ExpectEveryTextFits(areas.GetSafeHwnd()), 11)
        << "the intro, three boxes, the standby label, four costs, two buttons";
    areas.DestroyWindow();

    CAutomaticRunsDlg automatic(holder);
    ASSERT_TRUE(automatic.CreateModeless(frame->GetSafeHwnd()));
    ::ShowWindow(automatic.GetSafeHwnd(), SW_SHOW);
    EXPECT_EQ(testing::ExpectEveryTextFits(automatic.GetSafeHwnd()), 13)
        << "the intro, two choices, the share's label, two notes, five standby texts, two buttons";
    automatic.DestroyWindow();

    holder.settings.m_exclusions = {std::string(200, 'W') + ".exe", "C:\\Program Files\\Tools\\*"};
    CExclusionsDlg exclusions(holder);
    ASSERT_TRUE(exclusions.CreateModeless(frame->GetSafeHwnd()));
    ::ShowWindow(exclusions.GetSafeHwnd(), SW_SHOW);
    ::SetDlgItemTextW(exclusions.GetSafeHwnd(), IDC_EXCL_PROBLEM,
                      qmo::Widen(ExclusionAddedProblem(ExclusionAdded::NotKept)).c_str());
    EXPECT_EQ(testing::ExpectEveryTextFits(exclusions.GetSafeHwnd()), 6) << "the intro, the problem line, four buttons";
    exclusions.DestroyWindow();

    frame->ShowHistoryWindow();
    ASSERT_TRUE(frame->HistoryWindow().IsOpen());
    EXPECT_EQ(testing::ExpectEveryTextFits(frame->HistoryWindow().GetSafeHwnd()), 6)
        << "two labels, the lists, three buttons";
}

}  // namespace
}  // namespace qmo
