#pragma once
// A dialog made from its template grows to its texts: every label, button,
// check box and group box is measured in its font, and one that needs more
// width than the template gave it (a language whose words are longer) takes
// the room beside it, or a column opens for it and the dialog grows. A label that wraps needs the
// width at which its lines fit its height.
#include <windows.h>

namespace qmo {

// The width in pixels the control's text needs, with a check box's box or a
// button's margins; the control's own width when it has no text to measure.
int NeededTextWidth(HWND control);
// How much wider the control's text needs it to be (1 when it fits, or has no
// text to measure).
double TextWidthNeed(HWND control);

// Left to right, each control that needs room takes the free space beside it
// on its row; where another control stands in the way, a column as wide as
// the rest opens there and what lies to its right moves over (what spans
// across stretches). The dialog grows by as much as its controls passed its
// right edge, keeping its margin; a window of its own no wider than the work
// area it is on. How many times wider it became (1 when the rows had room).
// A control hidden at the time is not measured; it moves with the others.
double FitDialogToTexts(HWND dialog);

}  // namespace qmo
