// The process page on a real Win32: the real process list, a child process
// ended through End Process with its real message boxes, the header's fit,
// arrow and menu, the context menu resource, and the page refreshed each time
// the real frame shows it.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <cwctype>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "optimizer/memory_service_win32.h"
#include "framework/application.h"
#include "framework/text.h"
#include "framework/unique_handle.h"
#include "process/process_page.h"
#include "process/process_sort.h"
#include "res/messages.h"
#include "res/pages_resource.h"
#include "res/process_resource.h"
#include "res/resource.h"
#include "shell/main_frame.h"
#include "frame_test_support.h"
#include "single_instance_child.h"
#include "toolkit_test_support.h"
#include "wine_test_support.h"

using namespace qmo;

namespace {

using qmo::testing::PumpUntil;

constexpr wchar_t kFrameTitle[] = L"Quenvale Memory Optimizer - process page test";

class TestApplication : public qmo::Application {
protected:
    bool InitInstance() override { return true; }
};

// Answers the message boxes of one caption in turn, recording each text and
// whether the box shows an icon.
class MessageBoxAnswerer {
public:
    struct Seen {
        std::wstring text;
        bool icon = false;
    };

    MessageBoxAnswerer(const wchar_t* caption, std::vector<int> answers)
        : m_thread([this, caption, answers] {
              for (int answer : answers) {
                  const ULONGLONG deadline = ::GetTickCount64() + 10000;
                  HWND box = nullptr;
                  while (!box && ::GetTickCount64() < deadline) {
                      box = ::FindWindowW(L"#32770", caption);
                      if (!box)
                          ::Sleep(20);
                  }
                  if (!box)
                      return;
                  Seen seen;
                  ::EnumChildWindows(box, &MessageBoxAnswerer::Inspect, reinterpret_cast<LPARAM>(&seen));
                  m_seen.push_back(seen);
                  ::PostMessageW(box, WM_COMMAND, static_cast<WPARAM>(answer), 0);
                  while (::IsWindow(box) && ::GetTickCount64() < deadline)
                      ::Sleep(20);
              }
          }) {}
    ~MessageBoxAnswerer() {
        if (m_thread.joinable())
            m_thread.join();
    }
    const std::vector<Seen>& Answered() {
        if (m_thread.joinable())
            m_thread.join();
        return m_seen;
    }
    std::vector<std::wstring> Texts() {
        std::vector<std::wstring> texts;
        for (const Seen& seen : Answered())
            texts.push_back(seen.text);
        return texts;
    }

private:
    static BOOL CALLBACK Inspect(HWND child, LPARAM lParam) {
        auto& seen = *reinterpret_cast<Seen*>(lParam);
        wchar_t className[16] = {};
        ::GetClassNameW(child, className, 16);
        if (::lstrcmpiW(className, L"Static") != 0)
            return TRUE;
        const auto style = ::GetWindowLongPtrW(child, GWL_STYLE);
        if ((style & SS_TYPEMASK) == SS_ICON) {
            seen.icon = seen.icon || ::SendMessageW(child, STM_GETICON, 0, 0) != 0;
            return TRUE;
        }
        wchar_t text[256] = {};
        ::GetWindowTextW(child, text, 256);
        if (text[0])
            seen.text = text;
        return TRUE;
    }

