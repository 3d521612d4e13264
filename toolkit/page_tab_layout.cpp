#include "toolkit/page_tab_layout.h"

#include <algorithm>

namespace qmo {

TabStripMetrics TabStripMetricsFor(unsigned dpi) {
    TabStripMetrics metrics;
    for (int* size : {&metrics.stripHeight, &metrics.stripInset, &metrics.tabGap, &metrics.paddingX, &metrics.iconSize,
                      &metrics.iconGap})
        *size = ScaleForDpi(*size, dpi);
    return metrics;
}

TabStripLayout LayoutTabStrip(UiSize client, const std::vector<TabLabel>& labels, const TabStripMetrics& metrics) {
    const int width = std::max(client.cx, 0);
    const int height = std::max(client.cy, 0);
    TabStripLayout layout;
    layout.strip = Rect{0, 0, width, std::min(metrics.stripHeight, height)};
    layout.page = Rect{0, layout.strip.bottom, width, height};
    if (labels.empty())
        return layout;

    const auto count = static_cast<long long>(labels.size());
    long long fixed = 2LL * metrics.stripInset + (count - 1) * metrics.tabGap;
    long long captions = 0;
    for (const TabLabel& label : labels) {
        fixed += 2 * metrics.paddingX + (label.hasIcon ? metrics.iconSize + metrics.iconGap : 0);
        captions += std::max(label.captionWidth, 0);
    }
    const long long room = std::max<long long>(width - fixed, 0);

    const int stripHeight = layout.strip.Height();
    const int iconTop = (stripHeight - metrics.iconSize) / 2;
    int x = metrics.stripInset;
    for (const TabLabel& label : labels) {
        long long captionWidth = std::max(label.captionWidth, 0);
        if (captions > room)
            captionWidth = captionWidth * room / captions;
        TabStripLayout::Tab tab;
        int contentLeft = x + metrics.paddingX;
        if (label.hasIcon) {
            tab.icon = MakeRect(contentLeft, iconTop, metrics.iconSize, metrics.iconSize);
            contentLeft += metrics.iconSize + metrics.iconGap;
        }
        tab.caption = MakeRect(contentLeft, 0, static_cast<int>(captionWidth), stripHeight);
        tab.rect = Rect{x, 0, tab.caption.right + metrics.paddingX, stripHeight};
        layout.tabs.push_back(tab);
        x = tab.rect.right + metrics.tabGap;
    }
    return layout;
}

int HitTestTab(const TabStripLayout& layout, int x, int y) noexcept {
    for (std::size_t i = 0; i < layout.tabs.size(); ++i) {
        if (layout.tabs[i].rect.Contains(x, y))
            return static_cast<int>(i);
    }
    return -1;
}

TabSelection::Insertion TabSelection::Insert(int index) noexcept {
    if (index < 0)
        return {};
    const int at = std::min(index, m_count);
    ++m_count;
    if (m_selected < 0) {
        m_selected = at;
        return {at, true};
    }
    if (at <= m_selected)
        ++m_selected;
    return {at, false};
}

bool TabSelection::Select(int index) noexcept {
    if (index < 0 || index >= m_count || index == m_selected)
        return false;
    m_selected = index;
    return true;
}

int TabSelection::Neighbour(int step) const noexcept {
    if (m_count == 0)
        return -1;
    const long long target = static_cast<long long>(std::max(m_selected, 0)) + step;
    return static_cast<int>(std::clamp<long long>(target, 0, m_count - 1));
}

}  // namespace qmo
