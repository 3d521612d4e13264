#pragma once
// A dialog whose registered controls follow its size by their anchors. It
// never lays them out smaller than the size they were registered at (where
// they were designed not to touch): a smaller dialog scrolls instead.
#include <vector>

#include "toolkit/themed_dialog.h"
#include "toolkit/anchor_layout.h"

namespace qmo {

class CResizeDialog : public qmo::ThemedDialog {
public:
    using ThemedDialog::ThemedDialog;

protected:
    // Registers a control at its present place; call from OnInitDialog.
    void AddAnchor(UINT controlId, const qmo::Anchors& anchors);
    bool OnSize(UINT type, int width, int height) override;
    // Grown to its texts, the anchored controls are registered where they are now.
    void OnTextsInPlace() override;
    // The dialog's own scroll bars and the wheel; what a control sends is left
    // to the derived class, which passes the rest on to these.
    bool OnVScroll(UINT code, int position, HWND scrollBar) override;
    bool OnHScroll(UINT code, int position, HWND scrollBar) override;
    bool OnMouseWheel(int delta, UINT keys, POINT screen) override;

private:
    struct Anchored {
        HWND control;
        qmo::Rect original;
        qmo::Anchors anchors;
    };
    void Relayout();
    void ScrollTo(int bar, int position);
    int ScrollStep(int bar, UINT code) const;

    std::vector<Anchored> m_anchored;
    SIZE m_originalSize{};
    bool m_haveOriginalSize = false;
    SIZE m_client{};
    POINT m_scroll{};  // how far the content is scrolled
};

}  // namespace qmo
