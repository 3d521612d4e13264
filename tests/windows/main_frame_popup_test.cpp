#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <memory>
#include <thread>
#include <tuple>
#include <vector>

#include "config/registry_run_entry.h"
#include "framework/application.h"
#include "config/registry_profile.h"
#include "framework/resource_usage.h"
#include "framework/text.h"
#include "res/messages.h"
#include "res/history_resource.h"
#include "res/pages_resource.h"
#include "res/resource.h"
#include "pages/frame_texts.h"
#include "optimizer/optimizer_win32.h"
#include "shell/main_frame.h"
#include "frame_test_support.h"

#include <commctrl.h>
#include "wine_test_support.h"

using namespace qmo;

namespace {

using qmo::testing::PumpUntil;

// Physical memory in use as the test sets it, from any thread.
struct SetMemory {
    std::atomic<std::uint64_t> inUse{900u * 1024 * 1024};
};

// The real frame; the progress dialog can be replaced by a counter, and a
// real dialog's work by the test's, watched from the worker.
class PopupFrame : public CMainFrame {
public:
    using CMainFrame::CMainFrame;
    bool countInsteadOfRunning = true;
    int runs = 0;
    bool lastSilent = false;
    std::atomic<int> finishedNotices{0};  // one per worker, whoever started it
    COptimizeProgressDlg::Work work;      // empty: the full optimization
    std::atomic<bool> working{false};
    std::atomic<bool> exitSeen{false};
    std::atomic<bool> waitingForWorker{false};
    bool closedWhileWorking = false;
    SetMemory memory;

protected:
    qmo::MemoryReading ReadMemory() override {
        qmo::MemoryReading reading;
        reading.inUse = static_cast<std::int64_t>(memory.inUse.load());
        reading.inUseSource = qmo::ReadingSource::MemoryStatus;
        return reading;
    }
    void RunOptimizationDialog(bool silent) override {
        ++runs;
        lastSilent = silent;
        if (!countInsteadOfRunning)
            CMainFrame::RunOptimizationDialog(silent);
    }
    COptimizeProgressDlg::Work OptimizationWork() override {
        if (!work)
            return CMainFrame::OptimizationWork();
        return [this](HWND bar, bool silent) {
            working = true;
            work(bar, silent);
            working = false;
        };
    }
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_OPTIMIZATION_FINISHED)
            ++finishedNotices;
        return CMainFrame::HandleMessage(message, wParam, lParam);
    }
    bool OnCommand(UINT id, UINT code, HWND control) override {
        if (id == ID_TRAY_EXIT)
            exitSeen = true;
        return CMainFrame::OnCommand(id, code, control);
    }
    void WaitForOptimizationWorker() override {
        waitingForWorker = true;
        CMainFrame::WaitForOptimizationWorker();
    }
    void DestroyFrame() override {
        closedWhileWorking = closedWhileWorking || working;
        CMainFrame::DestroyFrame();
    }
};

// Waits on the worker for what the user-interface thread is to do meanwhile.
bool WaitFromWorker(const std::atomic<bool>& flag) {
    const ULONGLONG deadline = ::GetTickCount64() + 10000;
    while (!flag && ::GetTickCount64() < deadline)
        ::Sleep(5);
    return flag;
}

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
    std::wstring WindowText() const {
        wchar_t text[256] = {};
        ::GetWindowTextW(Popup()->GetSafeHwnd(), text, static_cast<int>(std::size(text)));
        return text;
    }
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
    ChangeSettings([](OptimizerSettings& s) { s.m_nCriticalLimit = 85; });
    frame->ShowCriticalLimitPopup();
    ASSERT_NE(Popup(), nullptr);
    const qmo::PopupWindow* first = Popup();
    EXPECT_EQ(Message(), "The system has crossed critical limit 85% ");
    EXPECT_EQ(Popup()->Elements()[0].fill, (qmo::Color{255, 0, 0}));
    // Under it, the programs holding the most committed memory, this one among the running.
    const std::wstring text = WindowText();
    EXPECT_EQ(text.substr(0, text.find(L'\n')), L"The system has crossed critical limit 85% ");
    EXPECT_NE(text.find(L"\nMost: "), std::wstring::npos) << qmo::Narrow(text);
    EXPECT_NE(text.find(L" MB"), std::wstring::npos) << qmo::Narrow(text);

    frame->ShowCriticalLimitPopup();
    EXPECT_EQ(Popup(), first);
    EXPECT_FALSE(frame->ShowOptimizedPopup());
    EXPECT_EQ(Popup(), first);
    EXPECT_EQ(Message(), "The system has crossed critical limit 85% ");
}

