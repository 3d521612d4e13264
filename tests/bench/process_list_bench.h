#pragma once
// The process list benchmark and the idle processes it starts of itself.
#include <windows.h>

namespace qmo::bench {

bool IsIdleChild(int argc, wchar_t** argv);
int RunIdleChild(wchar_t** argv);
void PrintProcessListFigures(int runs);

}  // namespace qmo::bench
