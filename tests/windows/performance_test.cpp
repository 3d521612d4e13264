#include <gtest/gtest.h>
#include <pdh.h>
#include <pdhmsg.h>

#include <memory>
#include <utility>
#include <vector>

#include "config/optimizer_settings.h"
#include "config/registry_run_entry.h"
#include "framework/application.h"
#include "framework/resource_usage.h"
#include "config/registry_profile.h"
#include "framework/unique_handle.h"
#include "pages/message_caption.h"
#include "perf/perf_win32.h"
#include "shell/main_frame.h"
#include "toolkit/ui_paint.h"
#include "frame_test_support.h"
#include "wine_test_support.h"

using namespace qmo;

namespace {

using qmo::testing::PumpUntil;

// The real PDH: the processor counter is a rate; it reads a percentage once
// two collections lie apart in time. (Windows has no value after the first
// collection; wine already has one.)
// A tick of `sampler`, put on the displays as the performance page shows it.
bool SampledOnto(qmo::PerformanceSampler& sampler, qmo::PerformanceHost* host,
                 const qmo::PerformanceDisplays& displays) {
    const bool sampled = sampler.Sample(host);
    sampler.ShowOn(displays);
    return sampled;
}

TEST(PdhOnTheSystem, TheProcessorCounterReadsAPercentageAfterTwoCollections) {
    qmo::PdhCounterApi api;
    qmo::CPdhQuery query(api);
    ASSERT_TRUE(query.Open());
    const int id = query.AddCounter(qmo::kProcessorCounterPath);
    ASSERT_EQ(id, 0);
    ASSERT_TRUE(query.Collect());
    const DWORD first = ::GetTickCount();
    // A second collection in the same clock tick would give no rate either.
    ASSERT_TRUE(PumpUntil([&] { return ::GetTickCount() - first >= 100; }, 1000));
    ASSERT_TRUE(query.Collect());
    const int value = query.GetValue(id);
    EXPECT_GE(value, 0);
    EXPECT_LE(value, 100);
    EXPECT_GE(query.FindCounter(id)->ringCount, 1);
    query.Close();
    EXPECT_EQ(query.GetValue(id), qmo::PDH_VALUE_UNAVAILABLE);
}

TEST(PdhOnTheSystem, AnUnknownCounterIsRefusedWithoutUsingAnId) {
    qmo::PdhCounterApi api;
    qmo::CPdhQuery query(api);
    ASSERT_TRUE(query.Open());
    EXPECT_EQ(query.AddCounter("\\No Such Object\\No Such Counter"), -1);
    EXPECT_EQ(query.AddCounter(qmo::kProcessorCounterPath), 0);
}

TEST(CommitChargeOnTheSystem, IsAPlausiblePercentage) {
    qmo::SystemCommitCharge commitCharge;
    const std::optional<int> percent = commitCharge.CommittedPercent();
    ASSERT_TRUE(percent.has_value());
    EXPECT_GT(*percent, 0);
    EXPECT_LE(*percent, 100);
}

// Whichever way the system offers it (the counter on Windows, the commit
// charge under wine, which lacks the counter), committed memory reads from the first tick.
TEST(CommitChargeOnTheSystem, TheSamplerShowsCommittedMemoryFromTheFirstTick) {
    qmo::PdhCounterApi api;
    qmo::SystemCommitCharge commitCharge;
    qmo::SystemProcessorTimes processorTimes;
    qmo::PerformanceSampler sampler(api, commitCharge, processorTimes);
    ASSERT_TRUE(sampler.Start());
    qmo::GaugeModel memoryGauge, processorGauge;
    qmo::HistoryGraphModel memoryGraph, processorGraph;
    ASSERT_TRUE(SampledOnto(sampler, nullptr, {memoryGauge, processorGauge, memoryGraph, processorGraph}));
    EXPECT_GT(memoryGauge.m_nValue, 0);
    EXPECT_LE(memoryGauge.m_nValue, 100);
    EXPECT_EQ(memoryGraph.m_aY[0], memoryGauge.m_nValue);
}

// Performance counters switched off: the system refuses every counter.
class CountersSwitchedOff : public qmo::PdhCounterApi {
public:
    bool AddEnglishCounter(Handle, const std::string&, std::uintptr_t, Handle&) override { return false; }
    bool AddCounter(Handle, const std::string&, std::uintptr_t, Handle&) override { return false; }
};

class CountingHost : public PerformanceHost {
public:
    const OptimizerSettings& Settings() const override { return settings; }
    bool IsOptimizing() const override { return false; }
    void ShowCriticalLimitPopup() override { ++popups; }
    OptimizerSettings settings;
    int popups = 0;
};

TEST(PdhOnTheSystem, AQueryWithoutCountersHasNoDataToCollect) {
    PDH_HQUERY query = nullptr;
    ASSERT_EQ(::PdhOpenQueryW(nullptr, 0, &query), ERROR_SUCCESS);
    EXPECT_EQ(static_cast<DWORD>(::PdhCollectQueryData(query)), static_cast<DWORD>(PDH_NO_DATA));
    ::PdhCloseQuery(query);
}

TEST(PdhOnTheSystem, WithEveryCounterRefusedTheSystemsFiguresFeedTheTicks) {
    CountersSwitchedOff api;
    qmo::SystemCommitCharge commitCharge;
    qmo::SystemProcessorTimes processorTimes;
    qmo::PerformanceSampler sampler(api, commitCharge, processorTimes);
    ASSERT_TRUE(sampler.Start());
    CountingHost host;
    host.settings.m_nCriticalLimit = 0;
    qmo::GaugeModel memoryGauge, processorGauge;
    qmo::HistoryGraphModel memoryGraph, processorGraph;
    const qmo::PerformanceDisplays displays{memoryGauge, processorGauge, memoryGraph, processorGraph};
    ASSERT_TRUE(SampledOnto(sampler, &host, displays));
    EXPECT_GT(memoryGauge.m_nValue, 0);
    EXPECT_LE(memoryGauge.m_nValue, 100);
    EXPECT_EQ(processorGauge.m_nValue, qmo::PDH_VALUE_UNAVAILABLE);
    EXPECT_EQ(host.popups, 1);
    // The next tick measures the processor time that passed since this one.
    const auto spent = [&] {
        const std::optional<qmo::ProcessorTimes> times = processorTimes.Read();
        return times ? times->kernel + times->user : 0;
    };
    const std::uint64_t first = spent();
    ASSERT_TRUE(PumpUntil([&] { return spent() > first; }, 5000));
    ASSERT_TRUE(SampledOnto(sampler, &host, displays));
    EXPECT_GE(processorGauge.m_nValue, 0);
    EXPECT_LE(processorGauge.m_nValue, 100);
    EXPECT_EQ(host.popups, 2);
    EXPECT_EQ(processorGraph.m_nCount, 2);
}

// A picture of `width` × `height` painted by `paint` onto a GDI canvas.
class Picture {
public:
    Picture(int width, int height) : m_width(width) {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        m_dc.reset(::CreateCompatibleDC(nullptr));
        m_bitmap.reset(::CreateDIBSection(m_dc.get(), &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&m_bits),
                                          nullptr, 0));
        m_old = ::SelectObject(m_dc.get(), m_bitmap.get());
    }
    ~Picture() { ::SelectObject(m_dc.get(), m_old); }

