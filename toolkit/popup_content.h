#pragma once
// Everything a popup needs to know before it is shown: its size, its timing,
// its elements, and the window text that tells assistive technology what it says.
#include <string>

#include "toolkit/popup_elements.h"
#include "toolkit/popup_timeline.h"

namespace qmo {

struct PopupContent {
    int width = 0;
    int height = 0;
    PopupTiming timing;
    PopupElements elements;
    std::string windowText;  // UTF-8
};

// The content as shown at `dpi`: its size and every element's rectangle and
// picture scaled from 96 DPI. The slide keeps its timing, so it covers the
// taller height in the same steps.
PopupContent ScaledForDpi(PopupContent content, unsigned dpi);

}  // namespace qmo
