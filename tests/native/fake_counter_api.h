#pragma once
// A performance data interface under the test's control: which paths it
// knows (by English or by localized name), what each counter reads, and
// which calls fail.
#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "perf/pdh_query.h"

namespace qmo::testing {

class FakeCounterApi : public CounterApi {
public:
    static constexpr Handle kQuery = 7;

    bool OpenQuery(std::uintptr_t userData, Handle& query) override {
        openUserData = userData;
        if (failOpen)
            return false;
        query = kQuery;
        return true;
    }
    bool AddEnglishCounter(Handle query, const std::string& path, std::uintptr_t, Handle& counter) override {
        englishAdds.push_back(path);
        return Add(query, englishPaths, path, counter);
    }
    bool AddCounter(Handle query, const std::string& path, std::uintptr_t, Handle& counter) override {
        localizedAdds.push_back(path);
        return Add(query, localizedPaths, path, counter);
    }
    // A query without counters has no data, as the system answers (PDH_NO_DATA).
    bool CollectQueryData(Handle query) override {
        EXPECT_EQ(query, kQuery);
        ++collections;
        return !failCollect && !added.empty();
    }
    bool GetFormattedLong(Handle counter, std::int32_t& value) override {
        if (failFormatted.count(counter) || !values.count(counter))
            return false;
        value = values[counter];
        return true;
    }
    bool GetRawValue(Handle counter, RawCounterSample& sample) override {
        if (failRaw.count(counter))
            return false;
        sample.timeStamp = ++rawReads;
        sample.firstValue = values[counter];
        return true;
    }
    void CloseQuery(Handle query) override {
        EXPECT_EQ(query, kQuery);
        ++closes;
    }

    // The handle the counter for `path` was given, 0 if none.
    Handle CounterFor(const std::string& path) const {
        const auto found = added.find(path);
        return found == added.end() ? 0 : found->second;
    }

    std::set<std::string> englishPaths;
    std::set<std::string> localizedPaths;
    std::map<Handle, std::int32_t> values;
    // Collected, but the value's status is bad (PDH_CSTATUS_INVALID_DATA).
    std::set<Handle> failFormatted;
    std::set<Handle> failRaw;
    bool failOpen = false;
    // The collection fails for the whole query (PDH_NO_DATA: no counter delivered anything).
    bool failCollect = false;
    std::uintptr_t openUserData = 0;
    std::vector<std::string> englishAdds;
    std::vector<std::string> localizedAdds;
    int collections = 0;
    int closes = 0;
    std::int64_t rawReads = 0;

private:
    bool Add(Handle query, const std::set<std::string>& known, const std::string& path, Handle& counter) {
        EXPECT_EQ(query, kQuery);
        if (!known.count(path))
            return false;
        counter = nextCounter++;
        added[path] = counter;
        return true;
    }

    std::map<std::string, Handle> added;
    Handle nextCounter = 1000;
};

}  // namespace qmo::testing
