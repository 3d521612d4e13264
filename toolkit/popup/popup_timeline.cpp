#include "toolkit/popup/popup_timeline.h"

#include <algorithm>
#include <cstdlib>

namespace qmo {

int PopupTiming::Steps() const noexcept {
    if (stepMs <= 0)
        return 1;
    return std::max(1, slideMs / stepMs);
}

PopupTimeline::PopupTimeline(int fullHeight, PopupTiming timing)
    : m_fullHeight(std::max(0, fullHeight)), m_timing(timing) {
    m_timing.stepMs = std::max(1, m_timing.stepMs);
    m_timing.displayMs = std::max(1, m_timing.displayMs);
}

int PopupTimeline::HeightAtStep(int fullHeight, int step, int steps) {
    if (steps <= 0)
        return fullHeight;
    step = std::clamp(step, 0, steps);
    return static_cast<int>((static_cast<long long>(fullHeight) * step + steps / 2) / steps);
}

void PopupTimeline::Start(Milliseconds now) {
    if (m_state != PopupState::Hidden)
        return;
    m_step = 0;
    StartPhase(PopupState::Expanding, now);
    AdvanceTo(now);
}

void PopupTimeline::StartPhase(PopupState state, Milliseconds at) {
    m_phaseStart = at;
    m_phaseStartStep = m_step;
    if (state == PopupState::Shown)
        m_displayEnd = at + static_cast<Milliseconds>(m_timing.displayMs);
    Enter(state);
}

void PopupTimeline::Enter(PopupState state) {
    m_state = state;
    if (m_listener)
        m_listener(state);
}

std::optional<PopupTimeline::Milliseconds> PopupTimeline::NextChangeAt() const {
    const auto step = static_cast<Milliseconds>(m_timing.stepMs);
    switch (m_state) {
    case PopupState::Expanding:
    case PopupState::Collapsing: {
        // The step after the one shown, counted from the phase's start so
        // late timer ticks do not stretch the slide.
        const auto done = static_cast<Milliseconds>(std::abs(m_step - m_phaseStartStep));
        return m_phaseStart + (done + 1) * step;
    }
    case PopupState::Shown:
        return m_displayEnd;
    case PopupState::Hidden:
    case PopupState::Closed:
        break;
    }
    return std::nullopt;
}

void PopupTimeline::AdvanceTo(Milliseconds now) {
    const int steps = m_timing.Steps();
    const auto stepMs = static_cast<Milliseconds>(m_timing.stepMs);
    // Each pass settles one phase; the listener may change the state under
    // us, so every pass looks at it afresh.
    for (;;) {
        switch (m_state) {
        case PopupState::Expanding: {
            const int due = static_cast<int>(std::min<Milliseconds>((now - m_phaseStart) / stepMs, steps));
            m_step = std::min(steps, m_phaseStartStep + due);
            if (m_step < steps)
                return;
            StartPhase(PopupState::Shown, m_phaseStart + static_cast<Milliseconds>(steps - m_phaseStartStep) * stepMs);
            continue;
        }
        case PopupState::Shown:
            if (now < m_displayEnd)
                return;
            if (m_pointerInside) {
                // Every check that fell due while the pointer stayed held it;
                // the next one comes a whole display time after the last.
                const auto display = static_cast<Milliseconds>(m_timing.displayMs);
                m_displayEnd += ((now - m_displayEnd) / display + 1) * display;
                return;
            }
            StartPhase(PopupState::Collapsing, m_displayEnd);
            continue;
        case PopupState::Collapsing: {
            const int due = static_cast<int>(std::min<Milliseconds>((now - m_phaseStart) / stepMs, steps));
            m_step = std::max(0, m_phaseStartStep - due);
            if (m_step > 0)
                return;
            Enter(PopupState::Closed);
            continue;
        }
        case PopupState::Hidden:
        case PopupState::Closed:
            return;
        }
    }
}

void PopupTimeline::PointerEntered(Milliseconds now) {
    if (m_pointerInside)
        return;
    AdvanceTo(now);
    m_pointerInside = true;
    if (m_state == PopupState::Collapsing) {
        StartPhase(PopupState::Expanding, now);
        AdvanceTo(now);
    }
}

void PopupTimeline::PointerLeft(Milliseconds now) {
    if (!m_pointerInside)
        return;
    AdvanceTo(now);
    m_pointerInside = false;
}

void PopupTimeline::CloseNow() {
    if (m_state == PopupState::Closed)
        return;
    m_step = 0;
    Enter(PopupState::Closed);
}

}  // namespace qmo
