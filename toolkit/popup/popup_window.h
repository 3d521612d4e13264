#pragma once
// A sliding notification popup: it grows up out of the bottom-right corner of
// the work area, stays a while (longer while the pointer is over it) and
// slides away again, topmost, without a taskbar button and without taking the
// focus. It tells its owner everything through one message:
//
//   SendMessage(owner, notifyMessage, kPopupElementClicked, (LPARAM)const PopupElement*)
//   SendMessage(owner, notifyMessage, kPopupStateChanged,   (LPARAM)PopupWindow*)
//
// The owner holds it in a PopupPtr and may reset that pointer from inside
// either notification (typically on PopupState::Closed): the popup is then
// deleted as soon as its own handler has returned, even when the owner ran a
// modal loop in between.
#include <windows.h>

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "framework/identity.h"
#include "framework/unique_handle.h"
#include "framework/window.h"
#include "toolkit/accessible_control.h"
#include "toolkit/hover_tracker.h"
#include "toolkit/popup/popup_content.h"
#include "toolkit/release_gate.h"

namespace qmo {

inline constexpr WPARAM kPopupElementClicked = 1;
inline constexpr WPARAM kPopupStateChanged = 2;

class PopupWindow;

// Releases rather than deletes: see PopupWindow::Release.
struct PopupRelease {
    void operator()(PopupWindow* popup) const noexcept;
};
using PopupPtr = std::unique_ptr<PopupWindow, PopupRelease>;

class PopupWindow : private Window, private AccessibleSource {
public:
    // Takes the work area's bottom-right corner now, and the content's sizes
    // at the DPI of the monitor there, its texts measured in the font they
    // are shown in; nothing is shown yet.
    static PopupPtr Make(PopupContent content);

    // Creates the window and starts the slide-in; the owner is told of
    // Expanding before this returns. False if the window could not be made.
    bool Show(HWND owner, UINT notifyMessage);
    // Closed at once, without the slide-out; the owner is told.
    void CloseNow();
    // Deletes the popup now, or once the popup's handler on the stack has
    // returned; until then it is hidden and silent. PopupPtr calls this when
    // it is reset, reassigned or goes out of scope.
    void Release() noexcept;

    using Window::GetSafeHwnd;
    PopupState State() const noexcept { return m_timeline.State(); }
    // The elements as shown: texts at their measured heights, what lies below moved down to make room.
    const PopupElements& Elements() const noexcept { return m_content.elements; }
    // Screen rectangle of the popup at full height.
    RECT FullRect() const noexcept;

    // What a notification's lParam names, if it is this popup or one of its
    // elements: anyone can send the message, with any value, so the value is
    // compared, never followed.
    bool IsNamedBy(LPARAM lParam) const noexcept {
        return static_cast<std::uintptr_t>(lParam) == reinterpret_cast<std::uintptr_t>(this);
    }
    const PopupElement* ElementNamedBy(LPARAM lParam) const noexcept {
        for (const PopupElement& element : m_content.elements.All())
            if (static_cast<std::uintptr_t>(lParam) == reinterpret_cast<std::uintptr_t>(&element))
                return &element;
        return nullptr;
    }

private:
    class Busy;
    struct ElementArt {
        unique_icon icon;
        unique_bitmap image;
        unique_bitmap mask;  // white where the image is black, i.e. transparent
        SIZE cell{};         // of the bitmap, before scaling
    };

    PopupWindow(PopupContent content, const RECT& workArea, unsigned dpi);
    ~PopupWindow() override;

    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    LRESULT Dispatch(UINT message, WPARAM wParam, LPARAM lParam);
    bool OnTimer(UINT_PTR id) override;
    // A press ends with the capture: no click comes of it.
    bool OnCaptureChanged(HWND gaining) override;
    // A click never takes the focus from the program the user is in.
    bool OnMouseActivate(HWND topLevel, UINT hitTest, UINT mouseMessage, LRESULT& answer) override;
    bool OnPrintClient(HDC dc, UINT flags) override;
    // The taskbar moved or changed size: the popup keeps to the corner of the new work area.
    bool OnLookChanged() override;
    bool OnMouseMove(UINT flags, POINT point) override;
    bool OnMouseLeave() override;
    bool OnLButtonDown(UINT flags, POINT point) override;
    bool OnLButtonDblClk(UINT flags, POINT point) override;
    bool OnLButtonUp(UINT flags, POINT point) override;
    bool OnEraseBkgnd(HDC dc) override;
    bool OnPaint() override;
    bool OnSetCursor(HWND window, UINT hitTest, UINT mouseMessage) override;
    void OnStateChanged(PopupState state);
    // An alert that reads as all of its texts.
    AccessibleElement DescribeAccessible(int child) const override;

    void PrepareContent();
    void LoadArt();
    HFONT Font(bool bold, bool underline);
    void Sync();
    void Redraw();
    void Notify(WPARAM kind, LPARAM data);
    bool IsInside(POINT point) const;
    PopupPoint ContentPoint(POINT point) const;
    void Compose(HDC dc);
    // The composed picture, composed again first when it is out of date.
    void CopyCanvasTo(HDC target);
    void PaintText(HDC dc, std::size_t index);
    void PaintImage(HDC dc, std::size_t index);

    PopupContent m_content;
    PopupTimeline m_timeline;
    ReleaseGate m_gate;
    static RECT WorkArea() noexcept;
    RECT m_workArea{};
    unsigned m_dpi;
    HWND m_owner = nullptr;
    UINT m_notifyMessage = 0;

    int m_shownHeight = -1;
    bool m_slideTimerOn = false;
    ULONGLONG m_displayTimerDue = 0;
    HoverTracker m_hover;

    // Made once per popup; the canvas holds the whole content at full height.
    std::vector<std::wstring> m_texts;
    std::vector<ElementArt> m_art;
    std::array<unique_font, 4> m_fonts;  // [bold * 2 + underline]
    unique_bitmap m_canvas;
    bool m_canvasDirty = true;
    AccessibleHost m_accessible{*this};
};

}  // namespace qmo
