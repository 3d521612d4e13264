#include "toolkit/popup/popup_content.h"

#include <algorithm>
#include <numeric>
#include <vector>

#include "framework/dpi_scale.h"

namespace qmo {

PopupContent ScaledForDpi(PopupContent content, unsigned dpi) {
    content.width = ScaleForDpi(content.width, dpi);
    content.height = ScaleForDpi(content.height, dpi);
    for (std::size_t i = 0; i < content.elements.Count(); ++i) {
        PopupElement& element = content.elements[i];
        element.rect = ScaleForDpi(element.rect, dpi);
        element.imageWidth = ScaleForDpi(element.imageWidth, dpi);
        element.imageHeight = ScaleForDpi(element.imageHeight, dpi);
    }
    return content;
}

PopupContent FittedToMeasuredTexts(PopupContent content, const TextHeightMeasure& measure) {
    PopupElements& elements = content.elements;
    // From the top down, so that a text moved by one above it is measured
    // where it now lies; moves keep that order.
    std::vector<std::size_t> order(elements.Count());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::stable_sort(order.begin(), order.end(),
                     [&](std::size_t a, std::size_t b) { return elements[a].rect.top < elements[b].rect.top; });
    for (const std::size_t index : order) {
        PopupRect& rect = elements[index].rect;
        if (!elements[index].fitHeightToText || elements[index].text.empty())
            continue;
        const int measured = measure(elements[index]);
        if (measured <= 0)
            continue;
        const int height = elements[index].layout == PopupTextLayout::WordWrapped
                               ? measured
                               : std::max(measured, rect.Height());
        const int grown = height - rect.Height();
        const int oldBottom = rect.bottom;
        rect.bottom = rect.top + height;
        if (grown <= 0)
            continue;  // what lies below keeps its place: the look does not change
        for (std::size_t other = 0; other < elements.Count(); ++other) {
            PopupRect& below = elements[other].rect;
            if (other == index || below.bottom < oldBottom)
                continue;
            if (below.top >= oldBottom)
                below.top += grown;
            below.bottom += grown;
        }
        if (content.height >= oldBottom)
            content.height += grown;
    }
    return content;
}

}  // namespace qmo
