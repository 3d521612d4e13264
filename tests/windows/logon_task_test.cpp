#include <gtest/gtest.h>

#include "config/logon_task_win32.h"
#include "config/registry_run_entry.h"
#include "framework/system_function.h"
#include "framework/text.h"
#include "wine_test_support.h"

#include <sddl.h>

#include <algorithm>
#include <vector>

#define SECURITY_WIN32
#include <security.h>

namespace qmo {
namespace {

struct ReadBack {
    bool exists = false;
    // What wine keeps of a definition: registration info and settings.
    std::wstring description;
    std::wstring executionTimeLimit;
    int priority = -1;
    VARIANT_BOOL disallowedOnBatteries = VARIANT_TRUE;
    // What wine drops (its principal and trigger collection are stubs):
    // checked when the scheduler answers, E_NOTIMPL otherwise.
    HRESULT runLevelResult = E_FAIL;
    TASK_RUNLEVEL_TYPE runLevel = TASK_RUNLEVEL_LUA;
    HRESULT triggerCountResult = E_FAIL;
    LONG triggerCount = 0;
};

std::wstring Take(BSTR text) {
    const unique_bstr owned(text);
    return owned ? std::wstring(owned.get(), ::SysStringLen(owned.get())) : std::wstring();
}

// The registered task as the Task Scheduler reports it through its COM interface.
ReadBack ReadRegisteredTask(const std::wstring& name) {
    ReadBack result;
    const com_apartment apartment;
    const com_ptr<ITaskFolder> folder = ConnectRootTaskFolder();
    EXPECT_TRUE(folder) << "Task Scheduler unreachable";
    const unique_bstr taskName = MakeBstr(name);
    com_ptr<IRegisteredTask> task;
    if (!folder || FAILED(folder->GetTask(taskName.get(), task.put())))
        return result;
    result.exists = true;
    com_ptr<ITaskDefinition> definition;
    com_ptr<IRegistrationInfo> info;
    com_ptr<ITaskSettings> settings;
    com_ptr<IPrincipal> principal;
    com_ptr<ITriggerCollection> triggers;
    BSTR text = nullptr;
    EXPECT_HRESULT_SUCCEEDED(task->get_Definition(definition.put()));
    EXPECT_HRESULT_SUCCEEDED(definition->get_RegistrationInfo(info.put()));
    EXPECT_HRESULT_SUCCEEDED(info->get_Description(&text));
    result.description = Take(text);
    EXPECT_HRESULT_SUCCEEDED(definition->get_Settings(settings.put()));
    EXPECT_HRESULT_SUCCEEDED(settings->get_ExecutionTimeLimit(&text));
    result.executionTimeLimit = Take(text);
    EXPECT_HRESULT_SUCCEEDED(settings->get_Priority(&result.priority));
    EXPECT_HRESULT_SUCCEEDED(settings->get_DisallowStartIfOnBatteries(&result.disallowedOnBatteries));
    EXPECT_HRESULT_SUCCEEDED(definition->get_Principal(principal.put()));
    result.runLevelResult = principal->get_RunLevel(&result.runLevel);
    EXPECT_HRESULT_SUCCEEDED(definition->get_Triggers(triggers.put()));
    result.triggerCountResult = triggers->get_Count(&result.triggerCount);
    return result;
}

void ExpectRegisteredLogonTask(const ReadBack& task) {
    ASSERT_TRUE(task.exists);
    EXPECT_NE(task.description.find(L"when you log on"), std::wstring::npos);
    EXPECT_EQ(task.executionTimeLimit, L"PT0S");
    EXPECT_EQ(task.priority, 4);
    EXPECT_EQ(task.disallowedOnBatteries, VARIANT_FALSE);
    if (SUCCEEDED(task.runLevelResult))
        EXPECT_EQ(task.runLevel, TASK_RUNLEVEL_HIGHEST);
    else
        EXPECT_EQ(task.runLevelResult, E_NOTIMPL);
    if (SUCCEEDED(task.triggerCountResult))
        EXPECT_EQ(task.triggerCount, 1);
    else
        EXPECT_EQ(task.triggerCountResult, E_NOTIMPL);
}

// The real scheduler, remembering the definition it was handed, how often,
// and on which thread.
class RecordingTasks : public TaskSchedulerLogonTasks {
public:
    bool RegisterTask(std::string_view name, const std::string& xml) override {
        lastXml = xml;
        ++registrations;
        threadId = ::GetCurrentThreadId();
        return TaskSchedulerLogonTasks::RegisterTask(name, xml);
    }
    std::string lastXml;
    int registrations = 0;
    DWORD threadId = 0;
};

// The parts of the handed-over definition that wine does not keep.
void ExpectElevatedLogonDefinition(const std::string& xml, const std::string& user, const std::string& exe) {
    const auto has = [&xml](const std::string& part) { return xml.find(part) != std::string::npos; };
    EXPECT_TRUE(has("<LogonTrigger>\n      <Enabled>true</Enabled>\n      <UserId>" + user + "</UserId>")) << xml;
    EXPECT_TRUE(has("<RunLevel>HighestAvailable</RunLevel>")) << xml;
    EXPECT_TRUE(has("<LogonType>InteractiveToken</LogonType>")) << xml;
    EXPECT_TRUE(has("<Command>" + exe + "</Command>")) << xml;
}

// The task of the user the tests run as.
std::wstring UsersTaskName() {
    return Widen(LogonTaskName(TaskSchedulerLogonTasks().CurrentUser().sid));
}

std::string FolderOf(const std::string& path) {
    return path.substr(0, path.find_last_of('\\'));
}

// The account as the security packages name it, for the task's principal.
std::string SamCompatibleUserName() {
    using Function = BOOLEAN(SEC_ENTRY*)(EXTENDED_NAME_FORMAT, LPWSTR, PULONG);
    const auto getUserNameEx = SystemFunction<Function>(L"secur32.dll", "GetUserNameExW");
    wchar_t name[512] = {};
    ULONG size = 512;
    return getUserNameEx && getUserNameEx(NameSamCompatible, name, &size) ? Narrow(std::wstring(name, size)) : "";
}

// The SID of an account as the security packages name it, looked up by name.
std::string SidOfAccount(const std::string& account) {
    DWORD sidSize = 0, domainLength = 0;
    SID_NAME_USE use{};
    const std::wstring name = Widen(account);
    ::LookupAccountNameW(nullptr, name.c_str(), nullptr, &sidSize, nullptr, &domainLength, &use);
    std::vector<BYTE> sid(sidSize);
    std::wstring domain(domainLength, L'\0');
    wchar_t* text = nullptr;
    if (sidSize == 0 ||
        !::LookupAccountNameW(nullptr, name.c_str(), sid.data(), &sidSize, domain.data(), &domainLength, &use) ||
        !::ConvertSidToStringSidW(sid.data(), &text))
        return {};
    const std::string result = Narrow(text);
    ::LocalFree(text);
    return result;
}

TEST(LogonTaskTest, RegisteredElevatedForThisUserAndDeletedAgain) {
    TaskSchedulerLogonTasks tasks;
    const std::string user = tasks.CurrentUser().id;
    ASSERT_NE(user.find('\\'), std::string::npos) << user;
    EXPECT_EQ(user, SamCompatibleUserName()) << "a principal named otherwise is registered again at every start";
    // The task's name tells whose it is: the SID must be that same account's.
    EXPECT_EQ(tasks.CurrentUser().sid, SidOfAccount(SamCompatibleUserName()));
    EXPECT_FALSE(LogonTaskName(tasks.CurrentUser().sid).empty()) << tasks.CurrentUser().sid;

    const std::wstring name = L"QuenvaleTests task " + std::to_wstring(::GetCurrentProcessId());
    const std::string exe = Narrow(ModuleFilePath());
    ASSERT_TRUE(tasks.RegisterTask(Narrow(name), LogonTaskXml({user, exe, "C:\\"})));
    ExpectRegisteredLogonTask(ReadRegisteredTask(name));

    EXPECT_TRUE(tasks.DeleteTask(Narrow(name)));
    EXPECT_FALSE(ReadRegisteredTask(name).exists);
    EXPECT_TRUE(tasks.DeleteTask(Narrow(name))) << "a task already gone counts as removed";
}

TEST(LogonTaskTest, MalformedDefinitionIsRefusedAndLeavesNoTask) {
    TaskSchedulerLogonTasks tasks;
    const std::wstring name = L"QuenvaleTests broken " + std::to_wstring(::GetCurrentProcessId());
    EXPECT_FALSE(tasks.RegisterTask(Narrow(name), "<Task><Triggers>"));
    EXPECT_FALSE(ReadRegisteredTask(name).exists);
}

TEST(LogonTaskTest, TheSaveThatWritesTheRunValueKeepsTheTaskInStep) {
    testing::ScratchKey scratch(L"RunWithTask");
    ASSERT_TRUE(testing::WriteRawValue(scratch.Root(), scratch.Path(), L"other", REG_SZ, L"", sizeof(wchar_t)));
    RecordingTasks tasks;
    RegistryRunEntry entry(scratch.Root(), scratch.Path(), &tasks);

    ASSERT_TRUE(UpdateLogonTask(tasks, "", false));
    UpdateRunEntry(entry, false);
    EXPECT_EQ(testing::AsText(testing::ReadRawValue(scratch.Root(), scratch.Path(), L"Z Wyndle Memory opt")),
              L"\"" + ModuleFilePath() + L"\"");
    entry.WaitForLogonTask();
    ExpectRegisteredLogonTask(ReadRegisteredTask(UsersTaskName()));
    ExpectElevatedLogonDefinition(tasks.lastXml, tasks.CurrentUser().id, Narrow(ModuleFilePath()));
    EXPECT_NE(tasks.threadId, ::GetCurrentThreadId()) << "the scheduler was called on the caller's thread";

    // What the scheduler kept reads back as the task wanted: no second registration.
    UpdateRunEntry(entry, false);
    entry.WaitForLogonTask();
    EXPECT_EQ(tasks.registrations, 1);

    UpdateRunEntry(entry, true);
    EXPECT_EQ(testing::AsText(testing::ReadRawValue(scratch.Root(), scratch.Path(), L"Z Wyndle Memory opt")), L"");
    entry.WaitForLogonTask();
    EXPECT_FALSE(ReadRegisteredTask(UsersTaskName()).exists);
}

TEST(LogonTaskTest, ReadBackTellsAMissingTaskFromARegisteredOne) {
    TaskSchedulerLogonTasks tasks;
    const std::string name = "QuenvaleTests read-back " + std::to_string(::GetCurrentProcessId());
    std::string xml = "untouched";
    EXPECT_EQ(tasks.ReadTaskXml(name, xml), TaskReadBack::Missing);
    EXPECT_EQ(xml, "untouched");

    const std::string wanted = LogonTaskXml({tasks.CurrentUser().id, Narrow(ModuleFilePath()), "C:\\"});
    ASSERT_TRUE(tasks.RegisterTask(name, wanted));
    ASSERT_EQ(tasks.ReadTaskXml(name, xml), TaskReadBack::Read);
    const auto version = [](const std::string& text) {
        const auto start = text.find("<Version>");
        return start == std::string::npos ? std::string() : text.substr(start, text.find("</Version>") - start);
    };
    EXPECT_FALSE(version(wanted).empty());
    EXPECT_EQ(version(xml), version(wanted)) << xml;
    EXPECT_TRUE(tasks.DeleteTask(name));
}

// The switch removes this user's task and the former single task that this
// program left for this user; the uninstaller's removes every user's, found by
// listing what the scheduler keeps.
TEST(LogonTaskTest, RemoveSwitchesDeleteThisUsersTaskOrEveryUsers) {
    TaskSchedulerLogonTasks tasks;
    const std::string exe = Narrow(ModuleFilePath());
    const std::string user = tasks.CurrentUser().id;
    const std::wstring former = Widen(kLogonTaskBaseName);
    const std::string another = LogonTaskName("S-1-5-21-1004336348-1177238915-682003330-1999");
    ASSERT_TRUE(UpdateLogonTask(tasks, exe, true));
    ASSERT_TRUE(tasks.RegisterTask(Narrow(former), LogonTaskXml({user, exe, FolderOf(exe)})));
    ASSERT_TRUE(tasks.RegisterTask(another, LogonTaskXml({user, exe, FolderOf(exe)})));

    EXPECT_EQ(RemoveLogonTaskCommand(), 0);
    EXPECT_FALSE(ReadRegisteredTask(UsersTaskName()).exists);
    EXPECT_FALSE(ReadRegisteredTask(former).exists) << "the former task read back is not known as this user's";
    EXPECT_TRUE(ReadRegisteredTask(Widen(another)).exists);
    EXPECT_EQ(RemoveLogonTaskCommand(), 0);

    std::vector<std::string> names;
    ASSERT_TRUE(tasks.ListTaskNames(names));
    EXPECT_NE(std::find(names.begin(), names.end(), another), names.end());
    EXPECT_EQ(RemoveAllLogonTasksCommand(), 0);
    EXPECT_FALSE(ReadRegisteredTask(Widen(another)).exists);
    EXPECT_EQ(RemoveAllLogonTasksCommand(), 0);
}

}  // namespace
}  // namespace qmo
