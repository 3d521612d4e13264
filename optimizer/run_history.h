#pragma once
// The last runs, kept in a CSV file (UTF-8, a header row, one row per run,
// oldest first, at most kHistoryCapacity rows). A late sample fills its
// run's row in place. A missing, truncated, foreign or huge file is never
// fatal: its valid rows are kept, or the history starts anew. Portable: the
// file is reached through the seam below.
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "optimizer/run_record.h"

namespace qmo {

inline constexpr std::size_t kHistoryCapacity = 200;
// Rows are short: more than this at the file's end is not ours to read.
inline constexpr std::size_t kHistoryReadLimitBytes = std::size_t{1024} * 1024;

// Signed bytes as whole MiB, towards zero: "312", "-4".
std::string WholeMiB(std::int64_t bytes);

// The header row, without its line end.
std::string HistoryHeaderRow();
// One row, without its line end: figures in MiB (whole, towards zero),
// "started" in ISO 8601 with the offset ("2026-12-09T14:02:05+01:00").
std::string FormatHistoryRow(const RunRecord& record);
// When the run started, on the clock of its place: "2026-12-09T14:02:05+01:00".
std::string FormatStartedTime(const RunRecord& record);
// Empty when the line is not a row this program wrote.
std::optional<RunRecord> ParseHistoryRow(std::string_view line);

// The whole file: the header and the rows, each line ended with CR LF.
std::string FormatHistory(const std::deque<RunRecord>& records);
// The valid rows of a file's text, the last kHistoryCapacity of them, oldest
// first. `cutAtStart`: the text is the end of a longer file, so its first
// line may be a part of one. Without our header (when not cut) nothing is read.
std::vector<RunRecord> ParseHistory(std::string_view text, bool cutAtStart);

// Where the history's file lives.
class HistoryStore {
public:
    virtual ~HistoryStore() = default;
    // At most the last `limitBytes` bytes of the file; `cutAtStart` set when
    // the file was longer. Empty when there is no file or it cannot be read.
    virtual std::optional<std::string> ReadEnd(std::size_t limitBytes, bool& cutAtStart) = 0;
    // Replaces the whole file with `text`; the real store writes off the
    // user-interface thread and never leaves half a file behind.
    virtual void Replace(std::string text) = 0;
};

class RunHistory {
public:
    explicit RunHistory(HistoryStore& store) noexcept : m_store(store) {}

    // Reads the file once; a file that needed mending is written back mended.
    void Load();
    // Adds a run's row, dropping the oldest beyond the capacity, and saves.
    // Returns the row's number, which names it for Update.
    std::uint64_t Add(const RunRecord& record);
    // Changes a row in place and saves; false when that row is gone.
    bool Update(std::uint64_t row, const std::function<void(RunRecord&)>& change);

    const std::deque<RunRecord>& Records() const noexcept { return m_records; }

private:
    void Save();

    HistoryStore& m_store;
    std::deque<RunRecord> m_records;
    std::uint64_t m_firstRow = 0;  // the number of m_records.front()
};

}  // namespace qmo
