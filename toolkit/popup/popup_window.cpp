#include "toolkit/popup/popup_window.h"
#include "toolkit/ui_palette.h"

#include <windowsx.h>

#include <algorithm>

#include "framework/application.h"
#include "framework/text.h"
#include "framework/window_dpi.h"
#include "toolkit/ui_paint.h"

namespace qmo {
namespace {

constexpr UINT_PTR kSlideTimer = 1;
constexpr UINT_PTR kDisplayTimer = 2;

ULONGLONG Now() noexcept {
    return ::GetTickCount64();
}

UINT TextFormat(PopupTextLayout layout) noexcept {
    if (layout == PopupTextLayout::WordWrapped)
        return DT_LEFT | DT_TOP | DT_WORDBREAK | DT_NOPREFIX;
    return DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS;
}

// The system's icon-title face at `dpi`, as the popup draws its texts.
unique_font MakePopupFont(unsigned dpi, bool bold, bool underline) {
    LOGFONTW face{};
    if (!::SystemParametersInfoW(SPI_GETICONTITLELOGFONT, sizeof(face), &face, 0))
        ::GetObjectW(::GetStockObject(DEFAULT_GUI_FONT), sizeof(face), &face);
    // The system sizes it for the screen's DPI.
    const unsigned screen = WindowDpi(nullptr);
    if (dpi != screen)
        face.lfHeight = ::MulDiv(face.lfHeight, static_cast<int>(dpi), static_cast<int>(screen));
    face.lfWeight = bold ? FW_BOLD : FW_NORMAL;
    face.lfUnderline = underline ? TRUE : FALSE;
    return unique_font(::CreateFontIndirectW(&face));
}

// Texts that fit their height to their words, measured with the fonts they
// are drawn in; the elements under them make room.
PopupContent MeasuredAt(PopupContent content, unsigned dpi) {
    unique_dc measure(::CreateCompatibleDC(nullptr));
    std::array<unique_font, 2> fonts{MakePopupFont(dpi, false, false), MakePopupFont(dpi, true, false)};
    return FittedToMeasuredTexts(std::move(content), [&](const PopupElement& element) {
        const HFONT font = fonts[element.bold ? 1 : 0].get();
        if (!measure || !font)
            return 0;
        scoped_select selected(measure.get(), font);
        RECT bounds = ToRect(element.rect);
        const std::wstring text = Widen(element.text);
        if (!::DrawTextW(measure.get(), text.c_str(), -1, &bounds, TextFormat(element.layout) | DT_CALCRECT))
            return 0;
        return static_cast<int>(bounds.bottom - bounds.top);
    });
}

}  // namespace

// Held by every entry point that may call out to the owner; the last one out
// carries out a release that came in meanwhile.
class PopupWindow::Busy {
public:
    explicit Busy(PopupWindow& popup) noexcept : m_popup(popup) { m_popup.m_gate.Enter(); }
    Busy(const Busy&) = delete;
    Busy& operator=(const Busy&) = delete;
    ~Busy() {
        if (m_popup.m_gate.Leave())
            delete &m_popup;
    }

private:
    PopupWindow& m_popup;
};

void PopupRelease::operator()(PopupWindow* popup) const noexcept {
    if (popup)
        popup->Release();
}

PopupPtr PopupWindow::Make(PopupContent content) {
    const RECT area = WorkArea();
    const unsigned dpi = MonitorDpiAt(POINT{area.right - 1, area.bottom - 1});
    return PopupPtr(new PopupWindow(MeasuredAt(ScaledForDpi(std::move(content), dpi), dpi), area, dpi));
}

PopupWindow::PopupWindow(PopupContent content, const RECT& workArea, unsigned dpi)
    : m_content(std::move(content)), m_timeline(m_content.height, m_content.timing), m_workArea(workArea),
      m_dpi(dpi) {
    m_timeline.SetStateListener([this](PopupState state) { OnStateChanged(state); });
}

// The primary monitor's work area. Wine reads the system parameter once per
// process and keeps it, so a taskbar that came after that first read is
// missing from it, while the monitor's figure is kept current; the popup
// keeps inside both (on Windows they are the same).
RECT PopupWindow::WorkArea() noexcept {
    RECT area{};
    if (!::SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0))
        area = RECT{0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    RECT inBoth{};
    if (::GetMonitorInfoW(::MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY), &monitor) &&
        ::IntersectRect(&inBoth, &area, &monitor.rcWork))
        area = inBoth;
    return area;
}

