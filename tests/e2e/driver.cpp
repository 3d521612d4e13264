// The end-to-end ring's hands and eyes: it works the real program from the
// outside, through its windows, the shell's tray and the registry. Every
// subcommand exits 0 when what it checks holds, and 1 with a one-line reason
// on stderr when it does not. Waits poll with a deadline; none sleeps blind.
// This file reads the command line and runs the subcommand it names.
#include "tests/e2e/driver.h"

#include <cstdio>
#include <cstdlib>
#include <cwchar>

namespace qmo::e2e {

namespace {

std::string Utf8(const std::wstring& text) {
    const int size = ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0,
                                           nullptr, nullptr);
    std::string out(static_cast<std::size_t>(size), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), out.data(), size, nullptr,
                          nullptr);
    return out;
}

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

}  // namespace

void Fail(const std::wstring& reason) {
    std::fprintf(stderr, "%s\n", Utf8(reason).c_str());
    std::fflush(stderr);
    std::exit(1);
}

std::wstring Quoted(const std::wstring& text) {
    return L"\"" + text + L"\"";
}

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

}  // namespace qmo::e2e

int wmain(int argc, wchar_t** argv) {
    using namespace qmo::e2e;
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
