#pragma once
// The system's memory calls and readings, scripted: each call answers what
// its script says (success by default), privileges can be refused, entry
// points taken away, and every call made is recorded in order.
#include <algorithm>
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "optimizer/memory_areas.h"

namespace qmo::testing {

inline CallAnswer NtSuccess() { return CallAnswer{true, true, 0, true}; }
inline CallAnswer NtFailure(std::uint32_t status) { return CallAnswer{true, false, status, true}; }
inline CallAnswer Win32Failure(std::uint32_t error) { return CallAnswer{true, false, error, false}; }
inline CallAnswer MissingEntryPoint() { return CallAnswer{false, false, 0, true}; }

class FakeMemoryAreaCalls : public MemoryAreaCalls {
public:
    // What each call is, as recorded: "privilege profile", "privilege quota",
    // "cache", "list 3", "list 4", "list 5", "combine".
    std::vector<std::string> calls;

    CallAnswer cacheAnswer = NtSuccess();
    std::map<std::uint32_t, CallAnswer> listAnswers;  // by command; success when absent
    CallAnswer combineAnswer = NtSuccess();
    std::optional<std::uint64_t> pagesCombined;      // what the combine call writes
    std::map<SystemPrivilege, bool> refused;          // privileges the token does not hold
    std::map<std::uint32_t, std::string> statusTexts;  // the words for a status; none when absent
    std::uint32_t pageSize = 4096;
    // Called after each call is recorded: a test can change the world (the reader's figures) here.
    std::function<void(const std::string& call)> onCall;

    bool EnablePrivilege(SystemPrivilege privilege) override {
        Record(privilege == SystemPrivilege::IncreaseQuota ? "privilege quota" : "privilege profile");
        return !refused[privilege];
    }
    CallAnswer FlushSystemFileCache() override {
        Record("cache");
        return cacheAnswer;
    }
    CallAnswer MemoryListCommand(std::uint32_t command) override {
        Record("list " + std::to_string(command));
        const auto found = listAnswers.find(command);
        return found == listAnswers.end() ? NtSuccess() : found->second;
    }
    CallAnswer CombinePhysicalMemory(std::optional<std::uint64_t>& written) override {
        Record("combine");
        written = pagesCombined;
        return combineAnswer;
    }
    std::string StatusText(const CallAnswer& answer) override {
        const auto found = statusTexts.find(answer.status);
        return found == statusTexts.end() ? std::string() : found->second;
    }
    std::uint32_t PageSize() override { return pageSize; }

    int CountOf(const std::string& call) const { return static_cast<int>(std::count(calls.begin(), calls.end(), call)); }

private:
    void Record(const std::string& call) {
        calls.push_back(call);
        if (onCall)
            onCall(call);
    }
};

// A reading as the real system gives it: the memory manager's lists, the
// totals from the performance information.
inline MemoryReading ListsReading(std::int64_t standby = 400'000'000, std::int64_t modified = 50'000'000) {
    MemoryReading reading;
    reading.inUse = 3'000'000'000;
    reading.modified = modified;
    reading.standby = standby;
    reading.standbyByPriority = std::array<std::int64_t, kStandbyPriorities>{standby / 4, standby / 4, standby / 4,
                                                                              standby - 3 * (standby / 4)};
    reading.free = 100'000'000;
    reading.zeroed = 20'000'000;
    reading.commitCharge = 5'000'000'000;
    reading.systemCache = 300'000'000;
    reading.pageFaults = 1000;
    reading.listsSource = ReadingSource::MemoryListInformation;
    reading.totalsSource = ReadingSource::PerformanceInformation;
    reading.inUseSource = ReadingSource::MemoryStatus;
    return reading;
}

// As under wine: the lists cannot be read, the totals can.
inline MemoryReading WineReading() {
    MemoryReading reading;
    reading.inUse = 250'000'000;
    reading.commitCharge = 247'000'000;
    reading.systemCache = 0;
    reading.pageFaults = 0;
    reading.totalsSource = ReadingSource::PerformanceInformation;
    reading.inUseSource = ReadingSource::MemoryStatus;
    return reading;
}

// Gives `current` at every read unless readings are queued, which go first.
class FakeMemoryReader : public MemoryReader {
public:
    MemoryReading current = ListsReading();
    std::deque<MemoryReading> queued;
    std::vector<std::string>* log = nullptr;  // "read" goes here too, e.g. the calls' record

    MemoryReading Read() override {
        if (log)
            log->push_back("read");
        if (queued.empty())
            return current;
        MemoryReading next = queued.front();
        queued.pop_front();
        return next;
    }
};

}  // namespace qmo::testing
