#pragma once
// What a self-drawn control tells a screen reader: an accessible object
// (IAccessible) over the small description below, handed out on WM_GETOBJECT.
// A control implements AccessibleSource in a few lines, holds an
// AccessibleHost and offers it every message first:
//
//   if (LRESULT answer = 0; m_accessible.HandleMessage(m_hWnd, message, wParam, lParam, answer))
//       return answer;
//
// A screen reader may keep the object after the control is gone: once the
// window is destroyed (or the host goes) it answers CO_E_OBJNOTCONNECTED and
// never touches the control again.
#include <windows.h>
#include <oleacc.h>

#include <string>
#include <string_view>

namespace qmo {

// The control itself (child 0, CHILDID_SELF) or one of its children (1..n).
struct AccessibleElement {
    long role = ROLE_SYSTEM_CLIENT;
    std::wstring name;
    std::wstring value;
    long state = 0;
    RECT bounds{};               // client coordinates; for the control itself its whole client area
    std::wstring defaultAction;  // empty: none
};

class AccessibleSource {
public:
    virtual int AccessibleChildCount() const { return 0; }
    // `child` in 0..AccessibleChildCount().
    virtual AccessibleElement DescribeAccessible(int child) const = 0;
    // Does what a click on `child` does; false when it has no action.
    virtual bool DoAccessibleAction(int child) { return false; }
    // The child that has the keyboard focus while the control has it; 0 for the control itself.
    virtual int AccessibleFocus() const { return 0; }

protected:
    ~AccessibleSource() = default;
};

class AccessibleObject;

class AccessibleHost {
public:
    explicit AccessibleHost(AccessibleSource& source) noexcept : m_source(source) {}
    AccessibleHost(const AccessibleHost&) = delete;
    AccessibleHost& operator=(const AccessibleHost&) = delete;
    ~AccessibleHost() { Disconnect(); }

    // WM_GETOBJECT for the client area: our object; WM_DESTROY: the object
    // lets go of the control. False for everything else, WM_DESTROY included.
    bool HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
    void Disconnect() noexcept;

    // Tells listening screen readers that `child` took the focus or the selection.
    static void NotifyFocus(HWND window, int child) noexcept;
    static void NotifySelection(HWND window, int child) noexcept;

private:
    AccessibleSource& m_source;
    AccessibleObject* m_object = nullptr;  // one reference, while connected
};

// Accessible objects alive in this process (a leak shows as one too many).
long LiveAccessibleObjects() noexcept;

// A window's text without the ampersands that mark its access key.
std::wstring TextWithoutAccessKey(std::wstring_view text);

}  // namespace qmo
