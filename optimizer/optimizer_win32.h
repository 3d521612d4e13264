#pragma once
// The engine on the real system: Toolhelp snapshots, OpenProcess and the
// trim calls, the C run-time heap, and a progress bar as the progress sink.
#include <windows.h>

#include "optimizer/optimizer_engine.h"

namespace qmo {

class Win32ProcessSystem : public ProcessSystem {
public:
    std::optional<std::vector<ProcessFacts>> SnapshotProcesses() override;
    Handle OpenProcess(std::uint32_t access, bool inheritHandle, std::uint32_t processId) override;
    std::string ImagePath(Handle process) override;
    std::optional<ProcessUse> ReadUse(std::uint32_t processId) override;
    std::uint32_t ForegroundProcessId() override;
    bool SetWorkingSetSize(Handle process, std::size_t minimum, std::size_t maximum) override;
    bool EmptyProcessWorkingSet(Handle process) override;
    void CloseProcess(Handle process) override;
};

class CrtSweepHeap : public SweepHeap {
public:
    void* Allocate(std::size_t size) override;
    void Free(void* block) override;
    void Minimize() override;
};

// Sends PBM_SETPOS and waits until the bar has taken it.
class ProgressBarSink : public ProgressSink {
public:
    explicit ProgressBarSink(HWND progressBar) noexcept : m_progressBar(progressBar) {}
    void SetPosition(int position) override;

private:
    HWND m_progressBar;
};

}  // namespace qmo
