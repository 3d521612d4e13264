#pragma once
// A dialog whose registered controls follow its size by their anchors.
#include <vector>

#include "framework/dialog.h"
#include "toolkit/anchor_layout.h"

namespace qmo {

class CResizeDialog : public qmo::Dialog {
public:
    using Dialog::Dialog;

protected:
    // Registers a control at its present place; call from OnInitDialog.
    void AddAnchor(UINT controlId, const qmo::Anchors& anchors);
    bool OnSize(UINT type, int width, int height) override;

private:
    struct Anchored {
        HWND control;
        qmo::Rect original;
        qmo::Anchors anchors;
    };
    std::vector<Anchored> m_anchored;
    SIZE m_originalSize{};
    bool m_haveOriginalSize = false;
};

}  // namespace qmo