    HDC dc() const { return m_dc.get(); }
    COLORREF At(int x, int y) const {
        ::GdiFlush();
        const DWORD pixel = m_bits[y * m_width + x];
        return RGB((pixel >> 16) & 0xFF, (pixel >> 8) & 0xFF, pixel & 0xFF);
    }

private:
    int m_width;
    qmo::unique_dc m_dc;
    qmo::unique_bitmap m_bitmap;
    HGDIOBJ m_old = nullptr;
    DWORD* m_bits = nullptr;
};

constexpr COLORREF kFrameBlue = RGB(150, 180, 206);
constexpr COLORREF kNeedle = RGB(250, 180, 21);
constexpr COLORREF kHubInner = RGB(0, 0, 255);
constexpr COLORREF kCurve = RGB(255, 0, 0);
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kBlack = RGB(0, 0, 0);

TEST(GdiCanvas, TheGaugeShowsItsNeedleWhereTheDialPutsIt) {
    constexpr int kWidth = 177, kHeight = 160;
    Picture picture(kWidth, kHeight);
    qmo::GaugeModel gauge;
    gauge.m_strCaption = "Memory Usage ";
    gauge.SetValue(50);  // straight up from the centre (88, 80)
    {
        qmo::GdiCanvas canvas(picture.dc(), nullptr);
        qmo::PaintGauge(canvas, gauge, kWidth, kHeight);
    }
    EXPECT_EQ(picture.At(0, 60), kFrameBlue) << "the border";
    EXPECT_EQ(picture.At(kWidth - 1, 60), kFrameBlue);
    EXPECT_EQ(picture.At(88, 80), kHubInner) << "the hub";
    EXPECT_EQ(picture.At(88, 30), kNeedle) << "the needle above the hub";
    EXPECT_NE(picture.At(60, 80), kNeedle) << "nothing of the needle to the left";
    EXPECT_EQ(picture.At(88, kHeight - 12), kWhite) << "the text strip";

    gauge.SetValue(0);  // lower left: from (88, 80) towards (31, 136)
    {
        qmo::GdiCanvas canvas(picture.dc(), nullptr);
        qmo::PaintGauge(canvas, gauge, kWidth, kHeight);
    }
    EXPECT_EQ(picture.At(60, 108), kNeedle);
    EXPECT_NE(picture.At(88, 30), kNeedle);
}

