#include "shell/main_frame.h"

#include <shellapi.h>

#include <algorithm>
#include <array>

#include "about/about_dlg.h"
#include "config/registry_run_entry.h"
#include "framework/application.h"
#include "framework/resource_language.h"
#include "framework/window_dpi.h"
#include "perf/commit_warning.h"
#include "optimizer/freed_memory.h"
#include "framework/resource_usage.h"
#include "framework/startup_trace.h"
#include "framework/text.h"
#include "res/messages.h"
#include "res/resource.h"
#include "shell/frame_input_filter.h"
#include "pages/frame_texts.h"
#include "pages/message_caption.h"
#include "shell/help_file.h"
#include "shell/appearance.h"
#include "shell/popup_notifications.h"
#include "toolkit/dark_menu.h"
#include "toolkit/dark_mode.h"
#include "toolkit/ui_palette.h"

namespace qmo {

CMainFrame::CMainFrame(qmo::ProfileStore& profile, qmo::RunEntryStore& runEntry)
    : m_profile(profile), m_logic(*this, profile, runEntry, *this, m_memory.Service()), m_view(m_logic, m_logic) {
    m_logic.SetPolicySource(&m_policySource);
    m_logic.SetEventLog(&m_eventLog);
}

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
    HMENU menu = qmo::LoadLanguageMenu(IDR_MAINFRAME);
    const bool created = FrameWindow::Create(windowClass, 0, qmo::kMainWindowTitle.Load().c_str(),
                                             WS_OVERLAPPEDWINDOW | WS_MAXIMIZE, CW_USEDEFAULT, CW_USEDEFAULT,
                                             CW_USEDEFAULT, CW_USEDEFAULT, nullptr, menu);
    // A window that failed after creation took its menu with it.
    if (!created && menu && ::IsMenu(menu))
        ::DestroyMenu(menu);
    return created;
}

LRESULT CMainFrame::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
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
    case WM_MENU_BAR_RESTYLED:
        m_menuBarLayoutPosted = false;
        // Laid out again, then painted again: after the layout alone, wine
        // left the screen showing the bar as it was drawn before the switch.
        ::DrawMenuBar(m_hWnd);
        ::RedrawWindow(m_hWnd, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE);
        return 0;
    case WM_WINDOWPOSCHANGING:
        // About to show, by whichever route (ShowWindow sends WM_SHOWWINDOW
        // for some show commands only): a window that stays in the tray
        // never makes its view.
        if ((reinterpret_cast<const WINDOWPOS*>(lParam)->flags & SWP_SHOWWINDOW) && !m_momentAtStart)
            EnsureView();
        return FrameWindow::HandleMessage(message, wParam, lParam);
    case WM_ENDSESSION:
        if (wParam)
            m_logic.OnSessionEnding();
        return 0;
    case WM_MEASUREITEM:
    case WM_DRAWITEM:
        if (qmo::AnswerMenuItemMessage(m_hWnd, message, lParam))
            return TRUE;
        return FrameWindow::HandleMessage(message, wParam, lParam);
    case WM_SETTINGCHANGE:
    case WM_SYSCOLORCHANGE:
        // Windows' app mode, or high contrast, may have changed: the colours
        // are chosen again before the view hears of it.
        if (message == WM_SYSCOLORCHANGE || qmo::IsColorSetChange(lParam))
            ChooseColors();
        // Group Policy has refreshed: what it sets may have changed.
        if (message == WM_SETTINGCHANGE && qmo::IsSettingChangeOf(lParam, L"Policy"))
            m_logic.OnPolicyChanged();
        if (m_view.IsCreated())
            ::SendMessageW(m_view.GetSafeHwnd(), message, wParam, lParam);
        OnTrayLookChanged();
        return FrameWindow::HandleMessage(message, wParam, lParam);
    default:
        if (message == qmo::ResourceUsageMessage())
            return qmo::AnswerResourceUsage(wParam);
        if (m_optimizeRequestMessage != 0 && message == m_optimizeRequestMessage)
            return OnOptimizeRequest();
        return FrameWindow::HandleMessage(message, wParam, lParam);
    }
}

bool CMainFrame::OnCreate(const CREATESTRUCTW&, LRESULT& result) {
    result = BuildFrame();
    return true;
}