bool PopupWindow::OnLookChanged() {
    // The colours may have changed with the high-contrast mode.
    m_canvasDirty = true;
    Redraw();
    Sync();  // and to the corner of a work area that changed
    return false;  // the default processing as well
}

PopupWindow::~PopupWindow() = default;

void PopupWindow::Release() noexcept {
    if (m_gate.Release()) {
        delete this;
        return;
    }
    // The delete waits for our handler; meanwhile the popup is gone from the
    // screen and tells its owner nothing more, so a replacement shown from a
    // modal loop does not have the old one running beside it.
    m_owner = nullptr;
    if (m_hWnd) {
        ::KillTimer(m_hWnd, kSlideTimer);
        ::KillTimer(m_hWnd, kDisplayTimer);
        m_slideTimerOn = false;
        m_displayTimerDue = 0;
        ::ShowWindow(m_hWnd, SW_HIDE);
    }
}

RECT PopupWindow::FullRect() const noexcept {
    return RECT{m_workArea.right - m_content.width, m_workArea.bottom - m_content.height, m_workArea.right,
                m_workArea.bottom};
}

bool PopupWindow::Show(HWND owner, UINT notifyMessage) {
    if (IsCreated() || m_timeline.State() != PopupState::Hidden)
        return false;
    Busy busy(*this);
    m_owner = owner;
    m_notifyMessage = notifyMessage;
    PrepareContent();

    const RECT full = FullRect();
    WindowClass windowClass{kPopupWindowClassName};
    windowClass.cursor = ::LoadCursorW(nullptr, IDC_ARROW);
    // No background brush: every pixel comes from the canvas.
    if (!Window::Create(windowClass, WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE,
                        Widen(m_content.windowText).c_str(), WS_POPUP, full.left, full.bottom, m_content.width, 0,
                        owner, nullptr))
        return false;
    ::SetWindowPos(m_hWnd, HWND_TOPMOST, full.left, full.bottom, m_content.width, 0,
                   SWP_NOACTIVATE | SWP_SHOWWINDOW);
    m_shownHeight = 0;
    m_timeline.Start(Now());
    Sync();
    return true;
}

void PopupWindow::CloseNow() {
    Busy busy(*this);
    m_timeline.CloseNow();
}

void PopupWindow::PrepareContent() {
    m_texts.clear();
    for (const PopupElement& element : m_content.elements.All())
        m_texts.push_back(Widen(element.text));
    LoadArt();
}

void PopupWindow::LoadArt() {
    const HINSTANCE instance = Application::InstanceHandle();
    m_art.clear();
    m_art.resize(m_content.elements.Count());
    for (std::size_t i = 0; i < m_content.elements.Count(); ++i) {
        const PopupElement& element = m_content.elements[i];
        ElementArt& art = m_art[i];
        if (element.image == PopupImage::Icon) {
            art.icon.reset(static_cast<HICON>(::LoadImageW(instance, MAKEINTRESOURCEW(element.imageResource),
                                                           IMAGE_ICON, element.imageWidth, element.imageHeight,
                                                           LR_DEFAULTCOLOR)));
        } else if (element.image == PopupImage::CloseButton) {
            art.image.reset(static_cast<HBITMAP>(
                ::LoadImageW(instance, MAKEINTRESOURCEW(element.imageResource), IMAGE_BITMAP, 0, 0, 0)));
            BITMAP info{};
            if (!art.image || !::GetObjectW(art.image.get(), sizeof(info), &info))
                continue;
            art.cell = SIZE{info.bmWidth / 3, info.bmHeight};
            // Black pixels become white in a one-bit copy: the mask of what shows through.
            art.mask.reset(::CreateBitmap(info.bmWidth, info.bmHeight, 1, 1, nullptr));
            unique_dc source(::CreateCompatibleDC(nullptr));
            unique_dc target(::CreateCompatibleDC(nullptr));
            if (!art.mask || !source || !target)
                continue;
            scoped_select sourceImage(source.get(), art.image.get());
            scoped_select targetMask(target.get(), art.mask.get());
            ::SetBkColor(source.get(), RGB(0, 0, 0));
            ::BitBlt(target.get(), 0, 0, info.bmWidth, info.bmHeight, source.get(), 0, 0, SRCCOPY);
        }
    }
}

