#pragma once
// The process page's rules apart from any window: the rows and their sort,
// refresh, End Process and Optimize Selected Process with their messages.
// The Win32 page holds one and supplies, through ProcessPageSeams, the list,
// the message boxes and the system.
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "optimizer/optimizer_engine.h"
#include "process/process_snapshot.h"

namespace qmo {

inline constexpr std::string_view kSelectToTerminateText = "Please select process to terminate";
inline constexpr std::string_view kConfirmTerminateText = "Do you realy want to terminate selected process?";
inline constexpr std::string_view kTerminationFailedText = "Termination Failed..!!";
inline constexpr std::string_view kCannotTerminateText = "ERROR  : Cannot Terminate Process";
inline constexpr std::string_view kTerminatedText = "Process Terminated Successfully";
inline constexpr std::string_view kSelectToOptimizeText = "Please select process to Optimize";
inline constexpr std::string_view kOptimizationFailedText = "Optimization  Failed..!!";
inline constexpr std::string_view kOptimizationDoneText = "Optimization  Done..!!";
inline constexpr std::string_view kOptimizeExcludedText =
    "This program is in the exclusions: no run trims it. Optimize it this once?";
inline constexpr std::string_view kExclusionsFullText = "The exclusions hold 256 programs, the most they can.";
// Followed by the pattern.
inline constexpr std::string_view kStillExcludedText = "A pattern in the exclusions still names this program: ";

enum class MessageButtons { Ok, YesNo };
enum class MessageAnswer { Ok, Yes, No, Closed };

// How the list shows rows that replace the ones it had.
struct RowsPlacement {
    // The process whose row becomes the only selected one; none: no row is selected.
    std::optional<std::uint32_t> selectedPid;
    // The list stays scrolled as it was, the same position first in view;
    // otherwise the view starts at the top.
    bool keepScrollPosition = false;
    // The selected row is scrolled into view.
    bool revealSelected = false;
};

class ProcessPageSeams {
public:
    virtual ProcessInspector& Inspector() = 0;
    // Takes a new snapshot of the processes; its rows reach ApplySnapshot,
    // at once or later from the owner's thread.
    virtual void RequestSnapshot() = 0;
    // Trims one process's working set as a run of its own; false when it
    // could not be opened or another run was going.
    virtual bool TrimProcess(std::uint32_t processId) = 0;
    // Replaces the list's rows, each carrying its process id. A row the list
    // fails to take is left out, so list positions need not match `rows`.
    virtual void ShowRows(const std::vector<ProcessEntry>& rows, const RowsPlacement& placement) = 0;
    virtual void ShowSortArrow(int column, bool ascending) = 0;
    // The process id kept with the row the user selected last; none when no row is selected.
    virtual std::optional<std::uint32_t> SelectedProcessId() const = 0;
    // Whether that row is in the list's view now.
    virtual bool SelectedRowInView() const = 0;
    virtual MessageAnswer ShowMessage(std::string_view text, MessageButtons buttons) = 0;
    // The exclusions as the settings hold them, and a changed list saved at once.
    virtual std::vector<std::string> Exclusions() const = 0;
    virtual void SaveExclusions(const std::vector<std::string>& entries) = 0;

protected:
    ~ProcessPageSeams() = default;
};

class ProcessPageLogic {
public:
    explicit ProcessPageLogic(ProcessPageSeams& seams) noexcept : m_seams(seams) {}

    // Asks for new rows; they replace the list when they come (ApplySnapshot).
    void RefreshProcessList();
    // Puts the rows in the order the sort arrow shows now and shows them. The
    // selected row stays selected while its process runs, and in view if it
    // was; the list stays scrolled where it was.
    void ApplySnapshot(std::vector<ProcessEntry> rows);
    // Sorts by `column` and shows the arrow there; the selected row stays selected.
    void SortColumn(int column, bool ascending);
    // A click on a column header: the direction toggles at every click, whichever column.
    void OnColumnClick(int column);
    // The 30-second timer; `autoRefresh` is the setting as it stands now.
    void OnRefreshTimer(bool autoRefresh);
    void EndProcess();
    // An excluded program is trimmed only once the user says so.
    void OptimizeSelectedProcess();
    // "Never optimize this program": its file name joins the exclusions.
    void ExcludeSelectedProgram();
    // "Optimize this program again": the entries naming it go; a pattern
    // that still names it stays, and the user is told which.
    void IncludeSelectedProgram();
    bool SelectedProgramExcluded() const;

    const std::vector<ProcessEntry>& Rows() const noexcept { return m_rows; }
    int SortedColumn() const noexcept { return m_sortColumn; }
    bool IsSortAscending() const noexcept { return m_sortAscending; }

private:
    const ProcessEntry* SelectedRow() const;
    // The row's process opened with `access`, or 0 after saying `failedText`.
    // The id may have been given to another process since the snapshot: the
    // creation time tells, and such a row is refreshed away.
    ProcessInspector::Handle OpenListedProcess(const ProcessEntry& row, std::uint32_t access,
                                               std::string_view failedText);

    ProcessPageSeams& m_seams;
    std::vector<ProcessEntry> m_rows;
    int m_sortColumn = 1;
    bool m_sortAscending = true;
};

}  // namespace qmo