int CMainFrame::BuildFrame() {
    qmo::MarkStartupStep("window");
    // The icon first: it needs nothing of the view or the settings, and the
    // program is there for the user as soon as the icon is. A view that fails,
    // or a counter query that cannot be opened (the page has told the user),
    // ends the program: the icon goes here, as wine sends no WM_DESTROY to a
    // window whose creation fails.
    CreateTrayIcon();
    qmo::MarkStartupStep("tray");
    if (!m_monitor.Start(m_hWnd)) {
        ReportQueryFailure();
        m_trayIcon.Remove();
        return -1;
    }
    qmo::MarkStartupStep("monitor");

    m_logic.LoadSettings();
    m_logic.SaveSettings();
    m_logic.LoadSettings();
    qmo::MarkStartupStep("settings-read");
    ApplyTheme();
    ShowTrayDisplay();
    m_logic.RegisterShortcut();
    m_memory.Load(m_profile);
    qmo::MarkStartupStep("history-read");
    m_memory.AttachTimers(m_hWnd);
    m_memory.Service().SetListener(this);
    m_memory.Service().SetEventLog(&m_eventLog);
    FollowPolicy();
    qmo::MarkStartupStep("settings");

    ShowBalloonTip();
    AllowOptimizeRequests();
    m_logic.CreationCompleted();
    qmo::MarkStartupStep("balloon");
    return 0;
}

bool CMainFrame::EnsureView() {
    if (m_view.IsCreated())
        return true;
    if (!m_hWnd || !m_view.Create(m_hWnd))
        return false;
    SetViewWindow(m_view.GetSafeHwnd());
    RECT client{};
    ::GetClientRect(m_hWnd, &client);
    ::MoveWindow(m_view.GetSafeHwnd(), 0, 0, client.right, client.bottom, FALSE);
    m_view.FollowPolicy();
    if (const qmo::PerformanceSampler* sampler = m_monitor.Sampler())
        m_view.ShowSample(*sampler);
    return true;
}

void CMainFrame::ShowForAMomentAtStart() {
    qmo::MarkStartupStep("created");
    m_momentAtStart = true;
    ::ShowWindow(m_hWnd, SW_SHOWMAXIMIZED);
    qmo::MarkStartupStep("shown-maximized");
    ::ShowWindow(m_hWnd, SW_HIDE);
    qmo::MarkStartupStep("hidden");
    m_momentAtStart = false;
}

// Told while the frame is being made, whose creation then fails: the program
// ends as when its window cannot be made, its tray icon taken away.
void CMainFrame::ReportQueryFailure() {
    ::MessageBoxW(m_hWnd, qmo::kQueryFailureText.Load().c_str(), qmo::MessageBoxCaption().c_str(), MB_OK);
}

void CMainFrame::CreateTrayIcon() {
    if (!m_trayIcon.Create(m_hWnd, qmo::kMainWindowTitle.Load(), IDI_TRAY, IDR_TRAY_MENU, ID_TRAY_SHOW_HIDE))
        return;
    StartTrayAnimation();
}

void CMainFrame::StartTrayAnimation() {
    static constexpr std::array<UINT, 4> kFrames{IDI_TRAY_FRAME_1, IDI_TRAY_FRAME_2, IDI_TRAY_FRAME_3,
                                                 IDI_TRAY_FRAME_4};
    m_trayIcon.SetAnimationFrames(kFrames);
    m_trayIcon.StartAnimation(qmo::kTrayAnimationPeriodMs);
}

// The animation, or the number from the last sample; the frames are not
// kept while a number shows.
void CMainFrame::ShowTrayDisplay() {
    m_trayLook.reset();
    m_figureLine.clear();
    if (m_logic.Settings().m_trayIconShows == qmo::TrayIconShows::Animation) {
        if (!m_trayIcon.Animating()) {
            m_trayIcon.SetIcon(qmo::TrayIcon::LoadSmallIcon(IDI_TRAY));
            StartTrayAnimation();
        }
    } else {
        m_trayIcon.StopAnimation();
        OnTrayLookChanged();
    }
    ShowLastOptimizationInTooltip();
}

