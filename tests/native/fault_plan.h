#pragma once
// Which seam calls of a run fail. A fake asks the plan once for every call it
// could fail (closing and freeing cannot fail and are not counted); the plan
// fails none, exactly the Nth, or every call from the Nth on, the last being
// the system going away in the middle of a run.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

namespace qmo::testing {

class FaultPlan {
public:
    enum class Mode { None, Only, FromOn };

    FaultPlan() = default;
    FaultPlan(Mode mode, int position) : m_mode(mode), m_position(position) {}

    // Counts one call; true when it is to fail.
    bool Fails(std::string_view call) {
        ++m_calls;
        const bool fails = (m_mode == Mode::Only && m_calls == m_position) ||
                           (m_mode == Mode::FromOn && m_calls >= m_position);
        if (fails)
            m_failed.emplace_back(call);
        return fails;
    }
    bool Failed(std::string_view call) const {
        return std::find(m_failed.begin(), m_failed.end(), call) != m_failed.end();
    }
    int FailedCount() const { return static_cast<int>(m_failed.size()); }
    int Calls() const { return m_calls; }
    std::string Describe() const {
        return std::string(m_mode == Mode::Only ? "only call " : "every call from ") + std::to_string(m_position);
    }

private:
    Mode m_mode = Mode::None;
    int m_position = 0;
    int m_calls = 0;
    std::vector<std::string> m_failed;
};

// Runs `scenario(plan)` once without faults to count its failable calls,
// then, for every position, once failing only that call and once failing
// every call from it on. The scenario builds fresh fakes and checks the
// outcome itself. Returns the number of faulted runs.
template <class Scenario>
int RunWithEveryFault(Scenario scenario) {
    FaultPlan counting;
    scenario(counting);
    EXPECT_GT(counting.Calls(), 0) << "the scenario makes no failable call";
    int runs = 0;
    for (int position = 1; position <= counting.Calls(); ++position) {
        for (const FaultPlan::Mode mode : {FaultPlan::Mode::Only, FaultPlan::Mode::FromOn}) {
            FaultPlan plan(mode, position);
            SCOPED_TRACE(plan.Describe());
            scenario(plan);
            // The calls before the position are those of the clean run, so the position is always reached.
            EXPECT_GT(plan.FailedCount(), 0) << "position never reached";
            ++runs;
        }
    }
    return runs;
}

}  // namespace qmo::testing
