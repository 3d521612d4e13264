#include "toolkit/button_layout.h"

#include <algorithm>

namespace qmo {
namespace {

Rect CentredVertically(const Rect& face, int x, UiSize size) {
    return MakeRect(x, face.top + (face.Height() - size.cy) / 2, size.cx, size.cy);
}

// The pictures side by side, and the gap between them and the caption.
struct PictureRow {
    int width;
    int captionGap;
};

PictureRow Pictures(const ButtonContent& content, int gap) {
    const int pictures = std::max(content.image.cx, 0) + std::max(content.icon.cx, 0);
    const int pictureGap = content.image.cx > 0 && content.icon.cx > 0 ? gap : 0;
    return {pictures + pictureGap, pictures > 0 ? gap : 0};
}

}  // namespace

int IdealButtonWidth(const ButtonContent& content, int paddingX, int gap) {
    const PictureRow pictures = Pictures(content, gap);
    const int caption = std::max(content.caption.cx, 0);
    return 2 * paddingX + pictures.width + (caption > 0 ? pictures.captionGap + caption : 0);
}

ButtonContentLayout LayoutButtonContent(const Rect& face, const ButtonContent& content, int paddingX, int gap) {
    const Rect inside = Inset(face, {paddingX, 0, paddingX, 0});
    const PictureRow pictures = Pictures(content, gap);
    const int captionWidth =
        std::clamp(inside.Width() - pictures.width - pictures.captionGap, 0, std::max(content.caption.cx, 0));
    const int total = pictures.width + (captionWidth > 0 ? pictures.captionGap + captionWidth : 0);
    const UiSize parts[] = {content.image, content.icon, UiSize{captionWidth, content.caption.cy}};

    ButtonContentLayout layout;
    int x = inside.left + std::max(inside.Width() - total, 0) / 2;
    Rect* slots[] = {&layout.image, &layout.icon, &layout.caption};
    for (int i = 0; i < 3; ++i) {
        if (parts[i].cx <= 0)
            continue;
        *slots[i] = CentredVertically(face, x, parts[i]);
        x += parts[i].cx + gap;
    }
    return layout;
}

}  // namespace qmo
