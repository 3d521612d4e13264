// Reads figures off a running program for the benchmarks and the soak run:
//
//   qmo_meter start EXE CLASS      starts EXE, waits until its window of CLASS
//                                  exists hidden and the program is idle, and
//                                  prints "STEP MS" lines: each start-up step
//                                  the program marked (framework/startup_trace.h),
//                                  then "idle", all from the moment of the start
//   qmo_meter private CLASS        private KiB of the program owning a window
//                                  of CLASS (processor time is read from the
//                                  host: wine's process times lose the time of
//                                  threads that have ended)
//   qmo_meter resources CLASS      "GDI USER HANDLES PRIVATE_KIB" as the
//                                  program itself counts them (it answers the
//                                  registered message "Quenvale.ResourceUsage")
//   qmo_meter post CLASS MSG [W]   posts a message to that window
//   qmo_meter regions CLASS        "START END KIND" (hex addresses) for each
//                                  committed allocation of that program, KIND
//                                  as Windows sees it: heap, stack, image:NAME,
//                                  mapped or virtual (VirtualAlloc, and a
//                                  heap's blocks too large for its segments)
//
// Exit status 1 with a reason on stderr when the window is not there in time.
#include <windows.h>
#include <psapi.h>
#include <tlhelp32.h>
#include <winternl.h>

#include <cstdint>
#include <cstdio>
#include <cwchar>
#include <cwctype>
#include <cstdlib>
#include <memory>
#include <set>
#include <string>

namespace {

constexpr DWORD kTimeoutMs = 30000;

[[noreturn]] void Fail(const char* reason) {
    std::fprintf(stderr, "%s\n", reason);
    std::exit(1);
}

struct HandleCloser {
    void operator()(HANDLE handle) const { ::CloseHandle(handle); }
};
using OwnedHandle = std::unique_ptr<void, HandleCloser>;

HWND FindOrFail(const wchar_t* className) {
    HWND window = ::FindWindowW(className, nullptr);
    if (!window)
        Fail("no window of that class");
    return window;
}

OwnedHandle OpenOwner(HWND window) {
    DWORD id = 0;
    ::GetWindowThreadProcessId(window, &id);
    OwnedHandle process(::OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, id));
    if (!process)
        Fail("cannot open the window's process");
    return process;
}

unsigned long long PrivateKiB(HANDLE process) {
    PROCESS_MEMORY_COUNTERS_EX memory{};
    memory.cb = sizeof(memory);
    if (!::GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory), sizeof(memory)))
        Fail("GetProcessMemoryInfo failed");
    // Wine leaves PrivateUsage at zero; its pagefile figure is the same charge.
    return (memory.PrivateUsage ? memory.PrivateUsage : memory.PagefileUsage) / 1024;
}

