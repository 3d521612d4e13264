#pragma once
// The process page's rules apart from any window: the rows and their sort,
// refresh, End Process and Optimize Selected Process with their messages.
// The Win32 page holds one and supplies, through ProcessPageSeams, the list,
// the message boxes and the system.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "framework/texts.h"
#include "optimizer/optimizer_engine.h"
#include "process/process_snapshot.h"
#include "res/process_resource.h"

namespace qmo {

// A message of the page under a constant's name: its text in the language chosen at start.
struct PageMessage {
    TextId id;

    operator std::string() const { return Text(id); }
};

inline constexpr PageMessage kSelectToTerminateText{IDS_PROCESS_SELECT_TO_TERMINATE};
inline constexpr PageMessage kConfirmTerminateText{IDS_PROCESS_CONFIRM_TERMINATE};
inline constexpr PageMessage kTerminationFailedText{IDS_PROCESS_TERMINATION_FAILED};
inline constexpr PageMessage kCannotTerminateText{IDS_PROCESS_CANNOT_TERMINATE};
inline constexpr PageMessage kTerminatedText{IDS_PROCESS_TERMINATED};
inline constexpr PageMessage kSelectToOptimizeText{IDS_PROCESS_SELECT_TO_OPTIMIZE};
inline constexpr PageMessage kOptimizationFailedText{IDS_PROCESS_OPTIMIZATION_FAILED};
inline constexpr PageMessage kOptimizationDoneText{IDS_PROCESS_OPTIMIZATION_DONE};
inline constexpr PageMessage kOptimizeExcludedText{IDS_PROCESS_OPTIMIZE_EXCLUDED};
inline constexpr PageMessage kExclusionsFullText{IDS_PROCESS_EXCLUSIONS_FULL};
// Followed by the pattern.
inline constexpr PageMessage kStillExcludedText{IDS_PROCESS_STILL_EXCLUDED};

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
    // False when the organisation does not let users end processes.
    virtual bool EndProcessAllowed() const { return true; }

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
    // Nothing at all where the organisation does not allow it.
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
                                               PageMessage failedText);

    ProcessPageSeams& m_seams;
    std::vector<ProcessEntry> m_rows;
    int m_sortColumn = 1;
    bool m_sortAscending = true;
};

}  // namespace qmo
