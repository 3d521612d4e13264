#include "optimizer/run_events.h"

#include "optimizer/run_history.h"

namespace qmo {
namespace {

constexpr std::string_view kNotMeasured = "not measured";

std::string AreaResultWords(const AreaResult& result) {
    switch (result.outcome) {
    case AreaOutcome::Done:
        return result.effectBytes ? "freed " + EventMebibytes(*result.effectBytes) : "done, " + std::string(kNotMeasured);
    case AreaOutcome::Failed:
        return result.statusText.empty() ? "failed" : "failed (" + result.statusText + ")";
    case AreaOutcome::NotAvailable:
        return "not available on this system";
    case AreaOutcome::AcceptedNotMeasured:
        return "accepted, its effect could not be measured";
    case AreaOutcome::NotNeeded:
        return "left out, memory was not short";
    case AreaOutcome::NotChosen:
        break;
    }
    return {};
}

}  // namespace

std::string EventMebibytes(std::int64_t bytes) {
    return WholeMiB(bytes) + " MiB";
}

std::string EventAreaSummary(const AreaResults& areas) {
    std::string summary;
    for (const MemoryArea area : kAllMemoryAreas) {
        const AreaResult& result = ResultOf(areas, area);
        if (result.outcome == AreaOutcome::NotChosen)
            continue;
        if (!summary.empty())
            summary += "; ";
        summary += std::string(MemoryAreaName(area)) + ": " + AreaResultWords(result);
    }
    return summary.empty() ? "none" : summary;
}

ProgramEvent RunEventOf(const RunRecord& record) {
    for (const AreaResult& result : record.areas)
        if (result.outcome == AreaOutcome::Failed)
            return ProgramEvent::RunAreaFailed;
    return ProgramEvent::RunDone;
}

std::vector<std::string> RunEventInserts(const RunRecord& record) {
    return {std::string(RunTriggerName(record.trigger)), EventAreaSummary(record.areas),
            record.freed ? EventMebibytes(*record.freed) : std::string(kNotMeasured)};
}

std::optional<std::vector<std::string>> ReboundEventInserts(const RunRecord& record, std::uint32_t delayMs) {
    if (!record.backAfterSecondSample)
        return std::nullopt;
    const bool minutes = delayMs % 60000 == 0;
    const std::uint32_t count = minutes ? delayMs / 60000 : delayMs / 1000;
    const std::string later =
        std::to_string(count) + (minutes ? " minute" : " second") + (count == 1 ? "" : "s");
    return std::vector<std::string>{FormatStartedTime(record), EventMebibytes(*record.backAfterSecondSample), later};
}

}  // namespace qmo
