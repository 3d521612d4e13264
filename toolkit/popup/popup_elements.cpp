#include "toolkit/popup/popup_elements.h"

namespace qmo {

PopupElements::Index PopupElements::Add(PopupElement element) {
    m_elements.push_back(std::move(element));
    return m_elements.size() - 1;
}

std::optional<PopupElements::Index> PopupElements::HitTest(PopupPoint point) const {
    for (Index i = m_elements.size(); i-- > 0;)
        if (m_elements[i].rect.Contains(point))
            return i;
    return std::nullopt;
}

bool PopupElements::SetLook(std::optional<Index> hot, std::optional<Index> pressed) {
    const bool changed = hot != m_hot || pressed != m_pressed;
    m_hot = hot;
    m_pressed = pressed;
    return changed;
}

bool PopupElements::PointerMovedTo(PopupPoint point) {
    const std::optional<Index> hit = HitTest(point);
    // While the button is held only the pressed element lights up, the way
    // a push button behaves.
    if (m_pressed)
        return SetLook(hit == m_pressed ? hit : std::nullopt, m_pressed);
    return SetLook(hit, std::nullopt);
}

bool PopupElements::PointerLeft() {
    return SetLook(std::nullopt, m_pressed);
}

bool PopupElements::ButtonDown(PopupPoint point) {
    const std::optional<Index> hit = HitTest(point);
    return SetLook(hit, hit);
}

bool PopupElements::CancelPress() {
    return SetLook(m_hot, std::nullopt);
}

PopupElements::Release PopupElements::ButtonUp(PopupPoint point) {
    const std::optional<Index> hit = HitTest(point);
    Release release;
    if (m_pressed && hit == m_pressed)
        release.clicked = hit;
    release.lookChanged = SetLook(hit, std::nullopt);
    return release;
}

bool PopupElements::IsUnderlined(Index index) const {
    return index < m_elements.size() && m_elements[index].link && m_hot == index;
}

PopupImageCell PopupElements::CellOf(Index index) const {
    if (m_hot != index)
        return PopupImageCell::Normal;
    return m_pressed == index ? PopupImageCell::Pressed : PopupImageCell::Hot;
}

}  // namespace qmo
