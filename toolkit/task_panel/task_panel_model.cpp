#include "toolkit/task_panel/task_panel_model.h"

#include <algorithm>

namespace qmo {
namespace {

std::string_view ShownPart(std::string_view caption) {
    return caption.substr(0, caption.find('\n'));
}

template <typename T>
bool Assign(T& field, const T& value) {
    if (field == value)
        return false;
    field = value;
    return true;
}

}  // namespace

namespace {

TaskPanelLook DesignLookFor(int theme) {
    TaskPanelLook look;
    if (theme == kTaskPanelTitleTheme) {
        // A page heading: no cards, the description lined up under the heading's text.
        look.panelPadding = {20, 6, 20, 6};
        look.captionMinHeight = 30;
        look.captionPaddingY = 3;
        look.captionStyle = TaskTextStyle::Heading;
        look.bodyPadding = {look.iconSize + 10, 0, 0, 0};
        look.iconGap = 10;
        look.itemSpacing = 2;
        return look;
    }
    // Cards on a light panel.
    look.panelPadding = {12, 12, 12, 0};
    look.groupMargins = {0, 0, 0, 12};
    look.captionMinHeight = 34;
    look.captionPaddingX = 12;
    look.captionPaddingY = 8;
    look.bodyPadding = {12, 10, 12, 12};
    look.itemSpacing = 8;
    return look;
}

}  // namespace

TaskPanelLook TaskPanelLookFor(int theme, unsigned dpi) {
    TaskPanelLook look = DesignLookFor(theme);
    look.panelPadding = ScaleForDpi(look.panelPadding, dpi);
    look.groupMargins = ScaleForDpi(look.groupMargins, dpi);
    look.captionMinHeight = ScaleForDpi(look.captionMinHeight, dpi);
    look.captionPaddingX = ScaleForDpi(look.captionPaddingX, dpi);
    look.captionPaddingY = ScaleForDpi(look.captionPaddingY, dpi);
    look.bodyPadding = ScaleForDpi(look.bodyPadding, dpi);
    look.itemSpacing = ScaleForDpi(look.itemSpacing, dpi);
    look.iconSize = ScaleForDpi(look.iconSize, dpi);
    look.iconGap = ScaleForDpi(look.iconGap, dpi);
    look.expandButtonSize = ScaleForDpi(look.expandButtonSize, dpi);
    return look;
}

void TaskItem::SetCaption(std::string_view caption) {
    if (m_caption == ShownPart(caption))
        return;
    m_caption = std::string(ShownPart(caption));
    m_group.Changed();
}

void TaskItem::SetIcon(int icon) {
    if (Assign(m_icon, std::max(icon, -1)))
        m_group.Changed();
}

void TaskItem::SetBold(bool bold) {
    if (Assign(m_bold, bold))
        m_group.Changed();
}

void TaskItem::SetControlHeight(int height) {
    if (Assign(m_controlHeight, std::max(height, 0)))
        m_group.Changed();
}

void TaskGroup::SetCaption(std::string_view caption) {
    if (m_caption == ShownPart(caption))
        return;
    m_caption = std::string(ShownPart(caption));
    Changed();
}

void TaskGroup::SetIcon(int icon) {
    if (Assign(m_icon, std::max(icon, -1)))
        Changed();
}

void TaskGroup::SetSpecial(bool special) {
    if (Assign(m_special, special))
        Changed();
}

void TaskGroup::SetExpanded(bool expanded) {
    if (Assign(m_expanded, expanded))
        Changed();
}

UiMargins TaskGroup::Margins() const noexcept {
    return m_hasOwnMargins ? m_margins : m_panel.Look().groupMargins;
}

void TaskGroup::SetMargins(const UiMargins& margins) {
    m_hasOwnMargins = true;
    m_margins = margins;
    Changed();
}

int TaskGroup::InnerWidth() const noexcept {
    const UiMargins& padding = m_panel.Look().bodyPadding;
    return std::max(m_rect.Width() - padding.left - padding.right, 0);
}

TaskItem& TaskGroup::AddLink(int id, std::string_view caption, int icon) {
    TaskItem& item = Add(TaskItemKind::Link, id);
    item.m_caption = std::string(ShownPart(caption));
    item.m_icon = std::max(icon, -1);
    Changed();
    return item;
}

TaskItem& TaskGroup::AddText(int id, std::string_view caption, bool bold) {
    TaskItem& item = Add(TaskItemKind::Text, id);
    item.m_caption = std::string(ShownPart(caption));
    item.m_bold = bold;
    Changed();
    return item;
}

TaskItem& TaskGroup::AddControl(int id, int height) {
    TaskItem& item = Add(TaskItemKind::Control, id);
    item.m_controlHeight = std::max(height, 0);
    Changed();
    return item;
}

TaskItem& TaskGroup::Add(TaskItemKind kind, int id) {
    m_items.push_back(std::unique_ptr<TaskItem>(new TaskItem(*this, kind, id)));
    return *m_items.back();
}

void TaskGroup::Changed() {
    m_panel.Changed();
}

void TaskPanelModel::SetLook(const TaskPanelLook& look) {
    m_look = look;
    Changed();
}

void TaskPanelModel::SetExpandable(bool expandable) {
    if (Assign(m_expandable, expandable))
        Changed();
}

TaskGroup& TaskPanelModel::AddGroup(int id, std::string_view caption, int icon) {
    m_groups.push_back(std::unique_ptr<TaskGroup>(new TaskGroup(*this, id)));
    TaskGroup& group = *m_groups.back();
    group.m_caption = std::string(ShownPart(caption));
    group.m_icon = std::max(icon, -1);
    Changed();
    return group;
}

TaskItem* TaskPanelModel::FindItem(std::size_t group, std::size_t item) const noexcept {
    if (group >= m_groups.size() || item >= m_groups[group]->m_items.size())
        return nullptr;
    return m_groups[group]->m_items[item].get();
}

TaskItem* TaskPanelModel::OwnItemAt(std::uintptr_t address) const noexcept {
    for (const auto& group : m_groups)
        for (const auto& item : group->m_items)
            if (reinterpret_cast<std::uintptr_t>(item.get()) == address)
                return item.get();
    return nullptr;
}

void TaskPanelModel::Changed() {
    if (m_listener)
        m_listener();
}

void TaskPanelModel::Layout(int width, TaskTextMeasure& measure) {
    width = std::max(width, 0);
    int y = m_look.panelPadding.top;
    for (const auto& group : m_groups)
        LayoutGroup(*group, width, y, measure);
    m_contentHeight = y + m_look.panelPadding.bottom;
}

void TaskPanelModel::LayoutGroup(TaskGroup& group, int width, int& y, TaskTextMeasure& measure) const {
    const UiMargins margins = group.Margins();
    const int left = std::min(m_look.panelPadding.left + margins.left, width);
    const int right = std::max(left, width - m_look.panelPadding.right - margins.right);
    const int top = y + margins.top;
    const int captionHeight = LayoutCaption(group, left, right, top, measure);

    int bottom = top + captionHeight;
    const bool showBody = ShowsBody(group) && !group.m_items.empty();
    if (showBody) {
        const int itemLeft = std::min(left + m_look.bodyPadding.left, right);
        const int itemRight = std::max(itemLeft, right - m_look.bodyPadding.right);
        int itemTop = bottom + m_look.bodyPadding.top;
        for (std::size_t i = 0; i < group.m_items.size(); ++i) {
            if (i > 0)
                itemTop += m_look.itemSpacing;
            itemTop += LayoutItem(*group.m_items[i], itemLeft, itemRight, itemTop, measure);
        }
        group.m_bodyRect = Rect{left, bottom, right, itemTop + m_look.bodyPadding.bottom};
        bottom = group.m_bodyRect.bottom;
    } else {
        group.m_bodyRect = Rect{left, bottom, right, bottom};
        for (const auto& item : group.m_items) {
            item->m_shown = false;
            item->m_rect = item->m_iconRect = item->m_textRect = {};
        }
    }
    group.m_rect = Rect{left, top, right, bottom};
    y = bottom + margins.bottom;
}

// Lays out the caption, [icon] text [expand button], at `top`; returns its height.
int TaskPanelModel::LayoutCaption(TaskGroup& group, int left, int right, int top, TaskTextMeasure& measure) const {
    const int padding = m_look.captionPaddingX;
    const Rect inside = Inset(Rect{left, top, right, top}, {padding, 0, padding, 0});
    int textLeft = inside.left;
    int textRight = inside.right;
    if (group.m_icon >= 0)
        textLeft = std::min(textLeft + m_look.iconSize + m_look.iconGap, textRight);
    if (m_expandable)
        textRight = std::max(textLeft, textRight - m_look.expandButtonSize - m_look.iconGap);
    const int textHeight = std::max(measure.TextHeight(group.m_caption, textRight - textLeft, m_look.captionStyle), 0);
    const int height = std::max(m_look.captionMinHeight, textHeight + 2 * m_look.captionPaddingY);

    group.m_captionRect = Rect{left, top, right, top + height};
    const int textTop = top + (height - textHeight) / 2;
    group.m_captionTextRect = Rect{textLeft, textTop, textRight, textTop + textHeight};
    group.m_captionIconRect = {};
    if (group.m_icon >= 0) {
        const int iconTop = top + (height - m_look.iconSize) / 2;
        group.m_captionIconRect =
            MakeRect(inside.left, iconTop, std::min(m_look.iconSize, inside.Width()), m_look.iconSize);
    }
    group.m_expandButtonRect = {};
    if (m_expandable) {
        const int size = std::min(m_look.expandButtonSize, inside.Width());
        const int buttonTop = top + (height - m_look.expandButtonSize) / 2;
        group.m_expandButtonRect = MakeRect(inside.right - size, buttonTop, size, m_look.expandButtonSize);
    }
    return height;
}

// Lays out one item at `top`; returns its height.
int TaskPanelModel::LayoutItem(TaskItem& item, int left, int right, int top, TaskTextMeasure& measure) const {
    item.m_shown = true;
    item.m_iconRect = item.m_textRect = {};
    if (item.m_kind == TaskItemKind::Control) {
        item.m_rect = Rect{left, top, right, top + item.m_controlHeight};
        return item.m_controlHeight;
    }
    const TaskTextStyle style = item.m_kind == TaskItemKind::Link ? TaskTextStyle::Link
                                : item.m_bold                     ? TaskTextStyle::BoldText
                                                                  : TaskTextStyle::Text;
    int textLeft = left;
    int textTop = top;
    int height = 0;
    if (item.m_icon >= 0) {
        item.m_iconRect = MakeRect(left, top, std::min(m_look.iconSize, right - left), m_look.iconSize);
        textLeft = std::min(left + m_look.iconSize + m_look.iconGap, right);
        // The first line sits level with the icon's middle.
        textTop += std::max((m_look.iconSize - measure.LineHeight(style)) / 2, 0);
        height = m_look.iconSize;
    }
    const int textHeight = std::max(measure.TextHeight(item.m_caption, right - textLeft, style), 0);
    item.m_textRect = Rect{textLeft, textTop, right, textTop + textHeight};
    height = std::max(height, item.m_textRect.bottom - top);
    item.m_rect = Rect{left, top, right, top + height};
    return height;
}

TaskHit TaskPanelModel::HitTest(int x, int y) const noexcept {
    for (const auto& group : m_groups) {
        if (m_expandable && group->m_captionRect.Contains(x, y))
            return TaskHit{nullptr, group.get()};
        if (!group->m_bodyRect.Contains(x, y))
            continue;
        for (const auto& item : group->m_items) {
            if (item->m_kind == TaskItemKind::Link && item->m_shown && item->m_rect.Contains(x, y))
                return TaskHit{item.get(), nullptr};
        }
    }
    return {};
}

TaskItem* TaskPanelModel::NextLink(const TaskItem* from, bool forward) const noexcept {
    std::vector<TaskItem*> links;
    for (const auto& group : m_groups) {
        for (const auto& item : group->m_items) {
            if (item->m_kind == TaskItemKind::Link && item->m_shown)
                links.push_back(item.get());
        }
    }
    if (links.empty())
        return nullptr;
    const auto at = std::find(links.begin(), links.end(), from);
    if (at == links.end())
        return forward ? links.front() : links.back();
    if (forward)
        return at + 1 == links.end() ? nullptr : *(at + 1);
    return at == links.begin() ? nullptr : *(at - 1);
}

}  // namespace qmo
