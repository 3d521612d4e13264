#pragma once
// The one way into an optimization. Menus, the tray, the pages' buttons,
// the navigation button, the critical-limit popup, the emergency shortcut,
// another start's request and the process page all ask here; while a run is
// going a further request does nothing (no dialog, nothing queued).
#include <cstdint>

namespace qmo {

enum class OptimizationStart {
    Visible,           // the progress dialog with the trim and the sweep
    SilentWhenHidden,  // as Visible, but the trim alone and no window while the main window is hidden
};

// Where a run was asked for; the history says so.
enum class RunTrigger : std::uint8_t { Menu, Tray, Page, Navigation, Popup, Hotkey, CommandLine, Automatic, Selected };

class OptimizationGate {
public:
    virtual ~OptimizationGate() = default;
    // True when a run was started (and has ended); false when one was going.
    virtual bool RequestOptimization(OptimizationStart start, RunTrigger trigger) = 0;
    // Trims the working set of one process, as a run of its own; false when
    // the process could not be opened or a run was going.
    virtual bool OptimizeProcess(std::uint32_t processId) = 0;
    // False when the organisation allows automatic runs only: every request
    // but an automatic run's is then refused, and the buttons show it.
    virtual bool ManualOptimizationAllowed() const { return true; }
};

}  // namespace qmo
