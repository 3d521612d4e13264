#pragma once
// The notification-area icon: tooltip, right-click menu with a default item,
// double-click default command, animation frames and balloon tips. It answers
// the shell through a hidden window of its own, so the owner only receives
// the chosen commands as WM_COMMAND.
#include <windows.h>
#include <shellapi.h>

#include <optional>
#include <span>
#include <string>
#include <vector>

#include "framework/unique_handle.h"
#include "framework/window.h"

namespace qmo {

// How long a refused icon is tried again: at logon the taskbar may come well
// after the program.
struct TrayIconRetry {
    UINT periodMs = 2000;
    UINT attempts = 150;
};

class TrayIcon : private Window {
public:
    static constexpr UINT kIconId = 1;

    // The shell's door; tests put a taskbar that is not there yet in front of it.
    using ShellNotify = BOOL(WINAPI*)(DWORD message, PNOTIFYICONDATAW data);
    TrayIcon() = default;
    explicit TrayIcon(ShellNotify shellNotify, TrayIconRetry retry = {}) : m_shellNotify(shellNotify), m_retry(retry) {}
    ~TrayIcon() override;

    // Adds the icon. When the shell refuses, it is tried again on a timer for
    // a while, and whenever the taskbar announces itself; what was asked of the
    // icon meanwhile (tooltip, animation, balloon) shows once it is there.
    // False only when not even that can be set up.
    bool Create(HWND owner, const std::wstring& tooltip, UINT iconResource, UINT menuResource, UINT defaultCommand);
    void SetAnimationFrames(std::span<const UINT> iconResources);
    void StartAnimation(UINT periodMs);
    // Ends the animation and lets its frames go; the still icon shows.
    void StopAnimation();
    // Replaces the still icon, shown at once unless the animation runs.
    void SetIcon(unique_icon icon);
    // An icon resource at the small-icon size.
    static unique_icon LoadSmallIcon(UINT resource);
    bool Animating() const noexcept { return m_animationPeriodMs > 0; }
    // False when it could not be shown now; an icon still waiting for the
    // taskbar shows it once added.
    bool ShowBalloon(const std::wstring& text, const std::wstring& title, DWORD iconFlags, UINT seconds);
    // Replaces the tooltip, cut to what the shell holds; kept for a re-add
    // after the taskbar comes back.
    bool SetTooltip(const std::wstring& tooltip);
    const std::wstring& Tooltip() const noexcept { return m_tooltip; }
    // Takes the icon out of the notification area and releases everything.
    void Remove();

    // In the notification area now.
    bool IsCreated() const noexcept { return m_added; }
    // The window the shell notifies; tests post to it.
    HWND NotificationWindow() const noexcept { return GetSafeHwnd(); }
    std::size_t CurrentFrame() const noexcept { return m_frame; }
    // What the notification area shows now: the frame, or the still icon.
    HICON ShownIcon() const;

    // Greys a command of the menu, or gives it back.
    void EnableCommand(UINT command, bool enabled) {
        if (m_menu)
            ::EnableMenuItem(m_menu.get(), command, MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED));
    }

private:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    bool OnTimer(UINT_PTR id) override;
    void OnNotification(UINT event);
    void OnAnimationTick();
    void OnTaskbarCreated();
    void OnRetryTick();
    void StartRetries();
    void ShowMenu();
    bool AddToShell();
    // Adds the icon if it is not there; what waited for it follows.
    void TryToAdd();
    void StartAnimationTimer();
    void ShowIconNow();
    NOTIFYICONDATAW BaseData() const;

    HWND m_owner = nullptr;
    std::wstring m_tooltip;
    UINT m_defaultCommand = 0;
    unique_icon m_icon;
    unique_menu m_menu;
    std::vector<unique_icon> m_frames;
    std::size_t m_frame = static_cast<std::size_t>(-1);
    UINT m_animationPeriodMs = 0;  // 0: not animated
    bool m_wanted = false;         // between Create and Remove
    bool m_added = false;
    UINT m_taskbarCreatedMessage = 0;
    ShellNotify m_shellNotify = &::Shell_NotifyIconW;
    TrayIconRetry m_retry;
    UINT m_retriesLeft = 0;
    struct Balloon {
        std::wstring text;
        std::wstring title;
        DWORD iconFlags = 0;
        UINT seconds = 0;
    };
    std::optional<Balloon> m_pendingBalloon;
};

}  // namespace qmo
