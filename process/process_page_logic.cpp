#include "process/process_page_logic.h"

#include <algorithm>

#include "process/process_sort.h"

namespace qmo {

void ProcessPageLogic::RefreshProcessList() {
    m_seams.RequestSnapshot();
}

void ProcessPageLogic::ApplySnapshot(std::vector<ProcessEntry> rows) {
    m_rows = std::move(rows);
    // The arrow must not claim an order the rows do not have.
    SortProcessRows(m_rows, m_sortColumn, m_sortAscending);
    m_seams.ShowRows(m_rows, std::nullopt);
}

void ProcessPageLogic::SortColumn(int column, bool ascending) {
    m_sortColumn = column;
    m_sortAscending = ascending;
    m_seams.ShowSortArrow(column, ascending);
    const std::optional<std::uint32_t> selectedPid = m_seams.SelectedProcessId();
    SortProcessRows(m_rows, column, ascending);
    m_seams.ShowRows(m_rows, selectedPid);
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

bool ProcessPageLogic::IsTheListedProcess(ProcessInspector::Handle process, const ProcessEntry& row) {
    const std::optional<std::uint64_t> created = m_seams.Inspector().CreationTime(process);
    return created && row.creationTime && *created == *row.creationTime;
}

void ProcessPageLogic::EndProcess() {
    const ProcessEntry* selected = SelectedRow();
    if (!selected) {
        m_seams.ShowMessage(kSelectToTerminateText, MessageButtons::Ok);
        return;
    }
    // A copy: a timer refresh while the question is open replaces the rows.
    const ProcessEntry row = *selected;
    if (m_seams.ShowMessage(kConfirmTerminateText, MessageButtons::YesNo) != MessageAnswer::Yes)
        return;
    ProcessInspector& system = m_seams.Inspector();
    const ProcessInspector::Handle process =
        system.OpenProcess(kProcessTerminate | kProcessQueryLimited, false, row.pid);
    if (!process) {
        m_seams.ShowMessage(kTerminationFailedText, MessageButtons::Ok);
        return;
    }
    if (!IsTheListedProcess(process, row)) {
        system.CloseProcess(process);
        m_seams.ShowMessage(kTerminationFailedText, MessageButtons::Ok);
        RefreshProcessList();  // the row was stale
        return;
    }
    const bool terminated = system.TerminateProcess(process, 0);
    system.CloseProcess(process);
    if (!terminated) {
        m_seams.ShowMessage(kCannotTerminateText, MessageButtons::Ok);
        return;
    }
    m_seams.ShowMessage(kTerminatedText, MessageButtons::Ok);
    RefreshProcessList();
}

void ProcessPageLogic::OptimizeSelectedProcess() {
    const ProcessEntry* selected = SelectedRow();
    if (!selected) {
        m_seams.ShowMessage(kSelectToOptimizeText, MessageButtons::Ok);
        return;
    }
    if (!TrimProcessWorkingSet(m_seams.TrimSystem(), selected->pid)) {
        m_seams.ShowMessage(kOptimizationFailedText, MessageButtons::Ok);
        return;
    }
    m_seams.ShowMessage(kOptimizationDoneText, MessageButtons::Ok);
    RefreshProcessList();
}

}  // namespace qmo