    std::vector<Seen> m_seen;
    std::thread m_thread;
};

// Idle second processes of this test binary, each ending by itself after a
// minute; those still running are ended with their owner.
class IdleChildren {
public:
    // Waits for each to be gone, so that the next test's children find their names free.
    ~IdleChildren() {
        for (auto& child : m_children) {
            ::TerminateProcess(child.get(), 1);
            ::WaitForSingleObject(child.get(), 5000);
        }
    }
    // The new child's id, 0 when it could not be started.
    DWORD Start() {
        wchar_t exe[MAX_PATH] = {};
        ::GetModuleFileNameW(nullptr, exe, MAX_PATH);
        const std::wstring suffix = std::to_wstring(::GetCurrentProcessId()) + L"-" + std::to_wstring(m_children.size());
        std::wstring command = L"\"" + std::wstring(exe) + L"\" " + qmo::testing::kFirstInstanceChildSwitch +
                               L" Local\\QuenvaleProcessPageTest-" + suffix + L" ProcessPageChild-" + suffix;
        STARTUPINFOW startup{};
        startup.cb = sizeof(startup);
        PROCESS_INFORMATION created{};
        if (!::CreateProcessW(exe, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &created))
            return 0;
        ::CloseHandle(created.hThread);
        m_children.emplace_back(created.hProcess);
        ::WaitForInputIdle(created.hProcess, 10000);
        return created.dwProcessId;
    }
    HANDLE Last() const { return m_children.back().get(); }

private:
    std::vector<qmo::unique_kernel_handle> m_children;
};

int RowOf(HWND list, DWORD pid) {
    LVFINDINFOW find{};
    find.flags = LVFI_PARAM;
    find.lParam = static_cast<LPARAM>(pid);
    return ListView_FindItem(list, -1, &find);
}

// The frame's gate as far as the page uses it: the real memory service.
class ServiceGate : public qmo::OptimizationGate {
public:
    bool RequestOptimization(qmo::OptimizationStart, qmo::RunTrigger) override { return false; }
    bool OptimizeProcess(std::uint32_t processId) override { return memory.Service().OptimizeProcess(processId); }
    qmo::SystemMemoryService memory;
};

class ProcessPageTest : public ::testing::Test {
protected:
    void SetUp() override {
        page.SetOptimizationGate(&gate);
        ASSERT_TRUE(host.Create(900, 600));
        ::SetWindowTextW(host.GetSafeHwnd(), kFrameTitle);
        application.SetMainWindow(&host);
        ASSERT_TRUE(page.CreateModeless(host.GetSafeHwnd()));
        ::SetWindowPos(page.GetSafeHwnd(), nullptr, 0, 0, 860, 560, SWP_NOZORDER | SWP_SHOWWINDOW);
        ASSERT_TRUE(Refreshed());
    }
    // The rows of every refresh asked for have reached the list.
    bool Refreshed() { return PumpUntil([&] { return !page.RefreshPending(); }, 10000); }
    HWND List() { return page.List().GetSafeHwnd(); }
    HWND Header() { return ListView_GetHeader(List()); }
    int RowOf(DWORD pid) { return ::RowOf(List(), pid); }
    std::wstring Cell(int row, int column) {
        wchar_t text[300] = {};
        ListView_GetItemText(List(), row, column, text, 300);
        return text;
    }
    void Select(int row) {
        ListView_SetItemState(List(), row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
        ::SendMessageW(List(), LVM_SETSELECTIONMARK, 0, row);
    }
    // Returns when the refresh the command may ask for has come.
    void Click(UINT button) {
        ::SendMessageW(page.GetSafeHwnd(), WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), 0);
        EXPECT_TRUE(Refreshed());
    }
    std::vector<int> ColumnWidths() {
        std::vector<int> widths;
        for (int column = 0; column < Header_GetItemCount(Header()); ++column)
            widths.push_back(ListView_GetColumnWidth(List(), column));
        return widths;
    }
    int HeaderWidth() {
        RECT client{};
        ::GetClientRect(Header(), &client);
        return client.right;
    }
    int HeaderFormat(int column) {
        HDITEMW item{};
        item.mask = HDI_FORMAT;
        Header_GetItem(Header(), column, &item);
        return item.fmt;
    }

