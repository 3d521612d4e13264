#pragma once
// The program's events in the Windows Application log, under the source
// "Quenvale Memory Optimizer". Each event is one of the message table's, its
// severity fixed by the table; the inserts fill its %1, %2... Portable: the
// log is reached through the seam below.
#include <cstdint>
#include <string>
#include <vector>

namespace qmo {

enum class ProgramEvent : std::uint8_t {
    RunDone,            // Information: a run, its trigger, areas and what it freed
    RunAreaFailed,      // Error: a run that could not clean an area it was asked to
    Rebound,            // Information: what of the freed memory was in use again later
    CriticalLimit,      // Warning: committed memory crossed the critical limit
    PolicyValueIgnored  // Warning: a policy value that is not valid, ignored
};

class EventLog {
public:
    virtual ~EventLog() = default;
    // Writes the event; a log that cannot be written is left alone.
    virtual void Report(ProgramEvent event, const std::vector<std::string>& inserts) = 0;
};

}  // namespace qmo
