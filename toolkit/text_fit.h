#pragma once
// A dialog made from its template grows to its texts: every label, button,
// check box and group box is measured in its font, and when one needs more
// width than the template gave it (a language whose words are longer), the
// dialog and its controls are widened by the largest need, keeping their
// places relative to each other. A label that wraps needs the width at which
// its lines fit its height.
#include <windows.h>

namespace qmo {

// How much wider the control's text needs it to be (1 when it fits, or has no
// text to measure).
double TextWidthNeed(HWND control);

// Widens the dialog and every child by the largest need of its controls, up
// to the width of the work area it is on; the factor used (1 when all fit).
double FitDialogToTexts(HWND dialog);

}  // namespace qmo