    TestApplication application;
    qmo::testing::ControlHost host;
    ServiceGate gate;
    CProcessPage page;
    IdleChildren children;
};

TEST_F(ProcessPageTest, ListsThisProcessWithItsNamePathIconAndWorkingSetInKibibytes) {
    const int row = RowOf(::GetCurrentProcessId());
    ASSERT_GE(row, 0);
    wchar_t exe[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, exe, MAX_PATH);
    EXPECT_EQ(::lstrcmpiW(Cell(row, 0).c_str(), L"qmo_windows_tests.exe"), 0) << Cell(row, 0);
    EXPECT_EQ(::lstrcmpiW(Cell(row, 2).c_str(), exe), 0) << Cell(row, 2);
    const std::wstring memory = Cell(row, 1);
    ASSERT_GT(memory.size(), 2u);
    EXPECT_EQ(memory.substr(memory.size() - 2), L" K");
    EXPECT_GT(std::stoul(memory), 0ul);

    LVITEMW item{};
    item.mask = LVIF_IMAGE;
    item.iItem = row;
    ListView_GetItem(List(), &item);
    EXPECT_EQ(item.iImage, CSystemImageList().GetIconIndex(exe, true));
    EXPECT_EQ(ListView_GetImageList(List(), LVSIL_SMALL), CSystemImageList().GetImageList(true));
    const DWORD extended = ListView_GetExtendedListViewStyle(List());
    EXPECT_TRUE(extended & LVS_EX_GRIDLINES);
    EXPECT_TRUE(extended & LVS_EX_FULLROWSELECT);
}

TEST_F(ProcessPageTest, StartsSortedByMemoryWithTheArrowOnThatColumnAndKeepsItOverARefresh) {
    EXPECT_TRUE(HeaderFormat(1) & HDF_SORTUP);
    EXPECT_FALSE(HeaderFormat(0) & (HDF_SORTUP | HDF_SORTDOWN));
    Click(IDC_PROCESS_REFRESH);
    const auto& rows = page.Logic().Rows();
    ASSERT_EQ(static_cast<std::size_t>(ListView_GetItemCount(List())), rows.size());
    for (std::size_t i = 1; i < rows.size(); ++i)
        EXPECT_LE(rows[i - 1].workingSetBytes.value_or(0), rows[i].workingSetBytes.value_or(0));
    for (std::size_t i = 0; i < rows.size(); ++i)
        EXPECT_EQ(Cell(static_cast<int>(i), 1), qmo::Widen(rows[i].memoryText));
}

TEST_F(ProcessPageTest, HeaderFitsItsColumnsInEqualSharesAtEverySize) {
    for (int width : {860, 640, 1000}) {
        ::SetWindowPos(page.GetSafeHwnd(), nullptr, 0, 0, width, 500, SWP_NOZORDER | SWP_NOMOVE);
        qmo::testing::PumpPending();
        const int share = HeaderWidth() / 3;
        EXPECT_GT(share, 100) << "page width " << width;
        EXPECT_EQ(ColumnWidths(), (std::vector<int>{share, share, share})) << "page width " << width;
    }
}

TEST_F(ProcessPageTest, EndProcessEndsAChildAfterConfirmingAndDropsItsRow) {
    const DWORD child = children.Start();
    ASSERT_NE(child, 0u);
    ASSERT_TRUE(PumpUntil([&] {
        Click(IDC_PROCESS_REFRESH);
        return RowOf(child) >= 0;
    }, 10000));
    Select(RowOf(child));
    MessageBoxAnswerer answerer(kFrameTitle, {IDYES, IDOK});
    Click(IDC_PROCESS_END);
    const auto seen = answerer.Answered();
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0].text, L"Do you realy want to terminate selected process?");
    EXPECT_EQ(seen[1].text, L"Process Terminated Successfully");
    EXPECT_FALSE(seen[0].icon || seen[1].icon);
    ASSERT_EQ(::WaitForSingleObject(children.Last(), 5000), WAIT_OBJECT_0);
    DWORD exitCode = 1;
    ::GetExitCodeProcess(children.Last(), &exitCode);
    EXPECT_EQ(exitCode, 0u);
    EXPECT_EQ(RowOf(child), -1);
}

TEST_F(ProcessPageTest, AnsweringNoLeavesTheChildRunningAndTheListAsItWas) {
    const DWORD child = children.Start();
    ASSERT_NE(child, 0u);
    ASSERT_TRUE(PumpUntil([&] {
        Click(IDC_PROCESS_REFRESH);
        return RowOf(child) >= 0;
    }, 10000));
    const int row = RowOf(child);
    Select(row);
    MessageBoxAnswerer answerer(kFrameTitle, {IDNO});
    Click(IDC_PROCESS_END);
    EXPECT_EQ(answerer.Texts(), std::vector<std::wstring>{L"Do you realy want to terminate selected process?"});
    EXPECT_EQ(::WaitForSingleObject(children.Last(), 0), static_cast<DWORD>(WAIT_TIMEOUT));
    EXPECT_EQ(RowOf(child), row);
}