TEST(GdiCanvas, TheGraphDrawsItsCurveGridAndFrameWhereTheGeometrySays) {
    constexpr int kWidth = 645, kHeight = 153;
    Picture picture(kWidth, kHeight);
    qmo::HistoryGraphModel graph;
    graph.m_strCaption = "Memory Usage ";
    graph.m_nCount = 100;
    for (int i = 0; i < 100; ++i) {
        graph.m_aX[static_cast<std::size_t>(i)] = i;
        graph.m_aY[static_cast<std::size_t>(i)] = i < 50 ? 50 : qmo::PDH_VALUE_UNAVAILABLE;
    }
    graph.m_aY[60] = 50;  // alone between gaps, at x = 50 + 60 × 5.9
    {
        qmo::GdiCanvas canvas(picture.dc(), nullptr);
        qmo::PaintHistoryGraph(canvas, graph, kWidth, kHeight);
    }
    EXPECT_EQ(picture.At(0, 70), kFrameBlue) << "the border";
    EXPECT_EQ(picture.At(50, 40), kFrameBlue) << "the plot's left edge, above the first point";
    EXPECT_EQ(picture.At(79, 50), kFrameBlue) << "the first grid column";
    EXPECT_EQ(picture.At(300, 23), kFrameBlue) << "the 100 line";
    EXPECT_EQ(picture.At(80, 50), kWhite) << "the plot between the grid lines";
    EXPECT_EQ(picture.At(200, 62), kCurve) << "value 50 on the curve";
    EXPECT_EQ(picture.At(50, 100), kCurve) << "the first point rises from the baseline";
    EXPECT_NE(picture.At(500, 62), kCurve) << "no curve over unavailable samples";
    EXPECT_EQ(picture.At(404, 62), kCurve) << "a sample alone between gaps is a dot";
    for (int y = 0; y < 12; ++y)
        EXPECT_NE(picture.At(500, y), kCurve) << "nothing off the top for -999";
}

// The page inside the real frame, ticking on its timers.
class PerformancePageTest : public ::testing::Test, protected qmo::testing::FrameOnScratchKeys<> {
protected:
    PerformancePageTest() : FrameOnScratchKeys(L"PerformancePage") {}
    void SetUp() override {
        qmo::testing::MovePointer(0, 0);
        ASSERT_TRUE(Create());
    }
    CPerformancePage& Page() { return frame->View().PerformancePage(); }

};

