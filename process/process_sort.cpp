#include "process/process_sort.h"

#include <algorithm>
#include <string_view>

namespace qmo {
namespace {

unsigned char FoldCase(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte >= 'A' && byte <= 'Z' ? static_cast<unsigned char>(byte - 'A' + 'a') : byte;
}

int CompareFolded(std::string_view a, std::string_view b) {
    const std::size_t common = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < common; ++i) {
        const unsigned char x = FoldCase(a[i]);
        const unsigned char y = FoldCase(b[i]);
        if (x != y)
            return x < y ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

int CompareBytes(const std::optional<std::uint64_t>& a, const std::optional<std::uint64_t>& b) {
    if (a == b)
        return 0;
    return a < b ? -1 : 1;  // an empty optional is below every value
}

}  // namespace

int CompareProcessRows(const ProcessEntry& a, const ProcessEntry& b, int column) {
    switch (column) {
    case kNameColumn:
        return CompareFolded(a.name, b.name);
    case kMemoryColumn:
        return CompareBytes(a.workingSetBytes, b.workingSetBytes);
    case kPathColumn:
        return CompareFolded(a.path, b.path);
    case kCommittedColumn:
        return CompareBytes(a.committedBytes, b.committedBytes);
    default:
        return 0;
    }
}

void SortProcessRows(std::vector<ProcessEntry>& rows, int column, bool ascending) {
    std::stable_sort(rows.begin(), rows.end(), [column, ascending](const ProcessEntry& a, const ProcessEntry& b) {
        const int order = CompareProcessRows(a, b, column);
        return ascending ? order < 0 : order > 0;
    });
}

}  // namespace qmo
