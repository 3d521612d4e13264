#pragma once
// What the Application log is told of a run, in the message table's words
// (English, as the table is): one event when the run is recorded, an error
// when an area it was asked to clean failed, and a second event with what
// came back once the last late sample is in.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "framework/event_log.h"
#include "optimizer/run_record.h"

namespace qmo {

// Signed bytes as whole MiB, towards zero: "312 MiB", "-4 MiB".
std::string EventMebibytes(std::int64_t bytes);
// Every chosen area with its result, "; " between them.
std::string EventAreaSummary(const AreaResults& areas);

// The run's own event: RunAreaFailed when an area failed, else RunDone; the
// inserts are the trigger, the areas and what the run freed.
ProgramEvent RunEventOf(const RunRecord& record);
std::vector<std::string> RunEventInserts(const RunRecord& record);

// The rebound's event for a run whose second late sample is in, `delayMs`
// after it; none when that sample could not be read.
std::optional<std::vector<std::string>> ReboundEventInserts(const RunRecord& record, std::uint32_t delayMs);

}  // namespace qmo
