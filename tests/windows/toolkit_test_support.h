#pragma once
// Helpers of the toolkit's Windows tests: a parent window that records what
// its children tell it, an icon strip made on the fly, and a control's
// client area read back pixel by pixel.
#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "framework/unique_handle.h"
#include "framework/window.h"

namespace qmo::testing {

// `count` cells of 16x16 on magenta; cell n is a square of IconColor(n)
// with a magenta border of two pixels.
unique_bitmap MakeIconStrip(int count);
COLORREF IconColor(int index);

// Stands in for the page host view: records notifications and unhandled commands.
class ControlHost : public Window {
public:
    struct Command {
        UINT id;
        UINT code;
    };
    bool Create(int width, int height);

    std::vector<LPARAM> panelNotifications;  // lParam of each task panel item click
    std::vector<Command> commands;           // button clicks no themed button handled
    std::vector<NMHDR> notifications;
    std::function<void(LPARAM)> onPanelNotify;
    std::function<void(HDC, const RECT&)> onPaint;
    HBRUSH buttonBackground = nullptr;  // answer to WM_CTLCOLORBTN, if set

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    bool OnCommand(UINT id, UINT code, HWND control) override;
};

// The client area as the window paints it for WM_PRINTCLIENT.
class ClientPicture {
public:
    explicit ClientPicture(HWND window);
    // The screen's pixels of the window's client area as they are now.
    static ClientPicture FromScreen(HWND window);

    int Width() const noexcept { return m_width; }
    int Height() const noexcept { return m_height; }
    COLORREF At(int x, int y) const;
    // Pixels of `color` inside `area` (clipped to the picture).
    int Count(const RECT& area, COLORREF color) const;
    // Bounds of the pixels inside `area` that `test(color, x, y)` picks; empty when there are none.
    RECT BoundsWhere(const RECT& area, const std::function<bool(COLORREF, int, int)>& test) const;
    RECT BoundsOf(const RECT& area, COLORREF color) const;
    bool operator==(const ClientPicture& other) const = default;

private:
    ClientPicture() = default;
    void Read(HWND window, const std::function<void(HDC)>& draw);
    int m_width = 0;
    int m_height = 0;
    std::vector<std::uint32_t> m_pixels;  // 0x00RRGGBB, top row first
};

void Click(HWND window, POINT point);
POINT CentreOf(const RECT& rect);
RECT ChildRect(HWND child);  // in its parent's client coordinates
bool HasPendingPaint(HWND window);

// The text's width on one line in the window's font.
int TextWidth(HWND window, const std::wstring& text);
// Every text of a window within its control: a push button's and a check
// box's caption on one line, a static text wrapped at its width (each that
// is not, a failure). How many texts it measured.
int ExpectEveryTextFits(HWND window);

}  // namespace qmo::testing
