#include <gtest/gtest.h>

#include <limits>
#include <vector>

#include "fake_memory_system.h"
#include "optimizer/memory_areas.h"
#include "optimizer/memory_list_layout.h"

using namespace qmo;
using namespace qmo::testing;

namespace {

AreaResult Result(AreaOutcome outcome, std::uint32_t status = 0, std::string text = {},
                  std::optional<std::int64_t> effect = {}) {
    return AreaResult{outcome, status, std::move(text), effect};
}

MemoryAreaChoices Every(StandbyListChoice standby = StandbyListChoice::All) {
    return MemoryAreaChoices{true, true, standby, true};
}

class SystemAreaRunnerTest : public ::testing::Test {
protected:
    FakeMemoryAreaCalls calls;
    FakeMemoryReader reader;
    SystemAreaRunner runner{calls, reader};
    AreaResults results{};

    const AreaResult& Run(const MemoryAreaChoices& choices, MemoryArea area) {
        runner.Run(choices, results);
        return ResultOf(results, area);
    }
    // The reader's figures change when `call` is made.
    void OnCall(const std::string& call, std::function<void(MemoryReading&)> change) {
        calls.onCall = [this, call, change](const std::string& made) {
            if (made == call)
                change(reader.current);
        };
    }
};

TEST_F(SystemAreaRunnerTest, RunsTheChosenAreasInOrderReadingAroundEachCallAndLeavesTheRestAlone) {
    reader.log = &calls.calls;
    const AreaResult untouched = Result(AreaOutcome::Done, 0, "", 4096);
    ResultOf(results, MemoryArea::WorkingSets) = untouched;
    ResultOf(results, MemoryArea::Sweep) = untouched;
    runner.Run(Every(), results);
    EXPECT_EQ(calls.calls, (std::vector<std::string>{"privilege quota", "read", "cache", "read", "privilege profile",
                                                     "read", "list 3", "read", "read", "list 4", "read", "read",
                                                     "combine", "read"}));
    EXPECT_EQ(ResultOf(results, MemoryArea::WorkingSets), untouched);
    EXPECT_EQ(ResultOf(results, MemoryArea::Sweep), untouched);

    calls.calls.clear();
    runner.Run(MemoryAreaChoices{false, true, StandbyListChoice::Off, false}, results);
    EXPECT_EQ(calls.calls, (std::vector<std::string>{"read", "list 3", "read"}));
    for (MemoryArea area : {MemoryArea::SystemCache, MemoryArea::StandbyList, MemoryArea::CombinePages})
        EXPECT_EQ(ResultOf(results, area), AreaResult{}) << MemoryAreaName(area);
    EXPECT_EQ(ResultOf(results, MemoryArea::WorkingSets), untouched);
}

// One area whose figure moves by `change` bytes (down when positive) when its call is made.
struct MeasuredCase {
    const char* name;
    MemoryAreaChoices choices;
    MemoryArea area;
    const char* call;
    std::function<void(MemoryReading&, std::int64_t)> move;
};

class MeasuredArea : public SystemAreaRunnerTest, public ::testing::WithParamInterface<MeasuredCase> {};

TEST_P(MeasuredArea, IsDoneWithTheSignedChangeOfItsFigureWhenTheListsWereReadOnBothSides) {
    const MeasuredCase& area = GetParam();
    for (const std::int64_t change : {std::int64_t{123'456'789}, std::int64_t{-8192}, std::int64_t{0}}) {
        OnCall(area.call, [&](MemoryReading& reading) { area.move(reading, change); });
        const AreaResult& result = Run(area.choices, area.area);
        EXPECT_EQ(result.outcome, AreaOutcome::Done) << change;
        EXPECT_EQ(result.effectBytes, change);
        EXPECT_EQ(calls.CountOf(area.call), 1);
        calls.calls.clear();
    }
}

TEST_P(MeasuredArea, IsAcceptedNotMeasuredWhenEitherReadingLacksTheListsOrTheFigure) {
    const MeasuredCase& area = GetParam();
    const std::vector<std::function<void(MemoryReading&)>> spoil = {
        [](MemoryReading& after) { after = WineReading(); },
        [](MemoryReading& after) { after.listsSource = ReadingSource::None; },
        [&](MemoryReading& after) {
            after.systemCache.reset();
            after.modified.reset();
            after.standby.reset();
            after.standbyByPriority.reset();
        },
    };
    for (std::size_t i = 0; i < spoil.size(); ++i) {
        reader.current = ListsReading();
        OnCall(area.call, [&](MemoryReading& reading) {
            area.move(reading, 1'000'000);
            spoil[i](reading);
        });
        const AreaResult& result = Run(area.choices, area.area);
        EXPECT_EQ(result.outcome, AreaOutcome::AcceptedNotMeasured) << i;
        EXPECT_FALSE(result.effectBytes) << i;
    }
    // The lists unread before the call, read after it.
    reader.current = ListsReading();
    reader.current.listsSource = ReadingSource::None;
    OnCall(area.call, [&](MemoryReading& reading) {
        area.move(reading, 1'000'000);
        reading.listsSource = ReadingSource::MemoryListInformation;
    });
    EXPECT_EQ(Run(area.choices, area.area).outcome, AreaOutcome::AcceptedNotMeasured);
    reader.current = WineReading();  // no lists on either side
    calls.onCall = nullptr;
    EXPECT_EQ(Run(area.choices, area.area).outcome, AreaOutcome::AcceptedNotMeasured);
}

INSTANTIATE_TEST_SUITE_P(
    Areas, MeasuredArea,
    ::testing::Values(
        MeasuredCase{"SystemCache", {true, false, StandbyListChoice::Off, false}, MemoryArea::SystemCache, "cache",
                     [](MemoryReading& r, std::int64_t change) { *r.systemCache -= change; }},
        MeasuredCase{"ModifiedList", {false, true, StandbyListChoice::Off, false}, MemoryArea::ModifiedList, "list 3",
                     [](MemoryReading& r, std::int64_t change) { *r.modified -= change; }},
        MeasuredCase{"StandbyAll", {false, false, StandbyListChoice::All, false}, MemoryArea::StandbyList, "list 4",
                     [](MemoryReading& r, std::int64_t change) {
                         *r.standby -= change;
                         (*r.standbyByPriority)[0] -= 7;  // the lowest priority alone is not the figure
                     }},
        MeasuredCase{"StandbyLowestPriority", {false, false, StandbyListChoice::LowestPriorityOnly, false},
                     MemoryArea::StandbyList, "list 5",
                     [](MemoryReading& r, std::int64_t change) {
                         (*r.standbyByPriority)[0] -= change;
                         (*r.standbyByPriority)[3] -= 7;  // nor is the whole list
                         *r.standby -= change + 7;
                     }},
        MeasuredCase{"StandbyLowestPriorityWithoutPriorities",
                     {false, false, StandbyListChoice::LowestPriorityOnly, false}, MemoryArea::StandbyList, "list 5",
                     [](MemoryReading& r, std::int64_t change) {
                         *r.standby -= change;
                         r.standbyByPriority.reset();
                     }}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(SystemAreaRunnerTest, CombinedPagesCountOnlyWhatTheSystemSaidItCombined) {
    calls.pagesCombined = 300;
    calls.pageSize = 8192;
    const MemoryAreaChoices combine{false, false, StandbyListChoice::Off, true};
    EXPECT_EQ(Run(combine, MemoryArea::CombinePages), Result(AreaOutcome::Done, 0, "", 300 * 8192));

    calls.pagesCombined = std::numeric_limits<std::uint64_t>::max() / 2;  // more bytes than 64 bits hold
    EXPECT_EQ(Run(combine, MemoryArea::CombinePages).outcome, AreaOutcome::AcceptedNotMeasured);

    calls.pagesCombined.reset();
    EXPECT_EQ(Run(combine, MemoryArea::CombinePages), Result(AreaOutcome::AcceptedNotMeasured));

    calls.pagesCombined = 300;
    reader.current = WineReading();
    EXPECT_EQ(Run(combine, MemoryArea::CombinePages), Result(AreaOutcome::AcceptedNotMeasured));
}

TEST_F(SystemAreaRunnerTest, AnAreaTheSystemDoesNotImplementIsNotAvailableAndRemembered) {
    struct Answering {
        CallAnswer answer;
        MemoryArea area;
    };
    const Answering cases[] = {
        {MissingEntryPoint(), MemoryArea::SystemCache},   {MissingEntryPoint(), MemoryArea::ModifiedList},
        {MissingEntryPoint(), MemoryArea::CombinePages},  {NtFailure(0xC0000002), MemoryArea::ModifiedList},
        {NtFailure(0xC0000003), MemoryArea::StandbyList}, {NtFailure(0xC00000BB), MemoryArea::CombinePages},
        {Win32Failure(120), MemoryArea::SystemCache},     {Win32Failure(50), MemoryArea::SystemCache},
    };
    for (const Answering& one : cases) {
        FakeMemoryAreaCalls calls;
        SystemAreaRunner runner(calls, reader);
        calls.cacheAnswer = calls.combineAnswer = calls.listAnswers[3] = calls.listAnswers[4] = NtSuccess();
        switch (one.area) {
        case MemoryArea::SystemCache: calls.cacheAnswer = one.answer; break;
        case MemoryArea::ModifiedList: calls.listAnswers[3] = one.answer; break;
        case MemoryArea::StandbyList: calls.listAnswers[4] = one.answer; break;
        default: calls.combineAnswer = one.answer; break;
        }
        const std::string label = std::string(MemoryAreaName(one.area)) + " status " + std::to_string(one.answer.status);
        EXPECT_FALSE(runner.KnownUnavailable(one.area)) << label;
        runner.Run(Every(), results);
        EXPECT_EQ(ResultOf(results, one.area), Result(AreaOutcome::NotAvailable)) << label;
        EXPECT_TRUE(runner.KnownUnavailable(one.area)) << label;
        for (MemoryArea other : {MemoryArea::SystemCache, MemoryArea::ModifiedList, MemoryArea::StandbyList,
                                 MemoryArea::CombinePages})
            if (other != one.area) {
                EXPECT_FALSE(runner.KnownUnavailable(other)) << label << ", " << MemoryAreaName(other);
            }
        runner.Run(MemoryAreaChoices{}, results);
        EXPECT_TRUE(runner.KnownUnavailable(one.area)) << label;
        const std::size_t callsBefore = calls.calls.size();
        runner.Run(Every(), results);
        EXPECT_EQ(ResultOf(results, one.area), Result(AreaOutcome::NotAvailable)) << label;
        EXPECT_EQ(calls.calls.size() - callsBefore, 3u) << label << ": the other three only, asked again";
    }
}

TEST_F(SystemAreaRunnerTest, AFailureIsReportedWithItsStatusInWordsAndNeverAsDone) {
    calls.listAnswers[3] = NtFailure(0xC0000022);
    calls.statusTexts[0xC0000022] = "Access denied.";
    OnCall("list 3", [](MemoryReading& reading) { *reading.modified -= 1'000'000; });
    EXPECT_EQ(Run(Every(), MemoryArea::ModifiedList), Result(AreaOutcome::Failed, 0xC0000022, "Access denied."));
    EXPECT_FALSE(runner.KnownUnavailable(MemoryArea::ModifiedList));

    calls.cacheAnswer = Win32Failure(1450);  // no words for it
    EXPECT_EQ(Run(Every(), MemoryArea::SystemCache),
              Result(AreaOutcome::Failed, 1450, "the system gave no reason"));

    calls.statusTexts[0] = "The operation completed successfully.";
    calls.combineAnswer = NtFailure(0);
    EXPECT_EQ(Run(Every(), MemoryArea::CombinePages),
              Result(AreaOutcome::Failed, 0, "the system gave no reason"));
}

TEST_F(SystemAreaRunnerTest, APrivilegeIsEnabledOnceAndAskedForAgainInTheRunAfterARefusal) {
    calls.statusTexts[1314] = "A required privilege is not held by the client.";
    calls.refused[SystemPrivilege::ProfileSingleProcess] = true;
    runner.Run(Every(), results);
    for (MemoryArea area : {MemoryArea::ModifiedList, MemoryArea::StandbyList, MemoryArea::CombinePages})
        EXPECT_EQ(ResultOf(results, area),
                  Result(AreaOutcome::Failed, 1314, "A required privilege is not held by the client."))
            << MemoryAreaName(area);
    EXPECT_EQ(ResultOf(results, MemoryArea::SystemCache).outcome, AreaOutcome::Done);
    EXPECT_EQ(calls.calls, (std::vector<std::string>{"privilege quota", "cache", "privilege profile"}));

    calls.refused[SystemPrivilege::ProfileSingleProcess] = false;
    calls.calls.clear();
    runner.Run(Every(), results);
    EXPECT_EQ(calls.calls, (std::vector<std::string>{"cache", "privilege profile", "list 3", "list 4", "combine"}));
    calls.calls.clear();
    runner.Run(Every(), results);
    EXPECT_EQ(calls.CountOf("privilege profile") + calls.CountOf("privilege quota"), 0);
}

std::vector<std::byte> LittleEndian(std::initializer_list<std::pair<std::size_t, std::uint64_t>> fields,
                                    std::size_t size, std::size_t width) {
    std::vector<std::byte> bytes(size, std::byte{0xEE});
    for (const auto& [offset, value] : fields)
        for (std::size_t i = 0; i < width; ++i)
            bytes[offset + i] = static_cast<std::byte>((value >> (8 * i)) & 0xFF);
    return bytes;
}

TEST(MemoryListLayout, TheListsAreReadInPagesTimesThePageSizeAndAShortBufferGivesNothing) {
    std::vector<std::pair<std::size_t, std::uint64_t>> fields;
    for (std::size_t index = 0; index < 22; ++index)
        fields.push_back({index * 8, 10 + index});  // zeroed 10, free 11, modified 12, standby 15..22
    std::vector<std::byte> bytes(kMemoryListInformationSize);
    for (const auto& [offset, value] : fields)
        for (std::size_t i = 0; i < 8; ++i)
            bytes[offset + i] = static_cast<std::byte>((value >> (8 * i)) & 0xFF);

    MemoryReading reading;
    ASSERT_TRUE(ParseMemoryListInformation(bytes, 4096, reading));
    EXPECT_EQ(reading.zeroed, 10 * 4096);
    EXPECT_EQ(reading.free, 11 * 4096);
    EXPECT_EQ(reading.modified, 12 * 4096);
    EXPECT_EQ(reading.standby, (15 + 16 + 17 + 18 + 19 + 20 + 21 + 22) * 4096);
    ASSERT_TRUE(reading.standbyByPriority);
    EXPECT_EQ((*reading.standbyByPriority)[0], 15 * 4096);
    EXPECT_EQ((*reading.standbyByPriority)[7], 22 * 4096);
    EXPECT_EQ(reading.listsSource, ReadingSource::MemoryListInformation);

    // A count of pages whose bytes overflow leaves its figures unknown, and the sum with it.
    bytes[2 * 8 + 7] = std::byte{0xFF};
    bytes[6 * 8 + 7] = std::byte{0x80};
    ASSERT_TRUE(ParseMemoryListInformation(bytes, 4096, reading));
    EXPECT_FALSE(reading.modified);
    EXPECT_FALSE(reading.standby);
    EXPECT_FALSE(reading.standbyByPriority);
    EXPECT_EQ(reading.free, 11 * 4096);

    for (const std::size_t size : {std::size_t{0}, std::size_t{8}, kMemoryListInformationSize - 1}) {
        MemoryReading untouched = WineReading();
        EXPECT_FALSE(ParseMemoryListInformation(std::span(bytes).first(size), 4096, untouched)) << size;
        EXPECT_EQ(untouched, WineReading()) << size;
    }
    MemoryReading untouched = WineReading();
    EXPECT_FALSE(ParseMemoryListInformation(bytes, 0, untouched));
    EXPECT_EQ(untouched, WineReading());
}

TEST(MemoryListLayout, ThePerformanceFiguresAreReadAtTheirPlacesAndAShortBufferGivesNothing) {
    const auto bytes = LittleEndian({{44, 1000}, {48, 2000}, {52, 0xFFFFFFFF}, {56, 7}, {60, 0xFFFFFFF0}}, 312, 4);
    const auto figures = ParsePerformanceInformation(bytes, 4096);
    ASSERT_TRUE(figures);
    EXPECT_EQ(figures->availableBytes, 1000 * 4096);
    EXPECT_EQ(figures->commitChargeBytes, 2000 * 4096);
    EXPECT_EQ(figures->commitLimitBytes, std::int64_t{0xFFFFFFFF} * 4096);
    EXPECT_EQ(figures->pageFaults, 0xFFFFFFF0u);
    EXPECT_TRUE(ParsePerformanceInformation(std::span(bytes).first(kPerformanceInformationFiguresEnd), 4096));
    EXPECT_FALSE(ParsePerformanceInformation(std::span(bytes).first(kPerformanceInformationFiguresEnd - 1), 4096));
    EXPECT_FALSE(ParsePerformanceInformation({}, 4096));
    EXPECT_FALSE(ParsePerformanceInformation(bytes, 0));
}

TEST(MemoryReadingArithmetic, PageFaultsAreCountedAcrossOneWrapOfTheSystemsCounter) {
    EXPECT_EQ(PageFaultsBetween(0xFFFFFFF0u, 0x10u), 0x20);
    EXPECT_EQ(PageFaultsBetween(5u, 5u), 0);
    EXPECT_EQ(PageFaultsBetween(0u, 0xFFFFFFFFu), 0xFFFFFFFF);
    EXPECT_FALSE(PageFaultsBetween(std::nullopt, 5u));
    EXPECT_FALSE(PageFaultsBetween(5u, std::nullopt));
}

TEST(MemoryReadingArithmetic, DifferencesAreSignedAndEmptyRatherThanWrapped) {
    constexpr std::int64_t most = std::numeric_limits<std::int64_t>::max();
    constexpr std::int64_t least = std::numeric_limits<std::int64_t>::min();
    EXPECT_EQ(Difference(100, 40), -60);
    EXPECT_EQ(Difference(0, most), most);
    EXPECT_EQ(Difference(least, -1), most);
    EXPECT_EQ(Difference(least, least), 0);
    EXPECT_EQ(Difference(-1, most), std::nullopt);
    EXPECT_EQ(Difference(least, 0), std::nullopt);
    EXPECT_EQ(Difference(most, least), std::nullopt);
    EXPECT_EQ(Difference(1, least), std::nullopt);
    EXPECT_EQ(Difference(most, -1), least);
    EXPECT_EQ(Difference(most, -2), std::nullopt);
    EXPECT_EQ(Difference(std::nullopt, 1), std::nullopt);
    EXPECT_EQ(Difference(1, std::nullopt), std::nullopt);
    EXPECT_EQ(PagesToBytes(std::uint64_t(most) / 4096, 4096), std::uint64_t(most) / 4096 * 4096);
    EXPECT_EQ(PagesToBytes(std::uint64_t(most) / 4096 + 1, 4096), std::nullopt);
}

}  // namespace
