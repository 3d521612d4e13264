#pragma once
// Base of every window of ours: the object is stored with its window at
// creation, and each class answers messages in one HandleMessage switch.
#include <windows.h>

#include <string>

namespace qmo {

struct WindowClass {
    const wchar_t* name = nullptr;
    UINT style = 0;
    HICON icon = nullptr;
    HCURSOR cursor = nullptr;
    HBRUSH background = nullptr;
    HICON smallIcon = nullptr;
};

// A window's whole text, however long; empty for none.
std::wstring WindowText(HWND window);

class Window {
public:
    Window() = default;
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;
    virtual ~Window();

    HWND GetSafeHwnd() const noexcept { return m_hWnd; }
    bool IsCreated() const noexcept { return m_hWnd != nullptr; }
    void DestroyWindow();

    // The object behind one of our windows or dialogs, or null.
    static Window* FromHandle(HWND window) noexcept;

    // Offered each queued message addressed to this window or a child of it
    // before it is dispatched; true consumes it.
    virtual bool PreTranslateMessage(MSG& message);

protected:
    bool Create(const WindowClass& windowClass, DWORD exStyle, const wchar_t* title, DWORD style, int x, int y,
                int width, int height, HWND parent, HMENU menuOrId);

    virtual LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT DefaultHandler(UINT message, WPARAM wParam, LPARAM lParam);

    // Dialogs attach themselves when their window procedure first sees them.
    void Attach(HWND window) noexcept;
    void Detach() noexcept;

    HWND m_hWnd = nullptr;

private:
    static LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept;
};

}  // namespace qmo