double MsBetween(LONGLONG from, LONGLONG to) {
    LARGE_INTEGER frequency{};
    ::QueryPerformanceFrequency(&frequency);
    return static_cast<double>(to - from) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

LONGLONG Now() {
    LARGE_INTEGER now{};
    ::QueryPerformanceCounter(&now);
    return now.QuadPart;
}

// The program's trace lines, "COUNTER STEP", each printed as "STEP MS".
void PrintSteps(const std::string& trace, LONGLONG begin) {
    long long counter = 0;
    char step[128];
    int used = 0;
    for (const char* at = trace.c_str(); std::sscanf(at, "%lld %127s%n", &counter, step, &used) == 2; at += used)
        std::printf("%s %.1f\n", step, MsBetween(begin, counter));
}

// Appends what the program has written so far, never waiting for more.
void ReadAvailable(HANDLE pipe, std::string& trace) {
    DWORD available = 0;
    while (::PeekNamedPipe(pipe, nullptr, 0, nullptr, &available, nullptr) && available > 0) {
        char buffer[4096];
        DWORD read = 0;
        if (!::ReadFile(pipe, buffer, sizeof(buffer), &read, nullptr) || read == 0)
            return;
        trace.append(buffer, read);
    }
}

// The steps reach the meter through a pipe whose writing end the program
// inherits (framework/startup_trace.h): it opens nothing named by a variable.
int Start(const wchar_t* exe, const wchar_t* className) {
    SECURITY_ATTRIBUTES inheritable{sizeof(inheritable), nullptr, TRUE};
    HANDLE reading = nullptr;
    HANDLE writing = nullptr;
    if (!::CreatePipe(&reading, &writing, &inheritable, 0))
        Fail("cannot make the trace pipe");
    OwnedHandle traceIn(reading);
    OwnedHandle traceOut(writing);
    ::SetHandleInformation(reading, HANDLE_FLAG_INHERIT, 0);
    wchar_t handleText[24] = {};
    std::swprintf(handleText, 24, L"%llx", static_cast<unsigned long long>(reinterpret_cast<ULONG_PTR>(writing)));
    ::SetEnvironmentVariableW(L"QMO_STARTUP_TRACE_HANDLE", handleText);
    std::wstring commandLine = L"\"" + std::wstring(exe) + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION started{};
    const LONGLONG begin = Now();
    if (!::CreateProcessW(exe, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &started))
        Fail("cannot start the program");
    OwnedHandle process(started.hProcess);
    ::CloseHandle(started.hThread);
    traceOut.reset();
    std::string trace;
    const ULONGLONG deadline = ::GetTickCount64() + kTimeoutMs;
    for (;;) {
        // Wine calls a process input-idle at its first look at an empty
        // queue, which may come long before its message loop: a program
        // that marks its steps is idle once it marks "ready".
        ReadAvailable(traceIn.get(), trace);
        HWND window = ::FindWindowW(className, nullptr);
        if (window && !::IsWindowVisible(window) && ::WaitForInputIdle(process.get(), 0) == 0 &&
            (trace.empty() || trace.find(" ready\n") != std::string::npos))
            break;
        if (::GetTickCount64() > deadline)
            Fail("the program did not come up hidden in time");
        ::Sleep(1);
    }
    const LONGLONG idle = Now();
    PrintSteps(trace, begin);
    std::printf("idle %.1f\n", MsBetween(begin, idle));
    return 0;
}

int Private(const wchar_t* className) {
    OwnedHandle process = OpenOwner(FindOrFail(className));
    std::printf("%llu\n", PrivateKiB(process.get()));
    return 0;
}

int Resources(const wchar_t* className) {
    HWND window = FindOrFail(className);
    const UINT message = ::RegisterWindowMessageW(L"Quenvale.ResourceUsage");
    unsigned long long figures[4] = {};
    for (WPARAM kind = 0; kind < 4; ++kind) {
        DWORD_PTR result = 0;
        if (!::SendMessageTimeoutW(window, message, kind, 0, SMTO_ABORTIFHUNG, 10000, &result))
            Fail("the program did not answer");
        figures[kind] = result;
    }
    std::printf("%llu %llu %llu %llu\n", figures[0], figures[1], figures[2], figures[3]);
    return 0;
}

int Post(const wchar_t* className, const wchar_t* message, const wchar_t* wParam) {
    HWND window = FindOrFail(className);
    if (!::PostMessageW(window, std::wcstoul(message, nullptr, 0), wParam ? std::wcstoul(wParam, nullptr, 0) : 0, 0))
        Fail("PostMessage failed");
    return 0;
}

template <class Value>
Value ReadFrom(HANDLE process, std::uintptr_t address) {
    Value value{};
    SIZE_T read = 0;
    ::ReadProcessMemory(process, reinterpret_cast<const void*>(address), &value, sizeof(value), &read);
    return value;
}

std::uintptr_t AllocationOf(HANDLE process, std::uintptr_t address) {
    MEMORY_BASIC_INFORMATION region{};
    if (!address || !::VirtualQueryEx(process, reinterpret_cast<const void*>(address), &region, sizeof(region)))
        return 0;
    return reinterpret_cast<std::uintptr_t>(region.AllocationBase);
}

// A heap segment starts with the signature 0xFFEEFFEE at offset 0x10, on
// Windows and under wine alike (wine keeps no list of heaps in the PEB).
bool IsHeapSegment(HANDLE process, std::uintptr_t allocation) {
    return ReadFrom<DWORD>(process, allocation + 0x10) == 0xFFEEFFEEu;
}

// Each thread's stack allocation, found from the stack limit in its TEB.
std::set<std::uintptr_t> StackBases(HANDLE process) {
    struct ThreadBasics {
        LONG exitStatus;
        PVOID teb;
        CLIENT_ID client;
        ULONG_PTR affinity;
        LONG priority;
        LONG basePriority;
    };
    std::set<std::uintptr_t> stacks;
    const DWORD processId = ::GetProcessId(process);
    OwnedHandle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0));
    if (snapshot.get() == INVALID_HANDLE_VALUE) {
        snapshot.release();
        return stacks;
    }
    THREADENTRY32 entry{};
    entry.dwSize = sizeof(entry);
    for (BOOL more = ::Thread32First(snapshot.get(), &entry); more; more = ::Thread32Next(snapshot.get(), &entry)) {
        if (entry.th32OwnerProcessID != processId)
            continue;
        OwnedHandle thread(::OpenThread(THREAD_QUERY_INFORMATION, FALSE, entry.th32ThreadID));
        ThreadBasics basics{};
        if (!thread || ::NtQueryInformationThread(thread.get(), ThreadBasicInformation, &basics, sizeof(basics),
                                                  nullptr) != 0)
            continue;
        const auto limit = ReadFrom<std::uintptr_t>(process, reinterpret_cast<std::uintptr_t>(basics.teb) + 0x10);
        stacks.insert(AllocationOf(process, limit));
    }
    return stacks;
}

