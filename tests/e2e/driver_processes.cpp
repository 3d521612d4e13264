// The process list: its rows and their order as the list view on the shown
// page holds them, a click on its header, and a process of the ring's own,
// started while the program runs, for the list to show.
#include "tests/e2e/driver.h"

#include <commctrl.h>

#include <algorithm>
#include <climits>
#include <cwchar>

namespace qmo::e2e {

namespace {

// The list view on the page shown now.
HWND VisibleListView() {
    return FirstShownChild(RequireFrame(), [](HWND child) { return ClassOf(child) == L"SysListView32"; });
}

HWND RequireListView() {
    HWND list = VisibleListView();
    if (!list)
        Fail(L"no list is shown");
    return list;
}

std::wstring CellText(HWND list, int row, int column) {
    constexpr std::size_t kChars = 300;
    RemoteBuffer remote(list, sizeof(LVITEMW) + kChars * sizeof(wchar_t));
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = reinterpret_cast<LPWSTR>(remote.At(sizeof(LVITEMW)));
    item.cchTextMax = kChars;
    remote.Write(0, &item, sizeof(item));
    const auto length = ::SendMessageW(list, LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(remote.At(0)));
    std::wstring text(kChars, L'\0');
    remote.Read(sizeof(LVITEMW), text.data(), kChars * sizeof(wchar_t));
    text.resize(static_cast<std::size_t>(std::max<LRESULT>(0, std::min<LRESULT>(length, kChars - 1))));
    return text;
}

// Bytes a memory cell stands for: "N K", "N BYTES", or -1 for an empty cell;
// N grouped as the user's locale writes it ("10,584 K").
long long MemoryCellBytes(const std::wstring& text) {
    if (text.empty())
        return -1;
    wchar_t separator[8] = L"";
    ::GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, LOCALE_STHOUSAND, separator, 8);
    std::wstring plain = text;
    if (separator[0])
        for (std::size_t at = plain.find(separator); at != std::wstring::npos && at < plain.find(L' ');
             at = plain.find(separator))
            plain.erase(at, std::wcslen(separator));
    wchar_t* end = nullptr;
    const unsigned long long value = std::wcstoull(plain.c_str(), &end, 10);
    if (std::wstring(end) == L" K")
        return static_cast<long long>(value) * 1024;
    if (std::wstring(end) == L" BYTES")
        return static_cast<long long>(value);
    Fail(L"not a memory text: " + Quoted(text));
}

// The event that a `hold NAME` waits on and `release NAME` sets.
std::wstring HoldEventName(const std::wstring& name) {
    return L"Local\\" + name;
}

}  // namespace

// click-list-header COLUMN: a left click in the middle of that column's header
// on the list shown now.
int ClickListHeader(const Args& args) {
    args.Allow({}, 1);
    const int column = static_cast<int>(ParseNumber(args.words[0]));
    HWND header = reinterpret_cast<HWND>(::SendMessageW(RequireListView(), LVM_GETHEADER, 0, 0));
    if (!header)
        Fail(L"the list has no header");
    RemoteBuffer remote(header, sizeof(RECT));
    if (!::SendMessageW(header, HDM_GETITEMRECT, column, reinterpret_cast<LPARAM>(remote.At(0))))
        Fail(L"the header has no column " + args.words[0]);
    RECT rect{};
    remote.Read(0, &rect, sizeof(rect));
    const LPARAM at = MAKELPARAM((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
    DWORD_PTR result = 0;
    for (UINT message : {WM_MOUSEMOVE, WM_LBUTTONDOWN, WM_LBUTTONUP})
        if (!::SendMessageTimeoutW(header, message, message == WM_LBUTTONDOWN ? MK_LBUTTON : 0, at, SMTO_ABORTIFHUNG,
                                   args.timeoutMs, &result))
            Fail(L"the header did not take the click");
    // The pointer moves on, as a user's would: no column stays lit.
    ::SendMessageTimeoutW(header, WM_MOUSELEAVE, 0, 0, SMTO_ABORTIFHUNG, args.timeoutMs, &result);
    return 0;
}

// check-process-list ascending|descending [--timeout-ms N]: the list shown
// has rows with names and paths, ordered by their memory figures.
int CheckProcessList(const Args& args) {
    args.Allow({}, 1);
    const bool descending = args.words[0] == L"descending";
    if (!descending && args.words[0] != L"ascending")
        Fail(L"expected ascending or descending");
    WaitUntil(args.timeoutMs, [&]() -> std::wstring {
        HWND list = VisibleListView();
        if (!list)
            return L"no list is shown";
        const int rows = static_cast<int>(::SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
        if (rows < 2)
            return L"the list shows " + std::to_wstring(rows) + L" rows";
        long long previous = descending ? LLONG_MAX : -2;
        for (int row = 0; row < rows; ++row) {
            if (CellText(list, row, 0).empty() || CellText(list, row, 2).empty())
                return L"row " + std::to_wstring(row) + L" has no name or no path";
            const long long bytes = MemoryCellBytes(CellText(list, row, 1));
            if (descending ? bytes > previous : bytes < previous)
                return L"row " + std::to_wstring(row) + L" (" + CellText(list, row, 1) + L") is out of order";
            previous = bytes;
        }
        return {};
    });
    return 0;
}

// check-list-row IMAGE [--gone]: the list shown now has a row of that image
// name (with --gone: none), as it stands, without waiting for a refresh.
int CheckListRow(const Args& args) {
    args.Allow({L"--gone"}, 1);
    const bool gone = args.Has(L"--gone");
    HWND list = RequireListView();
    const int rows = static_cast<int>(::SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
    bool found = false;
    for (int row = 0; row < rows && !found; ++row)
        found = ::lstrcmpiW(CellText(list, row, 0).c_str(), args.words[0].c_str()) == 0;
    if (found == gone)
        Fail(L"the list of " + std::to_wstring(rows) + L" rows " + (found ? L"has" : L"has no") + L" row " +
             Quoted(args.words[0]));
    return 0;
}

// hold NAME [--timeout-ms N]: stays running until `release NAME`, or fails at
// the deadline. Run from a copy of the driver, it is a process with a name of
// its own for the process list to show.
int Hold(const Args& args) {
    args.Allow({}, 1);
    qmo::unique_kernel_handle released(::CreateEventW(nullptr, TRUE, FALSE, HoldEventName(args.words[0]).c_str()));
    if (!released)
        Fail(L"cannot create the event " + Quoted(args.words[0]));
    if (::WaitForSingleObject(released.get(), args.timeoutMs) != WAIT_OBJECT_0)
        Fail(L"not released within " + std::to_wstring(args.timeoutMs) + L" ms");
    return 0;
}

// wait-held NAME: a `hold NAME` runs.
int WaitHeld(const Args& args) {
    args.Allow({}, 1);
    WaitUntil(args.timeoutMs, [&]() -> std::wstring {
        qmo::unique_kernel_handle held(::OpenEventW(SYNCHRONIZE, FALSE, HoldEventName(args.words[0]).c_str()));
        return held ? L"" : L"no process holds " + Quoted(args.words[0]);
    });
    return 0;
}

// release NAME: the `hold NAME` running ends.
int Release(const Args& args) {
    args.Allow({}, 1);
    qmo::unique_kernel_handle held(::OpenEventW(EVENT_MODIFY_STATE, FALSE, HoldEventName(args.words[0]).c_str()));
    if (!held || !::SetEvent(held.get()))
        Fail(L"no process holds " + Quoted(args.words[0]));
    return 0;
}

}  // namespace qmo::e2e
