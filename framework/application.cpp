#include "framework/application.h"

#include "framework/escaped_exception.h"
#include "framework/startup_trace.h"
#include "framework/window.h"

namespace qmo {
namespace {

Application* g_current = nullptr;  // the one application object; set by its constructor

}  // namespace

Application::Application() {
    g_current = this;
}

Application::~Application() {
    if (g_current == this)
        g_current = nullptr;
}

Application* Application::Current() noexcept {
    return g_current;
}

HINSTANCE Application::InstanceHandle() noexcept {
    if (g_current && g_current->m_instance)
        return g_current->m_instance;
    return ::GetModuleHandleW(nullptr);
}

LANGID Application::ResourceLanguage() noexcept {
    return g_current ? g_current->m_language : MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);
}

int Application::Run(HINSTANCE instance, int showCommand) {
    m_instance = instance;
    m_showCommand = showCommand;
    if (!InitInstance())
        return ExitInstance();
    MarkStartupStep("ready");

    MSG message{};
    while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (PreTranslate(message))
            continue;
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
    const int exitCode = ExitInstance();
    return message.message == WM_QUIT ? static_cast<int>(message.wParam) : exitCode;
}

// A pre-translation that throws is reported and the message goes on to its window.
bool Application::PreTranslate(MSG& message) {
    for (HWND window = message.hwnd; window;) {
        Window* object = Window::FromHandle(window);
        if (object && AnswerOrDefault(
                          window, message.message, [&] { return object->PreTranslateMessage(message); },
                          [] { return false; }))
            return true;
        if (!(::GetWindowLongPtrW(window, GWL_STYLE) & WS_CHILD))
            break;
        window = ::GetParent(window);
    }
    return false;
}

bool Application::OnCommand(UINT) {
    return false;
}

int Application::ExitInstance() {
    return 0;
}

}  // namespace qmo
