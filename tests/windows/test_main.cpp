#include <windows.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include <string>

#include "app/single_instance.h"
#include "res/messages.h"
#include "single_instance_child.h"

namespace qmo::testing {
namespace {

constexpr UINT_PTR kGiveUpTimer = 1;

LRESULT CALLBACK ChildProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_ACTIVATE_FIRST_INSTANCE) {
        ::PostQuitMessage(static_cast<int>(kChildActivatedExitCode));
        return 0;
    }
    if (message == WM_TIMER && wParam == kGiveUpTimer) {
        ::PostQuitMessage(2);
        return 0;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

int RunFirstInstanceChild(const wchar_t* mutexName, const wchar_t* title) {
    SingleInstanceGuard guard(mutexName);
    if (guard.AnotherInstanceRuns())
        return 3;
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = &ChildProcedure;
    windowClass.hInstance = ::GetModuleHandleW(nullptr);
    windowClass.lpszClassName = kFirstInstanceChildClass;
    ::RegisterClassW(&windowClass);
    HWND window = ::CreateWindowExW(0, kFirstInstanceChildClass, title, WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr,
                                    nullptr, windowClass.hInstance, nullptr);
    if (!window)
        return 4;
    ::SetTimer(window, kGiveUpTimer, 60000, nullptr);
    MSG message{};
    while (::GetMessageW(&message, nullptr, 0, 0) > 0)
        ::DispatchMessageW(&message);
    ::DestroyWindow(window);
    return static_cast<int>(message.wParam);
}

}  // namespace qmo::testing

int main(int argc, char** argv) {
    int wideCount = 0;
    LPWSTR* wide = ::CommandLineToArgvW(::GetCommandLineW(), &wideCount);
    if (wide && wideCount == 4 && std::wstring(wide[1]) == qmo::testing::kFirstInstanceChildSwitch)
        return qmo::testing::RunFirstInstanceChild(wide[2], wide[3]);
    const bool highDpiChild = wide && wideCount == 2 && std::wstring(wide[1]) == qmo::testing::kHighDpiChildSwitch;
    ::LocalFree(wide);

    ::testing::InitGoogleTest(&argc, argv);
    std::string& filter = ::testing::GTEST_FLAG(filter);
    if (highDpiChild)
        filter = qmo::testing::kHighDpiChildFilter;
    else
        filter += filter.find('-') == std::string::npos ? "-HighDpiChild*" : ":HighDpiChild*";
    return RUN_ALL_TESTS();
}
