// Prints what the optimizer costs, each figure next to a baseline measured in
// the same run. Figures, not assertions: run it with scripts/bench.sh.
#include <windows.h>
#include <shellapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "config/optimizer_settings.h"
#include "optimizer/optimizer_win32.h"
#include "perf/perf_win32.h"
#include "toolkit/ui_fonts.h"
#include "toolkit/ui_paint.h"
#include "bench_timing.h"
#include "optimizer/optimizer_win32.h"
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
// history, then the four controls painted into their off-screen buffers.
struct TickBench {
    qmo::PdhCounterApi api;
    qmo::SystemCommitCharge commitCharge;
    qmo::SystemProcessorTimes processorTimes;
    qmo::Win32ProcessSystem processes;
    qmo::PerformanceSampler sampler{api, commitCharge, processorTimes, processes};
    QuietHost host;
    qmo::GaugeModel memoryGauge, processorGauge;
    qmo::HistoryGraphModel memoryGraph, processorGraph;
    qmo::unique_dc screen{::CreateCompatibleDC(nullptr)};

    // Control sizes of the page at 96 dots per inch.
    static constexpr RECT kGauge{0, 0, 177, 159};
    static constexpr RECT kGraph{0, 0, 645, 153};

    void Paint(const RECT& area, const std::function<void(qmo::Canvas&)>& paint) {
        qmo::BufferedCanvas buffer(screen.get(), area);
        qmo::GdiCanvas canvas(buffer.dc(), qmo::StandardInterfaceFont());
        paint(canvas);
    }
    bool Sample() { return sampler.Sample(&host, {memoryGauge, processorGauge, memoryGraph, processorGraph}); }
    bool Tick() {
        if (!Sample())
            return false;
        for (const qmo::GaugeModel* gauge : {&memoryGauge, &processorGauge})
            Paint(kGauge, [&](qmo::Canvas& canvas) { qmo::PaintGauge(canvas, *gauge, kGauge.right, kGauge.bottom); });
        for (const qmo::HistoryGraphModel* graph : {&memoryGraph, &processorGraph})
            Paint(kGraph, [&](qmo::Canvas& canvas) {
                qmo::PaintHistoryGraph(canvas, *graph, kGraph.right, kGraph.bottom);
            });
        return true;
    }
};

}  // namespace

int main() {
    int argc = 0;
    LPWSTR* argv = ::CommandLineToArgvW(::GetCommandLineW(), &argc);
    if (argv && qmo::bench::IsIdleChild(argc, argv))
        return qmo::bench::RunIdleChild(argv);
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
    const auto ids = system.SnapshotProcessIds();
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

    constexpr int kTicks = 300;
    TickBench bench;
    HDC display = ::GetDC(nullptr);
    const qmo::unique_bitmap surface(::CreateCompatibleBitmap(display, 1024, 400));
    ::ReleaseDC(nullptr, display);
    const qmo::scoped_select onSurface(bench.screen.get(), surface.get());
    int failed = bench.sampler.Start() ? 0 : kTicks;
    for (int warm = 0; warm < qmo::HISTORY_CAPACITY; ++warm)  // a full history, scrolling from here on
        failed += bench.Tick() ? 0 : 1;
    const double tickMs = MedianMs(kTicks, [&] { failed += bench.Tick() ? 0 : 1; });
    const double sampleMs = MedianMs(kTicks, [&] { failed += bench.Sample() ? 0 : 1; });
    std::printf("%-44s %9.1f us %9.1f us %8.2f\n", "sampling tick with paint vs without paint", tickMs * 1000.0,
                sampleMs * 1000.0, sampleMs > 0 ? tickMs / sampleMs : 0.0);
    std::printf("(median of %d ticks: collection, reads, limit check, 100-point history, and the four controls\n"
                " painted into their off-screen buffers%s)\n",
                kTicks, failed ? "; SOME COLLECTIONS FAILED" : "");
    qmo::bench::PrintProcessListFigures(kRuns);
    return 0;
}
