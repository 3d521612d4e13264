#pragma once
// Lets an object be released from inside one of its own handlers, as a
// window's owner does when the window reports it is done: the delete waits
// until the outermost handler of the object has returned.
//
//     gate.Enter();  ... calls that may end in Release() ...
//     if (gate.Leave()) delete this;   // and touch nothing after
//
//     void Release() { if (gate.Release()) delete this; }
namespace qmo {

class ReleaseGate {
public:
    void Enter() noexcept { ++m_depth; }

    // True when a release waited for this, the outermost handler: the caller
    // deletes its object now.
    [[nodiscard]] bool Leave() noexcept {
        if (--m_depth > 0 || !m_waiting)
            return false;
        m_waiting = false;
        return true;
    }

    // True when the object may be deleted at once; otherwise the outermost
    // Leave() says when. Releasing again while waiting changes nothing.
    [[nodiscard]] bool Release() noexcept {
        m_waiting = m_depth > 0;
        return !m_waiting;
    }

private:
    int m_depth = 0;
    bool m_waiting = false;
};

}  // namespace qmo
