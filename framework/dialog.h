#pragma once
// Dialogs from .rc templates, modal or modeless, on the same object model as
// windows: the object is attached at WM_INITDIALOG, and messages reach the
// same typed handlers.
#include <string>

#include "framework/window.h"

namespace qmo {

class Dialog : public Window {
public:
    explicit Dialog(UINT templateId) noexcept : m_templateId(templateId) {}

    INT_PTR DoModal(HWND parent);
    bool CreateModeless(HWND parent);
    void EndDialog(INT_PTR result);

    bool PreTranslateMessage(MSG& message) override;

    // The dialog's controls by id; null, empty or false while there is no such control.
    HWND Item(UINT id) const noexcept;
    std::wstring ItemText(UINT id) const;
    void SetItemText(UINT id, const std::wstring& text);
    bool IsItemChecked(UINT id) const noexcept;
    void CheckItem(UINT id, bool checked);
    void EnableItem(UINT id, bool enabled);
    LRESULT SendItemMessage(UINT id, UINT message, WPARAM wParam = 0, LPARAM lParam = 0);

protected:
    virtual BOOL OnInitDialog();
    // After OnInitDialog, when every control holds its first text.
    virtual void OnTextsInPlace() {}
    // Default: OK and Cancel end a modal dialog.
    bool OnCommand(UINT id, UINT code, HWND control) override;
    // A message no typed handler fits, offered before them; return true when
    // handled, with the result in `result`.
    virtual bool HandleDialogMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

private:
    static INT_PTR CALLBACK DialogProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept;

    UINT m_templateId;
    bool m_modal = false;
};

}  // namespace qmo
