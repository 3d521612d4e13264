#pragma once
// The main window's face: the banner, the navigation panel on the left, the
// page title and the tab control with the three pages on the right, and a
// footer. It keeps the highlighted group, the selected tab and the title in
// agreement whenever the page changes.
#include "config/settings_page.h"
#include "framework/window.h"
#include "optimizer/optimization_gate.h"
#include "perf/performance_page.h"
#include "process/process_page.h"
#include "shell/navigation.h"
#include "toolkit/caption_bar.h"
#include "toolkit/page_tab_control.h"
#include "toolkit/task_panel/task_panel.h"
#include "toolkit/themed_button.h"

namespace qmo {

class CTesselDesktopSuitFrameView;

// Tabs activated by the user switch pages through the view.
class CPageTabControl : public qmo::PageTabControl {
public:
    explicit CPageTabControl(CTesselDesktopSuitFrameView& view) noexcept : m_view(view) {}

protected:
    void OnTabActivated(int index) override;
    HWND MakePage(int index) override;

private:
    CTesselDesktopSuitFrameView& m_view;
};

// The navigation panel's button: the full optimization with its progress dialog.
class COptimizeMemoryButton : public qmo::ThemedButton {
public:
    explicit COptimizeMemoryButton(qmo::OptimizationGate& gate) noexcept : m_gate(gate) {}

    // Works only where the organisation lets users run by hand.
    void FollowGate() {
        if (GetSafeHwnd())
            ::EnableWindow(GetSafeHwnd(), m_gate.ManualOptimizationAllowed());
    }

protected:
    bool OnClicked() override;

private:
    qmo::OptimizationGate& m_gate;
};

class CTesselDesktopSuitFrameView : public qmo::Window, private qmo::NavigationTarget {
public:
    // Every optimize button of the view and its pages asks `gate` for a run;
    // the pages read and save the settings through `settings`.
    CTesselDesktopSuitFrameView(qmo::OptimizationGate& gate, qmo::SettingsHolder& settings);
    // The children go while their objects still live.

    bool Create(HWND frame);

    // The one page-switching operation; null does nothing.
    void ShowNavigationItem(const qmo::TaskItem* item, bool fromTab);
    // As a click on the link of navigation group `group` (0, 1, 2: the pages).
    void SelectNavigationGroup(std::size_t group);
    // The user activated tab `group`: the same, but the tab selects itself.
    void SelectNavigationGroupFromTab(std::size_t group);
    // The main window is back from the tray. Its pages hear nothing of it (a
    // child is not told when its parent shows), so the process list on top
    // is refreshed here to show what runs now.
    void OnFrameShown();
    // What the organisation allows changed: the optimize buttons and the
    // shown page follow it.
    void FollowPolicy();
    // Everything sized in pixels, the fonts and the pictures made again for
    // `dpi`, and the children laid out again.
    void ApplyDpi(unsigned dpi);
    unsigned Dpi() const noexcept { return m_dpi; }
    // The program's own colours changed (its theme), the system's did not:
    // the windows of ours below the view are told, the system's controls are
    // left alone (the dialogs that hold them restyle them).
    void ColorsChanged();

    qmo::TaskPanel& NavPanel() noexcept { return m_wndNavPanel; }
    qmo::TaskPanel& TitlePanel() noexcept { return m_wndTitlePanel; }
    qmo::PageTabControl& PageTabs() noexcept { return m_wndPageTabs; }
    qmo::CaptionBar& Footer() noexcept { return m_wndFooter; }
    // The pages are made when their tab first shows; these make theirs now
    // if the view is there and it was not yet.
    CPerformancePage& PerformancePage() { return Page<CPerformancePage>(0); }
    CProcessPage& ProcessPage() { return Page<CProcessPage>(1); }
    CSettingsPage& SettingsPage() { return Page<CSettingsPage>(2); }
    // Page `index` (0, 1, 2) made for its tab; null when it cannot be.
    HWND MakePage(int index);
    // What the monitor sampled, on the performance page if it has been made.
    void ShowSample(const qmo::PerformanceSampler& sampler);

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    bool OnSize(UINT type, int cx, int cy) override;
    bool OnEraseBkgnd(HDC dc) override;
    bool OnPaint() override;

private:
    bool OnCreate(const CREATESTRUCTW& create, LRESULT& result) override;
    void BuildView();
    bool CreateFooter();
    void ColorFooter();
    bool CreateNavPanel();
    void AddNavGroup(int groupId, int itemId, bool special, int icon);
    void AddOptimizeGroup();
    bool CreateTitlePanel();
    bool CreatePageTabs();
    void StylePageButtons(PageDialog& page);
    PageDialog& PageAt(int index);
    template <class PageType>
    PageType& Page(int index) {
        m_wndPageTabs.EnsureTabPage(index);
        return static_cast<PageType&>(PageAt(index));
    }
    void OnSystemChange(UINT message, WPARAM wParam, LPARAM lParam);
    void TellBelow(WNDENUMPROC tell, LPARAM context);
    void OnDraw(HDC dc, int width);
    void Relayout();
    void SwapSharedFonts(unsigned from, unsigned to);

    // NavigationTarget
    int NavigationGroupCount() const override;
    void SetGroupSpecial(int group, bool special) override;
    void SetTitleIcon(int icon) override;
    int TabCount() const override;
    void SelectTab(int index) override;
    void SetPageTitle(const std::string& groupCaption, const std::string& itemCaption) override;

    qmo::CaptionBar m_wndFooter;
    qmo::TaskPanel m_wndTitlePanel;
    CPageTabControl m_wndPageTabs;
    CPerformancePage m_pagePerformance;
    CProcessPage m_pageProcess;
    CSettingsPage m_pageSettings;
    COptimizeMemoryButton m_btnOptimize;
    qmo::TaskPanel m_wndNavPanel;
    // The banner's three pieces at the view's DPI, loaded at the first paint and kept.
    std::array<qmo::unique_bitmap, 3> m_bannerArt;
    bool m_bannerDark = false;  // the right piece loaded is the dark one
    unsigned m_dpi = qmo::kDesignDpi;
};

}  // namespace qmo
