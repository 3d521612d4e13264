#pragma once
// The application object: instance handle, main window, message loop with the
// pre-translation chain.
#include <windows.h>

#include <string>

#include "framework/sent_only_messages.h"

namespace qmo {

class Window;

class Application {
public:
    Application();
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;
    virtual ~Application();

    static Application* Current() noexcept;
    static HINSTANCE InstanceHandle() noexcept;
    // The language of the menus, dialogs and texts; English until one is chosen.
    static LANGID ResourceLanguage() noexcept;

    // Runs InitInstance and, if it succeeds, the message loop; the exit code.
    int Run(HINSTANCE instance, int showCommand);

    Window* MainWindow() const noexcept { return m_pMainWnd; }
    void SetMainWindow(Window* window) noexcept { m_pMainWnd = window; }

    // Commands no window handled.
    virtual bool OnCommand(UINT id);

    // Offers a queued message to our windows from its target up to its top-level window.
    static bool PreTranslate(MSG& message);

protected:
    virtual bool InitInstance() = 0;
    virtual int ExitInstance();

    int ShowCommand() const noexcept { return m_showCommand; }
    void SetResourceLanguage(LANGID language) noexcept { m_language = language; }
    void SetApplicationTitle(const std::wstring& title) { m_appTitle = title; }
    const std::wstring& ApplicationTitle() const noexcept { return m_appTitle; }

private:
    Window* m_pMainWnd = nullptr;
    HINSTANCE m_instance = nullptr;
    int m_showCommand = SW_SHOWNORMAL;
    LANGID m_language = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);
    std::wstring m_appTitle;
    // On the thread that made the application object, which runs its windows.
    SentOnlyMessageFilter m_sentOnlyMessages;
};

}  // namespace qmo
