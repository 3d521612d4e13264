#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <map>
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

// Two administrators of one computer; the scheduler is the computer's.
const TaskUser kAnn{"QUENVALE-PC\\ann", "S-1-5-21-1004336348-1177238915-682003330-1001"};
const TaskUser kBob{"QUENVALE-PC\\bob", "S-1-5-21-1004336348-1177238915-682003330-1002"};
// The single task that earlier releases kept for whoever saved last.
const std::string kFormer(kLogonTaskBaseName);

std::string Register(const TaskUser& user) {
    return "register " + LogonTaskName(user.sid);
}
std::string Delete(const TaskUser& user) {
    return "delete " + LogonTaskName(user.sid);
}

// How a scheduler hands a registered definition back: never quite as given.
// Windows adds a declaration, the task's path and line ends of its own and
// names the principal by its SID; wine keeps neither triggers nor actions,
// nor the principal's user.
enum class Keeping { Verbatim, LikeWindows, LikeWine };

std::string Kept(const std::string& name, const std::string& xml, Keeping keeping) {
    switch (keeping) {
    case Keeping::Verbatim:
        return xml;
    case Keeping::LikeWindows: {
        std::string kept =
            std::regex_replace(xml, std::regex("</RegistrationInfo>"), "  <URI>\\" + name + "</URI>\n  </RegistrationInfo>");
        const auto principal = kept.find("<Principal");
        for (const TaskUser& user : {kAnn, kBob}) {
            const std::string named = "<UserId>" + user.id + "</UserId>";
            const auto at = kept.find(named, principal);
            if (principal != std::string::npos && at != std::string::npos)
                kept.replace(at, named.size(), "<UserId>" + user.sid + "</UserId>");
        }
        return "<?xml version=\"1.0\" encoding=\"UTF-16\"?>\r\n" + std::regex_replace(kept, std::regex("\n"), "\r\n");
    }
    case Keeping::LikeWine:
        return std::regex_replace(xml, std::regex("<(Triggers|Actions)[\\s\\S]*?</(Triggers|Actions)>\n|<UserId>.*</UserId>\n"), "");
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

// As a release whose definition had no version left it: the same task otherwise.
std::string WithoutVersion(const std::string& xml) {
    return std::regex_replace(xml, std::regex("    <Version>.*</Version>\n"), "");
}

class FakeScheduler : public LogonTaskScheduler {
public:
    TaskUser CurrentUser() override { return user; }
    TaskReadBack ReadTaskXml(std::string_view name, std::string& xml) override {
        ++reads;
        if (!readable)
            return TaskReadBack::Unreadable;
        const auto task = tasks.find(std::string(name));
        if (task == tasks.end() || task->second.empty())
            return TaskReadBack::Missing;
        xml = Kept(task->first, task->second, keeping);
        return TaskReadBack::Read;
    }
    bool RegisterTask(std::string_view name, const std::string& xml) override {
        calls.push_back("register " + std::string(name));
        if (!accepts)
            return false;
        tasks[std::string(name)] = xml;
        return true;
    }
    bool DeleteTask(std::string_view name) override {
        calls.push_back("delete " + std::string(name));
        if (!accepts)
            return false;
        tasks.erase(std::string(name));
        return true;
    }
    bool ListTaskNames(std::vector<std::string>& names) override {
        if (!readable)
            return false;
        for (const auto& [name, xml] : tasks)
            if (!xml.empty())
                names.push_back(name);
        return true;
    }

    // The definition the current user's task was handed; empty when there is none.
    std::string& UsersTask() { return tasks[LogonTaskName(user.sid)]; }
    bool Has(const std::string& name) const { return tasks.contains(name) && !tasks.at(name).empty(); }

    TaskUser user = kAnn;
    bool accepts = true;
    bool readable = true;
    Keeping keeping = Keeping::Verbatim;
    std::map<std::string, std::string> tasks;  // by name, as handed over
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
    EXPECT_EQ(scheduler.calls, std::vector<std::string>{Register(kAnn)});
    EXPECT_EQ(Element(scheduler.UsersTask(), "Command"), "D:\\Apps\\Quenvale\\QuenvaleMemoryOptimizer.exe");
    EXPECT_EQ(Element(scheduler.UsersTask(), "WorkingDirectory"), "D:\\Apps\\Quenvale");

    ASSERT_TRUE(UpdateLogonTask(scheduler, "E:\\qmo.exe", true));
    EXPECT_EQ(Element(scheduler.UsersTask(), "WorkingDirectory"), "E:\\");
}

TEST(UpdateLogonTask, OffRemovesTheTaskAndRefusalsAreReported) {
    FakeScheduler scheduler;
    ASSERT_TRUE(UpdateLogonTask(scheduler, "C:\\q\\qmo.exe", true));
    EXPECT_TRUE(UpdateLogonTask(scheduler, "", false));
    EXPECT_EQ(scheduler.calls.back(), Delete(kAnn));
    EXPECT_TRUE(scheduler.UsersTask().empty());

    ASSERT_TRUE(UpdateLogonTask(scheduler, "C:\\q\\qmo.exe", true));
    scheduler.accepts = false;
    EXPECT_FALSE(UpdateLogonTask(scheduler, "D:\\q\\qmo.exe", true));
    EXPECT_FALSE(UpdateLogonTask(scheduler, "", false));
}

TEST(UpdateLogonTask, UnknownPathOrUserRegistersNothing) {
    FakeScheduler scheduler;
    EXPECT_FALSE(UpdateLogonTask(scheduler, "", true));
    EXPECT_FALSE(UpdateLogonTask(scheduler, "qmo.exe", true));
    scheduler.user.id.clear();
    EXPECT_FALSE(UpdateLogonTask(scheduler, "C:\\q\\qmo.exe", true));
    // Without a SID the user's task has no name: neither kept nor removed.
    scheduler.user = {kAnn.id, "S-1-5-21-"};
    EXPECT_FALSE(UpdateLogonTask(scheduler, "C:\\q\\qmo.exe", true));
    EXPECT_FALSE(UpdateLogonTask(scheduler, "C:\\q\\qmo.exe", false));
    EXPECT_TRUE(scheduler.calls.empty());
}

TEST(UpdateLogonTask, ATaskOfAnEarlierDefinitionOrOneThatCannotBeReadIsWritten) {
    FakeScheduler scheduler;
    const std::string exe = "C:\\q\\qmo.exe";
    scheduler.UsersTask() = WithoutVersion(LogonTaskXml({kAnn.id, exe, "C:\\q"}));
    ASSERT_TRUE(UpdateLogonTask(scheduler, exe, true));
    EXPECT_EQ(scheduler.calls.size(), 1u);

    scheduler.readable = false;
    EXPECT_TRUE(UpdateLogonTask(scheduler, exe, true));
    EXPECT_TRUE(UpdateLogonTask(scheduler, "", false));
    EXPECT_EQ(scheduler.calls, (std::vector<std::string>{Register(kAnn), Register(kAnn), Delete(kAnn)}));
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
    EXPECT_EQ(scheduler.calls.size(), 1u) << Kept(LogonTaskName(kAnn.sid), scheduler.UsersTask(), GetParam());
    EXPECT_EQ(scheduler.reads, 4) << "the user's task and the former one, each time";

    EXPECT_TRUE(UpdateLogonTask(scheduler, "", false));
    EXPECT_TRUE(UpdateLogonTask(scheduler, "", false));
    EXPECT_EQ(scheduler.calls, (std::vector<std::string>{Register(kAnn), Delete(kAnn)}));
}

TEST_P(LogonTaskReadBack, AMovedProgramAnotherUserOrATaskTurnedOffIsRegisteredOnceMore) {
    ASSERT_TRUE(UpdateLogonTask(scheduler, exe, true));
    EXPECT_TRUE(UpdateLogonTask(scheduler, moved, true));
    EXPECT_EQ(scheduler.calls.size(), 2u);
    EXPECT_EQ(Element(scheduler.UsersTask(), "Command"), moved);

    scheduler.user = kBob;
    EXPECT_TRUE(UpdateLogonTask(scheduler, moved, true));
    EXPECT_EQ(scheduler.calls.size(), 3u);
    EXPECT_EQ(Element(Element(scheduler.UsersTask(), "LogonTrigger"), "UserId"), kBob.id);

    scheduler.UsersTask() = TurnedOff(scheduler.UsersTask());
    EXPECT_TRUE(UpdateLogonTask(scheduler, moved, true));
    EXPECT_EQ(scheduler.calls.size(), 4u);
    EXPECT_EQ(Element(Element(scheduler.UsersTask(), "Settings"), "Enabled"), "true");
}

// Each user's start keeps that user's task; another's is neither replaced nor removed.
TEST_P(LogonTaskReadBack, TwoUsersKeepATaskEachAndTurningItOffRemovesOnlyOnesOwn) {
    ASSERT_TRUE(UpdateLogonTask(scheduler, exe, true));
    scheduler.user = kBob;
    ASSERT_TRUE(UpdateLogonTask(scheduler, exe, true));
    EXPECT_EQ(Element(Element(scheduler.tasks[LogonTaskName(kAnn.sid)], "LogonTrigger"), "UserId"), kAnn.id);
    EXPECT_EQ(Element(Element(scheduler.tasks[LogonTaskName(kBob.sid)], "LogonTrigger"), "UserId"), kBob.id);

    EXPECT_TRUE(UpdateLogonTask(scheduler, exe, false));
    EXPECT_FALSE(scheduler.Has(LogonTaskName(kBob.sid)));
    scheduler.user = kAnn;
    EXPECT_TRUE(UpdateLogonTask(scheduler, exe, true));
    EXPECT_EQ(scheduler.calls, (std::vector<std::string>{Register(kAnn), Register(kBob), Delete(kBob)}));
}

// The single task of earlier releases, left by this user's start of this program.
TEST_P(LogonTaskReadBack, TheFormerTaskGoesWhenItIsThisUsersForThisProgram) {
    const std::string former = LogonTaskXml({kAnn.id, exe, "C:\\Program Files\\Quenvale"});
    for (const bool enabled : {true, false}) {
        scheduler.tasks[kFormer] = former;
        EXPECT_TRUE(UpdateLogonTask(scheduler, exe, enabled));
        EXPECT_EQ(scheduler.calls.back(), "delete " + kFormer);
        EXPECT_FALSE(scheduler.Has(kFormer));
        EXPECT_EQ(scheduler.Has(LogonTaskName(kAnn.sid)), enabled);
    }
    // A definition of before the version is told by its command and users,
    // which wine does not keep: there nothing tells it is ours, and it stays.
    scheduler.tasks[kFormer] = WithoutVersion(former);
    EXPECT_TRUE(UpdateLogonTask(scheduler, exe, true));
    EXPECT_EQ(scheduler.Has(kFormer), GetParam() == Keeping::LikeWine);

    // Until the user's own task is registered, the former one still starts the program.
    scheduler.tasks = {{kFormer, former}};
    scheduler.accepts = false;
    EXPECT_FALSE(UpdateLogonTask(scheduler, exe, true));
    EXPECT_TRUE(scheduler.Has(kFormer));
}

TEST_P(LogonTaskReadBack, AFormerTaskOfAnotherUserOrProgramStaysUntilItsUserStarts) {
    const std::string bobs = LogonTaskXml({kBob.id, exe, "C:\\Program Files\\Quenvale"});
    const std::vector<std::string> others{
        bobs,
        LogonTaskXml({kAnn.id, moved, "D:\\Tools"}),
        // One made by hand under that name, to start something else.
        std::regex_replace(WithoutVersion(LogonTaskXml({kAnn.id, "C:\\Tools\\trim.cmd", "C:\\Tools"})),
                           std::regex("/Logon"), ""),
    };
    for (const std::string& other : others) {
        for (const bool enabled : {true, false}) {
            scheduler.tasks[kFormer] = other;
            EXPECT_TRUE(UpdateLogonTask(scheduler, exe, enabled));
            EXPECT_EQ(scheduler.tasks[kFormer], other) << Element(other, "Command") << (enabled ? " on" : " off");
        }
    }
    EXPECT_EQ(std::count(scheduler.calls.begin(), scheduler.calls.end(), "delete " + kFormer), 0);

    scheduler.tasks[kFormer] = bobs;
    scheduler.user = kBob;
    EXPECT_TRUE(UpdateLogonTask(scheduler, exe, true));
    EXPECT_FALSE(scheduler.Has(kFormer));
}

INSTANTIATE_TEST_SUITE_P(AsSchedulersKeepIt, LogonTaskReadBack,
                         ::testing::Values(Keeping::Verbatim, Keeping::LikeWindows, Keeping::LikeWine),
                         [](const ::testing::TestParamInfo<Keeping>& keeping) { return Name(keeping.param); });

// What the uninstaller runs: every user's task and the former one go, and
// nothing else, however like ours its name looks.
TEST(RemoveEveryLogonTask, RemovesEveryUsersTaskAndTheFormerOneOnly) {
    FakeScheduler scheduler;
    const std::string exe = "C:\\q\\qmo.exe";
    ASSERT_TRUE(UpdateLogonTask(scheduler, exe, true));
    scheduler.user = kBob;
    ASSERT_TRUE(UpdateLogonTask(scheduler, exe, true));
    const std::string someTask = LogonTaskXml({kBob.id, exe, "C:\\q"});
    scheduler.tasks[kFormer] = someTask;
    const std::vector<std::string> lookAlikes{kFormer + " (hourly)", kFormer + " (S-1-5-21-)",
                                              LogonTaskName(kAnn.sid) + " copy", kFormer + "2", "Optimize memory"};
    for (const std::string& name : lookAlikes)
        scheduler.tasks[name] = someTask;

    EXPECT_TRUE(RemoveEveryLogonTask(scheduler));
    std::vector<std::string> left;
    ASSERT_TRUE(scheduler.ListTaskNames(left));
    std::vector<std::string> wanted = lookAlikes;
    std::sort(wanted.begin(), wanted.end());
    std::sort(left.begin(), left.end());
    EXPECT_EQ(left, wanted);

    // A scheduler that cannot list its tasks, or will not delete one, is reported.
    scheduler.tasks[LogonTaskName(kAnn.sid)] = someTask;
    scheduler.accepts = false;
    EXPECT_FALSE(RemoveEveryLogonTask(scheduler));
    scheduler.accepts = true;
    scheduler.readable = false;
    EXPECT_FALSE(RemoveEveryLogonTask(scheduler));
    EXPECT_TRUE(scheduler.Has(LogonTaskName(kAnn.sid)));
}

TEST(UpdateRunEntryWithTask, OneSaveKeepsRunValueAndTaskInStep) {
    RunEntryWithTask store;
    UpdateRunEntry(store, false);
    EXPECT_EQ(store.value, "\"" + store.executablePath + "\"");
    EXPECT_EQ(Element(store.Scheduler().UsersTask(), "Command"), store.executablePath);

    UpdateRunEntry(store, true);
    EXPECT_EQ(store.value, "");
    EXPECT_EQ(store.Scheduler().calls.back(), Delete(kAnn));
    EXPECT_TRUE(store.Scheduler().UsersTask().empty());
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
    EXPECT_EQ(Element(store.Scheduler().UsersTask(), "Command"), store.executablePath);
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
    // Two requests carried out, each reading the user's task and the former one.
    ASSERT_EQ(scheduler.threads.size(), 4u);
    for (const std::thread::id worker : scheduler.threads)
        EXPECT_NE(worker, std::this_thread::get_id());
    EXPECT_EQ(scheduler.calls.size(), 2u);
    EXPECT_EQ(Element(scheduler.UsersTask(), "Command"), "C:\\c\\qmo.exe");

    // A request after the worker has gone starts the next one.
    keeper.Request("", false);
    keeper.WaitUntilIdle();
    EXPECT_EQ(scheduler.calls.back(), Delete(kAnn));
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

    EXPECT_EQ(scheduler.calls, (std::vector<std::string>{Register(kAnn), Delete(kAnn)}));
    EXPECT_TRUE(scheduler.UsersTask().empty());
}

}  // namespace
}  // namespace qmo
