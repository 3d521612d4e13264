#include "history/history_rows.h"

#include <algorithm>
#include <cstdio>
#include <optional>
#include <variant>

#include "framework/texts.h"
#include "optimizer/run_history.h"
#include "res/history_resource.h"

namespace qmo {
namespace {

constexpr std::int64_t kBytesPerMB = std::int64_t{1024} * 1024;
constexpr std::size_t kFirstAreaColumn = 6;

// When the run started, as the user's locale writes it: the local time the
// record keeps ("2026-12-09T14:02:05+01:00"), as it stands when not readable.
std::string StartedCell(const RunRecord& record) {
    std::string stored = FormatStartedTime(record);
    CalendarTime time;
    char separator = 0;
    if (std::sscanf(stored.c_str(), "%4d-%2d-%2d%c%2d:%2d:%2d", &time.year, &time.month, &time.day, &separator,
                    &time.hour, &time.minute, &time.second) != 7 ||
        separator != 'T')
        return stored;
    return FormatDateAndTime(time);
}

std::string MB(std::optional<std::int64_t> bytes) {
    return bytes ? FormatCount(*bytes / kBytesPerMB) : std::string();
}

std::string FiguredMB(std::optional<std::int64_t> bytes) {
    return bytes ? FormatText(IDS_HISTORY_MB, {MB(bytes)}) : Text(IDS_HISTORY_NOT_KNOWN);
}

std::string ResultText(const AreaResult& result) {
    switch (result.outcome) {
    case AreaOutcome::NotChosen:
        return {};
    case AreaOutcome::Done:
        return result.effectBytes ? FormatText(IDS_HISTORY_DONE_MB, {MB(result.effectBytes)}) : Text(IDS_HISTORY_DONE);
    case AreaOutcome::Failed:
        return FormatText(IDS_HISTORY_FAILED, {result.statusText.empty() ? Text(IDS_HISTORY_NO_REASON)
                                                                         : FailureReasonText(result.statusText)});
    case AreaOutcome::NotAvailable:
        return Text(IDS_HISTORY_NOT_AVAILABLE);
    case AreaOutcome::AcceptedNotMeasured:
        return Text(IDS_HISTORY_ACCEPTED);
    case AreaOutcome::NotNeeded:
        return Text(IDS_HISTORY_NOT_NEEDED);
    }
    return {};
}

// What a column sorts by: a number, a text, or nothing.
using SortKey = std::variant<std::monostate, std::int64_t, std::string>;

SortKey KeyOf(const RunRecord& record, int column) {
    const auto number = [](std::optional<std::int64_t> value) -> SortKey {
        return value ? SortKey(*value) : SortKey();
    };
    switch (column) {
    case kHistoryStartedColumn:
        return record.startedUnixSeconds;
    case 1:
        return RunTriggerText(record.trigger);
    case 2:
        return number(record.freed);
    case 3:
        return number(record.backAfterFirstSample);
    case 4:
        return number(record.backAfterSecondSample);
    case 5:
        return number(record.inUseBefore);
    case 12:
        return std::int64_t{record.processesTrimmed};
    case 13:
        return std::int64_t{record.processesSkipped};
    case 14:
        return std::int64_t{record.processesExcluded};
    case 15:
        return std::int64_t{record.processesInUse};
    case 16:
        return record.durationMs;
    default:
        break;
    }
    if (column >= static_cast<int>(kFirstAreaColumn) && column < static_cast<int>(kFirstAreaColumn + kMemoryAreaCount)) {
        const AreaResult& result = record.areas[static_cast<std::size_t>(column) - kFirstAreaColumn];
        if (result.outcome == AreaOutcome::NotChosen)
            return {};
        if (result.outcome == AreaOutcome::Done && result.effectBytes)
            return *result.effectBytes;
        return ResultText(result);
    }
    return {};
}

}  // namespace

std::vector<std::string> HistoryColumnHeadings() {
    static constexpr TextId kHeadings[kHistoryColumnCount] = {
        IDS_HISTORY_COLUMN_STARTED,        IDS_HISTORY_COLUMN_TRIGGER,         IDS_HISTORY_COLUMN_FREED,
        IDS_HISTORY_COLUMN_BACK_AFTER_30_S, IDS_HISTORY_COLUMN_BACK_AFTER_5_MIN, IDS_HISTORY_COLUMN_IN_USE_BEFORE,
        IDS_HISTORY_COLUMN_WORKING_SETS,   IDS_HISTORY_COLUMN_SWEEP,           IDS_HISTORY_COLUMN_SYSTEM_CACHE,
        IDS_HISTORY_COLUMN_MODIFIED_LIST,  IDS_HISTORY_COLUMN_STANDBY_LIST,    IDS_HISTORY_COLUMN_COMBINED_PAGES,
        IDS_HISTORY_COLUMN_TRIMMED,        IDS_HISTORY_COLUMN_SKIPPED,         IDS_HISTORY_COLUMN_EXCLUDED,
        IDS_HISTORY_COLUMN_IN_USE,         IDS_HISTORY_COLUMN_DURATION};
    std::vector<std::string> headings;
    headings.reserve(kHistoryColumnCount);
    for (TextId heading : kHeadings)
        headings.push_back(Text(heading));
    return headings;
}

std::vector<std::string> HistoryCells(const RunRecord& record) {
    std::vector<std::string> cells{StartedCell(record),
                                   RunTriggerText(record.trigger),
                                   MB(record.freed),
                                   MB(record.backAfterFirstSample),
                                   MB(record.backAfterSecondSample),
                                   MB(record.inUseBefore)};
    for (const AreaResult& result : record.areas)
        cells.push_back(ResultText(result));
    cells.push_back(FormatCount(record.processesTrimmed));
    cells.push_back(FormatCount(record.processesSkipped));
    cells.push_back(FormatCount(record.processesExcluded));
    cells.push_back(FormatCount(record.processesInUse));
    cells.push_back(FormatCount(record.durationMs));
    return cells;
}

std::vector<std::size_t> HistoryOrder(const std::deque<RunRecord>& records, int column, bool ascending) {
    std::vector<std::size_t> order(records.size());
    for (std::size_t i = 0; i < order.size(); ++i)
        order[i] = order.size() - 1 - i;  // newest first among equals
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        const SortKey keyA = KeyOf(records[a], column);
        const SortKey keyB = KeyOf(records[b], column);
        const bool emptyA = std::holds_alternative<std::monostate>(keyA);
        const bool emptyB = std::holds_alternative<std::monostate>(keyB);
        if (emptyA || emptyB)
            return !emptyA && emptyB;
        if (keyA.index() != keyB.index())
            return keyA.index() < keyB.index();  // numbers before words
        return ascending ? keyA < keyB : keyB < keyA;
    });
    return order;
}

