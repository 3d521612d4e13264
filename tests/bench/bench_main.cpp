// Prints what the optimizer costs, each figure next to a baseline measured in
// the same run. Figures, not assertions: run it with scripts/bench.sh.
#include <windows.h>
#include <shellapi.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <functional>
#include <optional>
#include <vector>

#include "config/optimizer_settings.h"
#include "optimizer/memory_system_win32.h"
#include "optimizer/run_history.h"
#include "optimizer/optimizer_win32.h"
#include "perf/layered_picture.h"
#include "perf/perf_win32.h"
#include "toolkit/ui_fonts.h"
#include "toolkit/ui_paint.h"
#include "bench_timing.h"
#include "frame_bench.h"
#include "process_list_bench.h"

using namespace qmo;

namespace {

using qmo::bench::MedianMs;

class NoProgress : public qmo::ProgressSink {
public:
    void SetPosition(int) override {}
};

// Called through volatile pointers so the compiler cannot drop the work.
void* (*volatile g_allocate)(std::size_t) = std::malloc;
void* (*volatile g_zero)(void*, int, std::size_t) = std::memset;
void (*volatile g_free)(void*) = std::free;

bool PlainAllocateZeroFree(std::size_t bytes) {
    void* block = g_allocate(bytes);
    if (!block)
        return false;
    g_zero(block, 0, bytes);
    g_free(block);
    return true;
}

// The frame as the tick sees it: default settings, no popup shown.
class QuietHost : public PerformanceHost {
public:
    const OptimizerSettings& Settings() const override { return settings; }
    bool IsOptimizing() const override { return false; }
    void ShowCriticalLimitPopup() override {}
    OptimizerSettings settings;
};

// One sampling tick as the page runs it: collection, reads, limit check and
// history, then the four controls painted as they paint themselves, the
// moving parts over their kept still layers.
struct TickBench {
    qmo::PdhCounterApi api;
    qmo::SystemCommitCharge commitCharge;
    qmo::SystemProcessorTimes processorTimes;
    qmo::PerformanceSampler sampler{api, commitCharge, processorTimes};
    QuietHost host;
    qmo::GaugeModel memoryGauge, processorGauge;
    qmo::HistoryGraphModel memoryGraph, processorGraph;
    qmo::LayeredPicture pictures[4];
    qmo::unique_dc screen{::CreateCompatibleDC(nullptr)};

    // Control sizes of the page at 96 dots per inch.
    static constexpr SIZE kGauge{177, 159};
    static constexpr SIZE kGraph{645, 153};
    const qmo::PerfLook look{};

