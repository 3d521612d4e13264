#pragma once
// A task panel: a vertical stack of groups, each a caption over link items,
// text items and embedded child windows. Two looks: the navigation panel
// (theme 13: cards on a light panel, the special group's caption filled with
// its colour) and the page title (theme 4: one heading and its description).
//
// A click on a link item tells the parent:
//
//   SendMessage(parent, WM_TASKPANEL_NOTIFY, kTaskPanelItemClick, (LPARAM)TaskItem*)
//
// Commands from embedded child windows go to the panel's parent as if the
// children were its own, after a themed button has had its own look at them.
#include <windows.h>

#include <string_view>
#include <utility>
#include <vector>

#include "framework/window.h"
#include "res/messages.h"
#include "toolkit/accessible_control.h"
#include "toolkit/hover_tracker.h"
#include "toolkit/image_strip.h"
#include "toolkit/task_panel/task_panel_model.h"
#include "toolkit/task_panel/task_panel_painter.h"
#include "toolkit/self_drawn.h"

namespace qmo {

inline constexpr WPARAM kTaskPanelItemClick = 1;
inline constexpr wchar_t kTaskPanelClassName[] = L"Quenvale.TaskPanel";

class TaskPanel : public SelfDrawn<IconStripWindow> {
public:
    TaskPanel();

    bool Create(DWORD style, const RECT& rect, HWND parent, UINT id);

    void SetTheme(int theme);  // kTaskPanelNavigationTheme or kTaskPanelTitleTheme
    int Theme() const noexcept { return m_painter.Theme(); }
    // Off: captions take no clicks and show no expand button, groups stay open.
    void SetExpandable(bool expandable) { m_model.SetExpandable(expandable); }
    bool IsExpandable() const noexcept { return m_model.IsExpandable(); }
    // The panel never animates; the switch is kept for callers that ask.
    void SetAnimation(bool on) noexcept { m_animation = on; }
    bool IsAnimationOn() const noexcept { return m_animation; }
    // Caption colour of special groups; kept over system colour and theme changes.
    void SetSpecialCaptionColor(COLORREF color);
    COLORREF SpecialCaptionColor() const noexcept { return m_painter.SpecialCaptionColor(); }
    // Icons: cells of cx x cy from a bitmap strip, icon id = cell index.

    TaskGroup& AddGroup(int id, std::wstring_view caption, int icon = -1);
    TaskItem& AddLinkItem(TaskGroup& group, int id, std::wstring_view caption, int icon);
    TaskItem& AddTextItem(TaskGroup& group, int id, std::wstring_view caption, bool bold);
    // `control` becomes the panel's child if it is not already; the item
    // takes its current height, the group's inner width, and moves it there.
    TaskItem& AddControlItem(TaskGroup& group, int id, HWND control);

    std::size_t GroupCount() const noexcept { return m_model.GroupCount(); }
    TaskGroup& Group(std::size_t index) const { return m_model.Group(index); }
    // Null when either index is out of range.
    TaskItem* FindItem(std::size_t group, std::size_t item) const noexcept { return m_model.FindItem(group, item); }
    bool IsGroupSpecial(std::size_t group) const noexcept;
    // In client coordinates.
    RECT ItemRect(const TaskItem& item) const noexcept;
    RECT CaptionRect(const TaskGroup& group) const noexcept;

    // The item a click notification names, if it is one of this panel's;
    // anyone can send the message, with any value.
    TaskItem* ItemFromNotification(LPARAM lParam) const noexcept {
        return m_model.OwnItemAt(static_cast<std::uintptr_t>(lParam));
    }

protected:
    bool OnPrintClient(HDC dc, UINT flags) override;
    bool OnSize(UINT type, int width, int height) override;
    bool OnMouseMove(UINT flags, POINT point) override;
    bool OnLButtonDown(UINT flags, POINT point) override;
    bool OnLButtonDblClk(UINT flags, POINT point) override;
    bool OnLButtonUp(UINT flags, POINT point) override;
    bool OnKeyDown(UINT key, UINT flags) override;
    bool OnSetCursor(HWND window, UINT hitTest, UINT mouseMessage) override;
    // A press ends with the capture: no click comes of it.
    bool OnCaptureChanged(HWND gaining) override;
    bool OnGetDlgCode(const MSG* queued, LRESULT& code) override;
    bool OnSetFocus(HWND previous) override;
    bool OnKillFocus(HWND next) override;
    bool OnVScroll(UINT code, int position, HWND scrollBar) override;
    bool OnMouseWheel(int delta, UINT keys, POINT screen) override;
    bool OnCommand(UINT id, UINT code, HWND control) override;
    bool OnNotify(UINT id, NMHDR* header, LRESULT& result) override;
    HBRUSH OnCtlColor(UINT message, HDC dc, HWND control) override;

private:
    void OnIconsChanged() override { Redraw(); }
    // Measures, fonts and icons for the window's DPI; laid out again.
    void UseDpi(unsigned dpi) override;
    // The pointer gone, no link is lit but the one held.
    void OnHoverChanged(bool inside) override;
    void OnModelChanged();
    void Relayout();
    // Content taller than the panel scrolls; `position` is clamped to what there is.
    void ScrollTo(int position);
    // The same, and the children and the picture follow when it moved.
    void ScrollAndPlace(int position);
    TaskHit HitAt(POINT point) const noexcept { return m_model.HitTest(point.x, point.y + m_scrollY); }
    void PlaceControls();
    void Paint(HDC dc) override;
    bool OnLookChanged() override;
    void SetHot(const TaskItem* item);
    void Click(TaskItem& item);

    // Screen readers see each group's caption followed by its link and text
    // items, in reading order (embedded windows answer for themselves).
    struct AccessiblePart {
        TaskGroup* group = nullptr;
        TaskItem* item = nullptr;  // null: the group's caption
    };
    AccessiblePart AccessiblePartAt(int child) const noexcept;
    int AccessibleChildOf(const TaskItem* item) const noexcept;
    int AccessibleChildCount() const override;
    AccessibleElement DescribeAccessible(int child) const override;
    bool DoAccessibleAction(int child) override;
    int AccessibleFocus() const override { return AccessibleChildOf(m_focused); }
    void FocusMoved();

    TaskPanelModel m_model;
    TaskPanelPainter m_painter;
    std::vector<std::pair<const TaskItem*, HWND>> m_controls;
    bool m_animation = false;
    int m_scrollY = 0;

    const TaskItem* m_hot = nullptr;
    TaskItem* m_pressedLink = nullptr;
    TaskGroup* m_pressedCaption = nullptr;
    TaskItem* m_focused = nullptr;
    bool m_keyboardCues = false;
};

}  // namespace qmo
