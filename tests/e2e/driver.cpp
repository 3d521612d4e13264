// The end-to-end ring's hands and eyes: it works the real program from the
// outside, through its windows, the shell's tray and the registry. Every
// subcommand exits 0 when what it checks holds, and 1 with a one-line reason
// on stderr when it does not. Waits poll with a deadline; none sleeps blind.
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>
#include <oleauto.h>
#include <shobjidl.h>
#include <taskschd.h>

#include <algorithm>
#include <climits>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <cwctype>
#include <functional>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "framework/dpi_scale.h"
#include "res/pages_resource.h"
#include "res/resource.h"

namespace {

constexpr wchar_t kFrameClass[] = L"Quenvale.MainFrame";
constexpr wchar_t kFrameTitle[] = L"Quenvale Memory Optimizer";
constexpr wchar_t kInstanceMutex[] = L"Global\\{80000000-DCC6-49b5-9C61-DE91175C3178}";
#define QMO_PROFILE_KEY L"Software\\Local AppWizard-Generated Applications\\Quenvale Memory Optimizer"
constexpr wchar_t kProfileKey[] = QMO_PROFILE_KEY;
constexpr wchar_t kSettingsKey[] = QMO_PROFILE_KEY L"\\Settings";
constexpr wchar_t kRunKey[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr wchar_t kRunValue[] = L"Z Wyndle Memory opt";
constexpr DWORD kPollMs = 50;
constexpr UINT kReplyTimeoutMs = 5000;

// ---- reporting -------------------------------------------------------------

std::string Utf8(const std::wstring& text) {
    const int size = ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0,
                                           nullptr, nullptr);
    std::string out(static_cast<std::size_t>(size), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), out.data(), size, nullptr,
                          nullptr);
    return out;
}

[[noreturn]] void Fail(const std::wstring& reason) {
    std::fprintf(stderr, "%s\n", Utf8(reason).c_str());
    std::fflush(stderr);
    std::exit(1);
}

std::wstring Quoted(const std::wstring& text) {
    return L"\"" + text + L"\"";
}

struct HandleCloser {
    void operator()(HANDLE handle) const { ::CloseHandle(handle); }
};
using UniqueHandle = std::unique_ptr<void, HandleCloser>;

// Polls until `unmet` has nothing left to report; at the deadline fails with
// its last report, so the reason names what never happened.
void WaitUntil(DWORD timeoutMs, const std::function<std::wstring()>& unmet) {
    const ULONGLONG deadline = ::GetTickCount64() + timeoutMs;
    for (;;) {
        const std::wstring reason = unmet();
        if (reason.empty())
            return;
        if (::GetTickCount64() >= deadline)
            Fail(reason + L" (after " + std::to_wstring(timeoutMs) + L" ms)");
        ::Sleep(kPollMs);
    }
}

// ---- command line ----------------------------------------------------------

struct Args {
    std::vector<std::wstring> words;
    std::vector<std::wstring> flags;
    DWORD timeoutMs = 10000;

    bool Has(const wchar_t* flag) const {
        for (const auto& given : flags)
            if (given == flag)
                return true;
        return false;
    }
    // A mistyped flag must not turn a check into a silent pass.
    void Allow(std::initializer_list<const wchar_t*> known, std::size_t wordCount) const {
        for (const auto& given : flags) {
            bool found = false;
            for (const wchar_t* flag : known)
                found = found || given == flag;
            if (!found)
                Fail(L"unknown option " + given);
        }
        if (words.size() != wordCount)
            Fail(L"expected " + std::to_wstring(wordCount) + L" arguments, got " + std::to_wstring(words.size()));
    }
};

Args ParseArgs(int argc, wchar_t** argv) {
    Args args;
    for (int i = 2; i < argc; ++i) {
        const std::wstring word = argv[i];
        if (word == L"--timeout-ms" && i + 1 < argc)
            args.timeoutMs = std::wcstoul(argv[++i], nullptr, 10);
        else if (word.rfind(L"--", 0) == 0)
            args.flags.push_back(word);
        else
            args.words.push_back(word);
    }
    return args;
}

// Message and command numbers, by the names the ring uses or as numbers.
UINT_PTR ParseNumber(const std::wstring& text) {
    static const struct { const wchar_t* name; UINT_PTR value; } kNames[] = {
        {L"WM_NULL", WM_NULL},           {L"WM_CLOSE", WM_CLOSE},      {L"WM_COMMAND", WM_COMMAND},
        {L"WM_SYSCOMMAND", WM_SYSCOMMAND}, {L"SC_MINIMIZE", SC_MINIMIZE}, {L"WM_TIMER", WM_TIMER},
    };
    for (const auto& known : kNames)
        if (text == known.name)
            return known.value;
    wchar_t* end = nullptr;
    const unsigned long long value = std::wcstoull(text.c_str(), &end, 0);
    if (text.empty() || *end != L'\0')
        Fail(L"not a number or known name: " + text);
    return static_cast<UINT_PTR>(value);
}

// ---- windows ---------------------------------------------------------------

std::wstring ClassOf(HWND window) {
    wchar_t name[256] = {};
    ::GetClassNameW(window, name, static_cast<int>(std::size(name)));
    return name;
}

std::wstring TextOf(HWND window) {
    wchar_t text[1024] = {};
    ::GetWindowTextW(window, text, static_cast<int>(std::size(text)));
    return text;
}

