#include "toolkit/text_fit.h"

#include <commctrl.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <string>
#include <vector>

#include "framework/unique_handle.h"
#include "framework/window.h"
#include "framework/window_dpi.h"

namespace qmo {
namespace {

constexpr double kLargestGrowth = 2.0;

std::wstring TextOf(HWND control) {
    std::wstring text(static_cast<std::size_t>(::GetWindowTextLengthW(control)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(::GetWindowTextW(control, text.data(), static_cast<int>(text.size()))));
    return text;
}

// Measures texts in a control's font.
class TextMeasure {
public:
    explicit TextMeasure(HWND control)
        : m_dc(control),
          m_font(m_dc.get(), reinterpret_cast<HGDIOBJ>(::SendMessageW(control, WM_GETFONT, 0, 0))) {}

    // The text on one line (a '&' marks a mnemonic unless `noPrefix`).
    int LineWidth(const std::wstring& text, bool noPrefix) {
        RECT needed{0, 0, 0, 0};
        ::DrawTextW(m_dc.get(), text.c_str(), -1, &needed, DT_CALCRECT | DT_SINGLELINE | Prefix(noPrefix));
        return needed.right;
    }

    // The height of the text wrapped at `width`, and the widest of its lines.
    SIZE Wrapped(const std::wstring& text, int width, bool noPrefix) {
        RECT needed{0, 0, width, 0};
        ::DrawTextW(m_dc.get(), text.c_str(), -1, &needed, DT_CALCRECT | DT_WORDBREAK | Prefix(noPrefix));
        return {needed.right, needed.bottom};
    }

    int AverageCharWidth() {
        TEXTMETRICW metrics{};
        ::GetTextMetricsW(m_dc.get(), &metrics);
        return std::max<int>(1, metrics.tmAveCharWidth);
    }

private:
    static UINT Prefix(bool noPrefix) { return noPrefix ? DT_NOPREFIX : 0; }
    window_dc m_dc;
    scoped_select m_font;
};

// The narrowest width at which the text wraps into `height`: no less than the
// widest word, found by halving between the width it has and one line.
int WrapWidth(TextMeasure& measure, const std::wstring& text, int width, int height, bool noPrefix) {
    const SIZE atWidth = measure.Wrapped(text, width, noPrefix);
    if (atWidth.cy <= height && atWidth.cx <= width)
        return width;
    int low = width;
    int high = std::max(width, measure.LineWidth(text, noPrefix));
    while (high - low > 1) {
        const int middle = low + (high - low) / 2;
        const SIZE at = measure.Wrapped(text, middle, noPrefix);
        (at.cy <= height && at.cx <= middle ? high : low) = middle;
    }
    return high;
}

double Ratio(int needed, int available) {
    return available > 0 && needed > available ? static_cast<double>(needed) / available : 1.0;
}

}  // namespace

int NeededTextWidth(HWND control) {
    const LONG style = ::GetWindowLongW(control, GWL_STYLE);
    const std::wstring text = TextOf(control);
    RECT client{};
    ::GetClientRect(control, &client);
    if (text.empty() || !(style & WS_VISIBLE))
        return client.right;
    TextMeasure measure(control);
    if (HasWindowClass(control, L"Static")) {
        const LONG type = style & SS_TYPEMASK;
        const bool noPrefix = (style & SS_NOPREFIX) != 0;
        if (type == SS_LEFTNOWORDWRAP || type == SS_SIMPLE || (style & SS_CENTERIMAGE))
            return measure.LineWidth(text, noPrefix);
        if (type != SS_LEFT && type != SS_CENTER && type != SS_RIGHT)
            return client.right;
        return WrapWidth(measure, text, client.right, client.bottom, noPrefix);
    }
    if (!HasWindowClass(control, L"Button"))
        return client.right;
    const LONG type = style & BS_TYPEMASK;
    const int margin = measure.AverageCharWidth();
    switch (type) {
    case BS_PUSHBUTTON:
    case BS_DEFPUSHBUTTON:
    case BS_GROUPBOX:
        return measure.LineWidth(text, false) + 2 * margin;
    case BS_CHECKBOX:
    case BS_AUTOCHECKBOX:
    case BS_RADIOBUTTON:
    case BS_AUTORADIOBUTTON:
    case BS_3STATE:
    case BS_AUTO3STATE: {
        const int box = SystemMetricForDpi(SM_CXMENUCHECK, WindowDpi(control)) + margin / 2;
        if (style & BS_MULTILINE)
            return WrapWidth(measure, text, client.right - box, client.bottom, false) + box;
        return measure.LineWidth(text, false) + box + 1;
    }
    case BS_OWNERDRAW: {
        // A button that draws itself says what it needs, as push buttons do.
        SIZE ideal{};
        return ::SendMessageW(control, BCM_GETIDEALSIZE, 0, reinterpret_cast<LPARAM>(&ideal)) ? ideal.cx
                                                                                               : client.right;
    }
    default:
        return client.right;
    }
}

double TextWidthNeed(HWND control) {
    RECT client{};
    ::GetClientRect(control, &client);
    return Ratio(NeededTextWidth(control), client.right);
}

namespace {

struct Placed {
    HWND control;
    RECT rect;    // in the dialog's client area
    LONG wanted;  // the width its text needs; its width when it needs no more
};

bool IsRule(HWND control) {
    return HasWindowClass(control, L"Static") && (::GetWindowLongW(control, GWL_STYLE) & SS_TYPEMASK) == SS_ETCHEDHORZ;
}

bool SideBySide(const RECT& a, const RECT& b) {
    return a.top < b.bottom && b.top < a.bottom;
}

// How far right the control may grow before the next control on its row (a
// rule beside it does not count: it starts later instead).
LONG RoomTo(const Placed& grown, const std::vector<Placed>& all, LONG gap) {
    LONG limit = LONG_MAX;
    for (const Placed& other : all) {
        if (other.control != grown.control && !IsRule(other.control) && SideBySide(other.rect, grown.rect) &&
            other.rect.left >= grown.rect.right - 1)
            limit = std::min(limit, other.rect.left - gap);
    }
    return limit;
}

// Makes room for a wider column: everything from `x` on moves right by
// `width`, and what spans across `x` stretches.
void InsertColumn(std::vector<Placed>& all, LONG x, LONG width) {
    for (Placed& item : all) {
        if (item.rect.left >= x)
            item.rect.left += width;
        if (item.rect.right > x)
            item.rect.right += width;
    }
}

void Grow(Placed& grown, std::vector<Placed>& all, LONG right, LONG gap) {
    grown.rect.right = right;
    for (Placed& other : all) {
        if (IsRule(other.control) && SideBySide(other.rect, grown.rect) && other.rect.left >= grown.rect.left &&
            other.rect.left < right + gap)
            other.rect.left = std::min(right + gap, other.rect.right);
    }
}

}  // namespace

double FitDialogToTexts(HWND dialog) {
    RECT client{};
    ::GetClientRect(dialog, &client);
    std::vector<Placed> placed;
    LONG rightmost = 0;
    bool anyNeed = false;
    for (HWND control = ::GetWindow(dialog, GW_CHILD); control; control = ::GetWindow(control, GW_HWNDNEXT)) {
        RECT rect{};
        ::GetWindowRect(control, &rect);
        ::MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
        const LONG width = rect.right - rect.left;
        const double need = std::min(TextWidthNeed(control), kLargestGrowth);
        placed.push_back({control, rect, static_cast<LONG>(std::ceil(width * need))});
        rightmost = std::max(rightmost, rect.right);
        anyNeed = anyNeed || need > 1.0;
    }
    if (!anyNeed)
        return 1.0;

    // Left to right, each control that needs room takes the free space
    // beside it; where a control stands in the way, a column as wide as the
    // rest opens there, moving what lies to its right (past the dialog's
    // right edge, which then moves out keeping its margin).
    const LONG gap = static_cast<LONG>(::MulDiv(4, static_cast<int>(WindowDpi(dialog)), 96));
    const LONG rightMargin = std::max<LONG>(0, client.right - rightmost);
    std::vector<std::size_t> order(placed.size());
    for (std::size_t index = 0; index < order.size(); ++index)
        order[index] = index;
    std::sort(order.begin(), order.end(),
              [&](std::size_t a, std::size_t b) { return placed[a].rect.left < placed[b].rect.left; });
    for (std::size_t index : order) {
        Placed& item = placed[index];
        const LONG wantedRight = item.rect.left + item.wanted;
        if (wantedRight <= item.rect.right)
            continue;
        const LONG room = RoomTo(item, placed, gap);
        if (wantedRight > room)
            InsertColumn(placed, item.rect.right, wantedRight - std::max(room, item.rect.right));
        Grow(item, placed, wantedRight, gap);
    }
    LONG width = client.right;
    for (const Placed& item : placed)
        width = std::max(width, item.rect.right + rightMargin);

    RECT window{};
    ::GetWindowRect(dialog, &window);
    const bool child = (::GetWindowLongW(dialog, GWL_STYLE) & WS_CHILD) != 0;
    if (!child) {
        // No wider than the work area of its monitor.
        MONITORINFO monitor{};
        monitor.cbSize = sizeof(monitor);
        if (::GetMonitorInfoW(::MonitorFromWindow(dialog, MONITOR_DEFAULTTONEAREST), &monitor))
            width = std::min(width, monitor.rcWork.right - monitor.rcWork.left - (window.right - window.left -
                                                                                   client.right));
        width = std::max(width, client.right);
    }
    HDWP positions = ::BeginDeferWindowPos(static_cast<int>(placed.size()));
    for (const Placed& item : placed) {
        if (positions)
            positions = ::DeferWindowPos(positions, item.control, nullptr, item.rect.left, item.rect.top,
                                         item.rect.right - item.rect.left, item.rect.bottom - item.rect.top,
                                         SWP_NOZORDER | SWP_NOACTIVATE);
    }
    if (positions)
        ::EndDeferWindowPos(positions);
    const LONG growth = width - client.right;
    if (growth > 0) {
        // A window of its own stays centred where it was; a page keeps its corner.
        const LONG left = child ? 0 : growth / 2;
        POINT corner{window.left, window.top};
        if (child)
            ::MapWindowPoints(nullptr, ::GetParent(dialog), &corner, 1);
        ::SetWindowPos(dialog, nullptr, corner.x - left, corner.y, window.right - window.left + growth,
                       window.bottom - window.top, SWP_NOZORDER | SWP_NOACTIVATE);
    }
    return client.right > 0 ? static_cast<double>(width) / client.right : 1.0;
}

}  // namespace qmo