TEST_F(ProcessPageTest, CommandsWithoutASelectionAskForOneAndOptimizeTrimsTheSelectedRow) {
    MessageBoxAnswerer answerer(kFrameTitle, {IDOK, IDOK, IDOK});
    Click(IDC_PROCESS_END);
    Click(IDC_PROCESS_OPTIMIZE_SELECTED);
    Select(RowOf(::GetCurrentProcessId()));
    ::SendMessageW(page.GetSafeHwnd(), WM_COMMAND, ID_OPTIMIZE_SELECTED_PROCESS, 0);
    ASSERT_TRUE(Refreshed());
    EXPECT_EQ(answerer.Texts(), (std::vector<std::wstring>{L"Please select process to terminate",
                                                           L"Please select process to Optimize",
                                                           L"Optimization  Done..!!"}));
    EXPECT_EQ(page.List().SelectedData(), ::GetCurrentProcessId());  // still selected after the refresh
    const qmo::RunRecord& run = gate.memory.Service().History().Records().back();
    EXPECT_EQ(run.trigger, qmo::RunTrigger::Selected);
    EXPECT_EQ(run.processesTrimmed, 1);
}

// The rows come a moment after the refresh is asked for; the row the user
// picked meanwhile stays picked, and the list does not jump to its top.
TEST_F(ProcessPageTest, ARefreshKeepsTheSelectedProcessAndWhereTheListIsScrolled) {
    for (int child = 0; child < 3; ++child)
        ASSERT_NE(children.Start(), 0u);
    ::SetWindowPos(List(), nullptr, 0, 0, 600, 120, SWP_NOZORDER | SWP_NOMOVE);  // a few rows in view
    page.Logic().SortColumn(kNameColumn, true);  // names do not move as working sets change
    Click(IDC_PROCESS_REFRESH);
    const int perPage = ListView_GetCountPerPage(List());
    ASSERT_GE(perPage, 2);
    ASSERT_GE(ListView_GetItemCount(List()), perPage + 2) << "too few rows to scroll";
    RECT row{};
    ListView_GetItemRect(List(), 0, &row, LVIR_BOUNDS);
    ListView_Scroll(List(), 0, 2 * (row.bottom - row.top));
    ASSERT_EQ(ListView_GetTopIndex(List()), 2);
    Select(3);
    const std::optional<std::uint32_t> process = page.List().SelectedData();
    ASSERT_TRUE(process);

    Click(IDC_PROCESS_REFRESH);  // returns when the rows have come
    EXPECT_EQ(page.List().SelectedData(), process);
    EXPECT_EQ(ListView_GetSelectedCount(List()), 1u);
    const int now = RowOf(*process);
    EXPECT_EQ(ListView_GetItemState(List(), now, LVIS_SELECTED | LVIS_FOCUSED), LVIS_SELECTED | LVIS_FOCUSED);
    EXPECT_EQ(ListView_GetTopIndex(List()), 2);
    EXPECT_TRUE(now >= 2 && now < 2 + perPage) << "row " << now << " out of view";

    // A typed letter leads to a row whose name begins with it.
    const std::wstring lastName = Cell(ListView_GetItemCount(List()) - 1, kNameColumn);
    ASSERT_FALSE(lastName.empty());
    ::SendMessageW(List(), WM_CHAR, lastName.front(), 1);  // a repeat count of one, as a key gives
    const int found = ListView_GetNextItem(List(), -1, LVNI_FOCUSED);
    ASSERT_GE(found, 0);
    EXPECT_EQ(std::towupper(Cell(found, kNameColumn).front()), std::towupper(lastName.front()));
}

TEST_F(ProcessPageTest, HeaderMenuChecksTheStateAndItsEntriesSortOrAlign) {
    auto& header = page.List().Header();
    qmo::unique_menu menu(header.CreateColumnMenu(1));
    ASSERT_TRUE(menu);
    ASSERT_EQ(::GetMenuItemCount(menu.get()), 6) << "sorts, alignment, and the committed memory column";
    EXPECT_EQ(::GetMenuState(menu.get(), 0, MF_BYPOSITION) & MF_CHECKED, static_cast<UINT>(MF_CHECKED));
    EXPECT_EQ(::GetMenuState(menu.get(), 1, MF_BYPOSITION) & MF_CHECKED, 0u);
    HMENU alignment = ::GetSubMenu(menu.get(), 3);
    ASSERT_TRUE(alignment);
    EXPECT_EQ(::GetMenuState(alignment, 0, MF_BYPOSITION) & MF_CHECKED, static_cast<UINT>(MF_CHECKED));

    // Either sort entry is a click on the column: the direction toggles.
    header.ApplyMenuCommand(0, qmo::HeaderMenuCommand::SortAscending);
    EXPECT_EQ(page.Logic().SortedColumn(), 0);
    EXPECT_FALSE(page.Logic().IsSortAscending());
    EXPECT_TRUE(HeaderFormat(0) & HDF_SORTDOWN);
    EXPECT_FALSE(HeaderFormat(1) & (HDF_SORTUP | HDF_SORTDOWN));

    header.ApplyMenuCommand(2, qmo::HeaderMenuCommand::AlignRight);
    EXPECT_EQ(HeaderFormat(2) & HDF_JUSTIFYMASK, HDF_RIGHT);
    qmo::unique_menu after(header.CreateColumnMenu(2));
    EXPECT_EQ(::GetMenuState(::GetSubMenu(after.get(), 3), 2, MF_BYPOSITION) & MF_CHECKED,
              static_cast<UINT>(MF_CHECKED));
}

