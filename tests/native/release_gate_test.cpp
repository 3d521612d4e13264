#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "toolkit/release_gate.h"

namespace qmo {
namespace {

// Shaped like the popup window: a handler calls out to an owner that may
// release the object, then touches its members, so a delete that comes too
// early shows up under AddressSanitizer.
class Notifier {
public:
    explicit Notifier(std::vector<std::string>& log) : m_log(log) {}
    std::function<void(Notifier&, int depth)> owner;

    void Handle(int depth) {
        m_gate.Enter();
        owner(*this, depth);
        m_log.push_back("left " + std::to_string(depth));
        if (m_gate.Leave())
            delete this;
    }
    void Release() {
        if (m_gate.Release())
            delete this;
    }

private:
    ~Notifier() { m_log.push_back("deleted"); }
    std::vector<std::string>& m_log;
    ReleaseGate m_gate;
};

using Log = std::vector<std::string>;

TEST(ReleaseGate, AReleaseOutsideEveryHandlerDeletesAtOnce) {
    Log log;
    (new Notifier(log))->Release();
    EXPECT_EQ(log, Log{"deleted"});
}

TEST(ReleaseGate, AReleaseDeepInsideNestedHandlersWaitsForTheOutermostAndCountsOnce) {
    // A modal loop inside the owner's click handler runs the popup's timers,
    // and the owner releases the popup twice over, two handlers deep.
    Log log;
    auto* notifier = new Notifier(log);
    notifier->owner = [](Notifier& self, int depth) {
        if (depth < 3) {
            self.Handle(depth + 1);
            return;
        }
        self.Release();
        self.Release();
    };
    notifier->Handle(1);
    EXPECT_EQ(log, (Log{"left 3", "left 2", "left 1", "deleted"}));
}

}  // namespace
}  // namespace qmo
