#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "config/logon_task.h"
#include "config/logon_task_keeper.h"
#include "fake_settings_stores.h"

namespace qmo {
namespace {

// How a scheduler hands a registered definition back: never quite as given.
// Windows adds a declaration, the task's path and line ends of its own and
// names the principal by its SID; wine keeps neither triggers nor actions.
enum class Keeping { Verbatim, LikeWindows, LikeWine };

std::string Kept(const std::string& xml, Keeping keeping) {
    switch (keeping) {
    case Keeping::Verbatim:
        return xml;
    case Keeping::LikeWindows: {
        std::string kept = std::regex_replace(xml, std::regex("</RegistrationInfo>"),
                                              "  <URI>\\Quenvale Memory Optimizer</URI>\n  </RegistrationInfo>");
        kept = std::regex_replace(kept, std::regex("(<Principal[^>]*>\\s*<UserId>)[^<]*"),
                                  "$1S-1-5-21-1004336348-1177238915-682003330-1001");
        return "<?xml version=\"1.0\" encoding=\"UTF-16\"?>\r\n" + std::regex_replace(kept, std::regex("\n"), "\r\n");
    }
    case Keeping::LikeWine:
        return std::regex_replace(xml, std::regex("<(Triggers|Actions)[\\s\\S]*?</(Triggers|Actions)>\n"), "");
    }
    return xml;
}

std::string Name(Keeping keeping) {
    switch (keeping) {
    case Keeping::Verbatim: return "Verbatim";
    case Keeping::LikeWindows: return "LikeWindows";
    case Keeping::LikeWine: return "LikeWine";
    }
    return "?";
}

// A task someone turned off in the scheduler's own window.
std::string TurnedOff(std::string xml) {
    const auto settings = xml.find("<Settings>");
    const auto enabled = xml.find("<Enabled>true</Enabled>", settings);
    EXPECT_NE(enabled, std::string::npos) << xml;
    return enabled == std::string::npos ? xml : xml.replace(enabled, 23, "<Enabled>false</Enabled>");
}

class FakeScheduler : public LogonTaskScheduler {
public:
    std::string CurrentUserId() override { return userId; }
    TaskReadBack ReadTaskXml(std::string_view name, std::string& xml) override {
        ++reads;
        if (!readable)
            return TaskReadBack::Unreadable;
        if (registeredXml.empty())
            return TaskReadBack::Missing;
        xml = Kept(registeredXml, keeping);
        return TaskReadBack::Read;
    }
    bool RegisterTask(std::string_view name, const std::string& xml) override {
        calls.push_back("register " + std::string(name));
        if (!accepts)
            return false;
        registeredXml = xml;
        return true;
    }
    bool DeleteTask(std::string_view name) override {
        calls.push_back("delete " + std::string(name));
        if (!accepts)
            return false;
        registeredXml.clear();
        return true;
    }

    std::string userId = "QUENVALE-PC\\ann";
    bool accepts = true;
    bool readable = true;
    Keeping keeping = Keeping::Verbatim;
    std::string registeredXml;  // as handed over; empty when there is no task
    std::vector<std::string> calls;  // the calls that change the scheduler
    int reads = 0;
};

// The store as the program's is: the task kept in step by a worker.
class RunEntryWithTask : public testing::FakeRunEntry {
public:
    void KeepLogonTaskInStep(const std::string& path, bool enabled) override {
        FakeRunEntry::KeepLogonTaskInStep(path, enabled);
        keeper.Request(path, enabled);
    }
    // What the scheduler holds once the worker is done.
    FakeScheduler& Scheduler() {
        keeper.WaitUntilIdle();
        return scheduler;
    }

    FakeScheduler scheduler;
    LogonTaskKeeper keeper{scheduler};
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
    ASSERT_TRUE(UpdateLogonTask(scheduler, "C:\\q\\qmo.exe", true));
    EXPECT_TRUE(UpdateLogonTask(scheduler, "", false));
    EXPECT_EQ(scheduler.calls.back(), "delete Quenvale Memory Optimizer");
    EXPECT_TRUE(scheduler.registeredXml.empty());