    void PaintGauge(qmo::LayeredPicture& picture, const qmo::GaugeModel& gauge) {
        picture.Paint(
            screen.get(), kGauge.cx, kGauge.cy, look, qmo::StandardInterfaceFont(),
            [&](qmo::Canvas& canvas) { qmo::PaintGaugeFace(canvas, kGauge.cx, kGauge.cy, look); },
            [&](qmo::Canvas& canvas) { qmo::PaintGaugeValue(canvas, gauge, kGauge.cx, kGauge.cy, look); });
    }
    void PaintGraph(qmo::LayeredPicture& picture, const qmo::HistoryGraphModel& graph) {
        picture.Paint(
            screen.get(), kGraph.cx, kGraph.cy, look, qmo::StandardInterfaceFont(),
            [&](qmo::Canvas& canvas) { qmo::PaintGraphGrid(canvas, kGraph.cx, kGraph.cy, look); },
            [&](qmo::Canvas& canvas) { qmo::PaintGraphCurve(canvas, graph, kGraph.cx, kGraph.cy, look); });
    }
    bool Sample() {
        const bool sampled = sampler.Sample(&host);
        sampler.ShowOn({memoryGauge, processorGauge, memoryGraph, processorGraph});
        return sampled;
    }
    void PaintAll() {
        PaintGauge(pictures[0], memoryGauge);
        PaintGauge(pictures[1], processorGauge);
        PaintGraph(pictures[2], memoryGraph);
        PaintGraph(pictures[3], processorGraph);
    }
};

// Each system area's call and a reading, timed alone; under wine the calls
// are stubs, so these figures mean something on Windows only.
void PrintMemoryAreaCallFigures() {
    constexpr int kCallRuns = 3;
    qmo::Win32MemoryAreaCalls calls;
    qmo::Win32MemoryReader reader;
    calls.EnablePrivilege(qmo::SystemPrivilege::ProfileSingleProcess);
    calls.EnablePrivilege(qmo::SystemPrivilege::IncreaseQuota);
    std::optional<std::uint64_t> pagesCombined;
    const struct {
        const char* name;
        std::function<void()> call;
    } rows[] = {
        {"memory reading (lists, totals, cache, in use)", [&] { reader.Read(); }},
        {"area call: flush the file cache", [&] { calls.FlushSystemFileCache(); }},
        {"area call: flush the modified list", [&] { calls.MemoryListCommand(qmo::kMemoryFlushModifiedList); }},
        {"area call: purge lowest-priority standby",
         [&] { calls.MemoryListCommand(qmo::kMemoryPurgeLowPriorityStandbyList); }},
        {"area call: purge the standby list", [&] { calls.MemoryListCommand(qmo::kMemoryPurgeStandbyList); }},
        {"area call: combine identical pages", [&] { calls.CombinePhysicalMemory(pagesCombined); }},
    };
    for (const auto& row : rows)
        std::printf("%-44s %9.3f ms %12s %8s\n", row.name, MedianMs(kCallRuns, row.call), "-", "-");
    std::printf("(median of %d calls each)\n", kCallRuns);
}

// A history of full length, and the text a store would be asked to keep of it.
class FullHistoryText : public qmo::HistoryStore {
public:
    FullHistoryText() {
        for (std::size_t i = 0; i < qmo::kHistoryCapacity; ++i)
            history.Add(Record());
    }
    static qmo::RunRecord Record() {
        qmo::RunRecord record;
        record.inUseBefore = 3000ll << 20;
        record.freed = 412ll << 20;
        return record;
    }
    std::optional<std::string> ReadEnd(std::size_t, bool& cutAtStart) override {
        cutAtStart = false;
        return std::nullopt;
    }
    void Replace(std::string text) override { this->text = std::move(text); }
    std::string text;
    qmo::RunHistory history{*this};
};

// What a run's row costs the user-interface thread once the history is full:
// the text of the whole file is made there, and written by the file's thread.
void PrintHistoryFigures() {
    FullHistoryText store;
    std::printf("%-44s %9.3f ms %12s %8s\n", "history: a row added to a full history",
                MedianMs(9, [&] { store.history.Add(FullHistoryText::Record()); }), "-", "-");
    std::printf("(%zu bytes of file text each time, written off the user-interface thread)\n", store.text.size());
}

// `qmo_bench --full-history FILE` writes a history file of full length, for
// the figures of the program that reads one at start.
bool IsFullHistoryRequest(int argc, wchar_t** argv) {
    return argc == 3 && std::wcscmp(argv[1], L"--full-history") == 0;
}

// FILE may name variables of the environment (%LOCALAPPDATA%); its folder
// is made if it is not there.
int WriteFullHistory(const wchar_t* name) {
    wchar_t path[MAX_PATH] = {};
    const DWORD length = ::ExpandEnvironmentStringsW(name, path, MAX_PATH);
    if (length == 0 || length > MAX_PATH)
        return 1;
    if (wchar_t* slash = std::wcsrchr(path, L'\\')) {
        *slash = L'\0';
        ::CreateDirectoryW(path, nullptr);
        *slash = L'\\';
    }
    const FullHistoryText store;
    FILE* file = _wfopen(path, L"wb");
    if (!file)
        return 1;
    const bool written = std::fwrite(store.text.data(), 1, store.text.size(), file) == store.text.size();
    return std::fclose(file) == 0 && written ? 0 : 1;
}

double MedianOf(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0.0 : values[values.size() / 2];
}

}  // namespace