HFONT PopupWindow::Font(bool bold, bool underline) {
    unique_font& font = m_fonts[(bold ? 2 : 0) + (underline ? 1 : 0)];
    if (!font)
        font = MakePopupFont(m_dpi, bold, underline);
    return font.get();
}

LRESULT PopupWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    // The window's last message: the framework lets go of the object after
    // it, so no delete may happen inside.
    if (message == WM_NCDESTROY)
        return DefaultHandler(message, wParam, lParam);
    Busy busy(*this);
    return Dispatch(message, wParam, lParam);
}

LRESULT PopupWindow::Dispatch(UINT message, WPARAM wParam, LPARAM lParam) {
    if (LRESULT answer = 0; m_accessible.HandleMessage(m_hWnd, message, wParam, lParam, answer))
        return answer;
    return Window::HandleMessage(message, wParam, lParam);
}

bool PopupWindow::OnCaptureChanged(HWND) {
    if (m_content.elements.CancelPress())
        Redraw();
    return true;
}

bool PopupWindow::OnMouseActivate(HWND, UINT, UINT, LRESULT& answer) {
    answer = MA_NOACTIVATE;
    return true;
}

bool PopupWindow::OnPrintClient(HDC dc, UINT) {
    CopyCanvasTo(dc);
    return true;
}

AccessibleElement PopupWindow::DescribeAccessible(int) const {
    AccessibleElement element;
    element.role = ROLE_SYSTEM_ALERT;
    for (const std::wstring& text : m_texts) {
        if (text.empty())
            continue;
        if (!element.name.empty())
            element.name += L' ';
        element.name += text;
    }
    element.state = STATE_SYSTEM_READONLY;
    ::GetClientRect(m_hWnd, &element.bounds);
    return element;
}

bool PopupWindow::OnTimer(UINT_PTR id) {
    if (id != kSlideTimer && id != kDisplayTimer)
        return false;
    if (id == kDisplayTimer) {
        // One-shot: Sync arms it again when the pointer holds the popup.
        ::KillTimer(m_hWnd, kDisplayTimer);
        m_displayTimerDue = 0;
    }
    m_timeline.AdvanceTo(Now());
    Sync();
    return true;
}

bool PopupWindow::OnEraseBkgnd(HDC) {
    return true;  // the canvas covers every pixel
}

bool PopupWindow::IsInside(POINT point) const {
    RECT client{};
    ::GetClientRect(m_hWnd, &client);
    return ::PtInRect(&client, point) != FALSE;
}

// Outside the visible rows nothing is hit, even where the full-size content
// would have an element.
PopupPoint PopupWindow::ContentPoint(POINT point) const {
    return IsInside(point) ? PopupPoint{point.x, point.y} : PopupPoint{-1, -1};
}

bool PopupWindow::OnMouseMove(UINT, POINT point) {
    m_hover.Moved(m_hWnd);
    // Captured while the button is held, moves outside come here too.
    if (IsInside(point))
        m_timeline.PointerEntered(Now());
    else
        m_timeline.PointerLeft(Now());
    if (m_content.elements.PointerMovedTo(ContentPoint(point)))
        Redraw();
    Sync();
    return true;
}

bool PopupWindow::OnMouseLeave() {
    m_hover.Left();
    m_timeline.PointerLeft(Now());
    if (m_content.elements.PointerLeft())
        Redraw();
    Sync();
    return true;
}

bool PopupWindow::OnLButtonDown(UINT, POINT point) {
    ::SetCapture(m_hWnd);
    if (m_content.elements.ButtonDown(ContentPoint(point)))
        Redraw();
    return true;
}

bool PopupWindow::OnLButtonDblClk(UINT flags, POINT point) {
    return OnLButtonDown(flags, point);
}

