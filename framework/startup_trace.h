#pragma once
// Start-up timing for the benchmarks. When the environment variable
// QMO_STARTUP_TRACE names a file, each step appends one line to it: the
// performance counter's reading (shared by every process of the machine, so
// an outside meter can compare it with its own), then the step's name.
// Without the variable a step costs one look at a cached empty path.
namespace qmo {

void MarkStartupStep(const char* step);

}  // namespace qmo
