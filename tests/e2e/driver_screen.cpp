// What the screen shows: the performance page's needles and curves, the
// popups, and the program's icon and balloons in the shell's tray.
#include "tests/e2e/driver.h"

#include <commctrl.h>

#include <memory>

#include "framework/dpi_scale.h"
#include "res/pages_resource.h"

namespace qmo::e2e {

namespace {

// The pixels of a screen rectangle, row by row, as 0x00RRGGBB.
std::vector<DWORD> CaptureScreen(const RECT& area) {
    const int width = area.right - area.left;
    const int height = area.bottom - area.top;
    std::vector<DWORD> pixels;
    if (width <= 0 || height <= 0)
        return pixels;
    HDC screen = ::GetDC(nullptr);
    HDC memory = ::CreateCompatibleDC(screen);
    HBITMAP bitmap = ::CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ old = ::SelectObject(memory, bitmap);
    ::BitBlt(memory, 0, 0, width, height, screen, area.left, area.top, SRCCOPY);
    ::SelectObject(memory, old);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top row first
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    pixels.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    if (!::GetDIBits(memory, bitmap, 0, static_cast<UINT>(height), pixels.data(), &info, DIB_RGB_COLORS))
        pixels.clear();
    ::DeleteObject(bitmap);
    ::DeleteDC(memory);
    ::ReleaseDC(nullptr, screen);
    for (DWORD& pixel : pixels)
        pixel &= 0x00FFFFFF;
    return pixels;
}

constexpr DWORD Rgb(int red, int green, int blue) {
    return static_cast<DWORD>((red << 16) | (green << 8) | blue);
}

// The visible control `id` of the page that holds control `pageMarker`.
HWND FindPageControl(HWND frame, int pageMarker, int id) {
    HWND marker = FirstShownChild(frame, [pageMarker](HWND child) { return ::GetDlgCtrlID(child) == pageMarker; });
    return marker ? ::GetDlgItem(::GetParent(marker), id) : nullptr;
}

// Columns of a control that hold at least one pixel of `colour`.
int ColumnsWith(HWND control, DWORD colour) {
    RECT placed{};
    ::GetWindowRect(control, &placed);
    const std::vector<DWORD> pixels = CaptureScreen(placed);
    const int width = placed.right - placed.left;
    int columns = 0;
    for (int x = 0; x < width && !pixels.empty(); ++x) {
        for (std::size_t at = static_cast<std::size_t>(x); at < pixels.size(); at += static_cast<std::size_t>(width))
            if (pixels[at] == colour) {
                ++columns;
                break;
            }
    }
    return columns;
}

constexpr wchar_t kPopupClass[] = L"Quenvale.PopupWindow";
constexpr int kPopupWidth = 270;
constexpr int kPopupHeight = 128;

std::vector<HWND> VisiblePopups() {
    std::vector<HWND> shown;
    for (HWND popup : TopLevelWindows(kPopupClass))
        if (::IsWindowVisible(popup))
            shown.push_back(popup);
    return shown;
}

HWND RequireOnePopup() {
    const std::vector<HWND> popups = VisiblePopups();
    if (popups.size() != 1)
        Fail(std::to_wstring(popups.size()) + L" popups are shown");
    return popups[0];
}

// The lines of `text` are `patterns`; a pattern ending in '*' matches any line it begins.
bool LinesMatch(const std::wstring& text, const std::vector<std::wstring>& patterns) {
    std::vector<std::wstring> lines;
    for (std::size_t start = 0;;) {
        const std::size_t end = text.find(L'\n', start);
        lines.push_back(text.substr(start, end == std::wstring::npos ? end : end - start));
        if (end == std::wstring::npos)
            break;
        start = end + 1;
    }
    if (lines.size() != patterns.size())
        return false;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::wstring& pattern = patterns[i];
        if (pattern.ends_with(L'*') ? !lines[i].starts_with(pattern.substr(0, pattern.size() - 1))
                                    : lines[i] != pattern)
            return false;
    }
    return true;
}

constexpr UINT kReplyTimeoutMs = 5000;

// What one of the taskbar's tooltips shows: Wine's shell keeps one per tray
// icon (the icon's tip, placed over the icon) and one per balloon. Wine's
// tooltips cannot report a balloon's title, so only its text is compared.
struct ShellTip {
    bool balloon = false;
    bool visible = false;
    bool placed = false;
    std::wstring text;
};

// The tooltips live in the shell's process, so their texts are fetched through
// a block of that process's memory.
struct TipQuery {
    TTTOOLINFOW tool;
    wchar_t text[1025];  // a tip holds at most 1024 characters
};

bool ReadTip(HWND tip, ShellTip& out) {
    RemoteBuffer remote(tip, sizeof(TipQuery), false);
    if (!remote)
        return false;
    auto* shared = reinterpret_cast<TipQuery*>(remote.At(0));
    auto query = std::make_unique<TipQuery>();
    auto put = [&] { return remote.TryWrite(0, query.get(), sizeof(TipQuery)); };
    auto get = [&] { return remote.TryRead(0, query.get(), sizeof(TipQuery)); };
    auto ask = [&](UINT message, WPARAM wParam, DWORD_PTR& result) {
        return ::SendMessageTimeoutW(tip, message, wParam, reinterpret_cast<LPARAM>(&shared->tool),
                                     SMTO_ABORTIFHUNG, kReplyTimeoutMs, &result) != 0;
    };
    // The first tool names the tip's owner; the text is then asked for it.
    DWORD_PTR found = 0, ignored = 0;
    query->tool.cbSize = sizeof(TTTOOLINFOW);
    bool ok = put() && ask(TTM_ENUMTOOLSW, 0, found) && found && get();
    if (ok) {
        query->tool.lpszText = shared->text;
        ok = put() && ask(TTM_GETTEXTW, std::size(query->text) - 1, ignored) && get();
    }
    if (!ok)
        return false;
    query->text[std::size(query->text) - 1] = L'\0';
    out.balloon = (::GetWindowLongW(tip, GWL_STYLE) & TTS_BALLOON) != 0;
    out.visible = ::IsWindowVisible(tip) != FALSE;
    out.placed = !::IsRectEmpty(&query->tool.rect);
    out.text = query->text;
    return true;
}

std::vector<ShellTip> ShellTips() {
    std::vector<ShellTip> tips;
    HWND tray = ::FindWindowW(L"Shell_TrayWnd", nullptr);
    if (!tray)
        return tips;
    for (HWND window : TopLevelWindows(TOOLTIPS_CLASSW)) {
        ShellTip tip;
        if (::GetWindow(window, GW_OWNER) == tray && ReadTip(window, tip))
            tips.push_back(tip);
    }
    return tips;
}

// An icon whose tip's first line is lines[0]; its further lines are the
// rest, when given (the tip adds the last run's result after the first).
bool TrayIconShown(const std::vector<std::wstring>& lines) {
    for (const ShellTip& tip : ShellTips()) {
        if (tip.balloon || !tip.placed)
            continue;
        if (lines.size() > 1 ? LinesMatch(tip.text, lines)
                             : tip.text.substr(0, tip.text.find(L'\n')) == lines[0])
            return true;
    }
    return false;
}

}  // namespace

