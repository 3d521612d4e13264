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

}  // namespace qmo
