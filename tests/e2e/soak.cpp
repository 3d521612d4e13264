// The soak run: months in the tray pressed into minutes. It works the running
// program through its window messages for at least ten minutes, first with
// the window shown, then hidden, and samples what the program holds every ten
// seconds. Growth after the first minute beyond a small fixed margin fails.
//
//   qmo_soak CSV_PATH [MIN_SECONDS]
//
// The program must be running with a stored record of limit 0 and
// notifications on, so that critical-limit popups come by themselves.
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "res/pages_resource.h"
#include "res/resource.h"

namespace {

constexpr wchar_t kFrameClass[] = L"Quenvale.MainFrame";
constexpr wchar_t kPopupClass[] = L"Quenvale.PopupWindow";
constexpr DWORD kSampleEveryMs = 10000;
constexpr int kPopupWidth = 270, kPopupHeight = 128;

// What may grow after the first minute: a leak of one object per action or per
// tick grows by hundreds over the run, while caches that fill once stay
// within these.
constexpr long kGdiMargin = 8, kUserMargin = 8, kHandleMargin = 16, kPrivateKiBMargin = 4096;

[[noreturn]] void Fail(const std::string& reason) {
    std::fprintf(stderr, "soak: %s\n", reason.c_str());
    std::exit(1);
}

HWND Frame() {
    HWND frame = ::FindWindowW(kFrameClass, nullptr);
    if (!frame)
        Fail("the program is not running");
    return frame;
}

LRESULT Send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
    DWORD_PTR result = 0;
    if (!::SendMessageTimeoutW(Frame(), message, wParam, lParam, SMTO_ABORTIFHUNG, 60000, &result))
        Fail("the program did not answer message " + std::to_string(message));
    return static_cast<LRESULT>(result);
}

// The visible control with this id on the shown page.
HWND ShownControl(int id) {
    struct Search {
        int id;
        HWND found = nullptr;
    } search{id};
    ::EnumChildWindows(
        Frame(),
        [](HWND child, LPARAM context) -> BOOL {
            auto* s = reinterpret_cast<Search*>(context);
            if (::GetDlgCtrlID(child) == s->id && ::IsWindowVisible(child))
                s->found = child;
            return s->found == nullptr;
        },
        reinterpret_cast<LPARAM>(&search));
    if (!search.found)
        Fail("no visible control " + std::to_string(id));
    return search.found;
}

// A click as the button reports it to its page.
void Click(int id) {
    HWND button = ShownControl(id);
    DWORD_PTR ignored = 0;
    ::SendMessageTimeoutW(::GetParent(button), WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                          reinterpret_cast<LPARAM>(button), SMTO_ABORTIFHUNG, 60000, &ignored);
}

bool Shown() {
    return ::IsWindowVisible(Frame()) && !::IsIconic(Frame());
}

bool AnyUnpainted() {
    if (!::IsWindowVisible(Frame()))
        return false;
    bool unpainted = ::GetUpdateRect(Frame(), nullptr, FALSE) != FALSE;
    ::EnumChildWindows(
        Frame(),
        [](HWND child, LPARAM context) -> BOOL {
            if (::IsWindowVisible(child) && ::GetUpdateRect(child, nullptr, FALSE))
                *reinterpret_cast<bool*>(context) = true;
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&unpainted));
    return unpainted;
}

// Messages sent back to back leave the program no idle moment to paint: a
// page shown and left at once would never be drawn, and its first drawing
// (and whatever that loads) would come at some random later moment. So each
// shown page is given the time to paint, as a user would see it.
void WaitPainted() {
    const ULONGLONG deadline = ::GetTickCount64() + 10000;
    while (AnyUnpainted()) {
        if (::GetTickCount64() > deadline)
            Fail("the window did not paint within 10 s");
        ::Sleep(10);
    }
}

// WM_CLOSE toggles the window between shown and the tray.
void Toggle() {
    const bool wasShown = Shown();
    Send(WM_CLOSE);
    if (Shown() == wasShown)
        Fail("WM_CLOSE did not toggle the window");
    WaitPainted();
}