TEST_F(MainFramePopupTest, NegativeLimitIsShownAsTheUserSetIt) {
    ChangeSettings([](OptimizerSettings& s) { s.m_nCriticalLimit = -1; });
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
    EXPECT_TRUE(frame->ShowOptimizedPopup());
    ASSERT_NE(Popup(), nullptr);
    EXPECT_EQ(Message(), "The System Memory is optimized");
    EXPECT_EQ(Popup()->Elements()[0].fill, (qmo::Color{0, 255, 0}));
    EXPECT_TRUE(PumpUntil([&] { return Popup() == nullptr; }, 15000)) << "the popup never went away";
    EXPECT_TRUE(frame->ShowOptimizedPopup());
}

// Memory in use is read before the dialog starts its worker and again once
// the worker has done its work; the tooltip says nothing before the first run.
TEST_F(MainFramePopupTest, ARealRunReportsWhatItFreedInThePopupsWindowTextAndTheTooltip) {
    frame->countInsteadOfRunning = false;
    EXPECT_EQ(frame->TrayIcon().Tooltip(), kMainWindowTitle);
    // Another program's "finished" during the run takes neither the run's
    // first reading nor its notice.
    frame->work = [&](HWND, bool) {
        for (WPARAM madeUp : {WPARAM{0}, WPARAM{1}, ~WPARAM{0}})
            ::SendMessageW(frame->GetSafeHwnd(), WM_OPTIMIZATION_FINISHED, madeUp, 0);
        frame->memory.inUse -= 412u * 1024 * 1024;
    };
    ::SendMessageW(frame->GetSafeHwnd(), WM_COMMAND, ID_OPTIMIZE, 0);
    ASSERT_TRUE(WaitUntilShown());
    EXPECT_EQ(WindowText(), L"The System Memory is optimized\nFreed 412 MB");
    const std::wstring tooltip = frame->TrayIcon().Tooltip();
    const std::wstring firstLine = kMainWindowTitle.Load() + L"\nLast optimized ";
    EXPECT_EQ(tooltip.substr(0, firstLine.size()), firstLine) << qmo::Narrow(tooltip);
    EXPECT_TRUE(tooltip.ends_with(L" \u2013 freed 412 MB")) << qmo::Narrow(tooltip);

    const qmo::RunRecord run = frame->Memory().Service().History().Records().back();
    EXPECT_EQ(run.trigger, qmo::RunTrigger::Menu);
    EXPECT_EQ(run.freed, 412 * 1024 * 1024);

    // What came back is read once the late samples' time has come, on the frame's timers.
    frame->Memory().Service().SetLateSampleDelays({1000, 1500});
    frame->work = [&](HWND, bool) { frame->memory.inUse -= 100u * 1024 * 1024; };
    ::SendMessageW(frame->GetSafeHwnd(), WM_COMMAND, ID_OPTIMIZE,
                   reinterpret_cast<LPARAM>(frame->TrayIcon().NotificationWindow()));
    EXPECT_EQ(frame->Memory().Service().History().Records().back().trigger, qmo::RunTrigger::Tray);
    frame->memory.inUse += 30u * 1024 * 1024;
    ASSERT_TRUE(PumpUntil(
        [&] { return frame->TrayIcon().Tooltip().ends_with(L"freed 100 MB \u00B7 30 MB back after 1 s"); }, 5000))
        << qmo::Narrow(frame->TrayIcon().Tooltip());
    const qmo::RunRecord& late = frame->Memory().Service().History().Records().back();
    EXPECT_EQ(late.backAfterFirstSample, 30 * 1024 * 1024);
    ASSERT_TRUE(PumpUntil(
        [&] { return frame->Memory().Service().History().Records().back().backAfterSecondSample.has_value(); },
        5000));

    // An automatic run that waits says why under the last run, until one runs.
    const std::wstring lastRun = frame->TrayIcon().Tooltip();
    frame->RunWaited(qmo::QuietReason::Presentation);
    EXPECT_EQ(frame->TrayIcon().Tooltip(), lastRun + L"\nAutomatic optimization is waiting: a presentation is running");
    ASSERT_TRUE(frame->RunAutomatic());
    EXPECT_EQ(frame->TrayIcon().Tooltip().find(L"waiting"), std::wstring::npos);
}

