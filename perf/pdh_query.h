#pragma once
// One real-time counter query: counters behind small ids that are never
// reused, every failure turned into PDH_VALUE_UNAVAILABLE, and the latest raw
// samples of each counter kept in a ring. Portable: the system's performance
// data interface is reached through CounterApi.
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace qmo {

inline constexpr int PDH_VALUE_UNAVAILABLE = -999;
inline constexpr int RAW_HISTORY_SIZE = 20;

// The fields of one raw counter sample, as the system gives them.
struct RawCounterSample {
    std::uint32_t status = 0;
    std::int64_t timeStamp = 0;
    std::int64_t firstValue = 0;
    std::int64_t secondValue = 0;
    std::uint32_t multiCount = 0;
};

class CounterApi {
public:
    using Handle = std::uintptr_t;  // 0: none
    virtual ~CounterApi() = default;

    virtual bool OpenQuery(std::uintptr_t userData, Handle& query) = 0;
    // By the counter's English name, whatever the language of the system.
    virtual bool AddEnglishCounter(Handle query, const std::string& path, std::uintptr_t userData,
                                   Handle& counter) = 0;
    // By the name in the system's own language.
    virtual bool AddCounter(Handle query, const std::string& path, std::uintptr_t userData, Handle& counter) = 0;
    virtual bool CollectQueryData(Handle query) = 0;
    // The value as a whole number; false when the call or the value's own status fails.
    virtual bool GetFormattedLong(Handle counter, std::int32_t& value) = 0;
    virtual bool GetRawValue(Handle counter, RawCounterSample& sample) = 0;
    // Releases the query and all of its counters.
    virtual void CloseQuery(Handle query) = 0;
};

struct PdhCounterRecord {
    int id = 0;
    int lastValue = 0;
    CounterApi::Handle counter = 0;
    int ringNext = 0;
    int ringOldest = 0;
    int ringCount = 0;
    std::array<RawCounterSample, RAW_HISTORY_SIZE> rawSamples{};
};

class CPdhQuery {
public:
    explicit CPdhQuery(CounterApi& api) noexcept : m_api(api) {}
    CPdhQuery(const CPdhQuery&) = delete;
    CPdhQuery& operator=(const CPdhQuery&) = delete;
    ~CPdhQuery();

    bool Open();
    // The new counter's id, or -1 when the system knows no such counter.
    int AddCounter(const std::string& path);
    bool Collect();
    // A whole percentage, or PDH_VALUE_UNAVAILABLE.
    int GetValue(int id);
    void Close();

    bool IsOpen() const noexcept { return m_query != 0; }
    // The record behind an id, or null.
    const PdhCounterRecord* FindCounter(int id) const noexcept;

private:
    PdhCounterRecord* Find(int id) const noexcept;

    CounterApi& m_api;
    CounterApi::Handle m_query = 0;
    std::vector<std::unique_ptr<PdhCounterRecord>> m_counters;
    int m_nextId = 0;
};

}  // namespace qmo