// Counts popups as they come up in full, telling the kinds apart by the
// colour of their frame: red for the critical limit, green for optimized. A
// popup with lines under its message is taller: in full, its height no longer
// changes between two looks.
class PopupWatcher {
public:
    PopupWatcher() : m_thread([this] { Watch(); }) {}
    ~PopupWatcher() {
        m_stop = true;
        m_thread.join();
    }
    int Critical() const { return m_critical; }
    int Optimized() const { return m_optimized; }
    bool AnyShown() const { return m_anyShown; }

private:
    void Watch() {
        std::vector<HWND> counted;
        std::map<HWND, LONG> heights;  // at the last look, of those not counted yet
        while (!m_stop) {
            std::vector<HWND> shown;
            for (HWND popup = ::FindWindowExW(nullptr, nullptr, kPopupClass, nullptr); popup;
                 popup = ::FindWindowExW(nullptr, popup, kPopupClass, nullptr))
                if (::IsWindowVisible(popup))
                    shown.push_back(popup);
            m_anyShown = !shown.empty();
            std::vector<HWND> still;
            for (HWND popup : shown) {
                if (std::find(counted.begin(), counted.end(), popup) != counted.end()) {
                    still.push_back(popup);
                    continue;
                }
                RECT placed{};
                ::GetWindowRect(popup, &placed);
                const LONG height = placed.bottom - placed.top;
                const auto before = heights.find(popup);
                const bool settled = before != heights.end() && before->second == height;
                heights[popup] = height;
                if (placed.right - placed.left != kPopupWidth || height < kPopupHeight || !settled)
                    continue;  // still sliding in
                HDC screen = ::GetDC(nullptr);
                const COLORREF band = ::GetPixel(screen, placed.left + 2, (placed.top + placed.bottom) / 2);
                ::ReleaseDC(nullptr, screen);
                if (band == RGB(255, 0, 0))
                    ++m_critical;
                else if (band == RGB(0, 255, 0))
                    ++m_optimized;
                else
                    continue;  // covered for a moment; look again
                still.push_back(popup);
            }
            counted = still;  // a window that went away and comes back is a new popup
            std::erase_if(heights, [&](const auto& seen) {
                return std::find(shown.begin(), shown.end(), seen.first) == shown.end() ||
                       std::find(counted.begin(), counted.end(), seen.first) != counted.end();
            });
            ::Sleep(50);
        }
    }

    std::atomic<bool> m_stop{false};
    std::atomic<int> m_critical{0}, m_optimized{0};
    std::atomic<bool> m_anyShown{false};
    std::thread m_thread;
};

struct Sample {
    long seconds, gdi, user, handles, privateKiB;
};

// Kinds of the resource message beyond the four figures, recorded to tell
// what grew: the cached window DCs left out of the GDI figure, and every GDI
// object by type.
constexpr WPARAM kIdleWindowDCs = 4, kGdiOfType = 0x100;
constexpr struct {
    DWORD type;
    const char* column;
} kGdiTypes[] = {{OBJ_DC, "dc"},       {OBJ_MEMDC, "memdc"}, {OBJ_BITMAP, "bitmap"}, {OBJ_FONT, "font"},
                 {OBJ_BRUSH, "brush"}, {OBJ_PEN, "pen"},     {OBJ_EXTPEN, "extpen"}, {OBJ_REGION, "region"},
                 {OBJ_PAL, "palette"}};

class Sampler {
public:
    explicit Sampler(const char* csvPath) : m_csv(std::fopen(csvPath, "w")), m_start(::GetTickCount64()) {
        if (!m_csv)
            Fail(std::string("cannot write ") + csvPath);
        std::fprintf(m_csv, "seconds,gdi_objects,user_objects,handles,private_kib,idle_window_dcs");
        for (const auto& kind : kGdiTypes)
            std::fprintf(m_csv, ",all_%s", kind.column);
        std::fprintf(m_csv, "\n");
    }
    ~Sampler() { std::fclose(m_csv); }

    long Elapsed() const { return static_cast<long>((::GetTickCount64() - m_start) / 1000); }

