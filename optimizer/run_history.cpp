#include "optimizer/run_history.h"

#include <array>
#include <cstdio>
#include <limits>

namespace qmo {
namespace {

constexpr std::int64_t kBytesPerMiB = std::int64_t{1024} * 1024;
// Files written before the two counts of processes left alone have fewer
// columns; their rows read with those counts at 0.
constexpr std::size_t kEarlierColumnCount = 19;
constexpr std::size_t kColumnCount = 21;
constexpr std::string_view kEarlierHeader =
    "started,trigger,areas,working sets,sweep,system cache,modified list,standby list,combined pages,"
    "in use before (MiB),freed (MiB),back after 30 s (MiB),back after 5 min (MiB),page faults after 5 min,"
    "processes trimmed,processes skipped,duration (ms),in use read from,lists read from";
constexpr std::string_view kHeader =
    "started,trigger,areas,working sets,sweep,system cache,modified list,standby list,combined pages,"
    "in use before (MiB),freed (MiB),back after 30 s (MiB),back after 5 min (MiB),page faults after 5 min,"
    "processes trimmed,processes skipped,duration (ms),in use read from,lists read from,"
    "processes excluded,processes in use";
constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
constexpr std::string_view kNotAvailable = "not available";
constexpr std::string_view kAccepted = "accepted, effect not measured";
constexpr std::string_view kNotNeeded = "not needed";

// ---- numbers --------------------------------------------------------------

std::optional<std::int64_t> ParseInteger(std::string_view text) {
    bool negative = false;
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    if (text.empty() || text.size() > 19)
        return std::nullopt;
    std::uint64_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + static_cast<std::uint64_t>(c - '0');
    }
    const auto limit = static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max());
    if (value > limit + (negative ? 1 : 0))
        return std::nullopt;
    if (negative)
        return value == limit + 1 ? std::numeric_limits<std::int64_t>::min() : -static_cast<std::int64_t>(value);
    return static_cast<std::int64_t>(value);
}

std::string MiB(std::optional<std::int64_t> bytes) {
    return bytes ? WholeMiB(*bytes) : std::string();
}

// Empty for an empty cell; false for a cell that is not a figure of ours.
bool ParseMiB(std::string_view cell, std::optional<std::int64_t>& bytes) {
    bytes.reset();
    if (cell.empty())
        return true;
    const std::optional<std::int64_t> mib = ParseInteger(cell);
    if (!mib || *mib > std::numeric_limits<std::int64_t>::max() / kBytesPerMiB ||
        *mib < std::numeric_limits<std::int64_t>::min() / kBytesPerMiB)
        return false;
    bytes = *mib * kBytesPerMiB;
    return true;
}

bool ParseCount(std::string_view cell, std::optional<std::int64_t>& count) {
    count.reset();
    if (cell.empty())
        return true;
    count = ParseInteger(cell);
    return count.has_value();
}

bool ParseProcessCount(std::string_view cell, std::int32_t& count) {
    std::optional<std::int64_t> value;
    if (!ParseCount(cell, value) || !value || *value < 0 || *value > std::numeric_limits<std::int32_t>::max())
        return false;
    count = static_cast<std::int32_t>(*value);
    return true;
}

// ---- dates ----------------------------------------------------------------

// Days since 1970-01-01 of a civil date, and back (proleptic Gregorian).
std::int64_t DaysFromCivil(std::int64_t year, unsigned month, unsigned day) {
    year -= month <= 2;
    const std::int64_t era = (year >= 0 ? year : year - 399) / 400;
    const auto yearOfEra = static_cast<unsigned>(year - era * 400);
    const unsigned dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const unsigned dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + static_cast<std::int64_t>(dayOfEra) - 719468;
}

void CivilFromDays(std::int64_t days, std::int64_t& year, unsigned& month, unsigned& day) {
    days += 719468;
    const std::int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    const auto dayOfEra = static_cast<unsigned>(days - era * 146097);
    const unsigned yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const unsigned dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const unsigned shiftedMonth = (5 * dayOfYear + 2) / 153;
    day = dayOfYear - (153 * shiftedMonth + 2) / 5 + 1;
    month = shiftedMonth < 10 ? shiftedMonth + 3 : shiftedMonth - 9;
    year = static_cast<std::int64_t>(yearOfEra) + era * 400 + (month <= 2);
}

constexpr std::int64_t kSecondsPerDay = 86400;
// Years 1 to 9999: what four digits hold.
constexpr std::int64_t kFirstSecond = -62135596800;
constexpr std::int64_t kLastSecond = 253402300799;
constexpr std::int32_t kLongestOffsetMinutes = 18 * 60;

