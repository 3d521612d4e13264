#include "pages/page_dialog.h"

#include <algorithm>

#include "framework/unique_handle.h"
#include "toolkit/ui_paint.h"

namespace qmo {

PageDialog::PageDialog(UINT templateId, std::initializer_list<UINT> optimizeButtons)
    : CResizeDialog(templateId), m_optimizeButtons(optimizeButtons) {}

bool IsPageClosingKey(const MSG& message) {
    return message.message == WM_KEYDOWN && (message.wParam == VK_RETURN || message.wParam == VK_ESCAPE);
}

bool PageDialog::PreTranslateMessage(MSG& message) {
    if (IsPageClosingKey(message))
        return true;
    return CResizeDialog::PreTranslateMessage(message);
}

void PageDialog::AttachButtons(std::initializer_list<UINT> ids) {
    for (UINT id : ids) {
        auto button = std::make_unique<qmo::ThemedButton>();
        if (button->SubclassDlgItem(id, m_hWnd))
            m_buttons[id] = std::move(button);
    }
    if (qmo::ThemedButton* optimize = Button(IDC_PAGE_OPTIMIZE_MEMORY))
        optimize->SetImage(IDB_OPTIMIZE_BUTTON);
}

qmo::ThemedButton* PageDialog::Button(UINT id) {
    const auto found = m_buttons.find(id);
    return found == m_buttons.end() ? nullptr : found->second.get();
}

bool PageDialog::OnCommand(UINT id, UINT code, HWND control) {
    if (qmo::ThemedButton::ReflectCommand(MAKEWPARAM(id, code), reinterpret_cast<LPARAM>(control)))
        return true;
    // The modeless page must never end: OK and Cancel mean nothing here.
    if (id == IDOK || id == IDCANCEL)
        return true;
    if (code == BN_CLICKED && std::find(m_optimizeButtons.begin(), m_optimizeButtons.end(), id) != m_optimizeButtons.end()) {
        RunFullOptimization();
        return true;
    }
    return false;
}

void PageDialog::RunFullOptimization() {
    if (m_gate)
        m_gate->RequestOptimization(qmo::OptimizationStart::Visible);
}

bool PageDialog::HandleDialogMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    // The default handling still sends WM_SIZE and WM_MOVE.
    if (message == WM_WINDOWPOSCHANGED)
        OnWindowPosChanged();
    return CResizeDialog::HandleDialogMessage(message, wParam, lParam, result);
}

bool PageDialog::OnEraseBkgnd(HDC) {
    return true;  // the paint covers every pixel
}

HBRUSH PageDialog::OnCtlColor(UINT message, HDC dc, HWND control) {
    if (message != WM_CTLCOLORSTATIC && message != WM_CTLCOLOREDIT && message != WM_CTLCOLORMSGBOX)
        return CResizeDialog::OnCtlColor(message, dc, control);
    ::SetBkMode(dc, TRANSPARENT);
    ::SetBkColor(dc, RGB(255, 255, 255));
    return static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH));
}

void PageDialog::OnWindowPosChanged() {
    const bool visible = (::GetWindowLongPtrW(m_hWnd, GWL_STYLE) & WS_VISIBLE) != 0;
    const bool cameUp = visible && !m_visible;
    m_visible = visible;
    if (cameUp)
        OnPageShown();
}

bool PageDialog::OnPaint() {
    qmo::PaintClientBuffered(m_hWnd, [this](HDC dc) {
        RECT client{};
        ::GetClientRect(m_hWnd, &client);
        ::FillRect(dc, &client, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
    });
    return true;
}

}  // namespace qmo