    // Takes a sample when one is due; called between actions.
    void Tick() {
        if (::GetTickCount64() - m_start < m_samples.size() * kSampleEveryMs)
            return;
        const UINT message = ::RegisterWindowMessageW(L"Quenvale.ResourceUsage");
        const Sample sample{Elapsed(), static_cast<long>(Send(message, 0)), static_cast<long>(Send(message, 1)),
                            static_cast<long>(Send(message, 2)), static_cast<long>(Send(message, 3))};
        m_samples.push_back(sample);
        std::fprintf(m_csv, "%ld,%ld,%ld,%ld,%ld,%ld", sample.seconds, sample.gdi, sample.user, sample.handles,
                     sample.privateKiB, static_cast<long>(Send(message, kIdleWindowDCs)));
        for (const auto& kind : kGdiTypes)
            std::fprintf(m_csv, ",%ld", static_cast<long>(Send(message, kGdiOfType + kind.type)));
        std::fprintf(m_csv, "\n");
        std::fflush(m_csv);
    }

    const std::vector<Sample>& Samples() const { return m_samples; }

private:
    std::FILE* m_csv;
    ULONGLONG m_start;
    std::vector<Sample> m_samples;
};

void Pause(Sampler& sampler, DWORD ms) {
    const ULONGLONG until = ::GetTickCount64() + ms;
    while (::GetTickCount64() < until) {
        sampler.Tick();
        ::Sleep(std::min<DWORD>(100, ms));
    }
}

struct Counts {
    int switches = 0, refreshes = 0, applies = 0, normal = 0, silent = 0, cycles = 0;
    // Milliseconds spent on each kind of action, to tell where a slow run went.
    ULONGLONG switchMs = 0, refreshMs = 0, applyMs = 0, optimizeMs = 0, cycleMs = 0, popupWaitMs = 0, pauseMs = 0;
};

// Runs the action and adds its duration to the bucket.
template <typename Action>
void Timed(ULONGLONG& bucket, Action action) {
    const ULONGLONG start = ::GetTickCount64();
    action();
    bucket += ::GetTickCount64() - start;
}

void Switch(UINT command, Counts& counts) {
    Timed(counts.switchMs, [&] {
        Send(WM_COMMAND, command);
        WaitPainted();
    });
    ++counts.switches;
}

// What has been done so far and where the time went, so that a slow run
// says what was slow.
void PrintProgress(const char* when, long elapsed, const Counts& counts, const PopupWatcher& popups) {
    std::printf("soak: %s, %ld s: %d page switches, %d refreshes, %d settings applied, %d normal and %d silent "
                "optimizations, %d hide/show cycles; popups seen: %d critical-limit, %d optimized\n",
                when, elapsed, counts.switches, counts.refreshes, counts.applies, counts.normal, counts.silent,
                counts.cycles, popups.Critical(), popups.Optimized());
    std::printf("soak: seconds spent switching pages %llu, refreshing %llu, applying %llu, optimizing %llu, "
                "hiding and showing %llu, waiting for popups to go %llu, pausing %llu\n",
                counts.switchMs / 1000, counts.refreshMs / 1000, counts.applyMs / 1000, counts.optimizeMs / 1000,
                counts.cycleMs / 1000, counts.popupWaitMs / 1000, counts.pauseMs / 1000);
    std::fflush(stdout);
}

// Shown on the performance page: page switches, list refreshes, settings
// applied and normal optimizations, with hide/show cycles among them, until
// the critical-limit popups that come by themselves have been seen 50 times.
void ShownPhase(Sampler& sampler, Counts& counts, const PopupWatcher& popups) {
    Switch(ID_VIEW_PERFORMANCE, counts);
    for (int round = 0; counts.switches < 300 || counts.refreshes < 100 || counts.applies < 50 ||
                        counts.normal < 25 || counts.cycles < 10 || popups.Critical() < 50;
         ++round) {
        if (sampler.Elapsed() > 900) {
            PrintProgress("unfinished", sampler.Elapsed(), counts, popups);
            Fail("the shown part did not complete in time");
        }
        Switch(ID_VIEW_PROCESSES, counts);
        Timed(counts.refreshMs, [] { Click(IDC_PROCESS_REFRESH); });
        ++counts.refreshes;
        if (round % 2 == 0) {
            Switch(ID_VIEW_SETTINGS, counts);
            Timed(counts.applyMs,
                  [&] { Click(round % 4 == 0 ? IDC_SETTINGS_APPLY_OPTIMIZER : IDC_SETTINGS_APPLY_GENERAL); });
            ++counts.applies;
        }
        Switch(ID_VIEW_PERFORMANCE, counts);
        if (round % 4 == 0 && counts.normal < 25) {
            Timed(counts.optimizeMs, [] { Send(WM_COMMAND, ID_OPTIMIZE); });
            ++counts.normal;
        }
        if (round % 10 == 5 && counts.cycles < 10) {
            Timed(counts.cycleMs, [] {
                Toggle();
                Toggle();
            });
            ++counts.cycles;
        }
        Timed(counts.pauseMs, [&] { Pause(sampler, 1500); });
    }
}

