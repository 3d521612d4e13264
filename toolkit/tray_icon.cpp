#include "toolkit/tray_icon.h"

#include <shellapi.h>

#include <utility>

#include "framework/application.h"
#include "framework/identity.h"
#include "framework/resource_language.h"
#include "framework/text.h"
#include "res/messages.h"
#include "toolkit/dark_menu.h"
#include "toolkit/tray_icon_rules.h"

namespace qmo {
namespace {

constexpr UINT_PTR kAnimationTimer = 1;
constexpr UINT_PTR kRetryTimer = 2;

}  // namespace

unique_icon TrayIcon::LoadSmallIcon(UINT resource) {
    return unique_icon(static_cast<HICON>(::LoadImageW(Application::InstanceHandle(), MAKEINTRESOURCEW(resource),
                                                       IMAGE_ICON, ::GetSystemMetrics(SM_CXSMICON),
                                                       ::GetSystemMetrics(SM_CYSMICON), LR_DEFAULTCOLOR)));
}

TrayIcon::~TrayIcon() {
    Remove();
}

bool TrayIcon::Create(HWND owner, const std::wstring& tooltip, UINT iconResource, UINT menuResource,
                      UINT defaultCommand) {
    if (m_wanted)
        return false;
    m_owner = owner;
    m_tooltip = tooltip;
    m_defaultCommand = defaultCommand;
    m_icon = LoadSmallIcon(iconResource);
    m_menu.reset(LoadLanguageMenu(menuResource));

    // A hidden top-level window, not a message-only one: only top-level
    // windows receive the shell's "TaskbarCreated" broadcast.
    if (!GetSafeHwnd() &&
        !Window::Create(WindowClass{kTrayIconWindowClassName}, WS_EX_TOOLWINDOW, L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr))
        return false;
    m_taskbarCreatedMessage = ::RegisterWindowMessageW(L"TaskbarCreated");
    // An elevated window does not get this broadcast from a non-elevated
    // Explorer unless it lets it through.
    if (m_taskbarCreatedMessage)
        ::ChangeWindowMessageFilterEx(GetSafeHwnd(), m_taskbarCreatedMessage, MSGFLT_ALLOW, nullptr);

    m_wanted = true;
    TryToAdd();
    if (!m_added)
        StartRetries();
    return true;
}

void TrayIcon::SetAnimationFrames(std::span<const UINT> iconResources) {
    m_frames.clear();
    for (UINT resource : iconResources)
        if (unique_icon icon = LoadSmallIcon(resource))
            m_frames.push_back(std::move(icon));
    m_frame = static_cast<std::size_t>(-1);
}

void TrayIcon::StartAnimation(UINT periodMs) {
    if (!m_wanted || m_frames.empty())
        return;
    m_animationPeriodMs = periodMs;
    StartAnimationTimer();
}

void TrayIcon::StopAnimation() {
    if (GetSafeHwnd())
        ::KillTimer(GetSafeHwnd(), kAnimationTimer);
    m_animationPeriodMs = 0;
    m_frames.clear();
    m_frame = static_cast<std::size_t>(-1);
    ShowIconNow();
}

void TrayIcon::SetIcon(unique_icon icon) {
    m_icon = std::move(icon);
    if (m_frame >= m_frames.size())
        ShowIconNow();
}

void TrayIcon::StartAnimationTimer() {
    if (m_added && m_animationPeriodMs > 0)
        ::SetTimer(GetSafeHwnd(), kAnimationTimer, m_animationPeriodMs, nullptr);
}

bool TrayIcon::ShowBalloon(const std::wstring& text, const std::wstring& title, DWORD iconFlags, UINT seconds) {
    if (!m_added) {
        if (m_wanted)
            m_pendingBalloon = Balloon{text, title, iconFlags, seconds};
        return false;
    }
    NOTIFYICONDATAW data = BaseData();
    data.uFlags = NIF_INFO;
    CopyTruncated(data.szInfo, std::size(data.szInfo), text);
    CopyTruncated(data.szInfoTitle, std::size(data.szInfoTitle), title);
    data.dwInfoFlags = iconFlags;
    data.uTimeout = seconds * 1000;
    return m_shellNotify(NIM_MODIFY, &data) != FALSE;
}

bool TrayIcon::SetTooltip(const std::wstring& tooltip) {
    m_tooltip = tooltip;
    if (!m_added)
        return false;
    NOTIFYICONDATAW data = BaseData();
    data.uFlags = NIF_TIP;
    CopyTruncated(data.szTip, std::size(data.szTip), m_tooltip);
    return m_shellNotify(NIM_MODIFY, &data) != FALSE;
}

void TrayIcon::Remove() {
    if (GetSafeHwnd()) {
        ::KillTimer(GetSafeHwnd(), kAnimationTimer);
        ::KillTimer(GetSafeHwnd(), kRetryTimer);
    }
    if (m_added) {
        NOTIFYICONDATAW data = BaseData();
        m_shellNotify(NIM_DELETE, &data);
        m_added = false;
    }
    m_wanted = false;
    m_pendingBalloon.reset();
    m_animationPeriodMs = 0;
    DestroyWindow();
    m_frames.clear();
    m_icon.reset();
    m_menu.reset();
}

NOTIFYICONDATAW TrayIcon::BaseData() const {
    NOTIFYICONDATAW data{};
    data.cbSize = sizeof(data);
    data.hWnd = GetSafeHwnd();
    data.uID = kIconId;
    return data;
}

HICON TrayIcon::ShownIcon() const {
    return m_frame < m_frames.size() ? m_frames[m_frame].get() : m_icon.get();
}

bool TrayIcon::AddToShell() {
    NOTIFYICONDATAW data = BaseData();
    data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    data.uCallbackMessage = WM_TRAY_NOTIFY;
    data.hIcon = ShownIcon();
    CopyTruncated(data.szTip, std::size(data.szTip), m_tooltip);
    if (m_shellNotify(NIM_ADD, &data))
        return true;
    // A busy shell can time out on an icon it did add: then it is there to modify.
    data.uFlags = NIF_ICON | NIF_TIP;
    return m_shellNotify(NIM_MODIFY, &data) != FALSE;
}

void TrayIcon::TryToAdd() {
    if (!m_wanted || m_added)
        return;
    m_added = AddToShell();
    if (!m_added)
        return;
    ::KillTimer(GetSafeHwnd(), kRetryTimer);
    StartAnimationTimer();
    if (std::optional<Balloon> balloon = std::exchange(m_pendingBalloon, std::nullopt))
        ShowBalloon(balloon->text, balloon->title, balloon->iconFlags, balloon->seconds);
}

void TrayIcon::OnRetryTick() {
    TryToAdd();
    if (m_added || m_retriesLeft == 0 || --m_retriesLeft == 0)
        ::KillTimer(GetSafeHwnd(), kRetryTimer);
}

LRESULT TrayIcon::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_TRAY_NOTIFY) {
        OnNotification(LOWORD(lParam));
        return 0;
    }
    if (m_taskbarCreatedMessage && message == m_taskbarCreatedMessage) {
        OnTaskbarCreated();
        return 0;
    }
    return Window::HandleMessage(message, wParam, lParam);
}

