#include "framework/window.h"

#include <cwchar>
#include <unordered_map>
#include <utility>

#include "framework/application.h"
#include "framework/escaped_exception.h"

namespace qmo {
namespace {

// The windows of this thread with an object of ours behind them. Every
// message looks its window up, and the pre-translation each of its parents:
// a window property would be a question to wine's server each time.
std::unordered_map<HWND, Window*>& ObjectsOfThisThread() {
    thread_local std::unordered_map<HWND, Window*> objects;
    return objects;
}

POINT PointOf(LPARAM lParam) noexcept {
    return POINT{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
}

}  // namespace

std::wstring WindowText(HWND window) {
    std::wstring text(static_cast<std::size_t>(::GetWindowTextLengthW(window)) + 1, L'\0');
    const int length = ::GetWindowTextW(window, text.data(), static_cast<int>(text.size()));
    text.resize(static_cast<std::size_t>(length > 0 ? length : 0));
    return text;
}

bool IsSettingChangeOf(LPARAM lParam, const wchar_t* area) noexcept {
    const auto* named = reinterpret_cast<const wchar_t*>(lParam);
    return named && std::wcscmp(named, area) == 0;
}

bool HasWindowClass(HWND window, const wchar_t* name) {
    wchar_t className[32] = L"";
    return ::GetClassNameW(window, className, 32) > 0 && ::lstrcmpiW(className, name) == 0;
}

Window::~Window() {
    const HWND window = m_hWnd;
    const bool owned = OwnsHandle();
    Detach();
    if (owned)
        ::DestroyWindow(window);
}

void Window::DestroyWindow() {
    if (m_hWnd)
        ::DestroyWindow(m_hWnd);
}

// Only what this thread attached is found: no other program can put an
// object behind one of our windows, and a handle the system gives again to
// a new window finds nothing once its first window is gone.
Window* Window::FromHandle(HWND window) noexcept {
    if (!window)
        return nullptr;
    const auto& objects = ObjectsOfThisThread();
    const auto found = objects.find(window);
    if (found == objects.end() || found->second->m_hWnd != window ||
        ::GetWindowThreadProcessId(window, nullptr) != ::GetCurrentThreadId())
        return nullptr;
    return found->second;
}

bool Window::PreTranslateMessage(MSG&) {
    return false;
}

void Window::Attach(HWND window, bool owns) noexcept {
    m_hWnd = window;
    m_ownsHandle = owns;
    try {
        ObjectsOfThisThread()[window] = this;
    } catch (...) {  // out of memory: as a property that could not be set, the window is not found
    }
}

void Window::Detach() noexcept {
    if (m_hWnd) {
        auto& objects = ObjectsOfThisThread();
        if (const auto found = objects.find(m_hWnd); found != objects.end() && found->second == this)
            objects.erase(found);
    }
    m_hWnd = nullptr;
    m_ownsHandle = false;
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
    LRESULT result = 0;
    if (DispatchTyped(message, wParam, lParam, result))
        return result;
    return DefaultHandler(message, wParam, lParam);
}

LRESULT Window::DefaultHandler(UINT message, WPARAM wParam, LPARAM lParam) {
    return ::DefWindowProcW(m_hWnd, message, wParam, lParam);
}

LRESULT Window::Default() {
    return DefaultHandler(m_current.message, m_current.wParam, m_current.lParam);
}

bool Window::DispatchTyped(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    result = 0;
    // A handler may send messages that come back here: each one restores the one it interrupted.
    const CurrentMessage interrupted = std::exchange(m_current, CurrentMessage{message, wParam, lParam});
    struct Restore {
        CurrentMessage& current;
        CurrentMessage saved;
        ~Restore() { current = saved; }
    } restore{m_current, interrupted};
    switch (message) {
    case WM_CREATE:
        return lParam && OnCreate(*reinterpret_cast<const CREATESTRUCTW*>(lParam), result);
    case WM_COMMAND: {
        const auto control = reinterpret_cast<HWND>(lParam);
        if (Window* child = control ? FromHandle(control) : nullptr; child && child != this &&
                                                                      child->OnReflectedCommand(HIWORD(wParam)))
            return true;
        return OnCommand(LOWORD(wParam), HIWORD(wParam), control);
    }
    case WM_NOTIFY: {
        auto* header = reinterpret_cast<NMHDR*>(lParam);
        return header && OnNotify(static_cast<UINT>(wParam), header, result);
    }
    case WM_TIMER:
        return OnTimer(static_cast<UINT_PTR>(wParam));
    case WM_SIZE:
        return OnSize(static_cast<UINT>(wParam), LOWORD(lParam), HIWORD(lParam));
    case WM_DPICHANGED:
        return lParam && OnDpiChanged(HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
    case WM_MOUSEMOVE:
        return OnMouseMove(static_cast<UINT>(wParam), PointOf(lParam));
    case WM_MOUSELEAVE:
        return OnMouseLeave();
    case WM_LBUTTONDOWN:
        return OnLButtonDown(static_cast<UINT>(wParam), PointOf(lParam));
    case WM_LBUTTONDBLCLK:
        return OnLButtonDblClk(static_cast<UINT>(wParam), PointOf(lParam));
    case WM_LBUTTONUP:
        return OnLButtonUp(static_cast<UINT>(wParam), PointOf(lParam));
    case WM_KEYDOWN:
        return OnKeyDown(static_cast<UINT>(wParam), HIWORD(lParam));
    case WM_VSCROLL:
        return OnVScroll(LOWORD(wParam), static_cast<short>(HIWORD(wParam)), reinterpret_cast<HWND>(lParam));
    case WM_HSCROLL:
        return OnHScroll(LOWORD(wParam), static_cast<short>(HIWORD(wParam)), reinterpret_cast<HWND>(lParam));
    case WM_MOUSEWHEEL:
        return OnMouseWheel(GET_WHEEL_DELTA_WPARAM(wParam), GET_KEYSTATE_WPARAM(wParam), PointOf(lParam));
    case WM_GETDLGCODE:
        return OnGetDlgCode(reinterpret_cast<const MSG*>(lParam), result);
    case WM_SETFOCUS:
        return OnSetFocus(reinterpret_cast<HWND>(wParam));
    case WM_KILLFOCUS:
        return OnKillFocus(reinterpret_cast<HWND>(wParam));
    case WM_SETFONT:
        return OnSetFont(reinterpret_cast<HFONT>(wParam), LOWORD(lParam) != 0);
    case WM_GETFONT: {
        HFONT font = nullptr;
        if (!OnGetFont(font))
            return false;
        result = reinterpret_cast<LRESULT>(font);
        return true;
    }
    case WM_PRINTCLIENT:
        return OnPrintClient(reinterpret_cast<HDC>(wParam), static_cast<UINT>(lParam));
    case WM_CAPTURECHANGED:
        return OnCaptureChanged(reinterpret_cast<HWND>(lParam));
    case WM_MOUSEACTIVATE:
        return OnMouseActivate(reinterpret_cast<HWND>(wParam), LOWORD(lParam), HIWORD(lParam), result);
    case WM_HOTKEY:
        return OnHotKey(static_cast<int>(wParam), LOWORD(lParam), HIWORD(lParam));
    case WM_CONTEXTMENU:
        return OnContextMenu(reinterpret_cast<HWND>(wParam), PointOf(lParam));
    case WM_SETCURSOR:
        if (!OnSetCursor(reinterpret_cast<HWND>(wParam), LOWORD(lParam), HIWORD(lParam)))
            return false;
        result = TRUE;
        return true;
    case WM_PAINT:
        return OnPaint();
    case WM_ERASEBKGND:
        if (!OnEraseBkgnd(reinterpret_cast<HDC>(wParam)))
            return false;
        result = TRUE;
        return true;
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC: {
        const HBRUSH brush = OnCtlColor(message, reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
        result = reinterpret_cast<LRESULT>(brush);
        return brush != nullptr;
    }
    case WM_SETTINGCHANGE:
    case WM_SYSCOLORCHANGE:
    case WM_THEMECHANGED:
        return OnLookChanged();
    case WM_DESTROY:
        OnDestroy();
        return false;
    default:
        return false;
    }
}

bool Window::OnCreate(const CREATESTRUCTW&, LRESULT&) { return false; }
bool Window::OnCommand(UINT, UINT, HWND) { return false; }
bool Window::OnReflectedCommand(UINT) { return false; }
bool Window::OnNotify(UINT, NMHDR*, LRESULT&) { return false; }
bool Window::OnTimer(UINT_PTR) { return false; }
bool Window::OnLookChanged() { return false; }
bool Window::OnSize(UINT, int, int) { return false; }
bool Window::OnDpiChanged(unsigned, const RECT&) { return false; }
bool Window::OnMouseMove(UINT, POINT) { return false; }
bool Window::OnMouseLeave() { return false; }
bool Window::OnLButtonDown(UINT, POINT) { return false; }
bool Window::OnLButtonDblClk(UINT, POINT) { return false; }
bool Window::OnLButtonUp(UINT, POINT) { return false; }
bool Window::OnKeyDown(UINT, UINT) { return false; }
bool Window::OnVScroll(UINT, int, HWND) { return false; }
bool Window::OnHScroll(UINT, int, HWND) { return false; }
bool Window::OnMouseWheel(int, UINT, POINT) { return false; }
bool Window::OnGetDlgCode(const MSG*, LRESULT&) { return false; }
bool Window::OnSetFocus(HWND) { return false; }
bool Window::OnKillFocus(HWND) { return false; }
bool Window::OnSetFont(HFONT, bool) { return false; }
bool Window::OnGetFont(HFONT&) { return false; }
bool Window::OnPrintClient(HDC, UINT) { return false; }
bool Window::OnCaptureChanged(HWND) { return false; }
bool Window::OnMouseActivate(HWND, UINT, UINT, LRESULT&) { return false; }
bool Window::OnContextMenu(HWND, POINT) { return false; }
bool Window::OnHotKey(int, UINT, UINT) { return false; }
bool Window::OnSetCursor(HWND, UINT, UINT) { return false; }
bool Window::OnPaint() { return false; }
bool Window::OnEraseBkgnd(HDC) { return false; }
HBRUSH Window::OnCtlColor(UINT, HDC, HWND) { return nullptr; }
void Window::OnDestroy() {}

LRESULT CALLBACK Window::WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    Window* self = FromHandle(window);
    if (!self && message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        self = static_cast<Window*>(create->lpCreateParams);
        self->Attach(window);
    }
    if (!self)
        return ::DefWindowProcW(window, message, wParam, lParam);

    const LRESULT result = AnswerOrDefault(
        window, message, [&] { return self->HandleMessage(message, wParam, lParam); },
        [&] { return ::DefWindowProcW(window, message, wParam, lParam); });
    if (message == WM_NCDESTROY)
        self->Detach();
    return result;
}

}  // namespace qmo
