#pragma once
// What a popup shows: rectangles with a fill, a border, a text or an image,
// in drawing order (later ones lie on top), and how they answer the pointer:
// the element under it is "hot", the one the left button went down on is
// "pressed", and pressing and releasing on the same element is a click.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "framework/geometry.h"

namespace qmo {

using PopupPoint = Point;
using PopupRect = Rect;

enum class PopupTextLayout {
    SingleLineCentred,  // one line, vertically centred in the rectangle
    WordWrapped,        // broken between words from the rectangle's top
};

enum class PopupImage {
    None,
    Icon,         // an icon resource drawn at imageWidth x imageHeight
    CloseButton,  // a bitmap of three cells (normal, hot, pressed), black transparent
};

// The cell of a close-button bitmap to show.
enum class PopupImageCell { Normal = 0, Hot = 1, Pressed = 2 };

struct PopupElement {
    PopupRect rect;
    std::optional<Color> fill;
    bool border = false;  // one black pixel inside the rectangle
    std::string text;     // UTF-8; none when empty
    Color textColor;
    bool bold = false;
    bool link = false;  // underlined while hot
    PopupTextLayout layout = PopupTextLayout::SingleLineCentred;
    bool fitHeightToText = false;  // measured: see FittedToMeasuredTexts
    PopupImage image = PopupImage::None;
    unsigned imageResource = 0;
    int imageWidth = 0;  // of one cell for a close button
    int imageHeight = 0;
    int id = 0;
};

class PopupElements {
public:
    using Index = std::size_t;

    Index Add(PopupElement element);
    std::size_t Count() const noexcept { return m_elements.size(); }
    const PopupElement& operator[](Index index) const { return m_elements.at(index); }
    PopupElement& operator[](Index index) { return m_elements.at(index); }
    const std::vector<PopupElement>& All() const noexcept { return m_elements; }

    // The topmost (last added) element containing the point.
    std::optional<Index> HitTest(PopupPoint point) const;

    // Pointer events; each returns true when an element's look changed.
    bool PointerMovedTo(PopupPoint point);
    bool PointerLeft();
    bool ButtonDown(PopupPoint point);
    // The press ended without a release we saw (capture taken away, say).
    bool CancelPress();

    struct Release {
        bool lookChanged = false;
        std::optional<Index> clicked;  // pressed and released on this element
    };
    Release ButtonUp(PopupPoint point);

    std::optional<Index> Hot() const noexcept { return m_hot; }
    std::optional<Index> Pressed() const noexcept { return m_pressed; }
    bool IsUnderlined(Index index) const;
    PopupImageCell CellOf(Index index) const;

private:
    bool SetLook(std::optional<Index> hot, std::optional<Index> pressed);

    std::vector<PopupElement> m_elements;
    std::optional<Index> m_hot;
    std::optional<Index> m_pressed;
};

}  // namespace qmo
