#pragma once
// The task panel's groups and items and where each one goes: a vertical stack
// of groups, each a caption over a body of items. The window measures text
// through TaskTextMeasure, so these rules run and are tested without a screen.
//
// Groups and items never move in memory once added: the panel hands out
// pointers to items in its click notification.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "framework/dpi_scale.h"
#include "toolkit/ui_geometry.h"

namespace qmo {

enum class TaskItemKind { Link, Text, Control };
enum class TaskTextStyle { Caption, Heading, Link, Text, BoldText };

class TaskTextMeasure {
public:
    virtual ~TaskTextMeasure() = default;
    // Height of `text` in `style`, word-wrapped to `width` pixels (width >= 0).
    virtual int TextHeight(std::string_view text, int width, TaskTextStyle style) = 0;
    virtual int LineHeight(TaskTextStyle style) = 0;
};

// The measurements of one look of the panel.
struct TaskPanelLook {
    UiMargins panelPadding;  // around the stack of groups
    UiMargins groupMargins;  // outside each group unless it has its own
    int captionMinHeight = 0;
    int captionPaddingX = 0;
    int captionPaddingY = 0;
    TaskTextStyle captionStyle = TaskTextStyle::Caption;
    UiMargins bodyPadding;  // around the items of a group
    int itemSpacing = 0;
    int iconSize = 16;
    int iconGap = 8;
    int expandButtonSize = 16;
};

inline constexpr int kTaskPanelTitleTheme = 4;
inline constexpr int kTaskPanelNavigationTheme = 13;
// Unknown themes get the navigation look; every measure scaled to `dpi`.
TaskPanelLook TaskPanelLookFor(int theme, unsigned dpi = kDesignDpi);

class TaskGroup;
class TaskPanelModel;

class TaskItem {
public:
    TaskItem(const TaskItem&) = delete;
    TaskItem& operator=(const TaskItem&) = delete;

    TaskItemKind Kind() const noexcept { return m_kind; }
    int Id() const noexcept { return m_id; }
    TaskGroup& Group() const noexcept { return m_group; }

    const std::string& Caption() const noexcept { return m_caption; }
    // Text after a line feed is a tooltip and not shown.
    void SetCaption(std::string_view caption);
    int Icon() const noexcept { return m_icon; }  // -1: none
    void SetIcon(int icon);
    bool IsBold() const noexcept { return m_bold; }
    void SetBold(bool bold);
    int ControlHeight() const noexcept { return m_controlHeight; }
    void SetControlHeight(int height);

    // Where the last layout put it, in panel coordinates; empty while its
    // group is collapsed.
    const qmo::Rect& Rect() const noexcept { return m_rect; }
    const qmo::Rect& IconRect() const noexcept { return m_iconRect; }
    const qmo::Rect& TextRect() const noexcept { return m_textRect; }
    bool IsShown() const noexcept { return m_shown; }

private:
    friend class TaskGroup;
    friend class TaskPanelModel;
    TaskItem(TaskGroup& group, TaskItemKind kind, int id) noexcept : m_group(group), m_kind(kind), m_id(id) {}

    TaskGroup& m_group;
    TaskItemKind m_kind;
    int m_id;
    std::string m_caption;
    int m_icon = -1;
    bool m_bold = false;
    int m_controlHeight = 0;
    qmo::Rect m_rect, m_iconRect, m_textRect;
    bool m_shown = false;
};

class TaskGroup {
public:
    TaskGroup(const TaskGroup&) = delete;
    TaskGroup& operator=(const TaskGroup&) = delete;

    int Id() const noexcept { return m_id; }
    TaskPanelModel& Panel() const noexcept { return m_panel; }

    const std::string& Caption() const noexcept { return m_caption; }
    void SetCaption(std::string_view caption);
    int Icon() const noexcept { return m_icon; }
    void SetIcon(int icon);
    bool IsSpecial() const noexcept { return m_special; }
    void SetSpecial(bool special);
    // Collapsing shows only when the panel is expandable.
    bool IsExpanded() const noexcept { return m_expanded; }
    void SetExpanded(bool expanded);
    // Outer margins: the look's until the group is given its own.
    UiMargins Margins() const noexcept;
    void SetMargins(const UiMargins& margins);

