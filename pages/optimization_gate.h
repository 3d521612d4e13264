#pragma once
// The one way into a full optimization. Menus, the tray, the pages' buttons,
// the navigation button and the critical-limit popup all ask here; while a
// run is going a further request does nothing (no dialog, nothing queued).

namespace qmo {

enum class OptimizationStart {
    Visible,           // the progress dialog with the trim and the sweep
    SilentWhenHidden,  // as Visible, but the trim alone and no window while the main window is hidden
};

class OptimizationGate {
public:
    virtual ~OptimizationGate() = default;
    // True when a run was started (and has ended); false when one was going.
    virtual bool RequestOptimization(OptimizationStart start) = 0;
};

}  // namespace qmo