// Once a second while a number shows: a new icon only when the number, its
// level or the look it is drawn in changes; a new tip only when its figure does.
void CMainFrame::ShowTrayFigure() {
    const OptimizerSettings& settings = m_logic.Settings();
    const qmo::PerformanceSampler* sampler = m_monitor.Sampler();
    std::optional<int> committed;
    if (sampler && sampler->m_nHistoryCount > 0 && sampler->m_nMemoryValue != qmo::PDH_VALUE_UNAVAILABLE)
        committed = sampler->m_nMemoryValue;
    const std::optional<int> inUse = PhysicalInUsePercent();
    if (const std::optional<int> figure = qmo::TrayFigure(settings.m_trayIconShows, committed, inUse)) {
        qmo::TrayNumberLook look{qmo::TrayNumberText(*figure), qmo::TrayLevelFor(*figure, settings.m_nCriticalLimit),
                                 m_trayIconSize, qmo::IsHighContrast()};
        if (look != m_trayLook) {
            m_trayIcon.SetIcon(qmo::MakeTrayNumberIcon(look));
            m_trayLook = std::move(look);
        }
    }
    std::string line = qmo::TrayOtherFigureLine(settings.m_trayIconShows, committed, inUse);
    if (line != m_figureLine) {
        m_figureLine = std::move(line);
        ShowLastOptimizationInTooltip();
    }
}

// A new DPI, taskbar or contrast: the number is drawn again at once.
void CMainFrame::OnTrayLookChanged() {
    if (m_logic.Settings().m_trayIconShows == qmo::TrayIconShows::Animation)
        return;
    m_trayIconSize = qmo::TrayIconSize();
    ShowTrayFigure();
}

// True when the colours chosen differ from those the windows show.
bool CMainFrame::ChooseColors() {
    const bool dark = qmo::DarkThemeWanted(m_logic.Settings().m_theme, qmo::AppsUseLightTheme(), qmo::IsHighContrast());
    if (dark == m_darkColors)
        return false;
    m_darkColors = dark;
    qmo::UseDarkColors(dark);
    qmo::ApplyTitleBarColors(m_hWnd, dark);
    qmo::PrepareMenu(::GetMenu(m_hWnd));
    // Laying the bar out again is a frame change, which holds wine's thread
    // about 10 ms: it gets a message of its own rather than lengthen the switch.
    if (!m_menuBarLayoutPosted)
        m_menuBarLayoutPosted = ::PostMessageW(m_hWnd, WM_MENU_BAR_RESTYLED, 0, 0) != FALSE;
    m_historyWindow.ColorsChanged();
    return true;
}