// The green notice's freed line opens the history, which shows each run as
// it is recorded, sorts by a column's numbers, copies a run as the file holds
// it, and keeps no more GDI or USER objects for refilling its list.
TEST_F(MainFramePopupTest, TheHistoryWindowFromTheGreenNoticeShowsSortsAndCopiesTheRuns) {
    // A frame on an empty history: earlier tests' runs are in the file.
    const std::wstring file = frame->Memory().File().Path();
    Destroy();
    ::DeleteFileW(file.c_str());
    ASSERT_TRUE(Create());
    frame->countInsteadOfRunning = false;
    frame->work = [&](HWND, bool) { frame->memory.inUse -= 412u * 1024 * 1024; };
    ::SendMessageW(frame->GetSafeHwnd(), WM_COMMAND, ID_OPTIMIZE, 0);
    ASSERT_TRUE(WaitUntilShown());
    const qmo::PopupElement& freedLine = Popup()->Elements()[Popup()->Elements().Count() - 1];
    Click((freedLine.rect.left + freedLine.rect.right) / 2, (freedLine.rect.top + freedLine.rect.bottom) / 2);
    const qmo::CHistoryWindow& history = frame->HistoryWindow();
    ASSERT_TRUE(history.IsOpen());
    EXPECT_EQ(Popup(), nullptr) << "the notice makes way for the window";
    const HWND list = ::GetDlgItem(history.GetSafeHwnd(), IDC_HISTORY_RUNS);
    const auto cell = [&](int row, int column) {
        wchar_t text[200] = {};
        ListView_GetItemText(list, row, column, text, 200);
        return std::wstring(text);
    };
    ASSERT_EQ(ListView_GetItemCount(list), 1);
    EXPECT_EQ(cell(0, 1), L"menu");
    EXPECT_EQ(cell(0, 2), L"412");
    wchar_t lists[400] = {};
    ::GetDlgItemTextW(history.GetSafeHwnd(), IDC_HISTORY_LISTS, lists, 400);
    EXPECT_TRUE(std::wstring(lists).starts_with(L"In use ")) << qmo::Narrow(lists);

    // A run that left more in use, from the tray: the newest row comes first.
    frame->work = [&](HWND, bool) { frame->memory.inUse += 5u * 1024 * 1024; };
    ::SendMessageW(frame->GetSafeHwnd(), WM_COMMAND, ID_OPTIMIZE,
                   reinterpret_cast<LPARAM>(frame->TrayIcon().NotificationWindow()));
    ASSERT_EQ(ListView_GetItemCount(list), 2);
    EXPECT_EQ(cell(0, 1), L"tray");
    EXPECT_EQ(cell(0, 2), L"-5");

    NMLISTVIEW click{};
    click.hdr = {list, IDC_HISTORY_RUNS, LVN_COLUMNCLICK};
    click.iSubItem = 2;
    ::SendMessageW(history.GetSafeHwnd(), WM_NOTIFY, IDC_HISTORY_RUNS, reinterpret_cast<LPARAM>(&click));
    EXPECT_EQ(cell(0, 2), L"-5") << "freed, smallest first";
    ::SendMessageW(history.GetSafeHwnd(), WM_NOTIFY, IDC_HISTORY_RUNS, reinterpret_cast<LPARAM>(&click));
    EXPECT_EQ(cell(0, 2), L"412") << "and largest first";

    ListView_SetItemState(list, 0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    ::SendMessageW(history.GetSafeHwnd(), WM_COMMAND, MAKEWPARAM(IDC_HISTORY_COPY, BN_CLICKED), 0);
    ASSERT_TRUE(::OpenClipboard(nullptr));
    const HANDLE data = ::GetClipboardData(CF_UNICODETEXT);
    const std::wstring copied = data ? static_cast<const wchar_t*>(::GlobalLock(data)) : L"";
    if (data)
        ::GlobalUnlock(data);
    ::CloseClipboard();
    const std::wstring header = qmo::Widen(qmo::HistoryHeaderRow()) + L"\r\n";
    EXPECT_EQ(copied.substr(0, header.size()), header);
    EXPECT_NE(copied.find(L",menu,"), std::wstring::npos) << "the selected run";
    EXPECT_EQ(copied.find(L",tray,"), std::wstring::npos) << "and only that";

    const qmo::ResourceUsage before = qmo::MeasureResourceUsage();
    for (int i = 0; i < 20; ++i)
        const_cast<qmo::CHistoryWindow&>(history).RecordsChanged();
    const qmo::ResourceUsage after = qmo::MeasureResourceUsage();
    EXPECT_EQ(after.gdiObjects, before.gdiObjects);
    EXPECT_EQ(after.userObjects, before.userObjects);
    EXPECT_TRUE(ListView_GetItemState(list, 0, LVIS_SELECTED)) << "the selection kept";

    RECT client{};
    ::GetClientRect(history.GetSafeHwnd(), &client);
    for (int button : {IDC_HISTORY_COPY, IDC_HISTORY_OPEN_FOLDER, IDCANCEL}) {
        const HWND control = ::GetDlgItem(history.GetSafeHwnd(), button);
        RECT place{};
        ::GetWindowRect(control, &place);
        ::MapWindowPoints(nullptr, history.GetSafeHwnd(), reinterpret_cast<POINT*>(&place), 2);
        EXPECT_TRUE(::IsWindowVisible(control)) << button;
        EXPECT_TRUE(place.left >= 0 && place.right <= client.right && place.bottom <= client.bottom)
            << button << " at " << place.left << "," << place.top << "-" << place.right << "," << place.bottom
            << " in " << client.right << "x" << client.bottom;
    }
    // A move to a monitor of 144 DPI: the columns, sized in pixels, grow with it.
    const int startedWidth = ListView_GetColumnWidth(list, 0);
    RECT window{};
    ::GetWindowRect(history.GetSafeHwnd(), &window);
    ::SendMessageW(history.GetSafeHwnd(), WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&window));
    EXPECT_EQ(ListView_GetColumnWidth(list, 0), startedWidth * 3 / 2);
    ::SendMessageW(history.GetSafeHwnd(), WM_DPICHANGED, MAKEWPARAM(96, 96), reinterpret_cast<LPARAM>(&window));
    EXPECT_EQ(ListView_GetColumnWidth(list, 0), startedWidth);

    ::SendMessageW(history.GetSafeHwnd(), WM_COMMAND, IDCANCEL, 0);
    EXPECT_FALSE(history.IsOpen());
    ::SendMessageW(frame->GetSafeHwnd(), WM_COMMAND, ID_VIEW_HISTORY, 0);
    EXPECT_TRUE(history.IsOpen()) << "the tray menu's item opens it again";
}