// wait-live-performance: the performance page is on screen with both needles
// drawn and both history curves run over several samples.
int WaitLivePerformance(const Args& args) {
    args.Allow({}, 0);
    constexpr DWORD kNeedle = Rgb(250, 180, 21), kCurve = Rgb(255, 0, 0);
    constexpr int kSamplesSpan = 30;  // columns: a curve over some five seconds
    WaitUntil(args.timeoutMs, [&]() -> std::wstring {
        std::wstring unmet;
        HWND frame = LookUpFrame(unmet);
        if (!frame)
            return unmet;
        for (int gauge : {IDC_PERF_MEMORY_GAUGE, IDC_PERF_CPU_GAUGE}) {
            HWND control = FindPageControl(frame, IDC_PERF_MEMORY_GAUGE, gauge);
            if (!control)
                return L"the performance page is not shown";
            if (ColumnsWith(control, kNeedle) == 0)
                return L"gauge " + std::to_wstring(gauge) + L" has no needle";
        }
        for (int graph : {IDC_PERF_MEMORY_GRAPH, IDC_PERF_CPU_GRAPH}) {
            const int columns = ColumnsWith(FindPageControl(frame, IDC_PERF_MEMORY_GAUGE, graph), kCurve);
            if (columns < kSamplesSpan)
                return L"graph " + std::to_wstring(graph) + L" has a curve over only " + std::to_wstring(columns) +
                       L" columns";
        }
        return {};
    });
    return 0;
}

