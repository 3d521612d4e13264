#include "optimizer/memory_areas.h"

#include "framework/texts.h"
#include "res/optimizer_resource.h"

namespace qmo {

namespace {

constexpr std::uint32_t kErrorPrivilegeNotHeld = 1314;
constexpr std::uint32_t kNoReasonStatus = 0;

struct SystemAreaStep {
    MemoryArea area;
    SystemPrivilege privilege;
};

// The order a run cleans them in: the file cache first, so that what it lets
// go of reaches the lists the next steps empty.
constexpr SystemAreaStep kSteps[] = {
    {MemoryArea::SystemCache, SystemPrivilege::IncreaseQuota},
    {MemoryArea::ModifiedList, SystemPrivilege::ProfileSingleProcess},
    {MemoryArea::StandbyList, SystemPrivilege::ProfileSingleProcess},
    {MemoryArea::CombinePages, SystemPrivilege::ProfileSingleProcess},
};

bool Chosen(const MemoryAreaChoices& choices, MemoryArea area) {
    switch (area) {
    case MemoryArea::SystemCache:
        return choices.systemCache;
    case MemoryArea::ModifiedList:
        return choices.modifiedList;
    case MemoryArea::StandbyList:
        return choices.standbyList == StandbyListChoice::LowestPriorityOnly ||
               choices.standbyList == StandbyListChoice::All;
    case MemoryArea::CombinePages:
        return choices.combinePages;
    default:
        return false;
    }
}

bool AnswersNotImplemented(const CallAnswer& answer) {
    if (!answer.entryPointFound)
        return true;
    if (answer.succeeded)
        return false;
    if (answer.statusIsNt)
        return answer.status == 0xC0000002u     // STATUS_NOT_IMPLEMENTED
               || answer.status == 0xC0000003u  // STATUS_INVALID_INFO_CLASS
               || answer.status == 0xC00000BBu;  // STATUS_NOT_SUPPORTED
    return answer.status == 120u    // ERROR_CALL_NOT_IMPLEMENTED
           || answer.status == 50u;  // ERROR_NOT_SUPPORTED
}

// Which figure of a reading the area empties.
std::optional<std::int64_t> FigureOf(MemoryArea area, StandbyListChoice standby, const MemoryReading& reading,
                                     bool byPriorityOnBothSides) {
    switch (area) {
    case MemoryArea::SystemCache:
        return reading.systemCache;
    case MemoryArea::ModifiedList:
        return reading.modified;
    case MemoryArea::StandbyList:
        if (standby == StandbyListChoice::LowestPriorityOnly && byPriorityOnBothSides)
            return (*reading.standbyByPriority)[0];
        return reading.standby;
    default:
        return std::nullopt;
    }
}

}  // namespace

std::string_view MemoryAreaName(MemoryArea area) {
    switch (area) {
    case MemoryArea::WorkingSets:
        return "working sets";
    case MemoryArea::Sweep:
        return "sweep";
    case MemoryArea::SystemCache:
        return "system cache";
    case MemoryArea::ModifiedList:
        return "modified list";
    case MemoryArea::StandbyList:
        return "standby list";
    case MemoryArea::CombinePages:
        return "combined pages";
    }
    return "unknown area";
}

std::string FailureReasonText(std::string_view statusText) {
    struct OwnReason {
        std::string_view stored;
        TextId shown;
    };
    static constexpr OwnReason kOwnReasons[] = {
        {kReasonNoneGiven, IDS_REASON_NONE_GIVEN},
        {kReasonNoProcessList, IDS_REASON_NO_PROCESS_LIST},
        {kReasonSweepRunning, IDS_REASON_SWEEP_RUNNING},
        {kReasonProcessNotOpened, IDS_REASON_PROCESS_NOT_OPENED},
    };
    for (const OwnReason& reason : kOwnReasons)
        if (reason.stored == statusText)
            return Text(reason.shown);
    return std::string(statusText);
}

bool SystemAreaRunner::KnownUnavailable(MemoryArea area) const {
    return m_unavailable[static_cast<std::size_t>(area)];
}

void SystemAreaRunner::Run(const MemoryAreaChoices& choices, AreaResults& results) {
    // A privilege refused once is not asked for again within the run.
    std::array<bool, 2> refusedThisRun{};
    for (const SystemAreaStep& step : kSteps) {
        AreaResult& result = ResultOf(results, step.area);
        result = AreaResult{};
        if (!Chosen(choices, step.area))
            continue;
        // What the system said it does not do is not asked again.
        if (KnownUnavailable(step.area)) {
            result.outcome = AreaOutcome::NotAvailable;
            continue;
        }

        const auto privilege = static_cast<std::size_t>(step.privilege);
        if (!m_privilegeEnabled[privilege] && !refusedThisRun[privilege]) {
            m_privilegeEnabled[privilege] = m_calls.EnablePrivilege(step.privilege);
            refusedThisRun[privilege] = !m_privilegeEnabled[privilege];
        }
        if (!m_privilegeEnabled[privilege]) {
            Fail(CallAnswer{true, false, kErrorPrivilegeNotHeld, false}, result);
            continue;
        }

        const MemoryReading before = m_reader.Read();
        std::optional<std::uint64_t> pagesCombined;
        CallAnswer answer;
        switch (step.area) {
        case MemoryArea::SystemCache:
            answer = m_calls.FlushSystemFileCache();
            break;
        case MemoryArea::ModifiedList:
            answer = m_calls.MemoryListCommand(kMemoryFlushModifiedList);
            break;
        case MemoryArea::StandbyList:
            answer = m_calls.MemoryListCommand(choices.standbyList == StandbyListChoice::All
                                                   ? kMemoryPurgeStandbyList
                                                   : kMemoryPurgeLowPriorityStandbyList);
            break;
        default:
            answer = m_calls.CombinePhysicalMemory(pagesCombined);
            break;
        }
        const MemoryReading after = m_reader.Read();

        if (AnswersNotImplemented(answer)) {
            result.outcome = AreaOutcome::NotAvailable;
            m_unavailable[static_cast<std::size_t>(step.area)] = true;
        } else if (!answer.succeeded) {
            Fail(answer, result);
        } else {
            Judge(step.area, choices.standbyList, before, after, pagesCombined, result);
        }
    }
}

void SystemAreaRunner::Fail(const CallAnswer& answer, AreaResult& result) {
    result.outcome = AreaOutcome::Failed;
    result.status = answer.status;
    if (answer.status != kNoReasonStatus)
        result.statusText = m_calls.StatusText(answer);
    if (result.statusText.empty())
        result.statusText = kReasonNoneGiven;
}

// A call that answered success proves nothing by itself: only when the
// memory manager's own lists were read on both sides is the change its effect.
void SystemAreaRunner::Judge(MemoryArea area, StandbyListChoice standby, const MemoryReading& before,
                             const MemoryReading& after, std::optional<std::uint64_t> pagesCombined,
                             AreaResult& result) {
    result.outcome = AreaOutcome::AcceptedNotMeasured;
    if (before.listsSource != ReadingSource::MemoryListInformation ||
        after.listsSource != ReadingSource::MemoryListInformation)
        return;
    std::optional<std::int64_t> effect;
    if (area == MemoryArea::CombinePages) {
        if (pagesCombined)
            effect = PagesToBytes(*pagesCombined, m_calls.PageSize());
    } else {
        const bool byPriority = before.standbyByPriority.has_value() && after.standbyByPriority.has_value();
        effect = Difference(FigureOf(area, standby, after, byPriority), FigureOf(area, standby, before, byPriority));
    }
    if (!effect)
        return;
    result.outcome = AreaOutcome::Done;
    result.effectBytes = effect;
}

}  // namespace qmo