TEST_F(PerformancePageTest, TheTicksFillTheGaugesAndGraphs) {
    EXPECT_EQ(Page().MemoryGauge().Model().m_strCaption, "Memory Usage ");
    EXPECT_EQ(Page().ProcessorGraph().Model().m_strCaption, "CPU Usage  ");
    ASSERT_TRUE(PumpUntil([&] { return Page().MemoryGraph().Model().m_nCount >= 2; }, 5000));
    EXPECT_GT(Page().MemoryGauge().Model().m_nValue, 0);
    EXPECT_LE(Page().MemoryGauge().Model().m_nValue, 100);
    EXPECT_EQ(Page().ProcessorGraph().Model().m_nCount, Page().MemoryGraph().Model().m_nCount);
    EXPECT_GE(Page().ProcessorGraph().Model().m_aY[1], 0) << "the processor reads from the second tick on";
    ASSERT_NE(frame->Monitor().Sampler(), nullptr);
    EXPECT_EQ(frame->Monitor().Sampler()->m_nProcessorCounter, 0);
}

TEST_F(PerformancePageTest, TheTickRaisesTheCriticalLimitPopupWhileTheWindowIsHidden) {
    ChangeSettings([](OptimizerSettings& s) { s.m_nCriticalLimit = 0; });
    ASSERT_TRUE(PumpUntil([&] { return frame->ActivePopup() != nullptr; }, 5000));
    EXPECT_EQ(frame->ActivePopup()->Elements()[3].text, "The system has crossed critical limit 0% ");
    EXPECT_EQ(frame->ActivePopup()->Elements()[0].fill, (qmo::Color{255, 0, 0}));
    EXPECT_FALSE(::IsWindowVisible(frame->GetSafeHwnd()));
}

TEST_F(PerformancePageTest, TheBoundControlsPaintTheirModels) {
    ASSERT_TRUE(PumpUntil([&] { return Page().MemoryGraph().Model().m_nCount >= 1; }, 5000));
    CGaugeCtrl& gauge = Page().MemoryGauge();
    RECT client{};
    ::GetClientRect(gauge.GetSafeHwnd(), &client);
    ASSERT_GT(client.right, 40);
    Picture picture(client.right, client.bottom);
    gauge.PaintTo(picture.dc(), qmo::kDesignDpi);
    EXPECT_EQ(picture.At(0, client.bottom / 2), kFrameBlue);
    EXPECT_EQ(picture.At(client.right / 2, client.bottom / 2), kHubInner);
    const qmo::Point tip = qmo::PointOnDial(gauge.Model().m_nAngle, {0, 0, client.right, client.bottom});
    const qmo::Point centre{client.right / 2, client.bottom / 2};
    // Two thirds of the way out along the needle.
    EXPECT_EQ(picture.At(centre.x + (tip.x - centre.x) * 2 / 3, centre.y + (tip.y - centre.y) * 2 / 3), kNeedle);
}

