#pragma once
// The process list's header fits its columns to its width: every column an
// equal share (integer division).
#include <vector>

namespace qmo {

// `width` is the header's width, which leaves out a vertical scroll bar while
// the list shows one. Never negative.
std::vector<int> EqualColumnWidths(int width, int columnCount);

}  // namespace qmo
