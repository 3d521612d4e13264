#include "perf/performance_controls.h"

#include <algorithm>
#include <string_view>

#include "framework/text.h"
#include "framework/window_dpi.h"
#include "perf/perf_win32.h"
#include "toolkit/ui_fonts.h"
#include "toolkit/ui_palette.h"

namespace qmo {
namespace {

Color ToColor(COLORREF color) noexcept {
    return {GetRValue(color), GetGValue(color), GetBValue(color)};
}

}  // namespace

qmo::PerfColors SystemPerfColors() {
    return qmo::HighContrastPerfColors(ToColor(::GetSysColor(COLOR_WINDOW)), ToColor(::GetSysColor(COLOR_WINDOWTEXT)),
                                       ToColor(::GetSysColor(COLOR_HIGHLIGHT)),
                                       ToColor(::GetSysColor(COLOR_HOTLIGHT)));
}

qmo::PerfColors CurrentPerfColors() {
    if (qmo::IsHighContrast())
        return SystemPerfColors();
    return qmo::DarkColorsInUse() ? qmo::kDarkPerfColors : qmo::kPerfColors;
}

void PaintedButton::PaintTo(HDC dc, unsigned dpi) {
    RECT client{};
    ::GetClientRect(m_hWnd, &client);
    const qmo::PerfLook look{dpi, m_colors};
    const int width = client.right;
    const int height = client.bottom;
    m_picture.Paint(
        dc, width, height, look, qmo::StandardInterfaceFont(dpi),
        [&](qmo::Canvas& canvas) { PaintStill(canvas, width, height, look); },
        [&](qmo::Canvas& canvas) { PaintMoving(canvas, width, height, look); });
}

void PaintedButton::SetColors(const qmo::PerfColors& colors) {
    if (colors == m_colors)
        return;
    m_colors = colors;
    if (m_hWnd)
        ::InvalidateRect(m_hWnd, nullptr, FALSE);
}

bool PaintedButton::OnPaint() {
    qmo::paint_dc dc(m_hWnd);
    Paint(dc.get());
    return true;
}

void PaintedButton::Paint(HDC dc) {
    PaintTo(dc, qmo::WindowDpi(m_hWnd));
}

qmo::AccessibleElement PaintedButton::DescribeFigure(long role, const std::string& caption,
                                                    const std::string& shown) const {
    const auto trimmed = [](std::string_view text) {
        const std::size_t first = text.find_first_not_of(' ');
        return first == std::string_view::npos ? std::wstring()
                                               : qmo::Widen(text.substr(first, text.find_last_not_of(' ') - first + 1));
    };
    qmo::AccessibleElement element;
    element.role = role;
    element.name = trimmed(caption);
    element.value = trimmed(std::string_view(shown).substr(std::min(caption.size(), shown.size())));
    element.state = STATE_SYSTEM_READONLY;
    ::GetClientRect(m_hWnd, &element.bounds);
    return element;
}

qmo::AccessibleElement CGaugeCtrl::DescribeAccessible(int) const {
    return DescribeFigure(ROLE_SYSTEM_DIAL, m_model.m_strCaption, m_model.Text());
}

qmo::AccessibleElement CHistoryGraphCtrl::DescribeAccessible(int) const {
    return DescribeFigure(ROLE_SYSTEM_CHART, m_model.m_strCaption, m_model.Text());
}

void CGaugeCtrl::PaintStill(qmo::Canvas& canvas, int width, int height, const qmo::PerfLook& look) {
    qmo::PaintGaugeFace(canvas, width, height, look);
}

void CGaugeCtrl::PaintMoving(qmo::Canvas& canvas, int width, int height, const qmo::PerfLook& look) {
    qmo::PaintGaugeValue(canvas, m_model, width, height, look);
}

void CHistoryGraphCtrl::PaintStill(qmo::Canvas& canvas, int width, int height, const qmo::PerfLook& look) {
    qmo::PaintGraphGrid(canvas, width, height, look);
}

void CHistoryGraphCtrl::PaintMoving(qmo::Canvas& canvas, int width, int height, const qmo::PerfLook& look) {
    qmo::PaintGraphCurve(canvas, m_model, width, height, look);
}

}  // namespace qmo