std::string MemoryListsText(const MemoryReading& reading) {
    const std::string inUse = FiguredMB(reading.inUse);
    const std::string commitCharge = FiguredMB(reading.commitCharge);
    if (reading.listsSource == ReadingSource::None)
        return FormatText(IDS_HISTORY_TOTALS, {inUse, commitCharge}) + "\r\n" +
               FormatText(IDS_HISTORY_NO_LISTS, {ReadingSourceText(reading.inUseSource)});
    const std::string modified = FiguredMB(reading.modified);
    const std::string standby = FiguredMB(reading.standby);
    const std::string free = FiguredMB(reading.free);
    const std::string zeroed = FiguredMB(reading.zeroed);
    const std::string figures =
        reading.standbyByPriority
            ? FormatText(IDS_HISTORY_LISTS_BY_PRIORITY, {inUse, commitCharge, modified, standby,
                                                         FiguredMB((*reading.standbyByPriority)[0]), free, zeroed})
            : FormatText(IDS_HISTORY_LISTS, {inUse, commitCharge, modified, standby, free, zeroed});
    return figures + "\r\n" +
           FormatText(IDS_HISTORY_READ_FROM, {ReadingSourceText(reading.listsSource),
                                              ReadingSourceText(reading.inUseSource),
                                              ReadingSourceText(reading.totalsSource)});
}

}  // namespace qmo