// The header's menu shows the committed memory column, sortable like the
// others, and hides it again; the default columns stay as they were.
TEST_F(ProcessPageTest, TheHeaderMenuShowsAndHidesTheCommittedMemoryColumn) {
    auto& header = page.List().Header();
    const HWND list = page.List().GetSafeHwnd();
    const auto columns = [&] { return Header_GetItemCount(ListView_GetHeader(list)); };
    ASSERT_EQ(columns(), 3);
    header.ApplyMenuCommand(1, qmo::HeaderMenuCommand::ToggleColumn);
    ASSERT_EQ(columns(), 4);
    qmo::unique_menu menu(header.CreateColumnMenu(0));
    EXPECT_EQ(::GetMenuState(menu.get(), 5, MF_BYPOSITION) & MF_CHECKED, static_cast<UINT>(MF_CHECKED));
    LVFINDINFOW own{};
    own.flags = LVFI_PARAM;
    own.lParam = static_cast<LPARAM>(::GetCurrentProcessId());
    const int row = ListView_FindItem(list, -1, &own);
    ASSERT_GE(row, 0);
    wchar_t committed[32] = {};
    ListView_GetItemText(list, row, qmo::kCommittedColumn, committed, 32);
    EXPECT_TRUE(std::wstring(committed).ends_with(L" K")) << qmo::Narrow(committed);

    header.ApplyMenuCommand(3, qmo::HeaderMenuCommand::SortAscending);
    EXPECT_EQ(page.Logic().SortedColumn(), qmo::kCommittedColumn);
    header.ApplyMenuCommand(3, qmo::HeaderMenuCommand::ToggleColumn);
    EXPECT_EQ(columns(), 3);
    EXPECT_EQ(page.Logic().SortedColumn(), qmo::kMemoryColumn) << "sorted by the column gone: by memory";
    wchar_t heading[32] = {};
    HDITEMW item{};
    item.mask = HDI_TEXT;
    item.pszText = heading;
    item.cchTextMax = 32;
    Header_GetItem(ListView_GetHeader(list), 2, &item);
    EXPECT_STREQ(heading, L"Process Path");
}

TEST_F(ProcessPageTest, ContextMenuResourceHasTheOptimizeEntryFirstThenTheExclusionPair) {
    qmo::unique_menu menu(::LoadMenuW(qmo::Application::InstanceHandle(), MAKEINTRESOURCEW(IDR_PROCESS_CONTEXT_MENU)));
    ASSERT_TRUE(menu);
    wchar_t text[64] = {};
    ::GetMenuStringW(menu.get(), 0, text, 64, MF_BYPOSITION);
    EXPECT_STREQ(text, L"Opt Process");
    HMENU popup = ::GetSubMenu(menu.get(), 0);
    ASSERT_EQ(::GetMenuItemCount(popup), 4);
    EXPECT_EQ(::GetMenuItemID(popup, 0), ID_OPTIMIZE_SELECTED_PROCESS);
    EXPECT_EQ(::GetMenuItemID(popup, 2), ID_PROCESS_NEVER_OPTIMIZE);
    EXPECT_EQ(::GetMenuItemID(popup, 3), ID_PROCESS_OPTIMIZE_AGAIN);
    ::GetMenuStringW(popup, 0, text, 64, MF_BYPOSITION);
    EXPECT_STREQ(text, L"Optimize Selected Process ");
}