bool TrayIcon::OnTimer(UINT_PTR id) {
    if (id == kRetryTimer) {
        OnRetryTick();
        return true;
    }
    if (id != kAnimationTimer)
        return false;
    OnAnimationTick();
    return true;
}

void TrayIcon::OnNotification(UINT event) {
    switch (TrayActionFor(event)) {
    case TrayAction::ShowMenu:
        ShowMenu();
        break;
    case TrayAction::SendDefaultCommand:
        ::SetForegroundWindow(m_owner);
        ::SendMessageW(m_owner, WM_COMMAND, MAKEWPARAM(m_defaultCommand, 0), 0);
        break;
    case TrayAction::None:
        break;
    }
}

void TrayIcon::ShowMenu() {
    HMENU popup = m_menu ? ::GetSubMenu(m_menu.get(), 0) : nullptr;
    if (!popup)
        return;
    ::SetMenuDefaultItem(popup, m_defaultCommand, FALSE);
    PrepareMenu(popup);
    POINT cursor{};
    ::GetCursorPos(&cursor);
    // The owner must be in the foreground, or the menu does not close when
    // the user clicks elsewhere; the posted message lets it close properly.
    ::SetForegroundWindow(m_owner);
    const UINT command = static_cast<UINT>(
        ::TrackPopupMenu(popup, TPM_RIGHTBUTTON | TPM_RETURNCMD | TPM_NONOTIFY, cursor.x, cursor.y, 0, m_owner, nullptr));
    ::PostMessageW(m_owner, WM_NULL, 0, 0);
    // The command names this window as its sender, so the owner can tell the
    // tray's menu from its own.
    if (command != 0)
        ::PostMessageW(m_owner, WM_COMMAND, MAKEWPARAM(command, 0), reinterpret_cast<LPARAM>(m_hWnd));
}

void TrayIcon::OnAnimationTick() {
    if (!m_added || m_frames.empty())
        return;
    m_frame = NextAnimationFrame(m_frame, m_frames.size());
    ShowIconNow();
}

void TrayIcon::ShowIconNow() {
    if (!m_added)
        return;
    NOTIFYICONDATAW data = BaseData();
    data.uFlags = NIF_ICON;
    data.hIcon = ShownIcon();
    m_shellNotify(NIM_MODIFY, &data);
}

// A new taskbar has none of the old one's icons: an icon that was there, or
// still waited for a taskbar, is added now.
void TrayIcon::OnTaskbarCreated() {
    if (!m_wanted)
        return;
    m_added = false;
    TryToAdd();
    if (!m_added)
        StartRetries();
}

void TrayIcon::StartRetries() {
    m_retriesLeft = m_retry.attempts;
    if (m_retriesLeft > 0)
        ::SetTimer(GetSafeHwnd(), kRetryTimer, m_retry.periodMs, nullptr);
}

}  // namespace qmo