std::vector<HWND> TopLevelWindows(const std::wstring& className) {
    struct Search {
        const std::wstring* className;
        std::vector<HWND> found;
    } search{&className, {}};
    ::EnumWindows(
        [](HWND window, LPARAM context) -> BOOL {
            auto* s = reinterpret_cast<Search*>(context);
            if (ClassOf(window) == *s->className)
                s->found.push_back(window);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

UniqueHandle OpenWindowProcess(HWND window, DWORD access) {
    DWORD processId = 0;
    ::GetWindowThreadProcessId(window, &processId);
    return UniqueHandle(processId ? ::OpenProcess(access, FALSE, processId) : nullptr);
}

// The main window, or empty with `unmet` saying why. A second main window is
// never right, so it fails at once instead of being waited out.
HWND LookUpFrame(std::wstring& unmet) {
    const std::vector<HWND> frames = TopLevelWindows(kFrameClass);
    if (frames.size() > 1)
        Fail(std::to_wstring(frames.size()) + L" main windows exist at once");
    if (frames.empty()) {
        unmet = L"no main window";
        return nullptr;
    }
    // In another language than English the title is translated: QMO_ANY_FRAME_TITLE=1.
    wchar_t anyTitle[4] = L"";
    const bool titleChecked = ::GetEnvironmentVariableW(L"QMO_ANY_FRAME_TITLE", anyTitle, 4) == 0;
    if (titleChecked && TextOf(frames[0]) != kFrameTitle) {
        unmet = L"the main window is titled " + Quoted(TextOf(frames[0]));
        return nullptr;
    }
    return frames[0];
}

HWND RequireFrame() {
    std::wstring unmet;
    HWND frame = LookUpFrame(unmet);
    if (!frame)
        Fail(unmet);
    return frame;
}

// A window exists during WM_CREATE, before the start-up shows and hides it;
// its state counts only once the process has first gone idle in its loop.
bool FinishedStarting(HWND window) {
    UniqueHandle process = OpenWindowProcess(window, PROCESS_QUERY_INFORMATION | SYNCHRONIZE);
    return process && ::WaitForInputIdle(process.get(), 0) == 0;
}

bool InstanceMutexHeld() {
    UniqueHandle mutex(::OpenMutexW(SYNCHRONIZE, FALSE, kInstanceMutex));
    return mutex != nullptr;
}

// wait-window [--visible|--hidden]: the program has started and its one main
// window is in the wanted state ("visible" means shown and not minimized).
int WaitWindow(const Args& args) {
    args.Allow({L"--visible", L"--hidden"}, 0);
    const bool visible = args.Has(L"--visible");
    const bool hidden = args.Has(L"--hidden");
    WaitUntil(args.timeoutMs, [&]() -> std::wstring {
        std::wstring unmet;
        HWND frame = LookUpFrame(unmet);
        if (!frame)
            return unmet;
        if (!FinishedStarting(frame))
            return L"the program has not finished starting";
        if (visible && !::IsWindowVisible(frame))
            return L"the main window is hidden";
        if (visible && ::IsIconic(frame))
            return L"the main window is minimized";
        if (hidden && ::IsWindowVisible(frame))
            return L"the main window is visible";
        return {};
    });
    // Drawn, children and all, before any screenshot that follows: the paint
    // messages are sent, so this returns once the program has painted.
    if (visible)
        ::RedrawWindow(RequireFrame(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    return 0;
}

// wait-gone: no main window and the single-instance mutex released, so the
// next start is a first start again.
int WaitGone(const Args& args) {
    args.Allow({}, 0);
    WaitUntil(args.timeoutMs, []() -> std::wstring {
        if (!TopLevelWindows(kFrameClass).empty())
            return L"the main window still exists";
        if (InstanceMutexHeld())
            return L"the single-instance mutex is still held";
        return {};
    });
    return 0;
}

// send|post MESSAGE [WPARAM [LPARAM]] to the main window.
int Deliver(const Args& args, bool post) {
    if (args.words.empty() || args.words.size() > 3)
        Fail(L"expected MESSAGE [WPARAM [LPARAM]]");
    args.Allow({}, args.words.size());
    const UINT message = static_cast<UINT>(ParseNumber(args.words[0]));
    const WPARAM wParam = args.words.size() > 1 ? ParseNumber(args.words[1]) : 0;
    const LPARAM lParam = args.words.size() > 2 ? static_cast<LPARAM>(ParseNumber(args.words[2])) : 0;
    HWND frame = RequireFrame();
    if (post) {
        if (!::PostMessageW(frame, message, wParam, lParam))
            Fail(L"PostMessage failed, error " + std::to_wstring(::GetLastError()));
        return 0;
    }
    DWORD_PTR result = 0;
    if (!::SendMessageTimeoutW(frame, message, wParam, lParam, SMTO_ABORTIFHUNG, args.timeoutMs, &result))
        Fail(L"the main window did not answer message " + args.words[0] + L" within " +
             std::to_wstring(args.timeoutMs) + L" ms");
    return 0;
}

// post-commands ID...: posts the commands to the main window back to back,
// so that each arrives while the one before is still being handled (an Exit
// during an optimization, say).
int PostCommands(const Args& args) {
    if (args.words.empty())
        Fail(L"expected ID...");
    args.Allow({}, args.words.size());
    HWND frame = RequireFrame();
    for (const std::wstring& id : args.words)
        if (!::PostMessageW(frame, WM_COMMAND, static_cast<WPARAM>(ParseNumber(id)), 0))
            Fail(L"PostMessage failed, error " + std::to_wstring(::GetLastError()));
    return 0;
}

// post-from-tray ID: posts the command to the main window as the tray's menu
// does, naming the tray icon's window as its sender.
int PostFromTray(const Args& args) {
    args.Allow({}, 1);
    HWND frame = RequireFrame();
    DWORD process = 0;
    ::GetWindowThreadProcessId(frame, &process);
    HWND tray = nullptr;
    for (HWND window : TopLevelWindows(L"Quenvale.TrayIconWindow")) {
        DWORD owner = 0;
        ::GetWindowThreadProcessId(window, &owner);
        if (owner == process)
            tray = window;
    }
    if (!tray)
        Fail(L"the program has no tray icon window");
    if (!::PostMessageW(frame, WM_COMMAND, static_cast<WPARAM>(ParseNumber(args.words[0])),
                        reinterpret_cast<LPARAM>(tray)))
        Fail(L"PostMessage failed, error " + std::to_wstring(::GetLastError()));
    return 0;
}

// stop-program: tray "Exit" to every main window there is, then wait-gone.
int StopProgram(const Args& args) {
    args.Allow({}, 0);
    for (HWND frame : TopLevelWindows(kFrameClass))
        ::PostMessageW(frame, WM_COMMAND, ID_TRAY_EXIT, 0);
    return WaitGone(args);
}

// ---- what the screen shows ---------------------------------------------------

// The pixels of a screen rectangle, row by row, as 0x00RRGGBB.
std::vector<DWORD> CaptureScreen(const RECT& area) {
    const int width = area.right - area.left;
    const int height = area.bottom - area.top;
    std::vector<DWORD> pixels;
    if (width <= 0 || height <= 0)
        return pixels;
    HDC screen = ::GetDC(nullptr);
    HDC memory = ::CreateCompatibleDC(screen);
    HBITMAP bitmap = ::CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ old = ::SelectObject(memory, bitmap);
    ::BitBlt(memory, 0, 0, width, height, screen, area.left, area.top, SRCCOPY);
    ::SelectObject(memory, old);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top row first
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    pixels.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    if (!::GetDIBits(memory, bitmap, 0, static_cast<UINT>(height), pixels.data(), &info, DIB_RGB_COLORS))
        pixels.clear();
    ::DeleteObject(bitmap);
    ::DeleteDC(memory);
    ::ReleaseDC(nullptr, screen);
    for (DWORD& pixel : pixels)
        pixel &= 0x00FFFFFF;
    return pixels;
}

constexpr DWORD Rgb(int red, int green, int blue) {
    return static_cast<DWORD>((red << 16) | (green << 8) | blue);
}

// The visible control `id` of the page that holds control `pageMarker`.
HWND FindPageControl(HWND frame, int pageMarker, int id) {
    struct Search {
        int marker;
        HWND page;
    } search{pageMarker, nullptr};
    ::EnumChildWindows(
        frame,
        [](HWND child, LPARAM context) -> BOOL {
            auto* s = reinterpret_cast<Search*>(context);
            if (::GetDlgCtrlID(child) == s->marker && ::IsWindowVisible(child)) {
                s->page = ::GetParent(child);
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.page ? ::GetDlgItem(search.page, id) : nullptr;
}

// Columns of a control that hold at least one pixel of `colour`.
int ColumnsWith(HWND control, DWORD colour) {
    RECT placed{};
    ::GetWindowRect(control, &placed);
    const std::vector<DWORD> pixels = CaptureScreen(placed);
    const int width = placed.right - placed.left;
    int columns = 0;
    for (int x = 0; x < width && !pixels.empty(); ++x) {
        for (std::size_t at = static_cast<std::size_t>(x); at < pixels.size(); at += static_cast<std::size_t>(width))
            if (pixels[at] == colour) {
                ++columns;
                break;
            }
    }
    return columns;
}

// wait-live-performance: the performance page is on screen with both needles
// drawn and both history curves run over several samples.
int WaitLivePerformance(const Args& args) {
    args.Allow({}, 0);
    constexpr DWORD kNeedle = Rgb(250, 180, 21), kCurve = Rgb(255, 0, 0);
    constexpr int kSamplesSpan = 30;  // columns: a curve over some five seconds
    WaitUntil(args.timeoutMs, [&]() -> std::wstring {
        std::wstring unmet;
        HWND frame = LookUpFrame(unmet);
        if (!frame)
            return unmet;
        for (int gauge : {IDC_PERF_MEMORY_GAUGE, IDC_PERF_CPU_GAUGE}) {
            HWND control = FindPageControl(frame, IDC_PERF_MEMORY_GAUGE, gauge);
            if (!control)
                return L"the performance page is not shown";
            if (ColumnsWith(control, kNeedle) == 0)
                return L"gauge " + std::to_wstring(gauge) + L" has no needle";
        }
        for (int graph : {IDC_PERF_MEMORY_GRAPH, IDC_PERF_CPU_GRAPH}) {
            const int columns = ColumnsWith(FindPageControl(frame, IDC_PERF_MEMORY_GAUGE, graph), kCurve);
            if (columns < kSamplesSpan)
                return L"graph " + std::to_wstring(graph) + L" has a curve over only " + std::to_wstring(columns) +
                       L" columns";
        }
        return {};
    });
    return 0;
}

// ---- popups ----------------------------------------------------------------

constexpr wchar_t kPopupClass[] = L"Quenvale.PopupWindow";
constexpr int kPopupWidth = 270;
constexpr int kPopupHeight = 128;

std::vector<HWND> VisiblePopups() {
    std::vector<HWND> shown;
    for (HWND popup : TopLevelWindows(kPopupClass))
        if (::IsWindowVisible(popup))
            shown.push_back(popup);
    return shown;
}

// wait-popup [--gone]: one popup shown in full in the bottom-right corner of
// the work area, or (--gone) none shown at all. A popup with lines under its
// message is taller: in full, its height no longer changes.
int WaitPopup(const Args& args) {
    args.Allow({L"--gone"}, 0);
    const bool gone = args.Has(L"--gone");
    LONG lastHeight = -1;
    WaitUntil(args.timeoutMs, [&]() -> std::wstring {
        const std::vector<HWND> popups = VisiblePopups();
        if (gone)
            return popups.empty() ? std::wstring() : L"a popup is still shown";
        if (popups.size() != 1)
            return std::to_wstring(popups.size()) + L" popups are shown";
        RECT area{};
        ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
        RECT placed{};
        ::GetWindowRect(popups[0], &placed);
        if (placed.right != area.right || placed.bottom != area.bottom)
            return L"the popup is not in the bottom-right corner of the work area: it ends at " +
                   std::to_wstring(placed.right) + L"," + std::to_wstring(placed.bottom) + L", the area at " +
                   std::to_wstring(area.right) + L"," + std::to_wstring(area.bottom);
        // Its size at 96 DPI, shown at the screen's.
        HDC screen = ::GetDC(nullptr);
        const unsigned dpi = static_cast<unsigned>(::GetDeviceCaps(screen, LOGPIXELSY));
        ::ReleaseDC(nullptr, screen);
        const LONG height = placed.bottom - placed.top;
        const bool sameAsBefore = height == lastHeight;
        lastHeight = height;
        if (placed.right - placed.left != qmo::ScaleForDpi(kPopupWidth, dpi) ||
            height < qmo::ScaleForDpi(kPopupHeight, dpi) || !sameAsBefore)
            return L"the popup has not reached its full size";
        return {};
    });
    return 0;
}

// no-popup MS: no popup is shown at any moment during the next MS milliseconds.
int NoPopup(const Args& args) {
    args.Allow({}, 1);
    const ULONGLONG until = ::GetTickCount64() + ParseNumber(args.words[0]);
    while (::GetTickCount64() < until) {
        if (!VisiblePopups().empty())
            Fail(L"a popup appeared");
        ::Sleep(kPollMs);
    }
    return 0;
}


// popup-colour R G B: the one popup shown has its frame in this colour.
int PopupColour(const Args& args) {
    args.Allow({}, 3);
    const DWORD expected = Rgb(static_cast<int>(ParseNumber(args.words[0])), static_cast<int>(ParseNumber(args.words[1])),
                               static_cast<int>(ParseNumber(args.words[2])));
    const std::vector<HWND> popups = VisiblePopups();
    if (popups.size() != 1)
        Fail(std::to_wstring(popups.size()) + L" popups are shown");
    RECT placed{};
    ::GetWindowRect(popups[0], &placed);
    // The frame's band left of the message panel, halfway down.
    const int y = (placed.top + placed.bottom) / 2;
    const std::vector<DWORD> band = CaptureScreen(RECT{placed.left + 1, y, placed.left + 4, y + 1});
    for (DWORD pixel : band)
        if (pixel != expected)
            Fail(L"the popup's frame is not in the expected colour");
    if (band.empty())
        Fail(L"the popup cannot be seen");
    return 0;
}

// ---- message boxes ---------------------------------------------------------

std::vector<HWND> VisibleButtons(HWND dialog) {
    std::vector<HWND> buttons;
    for (HWND child = ::GetWindow(dialog, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT))
        if (::IsWindowVisible(child) && ClassOf(child) == L"Button")
            buttons.push_back(child);
    return buttons;
}

// Waits for a message box of the main window captioned `caption` (any caption
// for "*", as in another language), or of no window at all (a start that
// shows one before, or without, a main window).
HWND WaitMessageBox(const std::wstring& caption, DWORD timeoutMs, bool ownerless = false) {
    HWND owner = ownerless ? nullptr : RequireFrame();
    HWND found = nullptr;
    WaitUntil(timeoutMs, [&]() -> std::wstring {
        for (HWND box : TopLevelWindows(L"#32770"))
            if (::GetWindow(box, GW_OWNER) == owner && ::IsWindowVisible(box) &&
                (caption == L"*" || TextOf(box) == caption)) {
                found = box;
                return {};
            }
        return L"no message box captioned " + Quoted(caption) + (ownerless ? L" of its own" : L" over the main window");
    });
    return found;
}

// painted-dialog CAPTION: the dialog of the main window with this caption is
// shown and has painted itself and every control (a picture taken the moment
// a window comes up may catch it half painted).
int PaintedDialog(const Args& args) {
    args.Allow({}, 1);
    HWND dialog = WaitMessageBox(args.words[0], args.timeoutMs);
    // Painting another thread's window now waits until that thread has painted it.
    if (!::RedrawWindow(dialog, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW))
        Fail(L"the dialog cannot be painted, error " + std::to_wstring(::GetLastError()));
    return 0;
}

// check-message-box CAPTION TEXT: it shows exactly TEXT and only an OK button.
int CheckMessageBox(const Args& args) {
    args.Allow({}, 2);
    HWND box = WaitMessageBox(args.words[0], args.timeoutMs);
    const std::wstring text = TextOf(::GetDlgItem(box, 0xFFFF));
    if (text != args.words[1])
        Fail(L"the message box says " + Quoted(text));
    const std::vector<HWND> buttons = VisibleButtons(box);
    if (buttons.size() != 1 || ::GetDlgCtrlID(buttons[0]) != IDOK || TextOf(buttons[0]) != L"OK")
        Fail(L"the message box does not have just an OK button (" + std::to_wstring(buttons.size()) +
             L" buttons)");
    return 0;
}

// press-ok CAPTION [--ownerless]: answers the box as a click on OK does, and
// waits for it to close.
int PressOk(const Args& args) {
    args.Allow({L"--ownerless"}, 1);
    HWND box = WaitMessageBox(args.words[0], args.timeoutMs, args.Has(L"--ownerless"));
    HWND ok = ::GetDlgItem(box, IDOK);
    if (!ok)
        Fail(L"the message box has no OK button");
    ::PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(ok));
    WaitUntil(args.timeoutMs, [&]() -> std::wstring {
        return ::IsWindow(box) ? L"the message box is still open after OK" : std::wstring();
    });
    return 0;
}

// ---- the shell's tray ------------------------------------------------------

// What one of the taskbar's tooltips shows: Wine's shell keeps one per tray
// icon (the icon's tip, placed over the icon) and one per balloon. Wine's
// tooltips cannot report a balloon's title, so only its text is compared.
struct ShellTip {
    bool balloon = false;
    bool visible = false;
    bool placed = false;
    std::wstring text;
};

// The tooltips live in the shell's process, so their texts are fetched through
// a block of that process's memory.
struct TipQuery {
    TTTOOLINFOW tool;
    wchar_t text[1025];  // a tip holds at most 1024 characters
};

bool ReadTip(HWND tip, ShellTip& out) {
    UniqueHandle process = OpenWindowProcess(tip, PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE);
    if (!process)
        return false;
    auto* remote = static_cast<TipQuery*>(
        ::VirtualAllocEx(process.get(), nullptr, sizeof(TipQuery), MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
    if (!remote)
        return false;
    auto query = std::make_unique<TipQuery>();
    auto put = [&] { return ::WriteProcessMemory(process.get(), remote, query.get(), sizeof(TipQuery), nullptr); };
    auto get = [&] { return ::ReadProcessMemory(process.get(), remote, query.get(), sizeof(TipQuery), nullptr); };
    auto ask = [&](UINT message, WPARAM wParam, DWORD_PTR& result) {
        return ::SendMessageTimeoutW(tip, message, wParam, reinterpret_cast<LPARAM>(&remote->tool),
                                     SMTO_ABORTIFHUNG, kReplyTimeoutMs, &result) != 0;
    };
    // The first tool names the tip's owner; the text is then asked for it.
    DWORD_PTR found = 0, ignored = 0;
    query->tool.cbSize = sizeof(TTTOOLINFOW);
    bool ok = put() && ask(TTM_ENUMTOOLSW, 0, found) && found && get();
    if (ok) {
        query->tool.lpszText = remote->text;
        ok = put() && ask(TTM_GETTEXTW, std::size(query->text) - 1, ignored) && get();
    }
    ::VirtualFreeEx(process.get(), remote, 0, MEM_RELEASE);
    if (!ok)
        return false;
    query->text[std::size(query->text) - 1] = L'\0';
    out.balloon = (::GetWindowLongW(tip, GWL_STYLE) & TTS_BALLOON) != 0;
    out.visible = ::IsWindowVisible(tip) != FALSE;
    out.placed = !::IsRectEmpty(&query->tool.rect);
    out.text = query->text;
    return true;
}

std::vector<ShellTip> ShellTips() {
    std::vector<ShellTip> tips;
    HWND tray = ::FindWindowW(L"Shell_TrayWnd", nullptr);
    if (!tray)
        return tips;
    for (HWND window : TopLevelWindows(TOOLTIPS_CLASSW)) {
        ShellTip tip;
        if (::GetWindow(window, GW_OWNER) == tray && ReadTip(window, tip))
            tips.push_back(tip);
    }
    return tips;
}

// The lines of `text` are `patterns`; a pattern ending in '*' matches any line it begins.
bool LinesMatch(const std::wstring& text, const std::vector<std::wstring>& patterns) {
    std::vector<std::wstring> lines;
    for (std::size_t start = 0;;) {
        const std::size_t end = text.find(L'\n', start);
        lines.push_back(text.substr(start, end == std::wstring::npos ? end : end - start));
        if (end == std::wstring::npos)
            break;
        start = end + 1;
    }
    if (lines.size() != patterns.size())
        return false;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::wstring& pattern = patterns[i];
        if (pattern.ends_with(L'*') ? !lines[i].starts_with(pattern.substr(0, pattern.size() - 1))
                                    : lines[i] != pattern)
            return false;
    }
    return true;
}

// An icon whose tip's first line is lines[0]; its further lines are the
// rest, when given (the tip adds the last run's result after the first).
bool TrayIconShown(const std::vector<std::wstring>& lines) {
    for (const ShellTip& tip : ShellTips()) {
        if (tip.balloon || !tip.placed)
            continue;
        if (lines.size() > 1 ? LinesMatch(tip.text, lines)
                             : tip.text.substr(0, tip.text.find(L'\n')) == lines[0])
            return true;
    }
    return false;
}

// wait-tray-icon TIP [LINE...] [--gone]: an icon with this tip is in the
// notification area (or no longer is); see TrayIconShown.
int WaitTrayIcon(const Args& args) {
    args.Allow({L"--gone"}, args.words.empty() ? 1 : args.words.size());
    const bool gone = args.Has(L"--gone");
    WaitUntil(args.timeoutMs, [&]() -> std::wstring {
        if (TrayIconShown(args.words) == gone)
            return gone ? L"the tray icon " + Quoted(args.words[0]) + L" is still shown"
                        : L"no tray icon with the tip " + Quoted(args.words[0]);
        return {};
    });
    return 0;
}

// wait-balloon TEXT: the tray shows a balloon with exactly this text.
int WaitBalloon(const Args& args) {
    args.Allow({}, 1);
    WaitUntil(args.timeoutMs, [&]() -> std::wstring {
        std::wstring seen;
        for (const ShellTip& tip : ShellTips()) {
            if (!tip.balloon || !tip.visible)
                continue;
            if (tip.text == args.words[0])
                return {};
            seen = L" (one says " + Quoted(tip.text) + L")";
        }
        return L"no balloon saying " + Quoted(args.words[0]) + seen;
    });
    return 0;
}

// ---- registry --------------------------------------------------------------

struct RegValue {
    bool exists = false;
    DWORD type = REG_NONE;
    std::vector<BYTE> data;
};

RegValue ReadValue(HKEY root, const wchar_t* keyPath, const std::wstring& name) {
    RegValue value;
    HKEY key = nullptr;
    if (::RegOpenKeyExW(root, keyPath, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return value;
    DWORD size = 0;
    if (::RegQueryValueExW(key, name.c_str(), nullptr, &value.type, nullptr, &size) == ERROR_SUCCESS) {
        value.data.resize(size);
        value.exists = ::RegQueryValueExW(key, name.c_str(), nullptr, &value.type, value.data.data(), &size) ==
                       ERROR_SUCCESS;
        value.data.resize(size);
    }
    ::RegCloseKey(key);
    return value;
}

RegValue StringValue(const std::wstring& text) {
    RegValue value{true, REG_SZ, {}};
    const auto* bytes = reinterpret_cast<const BYTE*>(text.c_str());
    value.data.assign(bytes, bytes + (text.size() + 1) * sizeof(wchar_t));  // with its terminating null
    return value;
}

// A value as the ring writes it: NAME=dword:N, NAME=sz:TEXT, NAME=binary:HEX
// or NAME=long-sz:N (N characters of text).
std::pair<std::wstring, RegValue> ParseValueArg(const std::wstring& arg) {
    const auto equals = arg.find(L'=');
    const auto colon = arg.find(L':', equals == std::wstring::npos ? 0 : equals);
    if (equals == std::wstring::npos || colon == std::wstring::npos)
        Fail(L"expected NAME=TYPE:VALUE, got " + arg);
    const std::wstring type = arg.substr(equals + 1, colon - equals - 1);
    const std::wstring text = arg.substr(colon + 1);
    RegValue value{true, REG_NONE, {}};
    if (type == L"dword") {
        const DWORD number = static_cast<DWORD>(ParseNumber(text));
        value.type = REG_DWORD;
        value.data.assign(reinterpret_cast<const BYTE*>(&number), reinterpret_cast<const BYTE*>(&number + 1));
    } else if (type == L"sz") {
        value = StringValue(text);
    } else if (type == L"multi") {
        // Strings parted by |, each with its null, then the list's closing null.
        value.type = REG_MULTI_SZ;
        std::wstring strings;
        for (std::size_t start = 0; start < text.size();) {
            const std::size_t bar = std::min(text.find(L'|', start), text.size());
            strings += text.substr(start, bar - start) + L'\0';
            start = bar + 1;
        }
        strings += L'\0';
        value.data.assign(reinterpret_cast<const BYTE*>(strings.data()),
                          reinterpret_cast<const BYTE*>(strings.data() + strings.size()));
    } else if (type == L"long-sz") {
        value = StringValue(std::wstring(ParseNumber(text), L'x'));
    } else if (type == L"binary" && text.size() % 2 == 0) {
        value.type = REG_BINARY;
        for (std::size_t i = 0; i < text.size(); i += 2)
            value.data.push_back(static_cast<BYTE>(ParseNumber(L"0x" + text.substr(i, 2))));
    } else {
        Fail(L"unknown value type in " + arg);
    }
    return {arg.substr(0, equals), value};
}

// The text of a string value up to its first null, and whether it has one at its end.
std::wstring ShownText(const RegValue& value) {
    std::wstring text(reinterpret_cast<const wchar_t*>(value.data.data()), value.data.size() / sizeof(wchar_t));
    const bool terminated = !text.empty() && text.back() == L'\0';
    text = text.substr(0, text.find(L'\0'));
    if (text.size() > 80)
        text = text.substr(0, 80) + L"...";
    return Quoted(text) + (terminated ? L"" : L" without a terminating null");
}

std::wstring Describe(const RegValue& value) {
    if (!value.exists)
        return L"missing";
    std::wstring shown;
    if (value.type == REG_DWORD && value.data.size() == sizeof(DWORD))
        shown = L"REG_DWORD " + std::to_wstring(*reinterpret_cast<const DWORD*>(value.data.data()));
    else if (value.type == REG_SZ)
        shown = L"REG_SZ " + ShownText(value);
    else
        shown = L"type " + std::to_wstring(value.type);
    return shown + L" of " + std::to_wstring(value.data.size()) + L" bytes";
}

// Type, size and every byte must match: a string without its null, or a
// number stored as text, is as wrong as a wrong number.
void ExpectValue(HKEY root, const wchar_t* keyPath, const std::wstring& name, const RegValue& expected) {
    const RegValue actual = ReadValue(root, keyPath, name);
    if (actual.exists != expected.exists || actual.type != expected.type || actual.data != expected.data)
        Fail(Quoted(name) + L" is " + Describe(actual) + L", expected " + Describe(expected));
}

void WriteValue(HKEY root, const wchar_t* keyPath, const std::wstring& name, const RegValue& value) {
    HKEY key = nullptr;
    LSTATUS status = ::RegCreateKeyExW(root, keyPath, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr);
    if (status == ERROR_SUCCESS) {
        status = ::RegSetValueExW(key, name.c_str(), 0, value.type, value.data.data(),
                                  static_cast<DWORD>(value.data.size()));
        ::RegCloseKey(key);
    }
    if (status != ERROR_SUCCESS)
        Fail(L"cannot write " + Quoted(name) + L", error " + std::to_wstring(status));
}

DWORD ValueCount(HKEY root, const wchar_t* keyPath) {
    HKEY key = nullptr;
    DWORD count = 0;
    if (::RegOpenKeyExW(root, keyPath, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return 0;
    ::RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &count, nullptr, nullptr,
                       nullptr, nullptr);
    ::RegCloseKey(key);
    return count;
}

// reset-registry: no stored settings and no Run value, as on a fresh machine.
int ResetRegistry(const Args& args) {
    args.Allow({}, 0);
    const LSTATUS profile = ::RegDeleteTreeW(HKEY_CURRENT_USER, kProfileKey);
    const LSTATUS run = ::RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, kRunKey, kRunValue);
    for (LSTATUS status : {profile, run})
        if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND)
            Fail(L"cannot clear the registry, error " + std::to_wstring(status));
    return 0;
}

// seed-settings NAME=TYPE:VALUE...: stores a settings record, well-formed or not.
int SeedSettings(const Args& args) {
    args.Allow({}, args.words.size());
    for (const auto& word : args.words) {
        const auto [name, value] = ParseValueArg(word);
        WriteValue(HKEY_CURRENT_USER, kSettingsKey, name, value);
    }
    return 0;
}

// check-settings NAME=TYPE:VALUE...: the stored record holds exactly these values.
int CheckSettings(const Args& args) {
    args.Allow({}, args.words.size());
    for (const auto& word : args.words) {
        const auto [name, value] = ParseValueArg(word);
        ExpectValue(HKEY_CURRENT_USER, kSettingsKey, name, value);
    }
    const DWORD count = ValueCount(HKEY_CURRENT_USER, kSettingsKey);
    if (count != args.words.size())
        Fail(L"the settings key holds " + std::to_wstring(count) + L" values, expected " +
             std::to_wstring(args.words.size()));
    return 0;
}

// seed-run-entry TEXT: a Run value left from before.
int SeedRunEntry(const Args& args) {
    args.Allow({}, 1);
    WriteValue(HKEY_LOCAL_MACHINE, kRunKey, kRunValue, StringValue(args.words[0]));
    return 0;
}

// check-run-entry quoted PATH | check-run-entry empty
int CheckRunEntry(const Args& args) {
    if (args.words.size() == 2 && args.words[0] == L"quoted")
        ExpectValue(HKEY_LOCAL_MACHINE, kRunKey, kRunValue, StringValue(Quoted(args.words[1])));
    else if (args.words.size() == 1 && args.words[0] == L"empty")
        ExpectValue(HKEY_LOCAL_MACHINE, kRunKey, kRunValue, StringValue(L""));
    else
        Fail(L"expected: check-run-entry quoted PATH | empty");
    return 0;
}

// ---- controls of the shown page and dialogs ---------------------------------

// The visible control with this id anywhere in the main window: ids repeat
// from page to page, but only the shown page's controls are visible.
HWND ShownControl(const std::wstring& idText) {
    struct Search {
        int id;
        HWND found;
    } search{static_cast<int>(ParseNumber(idText)), nullptr};
    ::EnumChildWindows(
        RequireFrame(),
        [](HWND child, LPARAM context) -> BOOL {
            auto* s = reinterpret_cast<Search*>(context);
            if (::GetDlgCtrlID(child) == s->id && ::IsWindowVisible(child))
                s->found = child;
            return s->found ? FALSE : TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    if (!search.found)
        Fail(L"no visible control " + idText + L" in the main window");
    return search.found;
}

LRESULT AskControl(HWND control, UINT message, WPARAM wParam, LPARAM lParam, DWORD timeoutMs) {
    DWORD_PTR result = 0;
    if (!::SendMessageTimeoutW(control, message, wParam, lParam, SMTO_ABORTIFHUNG, timeoutMs, &result))
        Fail(L"the control did not answer within " + std::to_wstring(timeoutMs) + L" ms");
    return static_cast<LRESULT>(result);
}

// set-text ID TEXT: replaces the text of the shown control, as typing over it does.
int SetControlText(const Args& args) {
    args.Allow({}, 2);
    AskControl(ShownControl(args.words[0]), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(args.words[1].c_str()),
               args.timeoutMs);
    return 0;
}

// click ID: a click on the shown button or check box; returns once the program has handled it.
int ClickControl(const Args& args) {
    args.Allow({}, 1);
    AskControl(ShownControl(args.words[0]), BM_CLICK, 0, 0, args.timeoutMs);
    return 0;
}

// post-click ID: clicks the shown control without waiting for what the click
// does (a button that opens a modal dialog answers only once it is closed).
int PostClickControl(const Args& args) {
    args.Allow({}, 1);
    if (!::PostMessageW(ShownControl(args.words[0]), BM_CLICK, 0, 0))
        Fail(L"PostMessage failed, error " + std::to_wstring(::GetLastError()));
    return 0;
}

// check-text ID TEXT: the shown control says exactly TEXT.
int CheckControlText(const Args& args) {
    args.Allow({}, 2);
    // Asked of the control itself: GetWindowText of another process's edit field sees nothing.
    wchar_t buffer[256] = {};
    AskControl(ShownControl(args.words[0]), WM_GETTEXT, std::size(buffer), reinterpret_cast<LPARAM>(buffer),
               args.timeoutMs);
    const std::wstring text = buffer;
    if (text != args.words[1])
        Fail(L"control " + args.words[0] + L" says " + Quoted(text) + L", expected " + Quoted(args.words[1]));
    return 0;
}

// check-checked ID 0|1: the shown check box is cleared or checked.
int CheckChecked(const Args& args) {
    args.Allow({}, 2);
    const LRESULT state = AskControl(ShownControl(args.words[0]), BM_GETCHECK, 0, 0, args.timeoutMs);
    if (state != static_cast<LRESULT>(ParseNumber(args.words[1])))
        Fail(L"check box " + args.words[0] + L" is " + std::to_wstring(state) + L", expected " + args.words[1]);
    return 0;
}

// wait-dialog CAPTION: a dialog of the main window with this caption is shown.
int WaitDialog(const Args& args) {
    args.Allow({}, 1);
    WaitMessageBox(args.words[0], args.timeoutMs);
    return 0;
}

// ---- the installed product ---------------------------------------------------

template <typename T>
struct ComReleaser {
    void operator()(T* object) const { object->Release(); }
};
template <typename T>
using ComPtr = std::unique_ptr<T, ComReleaser<T>>;

struct ComScope {
    ComScope() { ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); }
    ~ComScope() { ::CoUninitialize(); }
};

// check-version FILE TEXT MAJOR MINOR: the version resource of FILE.
int CheckVersion(const Args& args) {
    args.Allow({}, 4);
    const std::wstring& file = args.words[0];
    DWORD ignored = 0;
    const DWORD size = ::GetFileVersionInfoSizeW(file.c_str(), &ignored);
    std::vector<BYTE> info(size);
    if (size == 0 || !::GetFileVersionInfoW(file.c_str(), 0, size, info.data()))
        Fail(file + L" has no version resource");
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    if (!::VerQueryValueW(info.data(), L"\\", reinterpret_cast<void**>(&fixed), &length) || !fixed)
        Fail(L"no fixed version information");
    const DWORD wanted = static_cast<DWORD>(ParseNumber(args.words[2]) << 16 | ParseNumber(args.words[3]));
    if (fixed->dwFileVersionMS != wanted || fixed->dwProductVersionMS != wanted)
        Fail(L"file version " + std::to_wstring(HIWORD(fixed->dwFileVersionMS)) + L"." +
             std::to_wstring(LOWORD(fixed->dwFileVersionMS)));
    const WORD* translation = nullptr;
    if (!::VerQueryValueW(info.data(), L"\\VarFileInfo\\Translation", (void**)&translation, &length) || length < 4)
        Fail(L"no translation table");
    wchar_t block[64];
    std::swprintf(block, 64, L"\\StringFileInfo\\%04x%04x\\", translation[0], translation[1]);
    for (const wchar_t* name : {L"FileVersion", L"ProductVersion"}) {
        wchar_t* text = nullptr;
        if (!::VerQueryValueW(info.data(), (std::wstring(block) + name).c_str(), (void**)&text, &length) ||
            args.words[1] != text)
            Fail(std::wstring(name) + L" is not " + args.words[1]);
    }
    for (const wchar_t* name : {L"ProductName", L"CompanyName", L"FileDescription", L"LegalCopyright"}) {
        wchar_t* text = nullptr;
        if (!::VerQueryValueW(info.data(), (std::wstring(block) + name).c_str(), (void**)&text, &length) ||
            !text || !*text)
            Fail(std::wstring(name) + L" is missing");
    }
    return 0;
}

struct Shortcut {
    std::wstring target;
    std::wstring workingFolder;
};

Shortcut ReadShortcut(const std::wstring& path) {
    ComScope com;
    IShellLinkW* created = nullptr;
    if (FAILED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                  reinterpret_cast<void**>(&created))))
        Fail(L"no shell link object");
    ComPtr<IShellLinkW> link(created);
    IPersistFile* persisted = nullptr;
    link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&persisted));
    ComPtr<IPersistFile> file(persisted);
    if (!file || FAILED(file->Load(path.c_str(), STGM_READ)))
        Fail(L"cannot read the shortcut " + path);
    wchar_t text[MAX_PATH] = L"";
    Shortcut shortcut;
    if (SUCCEEDED(link->GetPath(text, MAX_PATH, nullptr, 0)))
        shortcut.target = text;
    text[0] = L'\0';
    if (SUCCEEDED(link->GetWorkingDirectory(text, MAX_PATH)))
        shortcut.workingFolder = text;
    return shortcut;
}

// check-shortcut LINK TARGET WORKING_FOLDER
int CheckShortcut(const Args& args) {
    args.Allow({}, 3);
    const Shortcut shortcut = ReadShortcut(args.words[0]);
    if (::lstrcmpiW(shortcut.target.c_str(), args.words[1].c_str()) != 0)
        Fail(L"the shortcut starts " + Quoted(shortcut.target));
    if (::lstrcmpiW(shortcut.workingFolder.c_str(), args.words[2].c_str()) != 0)
        Fail(L"the shortcut works in " + Quoted(shortcut.workingFolder));
    return 0;
}

// start-shortcut LINK: starts what the shortcut names, in its working folder,
// as the Start menu does; the program is left running.
int StartShortcut(const Args& args) {
    args.Allow({}, 1);
    const Shortcut shortcut = ReadShortcut(args.words[0]);
    std::wstring commandLine = Quoted(shortcut.target);
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    if (!::CreateProcessW(shortcut.target.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                          shortcut.workingFolder.empty() ? nullptr : shortcut.workingFolder.c_str(), &startup,
                          &process))
        Fail(L"cannot start " + Quoted(shortcut.target) + L", error " + std::to_wstring(::GetLastError()));
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    return 0;
}

// check-task present|absent NAME: the task in the root folder of the Task
// Scheduler, waited for: the program keeps its task in step on a worker.
int CheckTask(const Args& args) {
    args.Allow({}, 2);
    ComScope com;
    ITaskService* created = nullptr;
    if (FAILED(::CoCreateInstance(CLSID_TaskScheduler, nullptr, CLSCTX_INPROC_SERVER, IID_ITaskService,
                                  reinterpret_cast<void**>(&created))))
        Fail(L"no Task Scheduler");
    ComPtr<ITaskService> service(created);
    VARIANT none;
    ::VariantInit(&none);
    ITaskFolder* root = nullptr;
    BSTR rootPath = ::SysAllocString(L"\\");
    const HRESULT connected = service->Connect(none, none, none, none);
    if (FAILED(connected) || FAILED(service->GetFolder(rootPath, &root)))
        Fail(L"cannot reach the Task Scheduler");
    ::SysFreeString(rootPath);
    ComPtr<ITaskFolder> folder(root);
    BSTR name = ::SysAllocString(args.words[1].c_str());
    WaitUntil(args.timeoutMs, [&]() -> std::wstring {
        IRegisteredTask* task = nullptr;
        const bool present = SUCCEEDED(folder->GetTask(name, &task));
        ComPtr<IRegisteredTask> owned(task);
        if (present == (args.words[0] == L"present"))
            return {};
        return L"the task " + Quoted(args.words[1]) + (present ? L" is registered" : L" is not registered");
    });
    ::SysFreeString(name);
    return 0;
}

// wait-help-window TITLE: the help viewer shows TITLE; it is then closed and
// waited for, so no viewer outlives the step.
int WaitHelpWindow(const Args& args) {
    args.Allow({}, 1);
    HWND viewer = nullptr;
    WaitUntil(args.timeoutMs, [&]() -> std::wstring {
        viewer = nullptr;
        ::EnumWindows([](HWND window, LPARAM found) -> BOOL {
            if (!::IsWindowVisible(window) || TextOf(window).find(L" Help") == std::wstring::npos)
                return TRUE;
            *reinterpret_cast<HWND*>(found) = window;
            return FALSE;
        }, reinterpret_cast<LPARAM>(&viewer));
        if (viewer && TextOf(viewer) == args.words[0])
            return {};
        return viewer ? L"the help viewer shows " + Quoted(TextOf(viewer)) : L"no help viewer";
    });
    ::PostMessageW(viewer, WM_CLOSE, 0, 0);
    WaitUntil(args.timeoutMs, [&]() -> std::wstring {
        return ::IsWindow(viewer) ? L"the help viewer does not close" : L"";
    });
    return 0;
}

// no-message-box CAPTION: none is over the main window now.
int NoMessageBox(const Args& args) {
    args.Allow({}, 1);
    HWND frame = RequireFrame();
    for (HWND box : TopLevelWindows(L"#32770"))
        if (::GetWindow(box, GW_OWNER) == frame && ::IsWindowVisible(box) && TextOf(box) == args.words[0])
            Fail(L"a message box says " + Quoted(TextOf(::GetDlgItem(box, 0xFFFF))));
    return 0;
}

// check-uninstall-entry KEY NAME VERSION PUBLISHER | check-uninstall-entry KEY --gone
int CheckUninstallEntry(const Args& args) {
    const bool gone = args.Has(L"--gone");
    args.Allow({L"--gone"}, gone ? 1 : 4);
    const std::wstring key = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + args.words[0];
    if (gone) {
        if (ReadValue(HKEY_LOCAL_MACHINE, key.c_str(), L"DisplayName").exists)
            Fail(L"the uninstaller is still registered");
        return 0;
    }
    ExpectValue(HKEY_LOCAL_MACHINE, key.c_str(), L"DisplayName", StringValue(args.words[1]));
    ExpectValue(HKEY_LOCAL_MACHINE, key.c_str(), L"DisplayVersion", StringValue(args.words[2]));
    ExpectValue(HKEY_LOCAL_MACHINE, key.c_str(), L"Publisher", StringValue(args.words[3]));
    for (const wchar_t* name : {L"DisplayIcon", L"UninstallString", L"QuietUninstallString", L"InstallLocation"}) {
        const RegValue value = ReadValue(HKEY_LOCAL_MACHINE, key.c_str(), name);
        if (!value.exists || value.type != REG_SZ || value.data.size() <= sizeof(wchar_t))
            Fail(Quoted(name) + L" is " + Describe(value));
    }
    const RegValue size = ReadValue(HKEY_LOCAL_MACHINE, key.c_str(), L"EstimatedSize");
    if (size.type != REG_DWORD || size.data.size() != sizeof(DWORD) || *reinterpret_cast<const DWORD*>(size.data.data()) == 0)
        Fail(L"EstimatedSize is " + Describe(size));
    return 0;
}

// check-no-run-entry: the Run value is gone altogether.
int CheckNoRunEntry(const Args& args) {
    args.Allow({}, 0);
    ExpectValue(HKEY_LOCAL_MACHINE, kRunKey, kRunValue, RegValue{});
    return 0;
}

// ---- the process list ------------------------------------------------------

// Memory in the program's process for a message that passes a pointer.
class RemoteBuffer {
public:
    RemoteBuffer(HWND window, std::size_t size)
        : m_process(OpenWindowProcess(window, PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE)) {
        if (!m_process)
            Fail(L"cannot open the program's process");
        m_address = ::VirtualAllocEx(m_process.get(), nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
        if (!m_address)
            Fail(L"cannot allocate memory in the program's process");
    }
    RemoteBuffer(const RemoteBuffer&) = delete;
    RemoteBuffer& operator=(const RemoteBuffer&) = delete;
    ~RemoteBuffer() { ::VirtualFreeEx(m_process.get(), m_address, 0, MEM_RELEASE); }

    BYTE* At(std::size_t offset) const { return static_cast<BYTE*>(m_address) + offset; }
    void Write(std::size_t offset, const void* data, std::size_t size) const {
        if (!::WriteProcessMemory(m_process.get(), At(offset), data, size, nullptr))
            Fail(L"cannot write to the program's process");
    }
    void Read(std::size_t offset, void* data, std::size_t size) const {
        if (!::ReadProcessMemory(m_process.get(), At(offset), data, size, nullptr))
            Fail(L"cannot read from the program's process");
    }

private:
    UniqueHandle m_process;
    void* m_address = nullptr;
};

// The list view on the page shown now.
HWND VisibleListView() {
    struct Search {
        HWND found = nullptr;
    } search;
    ::EnumChildWindows(
        RequireFrame(),
        [](HWND child, LPARAM context) -> BOOL {
            auto* s = reinterpret_cast<Search*>(context);
            if (ClassOf(child) == L"SysListView32" && ::IsWindowVisible(child))
                s->found = child;
            return s->found == nullptr;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
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

// ---- a process started while the program runs ---------------------------------

HANDLE OpenHoldEvent(const std::wstring& name, DWORD access) {
    return ::OpenEventW(access, FALSE, (L"Local\\" + name).c_str());
}

// hold NAME [--timeout-ms N]: stays running until `release NAME`, or fails at
// the deadline. Run from a copy of the driver, it is a process with a name of
// its own for the process list to show.
int Hold(const Args& args) {
    args.Allow({}, 1);
    UniqueHandle released(::CreateEventW(nullptr, TRUE, FALSE, (L"Local\\" + args.words[0]).c_str()));
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
        UniqueHandle held(OpenHoldEvent(args.words[0], SYNCHRONIZE));
        return held ? L"" : L"no process holds " + Quoted(args.words[0]);
    });
    return 0;
}

// release NAME: the `hold NAME` running ends.
int Release(const Args& args) {
    args.Allow({}, 1);
    UniqueHandle held(OpenHoldEvent(args.words[0], EVENT_MODIFY_STATE));
    if (!held || !::SetEvent(held.get()))
        Fail(L"no process holds " + Quoted(args.words[0]));
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

// popup-text LINE...: the one popup shown has these lines as its window text,
// what a screen reader reads; a LINE ending in '*' matches any line it begins.
int PopupText(const Args& args) {
    args.Allow({}, args.words.empty() ? 1 : args.words.size());
    const std::vector<HWND> popups = VisiblePopups();
    if (popups.size() != 1)
        Fail(std::to_wstring(popups.size()) + L" popups are shown");
    const std::wstring text = TextOf(popups[0]);
    if (!LinesMatch(text, args.words))
        Fail(L"the popup's window text is " + Quoted(text));
    return 0;
}

// ---- the keyboard ------------------------------------------------------------

// press-ctrl-alt LETTER: Ctrl+Alt+LETTER typed on the keyboard, as keyboard input.
int PressCtrlAlt(const Args& args) {
    args.Allow({}, 1);
    if (args.words[0].size() != 1 || !std::iswupper(args.words[0][0]))
        Fail(L"expected one capital letter, not " + Quoted(args.words[0]));
    const WORD order[] = {VK_CONTROL, VK_MENU, static_cast<WORD>(args.words[0][0])};
    INPUT keys[6] = {};
    for (int i = 0; i < 3; ++i) {
        keys[i].type = keys[5 - i].type = INPUT_KEYBOARD;
        keys[i].ki.wVk = keys[5 - i].ki.wVk = order[i];
        keys[5 - i].ki.dwFlags = KEYEVENTF_KEYUP;
    }
    if (::SendInput(6, keys, sizeof(INPUT)) != 6)
        Fail(L"the keys were not taken, error " + std::to_wstring(::GetLastError()));
    return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    static const struct {
        const wchar_t* name;
        std::function<int(const Args&)> run;
    } kCommands[] = {
        {L"wait-window", WaitWindow},
        {L"wait-gone", WaitGone},
        {L"send", [](const Args& args) { return Deliver(args, false); }},
        {L"post", [](const Args& args) { return Deliver(args, true); }},
        {L"post-commands", PostCommands},
        {L"post-from-tray", PostFromTray},
        {L"stop-program", StopProgram},
        {L"wait-popup", WaitPopup},
        {L"no-popup", NoPopup},
        {L"popup-colour", PopupColour},
        {L"wait-live-performance", WaitLivePerformance},
        {L"check-message-box", CheckMessageBox},
        {L"press-ok", PressOk},
        {L"wait-tray-icon", WaitTrayIcon},
        {L"wait-balloon", WaitBalloon},
        {L"reset-registry", ResetRegistry},
        {L"seed-settings", SeedSettings},
        {L"check-settings", CheckSettings},
        {L"seed-run-entry", SeedRunEntry},
        {L"check-run-entry", CheckRunEntry},
        {L"set-text", SetControlText},
        {L"click", ClickControl},
        {L"post-click", PostClickControl},
        {L"painted-dialog", PaintedDialog},
        {L"check-text", CheckControlText},
        {L"check-checked", CheckChecked},
        {L"wait-dialog", WaitDialog},
        {L"check-version", CheckVersion},
        {L"check-shortcut", CheckShortcut},
        {L"start-shortcut", StartShortcut},
        {L"check-task", CheckTask},
        {L"wait-help-window", WaitHelpWindow},
        {L"no-message-box", NoMessageBox},
        {L"check-uninstall-entry", CheckUninstallEntry},
        {L"check-no-run-entry", CheckNoRunEntry},
        {L"click-list-header", ClickListHeader},
        {L"check-process-list", CheckProcessList},
        {L"hold", Hold},
        {L"wait-held", WaitHeld},
        {L"release", Release},
        {L"check-list-row", CheckListRow},
        {L"popup-text", PopupText},
        {L"press-ctrl-alt", PressCtrlAlt},
    };
    if (argc >= 2)
        for (const auto& command : kCommands)
            if (argv[1] == std::wstring(command.name))
                return command.run(ParseArgs(argc, argv));
    std::wstring names;
    for (const auto& command : kCommands)
        names += std::wstring(names.empty() ? L"" : L", ") + command.name;
    Fail(L"usage: qmo_e2e_driver COMMAND [ARGS] [--timeout-ms N]; commands: " + names);
}