std::string FormatStarted(std::int64_t unixSeconds, std::int32_t offsetMinutes) {
    if (offsetMinutes < -kLongestOffsetMinutes || offsetMinutes > kLongestOffsetMinutes)
        offsetMinutes = 0;
    std::int64_t local = unixSeconds + std::int64_t{offsetMinutes} * 60;
    if (local < kFirstSecond || local > kLastSecond)
        local = 0, offsetMinutes = 0;
    std::int64_t days = local / kSecondsPerDay;
    std::int64_t second = local % kSecondsPerDay;
    if (second < 0) {
        second += kSecondsPerDay;
        --days;
    }
    std::int64_t year = 0;
    unsigned month = 0, day = 0;
    CivilFromDays(days, year, month, day);
    const int offset = offsetMinutes < 0 ? -offsetMinutes : offsetMinutes;
    char text[40] = {};
    std::snprintf(text, sizeof(text), "%04lld-%02u-%02uT%02lld:%02lld:%02lld%c%02d:%02d", static_cast<long long>(year),
                  month, day, static_cast<long long>(second / 3600), static_cast<long long>(second / 60 % 60),
                  static_cast<long long>(second % 60), offsetMinutes < 0 ? '-' : '+', offset / 60, offset % 60);
    return text;
}

// "2026-12-09T14:02:05+01:00"
bool ParseStarted(std::string_view text, std::int64_t& unixSeconds, std::int32_t& offsetMinutes) {
    if (text.size() != 25 || text[4] != '-' || text[7] != '-' || text[10] != 'T' || text[13] != ':' ||
        text[16] != ':' || (text[19] != '+' && text[19] != '-') || text[22] != ':')
        return false;
    const auto number = [&](std::size_t at, std::size_t length, int lowest, int highest, int& value) {
        value = 0;
        for (std::size_t i = at; i < at + length; ++i) {
            if (text[i] < '0' || text[i] > '9')
                return false;
            value = value * 10 + (text[i] - '0');
        }
        return value >= lowest && value <= highest;
    };
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0, offsetHours = 0, offsetMins = 0;
    if (!number(0, 4, 1, 9999, year) || !number(5, 2, 1, 12, month) || !number(8, 2, 1, 31, day) ||
        !number(11, 2, 0, 23, hour) || !number(14, 2, 0, 59, minute) || !number(17, 2, 0, 59, second) ||
        !number(20, 2, 0, 18, offsetHours) || !number(23, 2, 0, 59, offsetMins))
        return false;
    std::int64_t checkYear = 0;
    unsigned checkMonth = 0, checkDay = 0;
    const std::int64_t days = DaysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day));
    CivilFromDays(days, checkYear, checkMonth, checkDay);
    if (checkMonth != static_cast<unsigned>(month) || checkDay != static_cast<unsigned>(day))
        return false;  // the 31st of a shorter month
    offsetMinutes = (offsetHours * 60 + offsetMins) * (text[19] == '-' ? -1 : 1);
    if (offsetMinutes < -kLongestOffsetMinutes || offsetMinutes > kLongestOffsetMinutes)
        return false;
    unixSeconds = days * kSecondsPerDay + std::int64_t{hour} * 3600 + std::int64_t{minute} * 60 + second -
                  std::int64_t{offsetMinutes} * 60;
    return true;
}

// ---- cells ----------------------------------------------------------------

// Rows are lines: a control character in a text becomes a space.
std::string OneLine(std::string_view text) {
    std::string line(text);
    for (char& c : line)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
            c = ' ';
    return line;
}

std::string Quoted(const std::string& cell) {
    if (cell.find_first_of(",\"") == std::string::npos)
        return cell;
    std::string quoted = "\"";
    for (char c : cell) {
        if (c == '"')
            quoted += '"';
        quoted += c;
    }
    return quoted + '"';
}

// The cells of one line; false when its quotes do not close.
bool SplitCells(std::string_view line, std::vector<std::string>& cells) {
    cells.clear();
    std::string cell;
    bool quoted = false;
    for (std::size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (quoted) {
            if (c != '"') {
                cell += c;
            } else if (i + 1 < line.size() && line[i + 1] == '"') {
                cell += '"';
                ++i;
            } else {
                quoted = false;
            }
        } else if (c == '"') {
            quoted = true;
        } else if (c == ',') {
            cells.push_back(std::move(cell));
            cell.clear();
        } else {
            cell += c;
        }
        if (cells.size() > kColumnCount)
            return false;
    }
    if (quoted)
        return false;
    cells.push_back(std::move(cell));
    return true;
}

constexpr std::array<std::string_view, kMemoryAreaCount> kAreaNames{
    "working sets", "sweep", "system cache", "modified list", "standby list", "combined pages"};

