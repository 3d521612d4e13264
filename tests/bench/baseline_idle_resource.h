#pragma once
// The four tray animation frames of the idle baseline, in order.
#define IDI_BASELINE_FRAME_1 101
#define IDI_BASELINE_FRAME_2 102
#define IDI_BASELINE_FRAME_3 103
#define IDI_BASELINE_FRAME_4 104
