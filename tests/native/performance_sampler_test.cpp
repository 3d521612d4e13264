#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "config/optimizer_settings.h"
#include "fake_counter_api.h"
#include "perf/performance_sampler.h"

namespace qmo {
namespace {

using testing::FakeCounterApi;

class FakeHost : public PerformanceHost {
public:
    const OptimizerSettings& Settings() const override { return settings; }
    bool IsOptimizing() const override { return optimizing; }
    void ShowCriticalLimitPopup() override { ++popups; }
    std::optional<AutomaticRunResult> RunAutomatic() override {
        ++automaticRuns;
        return result;
    }
    QuietReason Quiet() override {
        ++quietAsked;
        return quiet;
    }
    std::optional<int> PhysicalInUsePercent() override { return inUse; }
    void RunWaited(QuietReason reason) override { waited.push_back(reason); }
    void NoteProcessorUse() override { ++notes; }
    void Sampled() override { ++samples; }
    void CriticalLimitCrossed(int percent, int limit) override { crossings.emplace_back(percent, limit); }

    OptimizerSettings settings;
    std::vector<std::pair<int, int>> crossings;
    int automaticRuns = 0;
    std::optional<AutomaticRunResult> result = AutomaticRunResult{};
    QuietReason quiet = QuietReason::None;
    int quietAsked = 0;
    std::optional<int> inUse;
    std::vector<QuietReason> waited;
    int notes = 0;
    int samples = 0;
    bool optimizing = false;
    int popups = 0;
};

class FakeCommitCharge : public CommitChargeSource {
public:
    std::optional<int> CommittedPercent() override {
        ++reads;
        return percent;
    }
    std::optional<int> percent;
    int reads = 0;
};

// The system's processor times, moved on by the test between ticks.
class FakeProcessorTimes : public ProcessorTimesSource {
public:
    std::optional<ProcessorTimes> Read() override {
        ++reads;
        return fail ? std::nullopt : std::optional<ProcessorTimes>(now);
    }
    // Time passes: `kernel` and `user` busy, `idle` idle (which the system counts as kernel time too).
    void Pass(std::uint64_t kernel, std::uint64_t user, std::uint64_t idle) {
        now.idle += idle;
        now.kernel += kernel + idle;
        now.user += user;
    }
    ProcessorTimes now{5000, 9000, 3000};
    bool fail = false;
    int reads = 0;
};

class SamplerTest : public ::testing::Test {
protected:
    void SetUp() override {
        api.englishPaths = {kProcessorCounterPath, kMemoryCounterPath};
        ASSERT_TRUE(sampler.Start());
        memoryGauge.m_strCaption = "Memory Usage ";
        processorGauge.m_strCaption = "CPU Usage  ";
    }
    // Counters read `cpu` and `memory` on the next tick.
    bool Tick(int cpu, int memory) {
        api.values[api.CounterFor(kProcessorCounterPath)] = cpu;
        api.values[api.CounterFor(kMemoryCounterPath)] = memory;
        return SampleOn(sampler);
    }
    // A tick of `source`, put on the displays as the performance page shows it.
    bool SampleOn(PerformanceSampler& source) {
        const bool sampled = source.Sample(&host);
        source.ShowOn(displays);
        return sampled;
    }