// In the tray with notifications off: silent optimizations, each followed by
// its own popup, and hide/show cycles.
void HiddenPhase(Sampler& sampler, Counts& counts, const PopupWatcher& popups, long minSeconds) {
    Switch(ID_VIEW_SETTINGS, counts);
    ::SendMessageW(ShownControl(IDC_SETTINGS_SHOW_NOTIFICATION), BM_SETCHECK, BST_UNCHECKED, 0);
    Click(IDC_SETTINGS_APPLY_GENERAL);
    ++counts.applies;
    Switch(ID_VIEW_PERFORMANCE, counts);
    Toggle();
    while (counts.silent < 25 || popups.Optimized() < 50 || counts.cycles < 20 || sampler.Elapsed() < minSeconds) {
        // Each optimization waits for the last popup to go, so it gets its own.
        Timed(counts.popupWaitMs, [&] {
            while (popups.AnyShown())
                Pause(sampler, 200);
        });
        if (counts.silent < 60) {
            Timed(counts.optimizeMs, [] { Send(WM_COMMAND, ID_OPTIMIZE); });
            ++counts.silent;
        }
        if (counts.cycles < 20 && counts.silent % 3 == 0) {
            Timed(counts.cycleMs, [] {
                Toggle();
                Toggle();
            });
            ++counts.cycles;
        }
        Timed(counts.pauseMs, [&] { Pause(sampler, 1000); });
        if (sampler.Elapsed() > minSeconds + 900) {
            PrintProgress("unfinished", sampler.Elapsed(), counts, popups);
            Fail("the schedule did not complete in time");
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2)
        Fail("usage: qmo_soak CSV_PATH [MIN_SECONDS]");
    const long minSeconds = argc > 2 ? std::atol(argv[2]) : 600;
    Sampler sampler(argv[1]);
    Counts counts;
    {
        PopupWatcher popups;
        ShownPhase(sampler, counts, popups);
        PrintProgress("the shown part done", sampler.Elapsed(), counts, popups);
        HiddenPhase(sampler, counts, popups, minSeconds);
        sampler.Tick();
        PrintProgress("all done", sampler.Elapsed(), counts, popups);
        if (popups.Critical() < 50 || popups.Optimized() < 50)
            Fail("fewer than 50 popups of a kind were seen");
    }

    // Growth from the first sample after a minute to the largest one after it.
    const auto& samples = sampler.Samples();
    const auto settled = std::find_if(samples.begin(), samples.end(), [](const Sample& s) { return s.seconds >= 60; });
    if (settled == samples.end())
        Fail("no sample after the first minute");
    Sample most = *settled;
    for (auto it = settled; it != samples.end(); ++it) {
        most.gdi = std::max(most.gdi, it->gdi);
        most.user = std::max(most.user, it->user);
        most.handles = std::max(most.handles, it->handles);
        most.privateKiB = std::max(most.privateKiB, it->privateKiB);
    }
    struct Row {
        const char* name;
        long from, to, margin;
    } rows[] = {{"GDI objects", settled->gdi, most.gdi, kGdiMargin},
                {"USER objects", settled->user, most.user, kUserMargin},
                {"handles", settled->handles, most.handles, kHandleMargin},
                {"private KiB", settled->privateKiB, most.privateKiB, kPrivateKiBMargin}};
    bool grew = false;
    for (const Row& row : rows) {
        const bool over = row.to - row.from > row.margin;
        grew = grew || over;
        std::printf("soak: %-12s at %ld s: %ld, highest after: %ld (growth %ld, margin %ld)%s\n", row.name,
                    settled->seconds, row.from, row.to, row.to - row.from, row.margin, over ? "  TOO MUCH" : "");
    }
    if (grew)
        Fail("the program kept growing");
    std::printf("soak: %zu samples, nothing grew beyond its margin\n", samples.size());
    return 0;
}
