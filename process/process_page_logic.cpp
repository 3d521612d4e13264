#include "process/process_page_logic.h"

#include "optimizer/exclusions.h"

#include <algorithm>

#include "process/process_sort.h"

namespace qmo {

namespace {

// Ids are given again once a process has exited; an id and a creation time
// together name one process. A time that could not be read confirms nothing.
bool SameCreationTime(const std::optional<std::uint64_t>& a, const std::optional<std::uint64_t>& b) {
    return a && b && *a == *b;
}

}  // namespace

void ProcessPageLogic::RefreshProcessList() {
    m_seams.RequestSnapshot();
}

void ProcessPageLogic::ApplySnapshot(std::vector<ProcessEntry> rows) {
    // The rows come a moment after they were asked for: the user may have
    // picked a row meanwhile, or scrolled, and should find both as they were.
    RowsPlacement placement{.selectedPid = std::nullopt, .keepScrollPosition = true, .revealSelected = false};
    if (const ProcessEntry* selected = SelectedRow()) {
        const bool stillRunning = std::any_of(rows.begin(), rows.end(), [&](const ProcessEntry& row) {
            return row.pid == selected->pid && SameCreationTime(row.creationTime, selected->creationTime);
        });
        if (stillRunning) {
            placement.selectedPid = selected->pid;
            placement.revealSelected = m_seams.SelectedRowInView();
        }
    }
    m_rows = std::move(rows);
    // The arrow must not claim an order the rows do not have.
    SortProcessRows(m_rows, m_sortColumn, m_sortAscending);
    m_seams.ShowRows(m_rows, placement);
}

void ProcessPageLogic::SortColumn(int column, bool ascending) {
    m_sortColumn = column;
    m_sortAscending = ascending;
    m_seams.ShowSortArrow(column, ascending);
    const std::optional<std::uint32_t> selectedPid = m_seams.SelectedProcessId();
    SortProcessRows(m_rows, column, ascending);
    // A new order: the view starts at the top, or wherever the selected row went.
    m_seams.ShowRows(m_rows, {.selectedPid = selectedPid, .keepScrollPosition = false, .revealSelected = true});
}

void ProcessPageLogic::OnColumnClick(int column) {
    SortColumn(column, !m_sortAscending);
}

void ProcessPageLogic::OnRefreshTimer(bool autoRefresh) {
    if (autoRefresh)
        RefreshProcessList();
}

// By id, never by position: the list may hold fewer rows than the snapshot.
const ProcessEntry* ProcessPageLogic::SelectedRow() const {
    const std::optional<std::uint32_t> pid = m_seams.SelectedProcessId();
    if (!pid)
        return nullptr;
    const auto found =
        std::find_if(m_rows.begin(), m_rows.end(), [&](const ProcessEntry& row) { return row.pid == *pid; });
    return found == m_rows.end() ? nullptr : &*found;
}

ProcessInspector::Handle ProcessPageLogic::OpenListedProcess(const ProcessEntry& row, std::uint32_t access,
                                                             PageMessage failedText) {
    ProcessInspector& system = m_seams.Inspector();
    const ProcessInspector::Handle process = system.OpenProcess(access, false, row.pid);
    if (!process) {
        m_seams.ShowMessage(std::string(failedText), MessageButtons::Ok);
        return 0;
    }
    if (!SameCreationTime(system.CreationTime(process), row.creationTime)) {
        system.CloseProcess(process);
        m_seams.ShowMessage(std::string(failedText), MessageButtons::Ok);
        RefreshProcessList();
        return 0;
    }
    return process;
}

void ProcessPageLogic::EndProcess() {
    if (!m_seams.EndProcessAllowed())
        return;
    const ProcessEntry* selected = SelectedRow();
    if (!selected) {
        m_seams.ShowMessage(std::string(kSelectToTerminateText), MessageButtons::Ok);
        return;
    }
    // A copy: a timer refresh while the question is open replaces the rows.
    const ProcessEntry row = *selected;
    if (m_seams.ShowMessage(std::string(kConfirmTerminateText), MessageButtons::YesNo) != MessageAnswer::Yes)
        return;
    const ProcessInspector::Handle process =
        OpenListedProcess(row, kProcessTerminate | kProcessQueryLimited, kTerminationFailedText);
    if (!process)
        return;
    ProcessInspector& system = m_seams.Inspector();
    const bool terminated = system.TerminateProcess(process, 0);
    system.CloseProcess(process);
    if (!terminated) {
        m_seams.ShowMessage(std::string(kCannotTerminateText), MessageButtons::Ok);
        return;
    }
    m_seams.ShowMessage(std::string(kTerminatedText), MessageButtons::Ok);
    RefreshProcessList();
}

void ProcessPageLogic::OptimizeSelectedProcess() {
    const ProcessEntry* selected = SelectedRow();
    if (!selected) {
        m_seams.ShowMessage(std::string(kSelectToOptimizeText), MessageButtons::Ok);
        return;
    }
    const ProcessEntry row = *selected;
    if (ExclusionList(m_seams.Exclusions()).Excludes(row.name, row.path) &&
        m_seams.ShowMessage(std::string(kOptimizeExcludedText), MessageButtons::YesNo) != MessageAnswer::Yes)
        return;
    const ProcessInspector::Handle process = OpenListedProcess(row, kProcessQueryLimited, kOptimizationFailedText);
    if (!process)
        return;
    // Held through the trim, which opens the process again by its id: no new
    // process is given the id while a handle to this one is open.
    const bool trimmed = m_seams.TrimProcess(row.pid);
    m_seams.Inspector().CloseProcess(process);
    if (!trimmed) {
        m_seams.ShowMessage(std::string(kOptimizationFailedText), MessageButtons::Ok);
        return;
    }
    m_seams.ShowMessage(std::string(kOptimizationDoneText), MessageButtons::Ok);
    RefreshProcessList();
}

bool ProcessPageLogic::SelectedProgramExcluded() const {
    const ProcessEntry* selected = SelectedRow();
    return selected && ExclusionList(m_seams.Exclusions()).Excludes(selected->name, selected->path);
}

void ProcessPageLogic::ExcludeSelectedProgram() {
    const ProcessEntry* selected = SelectedRow();
    if (!selected)
        return;
    const std::vector<std::string> before = KeptExclusions(m_seams.Exclusions());
    const std::vector<std::string> after = WithProgramExcluded(before, selected->name, selected->path);
    if (after != before)
        m_seams.SaveExclusions(after);
    else if (!ExclusionList(after).Excludes(selected->name, selected->path))
        m_seams.ShowMessage(std::string(kExclusionsFullText), MessageButtons::Ok);
}

void ProcessPageLogic::IncludeSelectedProgram() {
    const ProcessEntry* selected = SelectedRow();
    if (!selected)
        return;
    const std::vector<std::string> before = KeptExclusions(m_seams.Exclusions());
    const std::vector<std::string> after = WithoutProgram(before, selected->name, selected->path);
    if (after != before)
        m_seams.SaveExclusions(after);
    if (const std::optional<std::string> pattern = ExclusionList(after).MatchFor(selected->name, selected->path))
        m_seams.ShowMessage(std::string(kStillExcludedText) + *pattern, MessageButtons::Ok);
}

}  // namespace qmo
