#pragma once
// The notification-area icon: tooltip, right-click menu with a default item,
// double-click default command, animation frames and balloon tips. It answers
// the shell through a hidden window of its own, so the owner only receives
// the chosen commands as WM_COMMAND.
#include <windows.h>
#include <shellapi.h>

#include <span>
#include <string>
#include <vector>

#include "framework/unique_handle.h"
#include "framework/window.h"

namespace qmo {

class TrayIcon : private Window {
public:
    static constexpr UINT kIconId = 1;

    TrayIcon() = default;
    ~TrayIcon() override;

    // Adds the icon; false if the shell refused it (nothing else then works).
    bool Create(HWND owner, const std::wstring& tooltip, UINT iconResource, UINT menuResource, UINT defaultCommand);
    void SetAnimationFrames(std::span<const UINT> iconResources);
    void StartAnimation(UINT periodMs);
    bool ShowBalloon(const std::wstring& text, const std::wstring& title, DWORD iconFlags, UINT seconds);
    // Replaces the tooltip, cut to what the shell holds; kept for a re-add
    // after the taskbar comes back.
    bool SetTooltip(const std::wstring& tooltip);
    const std::wstring& Tooltip() const noexcept { return m_tooltip; }
    // Takes the icon out of the notification area and releases everything.
    void Remove();

    bool IsCreated() const noexcept { return m_added; }
    // The window the shell notifies; tests post to it.
    HWND NotificationWindow() const noexcept { return GetSafeHwnd(); }
    std::size_t CurrentFrame() const noexcept { return m_frame; }

private:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    bool OnTimer(UINT_PTR id) override;
    void OnNotification(UINT event);
    void OnAnimationTick();
    void OnTaskbarCreated();
    void ShowMenu();
    bool AddToShell();
    NOTIFYICONDATAW BaseData() const;
    HICON ShownIcon() const;

    HWND m_owner = nullptr;
    std::wstring m_tooltip;
    UINT m_defaultCommand = 0;
    unique_icon m_icon;
    unique_menu m_menu;
    std::vector<unique_icon> m_frames;
    std::size_t m_frame = static_cast<std::size_t>(-1);
    bool m_added = false;
    UINT m_taskbarCreatedMessage = 0;
};

}  // namespace qmo