    ASSERT_TRUE(UpdateLogonTask(scheduler, "C:\\q\\qmo.exe", true));
    scheduler.accepts = false;
    EXPECT_FALSE(UpdateLogonTask(scheduler, "D:\\q\\qmo.exe", true));
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

TEST(UpdateLogonTask, ATaskOfAnEarlierDefinitionOrOneThatCannotBeReadIsWritten) {
    FakeScheduler scheduler;
    const std::string exe = "C:\\q\\qmo.exe";
    // As a release without the version left it: the same task otherwise.
    scheduler.registeredXml = std::regex_replace(LogonTaskXml({scheduler.userId, exe, "C:\\q"}),
                                                 std::regex("    <Version>.*</Version>\n"), "");
    ASSERT_TRUE(UpdateLogonTask(scheduler, exe, true));
    EXPECT_EQ(scheduler.calls.size(), 1u);

    scheduler.readable = false;
    EXPECT_TRUE(UpdateLogonTask(scheduler, exe, true));
    EXPECT_TRUE(UpdateLogonTask(scheduler, "", false));
    EXPECT_EQ(scheduler.calls, (std::vector<std::string>{"register Quenvale Memory Optimizer",
                                                         "register Quenvale Memory Optimizer",
                                                         "delete Quenvale Memory Optimizer"}));
}

// The scheduler is read first and changed only where it differs from the
// setting, whatever it made of the definition it was handed.
class LogonTaskReadBack : public ::testing::TestWithParam<Keeping> {
protected:
    LogonTaskReadBack() { scheduler.keeping = GetParam(); }

    FakeScheduler scheduler;
    const std::string exe = "C:\\Program Files\\Quenvale\\QuenvaleMemoryOptimizer.exe";
    const std::string moved = "D:\\Tools\\QuenvaleMemoryOptimizer.exe";
};

TEST_P(LogonTaskReadBack, TheTaskAsWantedIsNeitherRegisteredNorDeletedAgain) {
    ASSERT_TRUE(UpdateLogonTask(scheduler, exe, true));
    ASSERT_EQ(scheduler.calls.size(), 1u);
    EXPECT_TRUE(UpdateLogonTask(scheduler, exe, true));
    EXPECT_EQ(scheduler.calls.size(), 1u) << Kept(scheduler.registeredXml, GetParam());
    EXPECT_EQ(scheduler.reads, 2);

    EXPECT_TRUE(UpdateLogonTask(scheduler, "", false));
    EXPECT_TRUE(UpdateLogonTask(scheduler, "", false));
    EXPECT_EQ(scheduler.calls, (std::vector<std::string>{"register Quenvale Memory Optimizer",
                                                         "delete Quenvale Memory Optimizer"}));
}

TEST_P(LogonTaskReadBack, AMovedProgramAnotherUserOrATaskTurnedOffIsRegisteredOnceMore) {
    ASSERT_TRUE(UpdateLogonTask(scheduler, exe, true));
    EXPECT_TRUE(UpdateLogonTask(scheduler, moved, true));
    EXPECT_EQ(scheduler.calls.size(), 2u);
    EXPECT_EQ(Element(scheduler.registeredXml, "Command"), moved);

    scheduler.userId = "QUENVALE-PC\\bob";
    EXPECT_TRUE(UpdateLogonTask(scheduler, moved, true));
    EXPECT_EQ(scheduler.calls.size(), 3u);
    EXPECT_EQ(Element(Element(scheduler.registeredXml, "LogonTrigger"), "UserId"), "QUENVALE-PC\\bob");

    scheduler.registeredXml = TurnedOff(scheduler.registeredXml);
    EXPECT_TRUE(UpdateLogonTask(scheduler, moved, true));
    EXPECT_EQ(scheduler.calls.size(), 4u);
    EXPECT_EQ(Element(Element(scheduler.registeredXml, "Settings"), "Enabled"), "true");
}

INSTANTIATE_TEST_SUITE_P(AsSchedulersKeepIt, LogonTaskReadBack,
                         ::testing::Values(Keeping::Verbatim, Keeping::LikeWindows, Keeping::LikeWine),
                         [](const ::testing::TestParamInfo<Keeping>& keeping) { return Name(keeping.param); });

TEST(UpdateRunEntryWithTask, OneSaveKeepsRunValueAndTaskInStep) {
    RunEntryWithTask store;
    UpdateRunEntry(store, false);
    EXPECT_EQ(store.value, "\"" + store.executablePath + "\"");
    EXPECT_EQ(Element(store.Scheduler().registeredXml, "Command"), store.executablePath);

    UpdateRunEntry(store, true);
    EXPECT_EQ(store.value, "");
    EXPECT_EQ(store.Scheduler().calls.back(), "delete Quenvale Memory Optimizer");
    EXPECT_TRUE(store.Scheduler().registeredXml.empty());
}

TEST(UpdateRunEntryWithTask, RefusedTaskStillWritesRunValueAndLockedRunKeyStillKeepsTask) {
    RunEntryWithTask store;
    store.scheduler.accepts = false;
    UpdateRunEntry(store, false);
    EXPECT_EQ(store.value, "\"" + store.executablePath + "\"");

    store.Scheduler().accepts = true;
    store.writable = false;
    UpdateRunEntry(store, false);
    EXPECT_EQ(store.writeAttempts, 2);
    EXPECT_EQ(Element(store.Scheduler().registeredXml, "Command"), store.executablePath);
}

TEST(UpdateRunEntryWithTask, UnknownExecutablePathTouchesNeither) {
    RunEntryWithTask store;
    store.executablePath.clear();
    UpdateRunEntry(store, false);
    EXPECT_EQ(store.writeAttempts, 0);
    EXPECT_TRUE(store.Scheduler().calls.empty());
}

// Holds every read at a gate until the test opens it, and notes who came.
class GatedScheduler : public FakeScheduler {
public:
    TaskReadBack ReadTaskXml(std::string_view name, std::string& xml) override {
        {
            std::unique_lock lock(m_mutex);
            threads.push_back(std::this_thread::get_id());
            mostAtOnce = std::max(mostAtOnce, ++m_held);
            m_changed.notify_all();
            // A caller that waited for its own request would wait here in vain.
            if (!m_changed.wait_for(lock, kPatience, [this] { return m_open; }))
                timedOut = true;
            --m_held;
        }
        return FakeScheduler::ReadTaskXml(name, xml);
    }

