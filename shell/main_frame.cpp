#include "shell/main_frame.h"

#include <shellapi.h>

#include <algorithm>
#include <array>

#include "about/about_dlg.h"
#include "config/registry_run_entry.h"
#include "framework/application.h"
#include "framework/window_dpi.h"
#include "framework/resource_usage.h"
#include "framework/startup_trace.h"
#include "framework/text.h"
#include "res/messages.h"
#include "res/resource.h"
#include "shell/frame_input_filter.h"
#include "pages/frame_texts.h"
#include "shell/help_file.h"
#include "shell/popup_notifications.h"

namespace qmo {

CMainFrame::CMainFrame(qmo::ProfileStore& profile, qmo::RunEntryStore& runEntry)
    : m_logic(*this, profile, runEntry, *this), m_view(m_logic, m_logic, *this) {}

bool CMainFrame::Create() {
    const HINSTANCE instance = qmo::Application::InstanceHandle();
    qmo::WindowClass windowClass{qmo::kMainFrameClassName};
    windowClass.style = CS_DBLCLKS;
    windowClass.icon = static_cast<HICON>(::LoadImageW(instance, MAKEINTRESOURCEW(IDR_MAINFRAME), IMAGE_ICON, 0, 0,
                                                       LR_DEFAULTSIZE | LR_SHARED));
    windowClass.smallIcon = static_cast<HICON>(
        ::LoadImageW(instance, MAKEINTRESOURCEW(IDR_MAINFRAME), IMAGE_ICON, ::GetSystemMetrics(SM_CXSMICON),
                     ::GetSystemMetrics(SM_CYSMICON), LR_SHARED));
    windowClass.cursor = ::LoadCursorW(nullptr, IDC_ARROW);
    // The window owns its menu and destroys it with itself.
    HMENU menu = ::LoadMenuW(instance, MAKEINTRESOURCEW(IDR_MAINFRAME));
    const bool created = FrameWindow::Create(windowClass, 0, qmo::kMainWindowTitle,
                                             WS_OVERLAPPEDWINDOW | WS_MAXIMIZE, CW_USEDEFAULT, CW_USEDEFAULT,
                                             CW_USEDEFAULT, CW_USEDEFAULT, nullptr, menu);
    // A window that failed after creation took its menu with it.
    if (!created && menu && ::IsMenu(menu))
        ::DestroyMenu(menu);
    return created;
}

LRESULT CMainFrame::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE:
        return OnCreate();
    case WM_CLOSE:
        m_logic.ToggleMainWindow();
        return 0;
    case WM_HELP:
        OnHelp();
        return TRUE;
    case WM_ACTIVATE_FIRST_INSTANCE:
        m_logic.OnActivateFirstInstance();
        return 0;
    case WM_OPTIMIZATION_FINISHED:
        return OnOptimizationFinished(wParam) ? 1 : 0;
    case WM_POPUP_NOTIFY:
        return OnPopupNotify(wParam, lParam);
    case WM_ENDSESSION:
        if (wParam)
            m_logic.OnSessionEnding();
        return 0;
    case WM_SETTINGCHANGE:
    case WM_SYSCOLORCHANGE:
        if (m_view.IsCreated())
            ::SendMessageW(m_view.GetSafeHwnd(), message, wParam, lParam);
        return FrameWindow::HandleMessage(message, wParam, lParam);
    default:
        if (message == qmo::ResourceUsageMessage())
            return qmo::AnswerResourceUsage(wParam);
        if (m_optimizeRequestMessage != 0 && message == m_optimizeRequestMessage)
            return OnOptimizeRequest();
        return FrameWindow::HandleMessage(message, wParam, lParam);
    }
}

int CMainFrame::OnCreate() {
    qmo::MarkStartupStep("window");
    // The icon first: it needs nothing of the view or the settings, and the
    // program is there for the user as soon as the icon is. A view that fails,
    // or a counter query that cannot be opened (the page has told the user),
    // ends the program: the icon goes here, as wine sends no WM_DESTROY to a
    // window whose creation fails.
    CreateTrayIcon();
    qmo::MarkStartupStep("tray");
    if (!m_view.Create(m_hWnd) || m_view.PerformancePage().CounterQueryFailed()) {
        m_trayIcon.Remove();
        return -1;
    }
    SetViewWindow(m_view.GetSafeHwnd());
    qmo::MarkStartupStep("view");

    m_logic.LoadSettings();
    m_logic.SaveSettings();
    m_logic.LoadSettings();
    m_logic.RegisterShortcut();
    qmo::MarkStartupStep("settings");

    ShowBalloonTip();
    AllowOptimizeRequests();
    m_logic.CreationCompleted();
    qmo::MarkStartupStep("balloon");
    return 0;
}

