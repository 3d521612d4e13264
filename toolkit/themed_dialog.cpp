#include "toolkit/themed_dialog.h"

#include <commctrl.h>

#include "toolkit/dark_menu.h"
#include "toolkit/dark_mode.h"
#include "toolkit/text_fit.h"
#include "toolkit/ui_palette.h"

namespace qmo {

BOOL ThemedDialog::OnInitDialog() {
    const bool dark = DarkColorsInUse();
    if (!(::GetWindowLongPtrW(m_hWnd, GWL_STYLE) & WS_CHILD))
        ApplyTitleBarColors(m_hWnd, dark);
    // Light is how the controls come: only dark has anything to change.
    if (dark)
        ApplyControlColors(m_hWnd, true);
    return Dialog::OnInitDialog();
}

void ThemedDialog::OnTextsInPlace() {
    FitDialogToTexts(m_hWnd);
}

HBRUSH ThemedDialog::OnCtlColor(UINT message, HDC dc, HWND control) {
    if (HBRUSH brush = ThemedControlColors(message, dc))
        return brush;
    return Dialog::OnCtlColor(message, dc, control);
}

bool ThemedDialog::OnLookChanged() {
    const bool dark = DarkColorsInUse();
    if (!(::GetWindowLongPtrW(m_hWnd, GWL_STYLE) & WS_CHILD))
        ApplyTitleBarColors(m_hWnd, dark);
    ApplyControlColors(m_hWnd, dark);
    ::RedrawWindow(m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
    return Dialog::OnLookChanged();
}

bool ThemedDialog::OnNotify(UINT id, NMHDR* header, LRESULT& result) {
    if (header->code == NM_CUSTOMDRAW && PaintDarkPushButton(*reinterpret_cast<NMCUSTOMDRAW*>(header), result))
        return true;
    return Dialog::OnNotify(id, header, result);
}

bool ThemedDialog::HandleDialogMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    if (AnswerMenuItemMessage(m_hWnd, message, lParam)) {
        result = TRUE;
        return true;
    }
    return Dialog::HandleDialogMessage(message, wParam, lParam, result);
}

}  // namespace qmo
