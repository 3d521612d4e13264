#pragma once
// Everything a popup needs to know before it is shown: its size, its timing,
// its elements, and the window text that tells assistive technology what it says.
#include <functional>
#include <string>

#include "toolkit/popup/popup_elements.h"
#include "toolkit/popup/popup_timeline.h"

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

// The height in pixels an element's text takes at its rectangle's width, drawn
// with its font and layout; 0 or less when it could not be measured.
using TextHeightMeasure = std::function<int(const PopupElement& element)>;

// The content with every text that fits its height to its text measured: a
// wrapped text takes the height its lines need, a single line at least the
// height it was given. What a text needs beyond the room its rectangle gave
// it moves every element below that room down and stretches every element
// the room lies in, the popup included, so that a larger font pushes the
// lines apart rather than onto one another. A text that could not be
// measured keeps its rectangle.
PopupContent FittedToMeasuredTexts(PopupContent content, const TextHeightMeasure& measure);

}  // namespace qmo
