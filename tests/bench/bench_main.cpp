// Prints what the optimizer costs, each figure next to a baseline measured in
// the same run. Figures, not assertions: run it with scripts/bench.sh.
#include <windows.h>
#include <shellapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "bench_timing.h"
#include "optimizer/optimizer_win32.h"
#include "process_list_bench.h"

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
    const double trimMs = MedianMs(kRuns, [] { ::TrimAllWorkingSets(); });

    std::printf("%-44s %12s %12s %8s\n", "figure", "measured", "baseline", "ratio");
    std::printf("%-44s %9.1f ms %9.1f ms %8.2f\n", "sweep 320 MiB vs plain alloc+zero+free", sweepMs, plainMs,
                plainMs > 0 ? sweepMs / plainMs : 0.0);
    std::printf("%-44s %9.3f ms %12s %8s\n", "TrimAllWorkingSets per process visited",
                processes ? trimMs / static_cast<double>(processes) : 0.0, "-", "-");
    std::printf("(median of %d runs; %zu processes in the snapshot)\n", kRuns, processes);
    qmo::bench::PrintProcessListFigures(kRuns);
    return 0;
}