TEST_F(MainFramePopupTest, RealOptimizationFromTheLinkWhileItsPopupStaysOpen) {
    frame->countInsteadOfRunning = false;
    frame->ShowCriticalLimitPopup();
    ASSERT_TRUE(WaitUntilShown());
    const qmo::PopupWindow* critical = Popup();
    Click(40, 75);  // runs the silent progress dialog inside the click
    EXPECT_EQ(frame->runs, 1);
    EXPECT_FALSE(frame->Logic().Optimizing());
    EXPECT_FALSE(frame->Logic().OptimizeCommandRunning());
    // The "optimized" notice came while the red one was open, and was dropped.
    EXPECT_EQ(Popup(), critical);
}

std::size_t WindowsOfThisThread() {
    std::size_t count = 0;
    ::EnumThreadWindows(
        ::GetCurrentThreadId(), [](HWND, LPARAM counter) { return ++*reinterpret_cast<std::size_t*>(counter), TRUE; },
        reinterpret_cast<LPARAM>(&count));
    return count;
}

std::size_t ChildWindows(HWND parent) {
    std::size_t count = 0;
    ::EnumChildWindows(
        parent, [](HWND, LPARAM counter) { return ++*reinterpret_cast<std::size_t*>(counter), TRUE; },
        reinterpret_cast<LPARAM>(&count));
    return count;
}

