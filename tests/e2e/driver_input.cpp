// What the ring does to the program: messages to its main window, clicks and
// text for the controls of its shown page (and what they answer), and keys.
#include "tests/e2e/driver.h"

#include <cwctype>

#include "res/resource.h"

namespace qmo::e2e {

namespace {

void Post(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (!::PostMessageW(window, message, wParam, lParam))
        Fail(L"PostMessage failed, error " + std::to_wstring(::GetLastError()));
}

// The visible control with this id anywhere in the main window: ids repeat
// from page to page, but only the shown page's controls are visible.
HWND ShownControl(const std::wstring& idText) {
    const int id = static_cast<int>(ParseNumber(idText));
    HWND found = FirstShownChild(RequireFrame(), [id](HWND child) { return ::GetDlgCtrlID(child) == id; });
    if (!found)
        Fail(L"no visible control " + idText + L" in the main window");
    return found;
}

LRESULT AskControl(HWND control, UINT message, WPARAM wParam, LPARAM lParam, DWORD timeoutMs) {
    DWORD_PTR result = 0;
    if (!::SendMessageTimeoutW(control, message, wParam, lParam, SMTO_ABORTIFHUNG, timeoutMs, &result))
        Fail(L"the control did not answer within " + std::to_wstring(timeoutMs) + L" ms");
    return static_cast<LRESULT>(result);
}

}  // namespace

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
        Post(frame, message, wParam, lParam);
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
        Post(frame, WM_COMMAND, static_cast<WPARAM>(ParseNumber(id)), 0);
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
    Post(frame, WM_COMMAND, static_cast<WPARAM>(ParseNumber(args.words[0])), reinterpret_cast<LPARAM>(tray));
    return 0;
}

// stop-program: tray "Exit" to every main window there is, then wait-gone.
int StopProgram(const Args& args) {
    args.Allow({}, 0);
    for (HWND frame : TopLevelWindows(kFrameClass))
        ::PostMessageW(frame, WM_COMMAND, ID_TRAY_EXIT, 0);
    return WaitGone(args);
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
    Post(ShownControl(args.words[0]), BM_CLICK, 0, 0);
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

}  // namespace qmo::e2e
