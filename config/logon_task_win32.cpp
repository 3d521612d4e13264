#include "config/logon_task_win32.h"

#define SECURITY_WIN32
#include <security.h>

#include "framework/system_function.h"
#include "framework/text.h"

namespace qmo {
namespace {

// HRESULT of deleting or reading a task that does not exist.
bool IsMissingTask(HRESULT result) {
    return result == HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND) || result == HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND);
}

}  // namespace

com_ptr<ITaskFolder> ConnectRootTaskFolder() {
    com_ptr<ITaskService> service;
    if (FAILED(::CoCreateInstance(CLSID_TaskScheduler, nullptr, CLSCTX_INPROC_SERVER, IID_ITaskService,
                                  service.put_void())))
        return {};
    VARIANT none;
    ::VariantInit(&none);
    if (FAILED(service->Connect(none, none, none, none)))
        return {};
    const unique_bstr root = MakeBstr(L"\\");
    com_ptr<ITaskFolder> folder;
    if (!root || FAILED(service->GetFolder(root.get(), folder.put())))
        return {};
    return folder;
}

std::string TaskSchedulerLogonTasks::CurrentUserId() {
    // Looked up here: importing it would load the security packages with the program.
    using GetUserNameExFunction = BOOLEAN(SEC_ENTRY*)(EXTENDED_NAME_FORMAT, LPWSTR, PULONG);
    static const auto getUserNameEx = SystemFunction<GetUserNameExFunction>(L"secur32.dll", "GetUserNameExW");
    if (!getUserNameEx)
        return {};
    ULONG size = 0;
    getUserNameEx(NameSamCompatible, nullptr, &size);
    if (size == 0)
        return {};
    std::wstring name(size, L'\0');
    if (!getUserNameEx(NameSamCompatible, name.data(), &size))
        return {};
    name.resize(size);
    return Narrow(name);
}

TaskReadBack TaskSchedulerLogonTasks::ReadTaskXml(std::string_view name, std::string& xml) {
    const com_apartment apartment;
    if (!apartment.usable())
        return TaskReadBack::Unreadable;
    const com_ptr<ITaskFolder> folder = ConnectRootTaskFolder();
    const unique_bstr taskName = MakeBstr(Widen(name));
    if (!folder || !taskName)
        return TaskReadBack::Unreadable;
    com_ptr<IRegisteredTask> task;
    const HRESULT found = folder->GetTask(taskName.get(), task.put());
    if (IsMissingTask(found))
        return TaskReadBack::Missing;
    BSTR text = nullptr;
    if (FAILED(found) || FAILED(task->get_Xml(&text)))
        return TaskReadBack::Unreadable;
    const unique_bstr definition(text);
    xml = Narrow(std::wstring_view(definition.get(), definition ? ::SysStringLen(definition.get()) : 0));
    return TaskReadBack::Read;
}

bool TaskSchedulerLogonTasks::RegisterTask(std::string_view name, const std::string& xml) {
    const com_apartment apartment;
    if (!apartment.usable())
        return false;
    const com_ptr<ITaskFolder> folder = ConnectRootTaskFolder();
    const unique_bstr taskName = MakeBstr(Widen(name));
    const unique_bstr taskXml = MakeBstr(Widen(xml));
    if (!folder || !taskName || !taskXml)
        return false;
    VARIANT none;
    ::VariantInit(&none);
    com_ptr<IRegisteredTask> registered;
    return SUCCEEDED(folder->RegisterTask(taskName.get(), taskXml.get(), TASK_CREATE_OR_UPDATE, none, none,
                                          TASK_LOGON_INTERACTIVE_TOKEN, none, registered.put()));
}

bool TaskSchedulerLogonTasks::DeleteTask(std::string_view name) {
    const com_apartment apartment;
    if (!apartment.usable())
        return false;
    const com_ptr<ITaskFolder> folder = ConnectRootTaskFolder();
    const unique_bstr taskName = MakeBstr(Widen(name));
    if (!folder || !taskName)
        return false;
    const HRESULT result = folder->DeleteTask(taskName.get(), 0);
    return SUCCEEDED(result) || IsMissingTask(result);
}

int RemoveLogonTaskCommand() {
    TaskSchedulerLogonTasks tasks;
    return UpdateLogonTask(tasks, std::string(), false) ? 0 : 1;
}

}  // namespace qmo