    FakeCounterApi api;
    FakeCommitCharge commitCharge;
    FakeProcessorTimes processorTimes;
    PerformanceSampler sampler{api, commitCharge, processorTimes};
    FakeHost host;
    GaugeModel memoryGauge, processorGauge;
    HistoryGraphModel memoryGraph, processorGraph;
    PerformanceDisplays displays{memoryGauge, processorGauge, memoryGraph, processorGraph};
};

TEST_F(SamplerTest, StartAddsTheProcessorCounterThenTheMemoryCounter) {
    EXPECT_EQ(sampler.m_nProcessorCounter, 0);
    EXPECT_EQ(sampler.m_nMemoryCounter, 1);
    EXPECT_EQ(api.englishAdds, (std::vector<std::string>{kProcessorCounterPath, kMemoryCounterPath}));
}

TEST_F(SamplerTest, ATickShowsBothValuesOnTheGaugesAndGraphs) {
    ASSERT_TRUE(Tick(12, 37));
    EXPECT_EQ(processorGauge.m_nValue, 12);
    EXPECT_EQ(memoryGauge.m_nAngle, 324);
    EXPECT_EQ(memoryGraph.m_nCount, 1);
    EXPECT_EQ(memoryGraph.m_aY[0], 37);
    EXPECT_EQ(processorGraph.m_aY[0], 12);
}

TEST_F(SamplerTest, ThePopupIsRequestedOnlyAboveTheLimit) {
    host.settings.m_nCriticalLimit = 60;
    Tick(0, 60);
    EXPECT_EQ(host.popups, 0) << "equal to the limit";
    Tick(0, 61);
    EXPECT_EQ(host.popups, 1) << "one above";
    Tick(100, 61);
    Tick(100, 61);
    EXPECT_EQ(host.popups, 3) << "asked again on every tick while above";
    Tick(100, 10);
    EXPECT_EQ(host.popups, 3) << "the processor takes no part";
    EXPECT_EQ(host.crossings, (std::vector<std::pair<int, int>>{{61, 60}})) << "the log hears of each crossing once";
    // A figure wavering on the limit is one crossing; back well below, the next one counts.
    for (int committed : {62, 58, 61, 56, 61})
        Tick(0, committed);
    EXPECT_EQ(host.crossings.size(), 2u);
    Tick(0, 55);
    Tick(0, 70);
    EXPECT_EQ(host.crossings, (std::vector<std::pair<int, int>>{{61, 60}, {62, 60}, {70, 60}}));
}

TEST_F(SamplerTest, NoPopupWithNotificationsOffOrWhileOptimizing) {
    host.settings.m_nCriticalLimit = 0;
    host.settings.m_bShowNotification = false;
    Tick(0, 99);
    EXPECT_EQ(host.popups, 0);
    host.settings.m_bShowNotification = true;
    host.optimizing = true;
    Tick(0, 99);
    EXPECT_EQ(host.popups, 0);
    host.optimizing = false;
    Tick(0, 99);
    EXPECT_EQ(host.popups, 1);
    EXPECT_EQ(host.crossings.size(), 1u) << "the crossing is logged with notifications off as well";
}

TEST_F(SamplerTest, AnUnavailableMemoryValueRaisesNoPopup) {
    host.settings.m_nCriticalLimit = PDH_VALUE_UNAVAILABLE;
    api.failFormatted.insert(api.CounterFor(kMemoryCounterPath));
    Tick(5, 0);
    EXPECT_EQ(host.popups, 0);
    EXPECT_EQ(memoryGauge.Text(), "Memory Usage n/a");
    EXPECT_EQ(memoryGraph.m_aY[0], PDH_VALUE_UNAVAILABLE);
}

TEST_F(SamplerTest, TheFirstProcessorSampleIsUnavailableAndShownAsSuch) {
    api.failFormatted.insert(api.CounterFor(kProcessorCounterPath));
    Tick(0, 40);
    EXPECT_EQ(processorGauge.m_nAngle, 225);
    EXPECT_EQ(processorGauge.Text(), "CPU Usage  n/a");
    EXPECT_EQ(memoryGauge.m_nValue, 40);
}

TEST_F(SamplerTest, AFailedCollectionChangesNothing) {
    host.settings.m_nCriticalLimit = 0;
    Tick(20, 30);
    const int popups = host.popups;
    const GaugeModel memoryBefore = memoryGauge;
    const HistoryGraphModel graphBefore = processorGraph;
    api.failCollect = true;
    EXPECT_FALSE(Tick(90, 95));
    EXPECT_EQ(host.popups, popups);
    EXPECT_EQ(memoryGauge.m_nAngle, memoryBefore.m_nAngle);
    EXPECT_EQ(memoryGauge.m_nValue, memoryBefore.m_nValue);
    EXPECT_EQ(processorGraph.m_nCount, graphBefore.m_nCount);
    EXPECT_EQ(processorGraph.m_aY, graphBefore.m_aY);
    EXPECT_EQ(sampler.m_nHistoryCount, 1);
}

TEST_F(SamplerTest, AfterAHundredTicksTheHistoryScrolls) {
    for (int tick = 1; tick <= 100; ++tick)
        Tick(tick % 101, tick % 97);
    EXPECT_EQ(sampler.m_nHistoryCount, 100);
    for (int tick = 101; tick <= 150; ++tick)
        Tick(tick % 101, tick % 97);
    EXPECT_EQ(sampler.m_nHistoryCount, 100);
    ASSERT_EQ(processorGraph.m_nCount, 100);
    ASSERT_EQ(memoryGraph.m_nCount, 100);
    for (int i = 0; i < 100; ++i) {
        const int tick = 51 + i;
        const auto at = static_cast<std::size_t>(i);
        EXPECT_EQ(processorGraph.m_aY[at], tick % 101) << i;
        EXPECT_EQ(memoryGraph.m_aY[at], tick % 97) << i;
        EXPECT_EQ(processorGraph.m_aX[at], i);
        EXPECT_EQ(memoryGraph.m_aX[at], i);
        EXPECT_EQ(sampler.m_aMemoryX[at], static_cast<float>(i));
    }
}

TEST_F(SamplerTest, CommittedMemoryComesFromTheSystemWhenTheCounterIsMissing) {
    FakeCounterApi bare;
    bare.englishPaths = {kProcessorCounterPath};
    PerformanceSampler fallback(bare, commitCharge, processorTimes);
    ASSERT_TRUE(fallback.Start());
    EXPECT_EQ(fallback.m_nMemoryCounter, -1);
    host.settings.m_nCriticalLimit = 50;
    commitCharge.percent = 51;
    ASSERT_TRUE(SampleOn(fallback));
    EXPECT_EQ(memoryGauge.m_nValue, 51);
    EXPECT_EQ(host.popups, 1);
    commitCharge.percent = 23;
    SampleOn(fallback);
    EXPECT_EQ(memoryGraph.m_aY[1], 23) << "read afresh on every tick";
    commitCharge.percent.reset();
    SampleOn(fallback);
    EXPECT_EQ(memoryGraph.m_aY[2], PDH_VALUE_UNAVAILABLE);
}

// Counters disabled or corrupted: none can be added, and the system has no data to collect.
TEST_F(SamplerTest, WithNoCounterAtAllTheSystemsFiguresFeedTheGaugesAndTheLimitCheck) {
    FakeCounterApi disabled;
    PerformanceSampler fallback(disabled, commitCharge, processorTimes);
    ASSERT_TRUE(fallback.Start());
    host.settings.m_nCriticalLimit = 80;
    commitCharge.percent = 85;
    ASSERT_TRUE(SampleOn(fallback));
    EXPECT_EQ(memoryGauge.m_nValue, 85);
    EXPECT_EQ(processorGauge.Text(), "CPU Usage  n/a") << "a load needs two readings";
    EXPECT_EQ(host.popups, 1);
    processorTimes.Pass(200, 500, 300);
    ASSERT_TRUE(SampleOn(fallback));
    EXPECT_EQ(processorGauge.m_nValue, 70) << "700 busy of 1000";
    EXPECT_EQ(host.popups, 2);
    ASSERT_EQ(processorGraph.m_nCount, 2);
    EXPECT_EQ(processorGraph.m_aY[1], 70);
    EXPECT_EQ(memoryGraph.m_aY[1], 85);
}

TEST_F(SamplerTest, WithoutItsCounterTheProcessorLoadIsMeasuredBetweenTicks) {
    FakeCounterApi memoryOnly;
    memoryOnly.englishPaths = {kMemoryCounterPath};
    PerformanceSampler fallback(memoryOnly, commitCharge, processorTimes);
    ASSERT_TRUE(fallback.Start());
    memoryOnly.values[memoryOnly.CounterFor(kMemoryCounterPath)] = 44;
    const auto tick = [&] {
        EXPECT_TRUE(SampleOn(fallback));
        return processorGauge.m_nValue;
    };
    EXPECT_EQ(tick(), PDH_VALUE_UNAVAILABLE);
    EXPECT_EQ(memoryGauge.m_nValue, 44) << "the memory counter still counts";
    processorTimes.Pass(0, 250, 750);
    EXPECT_EQ(tick(), 25);
    EXPECT_EQ(tick(), PDH_VALUE_UNAVAILABLE) << "no time passed";
    processorTimes.Pass(100, 0, 0);
    processorTimes.fail = true;
    EXPECT_EQ(tick(), PDH_VALUE_UNAVAILABLE);
    processorTimes.fail = false;
    processorTimes.Pass(0, 100, 200);
    EXPECT_EQ(tick(), 50) << "measured from the last reading there was";
    memoryOnly.failCollect = true;
    EXPECT_FALSE(SampleOn(fallback)) << "the tick still stops when the counters cannot be collected";
    EXPECT_EQ(processorTimes.reads, 5);
    EXPECT_EQ(commitCharge.reads, 0);
}

// Counters that were added but never collect (the system answers "no data"
// tick after tick): the system's figures take over, and nothing is collected any more.
TEST_F(SamplerTest, CountersThatNeverCollectGiveWayToTheSystemsFigures) {
    api.failCollect = true;
    commitCharge.percent = 64;
    for (int tick = 1; tick < kFailedTicksBeforeFallback; ++tick)
        EXPECT_FALSE(Tick(10, 20)) << tick;
    EXPECT_EQ(memoryGraph.m_nCount, 0);
    ASSERT_TRUE(Tick(10, 20)) << "the last failure in a row";
    EXPECT_EQ(memoryGauge.m_nValue, 64);
    EXPECT_EQ(processorGauge.Text(), "CPU Usage  n/a") << "a load needs two readings";
    processorTimes.Pass(300, 100, 600);
    const int collections = api.collections;
    ASSERT_TRUE(Tick(10, 20));
    EXPECT_EQ(processorGauge.m_nValue, 40);
    EXPECT_EQ(memoryGraph.m_nCount, 2);
    EXPECT_EQ(api.collections, collections);
}

// Collected, but with no valid value tick after tick (a bad status): each
// counter gives way on its own failures alone. The memory counter fails from
// the first tick, the processor counter from the second.
TEST_F(SamplerTest, ACounterThatNeverReadsAValueGivesWayToTheSystemsFigureOnItsOwn) {
    const auto processor = api.CounterFor(kProcessorCounterPath);
    api.failFormatted.insert(api.CounterFor(kMemoryCounterPath));
    commitCharge.percent = 71;
    Tick(15, 20);
    EXPECT_EQ(processorGauge.m_nValue, 15);
    api.failFormatted.insert(processor);
    for (int tick = 2; tick < kFailedTicksBeforeFallback; ++tick) {
        Tick(15, 20);
        EXPECT_EQ(memoryGauge.Text(), "Memory Usage n/a") << tick;
    }
    Tick(15, 20);
    EXPECT_EQ(memoryGauge.m_nValue, 71);
    EXPECT_EQ(processorGauge.Text(), "CPU Usage  n/a");
    EXPECT_EQ(processorTimes.reads, 0) << "the processor counter has failed one tick fewer";
    Tick(15, 20);
    EXPECT_EQ(processorTimes.reads, 1);
    processorTimes.Pass(0, 100, 100);
    Tick(15, 20);
    EXPECT_EQ(processorGauge.m_nValue, 50);
    EXPECT_EQ(memoryGraph.m_aY[static_cast<std::size_t>(kFailedTicksBeforeFallback)], 71);
}

// Failures broken by one good tick are passing trouble: the counters stay.
TEST_F(SamplerTest, CountersThatFailAndRecoverAreKept) {
    const auto failFor = [&](const char* what, bool fail) {
        if (std::string(what) == "collection")
            api.failCollect = fail;
        else if (fail)
            api.failFormatted.insert(api.CounterFor(what));
        else
            api.failFormatted.clear();
    };
    for (const char* what : {"collection", kProcessorCounterPath, kMemoryCounterPath}) {
        for (int round = 0; round < 2; ++round) {
            failFor(what, true);
            for (int tick = 1; tick < kFailedTicksBeforeFallback; ++tick)
                Tick(30, 40);
            failFor(what, false);
            ASSERT_TRUE(Tick(31, 41)) << what;
            EXPECT_EQ(processorGauge.m_nValue, 31) << what;
            EXPECT_EQ(memoryGauge.m_nValue, 41) << what;
        }
    }
    EXPECT_EQ(sampler.m_nProcessorCounter, 0);
    EXPECT_EQ(sampler.m_nMemoryCounter, 1);
    EXPECT_EQ(commitCharge.reads, 0);
    EXPECT_EQ(processorTimes.reads, 0);
}

TEST_F(SamplerTest, TheSystemFiguresAreNotReadWhileTheCountersWork) {
    Tick(1, 2);
    Tick(1, 2);
    EXPECT_EQ(commitCharge.reads, 0);
    EXPECT_EQ(processorTimes.reads, 0);
}

TEST_F(SamplerTest, AutomaticOptimizationIsAskedForOnlyWhenTurnedOnWhateverTheLoad) {
    AutomaticSchedule schedule;
    host.settings.m_bAutoOptimize = false;
    schedule.FiveMinutesPassed(host, 300000);
    EXPECT_EQ(host.automaticRuns, 0);
    host.settings.m_bAutoOptimize = true;
    host.optimizing = true;  // the host decides what a running optimization means for it
    schedule.FiveMinutesPassed(host, 600000);
    EXPECT_EQ(host.automaticRuns, 1);
    EXPECT_EQ(host.samples, 0) << "asking is not sampling";
    for (std::uint64_t second = 601; second < 900; ++second)
        schedule.Tick(host, second * 1000);
    EXPECT_EQ(host.automaticRuns, 1) << "between the turns, nothing";
    EXPECT_EQ(host.notes, 2) << "processor use noted ten seconds after the start, then a minute before the turn";
}

TEST_F(SamplerTest, WhileTheUserMustNotBeDisturbedTheRunWaitsAndThePopupIsHeld) {
    AutomaticSchedule schedule;
    host.quiet = QuietReason::FullScreen;
    schedule.FiveMinutesPassed(host, 300000);
    schedule.Tick(host, 301000);
    EXPECT_EQ(host.automaticRuns, 0);
    EXPECT_EQ(host.waited, (std::vector<QuietReason>{QuietReason::FullScreen, QuietReason::FullScreen}));
    host.settings.m_nCriticalLimit = 50;
    Tick(1, 90);
    EXPECT_EQ(host.popups, 0) << "held";

    host.quiet = QuietReason::None;
    schedule.Tick(host, 302000);
    EXPECT_EQ(host.automaticRuns, 1) << "the waiting run comes once the state ends";
    schedule.Tick(host, 303000);
    EXPECT_EQ(host.automaticRuns, 1);
    Tick(1, 90);
    EXPECT_EQ(host.popups, 1) << "the limit still crossed: shown";
    const int asked = host.quietAsked;
    Tick(1, 10);
    schedule.Tick(host, 304000);
    EXPECT_EQ(host.quietAsked, asked) << "the state is asked only when something would disturb";
}

// Under the memory-in-use rule: a run above the share, then none before the
// cooldown, which doubles after each run that freed little and returns to a
// minute after a useful one.
TEST_F(SamplerTest, AboveTheShareRunsComeNoSoonerThanTheCooldownThatFollowsTheirUse) {
    AutomaticSchedule schedule;
    host.settings.m_automatic.rule = AutomaticRule::AboveMemoryInUse;
    host.settings.m_automatic.inUsePercent = 80;
    constexpr std::int64_t kPhysical = 8LL << 30;
    host.result = AutomaticRunResult{kPhysical / 1000, kPhysical};  // 0.1 %: little
    host.inUse = 80;
    schedule.FiveMinutesPassed(host, 300000);
    schedule.Tick(host, 300000);
    EXPECT_EQ(host.automaticRuns, 0) << "the five-minute turn is not this rule's, and 80 is not above 80";
    host.inUse = 81;
    std::vector<std::uint64_t> runsAt;
    for (std::uint64_t second = 301; second <= 301 + 3600; ++second) {
        const int before = host.automaticRuns;
        if (second == 301 + 420)
            host.result = AutomaticRunResult{kPhysical / 50, kPhysical};  // the fourth run frees 2 %
        schedule.Tick(host, second * 1000);
        if (host.automaticRuns != before)
            runsAt.push_back(second - 301);
    }
    ASSERT_GE(runsAt.size(), 6u);
    EXPECT_EQ(std::vector<std::uint64_t>(runsAt.begin(), runsAt.begin() + 6),
              (std::vector<std::uint64_t>{0, 120, 360, 840, 900, 960}));
    host.inUse.reset();
    const int runs = host.automaticRuns;
    for (std::uint64_t second = 4000; second < 4200; ++second)
        schedule.Tick(host, second * 1000);
    EXPECT_EQ(host.automaticRuns, runs) << "in use unknown: no run";
}

TEST(AutomaticRunPace, TheCooldownDoublesUpToHalfAnHourAndAUsefulRunResetsIt) {
    AutomaticRunPace pace;
    constexpr std::int64_t kPhysical = 1LL << 32;
    std::uint64_t now = 0;
    std::vector<std::uint64_t> cooldowns;
    for (int run = 0; run < 8; ++run) {
        pace.RunEnded(now, kPhysical / 101, kPhysical);
        cooldowns.push_back(pace.CooldownMs() / 1000);
        EXPECT_FALSE(pace.MayRun(now + pace.CooldownMs() - 1));
        now += pace.CooldownMs();
        EXPECT_TRUE(pace.MayRun(now));
    }
    EXPECT_EQ(cooldowns, (std::vector<std::uint64_t>{120, 240, 480, 960, 1800, 1800, 1800, 1800}));
    pace.RunEnded(now, kPhysical / 100, kPhysical);
    EXPECT_EQ(pace.CooldownMs(), kShortestCooldownMs);
    pace.RunEnded(now, std::nullopt, kPhysical);
    EXPECT_EQ(pace.CooldownMs(), 2 * kShortestCooldownMs) << "an unknown effect counts as little";
}

TEST(Sampler, StartFailsWhenTheQueryCannotBeOpened) {
    FakeCounterApi api;
    api.failOpen = true;
    FakeCommitCharge commitCharge;
    FakeProcessorTimes processorTimes;
    PerformanceSampler sampler(api, commitCharge, processorTimes);
    EXPECT_FALSE(sampler.Start());
    EXPECT_TRUE(api.englishAdds.empty());
}

}  // namespace
}  // namespace qmo
