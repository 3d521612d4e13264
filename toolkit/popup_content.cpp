#include "toolkit/popup_content.h"

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

}  // namespace qmo