std::string ImageName(HANDLE process, const void* address) {
    wchar_t path[MAX_PATH] = {};
    if (!::GetMappedFileNameW(process, const_cast<void*>(address), path, MAX_PATH))
        return "?";
    const wchar_t* name = std::wcsrchr(path, L'\\');
    std::string narrow;
    for (const wchar_t* letter = name ? name + 1 : path; *letter; ++letter)
        narrow += static_cast<char>(*letter < 128 ? std::towlower(*letter) : '_');
    return narrow;
}

int Regions(const wchar_t* className) {
    OwnedHandle process = OpenOwner(FindOrFail(className));
    const std::set<std::uintptr_t> stacks = StackBases(process.get());
    MEMORY_BASIC_INFORMATION region{};
    for (std::uintptr_t address = 0;
         ::VirtualQueryEx(process.get(), reinterpret_cast<const void*>(address), &region, sizeof(region));
         address += region.RegionSize) {
        if (region.State != MEM_COMMIT)
            continue;
        const auto allocation = reinterpret_cast<std::uintptr_t>(region.AllocationBase);
        std::string kind = "virtual";
        if (region.Type == MEM_PRIVATE && IsHeapSegment(process.get(), allocation))
            kind = "heap";
        else if (stacks.count(allocation))
            kind = "stack";
        else if (region.Type == MEM_IMAGE)
            kind = "image:" + ImageName(process.get(), region.AllocationBase);
        else if (region.Type == MEM_MAPPED)
            kind = "mapped";
        std::printf("%llx %llx %s\n", static_cast<unsigned long long>(address),
                    static_cast<unsigned long long>(address + region.RegionSize), kind.c_str());
    }
    return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const std::wstring command = argc > 1 ? argv[1] : L"";
    if (command == L"start" && argc == 4)
        return Start(argv[2], argv[3]);
    if (command == L"private" && argc == 3)
        return Private(argv[2]);
    if (command == L"resources" && argc == 3)
        return Resources(argv[2]);
    if (command == L"post" && (argc == 4 || argc == 5))
        return Post(argv[2], argv[3], argc == 5 ? argv[4] : nullptr);
    if (command == L"regions" && argc == 3)
        return Regions(argv[2]);
    Fail("usage: qmo_meter start EXE CLASS | private CLASS | resources CLASS | post CLASS MSG [WPARAM] | regions CLASS");
}
