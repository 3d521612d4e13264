// The installed product: the version resource of its files, its Start menu
// shortcut, and its logon task in the Task Scheduler.
#include "tests/e2e/driver.h"

#include <objbase.h>
#include <oleauto.h>
#include <shobjidl.h>
#include <taskschd.h>

#include <cwchar>

#include "framework/com_ptr.h"

namespace qmo::e2e {

// check-version FILE TEXT MAJOR MINOR: the version resource of FILE.
int CheckVersion(const Args& args) {
    args.Allow({}, 4);
    const std::wstring& file = args.words[0];
    DWORD ignored = 0;
    const DWORD size = ::GetFileVersionInfoSizeW(file.c_str(), &ignored);
    std::vector<BYTE> info(size);
    if (size == 0 || !::GetFileVersionInfoW(file.c_str(), 0, size, info.data()))
        Fail(file + L" has no version resource");
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    if (!::VerQueryValueW(info.data(), L"\\", reinterpret_cast<void**>(&fixed), &length) || !fixed)
        Fail(L"no fixed version information");
    const DWORD wanted = static_cast<DWORD>(ParseNumber(args.words[2]) << 16 | ParseNumber(args.words[3]));
    if (fixed->dwFileVersionMS != wanted || fixed->dwProductVersionMS != wanted)
        Fail(L"file version " + std::to_wstring(HIWORD(fixed->dwFileVersionMS)) + L"." +
             std::to_wstring(LOWORD(fixed->dwFileVersionMS)));
    const WORD* translation = nullptr;
    if (!::VerQueryValueW(info.data(), L"\\VarFileInfo\\Translation", (void**)&translation, &length) || length < 4)
        Fail(L"no translation table");
    wchar_t block[64];
    std::swprintf(block, 64, L"\\StringFileInfo\\%04x%04x\\", translation[0], translation[1]);
    // The string of that name in the file's language, or none.
    auto stringInfo = [&](const wchar_t* name) -> const wchar_t* {
        wchar_t* text = nullptr;
        return ::VerQueryValueW(info.data(), (std::wstring(block) + name).c_str(), (void**)&text, &length) ? text
                                                                                                            : nullptr;
    };
    for (const wchar_t* name : {L"FileVersion", L"ProductVersion"}) {
        const wchar_t* text = stringInfo(name);
        if (!text || args.words[1] != text)
            Fail(std::wstring(name) + L" is not " + args.words[1]);
    }
    for (const wchar_t* name : {L"ProductName", L"CompanyName", L"FileDescription", L"LegalCopyright"}) {
        const wchar_t* text = stringInfo(name);
        if (!text || !*text)
            Fail(std::wstring(name) + L" is missing");
    }
    return 0;
}

namespace {

struct Shortcut {
    std::wstring target;
    std::wstring workingFolder;
};

Shortcut ReadShortcut(const std::wstring& path) {
    qmo::com_apartment com;
    qmo::com_ptr<IShellLinkW> link;
    if (FAILED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW, link.put_void())))
        Fail(L"no shell link object");
    qmo::com_ptr<IPersistFile> file;
    link->QueryInterface(IID_IPersistFile, file.put_void());
    if (!file || FAILED(file->Load(path.c_str(), STGM_READ)))
        Fail(L"cannot read the shortcut " + path);
    wchar_t text[MAX_PATH] = L"";
    Shortcut shortcut;
    if (SUCCEEDED(link->GetPath(text, MAX_PATH, nullptr, 0)))
        shortcut.target = text;
    text[0] = L'\0';
    if (SUCCEEDED(link->GetWorkingDirectory(text, MAX_PATH)))
        shortcut.workingFolder = text;
    return shortcut;
}

}  // namespace

// check-shortcut LINK TARGET WORKING_FOLDER
int CheckShortcut(const Args& args) {
    args.Allow({}, 3);
    const Shortcut shortcut = ReadShortcut(args.words[0]);
    if (::lstrcmpiW(shortcut.target.c_str(), args.words[1].c_str()) != 0)
        Fail(L"the shortcut starts " + Quoted(shortcut.target));
    if (::lstrcmpiW(shortcut.workingFolder.c_str(), args.words[2].c_str()) != 0)
        Fail(L"the shortcut works in " + Quoted(shortcut.workingFolder));
    return 0;
}

// start-shortcut LINK: starts what the shortcut names, in its working folder,
// as the Start menu does; the program is left running.
int StartShortcut(const Args& args) {
    args.Allow({}, 1);
    const Shortcut shortcut = ReadShortcut(args.words[0]);
    std::wstring commandLine = Quoted(shortcut.target);
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    if (!::CreateProcessW(shortcut.target.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                          shortcut.workingFolder.empty() ? nullptr : shortcut.workingFolder.c_str(), &startup,
                          &process))
        Fail(L"cannot start " + Quoted(shortcut.target) + L", error " + std::to_wstring(::GetLastError()));
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    return 0;
}

// check-task present|absent NAME: the task in the root folder of the Task
// Scheduler, waited for: the program keeps its task in step on a worker.
int CheckTask(const Args& args) {
    args.Allow({}, 2);
    qmo::com_apartment com;
    qmo::com_ptr<ITaskService> service;
    if (FAILED(::CoCreateInstance(CLSID_TaskScheduler, nullptr, CLSCTX_INPROC_SERVER, IID_ITaskService,
                                  service.put_void())))
        Fail(L"no Task Scheduler");
    VARIANT none;
    ::VariantInit(&none);
    qmo::com_ptr<ITaskFolder> folder;
    const qmo::unique_bstr rootPath = qmo::MakeBstr(L"\\");
    const HRESULT connected = service->Connect(none, none, none, none);
    if (FAILED(connected) || FAILED(service->GetFolder(rootPath.get(), folder.put())))
        Fail(L"cannot reach the Task Scheduler");
    const qmo::unique_bstr name = qmo::MakeBstr(args.words[1]);
    WaitUntil(args.timeoutMs, [&]() -> std::wstring {
        qmo::com_ptr<IRegisteredTask> task;
        const bool present = SUCCEEDED(folder->GetTask(name.get(), task.put()));
        if (present == (args.words[0] == L"present"))
            return {};
        return L"the task " + Quoted(args.words[1]) + (present ? L" is registered" : L" is not registered");
    });
    return 0;
}

}  // namespace qmo::e2e
