#pragma once
// Where a themed button puts its image, its icon and its caption: side by side
// in that order, centred together on the face.
#include "toolkit/ui_geometry.h"

namespace qmo {

// Sizes of what the button shows; a zero width means "not shown".
struct ButtonContent {
    UiSize image;
    UiSize icon;
    UiSize caption;
};

struct ButtonContentLayout {
    Rect image;
    Rect icon;
    Rect caption;
};

// The width of a face that shows everything on one line.
int IdealButtonWidth(const ButtonContent& content, int paddingX, int gap);

// When the face is too narrow the caption gives way first (the window cuts it
// with an ellipsis); the pictures keep their size and start at the padding.
ButtonContentLayout LayoutButtonContent(const Rect& face, const ButtonContent& content, int paddingX, int gap);

}  // namespace qmo
