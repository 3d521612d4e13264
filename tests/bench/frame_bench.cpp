// How long the user-interface thread is held by what a user does to the
// window: its first showing (the view and the page made and painted), each
// page's and the history window's first showing, a theme or language switch,
// and a run added to a full history window; each round on a new main frame.
#include "frame_bench.h"

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "config/registry_profile.h"
#include "config/registry_run_entry.h"
#include "history/history_window.h"
#include "res/resource.h"
#include "shell/main_frame.h"

namespace qmo::bench {
namespace {

constexpr wchar_t kScratchKey[] = L"Software\\Quenvale bench scratch";

using Clock = std::chrono::steady_clock;

double MsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// What a call cost the thread: the longest stretch it could not answer the
// user (the call itself, or one message it left, a paint among them), and
// the whole time until it had nothing left to do.
struct Held {
    double longest = 0.0;
    double total = 0.0;
};

// The call, then every message it left, each dispatched as the message loop
// would (input first, paints when nothing else waits), until the queue is
// empty and `settled` holds, or two seconds pass.
Held Measure(const std::function<void()>& call, const std::function<bool()>& settled = [] { return true; }) {
    const auto start = Clock::now();
    call();
    Held held{MsSince(start), 0.0};
    const ULONGLONG deadline = ::GetTickCount64() + 2000;
    MSG message;
    for (;;) {
        const auto waited = Clock::now();
        if (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&message);
            ::DispatchMessageW(&message);
            held.longest = std::max(held.longest, MsSince(waited));
            continue;
        }
        if (settled() || ::GetTickCount64() > deadline)
            break;
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
    held.total = MsSince(start);
    return held;
}

struct Figure {
    const char* name;
    std::vector<Held> rounds;
};

void PrintFigure(const Figure& figure) {
    if (figure.rounds.empty())
        return;
    std::vector<double> longest, total;
    for (const Held& held : figure.rounds) {
        longest.push_back(held.longest);
        total.push_back(held.total);
    }
    std::sort(longest.begin(), longest.end());
    std::sort(total.begin(), total.end());
    std::printf("%-44s %9.1f ms %9.1f ms %9.1f ms %6s\n", figure.name, longest.back(), longest[longest.size() / 2],
                total[total.size() / 2], longest.back() <= 16.0 ? "yes" : "NO");
}

// A main frame on a profile and Run key of the bench's own.
class ScratchFrame {
public:
    ScratchFrame() {
        HKEY run = nullptr;
        const std::wstring runKey = std::wstring(kScratchKey) + L"\\Run";
        if (::RegCreateKeyExW(HKEY_CURRENT_USER, runKey.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &run, nullptr) ==
            ERROR_SUCCESS)
            ::RegCloseKey(run);
        m_frame = std::make_unique<CMainFrame>(m_profile, m_run);
        if (!m_frame->Create()) {
            m_frame.reset();
            return;
        }
        m_frame->ShowForAMomentAtStart();
        Measure([] {});
    }
    ~ScratchFrame() {
        m_frame.reset();
        ::RegDeleteTreeW(HKEY_CURRENT_USER, kScratchKey);
    }
    CMainFrame* Frame() const { return m_frame.get(); }
    Held Command(UINT id, const std::function<bool()>& settled = [] { return true; }) {
        const HWND window = m_frame->GetSafeHwnd();
        return Measure([&] { ::SendMessageW(window, WM_COMMAND, id, 0); }, settled);
    }
    template <class Change>
    Held Settings(Change change) {
        OptimizerSettings record = m_frame->Logic().UserSettings();
        change(record);
        return Measure([&] { m_frame->Logic().ApplySettings(record, LogonTaskUpdate::LeftAlone); });
    }

private:
    RegistryProfile m_profile{HKEY_CURRENT_USER, std::wstring(kScratchKey) + L"\\Profile"};
    RegistryRunEntry m_run{HKEY_CURRENT_USER, std::wstring(kScratchKey) + L"\\Run"};
    std::unique_ptr<CMainFrame> m_frame;
};

// A full history, as the window shows it after 200 runs.
class FullHistory : public HistoryWindowSource {
public:
    FullHistory() {
        RunRecord record;
        record.inUseBefore = 3000ll << 20;
        record.freed = 412ll << 20;
        for (std::size_t i = 0; i < kHistoryCapacity; ++i)
            m_records.push_back(record);
    }
    void AddRun() {
        m_records.pop_front();
        m_records.push_back(m_records.back());
    }
    const std::deque<RunRecord>& Records() const override { return m_records; }
    MemoryReading ReadMemory() override { return {}; }
    std::wstring HistoryFolder() const override { return L"."; }
    std::string CsvText(const std::vector<const RunRecord*>&) const override { return {}; }

private:
    std::deque<RunRecord> m_records;
};

}  // namespace

void PrintFrameFigures(int rounds) {
    Figure firstShowing{"first showing: window, view, performance page", {}};
    Figure processPage{"  the process page's first showing", {}};
    Figure settingsPage{"  the settings page's first showing", {}};
    Figure historyWindow{"  the history window's first showing", {}};
    Figure showingAgain{"showing again from the tray", {}};
    Figure themeSwitch{"theme switch, dark and back", {}};
    Figure languageSwitch{"language switch and back", {}};
    Figure historyUpdate{"a run added to the open full history window", {}};
    for (int round = 0; round < rounds; ++round) {
        ScratchFrame scratch;
        CMainFrame* frame = scratch.Frame();
        if (!frame) {
            std::printf("(the main frame could not be made; no figures of the window)\n");
            return;
        }
        firstShowing.rounds.push_back(scratch.Command(ID_VIEW_PERFORMANCE));
        CProcessPage& page = frame->View().ProcessPage();
        processPage.rounds.push_back(scratch.Command(ID_VIEW_PROCESSES, [&] { return !page.RefreshPending(); }));
        settingsPage.rounds.push_back(scratch.Command(ID_VIEW_SETTINGS));
        historyWindow.rounds.push_back(scratch.Command(ID_VIEW_HISTORY));
        ::SendMessageW(frame->HistoryWindow().GetSafeHwnd(), WM_CLOSE, 0, 0);
        scratch.Command(ID_TRAY_SHOW_HIDE);
        showingAgain.rounds.push_back(scratch.Command(ID_TRAY_SHOW_HIDE));
        for (const ThemeChoice theme : {ThemeChoice::Dark, ThemeChoice::Light})
            themeSwitch.rounds.push_back(scratch.Settings([&](OptimizerSettings& record) { record.m_theme = theme; }));
        for (const char* language : {"de", ""})
            languageSwitch.rounds.push_back(
                scratch.Settings([&](OptimizerSettings& record) { record.m_language = language; }));
    }
    FullHistory history;
    CHistoryWindow window(history);
    window.Show(nullptr);
    Measure([] {});
    for (int round = 0; round < rounds; ++round)
        historyUpdate.rounds.push_back(Measure([&] {
            history.AddRun();
            window.RecordsChanged();
        }));
    window.Close();

    std::printf("%-44s %12s %12s %12s %6s\n", "user-interface thread held", "longest", "median", "in all", "<=16ms");
    for (const Figure* figure : {&firstShowing, &processPage, &settingsPage, &historyWindow, &showingAgain,
                                 &themeSwitch, &languageSwitch, &historyUpdate})
        PrintFigure(*figure);
    std::printf("(%d rounds, each on a new main frame: the longest stretch the thread could not answer the user,\n"
                " the call or one message it left, a paint among them, worst and median; and the median time until\n"
                " it had nothing left to do; the process page's includes its first refresh's rows)\n",
                rounds);
}

}  // namespace qmo::bench