bool PopupWindow::OnLButtonUp(UINT, POINT point) {
    const PopupElements::Release release = m_content.elements.ButtonUp(ContentPoint(point));
    if (::GetCapture() == m_hWnd)
        ::ReleaseCapture();
    if (release.lookChanged)
        Redraw();
    if (release.clicked)
        Notify(kPopupElementClicked, reinterpret_cast<LPARAM>(&m_content.elements[*release.clicked]));
    return true;
}

bool PopupWindow::OnSetCursor(HWND, UINT, UINT) {
    const DWORD position = ::GetMessagePos();
    POINT point{GET_X_LPARAM(position), GET_Y_LPARAM(position)};
    ::ScreenToClient(m_hWnd, &point);
    const auto hit = m_content.elements.HitTest(ContentPoint(point));
    if (!hit || !m_content.elements[*hit].link)
        return false;
    ::SetCursor(::LoadCursorW(nullptr, IDC_HAND));
    return true;
}

void PopupWindow::OnStateChanged(PopupState state) {
    if (state == PopupState::Closed) {
        if (m_hWnd) {
            ::KillTimer(m_hWnd, kSlideTimer);
            ::KillTimer(m_hWnd, kDisplayTimer);
            m_slideTimerOn = false;
            m_displayTimerDue = 0;
            if (::GetCapture() == m_hWnd)
                ::ReleaseCapture();
            ::ShowWindow(m_hWnd, SW_HIDE);
        }
    } else {
        Sync();  // so the owner sees the popup as the state says
    }
    Notify(kPopupStateChanged, reinterpret_cast<LPARAM>(this));
}

// Brings the window's height and timers in line with the timeline.
void PopupWindow::Sync() {
    if (!m_hWnd || m_timeline.State() == PopupState::Closed)
        return;
    // The work area is read again each time: a taskbar that appears or
    // moves does not always say so.
    if (const RECT area = WorkArea(); !::EqualRect(&area, &m_workArea)) {
        m_workArea = area;
        m_shownHeight = -1;  // placed again at the height it has
    }
    const int height = m_timeline.Height();
    if (height != m_shownHeight) {
        m_shownHeight = height;
        const RECT full = FullRect();
        // The bottom edge stays put; the content hangs from the top edge, so
        // its top shows first. Every pixel is repainted from the canvas.
        ::SetWindowPos(m_hWnd, nullptr, full.left, full.bottom - height, m_content.width, height,
                       SWP_NOZORDER | SWP_NOOWNERZORDER | SWP_NOACTIVATE | SWP_NOCOPYBITS);
        ::InvalidateRect(m_hWnd, nullptr, FALSE);
        ::UpdateWindow(m_hWnd);
    }

    const bool sliding = m_timeline.IsSliding();
    if (sliding && !m_slideTimerOn)
        m_slideTimerOn = ::SetTimer(m_hWnd, kSlideTimer, static_cast<UINT>(m_timeline.Timing().stepMs), nullptr) != 0;
    else if (!sliding && m_slideTimerOn) {
        ::KillTimer(m_hWnd, kSlideTimer);
        m_slideTimerOn = false;
    }

    const auto due = m_timeline.NextChangeAt();
    if (m_timeline.State() == PopupState::Shown && due) {
        if (*due != m_displayTimerDue) {
            const ULONGLONG now = Now();
            const UINT wait = *due > now ? static_cast<UINT>(std::min<ULONGLONG>(*due - now, USER_TIMER_MAXIMUM)) : 1;
            ::SetTimer(m_hWnd, kDisplayTimer, std::max<UINT>(wait, USER_TIMER_MINIMUM), nullptr);
            m_displayTimerDue = *due;
        }
    } else if (m_displayTimerDue) {
        ::KillTimer(m_hWnd, kDisplayTimer);
        m_displayTimerDue = 0;
    }
}

void PopupWindow::Redraw() {
    m_canvasDirty = true;
    if (m_hWnd)
        ::InvalidateRect(m_hWnd, nullptr, FALSE);
}

