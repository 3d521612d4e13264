#include "pages/page_dialog.h"

#include <commctrl.h>

#include <algorithm>
#include <vector>

#include "framework/unique_handle.h"
#include "toolkit/dark_mode.h"
#include "toolkit/ui_paint.h"
#include "toolkit/ui_palette.h"

namespace qmo {
namespace {

// White, the dark face, or the system's window colour in high contrast.
HBRUSH PageBrush() {
    if (HBRUSH dark = DarkFaceBrush())
        return dark;
    return IsHighContrast() ? ::GetSysColorBrush(COLOR_WINDOW) : static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH));
}

// The templates list their controls in no particular order; Tab goes as a
// reader reads: row by row from the top, left to right within a row (controls
// whose middles lie within half a height of the row's first share its row).
void OrderTabStopsByPlace(HWND dialog) {
    struct Stop {
        HWND window;
        RECT rect;
    };
    std::vector<Stop> stops;
    for (HWND child = ::GetWindow(dialog, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        if (!(::GetWindowLongPtrW(child, GWL_STYLE) & WS_TABSTOP))
            continue;
        RECT rect{};
        ::GetWindowRect(child, &rect);
        stops.push_back({child, rect});
    }
    const auto middle = [](const RECT& rect) { return (rect.top + rect.bottom) / 2; };
    std::stable_sort(stops.begin(), stops.end(),
                     [&](const Stop& a, const Stop& b) { return middle(a.rect) < middle(b.rect); });
    for (std::size_t row = 0; row < stops.size();) {
        const RECT& first = stops[row].rect;
        std::size_t end = row + 1;
        while (end < stops.size() && middle(stops[end].rect) - middle(first) <= (first.bottom - first.top) / 2)
            ++end;
        std::stable_sort(stops.begin() + static_cast<std::ptrdiff_t>(row), stops.begin() + static_cast<std::ptrdiff_t>(end),
                         [](const Stop& a, const Stop& b) { return a.rect.left < b.rect.left; });
        row = end;
    }
    HWND after = HWND_TOP;
    for (const Stop& stop : stops) {
        ::SetWindowPos(stop.window, after, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_NOREDRAW);
        after = stop.window;
    }
}

}  // namespace

PageDialog::PageDialog(UINT templateId, std::initializer_list<UINT> optimizeButtons)
    : CResizeDialog(templateId), m_optimizeButtons(optimizeButtons) {}

namespace {

// The focus is in the combo box or, where it can be typed in, in its edit.
bool IsOpenDropDown(HWND focus) {
    for (HWND window : {focus, ::GetParent(focus)}) {
        wchar_t className[16] = {};
        if (window && ::GetClassNameW(window, className, static_cast<int>(std::size(className))) > 0 &&
            ::lstrcmpiW(className, WC_COMBOBOXW) == 0)
            return ::SendMessageW(window, CB_GETDROPPEDSTATE, 0, 0) != 0;
    }
    return false;
}

}  // namespace

// An open drop-down list still takes both keys: they close it, and nothing else.
bool IsPageClosingKey(const MSG& message) {
    return message.message == WM_KEYDOWN && (message.wParam == VK_RETURN || message.wParam == VK_ESCAPE) &&
           !IsOpenDropDown(message.hwnd);
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
    OrderTabStopsByPlace(m_hWnd);
}

qmo::ThemedButton* PageDialog::Button(UINT id) {
    const auto found = m_buttons.find(id);
    return found == m_buttons.end() ? nullptr : found->second.get();
}

bool PageDialog::OnCommand(UINT id, UINT code, HWND control) {
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
        m_gate->RequestOptimization(qmo::OptimizationStart::Visible, qmo::RunTrigger::Page);
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
    if (HBRUSH dark = ThemedControlColors(message, dc))
        return dark;
    ::SetBkMode(dc, TRANSPARENT);
    if (IsHighContrast()) {
        ::SetTextColor(dc, ::GetSysColor(COLOR_WINDOWTEXT));
        ::SetBkColor(dc, ::GetSysColor(COLOR_WINDOW));
    } else {
        ::SetBkColor(dc, RGB(255, 255, 255));
    }
    return PageBrush();
}

void PageDialog::OnWindowPosChanged() {
    const bool visible = (::GetWindowLongPtrW(m_hWnd, GWL_STYLE) & WS_VISIBLE) != 0;
    const bool cameUp = visible && !m_visible;
    m_visible = visible;
    if (cameUp) {
        EnableOptimizeButtons();
        OnPageShown();
    }
}

void PageDialog::Refresh() {
    if (!m_hWnd || !m_visible)
        return;
    EnableOptimizeButtons();
    OnPageShown();
}

void PageDialog::EnableOptimizeButtons() {
    const bool allowed = ManualOptimizationAllowed();
    for (const UINT id : m_optimizeButtons)
        if (HWND button = ::GetDlgItem(m_hWnd, static_cast<int>(id)); button && ::IsWindowEnabled(button) != allowed)
            ::EnableWindow(button, allowed);
}

bool PageDialog::OnPaint() {
    qmo::PaintClientBuffered(m_hWnd, [this](HDC dc) {
        RECT client{};
        ::GetClientRect(m_hWnd, &client);
        ::FillRect(dc, &client, PageBrush());
    });
    return true;
}

}  // namespace qmo
