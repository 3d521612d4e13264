#pragma once
// Dialogs from .rc templates, modal or modeless, on the same object model as
// windows: the object is attached at WM_INITDIALOG.
#include "framework/window.h"

namespace qmo {

class Dialog : public Window {
public:
    explicit Dialog(UINT templateId) noexcept : m_templateId(templateId) {}

    INT_PTR DoModal(HWND parent);
    bool CreateModeless(HWND parent);
    void EndDialog(INT_PTR result);

    bool PreTranslateMessage(MSG& message) override;

protected:
    virtual BOOL OnInitDialog();
    // Default: OK and Cancel end a modal dialog.
    virtual bool OnCommand(UINT id, UINT code, HWND control);
    // Answers a message; return true when handled, with the result in `result`.
    virtual bool HandleDialogMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

private:
    static INT_PTR CALLBACK DialogProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept;

    UINT m_templateId;
    bool m_modal = false;
};

}  // namespace qmo