int main() {
    int argc = 0;
    LPWSTR* argv = ::CommandLineToArgvW(::GetCommandLineW(), &argc);
    if (argv && qmo::bench::IsIdleChild(argc, argv))
        return qmo::bench::RunIdleChild(argv);
    if (argv && IsFullHistoryRequest(argc, argv))
        return WriteFullHistory(argv[2]);
    ::LocalFree(argv);

    constexpr int kRuns = 5;
    NoProgress progress;
    qmo::CrtSweepHeap heap;
    const std::size_t total = qmo::SWEEP_BLOCK_COUNT * qmo::SWEEP_BLOCK_SIZE;

    const double sweepMs = MedianMs(kRuns, [&] { qmo::SweepPhysicalMemory(progress, heap); });
    bool plainOk = true;
    const double plainMs = MedianMs(kRuns, [&] { plainOk = PlainAllocateZeroFree(total) && plainOk; });
    if (!plainOk)
        std::printf("(the plain 320 MiB allocation failed; its time is not meaningful)\n");

    qmo::Win32ProcessSystem system;
    const auto ids = system.SnapshotProcesses();
    const std::size_t processes = ids ? ids->size() : 0;
    const double trimMs = MedianMs(kRuns, [] {
        qmo::Win32ProcessSystem system;
        qmo::TrimAllWorkingSets(system);
    });

    std::printf("%-44s %12s %12s %8s\n", "figure", "measured", "baseline", "ratio");
    std::printf("%-44s %9.1f ms %9.1f ms %8.2f\n", "sweep 320 MiB vs plain alloc+zero+free", sweepMs, plainMs,
                plainMs > 0 ? sweepMs / plainMs : 0.0);
    std::printf("%-44s %9.3f ms %12s %8s\n", "TrimAllWorkingSets per process visited",
                processes ? trimMs / static_cast<double>(processes) : 0.0, "-", "-");
    std::printf("(median of %d runs; %zu processes in the snapshot)\n", kRuns, processes);
    PrintMemoryAreaCallFigures();
    PrintHistoryFigures();

    constexpr int kTicks = 300;
    TickBench bench;
    HDC display = ::GetDC(nullptr);
    const qmo::unique_bitmap surface(::CreateCompatibleBitmap(display, 1024, 400));
    ::ReleaseDC(nullptr, display);
    const qmo::scoped_select onSurface(bench.screen.get(), surface.get());
    int failed = bench.sampler.Start() ? 0 : kTicks;
    // Each tick is timed whole and to the end of its sampling, so that both
    // medians come from the same ticks while the machine's load drifts.
    std::vector<double> tickUs, sampleUs;
    for (int tick = 0; tick < qmo::HISTORY_CAPACITY + kTicks; ++tick) {
        using Clock = std::chrono::steady_clock;
        const auto start = Clock::now();
        failed += bench.Sample() ? 0 : 1;
        const auto sampled = Clock::now();
        bench.PaintAll();
        const auto painted = Clock::now();
        if (tick < qmo::HISTORY_CAPACITY)
            continue;  // a full history first, scrolling from here on, and the still layers drawn
        sampleUs.push_back(std::chrono::duration<double, std::micro>(sampled - start).count());
        tickUs.push_back(std::chrono::duration<double, std::micro>(painted - start).count());
    }
    const double tickMs = MedianOf(tickUs) / 1000.0;
    const double sampleMs = MedianOf(sampleUs) / 1000.0;
    std::printf("%-44s %9.1f us %9.1f us %8.2f\n", "sampling tick with paint vs without paint", tickMs * 1000.0,
                sampleMs * 1000.0, sampleMs > 0 ? tickMs / sampleMs : 0.0);
    std::printf("(median of %d ticks: collection, reads, limit check, 100-point history, and the four controls\n"
                " painted over their kept still layers and copied to a screen bitmap%s)\n",
                kTicks, failed ? "; SOME COLLECTIONS FAILED" : "");
    qmo::bench::PrintProcessListFigures(kRuns);
    qmo::bench::PrintFrameFigures(kRuns);
    return 0;
}
