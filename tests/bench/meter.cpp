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
//
// Exit status 1 with a reason on stderr when the window is not there in time.
#include <windows.h>
#include <psapi.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
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
using ProcessHandle = std::unique_ptr<void, HandleCloser>;

HWND FindOrFail(const wchar_t* className) {
    HWND window = ::FindWindowW(className, nullptr);
    if (!window)
        Fail("no window of that class");
    return window;
}

ProcessHandle OpenOwner(HWND window) {
    DWORD id = 0;
    ::GetWindowThreadProcessId(window, &id);
    ProcessHandle process(::OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, id));
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
void PrintSteps(const std::wstring& tracePath, LONGLONG begin) {
    FILE* trace = _wfopen(tracePath.c_str(), L"r");
    if (!trace)
        return;
    long long counter = 0;
    char step[128];
    while (std::fscanf(trace, "%lld %127s", &counter, step) == 2)
        std::printf("%s %.1f\n", step, MsBetween(begin, counter));
    std::fclose(trace);
}

std::string ReadAll(const std::wstring& path) {
    std::string text;
    if (FILE* file = _wfopen(path.c_str(), L"rb")) {
        char buffer[4096];
        for (std::size_t read; (read = std::fread(buffer, 1, sizeof(buffer), file)) > 0;)
            text.append(buffer, read);
        std::fclose(file);
    }
    return text;
}

bool HasSteps(const std::wstring& tracePath) { return !ReadAll(tracePath).empty(); }
bool MarkedReady(const std::wstring& tracePath) { return ReadAll(tracePath).find(" ready\n") != std::string::npos; }

int Start(const wchar_t* exe, const wchar_t* className) {
    wchar_t folder[MAX_PATH] = {};
    wchar_t tracePath[MAX_PATH] = {};
    if (!::GetTempPathW(MAX_PATH, folder) || !::GetTempFileNameW(folder, L"qst", 0, tracePath))
        Fail("cannot make the trace file");
    ::SetEnvironmentVariableW(L"QMO_STARTUP_TRACE", tracePath);
    std::wstring commandLine = L"\"" + std::wstring(exe) + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION started{};
    const LONGLONG begin = Now();
    if (!::CreateProcessW(exe, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &started))
        Fail("cannot start the program");
    ProcessHandle process(started.hProcess);
    ::CloseHandle(started.hThread);
    const ULONGLONG deadline = ::GetTickCount64() + kTimeoutMs;
    for (;;) {
        // Wine calls a process input-idle at its first look at an empty
        // queue, which may come long before its message loop: a program
        // that marks its steps is idle once it marks "ready".
        HWND window = ::FindWindowW(className, nullptr);
        if (window && !::IsWindowVisible(window) && ::WaitForInputIdle(process.get(), 0) == 0 &&
            (MarkedReady(tracePath) || !HasSteps(tracePath)))
            break;
        if (::GetTickCount64() > deadline)
            Fail("the program did not come up hidden in time");
        ::Sleep(1);
    }
    const LONGLONG idle = Now();
    PrintSteps(tracePath, begin);
    std::printf("idle %.1f\n", MsBetween(begin, idle));
    ::DeleteFileW(tracePath);
    return 0;
}

int Private(const wchar_t* className) {
    ProcessHandle process = OpenOwner(FindOrFail(className));
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
    Fail("usage: qmo_meter start EXE CLASS | private CLASS | resources CLASS | post CLASS MSG [WPARAM]");
}