// A window of another thread, as another program could make one.
class WindowOfAnotherThread {
public:
    WindowOfAnotherThread() {
        m_thread = std::thread([this] {
            const HWND window = ::CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                                                  nullptr, nullptr);
            m_window = window;
            while (!m_done)
                ::Sleep(5);
            ::DestroyWindow(window);
        });
        while (!m_window)
            ::Sleep(5);
    }
    ~WindowOfAnotherThread() {
        m_done = true;
        m_thread.join();
    }
    HWND Get() const { return m_window; }

private:
    std::atomic<HWND> m_window{nullptr};
    std::atomic<bool> m_done{false};
    std::thread m_thread;
};

// Any program on the desktop can send or post our messages, and the system's,
// at the frame, the view and the pages, with values it made up: a closed
// popup's, a live one's off by one, a live popup named as an element and the
// other way round, a window of another thread named as the control. The
// program lives, answers, runs nothing and shows nothing new.
TEST_F(MainFramePopupTest, MadeUpMessagesChangeNothingWithOrWithoutAPopupOnScreen) {
    Show();
    CTesselDesktopSuitFrameView& view = frame->View();
    const std::array<HWND, 3> pages{view.PerformancePage().GetSafeHwnd(), view.ProcessPage().GetSafeHwnd(),
                                    view.SettingsPage().GetSafeHwnd()};
    const WindowOfAnotherThread forged;

    frame->ShowCriticalLimitPopup();
    ASSERT_TRUE(WaitUntilShown());
    const auto closedPopup = reinterpret_cast<LPARAM>(Popup());
    const auto closedElement = reinterpret_cast<LPARAM>(&Popup()->Elements()[3]);
    Click(150, 10);
    ASSERT_EQ(Popup(), nullptr);

    // An edit not applied yet, which a page started over would lose.
    const HWND limit = ::GetDlgItem(pages[2], IDC_SETTINGS_CRITICAL_LIMIT);
    ::SetWindowTextW(limit, L"42");
    int stackValue = 0;
    const auto heapValue = std::make_unique<int>(0);
    const std::wstring tooltip = frame->TrayIcon().Tooltip();
    for (bool withPopup : {false, true}) {
        std::vector<LPARAM> madeUp{0, 1, -1, 0x7FFF0000, reinterpret_cast<LPARAM>(&stackValue),
                                   reinterpret_cast<LPARAM>(heapValue.get()), closedPopup, closedElement};
        if (withPopup) {
            frame->ShowCriticalLimitPopup();
            ASSERT_TRUE(WaitUntilShown());
            const auto live = reinterpret_cast<LPARAM>(Popup());
            const auto element = reinterpret_cast<LPARAM>(&Popup()->Elements()[3]);
            madeUp.insert(madeUp.end(), {live + 1, element + 1, element - 1});
            // The new popup may have been given the closed one's memory: its
            // addresses then name a live popup, and are not made up.
            std::erase_if(madeUp, [&](LPARAM value) {
                if (value == live)
                    return true;
                for (std::size_t i = 0; i < Popup()->Elements().Count(); ++i)
                    if (value == reinterpret_cast<LPARAM>(&Popup()->Elements()[i]))
                        return true;
                return false;
            });
        }
        const qmo::PopupWindow* popup = Popup();
        const std::size_t windows = WindowsOfThisThread();
        std::array<std::size_t, 3> controls{};
        for (std::size_t i = 0; i < pages.size(); ++i)
            controls[i] = ChildWindows(pages[i]);

        const auto both = [](HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
            ::PostMessageW(window, message, wParam, lParam);
            ::SendMessageW(window, message, wParam, lParam);
        };
        const HWND window = frame->GetSafeHwnd();
        for (LPARAM value : madeUp) {
            for (WPARAM code : {WPARAM{0}, qmo::kPopupElementClicked, qmo::kPopupStateChanged, WPARAM{3}})
                both(window, WM_POPUP_NOTIFY, code, value);
            if (withPopup) {  // the popup as an element, and an element as the popup
                both(window, WM_POPUP_NOTIFY, qmo::kPopupElementClicked, reinterpret_cast<LPARAM>(Popup()));
                both(window, WM_POPUP_NOTIFY, qmo::kPopupStateChanged,
                     reinterpret_cast<LPARAM>(&Popup()->Elements()[3]));
            }
            both(window, WM_OPTIMIZATION_FINISHED, static_cast<WPARAM>(value), value);
            both(view.GetSafeHwnd(), WM_TASKPANEL_NOTIFY, qmo::kTaskPanelItemClick, value);
            // Only ever sent by the system, with pointers of its own: posted ones.
            for (HWND target : {window, view.GetSafeHwnd(), pages[0], pages[1], pages[2]}) {
                ::PostMessageW(target, WM_NOTIFY, 0, value);
                ::PostMessageW(target, WM_DPICHANGED, MAKEWPARAM(192, 192), value);
            }
        }
        for (HWND page : pages)
            both(page, WM_INITDIALOG, 0, reinterpret_cast<LPARAM>(page));
        // A click "from" that window, under an id nothing else answers.
        for (HWND target : {view.GetSafeHwnd(), view.NavPanel().GetSafeHwnd(), pages[0], pages[1], pages[2]})
            both(target, WM_COMMAND, MAKEWPARAM(0xBEEF, BN_CLICKED), reinterpret_cast<LPARAM>(forged.Get()));
        qmo::testing::PumpPending();

        DWORD_PTR answer = 0;
        EXPECT_TRUE(::SendMessageTimeoutW(window, qmo::ResourceUsageMessage(),
                                          static_cast<WPARAM>(qmo::ResourceKind::User), 0, SMTO_ABORTIFHUNG, 5000,
                                          &answer)) << "the frame does not answer";
        EXPECT_EQ(frame->runs, 0);
        EXPECT_EQ(Popup(), popup) << withPopup;
        if (popup) {
            EXPECT_EQ(popup->State(), qmo::PopupState::Shown);
        }
        EXPECT_EQ(frame->TrayIcon().Tooltip(), tooltip);
        EXPECT_EQ(WindowsOfThisThread(), windows) << "a window was shown";
        for (std::size_t i = 0; i < pages.size(); ++i)
            EXPECT_EQ(ChildWindows(pages[i]), controls[i]) << "page " << i << " started over";
        EXPECT_EQ(qmo::WindowText(limit), L"42") << "the settings page started over";
    }
}

