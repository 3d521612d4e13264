// The history file's reader for arbitrary file text: every row it keeps
// formats and reads back to the same row, it never keeps more rows than the
// history holds, and what it writes back is read whole.
#include <cstdlib>
#include <string_view>

#include "optimizer/run_history.h"

namespace {

void Require(bool condition) {
    if (!condition)
        std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    for (const bool cut : {false, true}) {
        const std::vector<qmo::RunRecord> records = qmo::ParseHistory(text, cut);
        Require(records.size() <= qmo::kHistoryCapacity);
        std::deque<qmo::RunRecord> kept(records.begin(), records.end());
        for (const qmo::RunRecord& record : kept) {
            const std::string row = qmo::FormatHistoryRow(record);
            const std::optional<qmo::RunRecord> again = qmo::ParseHistoryRow(row);
            Require(again.has_value() && qmo::FormatHistoryRow(*again) == row);
        }
        Require(qmo::ParseHistory(qmo::FormatHistory(kept), false).size() == kept.size());
    }
    return 0;
}
