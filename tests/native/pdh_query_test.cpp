#include <gtest/gtest.h>

#include "fake_counter_api.h"

namespace qmo {
namespace {

using testing::FakeCounterApi;

const std::string kCpu = "\\Processor(_Total)\\% Processor Time";
const std::string kMemory = "\\Memory\\% Committed Bytes In Use";

class PdhQueryTest : public ::testing::Test {
protected:
    void SetUp() override {
        api.englishPaths = {kCpu, kMemory};
        ASSERT_TRUE(query.Open());
    }

    FakeCounterApi api;
    CPdhQuery query{api};
};

TEST_F(PdhQueryTest, OpensARealTimeQueryWithUserDataOne) {
    EXPECT_TRUE(query.IsOpen());
    EXPECT_EQ(api.openUserData, 1u);
}

TEST_F(PdhQueryTest, CountersGetIdsZeroAndOneInOrderOfAddition) {
    EXPECT_EQ(query.AddCounter(kCpu), 0);
    EXPECT_EQ(query.AddCounter(kMemory), 1);
    ASSERT_NE(query.FindCounter(1), nullptr);
    EXPECT_EQ(query.FindCounter(1)->counter, api.CounterFor(kMemory));
}

TEST_F(PdhQueryTest, AnUnknownPathReturnsMinusOneAndConsumesNoId) {
    EXPECT_EQ(query.AddCounter("\\No Such\\Counter"), -1);
    EXPECT_EQ(query.AddCounter(kCpu), 0);
    EXPECT_EQ(query.FindCounter(-1), nullptr);
}

TEST_F(PdhQueryTest, EnglishNamesComeFirstAndTheLocalizedNameIsTheFallback) {
    api.englishPaths = {kCpu};
    api.localizedPaths = {kMemory};
    EXPECT_EQ(query.AddCounter(kCpu), 0);
    EXPECT_TRUE(api.localizedAdds.empty()) << "a counter found by its English name is not looked up again";
    EXPECT_EQ(query.AddCounter(kMemory), 1);
    EXPECT_EQ(api.englishAdds, (std::vector<std::string>{kCpu, kMemory}));
    EXPECT_EQ(api.localizedAdds, (std::vector<std::string>{kMemory}));
}

TEST_F(PdhQueryTest, IdsThatWereNeverReturnedReadUnavailable) {
    const int id = query.AddCounter(kCpu);
    api.values[api.CounterFor(kCpu)] = 12;
    for (int never : {-1, id + 1, 1000})
        EXPECT_EQ(query.GetValue(never), PDH_VALUE_UNAVAILABLE) << never;
    EXPECT_EQ(query.GetValue(id), 12);
}

TEST_F(PdhQueryTest, AFailedFormattedReadKeepsTheLastValueAndLeavesTheRingAlone) {
    const int id = query.AddCounter(kCpu);
    const auto counter = api.CounterFor(kCpu);
    api.values[counter] = 42;
    ASSERT_EQ(query.GetValue(id), 42);
    api.failFormatted.insert(counter);
    api.values[counter] = 43;
    EXPECT_EQ(query.GetValue(id), PDH_VALUE_UNAVAILABLE);
    EXPECT_EQ(query.FindCounter(id)->lastValue, 42);
    EXPECT_EQ(query.FindCounter(id)->ringCount, 1);
    EXPECT_EQ(query.FindCounter(id)->ringNext, 1);
}

TEST_F(PdhQueryTest, AFailedRawReadKeepsTheNewValueButNotTheSample) {
    const int id = query.AddCounter(kCpu);
    const auto counter = api.CounterFor(kCpu);
    api.values[counter] = 30;
    api.failRaw.insert(counter);
    EXPECT_EQ(query.GetValue(id), PDH_VALUE_UNAVAILABLE);
    EXPECT_EQ(query.FindCounter(id)->lastValue, 30);
    EXPECT_EQ(query.FindCounter(id)->ringCount, 0);
    EXPECT_EQ(query.FindCounter(id)->ringNext, 0);
}

TEST_F(PdhQueryTest, TheRingKeepsTheLatestTwentySamples) {
    const int id = query.AddCounter(kCpu);
    const auto counter = api.CounterFor(kCpu);
    for (int read = 1; read <= 25; ++read) {
        api.values[counter] = read;
        ASSERT_EQ(query.GetValue(id), read);
    }
    const PdhCounterRecord& record = *query.FindCounter(id);
    EXPECT_EQ(record.ringCount, 20);
    EXPECT_EQ(record.ringNext, 5);
    EXPECT_EQ(record.ringOldest, 5);
    // Slot 5 holds the oldest kept sample (read 6), slot 4 the newest (read 25).
    EXPECT_EQ(record.rawSamples[5].firstValue, 6);
    EXPECT_EQ(record.rawSamples[4].firstValue, 25);
}

TEST_F(PdhQueryTest, TheRingStartsAtItsFirstSlotUntilItIsFull) {
    const int id = query.AddCounter(kCpu);
    api.values[api.CounterFor(kCpu)] = 1;
    for (int read = 1; read <= 19; ++read)
        query.GetValue(id);
    EXPECT_EQ(query.FindCounter(id)->ringCount, 19);
    EXPECT_EQ(query.FindCounter(id)->ringOldest, 0);
}

TEST_F(PdhQueryTest, CloseReleasesTheQueryOnceAndEveryCounter) {
    const int id = query.AddCounter(kCpu);
    api.values[api.CounterFor(kCpu)] = 5;
    query.Close();
    query.Close();
    EXPECT_EQ(api.closes, 1);
    EXPECT_FALSE(query.IsOpen());
    EXPECT_EQ(query.GetValue(id), PDH_VALUE_UNAVAILABLE);
    EXPECT_FALSE(query.Collect());
}

TEST(PdhQuery, AQueryThatCannotBeOpenedTakesNoCounters) {
    FakeCounterApi api;
    api.failOpen = true;
    api.englishPaths = {kCpu};
    CPdhQuery query(api);
    EXPECT_FALSE(query.Open());
    EXPECT_EQ(query.AddCounter(kCpu), -1);
    EXPECT_FALSE(query.Collect());
    query.Close();
    EXPECT_EQ(api.closes, 0);
}

TEST(PdhQuery, ACollectionFailureIsReported) {
    FakeCounterApi api;
    api.englishPaths = {kCpu};
    CPdhQuery query(api);
    ASSERT_TRUE(query.Open());
    ASSERT_EQ(query.AddCounter(kCpu), 0);
    EXPECT_TRUE(query.Collect());
    api.failCollect = true;
    EXPECT_FALSE(query.Collect());
}

}  // namespace
}  // namespace qmo
