#include "toolkit/text_fit.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "framework/unique_handle.h"
#include "framework/window_dpi.h"

namespace qmo {
namespace {

constexpr double kLargestGrowth = 2.0;

std::wstring TextOf(HWND control) {
    std::wstring text(static_cast<std::size_t>(::GetWindowTextLengthW(control)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(::GetWindowTextW(control, text.data(), static_cast<int>(text.size()))));
    return text;
}

bool IsClass(HWND control, const wchar_t* name) {
    wchar_t className[16] = L"";
    return ::GetClassNameW(control, className, 16) > 0 && ::lstrcmpiW(className, name) == 0;
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

double TextWidthNeed(HWND control) {
    const LONG style = ::GetWindowLongW(control, GWL_STYLE);
    const std::wstring text = TextOf(control);
    if (text.empty() || !(style & WS_VISIBLE))
        return 1.0;
    RECT client{};
    ::GetClientRect(control, &client);
    TextMeasure measure(control);
    if (IsClass(control, L"Static")) {
        const LONG type = style & SS_TYPEMASK;
        const bool noPrefix = (style & SS_NOPREFIX) != 0;
        if (type == SS_LEFTNOWORDWRAP || type == SS_SIMPLE || (style & SS_CENTERIMAGE))
            return Ratio(measure.LineWidth(text, noPrefix), client.right);
        if (type != SS_LEFT && type != SS_CENTER && type != SS_RIGHT)
            return 1.0;
        return Ratio(WrapWidth(measure, text, client.right, client.bottom, noPrefix), client.right);
    }
    if (!IsClass(control, L"Button"))
        return 1.0;
    const LONG type = style & BS_TYPEMASK;
    const int margin = measure.AverageCharWidth();
    switch (type) {
    case BS_PUSHBUTTON:
    case BS_DEFPUSHBUTTON:
        return Ratio(measure.LineWidth(text, false) + 2 * margin, client.right);
    case BS_GROUPBOX:
        return Ratio(measure.LineWidth(text, false) + 2 * margin, client.right);
    case BS_CHECKBOX:
    case BS_AUTOCHECKBOX:
    case BS_RADIOBUTTON:
    case BS_AUTORADIOBUTTON:
    case BS_3STATE:
    case BS_AUTO3STATE: {
        const int box = SystemMetricForDpi(SM_CXMENUCHECK, WindowDpi(control)) + margin / 2;
        if (style & BS_MULTILINE)
            return Ratio(WrapWidth(measure, text, client.right - box, client.bottom, false) + box, client.right);
        return Ratio(measure.LineWidth(text, false) + box + 1, client.right);
    }
    default:
        return 1.0;
    }
}

namespace {

struct Placed {
    HWND control;
    RECT rect;  // in the dialog's client area
    double need;
};

bool IsRule(HWND control) {
    return IsClass(control, L"Static") && (::GetWindowLongW(control, GWL_STYLE) & SS_TYPEMASK) == SS_ETCHEDHORZ;
}

bool SideBySide(const RECT& a, const RECT& b) {
    return a.top < b.bottom && b.top < a.bottom;
}

// Grows a control that needs room to the right, into the free space before
// the next control on its row (a rule beside it starts later instead) or the
// dialog's margin; what it still needs afterwards.
double GrowIntoFreeSpace(Placed& grown, std::vector<Placed>& all, LONG rightLimit, LONG gap) {
    const LONG width = grown.rect.right - grown.rect.left;
    const auto wanted = static_cast<LONG>(std::ceil(width * grown.need));
    LONG limit = rightLimit;
    for (const Placed& other : all) {
        if (other.control == grown.control || !SideBySide(other.rect, grown.rect) || other.rect.left < grown.rect.right - 1)
            continue;
        limit = std::min(limit, IsRule(other.control) ? other.rect.right - 2 * gap : other.rect.left - gap);
    }
    const LONG right = std::min(grown.rect.left + wanted, limit);
    if (right <= grown.rect.right)
        return grown.need;
    grown.rect.right = right;
    for (Placed& other : all) {
        if (IsRule(other.control) && SideBySide(other.rect, grown.rect) && other.rect.left >= grown.rect.left &&
            other.rect.left < right + gap)
            other.rect.left = right + gap;
    }
    return static_cast<double>(wanted) / (right - grown.rect.left);
}

}  // namespace

double FitDialogToTexts(HWND dialog) {
    RECT client{};
    ::GetClientRect(dialog, &client);
    std::vector<Placed> placed;
    LONG margin = client.right;
    bool anyNeed = false;
    for (HWND control = ::GetWindow(dialog, GW_CHILD); control; control = ::GetWindow(control, GW_HWNDNEXT)) {
        RECT rect{};
        ::GetWindowRect(control, &rect);
        ::MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
        placed.push_back({control, rect, TextWidthNeed(control)});
        margin = std::min(margin, rect.left);
        anyNeed = anyNeed || placed.back().need > 1.0;
    }
    if (!anyNeed)
        return 1.0;

    // First into the room each row has; then, for what still needs more,
    // the whole dialog wider.
    const LONG gap = static_cast<LONG>(::MulDiv(4, static_cast<int>(WindowDpi(dialog)), 96));
    double factor = 1.0;
    for (Placed& item : placed) {
        if (item.need > 1.0)
            factor = std::max(factor, GrowIntoFreeSpace(item, placed, client.right - std::max(margin, gap), gap));
    }
    factor = std::min(factor, kLargestGrowth);

    RECT window{};
    ::GetWindowRect(dialog, &window);
    const bool child = (::GetWindowLongW(dialog, GWL_STYLE) & WS_CHILD) != 0;
    if (!child && factor > 1.0) {
        // No wider than the work area of its monitor.
        MONITORINFO monitor{sizeof(monitor)};
        if (client.right > 0 && ::GetMonitorInfoW(::MonitorFromWindow(dialog, MONITOR_DEFAULTTONEAREST), &monitor)) {
            const LONG frame = (window.right - window.left) - client.right;
            const LONG room = monitor.rcWork.right - monitor.rcWork.left - frame;
            factor = std::min(factor, std::max(1.0, static_cast<double>(room) / client.right));
        }
    }
    const auto scaled = [factor](LONG x) { return static_cast<int>(std::lround(x * factor)); };
    HDWP positions = ::BeginDeferWindowPos(static_cast<int>(placed.size()));
    for (const Placed& item : placed) {
        if (positions)
            positions = ::DeferWindowPos(positions, item.control, nullptr, scaled(item.rect.left), item.rect.top,
                                         scaled(item.rect.right) - scaled(item.rect.left),
                                         item.rect.bottom - item.rect.top, SWP_NOZORDER | SWP_NOACTIVATE);
    }
    if (positions)
        ::EndDeferWindowPos(positions);
    if (factor <= 1.0)
        return factor;
    const int growth = scaled(client.right) - client.right;
    // A window of its own stays centred where it was; a page keeps its corner.
    const int left = child ? 0 : growth / 2;
    POINT corner{window.left, window.top};
    if (child)
        ::MapWindowPoints(nullptr, ::GetParent(dialog), &corner, 1);
    ::SetWindowPos(dialog, nullptr, corner.x - left, corner.y, window.right - window.left + growth,
                   window.bottom - window.top, SWP_NOZORDER | SWP_NOACTIVATE);
    return factor;
}

}  // namespace qmo
