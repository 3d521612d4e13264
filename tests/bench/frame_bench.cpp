// How long the user-interface thread is held by what a user does to the
// window: its first showing (the view and the page made and painted), each
// page's and the history window's first showing, a theme or language switch,
// and a run added to a full history window. Each figure is the longest
// stretch the thread spent on one message or call, the paint it brought on
// included, worst of a few rounds, each round on a new main frame.
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

// The call and the paint it leaves for the thread as one stretch; then every
// message it left, each a stretch of its own, until the queue is empty and
// `settled` holds (or two seconds pass). The longest stretch.
double LongestStretch(HWND window, const std::function<void()>& call,
                      const std::function<bool()>& settled = [] { return true; }) {
    const auto start = Clock::now();
    call();
    if (window)
        ::RedrawWindow(window, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    double longest = MsSince(start);
    const ULONGLONG deadline = ::GetTickCount64() + 2000;
    MSG message;
    for (;;) {
        if (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            const auto dispatched = Clock::now();
            ::TranslateMessage(&message);
            ::DispatchMessageW(&message);
            longest = std::max(longest, MsSince(dispatched));
            continue;
        }
        if (settled() || ::GetTickCount64() > deadline)
            return longest;
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
}

struct Figure {
    const char* name;
    std::vector<double> ms;
};

void PrintFigure(const Figure& figure) {
    std::vector<double> sorted = figure.ms;
    std::sort(sorted.begin(), sorted.end());
    if (sorted.empty())
        return;
    std::printf("%-44s %9.1f ms %9.1f ms %8s\n", figure.name, sorted.back(), sorted[sorted.size() / 2],
                sorted.back() <= 16.0 ? "yes" : "NO");
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
        LongestStretch(nullptr, [] {});
    }
    ~ScratchFrame() {
        m_frame.reset();
        ::RegDeleteTreeW(HKEY_CURRENT_USER, kScratchKey);
    }
    CMainFrame* Frame() const { return m_frame.get(); }
    double Command(UINT id, const std::function<bool()>& settled = [] { return true; }) {
        const HWND window = m_frame->GetSafeHwnd();
        return LongestStretch(window, [&] { ::SendMessageW(window, WM_COMMAND, id, 0); }, settled);
    }
    template <class Change>
    double Settings(Change change) {
        OptimizerSettings record = m_frame->Logic().UserSettings();
        change(record);
        return LongestStretch(m_frame->GetSafeHwnd(),
                              [&] { m_frame->Logic().ApplySettings(record, LogonTaskUpdate::LeftAlone); });
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
        firstShowing.ms.push_back(scratch.Command(ID_VIEW_PERFORMANCE));
        CProcessPage& page = frame->View().ProcessPage();
        processPage.ms.push_back(scratch.Command(ID_VIEW_PROCESSES, [&] { return !page.RefreshPending(); }));
        settingsPage.ms.push_back(scratch.Command(ID_VIEW_SETTINGS));
        historyWindow.ms.push_back(scratch.Command(ID_VIEW_HISTORY));
        ::SendMessageW(frame->HistoryWindow().GetSafeHwnd(), WM_CLOSE, 0, 0);
        scratch.Command(ID_TRAY_SHOW_HIDE);
        showingAgain.ms.push_back(scratch.Command(ID_TRAY_SHOW_HIDE));
        for (const ThemeChoice theme : {ThemeChoice::Dark, ThemeChoice::Light})
            themeSwitch.ms.push_back(scratch.Settings([&](OptimizerSettings& record) { record.m_theme = theme; }));
        for (const char* language : {"de", ""})
            languageSwitch.ms.push_back(
                scratch.Settings([&](OptimizerSettings& record) { record.m_language = language; }));
    }
    FullHistory history;
    CHistoryWindow window(history);
    window.Show(nullptr);
    LongestStretch(window.GetSafeHwnd(), [] {});
    for (int round = 0; round < rounds; ++round)
        historyUpdate.ms.push_back(LongestStretch(window.GetSafeHwnd(), [&] {
            history.AddRun();
            window.RecordsChanged();
        }));
    window.Close();

    std::printf("%-44s %12s %12s %8s\n", "user-interface thread held, longest stretch", "worst", "median", "<=16ms");
    for (const Figure* figure : {&firstShowing, &processPage, &settingsPage, &historyWindow, &showingAgain,
                                 &themeSwitch, &languageSwitch, &historyUpdate})
        PrintFigure(*figure);
    std::printf("(%d rounds, each on a new main frame; a stretch is one call or message and the paint it\n"
                " brought on; the process page's includes its first refresh's rows)\n",
                rounds);
}

}  // namespace qmo::bench
