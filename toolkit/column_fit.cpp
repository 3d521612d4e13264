#include "toolkit/column_fit.h"

#include <algorithm>

namespace qmo {

std::vector<int> EqualColumnWidths(int width, int columnCount) {
    if (columnCount <= 0)
        return {};
    return std::vector<int>(static_cast<std::size_t>(columnCount), std::max(width, 0) / columnCount);
}

}  // namespace qmo