std::string ResultCell(const AreaResult& result) {
    switch (result.outcome) {
    case AreaOutcome::NotChosen:
        return {};
    case AreaOutcome::Done:
        return result.effectBytes ? "done " + MiB(result.effectBytes) + " MiB" : "done";
    case AreaOutcome::Failed: {
        char status[16] = {};
        std::snprintf(status, sizeof(status), "0x%08X", static_cast<unsigned>(result.status));
        const std::string words = OneLine(result.statusText);
        return "failed " + std::string(status) + (words.empty() ? "" : " " + words);
    }
    case AreaOutcome::NotAvailable:
        return std::string(kNotAvailable);
    case AreaOutcome::AcceptedNotMeasured:
        return std::string(kAccepted);
    case AreaOutcome::NotNeeded:
        return std::string(kNotNeeded);
    }
    return {};
}

bool ParseResultCell(std::string_view cell, AreaResult& result) {
    result = AreaResult{};
    if (cell.empty())
        return true;
    if (cell == kNotAvailable) {
        result.outcome = AreaOutcome::NotAvailable;
        return true;
    }
    if (cell == kAccepted) {
        result.outcome = AreaOutcome::AcceptedNotMeasured;
        return true;
    }
    if (cell == kNotNeeded) {
        result.outcome = AreaOutcome::NotNeeded;
        return true;
    }
    if (cell == "done") {
        result.outcome = AreaOutcome::Done;
        return true;
    }
    if (cell.starts_with("done ") && cell.ends_with(" MiB")) {
        result.outcome = AreaOutcome::Done;
        return ParseMiB(cell.substr(5, cell.size() - 9), result.effectBytes) && result.effectBytes;
    }
    if (!cell.starts_with("failed 0x") || cell.size() < 17)
        return false;
    std::uint32_t status = 0;
    for (char c : cell.substr(9, 8)) {
        const int digit = c >= '0' && c <= '9' ? c - '0' : c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
        if (digit < 0)
            return false;
        status = status * 16 + static_cast<std::uint32_t>(digit);
    }
    if (cell.size() > 17 && cell[17] != ' ')
        return false;
    result.outcome = AreaOutcome::Failed;
    result.status = status;
    result.statusText = cell.size() > 18 ? std::string(cell.substr(18)) : std::string();
    return true;
}

std::string AreasCell(const AreaResults& areas) {
    std::string cell;
    for (std::size_t i = 0; i < kMemoryAreaCount; ++i) {
        if (areas[i].outcome == AreaOutcome::NotChosen)
            continue;
        if (!cell.empty())
            cell += '+';
        cell += kAreaNames[i];
    }
    return cell;
}

std::string_view WithoutLineEnd(std::string_view line) {
    if (!line.empty() && line.back() == '\r')
        line.remove_suffix(1);
    return line;
}

bool Blank(std::string_view line) {
    return line.find_first_not_of(" \t") == std::string_view::npos;
}

struct ParsedHistory {
    std::vector<RunRecord> records;
    bool ours = false;           // our header, or the end of a file of ours
    std::size_t dropped = 0;     // lines that were not rows
};

ParsedHistory Parse(std::string_view text, bool cutAtStart) {
    ParsedHistory parsed;
    if (text.starts_with(kUtf8Bom))
        text.remove_prefix(kUtf8Bom.size());
    bool first = true;
    bool skipPartial = cutAtStart;
    parsed.ours = cutAtStart;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        const std::string_view line = WithoutLineEnd(text.substr(0, end));
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        if (skipPartial) {
            skipPartial = false;
            continue;
        }
        if (Blank(line))
            continue;
        if (first && !cutAtStart) {
            first = false;
            if (line != kHeader && line != kEarlierHeader)
                return parsed;  // not a file of ours
            parsed.ours = true;
            continue;
        }
        if (line == kHeader || line == kEarlierHeader)
            continue;
        if (std::optional<RunRecord> record = ParseHistoryRow(line))
            parsed.records.push_back(std::move(*record));
        else
            ++parsed.dropped;
    }
    if (parsed.records.size() > kHistoryCapacity) {
        parsed.dropped += parsed.records.size() - kHistoryCapacity;
        parsed.records.erase(parsed.records.begin(),
                             parsed.records.end() - static_cast<std::ptrdiff_t>(kHistoryCapacity));
    }
    return parsed;
}

}  // namespace

std::string FormatStartedTime(const RunRecord& record) {
    return FormatStarted(record.startedUnixSeconds, record.utcOffsetMinutes);
}

std::string WholeMiB(std::int64_t bytes) {
    return std::to_string(bytes / kBytesPerMiB);
}

std::string HistoryHeaderRow() {
    return std::string(kHeader);
}