void CMainFrame::CreateTrayIcon() {
    if (!m_trayIcon.Create(m_hWnd, qmo::kMainWindowTitle, IDI_TRAY, IDR_TRAY_MENU, ID_TRAY_SHOW_HIDE))
        return;
    static constexpr std::array<UINT, 4> kFrames{IDI_TRAY_FRAME_1, IDI_TRAY_FRAME_2, IDI_TRAY_FRAME_3,
                                                 IDI_TRAY_FRAME_4};
    m_trayIcon.SetAnimationFrames(kFrames);
    m_trayIcon.StartAnimation(qmo::kTrayAnimationPeriodMs);
}

bool CMainFrame::OnSize(UINT type, int width, int height) {
    FrameWindow::OnSize(type, width, height);
    if (type == SIZE_MINIMIZED)
        m_logic.OnMinimized();
    return true;
}

// The view takes the new sizes first, so the move lays it out once, at the new DPI.
bool CMainFrame::OnDpiChanged(unsigned dpi, const RECT& suggested) {
    if (m_view.IsCreated())
        m_view.ApplyDpi(dpi);
    // The class's icons are sized for the DPI the program started at.
    const auto icon = [dpi](int width, int height) {
        return qmo::unique_icon(static_cast<HICON>(
            ::LoadImageW(qmo::Application::InstanceHandle(), MAKEINTRESOURCEW(IDR_MAINFRAME), IMAGE_ICON,
                         qmo::SystemMetricForDpi(width, dpi), qmo::SystemMetricForDpi(height, dpi), 0)));
    };
    qmo::unique_icon big = icon(SM_CXICON, SM_CYICON);
    qmo::unique_icon small = icon(SM_CXSMICON, SM_CYSMICON);
    ::SendMessageW(m_hWnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big.get()));
    ::SendMessageW(m_hWnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small.get()));
    // The window no longer shows the icons it had: they may go now.
    m_bigIcon = std::move(big);
    m_smallIcon = std::move(small);
    ::SetWindowPos(m_hWnd, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                   suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
    return true;
}

bool CMainFrame::OnCommand(UINT id, UINT code, HWND control) {
    if (!m_logic.Created())
        return true;  // a tray command during a box shown while the frame is made
    switch (id) {
    case ID_VISIT_WEBSITE:
        m_logic.ShowMainWindowIfHidden();
        OpenProductWebPage(SW_SHOW);
        return true;
    case ID_VIEW_PERFORMANCE:
    case ID_VIEW_PROCESSES:
    case ID_VIEW_SETTINGS:
        m_logic.ShowMainWindowIfHidden();
        m_view.SelectNavigationGroup(id - ID_VIEW_PERFORMANCE);
        return true;
    case ID_OPTIMIZE:
        m_logic.OptimizeNow();
        return true;
    case ID_TRAY_SHOW_HIDE:
        m_logic.ToggleMainWindow();
        return true;
    case ID_TRAY_EXIT:
        m_logic.Exit();
        return true;
    case ID_HELP_TOPICS:
        m_logic.ShowMainWindowIfHidden();
        ::SendMessageW(m_hWnd, WM_HELP, 0, 0);
        return true;
    case ID_APP_ABOUT: {
        // Owned by the frame, hidden in the tray or not.
        CAboutDlg about;
        about.DoModal(m_hWnd);
        return true;
    }
    default:
        return FrameWindow::OnCommand(id, code, control);
    }
}

void CMainFrame::OnDestroy() {
    // Taken out of the list first: a popup going away must not find the list mid-change.
    std::list<qmo::PopupPtr> popups = std::move(m_popups);
    m_popups.clear();
    m_pActivePopup = nullptr;
    popups.clear();
    m_trayIcon.Remove();
    m_logic.ReleaseShortcut();
}

void CMainFrame::ShowCriticalLimitPopup() {
    ShowPopup(qmo::BuildCriticalLimitPopup(m_logic.Settings().m_nCriticalLimit));
}

