#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <memory>
#include <vector>

#include "config/registry_run_entry.h"
#include "config/registry_profile.h"
#include "framework/resource_usage.h"
#include "framework/unique_handle.h"
#include "shell/main_frame.h"
#include "frame_test_support.h"
#include "wine_test_support.h"

namespace {

using qmo::MeasureResourceUsage;
using qmo::ResourceUsage;

TEST(ResourceUsage, TheCountsSeeObjectsComeAndGo) {
    // A first window of a class loads what every later one shares.
    ::DestroyWindow(::CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr));
    const ResourceUsage before = MeasureResourceUsage();
    std::vector<qmo::unique_pen> pens;
    std::vector<qmo::unique_kernel_handle> events;
    for (int i = 0; i < 10; ++i) {
        pens.emplace_back(::CreatePen(PS_SOLID, 1, RGB(i, 0, 0)));
        events.emplace_back(::CreateEventW(nullptr, FALSE, FALSE, nullptr));
    }
    const HWND window = ::CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    void* block = ::VirtualAlloc(nullptr, 16 << 20, MEM_COMMIT, PAGE_READWRITE);
    ASSERT_NE(block, nullptr);
    std::memset(block, 1, 16 << 20);  // wine charges only the pages in use
    const ResourceUsage holding = MeasureResourceUsage();
    EXPECT_EQ(holding.gdiObjects, before.gdiObjects + 10);
    EXPECT_EQ(holding.handles, before.handles + 10);
    EXPECT_GE(holding.userObjects, before.userObjects + 1);
    EXPECT_GE(holding.privateBytes, before.privateBytes + (16 << 20));

    pens.clear();
    events.clear();
    ::DestroyWindow(window);
    ::VirtualFree(block, 0, MEM_RELEASE);
    const ResourceUsage after = MeasureResourceUsage();
    EXPECT_EQ(after.gdiObjects, before.gdiObjects);
    EXPECT_EQ(after.handles, before.handles);
    EXPECT_EQ(after.userObjects, before.userObjects);
}

// Wine keeps a cache of DCs for painting windows in the process and makes new
// ones whenever all it has are in use. Held, they are the program's; given
// back, they are left out however many there are.
TEST(ResourceUsage, CachedWindowDCsCountOnlyWhileHeld) {
    qmo::unique_hwnd window(
        ::CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr));
    ASSERT_TRUE(window);
    const ResourceUsage before = MeasureResourceUsage();
    constexpr DWORD kHeld = 80;  // more than wine's cache keeps, so that new ones are made
    std::vector<HDC> held;
    for (DWORD i = 0; i < kHeld; ++i)
        held.push_back(::GetDC(window.get()));
    ASSERT_EQ(std::count(held.begin(), held.end(), nullptr), 0);
    const ResourceUsage holding = MeasureResourceUsage();
    EXPECT_GE(holding.gdiObjects, before.gdiObjects + kHeld);

    for (HDC dc : held)
        ::ReleaseDC(window.get(), dc);
    const ResourceUsage released = MeasureResourceUsage();
    EXPECT_EQ(released.gdiObjects, before.gdiObjects);
    EXPECT_GE(released.idleWindowDCs, kHeld);

    window.reset();
    EXPECT_EQ(MeasureResourceUsage().gdiObjects, before.gdiObjects);
}

// The main window in use: page switches, full repaints of every control and
// system changes, many times over. A leak of one object per round shows as a
// growth of a hundred; what a first use loads and keeps is left out by a
// warm-up and a small margin.
class MainWindowLeakTest : public ::testing::Test, protected qmo::testing::FrameOnScratchKeys<> {
protected:
    MainWindowLeakTest() : FrameOnScratchKeys(L"Leaks") {}
    void SetUp() override {
        ASSERT_TRUE(Create());
        Show();
    }

    // Runs `round` 5 times to warm up, then 100 times between two measurements.
    std::pair<ResourceUsage, ResourceUsage> Measure(const std::function<void(int)>& round) {
        for (int i = 0; i < 5; ++i)
            round(i);
        const ResourceUsage before = MeasureResourceUsage();
        for (int i = 0; i < 100; ++i)
            round(i);
        return {before, MeasureResourceUsage()};
    }

    static constexpr DWORD kMargin = 2;
};

TEST_F(MainWindowLeakTest, PageSwitchesRepaintsAndSystemChangesHoldNothing) {
    const HWND window = frame->GetSafeHwnd();
    const auto [before, after] = Measure([&](int round) {
        frame->View().SelectNavigationGroup(static_cast<std::size_t>(round % 3));
        ::RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
        if (round % 10 == 0)
            ::SendMessageW(window, WM_SETTINGCHANGE, 0, 0);
    });
    EXPECT_LE(after.gdiObjects, before.gdiObjects + kMargin);
    EXPECT_LE(after.userObjects, before.userObjects + kMargin);
    EXPECT_LE(after.handles, before.handles + kMargin);
}

// Each round switches the theme and what the tray shows, samples (a number
// drawn anew whenever its look changes) and repaints everything. The steps
// repeat every five rounds, so both measurements find the same display (the
// animation's frames are held only while it shows).
TEST_F(MainWindowLeakTest, ThemeAndTrayDisplaySwitchesHoldNothing) {
    const HWND window = frame->GetSafeHwnd();
    using qmo::TrayIconShows;
    constexpr TrayIconShows kShows[] = {TrayIconShows::Animation, TrayIconShows::MemoryInUse,
                                        TrayIconShows::CommittedMemory, TrayIconShows::MemoryInUse,
                                        TrayIconShows::CommittedMemory};
    const auto [before, after] = Measure([&](int round) {
        ChangeSettings([&](qmo::OptimizerSettings& s) {
            s.m_theme = round % 5 % 2 ? qmo::ThemeChoice::Dark : qmo::ThemeChoice::Light;
            s.m_trayIconShows = kShows[round % 5];
            s.m_nCriticalLimit = round % 5 == 3 ? 0 : 80;
        });
        frame->Sampled();
        ::RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    });
    EXPECT_LE(after.gdiObjects, before.gdiObjects + kMargin);
    EXPECT_LE(after.userObjects, before.userObjects + kMargin);
    EXPECT_LE(after.handles, before.handles + kMargin);
}

TEST_F(MainWindowLeakTest, HidingAndShowingHoldsNothing) {
    const HWND window = frame->GetSafeHwnd();
    const auto [before, after] = Measure([&](int) {
        ::SendMessageW(window, WM_CLOSE, 0, 0);
        ::SendMessageW(window, WM_CLOSE, 0, 0);
        ::UpdateWindow(window);
    });
    EXPECT_LE(after.gdiObjects, before.gdiObjects + kMargin);
    EXPECT_LE(after.userObjects, before.userObjects + kMargin);
    EXPECT_LE(after.handles, before.handles + kMargin);
}

}  // namespace