    TaskItem& AddLink(int id, std::string_view caption, int icon);
    TaskItem& AddText(int id, std::string_view caption, bool bold);
    // A child window's slot: as tall as `height`, as wide as the body's inside.
    TaskItem& AddControl(int id, int height);
    std::size_t ItemCount() const noexcept { return m_items.size(); }
    TaskItem& Item(std::size_t index) const { return *m_items.at(index); }

    // Where the last layout put it, in panel coordinates.
    const qmo::Rect& Rect() const noexcept { return m_rect; }
    const qmo::Rect& CaptionRect() const noexcept { return m_captionRect; }
    const qmo::Rect& CaptionIconRect() const noexcept { return m_captionIconRect; }
    const qmo::Rect& CaptionTextRect() const noexcept { return m_captionTextRect; }
    const qmo::Rect& ExpandButtonRect() const noexcept { return m_expandButtonRect; }  // empty unless expandable
    const qmo::Rect& BodyRect() const noexcept { return m_bodyRect; }
    // The width control items get: the body less its padding.
    int InnerWidth() const noexcept;

private:
    friend class TaskItem;
    friend class TaskPanelModel;
    TaskGroup(TaskPanelModel& panel, int id) noexcept : m_panel(panel), m_id(id) {}
    TaskItem& Add(TaskItemKind kind, int id);
    void Changed();

    TaskPanelModel& m_panel;
    int m_id;
    std::string m_caption;
    int m_icon = -1;
    bool m_special = false;
    bool m_expanded = true;
    bool m_hasOwnMargins = false;
    UiMargins m_margins;
    std::vector<std::unique_ptr<TaskItem>> m_items;
    qmo::Rect m_rect, m_captionRect, m_captionIconRect, m_captionTextRect, m_expandButtonRect, m_bodyRect;
};

// What a point of the panel is over: a link item, or a group's caption when
// the panel is expandable (otherwise captions are not hit at all).
struct TaskHit {
    TaskItem* link = nullptr;
    TaskGroup* caption = nullptr;
};

class TaskPanelModel {
public:
    TaskPanelModel() = default;
    TaskPanelModel(const TaskPanelModel&) = delete;
    TaskPanelModel& operator=(const TaskPanelModel&) = delete;

    // Called after every change that alters what the panel shows.
    void SetChangeListener(std::function<void()> listener) { m_listener = std::move(listener); }

    const TaskPanelLook& Look() const noexcept { return m_look; }
    void SetLook(const TaskPanelLook& look);
    bool IsExpandable() const noexcept { return m_expandable; }
    void SetExpandable(bool expandable);

    TaskGroup& AddGroup(int id, std::string_view caption, int icon = -1);
    std::size_t GroupCount() const noexcept { return m_groups.size(); }
    TaskGroup& Group(std::size_t index) const { return *m_groups.at(index); }
    // Null when either index is out of range.
    TaskItem* FindItem(std::size_t group, std::size_t item) const noexcept;
    // The item at this address if it is one of ours, else null. Compares
    // addresses only, so any value a message may carry is safe to ask about.
    TaskItem* OwnItemAt(std::uintptr_t address) const noexcept;

    void Layout(int width, TaskTextMeasure& measure);
    int ContentHeight() const noexcept { return m_contentHeight; }
    TaskHit HitTest(int x, int y) const noexcept;
    // The shown link after (or before) `from` in reading order; from null, the
    // first (or last) one; null when there is none further.
    TaskItem* NextLink(const TaskItem* from, bool forward) const noexcept;

private:
    friend class TaskGroup;
    friend class TaskItem;
    void Changed();
    void LayoutGroup(TaskGroup& group, int width, int& y, TaskTextMeasure& measure) const;
    int LayoutCaption(TaskGroup& group, int left, int right, int top, TaskTextMeasure& measure) const;
    int LayoutItem(TaskItem& item, int left, int right, int top, TaskTextMeasure& measure) const;
    bool ShowsBody(const TaskGroup& group) const noexcept { return !m_expandable || group.m_expanded; }

    TaskPanelLook m_look = TaskPanelLookFor(kTaskPanelNavigationTheme);
    bool m_expandable = true;
    std::vector<std::unique_ptr<TaskGroup>> m_groups;
    int m_contentHeight = 0;
    std::function<void()> m_listener;
};

}  // namespace qmo
