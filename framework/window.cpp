#include "framework/window.h"

#include "framework/application.h"

namespace qmo {
namespace {

constexpr wchar_t kObjectProperty[] = L"Quenvale.WindowObject";

}  // namespace

std::wstring WindowText(HWND window) {
    std::wstring text(static_cast<std::size_t>(::GetWindowTextLengthW(window)) + 1, L'\0');
    const int length = ::GetWindowTextW(window, text.data(), static_cast<int>(text.size()));
    text.resize(static_cast<std::size_t>(length > 0 ? length : 0));
    return text;
}

Window::~Window() {
    DestroyWindow();
}

void Window::DestroyWindow() {
    if (m_hWnd)
        ::DestroyWindow(m_hWnd);
}

Window* Window::FromHandle(HWND window) noexcept {
    if (!window)
        return nullptr;
    return static_cast<Window*>(::GetPropW(window, kObjectProperty));
}

bool Window::PreTranslateMessage(MSG&) {
    return false;
}

void Window::Attach(HWND window) noexcept {
    m_hWnd = window;
    ::SetPropW(window, kObjectProperty, this);
}

void Window::Detach() noexcept {
    if (m_hWnd)
        ::RemovePropW(m_hWnd, kObjectProperty);
    m_hWnd = nullptr;
}

bool Window::Create(const WindowClass& windowClass, DWORD exStyle, const wchar_t* title, DWORD style, int x, int y,
                    int width, int height, HWND parent, HMENU menuOrId) {
    if (m_hWnd)
        return false;
    const HINSTANCE instance = Application::InstanceHandle();
    WNDCLASSEXW existing{};
    existing.cbSize = sizeof(existing);
    if (!::GetClassInfoExW(instance, windowClass.name, &existing)) {
        WNDCLASSEXW registration{};
        registration.cbSize = sizeof(registration);
        registration.style = windowClass.style;
        registration.lpfnWndProc = &Window::WindowProcedure;
        registration.hInstance = instance;
        registration.hIcon = windowClass.icon;
        registration.hIconSm = windowClass.smallIcon;
        registration.hCursor = windowClass.cursor;
        registration.hbrBackground = windowClass.background;
        registration.lpszClassName = windowClass.name;
        if (!::RegisterClassExW(&registration))
            return false;
    }
    return ::CreateWindowExW(exStyle, windowClass.name, title, style, x, y, width, height, parent, menuOrId, instance,
                             this) != nullptr &&
           m_hWnd != nullptr;
}

LRESULT Window::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    return DefaultHandler(message, wParam, lParam);
}

LRESULT Window::DefaultHandler(UINT message, WPARAM wParam, LPARAM lParam) {
    return ::DefWindowProcW(m_hWnd, message, wParam, lParam);
}

LRESULT CALLBACK Window::WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    Window* self = FromHandle(window);
    if (!self && message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        self = static_cast<Window*>(create->lpCreateParams);
        self->Attach(window);
    }
    if (!self)
        return ::DefWindowProcW(window, message, wParam, lParam);

    const LRESULT result = self->HandleMessage(message, wParam, lParam);
    if (message == WM_NCDESTROY)
        self->Detach();
    return result;
}

}  // namespace qmo
