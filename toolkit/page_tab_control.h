#pragma once
// A row of flat tabs over a page area. Each tab carries a caption, an icon
// from the control's image strip and a page window; only the selected tab's
// page shows, filling the client area below the strip. A tab may be inserted
// without its page: the page is asked of MakePage when the tab is first
// selected (or its page first wanted), so a page costs nothing until seen.
//
// Selecting a tab (by SelectTab or by the user) sends the parent
//   WM_NOTIFY { hwndFrom = control, idFrom = its id, code = TCN_SELCHANGE }.
// When the user activates a tab (a click, or the arrow keys while the control
// has the focus) OnTabActivated runs first; then the control selects the tab
// and, unless the focus is on the control itself or already inside the new
// page, moves the focus to the page's first tab stop (or the page itself).
#include <windows.h>

#include <string>
#include <string_view>
#include <vector>

#include "framework/identity.h"
#include "framework/window.h"
#include "toolkit/accessible_control.h"
#include "toolkit/hover_tracker.h"
#include "toolkit/image_strip.h"
#include "toolkit/page_tab_layout.h"
#include "toolkit/ui_fonts.h"
#include "toolkit/self_drawn.h"

namespace qmo {


class PageTabControl : public SelfDrawn<IconStripWindow> {
public:
    bool Create(DWORD style, const RECT& rect, HWND parent, UINT id);

    // The selected tab's caption in bold; on unless switched off.
    void SetBoldSelected(bool bold);

    // Inserts before `index` (past the end appends); returns where the tab
    // went, or -1 for a negative index. The page is hidden, unless this is
    // the first tab: that one is selected and its page shown. No notification.
    int InsertTab(int index, std::wstring_view caption, HWND page, int icon = -1);
    int TabCount() const noexcept { return m_selection.Count(); }
    int SelectedTab() const noexcept { return m_selection.Selected(); }
    // Hides the old page, shows and sizes the new one, notifies the parent.
    // False (and nothing happens) out of range or for the selected tab.
    bool SelectTab(int index);

    HWND TabPage(int index) const noexcept;
    // The tab's page, made now if it was not yet (hidden unless its tab is
    // selected); null out of range or when it cannot be made.
    HWND EnsureTabPage(int index);
    std::wstring TabCaption(int index) const;
    int TabIcon(int index) const noexcept;
    // In client coordinates; empty out of range.
    RECT TabRect(int index) const noexcept;
    RECT PageRect() const noexcept;

protected:
    // The user activates tab `index` (never the selected one); the control
    // selects it once this returns.
    virtual void OnTabActivated(int index);
    // The page of a tab inserted without one, made when it is first wanted;
    // null leaves the tab without a page.
    virtual HWND MakePage(int index);

    bool OnSize(UINT type, int width, int height) override;
    bool OnLookChanged() override;
    bool OnLButtonDown(UINT flags, POINT point) override;
    bool OnLButtonDblClk(UINT flags, POINT point) override;
    bool OnMouseMove(UINT flags, POINT point) override;
    bool OnKeyDown(UINT key, UINT flags) override;
    bool OnGetDlgCode(const MSG* queued, LRESULT& code) override;
    bool OnSetFocus(HWND previous) override;
    bool OnKillFocus(HWND next) override;

private:
    void OnIconsChanged() override { Relayout(); }
    // Strip, fonts and icons for the window's DPI; laid out again.
    void UseDpi(unsigned dpi) override;
    // The pointer gone, no tab is lit.
    void OnHoverChanged(bool inside) override;
    struct Tab {
        std::wstring caption;
        HWND page = nullptr;
        int icon = -1;
    };

    void ActivateByUser(int index);
    void MoveFocusInto(HWND page);
    void ShowSelectedPage();
    // A page given or made: a child of the strip, hidden until its tab shows it.
    void AdoptPage(HWND page);
    void Relayout();
    void Paint(HDC dc) override;
    void PaintTab(HDC dc, int index);
    // Screen readers see one page tab per tab, child n + 1 for tab n.
    int AccessibleChildCount() const override { return TabCount(); }
    AccessibleElement DescribeAccessible(int child) const override;
    bool DoAccessibleAction(int child) override;
    int AccessibleFocus() const override { return SelectedTab() + 1; }

    std::vector<Tab> m_tabs;
    bool m_makingPage = false;
    TabSelection m_selection;
    TabStripMetrics m_metrics;
    TabStripLayout m_layout;
    UiFonts m_fonts;
    bool m_boldSelected = true;
    int m_hot = -1;
    bool m_keyboardCues = false;
};

}  // namespace qmo
