#include "perf/pdh_query.h"

#include <algorithm>
#include <new>

namespace qmo {

CPdhQuery::~CPdhQuery() {
    Close();
}

bool CPdhQuery::Open() {
    if (m_query)
        return true;
    CounterApi::Handle query = 0;
    if (!m_api.OpenQuery(1, query) || !query)
        return false;
    m_query = query;
    return true;
}

int CPdhQuery::AddCounter(const std::string& path) {
    if (!m_query)
        return -1;
    std::unique_ptr<PdhCounterRecord> record(new (std::nothrow) PdhCounterRecord);
    if (!record)
        return -1;
    const auto userData = reinterpret_cast<std::uintptr_t>(record.get());
    // Localized names alone would leave every counter dead on a non-English system.
    if (!m_api.AddEnglishCounter(m_query, path, userData, record->counter) &&
        !m_api.AddCounter(m_query, path, userData, record->counter))
        return -1;
    record->id = m_nextId++;
    m_counters.push_back(std::move(record));
    return m_counters.back()->id;
}

bool CPdhQuery::Collect() {
    return m_query && m_api.CollectQueryData(m_query);
}

int CPdhQuery::GetValue(int id) {
    PdhCounterRecord* record = Find(id);
    if (!record)
        return PDH_VALUE_UNAVAILABLE;
    std::int32_t value = 0;
    if (!m_api.GetFormattedLong(record->counter, value))
        return PDH_VALUE_UNAVAILABLE;
    record->lastValue = value;
    if (!m_api.GetRawValue(record->counter, record->rawSamples[static_cast<std::size_t>(record->ringNext)]))
        return PDH_VALUE_UNAVAILABLE;
    record->ringCount = std::min(record->ringCount + 1, RAW_HISTORY_SIZE);
    record->ringNext = (record->ringNext + 1) % RAW_HISTORY_SIZE;
    if (record->ringCount == RAW_HISTORY_SIZE)
        record->ringOldest = record->ringNext;
    return record->lastValue;
}

void CPdhQuery::Close() {
    if (m_query)
        m_api.CloseQuery(m_query);
    m_query = 0;
    m_counters.clear();
}

const PdhCounterRecord* CPdhQuery::FindCounter(int id) const noexcept {
    return Find(id);
}

PdhCounterRecord* CPdhQuery::Find(int id) const noexcept {
    for (const auto& record : m_counters)
        if (record->id == id)
            return record.get();
    return nullptr;
}

}  // namespace qmo
