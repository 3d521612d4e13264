#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "config/logon_task.h"
#include "fake_settings_stores.h"

namespace qmo {
namespace {

class FakeScheduler : public LogonTaskScheduler {
public:
    std::string CurrentUserId() override { return userId; }
    bool RegisterTask(std::string_view name, const std::string& xml) override {
        calls.push_back("register " + std::string(name));
        if (!accepts)
            return false;
        registeredXml = xml;
        return true;
    }
    bool DeleteTask(std::string_view name) override {
        calls.push_back("delete " + std::string(name));
        registeredXml.clear();
        return accepts;
    }

    std::string userId = "QUENVALE-PC\\ann";
    bool accepts = true;
    std::string registeredXml;
    std::vector<std::string> calls;
};

class RunEntryWithTask : public testing::FakeRunEntry {
public:
    LogonTaskScheduler* LogonTasks() override { return &scheduler; }
    FakeScheduler scheduler;
};

// Text of the first <tag>...</tag>, or "<missing>".
std::string Element(const std::string& xml, const std::string& tag) {
    const std::string open = "<" + tag + ">";
    const auto start = xml.find(open);
    const auto end = xml.find("</" + tag + ">");
    if (start == std::string::npos || end == std::string::npos || end < start)
        return "<missing>";
    return xml.substr(start + open.size(), end - start - open.size());
}

// Every tag closes in order, and no text holds a bare '<' or '&' that is not an entity.
bool WellFormed(const std::string& xml) {
    std::vector<std::string> open;
    for (std::size_t i = 0; i < xml.size(); ++i) {
        if (xml[i] == '&') {
            const auto semicolon = xml.find(';', i);
            const std::string entity = xml.substr(i, semicolon == std::string::npos ? 0 : semicolon - i + 1);
            if (entity != "&amp;" && entity != "&lt;" && entity != "&gt;" && entity != "&quot;" && entity != "&apos;")
                return false;
        }
        if (xml[i] != '<')
            continue;
        const auto close = xml.find('>', i);
        if (close == std::string::npos)
            return false;
        std::string tag = xml.substr(i + 1, close - i - 1);
        if (tag.find('<') != std::string::npos)
            return false;
        if (tag.front() == '/') {
            if (open.empty() || open.back() != tag.substr(1))
                return false;
            open.pop_back();
        } else if (tag.back() != '/') {
            open.push_back(tag.substr(0, tag.find(' ')));
        }
        i = close;
    }
    return open.empty();
}

TEST(LogonTaskXml, LogonTriggerForTheUserRunsElevatedWithoutTimeLimit) {
    const std::string xml = LogonTaskXml({"QUENVALE-PC\\ann", "C:\\Program Files\\Quenvale\\qmo.exe",
                                          "C:\\Program Files\\Quenvale"});
    ASSERT_TRUE(WellFormed(xml)) << xml;
    const std::string trigger = Element(xml, "LogonTrigger");
    EXPECT_EQ(Element(trigger, "UserId"), "QUENVALE-PC\\ann");
    EXPECT_EQ(Element(trigger, "Enabled"), "true");
    // After a start from the Run key, where that works, the task's start ends quietly.
    EXPECT_EQ(Element(trigger, "Delay"), "PT30S");
    EXPECT_EQ(Element(xml, "Arguments"), "/Logon");
    EXPECT_EQ(Element(xml, "RunLevel"), "HighestAvailable");
    EXPECT_EQ(Element(xml, "LogonType"), "InteractiveToken");
    EXPECT_EQ(Element(Element(xml, "Principals"), "UserId"), "QUENVALE-PC\\ann");
    EXPECT_EQ(Element(xml, "ExecutionTimeLimit"), "PT0S");
    EXPECT_EQ(Element(xml, "DisallowStartIfOnBatteries"), "false");
    EXPECT_EQ(Element(xml, "MultipleInstancesPolicy"), "IgnoreNew");
    EXPECT_EQ(Element(xml, "Command"), "C:\\Program Files\\Quenvale\\qmo.exe");
    EXPECT_EQ(Element(xml, "WorkingDirectory"), "C:\\Program Files\\Quenvale");
}

TEST(LogonTaskXml, MarkupInPathsAndNamesIsEscaped) {
    const std::string xml = LogonTaskXml({"R&D\\o'<b>", "C:\\R&D <tools>\\q\"m.exe", "C:\\R&D <tools>"});
    ASSERT_TRUE(WellFormed(xml)) << xml;
    EXPECT_EQ(Element(xml, "Command"), "C:\\R&amp;D &lt;tools&gt;\\q&quot;m.exe");
    EXPECT_EQ(Element(Element(xml, "LogonTrigger"), "UserId"), "R&amp;D\\o&apos;&lt;b&gt;");
}

TEST(UpdateLogonTask, RegistersForTheExecutableItsFolderAndTheUser) {
    FakeScheduler scheduler;
    ASSERT_TRUE(UpdateLogonTask(scheduler, "D:\\Apps\\Quenvale\\QuenvaleMemoryOptimizer.exe", true));
    EXPECT_EQ(scheduler.calls, std::vector<std::string>{"register Quenvale Memory Optimizer"});
    EXPECT_EQ(Element(scheduler.registeredXml, "Command"), "D:\\Apps\\Quenvale\\QuenvaleMemoryOptimizer.exe");
    EXPECT_EQ(Element(scheduler.registeredXml, "WorkingDirectory"), "D:\\Apps\\Quenvale");

    ASSERT_TRUE(UpdateLogonTask(scheduler, "E:\\qmo.exe", true));
    EXPECT_EQ(Element(scheduler.registeredXml, "WorkingDirectory"), "E:\\");
}

TEST(UpdateLogonTask, OffRemovesTheTaskAndRefusalsAreReported) {
    FakeScheduler scheduler;
    EXPECT_TRUE(UpdateLogonTask(scheduler, "", false));
    EXPECT_EQ(scheduler.calls, std::vector<std::string>{"delete Quenvale Memory Optimizer"});

    scheduler.accepts = false;
    EXPECT_FALSE(UpdateLogonTask(scheduler, "C:\\q\\qmo.exe", true));
    EXPECT_FALSE(UpdateLogonTask(scheduler, "", false));
}

TEST(UpdateLogonTask, UnknownPathOrUserRegistersNothing) {
    FakeScheduler scheduler;
    EXPECT_FALSE(UpdateLogonTask(scheduler, "", true));
    EXPECT_FALSE(UpdateLogonTask(scheduler, "qmo.exe", true));
    scheduler.userId.clear();
    EXPECT_FALSE(UpdateLogonTask(scheduler, "C:\\q\\qmo.exe", true));
    EXPECT_TRUE(scheduler.calls.empty());
}

TEST(UpdateRunEntryWithTask, OneSaveKeepsRunValueAndTaskInStep) {
    RunEntryWithTask store;
    UpdateRunEntry(store, false);
    EXPECT_EQ(store.value, "\"" + store.executablePath + "\"");
    EXPECT_EQ(Element(store.scheduler.registeredXml, "Command"), store.executablePath);

    UpdateRunEntry(store, true);
    EXPECT_EQ(store.value, "");
    EXPECT_EQ(store.scheduler.calls.back(), "delete Quenvale Memory Optimizer");
    EXPECT_TRUE(store.scheduler.registeredXml.empty());
}

TEST(UpdateRunEntryWithTask, RefusedTaskStillWritesRunValueAndLockedRunKeyStillKeepsTask) {
    RunEntryWithTask store;
    store.scheduler.accepts = false;
    UpdateRunEntry(store, false);
    EXPECT_EQ(store.value, "\"" + store.executablePath + "\"");

    store.scheduler.accepts = true;
    store.writable = false;
    UpdateRunEntry(store, false);
    EXPECT_EQ(store.writeAttempts, 2);
    EXPECT_EQ(Element(store.scheduler.registeredXml, "Command"), store.executablePath);
}

TEST(UpdateRunEntryWithTask, UnknownExecutablePathTouchesNeither) {
    RunEntryWithTask store;
    store.executablePath.clear();
    UpdateRunEntry(store, false);
    EXPECT_EQ(store.writeAttempts, 0);
    EXPECT_TRUE(store.scheduler.registeredXml.empty());
}

TEST(CommandSwitch, OnlyTheSwitchItselfInAnyCase) {
    EXPECT_TRUE(IsCommandSwitch("/RemoveLogonTask", kRemoveLogonTaskSwitch));
    EXPECT_TRUE(IsCommandSwitch("  /removelogontask \r\n", kRemoveLogonTaskSwitch));
    EXPECT_TRUE(IsCommandSwitch(" /LOGON", kLogonStartSwitch));
    EXPECT_FALSE(IsCommandSwitch("", kRemoveLogonTaskSwitch));
    EXPECT_FALSE(IsCommandSwitch("/RemoveLogonTaskX", kRemoveLogonTaskSwitch));
    EXPECT_FALSE(IsCommandSwitch("/RemoveLogon", kRemoveLogonTaskSwitch));
    EXPECT_FALSE(IsCommandSwitch("/RemoveLogonTask /S", kRemoveLogonTaskSwitch));
    EXPECT_FALSE(IsCommandSwitch("/Logon", kRemoveLogonTaskSwitch));
}

}  // namespace
}  // namespace qmo
