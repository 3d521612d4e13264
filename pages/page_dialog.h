#pragma once
// What the three pages share: a white page drawn off screen, controls on
// white, a keyboard that never closes the page, and an "Optimize Memory"
// button that runs the full optimization.
#include <initializer_list>
#include <map>
#include <memory>
#include <vector>

#include "optimizer/optimization_gate.h"
#include "res/pages_resource.h"
#include "toolkit/resize_dialog.h"
#include "toolkit/themed_button.h"

namespace qmo {

class PageDialog : public CResizeDialog {
public:
    // `optimizeButtons`: the controls that start the full optimization.
    PageDialog(UINT templateId, std::initializer_list<UINT> optimizeButtons = {IDC_PAGE_OPTIMIZE_MEMORY});
    bool PreTranslateMessage(MSG& message) override;

    // A push button of the page, drawn by the toolkit; null if the page has none with that id.
    qmo::ThemedButton* Button(UINT id);

    // Where the page's optimize buttons ask for a run; given before the page is created.
    void SetOptimizationGate(qmo::OptimizationGate* gate) noexcept { m_gate = gate; }
    // What the page shows may have changed behind it (an organisation's
    // policy): a shown page takes it up as if it had just come up.
    void Refresh();

protected:
    bool OnCommand(UINT id, UINT code, HWND control) override;
    bool HandleDialogMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    bool OnEraseBkgnd(HDC dc) override;
    bool OnPaint() override;
    // White, the dark face, or the system's colours in high contrast; the
    // themed dialog repaints it whole when they change.
    HBRUSH OnCtlColor(UINT message, HDC dc, HWND control) override;
    // The full optimization with its progress dialog, in the normal mode,
    // unless one is already running.
    void RunFullOptimization();
    // The organisation lets users start runs by hand (so with no gate).
    bool ManualOptimizationAllowed() const { return !m_gate || m_gate->ManualOptimizationAllowed(); }
    // Trims one process through the gate; false without one.
    bool OptimizeOneProcess(std::uint32_t processId) { return m_gate && m_gate->OptimizeProcess(processId); }
    // Takes over the template's push buttons; call from OnInitDialog.
    void AttachButtons(std::initializer_list<UINT> ids);
    // The page has just come up in the tab control, by whichever route. The
    // tab control shows pages with SetWindowPos, which sends no WM_SHOWWINDOW,
    // and moves the shown page on every resize: the page's style tells.
    virtual void OnPageShown() {}

private:
    void OnWindowPosChanged();
    // The optimize buttons work only where the organisation allows running by hand.
    void EnableOptimizeButtons();

    std::vector<UINT> m_optimizeButtons;
    qmo::OptimizationGate* m_gate = nullptr;
    bool m_visible = false;
    std::map<UINT, std::unique_ptr<qmo::ThemedButton>> m_buttons;
};

// Enter or Escape going to a page or any control on it, but to an open drop-down list.
bool IsPageClosingKey(const MSG& message);

}  // namespace qmo
