#include "framework/subclassed_control.h"

#include <commctrl.h>

#include "framework/escaped_exception.h"

namespace qmo {
namespace {

constexpr UINT_PTR kSubclassId = 0x5153;  // ours among a control's subclasses

}  // namespace

SubclassedControl::~SubclassedControl() {
    const HWND window = m_hWnd;
    const bool owned = OwnsHandle();
    Unsubclass();
    if (owned)
        ::DestroyWindow(window);
}

bool SubclassedControl::Subclass(HWND control, bool owns) {
    if (m_hWnd || !control || Window::FromHandle(control))
        return false;
    if (!::SetWindowSubclass(control, &SubclassedControl::Procedure, kSubclassId, reinterpret_cast<DWORD_PTR>(this)))
        return false;
    Attach(control, owns);
    return true;
}

void SubclassedControl::Unsubclass() noexcept {
    if (!m_hWnd)
        return;
    ::RemoveWindowSubclass(m_hWnd, &SubclassedControl::Procedure, kSubclassId);
    Detach();
}

LRESULT SubclassedControl::DefaultHandler(UINT message, WPARAM wParam, LPARAM lParam) {
    return ::DefSubclassProc(m_hWnd, message, wParam, lParam);
}

LRESULT SubclassedControl::ReceiveMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    return HandleMessage(message, wParam, lParam);
}

LRESULT CALLBACK SubclassedControl::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                              DWORD_PTR data) noexcept {
    auto* self = reinterpret_cast<SubclassedControl*>(data);
    if (message == WM_NCDESTROY) {
        self->Unsubclass();
        return ::DefSubclassProc(window, message, wParam, lParam);
    }
    return AnswerOrDefault(
        window, message, [&] { return self->ReceiveMessage(message, wParam, lParam); },
        [&] { return ::DefSubclassProc(window, message, wParam, lParam); });
}

}  // namespace qmo
