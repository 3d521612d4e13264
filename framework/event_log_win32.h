#pragma once
// The Application log of this machine: the source is registered when the
// first event is written (so a program that writes none holds no handle) and
// kept until the log object goes.
#include <windows.h>

#include "framework/event_log.h"
#include "framework/unique_handle.h"

namespace qmo {

inline constexpr wchar_t kEventSourceName[] = L"Quenvale Memory Optimizer";

// The message table's id of an event, severity bits included, and the type it is reported as.
DWORD EventMessageId(ProgramEvent event) noexcept;
WORD EventLogType(ProgramEvent event) noexcept;

class ApplicationEventLog : public EventLog {
public:
    void Report(ProgramEvent event, const std::vector<std::string>& inserts) override;

private:
    using SourceHandle = unique_handle<null_is_invalid_traits<HANDLE, ::DeregisterEventSource>>;
    SourceHandle m_source;
    bool m_registerFailed = false;  // tried once; a log that cannot be opened is not asked again
};

}  // namespace qmo
