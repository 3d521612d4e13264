#pragma once
// Base of every window of ours: the object is stored with its window at
// creation. Messages are cracked once, here, into the typed handlers below;
// a class overrides the handlers it needs and HandleMessage only for a
// message no handler fits.
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
// A WM_SETTINGCHANGE's lParam names `area` ("Policy", "ImmersiveColorSet"...).
bool IsSettingChangeOf(LPARAM lParam, const wchar_t* area) noexcept;
// The window is of the system class `name` ("Button", "Static"...), in any case.
bool HasWindowClass(HWND window, const wchar_t* name);

class Window {
public:
    Window() = default;
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;
    // Lets go of the window first, so that no message reaches a half-destroyed
    // object, then destroys it if this object made it.
    virtual ~Window();

    HWND GetSafeHwnd() const noexcept { return m_hWnd; }
    bool IsCreated() const noexcept { return m_hWnd != nullptr; }
    // True for a window this object made and must destroy; false for one it
    // only took over, or a modal dialog, which the system ends.
    bool OwnsHandle() const noexcept { return m_hWnd != nullptr && m_ownsHandle; }
    void DestroyWindow();

    // The object behind one of our windows or dialogs, or null.
    static Window* FromHandle(HWND window) noexcept;
    // The program's own colours changed: the window does what it does when
    // the system's change, without the system control it may have taken
    // over hearing of it.
    void TellLookChanged() { OnLookChanged(); }

    // Offered each queued message addressed to this window or a child of it
    // before it is dispatched; true consumes it.
    virtual bool PreTranslateMessage(MSG& message);

protected:
    bool Create(const WindowClass& windowClass, DWORD exStyle, const wchar_t* title, DWORD style, int x, int y,
                int width, int height, HWND parent, HMENU menuOrId);
    // A child control of our own class at `rect` of its parent, with control id `id`.
    bool CreateChild(const WindowClass& windowClass, const wchar_t* title, DWORD style, const RECT& rect, HWND parent,
                     UINT id) {
        return Create(windowClass, 0, title, style, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
                      parent, reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)));
    }

    // Raw messages: the typed handlers first, then the default processing.
    virtual LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    // What the window would do without us: DefWindowProc here, the original
    // procedure for a control taken over.
    virtual LRESULT DefaultHandler(UINT message, WPARAM wParam, LPARAM lParam);
    // Cracks a message into its typed handler; false when no handler took it.
    bool DispatchTyped(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

    // What the default processing answers to the message being handled now,
    // for a typed handler that adds to it rather than replacing it.
    LRESULT Default();

    // Typed handlers. Each returns true when it handled the message; false
    // (what the defaults here return) leaves it to the default processing.
    // WM_CREATE; `result` 0 makes the window, -1 refuses it.
    virtual bool OnCreate(const CREATESTRUCTW& create, LRESULT& result);
    virtual bool OnCommand(UINT id, UINT code, HWND control);
    // A command this control sent its parent, offered back to it first by any
    // parent of ours (a button hears its own click); true: taken.
    virtual bool OnReflectedCommand(UINT code);
    virtual bool OnNotify(UINT id, NMHDR* header, LRESULT& result);
    virtual bool OnTimer(UINT_PTR id);
    // The system's settings, colours or visual theme changed.
    virtual bool OnLookChanged();
    virtual bool OnSize(UINT type, int width, int height);
    // The window is now shown at `dpi` (dragged to another monitor, or the
    // scale changed); `suggested` is the rectangle the system proposes for it.
    virtual bool OnDpiChanged(unsigned dpi, const RECT& suggested);
    virtual bool OnMouseMove(UINT flags, POINT point);
    virtual bool OnMouseLeave();
    virtual bool OnLButtonDown(UINT flags, POINT point);
    virtual bool OnLButtonDblClk(UINT flags, POINT point);
    virtual bool OnLButtonUp(UINT flags, POINT point);
    // `flags`: the key message's high word (KF_REPEAT, KF_EXTENDED...).
    virtual bool OnKeyDown(UINT key, UINT flags);
    virtual bool OnVScroll(UINT code, int position, HWND scrollBar);
    virtual bool OnHScroll(UINT code, int position, HWND scrollBar);
    // `delta` in WHEEL_DELTA steps, positive away from the user; `screen`: the cursor.
    virtual bool OnMouseWheel(int delta, UINT keys, POINT screen);
    // The dialog manager asks which keys the control wants; `queued` is the
    // key message in question, or null. `code` is the answer.
    virtual bool OnGetDlgCode(const MSG* queued, LRESULT& code);
    virtual bool OnSetFocus(HWND previous);
    virtual bool OnKillFocus(HWND next);
    virtual bool OnSetFont(HFONT font, bool redraw);
    virtual bool OnGetFont(HFONT& font);
    // Paint the client area into `dc` (a picture of the window is being taken).
    virtual bool OnPrintClient(HDC dc, UINT flags);
    // The mouse capture went to `gaining` (or nowhere).
    virtual bool OnCaptureChanged(HWND gaining);
    // A click is about to activate the window; `answer` is an MA_* code.
    virtual bool OnMouseActivate(HWND topLevel, UINT hitTest, UINT mouseMessage, LRESULT& answer);
    // A system-wide key combination registered on this window was pressed.
    virtual bool OnHotKey(int id, UINT modifiers, UINT virtualKey);
    virtual bool OnContextMenu(HWND window, POINT screen);
    // True: the cursor is set, stop looking further.
    virtual bool OnSetCursor(HWND window, UINT hitTest, UINT mouseMessage);
    virtual bool OnPaint();
    // True: the background is taken care of (the paint covers it).
    virtual bool OnEraseBkgnd(HDC dc);
    // Any WM_CTLCOLOR* message; a null brush leaves it to the default.
    virtual HBRUSH OnCtlColor(UINT message, HDC dc, HWND control);
    // The window is going; the default processing still follows.
    virtual void OnDestroy();

    // Dialogs attach themselves when their window procedure first sees them;
    // controls taken over attach without owning.
    void Attach(HWND window, bool owns = true) noexcept;
    void Detach() noexcept;

    HWND m_hWnd = nullptr;

private:
    static LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept;

    bool m_ownsHandle = false;
    // The message DispatchTyped is cracking, for Default().
    struct CurrentMessage {
        UINT message = 0;
        WPARAM wParam = 0;
        LPARAM lParam = 0;
    };
    CurrentMessage m_current;
};

}  // namespace qmo
