#include "toolkit/owner_drawn_button.h"

#include <string>

#include "framework/application.h"
#include "framework/identity.h"

namespace qmo {

OwnerDrawnButton::~OwnerDrawnButton() {
    if (!m_hWnd || OwnsHandle())
        return;
    // The window belongs to a dialog that lives on: hand it back as it was.
    const HWND button = m_hWnd;
    Unsubclass();
    const auto style = static_cast<DWORD>(::GetWindowLongPtrW(button, GWL_STYLE));
    ::SetWindowLongPtrW(button, GWL_STYLE, WithType(style, m_originalStyle & BS_TYPEMASK));
    ::InvalidateRect(button, nullptr, TRUE);
}

bool OwnerDrawnButton::Create(std::wstring_view caption, DWORD style, const RECT& rect, HWND parent, UINT id) {
    if (m_hWnd)
        return false;
    const std::wstring text(caption);
    HWND button = ::CreateWindowExW(0, L"BUTTON", text.c_str(), style, rect.left, rect.top, rect.right - rect.left,
                                    rect.bottom - rect.top, parent, reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)),
                                    Application::InstanceHandle(), nullptr);
    if (!button)
        return false;
    if (!TakeOver(button, true)) {
        ::DestroyWindow(button);
        return false;
    }
    return true;
}

bool OwnerDrawnButton::Attach(HWND button) {
    return button && HasWindowClass(button, L"Button") && TakeOver(button, false);
}

bool OwnerDrawnButton::SubclassDlgItem(UINT id, HWND dialog) {
    return Attach(::GetDlgItem(dialog, static_cast<int>(id)));
}

bool OwnerDrawnButton::TakeOver(HWND button, bool owns) {
    if (!Subclass(button, owns))
        return false;
    m_originalStyle = static_cast<DWORD>(::GetWindowLongPtrW(button, GWL_STYLE));
    ::SetWindowLongPtrW(button, GWL_STYLE, WithType(m_originalStyle, BS_OWNERDRAW));
    Redraw();
    return true;
}

}  // namespace qmo