TEST_F(ProcessPageTest, RefreshesLeakNoHandlesOrGdiObjects) {
    Click(IDC_PROCESS_REFRESH);
    DWORD handlesBefore = 0;
    ::GetProcessHandleCount(::GetCurrentProcess(), &handlesBefore);
    const DWORD gdiBefore = ::GetGuiResources(::GetCurrentProcess(), GR_GDIOBJECTS);
    for (int i = 0; i < 20; ++i)
        Click(IDC_PROCESS_REFRESH);
    DWORD handlesAfter = 0;
    ::GetProcessHandleCount(::GetCurrentProcess(), &handlesAfter);
    EXPECT_EQ(handlesAfter, handlesBefore);
    EXPECT_EQ(::GetGuiResources(::GetCurrentProcess(), GR_GDIOBJECTS), gdiBefore);
}

// Counts the messages a window is sent that `counted` picks out.
class MessageCounter {
public:
    using Picker = bool (*)(UINT message, LPARAM lParam);
    MessageCounter(HWND window, Picker counted) : m_window(window), m_counted(counted) {
        ::SetWindowSubclass(window, &MessageCounter::Count, Id(), reinterpret_cast<DWORD_PTR>(this));
    }
    ~MessageCounter() { ::RemoveWindowSubclass(m_window, &MessageCounter::Count, Id()); }
    MessageCounter(const MessageCounter&) = delete;
    MessageCounter& operator=(const MessageCounter&) = delete;

    int count = 0;

private:
    // Each counter its own subclass, however many watch the window.
    UINT_PTR Id() const { return reinterpret_cast<UINT_PTR>(this); }
    static LRESULT CALLBACK Count(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR self) {
        auto* counter = reinterpret_cast<MessageCounter*>(self);
        if (counter->m_counted(message, lParam))
            ++counter->count;
        return ::DefSubclassProc(window, message, wParam, lParam);
    }

    HWND m_window;
    Picker m_counted;
};

// New rows first take the old rows' selection mark away.
bool IsRebuild(UINT message, LPARAM lParam) {
    return message == LVM_SETSELECTIONMARK && lParam == -1;
}
bool IsPaint(UINT message, LPARAM) {
    return message == WM_PAINT;
}

TEST_F(ProcessPageTest, ARefreshReturnsAtOnceAndItsRowsComeInOneStepOnItsOwnNote) {
    MessageCounter counter(List(), IsRebuild);
    // A made-up note from elsewhere finds nothing waiting and changes nothing.
    ::PostMessageW(page.GetSafeHwnd(), WM_PROCESS_SNAPSHOT_READY, 0x1234, 0x5678);
    qmo::testing::PumpPending();
    EXPECT_EQ(counter.count, 0);
    ::UpdateWindow(page.GetSafeHwnd());
    MessageCounter listPaints(List(), IsPaint);
    MessageCounter headerPaints(Header(), IsPaint);
    ::SendMessageW(page.GetSafeHwnd(), WM_COMMAND, MAKEWPARAM(IDC_PROCESS_REFRESH, BN_CLICKED), 0);
    EXPECT_TRUE(page.RefreshPending());
    EXPECT_EQ(counter.count, 0) << "the list did not wait for the snapshot";
    ASSERT_TRUE(Refreshed());
    EXPECT_EQ(counter.count, 1);
    EXPECT_GE(RowOf(::GetCurrentProcessId()), 0);
    // New rows are painted; the header, whose columns stayed, is not.
    ::UpdateWindow(page.GetSafeHwnd());
    EXPECT_GE(listPaints.count, 1);
    EXPECT_EQ(headerPaints.count, 0);
}

enum class PageSwitch { NavigationLink, Tab, MenuCommand };
constexpr const char* kPageSwitchNames[] = {"NavigationLink", "Tab", "MenuCommand"};

