#pragma once
// A dialog in the program's colours: dark or light as chosen, its title bar
// and controls with it, following a change while it is open.
#include "framework/dialog.h"

namespace qmo {

class ThemedDialog : public Dialog {
public:
    using Dialog::Dialog;

protected:
    // Derived dialogs call this first from their own OnInitDialog.
    BOOL OnInitDialog() override;
    // The dialog grows to texts longer than its template was drawn for.
    void OnTextsInPlace() override;
    HBRUSH OnCtlColor(UINT message, HDC dc, HWND control) override;
    bool OnLookChanged() override;
    // Push buttons painted dark; derived dialogs hand on what they do not handle.
    bool OnNotify(UINT id, NMHDR* header, LRESULT& result) override;
    // The items of its menus drawn dark.
    bool HandleDialogMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
};

}  // namespace qmo
