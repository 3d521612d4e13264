#pragma once
// Everything a popup needs to know before it is shown: its size, its timing
// and its elements.
#include "toolkit/popup_elements.h"
#include "toolkit/popup_timeline.h"

namespace qmo {

struct PopupContent {
    int width = 0;
    int height = 0;
    PopupTiming timing;
    PopupElements elements;
};

}  // namespace qmo
