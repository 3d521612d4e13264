// Finding the program's windows and waiting for them: the main window, its
// message boxes and dialogs, and the help viewer.
#include "tests/e2e/driver.h"

#include "res/resource.h"

namespace qmo::e2e {

namespace {

constexpr wchar_t kFrameTitle[] = L"Quenvale Memory Optimizer";
constexpr wchar_t kInstanceMutex[] = L"Global\\{80000000-DCC6-49b5-9C61-DE91175C3178}";

// Every top-level window that `matches`, in z-order.
std::vector<HWND> TopLevelWindowsWhere(const std::function<bool(HWND)>& matches) {
    struct Search {
        const std::function<bool(HWND)>* matches;
        std::vector<HWND> found;
    } search{&matches, {}};
    ::EnumWindows(
        [](HWND window, LPARAM context) -> BOOL {
            auto* s = reinterpret_cast<Search*>(context);
            if ((*s->matches)(window))
                s->found.push_back(window);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// A window exists during WM_CREATE, before the start-up shows and hides it;
// its state counts only once the process has first gone idle in its loop.
bool FinishedStarting(HWND window) {
    qmo::unique_kernel_handle process = OpenWindowProcess(window, PROCESS_QUERY_INFORMATION | SYNCHRONIZE);
    return process && ::WaitForInputIdle(process.get(), 0) == 0;
}

bool InstanceMutexHeld() {
    qmo::unique_kernel_handle mutex(::OpenMutexW(SYNCHRONIZE, FALSE, kInstanceMutex));
    return static_cast<bool>(mutex);
}

void WaitClosed(HWND window, DWORD timeoutMs, const std::wstring& unmet) {
    WaitUntil(timeoutMs, [&]() -> std::wstring { return ::IsWindow(window) ? unmet : std::wstring(); });
}

// The message boxes and dialogs of `owner` (none: of no window) on screen.
std::vector<HWND> ShownDialogsOf(HWND owner) {
    return TopLevelWindowsWhere([owner](HWND box) {
        return ClassOf(box) == L"#32770" && ::GetWindow(box, GW_OWNER) == owner && ::IsWindowVisible(box);
    });
}

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
        for (HWND box : ShownDialogsOf(owner))
            if (caption == L"*" || TextOf(box) == caption) {
                found = box;
                return {};
            }
        return L"no message box captioned " + Quoted(caption) + (ownerless ? L" of its own" : L" over the main window");
    });
    return found;
}

}  // namespace

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
    return TopLevelWindowsWhere([&](HWND window) { return ClassOf(window) == className; });
}

HWND FirstShownChild(HWND parent, const std::function<bool(HWND)>& matches) {
    struct Search {
        const std::function<bool(HWND)>* matches;
        HWND found;
    } search{&matches, nullptr};
    ::EnumChildWindows(
        parent,
        [](HWND child, LPARAM context) -> BOOL {
            auto* s = reinterpret_cast<Search*>(context);
            if (::IsWindowVisible(child) && (*s->matches)(child))
                s->found = child;
            return s->found == nullptr;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// A second main window is never right, so it fails at once instead of being
// waited out.
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

// wait-dialog CAPTION: a dialog of the main window with this caption is shown.
int WaitDialog(const Args& args) {
    args.Allow({}, 1);
    WaitMessageBox(args.words[0], args.timeoutMs);
    return 0;
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
    WaitClosed(box, args.timeoutMs, L"the message box is still open after OK");
    return 0;
}

// no-message-box CAPTION: none is over the main window now.
int NoMessageBox(const Args& args) {
    args.Allow({}, 1);
    for (HWND box : ShownDialogsOf(RequireFrame()))
        if (TextOf(box) == args.words[0])
            Fail(L"a message box says " + Quoted(TextOf(::GetDlgItem(box, 0xFFFF))));
    return 0;
}

// wait-help-window TITLE: the help viewer shows TITLE; it is then closed and
// waited for, so no viewer outlives the step.
int WaitHelpWindow(const Args& args) {
    args.Allow({}, 1);
    HWND viewer = nullptr;
    WaitUntil(args.timeoutMs, [&]() -> std::wstring {
        const std::vector<HWND> viewers = TopLevelWindowsWhere([](HWND window) {
            return ::IsWindowVisible(window) && TextOf(window).find(L" Help") != std::wstring::npos;
        });
        viewer = viewers.empty() ? nullptr : viewers[0];
        if (viewer && TextOf(viewer) == args.words[0])
            return {};
        return viewer ? L"the help viewer shows " + Quoted(TextOf(viewer)) : L"no help viewer";
    });
    ::PostMessageW(viewer, WM_CLOSE, 0, 0);
    WaitClosed(viewer, args.timeoutMs, L"the help viewer does not close");
    return 0;
}

}  // namespace qmo::e2e