TEST_F(MainFramePopupTest, ExitWithAPopupOpenTakesItAlong) {
    frame->ShowCriticalLimitPopup();
    const HWND window = Popup()->GetSafeHwnd();
    ::SendMessageW(frame->GetSafeHwnd(), WM_COMMAND, ID_TRAY_EXIT, 0);
    EXPECT_FALSE(::IsWindow(window));
    EXPECT_EQ(Popup(), nullptr);
}

// The run is going when the other requests arrive: they were queued before it
// started, so its dialog's loop delivers them ahead of its completion.
TEST_F(MainFramePopupTest, RequestsFromEveryEntryDuringARunLeaveOneDialogAndHoldNothing) {
    frame->countInsteadOfRunning = false;
    Show();
    CTesselDesktopSuitFrameView& view = frame->View();
    const std::array<PageDialog*, 3> pages{&view.PerformancePage(), &view.ProcessPage(), &view.SettingsPage()};
    const HWND navPanel = view.NavPanel().GetSafeHwnd();
    const HWND navButton = ::GetDlgItem(navPanel, IDC_OPTIMIZE_MEMORY);
    ASSERT_TRUE(navButton);
    const auto pageClick = [](PageDialog* page) {
        const HWND button = ::GetDlgItem(page->GetSafeHwnd(), IDC_PAGE_OPTIMIZE_MEMORY);
        return std::tuple{page->GetSafeHwnd(), MAKEWPARAM(IDC_PAGE_OPTIMIZE_MEMORY, BN_CLICKED),
                          reinterpret_cast<LPARAM>(button)};
    };
    // Every entry asks while a run started by a page's button goes on.
    const auto round = [&](std::size_t firstPage) {
        for (PageDialog* page : pages) {
            const auto [window, command, button] = pageClick(page);
            ::PostMessageW(window, WM_COMMAND, command, button);
        }
        ::PostMessageW(navPanel, WM_COMMAND, MAKEWPARAM(IDC_OPTIMIZE_MEMORY, BN_CLICKED),
                       reinterpret_cast<LPARAM>(navButton));
        ::PostMessageW(frame->GetSafeHwnd(), WM_COMMAND, ID_OPTIMIZE, 0);  // the tray menu
        ::PostMessageW(frame->GetSafeHwnd(), WM_HOTKEY, IDHK_EMERGENCY_OPTIMIZE, MAKELPARAM(MOD_CONTROL | MOD_ALT, 'O'));
        if (Popup() && Message() != "The System Memory is optimized") {
            const HWND popup = Popup()->GetSafeHwnd();
            ::PostMessageW(popup, WM_MOUSEMOVE, 0, MAKELPARAM(40, 75));
            ::PostMessageW(popup, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(40, 75));
            ::PostMessageW(popup, WM_LBUTTONUP, 0, MAKELPARAM(40, 75));
        }
        const auto [window, command, button] = pageClick(pages[firstPage % pages.size()]);
        const int before = frame->finishedNotices;
        ::SendMessageW(window, WM_COMMAND, command, button);
        qmo::testing::PumpPending();
        return frame->finishedNotices - before;
    };

    frame->ShowCriticalLimitPopup();
    ASSERT_TRUE(WaitUntilShown());
    EXPECT_EQ(round(0), 1) << "one dialog, whatever else asked";
    EXPECT_EQ(frame->runs, 1);
    EXPECT_FALSE(frame->Logic().Optimizing());
    EXPECT_FALSE(frame->Logic().OptimizeCommandRunning());

    // What the first runs load stays loaded; a sweep block or handle left
    // behind by a second run would show as growth over the next ones.
    const qmo::ResourceUsage before = qmo::MeasureResourceUsage();
    for (std::size_t page = 1; page <= 3; ++page)
        EXPECT_EQ(round(page), 1) << page;
    const qmo::ResourceUsage after = qmo::MeasureResourceUsage();
    EXPECT_LE(after.handles, before.handles + 2);
    EXPECT_LE(after.gdiObjects, before.gdiObjects + 2);
    EXPECT_LE(after.userObjects, before.userObjects + 2);
    EXPECT_LT(after.privateBytes, before.privateBytes + 8 * 1024 * 1024) << "a sweep block was left behind";
}