void PopupWindow::Notify(WPARAM kind, LPARAM data) {
    if (m_owner && m_notifyMessage)
        ::SendMessageW(m_owner, m_notifyMessage, kind, data);
}

bool PopupWindow::OnPaint() {
    paint_dc paint(m_hWnd);
    CopyCanvasTo(paint.get());
    return true;
}

void PopupWindow::CopyCanvasTo(HDC target) {
    if (!m_canvas) {
        m_canvas.reset(::CreateCompatibleBitmap(target, m_content.width, m_content.height));
        m_canvasDirty = true;
    }
    unique_dc memory(::CreateCompatibleDC(target));
    if (!m_canvas || !memory)
        return;
    scoped_select canvas(memory.get(), m_canvas.get());
    if (m_canvasDirty) {
        Compose(memory.get());
        m_canvasDirty = false;
    }
    RECT client{};
    ::GetClientRect(m_hWnd, &client);
    ::BitBlt(target, 0, 0, client.right, client.bottom, memory.get(), 0, 0, SRCCOPY);
}

void PopupWindow::Compose(HDC dc) {
    const auto brush = static_cast<HBRUSH>(::GetStockObject(DC_BRUSH));
    // In high contrast every fill is the window colour and every line the text colour.
    const bool highContrast = IsHighContrast();
    const UiPalette palette = CurrentPalette();
    ::SetBkMode(dc, TRANSPARENT);
    for (std::size_t i = 0; i < m_content.elements.Count(); ++i) {
        const PopupElement& element = m_content.elements[i];
        const RECT bounds = ToRect(element.rect);
        if (element.fill) {
            ::SetDCBrushColor(dc, highContrast ? palette.window : ToColorRef(*element.fill));
            ::FillRect(dc, &bounds, brush);
        }
        if (element.border) {
            ::SetDCBrushColor(dc, highContrast ? palette.text : RGB(0, 0, 0));
            ::FrameRect(dc, &bounds, brush);
        }
        PaintText(dc, i);
        PaintImage(dc, i);
    }
}

void PopupWindow::PaintText(HDC dc, std::size_t index) {
    const PopupElement& element = m_content.elements[index];
    if (m_texts[index].empty())
        return;
    scoped_select font(dc, Font(element.bold, m_content.elements.IsUnderlined(index)));
    const COLORREF highContrastText = element.link ? CurrentPalette().accent : CurrentPalette().text;
    ::SetTextColor(dc, IsHighContrast() ? highContrastText : ToColorRef(element.textColor));
    RECT bounds = ToRect(element.rect);
    ::DrawTextW(dc, m_texts[index].c_str(), -1, &bounds, TextFormat(element.layout));
}

void PopupWindow::PaintImage(HDC dc, std::size_t index) {
    const PopupElement& element = m_content.elements[index];
    const ElementArt& art = m_art[index];
    const int x = element.rect.left;
    const int y = element.rect.top;
    if (art.icon) {
        ::DrawIconEx(dc, x, y, art.icon.get(), element.imageWidth, element.imageHeight, 0, nullptr, DI_NORMAL);
        return;
    }
    if (!art.image || !art.mask)
        return;
    unique_dc source(::CreateCompatibleDC(dc));
    if (!source)
        return;
    const int cellX = static_cast<int>(m_content.elements.CellOf(index)) * art.cell.cx;
    // Clear the opaque pixels through the mask, then OR the image in; its
    // black, transparent pixels leave what lies below. Scaled pixel for
    // pixel, so that mask and image still match.
    ::SetTextColor(dc, RGB(0, 0, 0));
    ::SetBkColor(dc, RGB(255, 255, 255));
    ::SetStretchBltMode(dc, COLORONCOLOR);
    {
        scoped_select mask(source.get(), art.mask.get());
        ::StretchBlt(dc, x, y, element.imageWidth, element.imageHeight, source.get(), cellX, 0, art.cell.cx,
                     art.cell.cy, SRCAND);
    }
    scoped_select image(source.get(), art.image.get());
    ::StretchBlt(dc, x, y, element.imageWidth, element.imageHeight, source.get(), cellX, 0, art.cell.cx, art.cell.cy,
                 SRCPAINT);
}

}  // namespace qmo
