#include "framework/event_log_win32.h"

#include "events.h"
#include "framework/text.h"

namespace qmo {

DWORD EventMessageId(ProgramEvent event) noexcept {
    switch (event) {
    case ProgramEvent::RunDone:
        return QMO_EVENT_RUN_DONE;
    case ProgramEvent::RunAreaFailed:
        return QMO_EVENT_RUN_AREA_FAILED;
    case ProgramEvent::Rebound:
        return QMO_EVENT_REBOUND;
    case ProgramEvent::CriticalLimit:
        return QMO_EVENT_CRITICAL_LIMIT;
    case ProgramEvent::PolicyValueIgnored:
        return QMO_EVENT_POLICY_VALUE_IGNORED;
    }
    return QMO_EVENT_RUN_DONE;
}

WORD EventLogType(ProgramEvent event) noexcept {
    switch (event) {
    case ProgramEvent::RunAreaFailed:
        return EVENTLOG_ERROR_TYPE;
    case ProgramEvent::CriticalLimit:
    case ProgramEvent::PolicyValueIgnored:
        return EVENTLOG_WARNING_TYPE;
    default:
        return EVENTLOG_INFORMATION_TYPE;
    }
}

void ApplicationEventLog::Report(ProgramEvent event, const std::vector<std::string>& inserts) {
    if (!m_source && !m_registerFailed) {
        m_source.reset(::RegisterEventSourceW(nullptr, kEventSourceName));
        m_registerFailed = !m_source;
    }
    if (!m_source)
        return;
    std::vector<std::wstring> wide;
    wide.reserve(inserts.size());
    for (const std::string& insert : inserts)
        wide.push_back(Widen(insert));
    std::vector<LPCWSTR> strings;
    strings.reserve(wide.size());
    for (const std::wstring& insert : wide)
        strings.push_back(insert.c_str());
    ::ReportEventW(m_source.get(), EventLogType(event), 0, EventMessageId(event), nullptr,
                   static_cast<WORD>(strings.size()), 0, strings.empty() ? nullptr : strings.data(), nullptr);
}

}  // namespace qmo
