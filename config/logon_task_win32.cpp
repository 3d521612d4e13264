#include "config/logon_task_win32.h"

#include <cstddef>
#include <vector>

#include "framework/text.h"
#include "framework/unique_handle.h"

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

// "DOMAIN\user" of the account the program runs as, from its token. The
// security packages' GetUserNameEx says the same but loads a dozen network
// and authentication libraries into the process for good.
std::string TaskSchedulerLogonTasks::CurrentUserId() {
    HANDLE token = nullptr;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token))
        return {};
    const unique_kernel_handle ownedToken(token);
    DWORD size = 0;
    ::GetTokenInformation(token, TokenUser, nullptr, 0, &size);
    if (size == 0)
        return {};
    std::vector<std::byte> user(size);
    if (!::GetTokenInformation(token, TokenUser, user.data(), size, &size))
        return {};
    const PSID sid = reinterpret_cast<const TOKEN_USER*>(user.data())->User.Sid;
    DWORD nameLength = 0, domainLength = 0;
    SID_NAME_USE use{};
    ::LookupAccountSidW(nullptr, sid, nullptr, &nameLength, nullptr, &domainLength, &use);
    if (nameLength == 0 || domainLength == 0)
        return {};
    std::wstring name(nameLength, L'\0'), domain(domainLength, L'\0');
    if (!::LookupAccountSidW(nullptr, sid, name.data(), &nameLength, domain.data(), &domainLength, &use))
        return {};
    name.resize(nameLength);
    domain.resize(domainLength);
    return Narrow(domain + L"\\" + name);
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