// The page inside the real frame, switched to and away the ways a user can,
// with automatic refresh off so that only the showing refreshes.
class ProcessPageShowingTest : public ::testing::TestWithParam<PageSwitch>,
                               protected qmo::testing::FrameOnScratchKeys<> {
protected:
    ProcessPageShowingTest() : FrameOnScratchKeys(L"ProcessPageShowing") {}
    void SetUp() override {
        ASSERT_TRUE(Create());
        ChangeSettings([](OptimizerSettings& s) { s.m_bAutoRefreshProcessList = false; });
        Show();
        ASSERT_EQ(View().PageTabs().SelectedTab(), kPerformanceTab);
        ASSERT_TRUE(Refreshed());
    }
    bool Refreshed() {
        return PumpUntil([&] { return !View().ProcessPage().RefreshPending(); }, 10000);
    }

    static constexpr int kPerformanceTab = 0;
    static constexpr int kProcessTab = 1;

    CTesselDesktopSuitFrameView& View() { return frame->View(); }
    HWND List() { return View().ProcessPage().List().GetSafeHwnd(); }
    void SwitchTo(int tab) {
        switch (GetParam()) {
        case PageSwitch::NavigationLink: {
            qmo::TaskPanel& panel = View().NavPanel();
            const qmo::TaskItem* link = panel.FindItem(static_cast<std::size_t>(tab), 0);
            ASSERT_NE(link, nullptr);
            qmo::testing::Click(panel.GetSafeHwnd(), qmo::testing::CentreOf(panel.ItemRect(*link)));
            break;
        }
        case PageSwitch::Tab:
            qmo::testing::Click(View().PageTabs().GetSafeHwnd(),
                                qmo::testing::CentreOf(View().PageTabs().TabRect(tab)));
            break;
        case PageSwitch::MenuCommand:
            ::SendMessageW(frame->GetSafeHwnd(), WM_COMMAND, ID_VIEW_PERFORMANCE + tab, 0);
            break;
        }
        ASSERT_EQ(View().PageTabs().SelectedTab(), tab);
    }

    IdleChildren children;
};

TEST_P(ProcessPageShowingTest, EveryShowingRefreshesTheListOnce) {
    MessageCounter counter(List(), IsRebuild);
    for (int showing = 1; showing <= 2; ++showing) {
        const DWORD child = children.Start();
        ASSERT_NE(child, 0u);
        ASSERT_EQ(RowOf(List(), child), -1);
        SwitchTo(kProcessTab);
        ASSERT_TRUE(Refreshed());
        EXPECT_GE(RowOf(List(), child), 0) << "showing " << showing;
        EXPECT_EQ(counter.count, showing);
        SwitchTo(kPerformanceTab);
    }
    qmo::testing::PumpPending();
    ASSERT_TRUE(Refreshed());
    EXPECT_EQ(counter.count, 2) << "hiding refreshed";
}

TEST_P(ProcessPageShowingTest, TheWindowBackFromTheTrayOnThePageRefreshesItToo) {
    SwitchTo(kProcessTab);
    ASSERT_TRUE(Refreshed());
    MessageCounter counter(List(), IsRebuild);
    ::SendMessageW(frame->GetSafeHwnd(), WM_CLOSE, 0, 0);  // to the tray
    ASSERT_FALSE(::IsWindowVisible(frame->GetSafeHwnd()));
    const DWORD child = children.Start();
    ASSERT_NE(child, 0u);
    ::SendMessageW(frame->GetSafeHwnd(), WM_COMMAND, ID_TRAY_SHOW_HIDE, 0);
    ASSERT_TRUE(Refreshed());
    EXPECT_GE(RowOf(List(), child), 0);
    EXPECT_EQ(counter.count, 1);
}

INSTANTIATE_TEST_SUITE_P(EveryWay, ProcessPageShowingTest,
                         ::testing::Values(PageSwitch::NavigationLink, PageSwitch::Tab, PageSwitch::MenuCommand),
                         [](const auto& info) { return std::string(kPageSwitchNames[static_cast<int>(info.param)]); });

}  // namespace

namespace {

TEST(ProcessPageLifetime, DestroyingAPageLeavesTheShellsImageListUsable) {
    const HIMAGELIST shared = CSystemImageList().GetImageList(true);
    ASSERT_TRUE(shared);
    const int icons = ImageList_GetImageCount(shared);
    for (int round = 0; round < 2; ++round) {
        qmo::testing::ControlHost host;
        ASSERT_TRUE(host.Create(600, 400));
        auto page = std::make_unique<CProcessPage>();
        ASSERT_TRUE(page->CreateModeless(host.GetSafeHwnd()));
        EXPECT_FALSE(page->RefreshPending()) << "a snapshot for a page nobody has seen yet";
        ::ShowWindow(page->GetSafeHwnd(), SW_SHOW);  // shown: it goes with its first refresh under way
        EXPECT_TRUE(page->RefreshPending());
        EXPECT_EQ(ListView_GetImageList(page->List().GetSafeHwnd(), LVSIL_SMALL), shared);
        page.reset();
    }
    EXPECT_EQ(CSystemImageList().GetImageList(true), shared);
    EXPECT_GE(ImageList_GetImageCount(shared), icons);
    EXPECT_GE(icons, 1);
}

}  // namespace
