#pragma once
// The order of the process list's rows: names and paths by their text with
// A-Z folded to a-z, memory and committed memory by the number of bytes (a cell without a figure
// sorts below every number).
#include <vector>

#include "process/process_snapshot.h"

namespace qmo {

inline constexpr int kNameColumn = 0;
inline constexpr int kMemoryColumn = 1;
inline constexpr int kPathColumn = 2;
inline constexpr int kProcessColumnCount = 3;  // shown unless the user asks for more
// Shown when the header's menu asks for it.
inline constexpr int kCommittedColumn = 3;

// Negative, zero or positive as `a` sorts before, with or after `b` in ascending order.
int CompareProcessRows(const ProcessEntry& a, const ProcessEntry& b, int column);

// Stable: rows that compare equal keep their order, in either direction.
void SortProcessRows(std::vector<ProcessEntry>& rows, int column, bool ascending);

}  // namespace qmo
