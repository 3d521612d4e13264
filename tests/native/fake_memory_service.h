#pragma once
// A memory service on fakes of every seam: processes and heap that remember
// their calls, area calls and readings as the test scripts them, a history
// kept in memory, a clock the test moves and timers the test fires.
#include <map>
#include <optional>
#include <string>

#include "fake_memory_system.h"
#include "fake_optimizer_system.h"
#include "optimizer/memory_service.h"

namespace qmo::testing {

class MemoryHistoryStore : public HistoryStore {
public:
    std::optional<std::string> ReadEnd(std::size_t, bool& cutAtStart) override {
        cutAtStart = false;
        return text;
    }
    void Replace(std::string replacement) override {
        text = std::move(replacement);
        ++writes;
    }
    std::optional<std::string> text;
    int writes = 0;
};

class FakeServiceClock : public ServiceClock {
public:
    std::int64_t UnixSeconds() override { return unixSeconds + static_cast<std::int64_t>(steadyMs / 1000); }
    std::int32_t UtcOffsetMinutes() override { return offsetMinutes; }
    std::uint64_t SteadyMilliseconds() override { return steadyMs; }
    std::int64_t unixSeconds = 1796824925;  // 2026-12-09T14:02:05Z
    std::int32_t offsetMinutes = 60;
    std::uint64_t steadyMs = 5000;
};

// The pending one-shot timers, by sample, with their delays.
class FakeLateSampleTimers : public LateSampleTimers {
public:
    void Start(LateSample sample, std::uint32_t delayMs) override { pending[sample] = delayMs; }
    void Stop(LateSample sample) override { pending.erase(sample); }
    std::map<LateSample, std::uint32_t> pending;
};

struct FakeMemoryService {
    FakeProcessSystem processes;
    RecordingHeap heap;
    FakeMemoryAreaCalls areaCalls;
    FakeMemoryReader reader;
    MemoryHistoryStore store;
    RunHistory history{store};
    FakeServiceClock clock;
    FakeLateSampleTimers timers;
    MemoryService service{{processes, heap, areaCalls, reader, history, clock, timers}};
};

}  // namespace qmo::testing