TEST_F(MainFramePopupTest, ExitDuringARunWaitsUntilTheDialogHasClosedThenEndsTheLoop) {
    frame->countInsteadOfRunning = false;
    const HWND window = frame->GetSafeHwnd();
    bool aliveAfterExit = false;
    frame->work = [&](HWND bar, bool) {
        ::PostMessageW(window, WM_COMMAND, ID_TRAY_EXIT, 0);  // as the tray menu or the uninstaller
        aliveAfterExit = WaitFromWorker(frame->exitSeen) && ::IsWindow(window) && ::IsWindow(bar);
        ::SendMessageW(bar, PBM_SETPOS, 50, 0);
    };
    ::SendMessageW(window, WM_COMMAND, ID_OPTIMIZE, 0);
    EXPECT_TRUE(aliveAfterExit);
    EXPECT_FALSE(frame->closedWhileWorking);
    EXPECT_EQ(frame->finishedNotices, 1);
    EXPECT_TRUE(::IsWindow(window)) << "the exit comes from the message loop, after the dialog";

    ASSERT_TRUE(PumpUntil([&] { return !::IsWindow(window); }));
    EXPECT_FALSE(frame->TrayIcon().IsCreated());
    MSG quit{};
    ASSERT_TRUE(::PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(quit.wParam, 0u);
}

TEST_F(MainFramePopupTest, TheSessionEndingDuringARunClosesOnlyOnceTheWorkerIsDone) {
    frame->countInsteadOfRunning = false;
    Show();  // a visible run: the sweep too
    const HWND window = frame->GetSafeHwnd();
    frame->work = [&](HWND bar, bool silent) {
        EXPECT_FALSE(silent);
        ::PostMessageW(window, WM_ENDSESSION, TRUE, 0);
        EXPECT_TRUE(WaitFromWorker(frame->waitingForWorker));
        qmo::ProgressBarSink progress(bar);
        qmo::CrtSweepHeap heap;
        qmo::SweepPhysicalMemory(progress, heap);
    };
    ::SendMessageW(window, WM_COMMAND, ID_OPTIMIZE, 0);
    EXPECT_FALSE(frame->closedWhileWorking);
    EXPECT_EQ(frame->finishedNotices, 1);
    EXPECT_FALSE(::IsWindow(window));
    EXPECT_FALSE(frame->TrayIcon().IsCreated());
    MSG quit{};
    ASSERT_TRUE(::PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(quit.wParam, 0u);
}

// Another start's optimize switch, as its hand-over sends it: answered as
// accepted while the run still goes on, the run silent in the tray, and a
// request during the run turned away by the one gate.
TEST_F(MainFramePopupTest, OptimizeRequestIsAcceptedAtOnceAndRunsThroughTheGate) {
    frame->countInsteadOfRunning = false;
    const HWND window = frame->GetSafeHwnd();
    const UINT request = qmo::OptimizeRequestMessage();
    ASSERT_NE(request, 0u);
    const auto ask = [&] {
        DWORD_PTR answer = 0;
        return ::SendMessageTimeoutW(window, request, 0, 0, SMTO_ABORTIFHUNG, 20000, &answer) ? answer : 0;
    };
    std::atomic<bool> answered{false};
    bool answeredDuringTheRun = false;
    bool silent = false;
    DWORD_PTR answerDuringTheRun = 0;
    frame->work = [&](HWND, bool silentRun) {
        silent = silentRun;
        answeredDuringTheRun = WaitFromWorker(answered);
        answerDuringTheRun = ask();
    };
    DWORD_PTR firstAnswer = 0;
    std::thread otherStart([&] {
        firstAnswer = ask();
        answered = true;
    });
    EXPECT_TRUE(PumpUntil([&] { return frame->finishedNotices == 1 && !frame->Logic().OptimizeCommandRunning(); },
                          20000));
    otherStart.join();
    EXPECT_EQ(firstAnswer, static_cast<DWORD_PTR>(qmo::kOptimizeRequestAccepted));
    EXPECT_TRUE(answeredDuringTheRun) << "the asking start waited for the run";
    EXPECT_TRUE(silent);
    EXPECT_EQ(answerDuringTheRun, static_cast<DWORD_PTR>(qmo::kOptimizeRequestAccepted));
    qmo::testing::PumpPending();
    EXPECT_EQ(frame->runs, 1);
    EXPECT_EQ(frame->finishedNotices, 1);
}

// Ctrl+Alt+letter pressed on the keyboard, as the system sees keys typed.
void PressCtrlAlt(char letter) {
    std::array<INPUT, 6> keys{};
    const std::array<WORD, 3> order{VK_CONTROL, VK_MENU, static_cast<WORD>(letter)};
    for (std::size_t i = 0; i < order.size(); ++i) {
        keys[i].type = keys[5 - i].type = INPUT_KEYBOARD;
        keys[i].ki.wVk = keys[5 - i].ki.wVk = order[i];
        keys[5 - i].ki.dwFlags = KEYEVENTF_KEYUP;
    }
    ::SendInput(static_cast<UINT>(keys.size()), keys.data(), sizeof(INPUT));
}

TEST_F(MainFramePopupTest, TheSwitchedOnShortcutIsTheSystemsAndItsKeysOptimizeThroughTheGate) {
    EXPECT_TRUE(qmo::testing::CombinationFree('O')) << "off by default";
    ChangeSettings([](OptimizerSettings& s) { s.m_bEnableShortcut = true; });
    EXPECT_FALSE(qmo::testing::CombinationFree('O'));

    PressCtrlAlt('O');
    EXPECT_TRUE(PumpUntil([&] { return frame->runs == 1; })) << "the keys started no run";
    EXPECT_TRUE(frame->lastSilent) << "hidden: a silent run";
    Show();
    ::SendMessageW(frame->GetSafeHwnd(), WM_HOTKEY, IDHK_EMERGENCY_OPTIMIZE, MAKELPARAM(MOD_CONTROL | MOD_ALT, 'O'));
    EXPECT_EQ(frame->runs, 2);
    EXPECT_FALSE(frame->lastSilent) << "shown: the visible dialog";

    ChangeSettings([](OptimizerSettings& s) { s.m_strShortcutKey = "K"; });
    EXPECT_TRUE(qmo::testing::CombinationFree('O')) << "the old letter is let go";
    EXPECT_FALSE(qmo::testing::CombinationFree('K'));
    ::SendMessageW(frame->GetSafeHwnd(), WM_COMMAND, ID_TRAY_EXIT, 0);
    EXPECT_TRUE(qmo::testing::CombinationFree('K')) << "released on exit";
}

}  // namespace
