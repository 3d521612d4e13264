#pragma once
// Start-up timing for the benchmarks. Each step writes one line: the
// performance counter's reading (shared by every process of the machine, so
// an outside meter can compare it with its own), then the step's name.
// The lines go only to a pipe the program's parent handed it: the variable
// QMO_STARTUP_TRACE_HANDLE gives the value of an inherited handle, and it is
// used only when it is a pipe, inheritable and none of the standard handles.
// An unelevated process cannot give the elevated program a handle, and the
// program never opens a path from its environment, so nobody else can steer
// its writes. Without such a handle a step costs one look at a cached null.
namespace qmo {

void MarkStartupStep(const char* step);

}  // namespace qmo