std::string FormatHistoryRow(const RunRecord& record) {
    std::string row = FormatStarted(record.startedUnixSeconds, record.utcOffsetMinutes);
    row += ',' + Quoted(std::string(RunTriggerName(record.trigger)));
    row += ',' + Quoted(AreasCell(record.areas));
    for (const AreaResult& result : record.areas)
        row += ',' + Quoted(ResultCell(result));
    for (const std::optional<std::int64_t>& bytes : {record.inUseBefore, record.freed, record.backAfterFirstSample,
                                                     record.backAfterSecondSample})
        row += ',' + MiB(bytes);
    row += ',' + (record.pageFaultsBySecondSample ? std::to_string(*record.pageFaultsBySecondSample) : std::string());
    row += ',' + std::to_string(record.processesTrimmed);
    row += ',' + std::to_string(record.processesSkipped);
    row += ',' + std::to_string(record.durationMs);
    row += ',' + std::string(ReadingSourceName(record.inUseSource));
    row += ',' + std::string(ReadingSourceName(record.listsSource));
    row += ',' + std::to_string(record.processesExcluded);
    row += ',' + std::to_string(record.processesInUse);
    return row;
}

std::optional<RunRecord> ParseHistoryRow(std::string_view line) {
    std::vector<std::string> cells;
    if (!SplitCells(WithoutLineEnd(line), cells) ||
        (cells.size() != kColumnCount && cells.size() != kEarlierColumnCount))
        return std::nullopt;
    RunRecord record;
    if (!ParseStarted(cells[0], record.startedUnixSeconds, record.utcOffsetMinutes))
        return std::nullopt;
    const std::optional<RunTrigger> trigger = RunTriggerNamed(cells[1]);
    if (!trigger)
        return std::nullopt;
    record.trigger = *trigger;
    for (std::size_t i = 0; i < kMemoryAreaCount; ++i)
        if (!ParseResultCell(cells[3 + i], record.areas[i]))
            return std::nullopt;
    if (!ParseMiB(cells[9], record.inUseBefore) || !ParseMiB(cells[10], record.freed) ||
        !ParseMiB(cells[11], record.backAfterFirstSample) || !ParseMiB(cells[12], record.backAfterSecondSample) ||
        !ParseCount(cells[13], record.pageFaultsBySecondSample))
        return std::nullopt;
    std::optional<std::int64_t> duration;
    if (!ParseProcessCount(cells[14], record.processesTrimmed) || !ParseProcessCount(cells[15], record.processesSkipped) ||
        !ParseCount(cells[16], duration) || !duration || *duration < 0)
        return std::nullopt;
    record.durationMs = *duration;
    const std::optional<ReadingSource> inUseSource = ReadingSourceNamed(cells[17]);
    const std::optional<ReadingSource> listsSource = ReadingSourceNamed(cells[18]);
    if (!inUseSource || !listsSource)
        return std::nullopt;
    record.inUseSource = *inUseSource;
    record.listsSource = *listsSource;
    if (cells.size() == kColumnCount &&
        (!ParseProcessCount(cells[19], record.processesExcluded) || !ParseProcessCount(cells[20], record.processesInUse)))
        return std::nullopt;
    return record;
}

std::string FormatHistory(const std::deque<RunRecord>& records) {
    std::string text = HistoryHeaderRow() + "\r\n";
    for (const RunRecord& record : records)
        text += FormatHistoryRow(record) + "\r\n";
    return text;
}

std::vector<RunRecord> ParseHistory(std::string_view text, bool cutAtStart) {
    return Parse(text, cutAtStart).records;
}

void RunHistory::Load() {
    bool cut = false;
    const std::optional<std::string> text = m_store.ReadEnd(kHistoryReadLimitBytes, cut);
    if (!text)
        return;
    ParsedHistory parsed = Parse(*text, cut);
    m_records.assign(parsed.records.begin(), parsed.records.end());
    m_firstRow = 0;
    // A file of ours that needed mending is written back mended; another
    // program's file is left alone until the first run replaces it.
    if (parsed.ours && (cut || parsed.dropped > 0))
        Save();
}

std::uint64_t RunHistory::Add(const RunRecord& record) {
    m_records.push_back(record);
    while (m_records.size() > kHistoryCapacity) {
        m_records.pop_front();
        ++m_firstRow;
    }
    Save();
    return m_firstRow + m_records.size() - 1;
}

bool RunHistory::Update(std::uint64_t row, const std::function<void(RunRecord&)>& change) {
    if (row < m_firstRow || row - m_firstRow >= m_records.size())
        return false;
    change(m_records[static_cast<std::size_t>(row - m_firstRow)]);
    Save();
    return true;
}

void RunHistory::Save() {
    m_store.Replace(FormatHistory(m_records));
}

}  // namespace qmo