// The picture is kept between paints: it must be drawn afresh at a new DPI or
// size, and the layers and fonts of the old ones go with it.
TEST_F(PerformancePageTest, TheGaugeAtAnotherDpiOrSizeIsDrawnAfreshAndNoGdiObjectGrows) {
    CGaugeCtrl& gauge = Page().MemoryGauge();
    gauge.Model().SetValue(50);  // the needle straight up, clear of the hub's right side
    RECT client{};
    ::GetClientRect(gauge.GetSafeHwnd(), &client);
    Picture picture(client.right + 8, client.bottom);
    // Right of the centre: the hub's rim at 96 DPI, inside the hub at 144.
    const auto besideTheCentre = [&](unsigned dpi) {
        gauge.PaintTo(picture.dc(), dpi);
        RECT now{};
        ::GetClientRect(gauge.GetSafeHwnd(), &now);
        return picture.At(now.right / 2 + 11, now.bottom / 2);
    };
    const auto widen = [&](int extra) {
        ::SetWindowPos(gauge.GetSafeHwnd(), nullptr, 0, 0, client.right + extra, client.bottom,
                       SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    };
    EXPECT_NE(besideTheCentre(qmo::kDesignDpi), kHubInner);
    besideTheCentre(144);  // the interface fonts for 144 DPI stay for the process's life
    besideTheCentre(qmo::kDesignDpi);
    const DWORD held = qmo::MeasureResourceUsage().gdiObjects;
    for (int round = 0; round < 10; ++round) {
        EXPECT_EQ(besideTheCentre(144), kHubInner) << round;
        widen(8);
        EXPECT_EQ(besideTheCentre(qmo::kDesignDpi), kBlack) << "the rim at 96 DPI again";
        EXPECT_EQ(picture.At(client.right + 7, client.bottom / 2), kFrameBlue) << "the border moved out";
        widen(0);
    }
    besideTheCentre(qmo::kDesignDpi);
    EXPECT_EQ(qmo::MeasureResourceUsage().gdiObjects, held);
}

// Wine has no high-contrast themes: the system's colours are given directly,
// and the system's change brings back the colours of the moment. A kept
// picture must not outlive the colours it was drawn in.
TEST_F(PerformancePageTest, TheGaugeRepaintsInTheColoursItIsGivenAndTakesTheCurrentOnesOnASystemChange) {
    CGaugeCtrl& gauge = Page().MemoryGauge();
    RECT client{};
    ::GetClientRect(gauge.GetSafeHwnd(), &client);
    Picture picture(client.right, client.bottom);
    const auto borderAndHub = [&] {
        gauge.PaintTo(picture.dc(), qmo::kDesignDpi);
        return std::pair{picture.At(0, client.bottom / 2), picture.At(client.right / 2, client.bottom / 2)};
    };
    const auto colorsOf = [](const qmo::PerfColors& colors) {
        return std::pair{qmo::ToColorRef(colors.frame), qmo::ToColorRef(colors.hub)};
    };
    ASSERT_EQ(borderAndHub(), colorsOf(qmo::CurrentPerfColors()));
    ASSERT_NE(colorsOf(qmo::SystemPerfColors()), colorsOf(qmo::CurrentPerfColors())) << "a change to see";
    gauge.SetColors(qmo::SystemPerfColors());
    EXPECT_EQ(borderAndHub(), std::pair(::GetSysColor(COLOR_WINDOWTEXT), ::GetSysColor(COLOR_HOTLIGHT)));
    ::SendMessageW(frame->GetSafeHwnd(), WM_SYSCOLORCHANGE, 0, 0);
    EXPECT_EQ(borderAndHub(), colorsOf(qmo::CurrentPerfColors()));
}

// The query failure is reported while the frame is being created, before it is the main window.
TEST_F(PerformancePageTest, MessageBoxesAreCaptionedWithTheProgramsTitleEvenBeforeThereIsAMainWindow) {
    ::SetWindowTextW(frame->GetSafeHwnd(), L"Renamed");
    EXPECT_EQ(qmo::MessageBoxCaption(), L"Renamed") << "the main window's title while there is one";
    application.SetMainWindow(nullptr);
    EXPECT_EQ(qmo::MessageBoxCaption(), qmo::kMainWindowTitle);
}

TEST_F(PerformancePageTest, DestroyingTheFrameClosesTheMonitorsQueryAndAMadeUpTickThenDoesNothing) {
    const qmo::PerformanceSampler* sampler = frame->Monitor().Sampler();
    ASSERT_NE(sampler, nullptr);
    ASSERT_TRUE(sampler->Query().IsOpen());
    const HWND window = frame->GetSafeHwnd();
    frame->DestroyWindow();
    EXPECT_FALSE(sampler->Query().IsOpen());
    const int count = sampler->m_nHistoryCount;
    EXPECT_TRUE(const_cast<qmo::PerformanceMonitor&>(frame->Monitor()).OnTimer(qmo::PerformanceMonitor::ID_TIMER_SAMPLE));
    EXPECT_EQ(sampler->m_nHistoryCount, count);
    EXPECT_FALSE(::IsWindow(window));
}

}  // namespace
