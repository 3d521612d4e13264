#include "history/history_rows.h"

#include <algorithm>
#include <optional>
#include <variant>

#include "optimizer/run_history.h"

namespace qmo {
namespace {

constexpr std::int64_t kBytesPerMB = 1024 * 1024;
constexpr std::size_t kFirstAreaColumn = 6;

std::string MB(std::optional<std::int64_t> bytes) {
    return bytes ? std::to_string(*bytes / kBytesPerMB) : std::string();
}

std::string FiguredMB(std::optional<std::int64_t> bytes) {
    return bytes ? std::to_string(*bytes / kBytesPerMB) + " MB" : std::string("not known");
}

std::string ResultText(const AreaResult& result) {
    switch (result.outcome) {
    case AreaOutcome::NotChosen:
        return {};
    case AreaOutcome::Done:
        return result.effectBytes ? "done, " + MB(result.effectBytes) + " MB" : "done";
    case AreaOutcome::Failed:
        return "failed: " + (result.statusText.empty() ? std::string("no reason given") : result.statusText);
    case AreaOutcome::NotAvailable:
        return "not available";
    case AreaOutcome::AcceptedNotMeasured:
        return "accepted, not measured";
    case AreaOutcome::NotNeeded:
        return "not needed: memory was not short";
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
        return std::string(RunTriggerName(record.trigger));
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

const std::vector<std::string>& HistoryColumnHeadings() {
    static const std::vector<std::string> headings{
        "Started",       "Trigger",       "Freed (MB)",     "Back after 30 s", "Back after 5 min",
        "In use before", "Working sets",  "Sweep",          "System cache",    "Modified list",
        "Standby list",  "Combined pages", "Trimmed",       "Skipped",         "Excluded",
        "In use",        "Duration (ms)"};
    return headings;
}

std::vector<std::string> HistoryCells(const RunRecord& record) {
    std::string started = FormatStartedTime(record).substr(0, 19);
    std::replace(started.begin(), started.end(), 'T', ' ');
    std::vector<std::string> cells{std::move(started),
                                   std::string(RunTriggerName(record.trigger)),
                                   MB(record.freed),
                                   MB(record.backAfterFirstSample),
                                   MB(record.backAfterSecondSample),
                                   MB(record.inUseBefore)};
    for (const AreaResult& result : record.areas)
        cells.push_back(ResultText(result));
    cells.push_back(std::to_string(record.processesTrimmed));
    cells.push_back(std::to_string(record.processesSkipped));
    cells.push_back(std::to_string(record.processesExcluded));
    cells.push_back(std::to_string(record.processesInUse));
    cells.push_back(std::to_string(record.durationMs));
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
    std::string text = "In use " + FiguredMB(reading.inUse) + "   Commit charge " + FiguredMB(reading.commitCharge);
    if (reading.listsSource == ReadingSource::None) {
        text += "\r\nThe memory lists cannot be read on this system (in use read from " +
                std::string(ReadingSourceName(reading.inUseSource)) + ").";
        return text;
    }
    text += "   Modified " + FiguredMB(reading.modified) + "   Standby " + FiguredMB(reading.standby);
    if (reading.standbyByPriority)
        text += " (lowest priority " + FiguredMB((*reading.standbyByPriority)[0]) + ")";
    text += "   Free " + FiguredMB(reading.free) + "   Zeroed " + FiguredMB(reading.zeroed);
    text += "\r\nRead from: " + std::string(ReadingSourceName(reading.listsSource)) + "; in use from " +
            std::string(ReadingSourceName(reading.inUseSource)) + "; commit charge from " +
            std::string(ReadingSourceName(reading.totalsSource)) + ".";
    return text;
}

}  // namespace qmo