// The theme setting may have changed: the colours chosen again, and every
// window told when they differ (the windows are made light, so a light
// start tells nobody).
void CMainFrame::ApplyTheme() {
    if (!ChooseColors())
        return;
    if (m_view.IsCreated())
        m_view.ColorsChanged();
    ::RedrawWindow(m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
}

void CMainFrame::AppearanceChanged() {
    ApplyTheme();
    ShowTrayDisplay();
}

void CMainFrame::PolicyChanged() {
    FollowPolicy();
}

void CMainFrame::FollowPolicy() {
    const bool allowed = m_logic.ManualOptimizationAllowed();
    if (HMENU menu = ::GetMenu(m_hWnd))
        ::EnableMenuItem(menu, ID_OPTIMIZE, MF_BYCOMMAND | (allowed ? MF_ENABLED : MF_GRAYED));
    m_trayIcon.EnableCommand(ID_OPTIMIZE, allowed);
    if (m_view.IsCreated())
        m_view.FollowPolicy();
}

void CMainFrame::CriticalLimitCrossed(int percent, int limit) {
    m_eventLog.Report(qmo::ProgramEvent::CriticalLimit, {std::to_string(percent), std::to_string(limit)});
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
        // The tray's menu names its own window as the command's sender.
        m_logic.OptimizeNow(control && control == m_trayIcon.NotificationWindow() ? qmo::RunTrigger::Tray
                                                                                   : qmo::RunTrigger::Menu);
        return true;
    case ID_VIEW_HISTORY:
        ShowHistoryWindow();
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

bool CMainFrame::OnTimer(UINT_PTR id) {
    return m_monitor.OnTimer(id) || m_memory.OnTimer(id) || FrameWindow::OnTimer(id);
}

void CMainFrame::Sampled() {
    if (const qmo::PerformanceSampler* sampler = m_monitor.Sampler())
        m_view.ShowSample(*sampler);
    if (m_logic.Settings().m_trayIconShows != qmo::TrayIconShows::Animation)
        ShowTrayFigure();
}

void CMainFrame::OnDestroy() {
    m_monitor.Stop();
    m_memory.Service().SetListener(nullptr);
    m_memory.Service().SetEventLog(nullptr);
    m_memory.AttachTimers(nullptr);
    m_historyWindow.Close();
    // Taken out of the list first: a popup going away must not find the list mid-change.
    std::list<qmo::PopupPtr> popups = std::move(m_popups);
    m_popups.clear();
    m_pActivePopup = nullptr;
    popups.clear();
    m_trayIcon.Remove();
    m_logic.ReleaseShortcut();
}

void CMainFrame::ShowCriticalLimitPopup() {
    if (!m_popups.empty())
        return;  // one at a time: the census is not taken for a popup that would be dropped
    std::vector<std::string> details;
    const qmo::MemoryService::Census census = m_memory.Service().TakeCensus();
    const std::string most = qmo::MostCommittedLine(qmo::MostCommitted(census.processes, census.uses));
    if (!most.empty())
        details.push_back(most);
    if (const qmo::PerformanceSampler* sampler = m_monitor.Sampler())
        if (const std::optional<int> minutes =
                qmo::MinutesToCommitLimit(sampler->m_aMemoryY.data(), sampler->m_nHistoryCount))
            details.push_back(qmo::CommitLimitLine(*minutes));
    ShowPopup(qmo::BuildCriticalLimitPopup(m_logic.Settings().m_nCriticalLimit, details,
                                           m_logic.ManualOptimizationAllowed()));
}

qmo::QuietReason CMainFrame::Quiet() {
    QUERY_USER_NOTIFICATION_STATE state{};
    if (FAILED(::SHQueryUserNotificationState(&state)))
        return qmo::QuietReason::None;
    return qmo::QuietReasonOf(static_cast<int>(state));
}

namespace {

std::optional<MEMORYSTATUSEX> MemoryStatus() {
    MEMORYSTATUSEX status{};
    status.dwLength = sizeof(status);
    if (!::GlobalMemoryStatusEx(&status))
        return std::nullopt;
    return status;
}

}  // namespace

std::optional<int> CMainFrame::PhysicalInUsePercent() {
    const std::optional<MEMORYSTATUSEX> status = MemoryStatus();
    return status ? std::optional<int>(static_cast<int>(status->dwMemoryLoad)) : std::nullopt;
}

std::optional<qmo::AutomaticRunResult> CMainFrame::RunAutomatic() {
    const std::optional<qmo::RunRecord> record = m_logic.RunAutomaticOptimization();
    if (!record)
        return std::nullopt;
    const std::optional<MEMORYSTATUSEX> status = MemoryStatus();
    std::optional<std::int64_t> physical;
    if (status && status->ullTotalPhys <= static_cast<DWORDLONG>(INT64_MAX))
        physical = static_cast<std::int64_t>(status->ullTotalPhys);
    return qmo::AutomaticRunResult{record->freed, physical};
}

void CMainFrame::RunWaited(qmo::QuietReason reason) {
    std::string line = qmo::WaitingLine(reason);
    if (line == m_waitLine)
        return;
    m_waitLine = std::move(line);
    ShowLastOptimizationInTooltip();
}

bool CMainFrame::ShowOptimizedPopup(std::optional<std::uint64_t> freedBytes) {
    return ShowPopup(qmo::BuildOptimizedPopup(freedBytes));
}

COptimizeProgressDlg::Work CMainFrame::OptimizationWork() {
    return [this](HWND progressBar, bool silent) {
        qmo::ProgressBarSink progress(progressBar);
        m_memory.Service().Work(progress, silent);
    };
}

// The worker has done its work: memory in use is read again before anything
// else. A notice that is not the running dialog's worker's, once, is made up.
bool CMainFrame::OnOptimizationFinished(WPARAM runId) {
    if (!m_pRunningDialog || !m_pRunningDialog->AcceptFinishedNotice(runId))
        return false;
    const qmo::RunRecord* record = m_memory.Service().EndRun();
    return ShowOptimizedPopup(qmo::FreedToShow(record ? record->freed : std::nullopt));
}

void CMainFrame::RunRecorded(const qmo::RunRecord& record) {
    SYSTEMTIME now{};
    ::GetLocalTime(&now);
    m_lastRunLine = qmo::LastOptimizedLine(now.wHour, now.wMinute, qmo::FreedToShow(record.freed));
    m_reboundLine.clear();
    m_waitLine.clear();  // whatever waited has run now
    ShowLastOptimizationInTooltip();
    m_historyWindow.RecordsChanged();
}

void CMainFrame::LateSampleRecorded(const qmo::RunRecord& record, qmo::LateSample sample) {
    const bool first = sample == qmo::LateSample::First;
    const std::optional<std::int64_t> back = first ? record.backAfterFirstSample : record.backAfterSecondSample;
    if (back) {
        const qmo::LateSampleDelays delays = m_memory.Service().Delays();
        m_reboundLine = qmo::ReboundLine(*back, first ? delays.firstMs : delays.secondMs);
        ShowLastOptimizationInTooltip();
    }
    m_historyWindow.RecordsChanged();
}

void CMainFrame::ShowLastOptimizationInTooltip() {
    std::string line = m_lastRunLine;
    if (!m_reboundLine.empty())
        line += " \xC2\xB7 " + m_reboundLine;  // middle dot
    if (!m_waitLine.empty())
        line += (line.empty() ? "" : "\n") + m_waitLine;
    if (!m_figureLine.empty())
        line += (line.empty() ? "" : "\n") + m_figureLine;
    const std::wstring title = qmo::kMainWindowTitle.Load();
    m_trayIcon.SetTooltip(line.empty() ? title : title + L"\n" + qmo::Widen(line));
}

void CMainFrame::ShowHistoryWindow() {
    m_historyWindow.Show(m_hWnd);
}

std::wstring CMainFrame::HistoryFolder() const {
    return m_memory.File().Folder();
}

std::string CMainFrame::CsvText(const std::vector<const qmo::RunRecord*>& rows) const {
    std::string text = qmo::HistoryHeaderRow() + "\r\n";
    for (const qmo::RunRecord* row : rows)
        text += qmo::FormatHistoryRow(*row) + "\r\n";
    return text;
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
        switch (qmo::PopupClickActionFor(element->id)) {
        case qmo::PopupClickAction::StartOptimization:
            m_logic.OptimizeNow(qmo::RunTrigger::Popup);  // the popup stays and runs out on its own
            break;
        case qmo::PopupClickAction::ShowHistory:
            popup->CloseNow();
            ShowHistoryWindow();
            break;
        case qmo::PopupClickAction::CloseNow:
            popup->CloseNow();
            break;
        }
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
        ::MessageBoxW(m_hWnd, qmo::kHelpMissingText.Load().c_str(), title, MB_OK);
        return;
    }
    ::ShellExecuteW(m_hWnd, L"open", path.c_str(), nullptr, nullptr, SW_SHOW);
}

void CMainFrame::OpenProductWebPage(int showCommand) {
    ::ShellExecuteW(nullptr, L"open", qmo::kProductWebPage, nullptr, nullptr, showCommand);
}

void CMainFrame::ShowBalloonTip() {
    m_trayIcon.ShowBalloon(qmo::kBalloonText, qmo::kMainWindowTitle.Load(), NIIF_INFO, qmo::kBalloonSeconds);
}

void CMainFrame::HideWindow() {
    ::ShowWindow(m_hWnd, SW_HIDE);
}

void CMainFrame::ShowWindowWithTitle() {
    ::SetWindowTextW(m_hWnd, qmo::kMainWindowTitle.Load().c_str());
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
    m_logic.OptimizeNow(qmo::RunTrigger::CommandLine);
    return qmo::kOptimizeRequestAccepted;
}

bool CMainFrame::OnHotKey(int id, UINT, UINT) {
    if (id != IDHK_EMERGENCY_OPTIMIZE)
        return false;
    m_logic.OptimizeNow(qmo::RunTrigger::Hotkey);
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
