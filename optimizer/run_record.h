#pragma once
// What one optimization did: when and why it ran, each area's result, and
// memory in use before, right after and twice later (the rebound).
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "optimizer/memory_areas.h"
#include "optimizer/optimization_gate.h"

namespace qmo {

// "menu", "tray", "page", "navigation", "popup", "hotkey", "command line",
// "automatic", "selected": the names the history file keeps, never translated.
std::string_view RunTriggerName(RunTrigger trigger);
std::optional<RunTrigger> RunTriggerNamed(std::string_view name);
// The trigger as the history window shows it, in the user's language.
std::string RunTriggerText(RunTrigger trigger);

struct RunRecord {
    std::int64_t startedUnixSeconds = 0;  // when the run started, UTC
    std::int32_t utcOffsetMinutes = 0;    // the local clock's offset then
    RunTrigger trigger = RunTrigger::Menu;
    AreaResults areas{};
    std::optional<std::int64_t> inUseBefore;  // bytes
    // Where the run's figures were read: memory in use, and the lists the
    // areas' effects are measured on.
    ReadingSource inUseSource = ReadingSource::None;
    ReadingSource listsSource = ReadingSource::None;
    std::optional<std::int64_t> freed;        // bytes, in use before minus in use after; negative when it grew
    // Bytes of what was freed in use again at the first (30 s) and second
    // (5 min) late sample: in use then minus in use right after the run.
    std::optional<std::int64_t> backAfterFirstSample;
    std::optional<std::int64_t> backAfterSecondSample;
    std::optional<std::int64_t> pageFaultsBySecondSample;  // between the run's end and the second sample
    std::int32_t processesTrimmed = 0;
    std::int32_t processesSkipped = 0;
    std::int32_t processesExcluded = 0;  // left alone as the exclusions name them
    std::int32_t processesInUse = 0;     // left alone by an automatic run: in the foreground, or busy
    std::int64_t durationMs = 0;

    bool operator==(const RunRecord&) const = default;
};

}  // namespace qmo
