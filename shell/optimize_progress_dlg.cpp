#include "shell/optimize_progress_dlg.h"

#include <system_error>
#include <thread>

#include "framework/unique_handle.h"
#include "res/messages.h"
#include "res/resource.h"

namespace qmo {
namespace {

// Never 0, which is what a made-up message most often carries; not the same
// from one start to the next.
WPARAM NextRunId() noexcept {
    static std::atomic<WPARAM> last = [] {
        LARGE_INTEGER now{};
        ::QueryPerformanceCounter(&now);
        return static_cast<WPARAM>(now.QuadPart) * 0x9E3779B97F4A7C15u;
    }();
    WPARAM id = 0;
    while (id == 0)
        id = ++last;
    return id;
}

}  // namespace

COptimizeProgressDlg::COptimizeProgressDlg(qmo::OptimizationRunOwner& owner, Work work, ThreadStarter startThread)
    : ThemedDialog(IDD_OPTIMIZE_PROGRESS),
      m_runId(NextRunId()),
      m_owner(owner),
      m_work(std::move(work)),
      m_startThread(std::move(startThread)) {
    if (!m_startThread)
        m_startThread = [](std::function<void()> body) { std::thread(std::move(body)).detach(); };
}

COptimizeProgressDlg::~COptimizeProgressDlg() {
    WaitForWorker();
}

void COptimizeProgressDlg::WaitForWorker() {
    if (!m_workerStarted)
        return;
    while (!m_bDone) {
        // The worker waits on sent messages (bar positions, the finished
        // notice); peeking answers them without dispatching anything posted.
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_SENDMESSAGE);
        MSG message;
        ::PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
}

bool COptimizeProgressDlg::AcceptFinishedNotice(WPARAM runId) noexcept {
    if (runId != m_runId || !m_workerStarted || m_finishedNoticeTaken)
        return false;
    m_finishedNoticeTaken = true;
    return true;
}

INT_PTR COptimizeProgressDlg::Run() {
    return DoModal(m_owner.RunOwnerWindow());
}

BOOL COptimizeProgressDlg::OnInitDialog() {
    ThemedDialog::OnInitDialog();
    m_wndProgress = Item(IDC_OPTIMIZE_PROGRESS);
    m_owner.SetOptimizing(true);
    if (m_bSilent)
        ::MoveWindow(m_hWnd, 0, 0, 1, 1, TRUE);
    StartWorker();
    // A silent run takes no focus: giving it to a control would activate the
    // dialog, and the keys the user types into another program with it.
    return m_bSilent ? FALSE : TRUE;
}

void COptimizeProgressDlg::StartWorker() {
    WorkerJob job{this, m_hWnd, m_wndProgress, m_owner.RunOwnerWindow(), m_bSilent != 0, m_runId, m_work};
    m_workerStarted = true;
    try {
        m_startThread([job] { OptimizeWorkerProc(job); });
    } catch (const std::system_error&) {
        // No thread to be had: do the work here rather than leave a dialog
        // open that nothing would ever close. The bar cannot repaint meanwhile.
        OptimizeWorkerProc(std::move(job));
    }
}

// NOLINTNEXTLINE(performance-unnecessary-value-param): the worker's own copy; the dialog may go before it ends
unsigned COptimizeProgressDlg::OptimizeWorkerProc(WorkerJob job) {
    job.work(job.progressBar, job.silent);
    if (job.mainWindow)
        ::SendMessageW(job.mainWindow, WM_OPTIMIZATION_FINISHED, job.runId, 0);
    // From here on the dialog may end and be destroyed at any moment.
    job.dialog->m_bDone = 1;
    ::PostMessageW(job.dialogWindow, WM_OPTIMIZE_COMPLETE, job.runId, 0);
    return 1;
}

bool COptimizeProgressDlg::OnCommand(UINT id, UINT, HWND) {
    // Enter, Escape, Alt+F4 and the system close all arrive as OK or Cancel:
    // the run cannot be cancelled, and the worker still uses this dialog.
    return id == IDOK || id == IDCANCEL;
}

bool COptimizeProgressDlg::OnMouseActivate(HWND, UINT, UINT, LRESULT& answer) {
    // A silent run is never brought forward by a click.
    if (!m_bSilent)
        return false;
    answer = MA_NOACTIVATE;
    return true;
}

bool COptimizeProgressDlg::HandleDialogMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (message) {
    case WM_OPTIMIZE_COMPLETE:
        if (wParam == m_runId)
            FinishIfDone();
        result = 0;
        return true;
    case WM_WINDOWPOSCHANGING:
        // The dialog box shows itself once its queue is empty, and showing
        // activates: a silent run is shown without.
        if (m_bSilent)
            reinterpret_cast<WINDOWPOS*>(lParam)->flags |= SWP_NOACTIVATE;
        return false;
    case WM_GETMINMAXINFO:
        // A silent run shrinks the dialog to a single pixel, below the
        // smallest size the system allows a captioned window by default.
        if (m_bSilent) {
            auto* limits = reinterpret_cast<MINMAXINFO*>(lParam);
            limits->ptMinTrackSize = {1, 1};
            result = 0;
            return true;
        }
        return false;
    default:
        return false;
    }
}

bool COptimizeProgressDlg::OnPaint() {
    qmo::paint_dc paint(m_hWnd);
    FinishIfDone();
    return true;
}

void COptimizeProgressDlg::FinishIfDone() {
    if (!m_bDone)
        return;
    m_owner.SetOptimizing(false);
    EndDialog(0);
}

}  // namespace qmo