bool CMainFrame::ShowOptimizedPopup(std::optional<std::uint64_t> freedBytes) {
    return ShowPopup(qmo::BuildOptimizedPopup(freedBytes));
}

// The worker has done its work: memory in use is read again before anything
// else. A notice that is not the running dialog's worker's, once, is made up.
bool CMainFrame::OnOptimizationFinished(WPARAM runId) {
    if (!m_pRunningDialog || !m_pRunningDialog->AcceptFinishedNotice(runId))
        return false;
    const std::optional<std::uint64_t> freed = m_freedMeter.RunEnded(PhysicalMemory());
    ShowLastOptimizationInTooltip(freed);
    return ShowOptimizedPopup(freed);
}

void CMainFrame::AutomaticTrimFinished(std::optional<std::uint64_t> freedBytes) {
    ShowLastOptimizationInTooltip(freedBytes);
}

void CMainFrame::ShowLastOptimizationInTooltip(std::optional<std::uint64_t> freedBytes) {
    SYSTEMTIME now{};
    ::GetLocalTime(&now);
    m_trayIcon.SetTooltip(std::wstring(qmo::kMainWindowTitle) + L"\n" +
                          qmo::Widen(qmo::LastOptimizedLine(now.wHour, now.wMinute, freedBytes)));
}

bool CMainFrame::ShowPopup(qmo::PopupContent content) {
    // One at a time; a request while one is alive is dropped, not queued.
    if (!m_popups.empty())
        return false;
    qmo::PopupPtr popup = qmo::PopupWindow::Make(std::move(content));
    m_pActivePopup = popup.get();
    if (!popup->Show(m_hWnd, WM_POPUP_NOTIFY)) {
        m_pActivePopup = nullptr;
        return false;
    }
    m_popups.push_back(std::move(popup));
    return true;
}

// Any program can send this message with any value: only a popup of ours that
// is alive, or an element of one, is acted on.
LRESULT CMainFrame::OnPopupNotify(WPARAM code, LPARAM data) {
    qmo::PopupWindow* popup = AlivePopupNamedBy(code, data);
    if (!popup)
        return 1;
    if (code == qmo::kPopupElementClicked) {
        const qmo::PopupElement* element = popup->ElementNamedBy(data);
        if (qmo::PopupClickActionFor(element->id) == qmo::PopupClickAction::StartOptimization)
            m_logic.OptimizeNow();  // the popup stays and runs out on its own
        else
            popup->CloseNow();
    } else if (popup->State() == qmo::PopupState::Closed) {
        if (m_pActivePopup == popup)
            m_pActivePopup = nullptr;
        // The popup is deleted once its own handler has returned.
        m_popups.remove_if([popup](const qmo::PopupPtr& alive) { return alive.get() == popup; });
    }
    return 1;
}

// The popup being shown tells of its first state before it joins the list.
qmo::PopupWindow* CMainFrame::AlivePopupNamedBy(WPARAM code, LPARAM data) const {
    const auto names = [code, data](const qmo::PopupWindow* popup) {
        if (code == qmo::kPopupElementClicked)
            return popup->ElementNamedBy(data) != nullptr;
        return code == qmo::kPopupStateChanged && popup->IsNamedBy(data);
    };
    if (m_pActivePopup && names(m_pActivePopup))
        return m_pActivePopup;
    for (const qmo::PopupPtr& popup : m_popups)
        if (names(popup.get()))
            return popup.get();
    return nullptr;
}

bool CMainFrame::PreTranslateMessage(MSG& message) {
    qmo::FrameInput input = qmo::FrameInput::Other;
    if (message.message == WM_MOUSEMOVE)
        input = qmo::FrameInput::MouseMove;
    else if (message.message == WM_LBUTTONDOWN)
        input = qmo::FrameInput::LeftButtonDown;
    else if (message.message == WM_KEYDOWN)
        input = qmo::FrameInput::KeyDown;
    if (input == qmo::FrameInput::Other)
        return false;

    RECT client{};
    ::GetClientRect(m_hWnd, &client);
    const bool ctrlDown = (::GetKeyState(VK_CONTROL) & 0x8000) != 0;
    const qmo::FrameInputDecision decision = qmo::DecideFrameInput(
        input, {client.left, client.top, client.right, client.bottom}, {message.pt.x, message.pt.y},
        static_cast<int>(message.wParam), ctrlDown);

    if (decision.openWebPageMaximized)
        OpenProductWebPage(SW_SHOWMAXIMIZED);
    if (decision.showHandCursor)
        ::SetCursor(::LoadCursorW(nullptr, IDC_HAND));
    if (decision.hideToTray)
        ::PostMessageW(m_hWnd, WM_CLOSE, 0, 0);
    if (decision.showHelp)
        OnCommand(ID_HELP_TOPICS, 0, nullptr);
    return decision.consumed;
}