// wait-popup [--gone]: one popup shown in full in the bottom-right corner of
// the work area, or (--gone) none shown at all. A popup with lines under its
// message is taller: in full, its height no longer changes.
int WaitPopup(const Args& args) {
    args.Allow({L"--gone"}, 0);
    const bool gone = args.Has(L"--gone");
    LONG lastHeight = -1;
    WaitUntil(args.timeoutMs, [&]() -> std::wstring {
        const std::vector<HWND> popups = VisiblePopups();
        if (gone)
            return popups.empty() ? std::wstring() : L"a popup is still shown";
        if (popups.size() != 1)
            return std::to_wstring(popups.size()) + L" popups are shown";
        RECT area{};
        ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
        RECT placed{};
        ::GetWindowRect(popups[0], &placed);
        if (placed.right != area.right || placed.bottom != area.bottom)
            return L"the popup is not in the bottom-right corner of the work area: it ends at " +
                   std::to_wstring(placed.right) + L"," + std::to_wstring(placed.bottom) + L", the area at " +
                   std::to_wstring(area.right) + L"," + std::to_wstring(area.bottom);
        // Its size at 96 DPI, shown at the screen's.
        HDC screen = ::GetDC(nullptr);
        const unsigned dpi = static_cast<unsigned>(::GetDeviceCaps(screen, LOGPIXELSY));
        ::ReleaseDC(nullptr, screen);
        const LONG height = placed.bottom - placed.top;
        const bool sameAsBefore = height == lastHeight;
        lastHeight = height;
        if (placed.right - placed.left != qmo::ScaleForDpi(kPopupWidth, dpi) ||
            height < qmo::ScaleForDpi(kPopupHeight, dpi) || !sameAsBefore)
            return L"the popup has not reached its full size";
        return {};
    });
    return 0;
}

// no-popup MS: no popup is shown at any moment during the next MS milliseconds.
int NoPopup(const Args& args) {
    args.Allow({}, 1);
    const ULONGLONG until = ::GetTickCount64() + ParseNumber(args.words[0]);
    while (::GetTickCount64() < until) {
        if (!VisiblePopups().empty())
            Fail(L"a popup appeared");
        ::Sleep(kPollMs);
    }
    return 0;
}

// popup-colour R G B: the one popup shown has its frame in this colour.
int PopupColour(const Args& args) {
    args.Allow({}, 3);
    const DWORD expected = Rgb(static_cast<int>(ParseNumber(args.words[0])), static_cast<int>(ParseNumber(args.words[1])),
                               static_cast<int>(ParseNumber(args.words[2])));
    RECT placed{};
    ::GetWindowRect(RequireOnePopup(), &placed);
    // The frame's band left of the message panel, halfway down.
    const int y = (placed.top + placed.bottom) / 2;
    const std::vector<DWORD> band = CaptureScreen(RECT{placed.left + 1, y, placed.left + 4, y + 1});
    for (DWORD pixel : band)
        if (pixel != expected)
            Fail(L"the popup's frame is not in the expected colour");
    if (band.empty())
        Fail(L"the popup cannot be seen");
    return 0;
}

// popup-text LINE...: the one popup shown has these lines as its window text,
// what a screen reader reads; a LINE ending in '*' matches any line it begins.
int PopupText(const Args& args) {
    args.Allow({}, args.words.empty() ? 1 : args.words.size());
    const std::wstring text = TextOf(RequireOnePopup());
    if (!LinesMatch(text, args.words))
        Fail(L"the popup's window text is " + Quoted(text));
    return 0;
}

// wait-tray-icon TIP [LINE...] [--gone]: an icon with this tip is in the
// notification area (or no longer is); see TrayIconShown.
int WaitTrayIcon(const Args& args) {
    args.Allow({L"--gone"}, args.words.empty() ? 1 : args.words.size());
    const bool gone = args.Has(L"--gone");
    WaitUntil(args.timeoutMs, [&]() -> std::wstring {
        if (TrayIconShown(args.words) == gone)
            return gone ? L"the tray icon " + Quoted(args.words[0]) + L" is still shown"
                        : L"no tray icon with the tip " + Quoted(args.words[0]);
        return {};
    });
    return 0;
}

// wait-balloon TEXT: the tray shows a balloon with exactly this text.
int WaitBalloon(const Args& args) {
    args.Allow({}, 1);
    WaitUntil(args.timeoutMs, [&]() -> std::wstring {
        std::wstring seen;
        for (const ShellTip& tip : ShellTips()) {
            if (!tip.balloon || !tip.visible)
                continue;
            if (tip.text == args.words[0])
                return {};
            seen = L" (one says " + Quoted(tip.text) + L")";
        }
        return L"no balloon saying " + Quoted(args.words[0]) + seen;
    });
    return 0;
}

}  // namespace qmo::e2e
