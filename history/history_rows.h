#pragma once
// What the history window shows of the runs and of the live memory lists:
// the cells of each run, the order of the runs by any column, and the lines
// that describe a reading. Portable.
#include <cstddef>
#include <deque>
#include <string>
#include <vector>

#include "optimizer/memory_reading.h"
#include "optimizer/run_record.h"

namespace qmo {

inline constexpr std::size_t kHistoryColumnCount = 17;
inline constexpr int kHistoryStartedColumn = 0;

// The columns' headings, in order.
std::vector<std::string> HistoryColumnHeadings();

// The cells of one run, a text per column; empty where nothing is known.
std::vector<std::string> HistoryCells(const RunRecord& record);

// The runs' positions in `records` in the order of `column`: numbers as
// numbers, times as times; a run without a value in that column comes last
// either way. Equal values keep the newer run first.
std::vector<std::size_t> HistoryOrder(const std::deque<RunRecord>& records, int column, bool ascending);

// Two lines on the lists: their figures in MB, then where they were read or
// that the lists cannot be read on this system.
std::string MemoryListsText(const MemoryReading& reading);

}  // namespace qmo