    bool WaitUntilOneIsHeld() {
        std::unique_lock lock(m_mutex);
        return m_changed.wait_for(lock, kPatience, [this] { return m_held > 0; });
    }
    void Open() {
        std::lock_guard lock(m_mutex);
        m_open = true;
        m_changed.notify_all();
    }

    std::vector<std::thread::id> threads;
    int mostAtOnce = 0;
    bool timedOut = false;

private:
    static constexpr std::chrono::seconds kPatience{10};
    std::mutex m_mutex;
    std::condition_variable m_changed;
    int m_held = 0;
    bool m_open = false;
};

TEST(LogonTaskKeeper, OneWorkerAtATimeTakesTheLatestRequestAndNoCallerWaits) {
    GatedScheduler scheduler;
    LogonTaskKeeper keeper(scheduler);
    keeper.Request("C:\\a\\qmo.exe", true);
    ASSERT_TRUE(scheduler.WaitUntilOneIsHeld());
    keeper.Request("C:\\b\\qmo.exe", true);  // superseded before it starts
    keeper.Request("C:\\c\\qmo.exe", true);
    scheduler.Open();
    keeper.WaitUntilIdle();

    EXPECT_FALSE(scheduler.timedOut);
    EXPECT_EQ(scheduler.mostAtOnce, 1);
    ASSERT_EQ(scheduler.threads.size(), 2u);
    for (const std::thread::id worker : scheduler.threads)
        EXPECT_NE(worker, std::this_thread::get_id());
    EXPECT_EQ(scheduler.calls.size(), 2u);
    EXPECT_EQ(Element(scheduler.registeredXml, "Command"), "C:\\c\\qmo.exe");

    // A request after the worker has gone starts the next one.
    keeper.Request("", false);
    keeper.WaitUntilIdle();
    EXPECT_EQ(scheduler.calls.back(), "delete Quenvale Memory Optimizer");
}

TEST(LogonTaskKeeper, GoingAwayFinishesTheLatestRequestFirst) {
    GatedScheduler scheduler;
    auto keeper = std::make_unique<LogonTaskKeeper>(scheduler);
    keeper->Request("C:\\a\\qmo.exe", true);
    ASSERT_TRUE(scheduler.WaitUntilOneIsHeld());
    keeper->Request("", false);
    std::thread opener([&scheduler] { scheduler.Open(); });
    keeper.reset();
    opener.join();

    EXPECT_EQ(scheduler.calls, (std::vector<std::string>{"register Quenvale Memory Optimizer",
                                                         "delete Quenvale Memory Optimizer"}));
    EXPECT_TRUE(scheduler.registeredXml.empty());
}

}  // namespace
}  // namespace qmo
