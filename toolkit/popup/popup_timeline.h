#pragma once
// The life of a sliding popup, apart from any window: it slides in, stays for
// its display time (longer while the pointer is over it), slides out, and is
// closed. Driven by explicit times in milliseconds, so any clock will do.
#include <cstdint>
#include <functional>
#include <optional>

namespace qmo {

enum class PopupState { Hidden, Expanding, Shown, Collapsing, Closed };

struct PopupTiming {
    int slideMs = 500;     // each way
    int stepMs = 16;       // one height change per step
    int displayMs = 3000;  // full height, between the two slides

    // Whole steps in one slide (31 for the defaults); at least one.
    int Steps() const noexcept;
};

class PopupTimeline {
public:
    using Milliseconds = std::uint64_t;
    using StateListener = std::function<void(PopupState)>;

    explicit PopupTimeline(int fullHeight, PopupTiming timing = {});

    // Told of every change of state, after the height has been set. It may
    // call back into the timeline (CloseNow, say).
    void SetStateListener(StateListener listener) { m_listener = std::move(listener); }

    // Begins the slide-in from zero height; only once, from Hidden.
    void Start(Milliseconds now);
    // Catches up with everything due by `now`, in order.
    void AdvanceTo(Milliseconds now);
    // The pointer over the popup holds it at the end of its display time, and
    // brings a collapsing popup back up from the height it has reached.
    void PointerEntered(Milliseconds now);
    void PointerLeft(Milliseconds now);
    // Closed at once, without the slide-out.
    void CloseNow();

    PopupState State() const noexcept { return m_state; }
    int Step() const noexcept { return m_step; }
    int Height() const noexcept { return HeightAtStep(m_fullHeight, m_step, m_timing.Steps()); }
    int FullHeight() const noexcept { return m_fullHeight; }
    bool PointerInside() const noexcept { return m_pointerInside; }
    bool IsSliding() const noexcept { return m_state == PopupState::Expanding || m_state == PopupState::Collapsing; }
    const PopupTiming& Timing() const noexcept { return m_timing; }
    // When time alone changes something next; none when hidden or closed.
    std::optional<Milliseconds> NextChangeAt() const;

    // Height after `step` of `steps` steps of a slide, rounded to the nearest pixel.
    static int HeightAtStep(int fullHeight, int step, int steps);

private:
    void Enter(PopupState state);
    void StartPhase(PopupState state, Milliseconds at);

    int m_fullHeight;
    PopupTiming m_timing;
    StateListener m_listener;
    PopupState m_state = PopupState::Hidden;
    int m_step = 0;
    int m_phaseStartStep = 0;
    Milliseconds m_phaseStart = 0;
    Milliseconds m_displayEnd = 0;
    bool m_pointerInside = false;
};

}  // namespace qmo
