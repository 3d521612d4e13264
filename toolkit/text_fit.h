#pragma once
// A dialog made from its template grows to its texts: every label, button,
// check box and group box is measured in its font, and one that needs more
// width than the template gave it (a language whose words are longer) takes
// the room beside it, or the whole dialog grows. A label that wraps needs the
// width at which its lines fit its height.
#include <windows.h>

namespace qmo {

// How much wider the control's text needs it to be (1 when it fits, or has no
// text to measure).
double TextWidthNeed(HWND control);

// Grows each control that needs it into the free space to its right on its
// row; then, when some still need more, widens the dialog and every child by
// the largest remaining need, up to the width of the work area it is on.
// The factor the dialog was widened by (1 when the rows had room). A control
// hidden at the time is not measured; it keeps its place among the others.
double FitDialogToTexts(HWND dialog);

}  // namespace qmo