void CMainFrame::OnHelp() {
    const std::wstring path =
        qmo::Widen(qmo::HelpFilePathBesideExecutable(qmo::Narrow(qmo::ModuleFilePath())));
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        wchar_t title[200] = {};
        ::GetWindowTextW(m_hWnd, title, static_cast<int>(std::size(title)));
        ::MessageBoxW(m_hWnd, qmo::kHelpMissingText, title, MB_OK);
        return;
    }
    ::ShellExecuteW(m_hWnd, L"open", path.c_str(), nullptr, nullptr, SW_SHOW);
}

void CMainFrame::OpenProductWebPage(int showCommand) {
    ::ShellExecuteW(nullptr, L"open", qmo::kProductWebPage, nullptr, nullptr, showCommand);
}

void CMainFrame::ShowBalloonTip() {
    m_trayIcon.ShowBalloon(qmo::kBalloonText, qmo::kMainWindowTitle, NIIF_INFO, qmo::kBalloonSeconds);
}

void CMainFrame::HideWindow() {
    ::ShowWindow(m_hWnd, SW_HIDE);
}

void CMainFrame::ShowWindowWithTitle() {
    ::SetWindowTextW(m_hWnd, qmo::kMainWindowTitle);
    ::ShowWindow(m_hWnd, SW_SHOW);
    m_view.OnFrameShown();
}

bool CMainFrame::IsWindowShown() const {
    return ::IsWindowVisible(m_hWnd) != FALSE;
}

void CMainFrame::RestoreWindow() {
    ::ShowWindow(m_hWnd, SW_RESTORE);
}

void CMainFrame::RunOptimizationDialog(bool silent) {
    COptimizeProgressDlg dialog(*this, OptimizationWork());
    dialog.m_bSilent = silent ? 1 : 0;
    m_pRunningDialog = &dialog;
    m_freedMeter.RunStarting(PhysicalMemory());
    dialog.Run();
    m_pRunningDialog = nullptr;
}

void CMainFrame::WaitForOptimizationWorker() {
    if (m_pRunningDialog)
        m_pRunningDialog->WaitForWorker();
}

void CMainFrame::PostExit() {
    ::PostMessageW(m_hWnd, WM_COMMAND, MAKEWPARAM(ID_TRAY_EXIT, 0), 0);
}

// The optimize switch of another start reaches us as a registered message.
// An elevated window hears it from a start that is not elevated only when it
// lets it through, as the tray lets the taskbar's message through.
void CMainFrame::AllowOptimizeRequests() {
    m_optimizeRequestMessage = qmo::OptimizeRequestMessage();
    if (m_optimizeRequestMessage)
        ::ChangeWindowMessageFilterEx(m_hWnd, m_optimizeRequestMessage, MSGFLT_ALLOW, nullptr);
}

LRESULT CMainFrame::OnOptimizeRequest() {
    // Answered before the run: the asking start ends at once, whatever the run takes.
    ::ReplyMessage(qmo::kOptimizeRequestAccepted);
    m_logic.OptimizeNow();
    return qmo::kOptimizeRequestAccepted;
}

bool CMainFrame::OnHotKey(int id, UINT, UINT) {
    if (id != IDHK_EMERGENCY_OPTIMIZE)
        return false;
    m_logic.OptimizeNow();
    return true;
}

bool CMainFrame::RegisterShortcut(char letter) {
    return ::RegisterHotKey(m_hWnd, IDHK_EMERGENCY_OPTIMIZE, MOD_CONTROL | MOD_ALT | MOD_NOREPEAT,
                            static_cast<UINT>(letter)) != FALSE;
}

void CMainFrame::UnregisterShortcut() {
    ::UnregisterHotKey(m_hWnd, IDHK_EMERGENCY_OPTIMIZE);
}

}  // namespace qmo
