#pragma once

namespace qmo::bench {

// Prints how long showing the window, its pages and the history window, a
// theme or language switch and a history update hold the user-interface
// thread, worst and median of `rounds`.
void PrintFrameFigures(int rounds);

}  // namespace qmo::bench
