#include "history/history_window.h"

#include <algorithm>

#include "framework/dpi_scale.h"
#include "framework/text.h"
#include "framework/window_dpi.h"
#include "history/history_rows.h"

namespace qmo {
namespace {

constexpr int kColumnWidth = 100;
constexpr int kStartedWidth = 140;

// Global memory handed to the clipboard, freed unless the clipboard took it.
class ClipboardText {
public:
    explicit ClipboardText(const std::wstring& text) {
        const std::size_t bytes = (text.size() + 1) * sizeof(wchar_t);
        m_memory = ::GlobalAlloc(GMEM_MOVEABLE, bytes);
        if (!m_memory)
            return;
        if (void* locked = ::GlobalLock(m_memory)) {
            std::copy(text.c_str(), text.c_str() + text.size() + 1, static_cast<wchar_t*>(locked));
            ::GlobalUnlock(m_memory);
        }
    }
    ~ClipboardText() {
        if (m_memory)
            ::GlobalFree(m_memory);
    }
    ClipboardText(const ClipboardText&) = delete;
    ClipboardText& operator=(const ClipboardText&) = delete;

    // True once the clipboard owns the text.
    bool HandTo(UINT format) {
        if (!m_memory || !::SetClipboardData(format, m_memory))
            return false;
        m_memory = nullptr;
        return true;
    }

private:
    HGLOBAL m_memory = nullptr;
};

}  // namespace

void CHistoryWindow::Show(HWND owner) {
    if (!IsCreated() && !CreateModeless(owner))
        return;
    ::ShowWindow(m_hWnd, ::IsIconic(m_hWnd) ? SW_RESTORE : SW_SHOW);
    ::SetForegroundWindow(m_hWnd);
    ShowMemoryLists();
    ::SetTimer(m_hWnd, ID_TIMER_LISTS, kListsIntervalMs, nullptr);
}

void CHistoryWindow::ColorsChanged() {
    if (IsCreated())
        ::SendMessageW(m_hWnd, WM_SYSCOLORCHANGE, 0, 0);
}

void CHistoryWindow::Close() {
    if (IsCreated())
        DestroyWindow();
}

void CHistoryWindow::RecordsChanged() {
    if (IsCreated())
        FillList();
}

BOOL CHistoryWindow::OnInitDialog() {
    ThemedDialog::OnInitDialog();
    m_list.SubclassDlgItem(IDC_HISTORY_RUNS, m_hWnd);
    const std::vector<std::string> headings = HistoryColumnHeadings();
    const unsigned dpi = WindowDpi(m_hWnd);
    m_dpi = dpi;
    for (std::size_t column = 0; column < headings.size(); ++column)
        m_list.InsertColumn(static_cast<int>(column), Widen(headings[column]).c_str(),
                            ScaleForDpi(column == kHistoryStartedColumn ? kStartedWidth : kColumnWidth, dpi));
    AddAnchor(IDC_HISTORY_LISTS_LABEL, kAnchorStretchWidth);
    AddAnchor(IDC_HISTORY_LISTS, kAnchorStretchWidth);
    AddAnchor(IDC_HISTORY_RUNS_LABEL, kAnchorStretchWidth);
    AddAnchor(IDC_HISTORY_RUNS, kAnchorStretchBoth);
    AddAnchor(IDC_HISTORY_COPY, kAnchorMoveDown);
    AddAnchor(IDC_HISTORY_OPEN_FOLDER, kAnchorMoveDown);
    AddAnchor(IDCANCEL, kAnchorBottomRight);
    FillList();
    return TRUE;
}

bool CHistoryWindow::OnDpiChanged(unsigned dpi, const RECT& suggested) {
    if (dpi != 0 && dpi != m_dpi) {
        const HWND list = m_list.GetSafeHwnd();
        for (int column = 0; column < static_cast<int>(kHistoryColumnCount); ++column)
            ListView_SetColumnWidth(list, column,
                                    ::MulDiv(ListView_GetColumnWidth(list, column), static_cast<int>(dpi),
                                             static_cast<int>(m_dpi)));
        m_dpi = dpi;
    }
    return CResizeDialog::OnDpiChanged(dpi, suggested);
}

void CHistoryWindow::OnDestroy() {
    ::KillTimer(m_hWnd, ID_TIMER_LISTS);
    CResizeDialog::OnDestroy();
}

bool CHistoryWindow::OnCommand(UINT id, UINT code, HWND control) {
    switch (id) {
    case IDCANCEL:  // Escape, the close box and "Close"
        DestroyWindow();
        return true;
    case IDOK:
        return true;  // Enter in the list opens nothing
    case IDC_HISTORY_COPY:
        CopyToClipboard();
        return true;
    case IDC_HISTORY_OPEN_FOLDER:
        m_opener.Open(m_source.HistoryFolder(), SW_SHOWNORMAL);
        return true;
    default:
        return CResizeDialog::OnCommand(id, code, control);
    }
}

bool CHistoryWindow::OnNotify(UINT id, NMHDR* header, LRESULT& result) {
    if (id != IDC_HISTORY_RUNS)
        return CResizeDialog::OnNotify(id, header, result);
    if (m_list.AnswerNotify(header, result))
        return true;
    if (header->code == LVN_COLUMNCLICK) {
        const int column = reinterpret_cast<const NMLISTVIEW*>(header)->iSubItem;
        m_ascending = column == m_sortColumn ? !m_ascending : column != kHistoryStartedColumn;
        m_sortColumn = column;
        FillList();
    } else if (header->code == LVN_ITEMCHANGED) {
        const std::optional<std::size_t> selected = SelectedRecord();
        if (selected)
            m_selectedStart = m_source.Records()[*selected].startedUnixSeconds;
    }
    return false;
}

bool CHistoryWindow::OnTimer(UINT_PTR id) {
    if (id != ID_TIMER_LISTS)
        return false;
    // Nothing is read for a window the user cannot see.
    if (::IsWindowVisible(m_hWnd) && !::IsIconic(m_hWnd))
        ShowMemoryLists();
    return true;
}

// Each run's cells are made when the list first draws its row.
void CHistoryWindow::FillList() {
    const std::deque<RunRecord>& records = m_source.Records();
    m_order = HistoryOrder(records, m_sortColumn, m_ascending);
    std::vector<std::uint32_t> rows;
    rows.reserve(m_order.size());
    std::optional<std::uint32_t> selected;
    for (const std::size_t recordIndex : m_order) {
        rows.push_back(static_cast<std::uint32_t>(recordIndex));
        if (!selected && m_selectedStart == records[recordIndex].startedUnixSeconds)
            selected = static_cast<std::uint32_t>(recordIndex);
    }
    const auto cells = [&records](std::uint32_t recordIndex) {
        return recordIndex < records.size() ? HistoryCells(records[recordIndex]) : std::vector<std::string>();
    };
    m_list.ShowRows(rows, cells, selected, SortListScrolling{true, false});
    m_list.SetSortArrow(m_sortColumn, m_ascending);
}

void CHistoryWindow::ShowMemoryLists() {
    const std::wstring text = Widen(MemoryListsText(m_source.ReadMemory()));
    if (ItemText(IDC_HISTORY_LISTS) != text)
        SetItemText(IDC_HISTORY_LISTS, text);
}

std::optional<std::size_t> CHistoryWindow::SelectedRecord() const {
    const std::optional<std::uint32_t> data = m_list.SelectedData();
    if (!data || *data >= m_source.Records().size())
        return std::nullopt;
    return *data;
}

void CHistoryWindow::CopyToClipboard() {
    const std::deque<RunRecord>& records = m_source.Records();
    std::vector<const RunRecord*> rows;
    if (const std::optional<std::size_t> selected = SelectedRecord())
        rows.push_back(&records[*selected]);
    else
        for (std::size_t position : m_order)
            rows.push_back(&records[position]);
    ClipboardText text(Widen(m_source.CsvText(rows)));
    if (!::OpenClipboard(m_hWnd))
        return;
    ::EmptyClipboard();
    text.HandTo(CF_UNICODETEXT);
    ::CloseClipboard();
}

}  // namespace qmo
