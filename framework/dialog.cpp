#include "framework/dialog.h"

#include <commctrl.h>

#include "framework/application.h"
#include "framework/escaped_exception.h"
#include "framework/resource_language.h"

namespace qmo {
namespace {

// Messages whose answer a dialog procedure returns itself instead of through
// DWLP_MSGRESULT.
bool ReturnsResultDirectly(UINT message) {
    return (message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC) || message == WM_INITDIALOG ||
           message == WM_COMPAREITEM || message == WM_VKEYTOITEM || message == WM_CHARTOITEM ||
           message == WM_QUERYDRAGICON;
}

// The common controls' window classes, registered before the first dialog that
// may hold one: comctl32 is loaded at its first call, not at start.
void RegisterCommonControls() {
    static const bool registered = [] {
        INITCOMMONCONTROLSEX controls{};
        controls.dwSize = sizeof(controls);
        controls.dwICC = ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES;
        return ::InitCommonControlsEx(&controls) != FALSE;
    }();
    (void)registered;
}

}  // namespace

INT_PTR Dialog::DoModal(HWND parent) {
    if (m_hWnd)
        return -1;
    m_modal = true;
    RegisterCommonControls();
    const DLGTEMPLATE* dialogTemplate = LanguageDialogTemplate(m_templateId);
    const INT_PTR result = dialogTemplate ? ::DialogBoxIndirectParamW(Application::InstanceHandle(), dialogTemplate, parent,
                                                                      &Dialog::DialogProcedure,
                                                                      reinterpret_cast<LPARAM>(this))
                                          : -1;
    m_modal = false;
    return result;
}

bool Dialog::CreateModeless(HWND parent) {
    if (m_hWnd)
        return false;
    m_modal = false;
    RegisterCommonControls();
    const DLGTEMPLATE* dialogTemplate = LanguageDialogTemplate(m_templateId);
    return dialogTemplate && ::CreateDialogIndirectParamW(Application::InstanceHandle(), dialogTemplate, parent,
                                                          &Dialog::DialogProcedure,
                                                          reinterpret_cast<LPARAM>(this)) != nullptr;
}

void Dialog::EndDialog(INT_PTR result) {
    if (!m_hWnd)
        return;
    if (m_modal)
        ::EndDialog(m_hWnd, result);
    else
        DestroyWindow();
}

bool Dialog::PreTranslateMessage(MSG& message) {
    return !m_modal && m_hWnd && ::IsDialogMessageW(m_hWnd, &message);
}

BOOL Dialog::OnInitDialog() {
    return TRUE;
}

bool Dialog::OnCommand(UINT id, UINT, HWND) {
    if (id == IDOK || id == IDCANCEL) {
        EndDialog(id);
        return true;
    }
    return false;
}

bool Dialog::HandleDialogMessage(UINT, WPARAM, LPARAM, LRESULT&) {
    return false;
}

HWND Dialog::Item(UINT id) const noexcept {
    return m_hWnd ? ::GetDlgItem(m_hWnd, static_cast<int>(id)) : nullptr;
}

std::wstring Dialog::ItemText(UINT id) const {
    const HWND item = Item(id);
    return item ? WindowText(item) : std::wstring();
}

void Dialog::SetItemText(UINT id, const std::wstring& text) {
    if (const HWND item = Item(id))
        ::SetWindowTextW(item, text.c_str());
}

bool Dialog::IsItemChecked(UINT id) const noexcept {
    return m_hWnd && ::IsDlgButtonChecked(m_hWnd, static_cast<int>(id)) == BST_CHECKED;
}

void Dialog::CheckItem(UINT id, bool checked) {
    if (m_hWnd)
        ::CheckDlgButton(m_hWnd, static_cast<int>(id), checked ? BST_CHECKED : BST_UNCHECKED);
}

void Dialog::EnableItem(UINT id, bool enabled) {
    if (const HWND item = Item(id))
        ::EnableWindow(item, enabled ? TRUE : FALSE);
}

LRESULT Dialog::SendItemMessage(UINT id, UINT message, WPARAM wParam, LPARAM lParam) {
    const HWND item = Item(id);
    return item ? ::SendMessageW(item, message, wParam, lParam) : 0;
}

INT_PTR CALLBACK Dialog::DialogProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    auto* self = static_cast<Dialog*>(FromHandle(window));
    bool starting = false;
    if (!self && message == WM_INITDIALOG) {
        self = reinterpret_cast<Dialog*>(lParam);
        // A modal dialog's window belongs to DialogBox, which ends it.
        self->Attach(window, !self->m_modal);
        starting = true;
    }
    if (!self)
        return FALSE;

    // Only the system's first WM_INITDIALOG; another program's would start the dialog over.
    if (message == WM_INITDIALOG && !starting)
        return FALSE;
    struct Outcome {
        bool handled = false;
        LRESULT result = 0;
    };
    // A handler that throws leaves the message to the dialog manager.
    const auto [handled, result] = AnswerOrDefault(
        window, message,
        [&] {
            Outcome outcome;
            if (message == WM_INITDIALOG) {
                outcome.handled = true;
                outcome.result = self->OnInitDialog();
                self->OnTextsInPlace();
            } else if (self->HandleDialogMessage(message, wParam, lParam, outcome.result)) {
                outcome.handled = true;
            } else {
                outcome.handled = self->DispatchTyped(message, wParam, lParam, outcome.result);
            }
            return outcome;
        },
        [] { return Outcome{}; });

    if (message == WM_NCDESTROY) {
        self->Detach();
        return handled ? TRUE : FALSE;
    }
    if (!handled)
        return FALSE;
    if (ReturnsResultDirectly(message))
        return static_cast<INT_PTR>(result);
    ::SetWindowLongPtrW(window, DWLP_MSGRESULT, result);
    return TRUE;
}

}  // namespace qmo
