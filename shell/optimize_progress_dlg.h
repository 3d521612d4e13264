#pragma once
// The modal dialog behind every "Optimize Memory" command: runs the full
// optimization on a worker thread, shows its progress, asks the main frame
// for the "optimized" popup, then closes itself. It cannot be cancelled.
#include <atomic>
#include <functional>

#include "toolkit/themed_dialog.h"


// The window a run belongs to: it owns the dialog, is told when the run has
// finished (WM_OPTIMIZATION_FINISHED, sent by the worker) and knows while a
// run is going.

namespace qmo {

class OptimizationRunOwner {
public:
    virtual ~OptimizationRunOwner() = default;
    virtual HWND RunOwnerWindow() const = 0;
    virtual void SetOptimizing(bool optimizing) = 0;
};

class COptimizeProgressDlg : public qmo::ThemedDialog {
public:
    // What the worker runs: the run's work, reporting to the bar.
    using Work = std::function<void(HWND progressBar, bool silent)>;

    // Starts the worker; throws std::system_error when no thread can be had.
    using ThreadStarter = std::function<void(std::function<void()> body)>;

    COptimizeProgressDlg(qmo::OptimizationRunOwner& owner, Work work, ThreadStarter startThread = {});
    // Never leaves a worker writing into a freed dialog.
    ~COptimizeProgressDlg() override;

    // Runs modally, owned by the run's owner; 0 when done.
    INT_PTR Run();

    // Returns once the worker has finished with this dialog, answering the
    // progress and completion messages it sends meanwhile; at once when no
    // worker runs. Other messages stay queued.
    void WaitForWorker();

    // Names this run in the worker's messages, so that a made-up one (any
    // program can send WM_APP values, or broadcast them) is told apart.
    WPARAM RunId() const noexcept { return m_runId; }
    // True once, for the worker's notice that this run's work is done.
    bool AcceptFinishedNotice(WPARAM runId) noexcept;

    std::atomic<int> m_bDone{0};  // written by the worker, read by the dialog
    int m_bSilent = 0;

protected:
    BOOL OnInitDialog() override;
    bool OnCommand(UINT id, UINT code, HWND control) override;
    bool HandleDialogMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    bool OnMouseActivate(HWND topLevel, UINT hitTest, UINT mouseMessage, LRESULT& answer) override;
    bool OnPaint() override;

private:
    struct WorkerJob {
        COptimizeProgressDlg* dialog;
        HWND dialogWindow;
        HWND progressBar;
        HWND mainWindow;
        bool silent;
        WPARAM runId;
        Work work;
    };
    static unsigned OptimizeWorkerProc(WorkerJob job);
    void StartWorker();
    void FinishIfDone();

    HWND m_wndProgress = nullptr;
    bool m_workerStarted = false;
    const WPARAM m_runId;
    bool m_finishedNoticeTaken = false;
    qmo::OptimizationRunOwner& m_owner;
    Work m_work;
    ThreadStarter m_startThread;
};

}  // namespace qmo
