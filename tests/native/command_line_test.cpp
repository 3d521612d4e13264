#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/command_line.h"

namespace qmo {
namespace {

enum class Instance { None, Accepts, Unreachable };

// Records what the start did; the statuses of its own are made up so that
// passing them on can be told from inventing one.
class RecordingActions : public CommandLineActions {
public:
    explicit RecordingActions(Instance instance) : m_instance(instance) {}
    std::vector<std::string> done;

    void ShowUsage() override { done.push_back("usage"); }
    int RemoveLogonTask() override {
        done.push_back("remove task");
        return 41;
    }
    int RemoveAllLogonTasks() override {
        done.push_back("remove every task");
        return 42;
    }
    bool ProgramRuns() override { return m_instance != Instance::None; }
    bool AskRunningProgramToOptimize() override {
        done.push_back("ask to optimize");
        return m_instance == Instance::Accepts;
    }
    void OptimizeWithoutWindow() override { done.push_back("trim"); }
    int RunProgram(bool quietSecondStart) override {
        done.push_back(quietSecondStart ? "run quietly" : "run");
        return 40;
    }

private:
    Instance m_instance;
};

struct CommandCase {
    const char* arguments;
    Instance instance;
    std::vector<std::string> done;
    int status;
};

class CommandLineTest : public ::testing::TestWithParam<CommandCase> {};

TEST_P(CommandLineTest, DoesWhatTheSwitchSaysAndNothingElse) {
    const CommandCase& c = GetParam();
    RecordingActions actions(c.instance);
    EXPECT_EQ(RunCommandLine(c.arguments, actions), c.status);
    EXPECT_EQ(actions.done, c.done);
}

const std::vector<std::string> kUsage{"usage"};

INSTANTIATE_TEST_SUITE_P(
    Switches, CommandLineTest,
    ::testing::Values(
        CommandCase{"", Instance::Accepts, {"run"}, 40},
        CommandCase{" \t\r\n", Instance::None, {"run"}, 40},
        CommandCase{"/Logon", Instance::Accepts, {"run quietly"}, 40},
        CommandCase{" /LOGON", Instance::None, {"run quietly"}, 40},
        CommandCase{"-logon", Instance::None, {"run quietly"}, 40},
        CommandCase{"/RemoveLogonTask", Instance::Accepts, {"remove task"}, 41},
        CommandCase{"  /removelogontask \r\n", Instance::None, {"remove task"}, 41},
        CommandCase{"-REMOVELOGONTASK", Instance::None, {"remove task"}, 41},
        CommandCase{"/RemoveAllLogonTasks", Instance::Accepts, {"remove every task"}, 42},
        CommandCase{"-removealllogontasks", Instance::None, {"remove every task"}, 42},
        CommandCase{"/Optimize", Instance::Accepts, {"ask to optimize"}, 0},
        CommandCase{"\t-OPTIMIZE ", Instance::Accepts, {"ask to optimize"}, 0},
        CommandCase{"/optimize", Instance::Unreachable, {"ask to optimize"}, 1},
        CommandCase{"/Optimize", Instance::None, {"trim"}, 0},
        CommandCase{"-optimize", Instance::None, {"trim"}, 0},
        CommandCase{"/?", Instance::Accepts, kUsage, 0},
        CommandCase{"-?", Instance::None, kUsage, 0},
        // Unknown: the list of switches, and no hand-over, task change or trim.
        CommandCase{"/Bogus", Instance::Accepts, kUsage, 2},
        CommandCase{"/RemoveLogonTaskX", Instance::None, kUsage, 2},
        CommandCase{"/RemoveLogon", Instance::None, kUsage, 2},
        CommandCase{"/RemoveLogonTask /S", Instance::Accepts, kUsage, 2},
        CommandCase{"/RemoveAllLogonTask", Instance::None, kUsage, 2},
        CommandCase{"/Optimize now", Instance::Accepts, kUsage, 2},
        CommandCase{"/? /Optimize", Instance::None, kUsage, 2},
        CommandCase{"Optimize", Instance::Accepts, kUsage, 2},
        CommandCase{"//Optimize", Instance::None, kUsage, 2},
        CommandCase{"/Optimize?", Instance::None, kUsage, 2},
        CommandCase{"\"/Optimize\"", Instance::None, kUsage, 2},
        CommandCase{"/", Instance::None, kUsage, 2},
        CommandCase{"-", Instance::None, kUsage, 2},
        CommandCase{"?", Instance::None, kUsage, 2}));

TEST(CommandLineUsage, ListsEverySwitchTheParserTakes) {
    const std::string usage = CommandLineUsage();
    for (const std::string_view name : {kOptimizeSwitch, kRemoveLogonTaskSwitch, kRemoveAllLogonTasksSwitch,
                                      kLogonStartSwitch, kHelpSwitch}) {
        EXPECT_NE(ParseCommandLine(name), CommandSwitch::Unknown) << name;
        EXPECT_NE(usage.find(std::string(name) + "\t"), std::string::npos) << name;
    }
}

}  // namespace
}  // namespace qmo
