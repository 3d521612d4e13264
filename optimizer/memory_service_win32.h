#pragma once
// The memory service on the real system: Toolhelp and the trim calls, the
// run-time heap for the sweep, ntdll for the memory areas and the lists, the
// history file under the user's local application data, the clock, and
// window timers for the late samples.
#include <windows.h>

#include "optimizer/history_file_win32.h"
#include "optimizer/memory_service.h"
#include "optimizer/memory_system_win32.h"
#include "optimizer/optimizer_win32.h"

namespace qmo {

class SystemServiceClock : public ServiceClock {
public:
    std::int64_t UnixSeconds() override;
    std::int32_t UtcOffsetMinutes() override;
    std::uint64_t SteadyMilliseconds() override;
};

// The late samples' timers on a window; without one there is nothing to time.
class WindowLateSampleTimers : public LateSampleTimers {
public:
    static constexpr UINT_PTR ID_TIMER_FIRST_SAMPLE = 0x51;
    static constexpr UINT_PTR ID_TIMER_SECOND_SAMPLE = 0x52;

    void AttachTo(HWND window) noexcept { m_window = window; }
    void Start(LateSample sample, std::uint32_t delayMs) override;
    void Stop(LateSample sample) override;
    // The sample a timer of this window is for; empty for any other timer.
    static std::optional<LateSample> SampleFor(UINT_PTR id);

private:
    HWND m_window = nullptr;
};

class SystemMemoryService {
public:
    // `reader`: where memory is read; null for the system's own.
    explicit SystemMemoryService(MemoryReader* reader = nullptr);
    SystemMemoryService(const SystemMemoryService&) = delete;
    SystemMemoryService& operator=(const SystemMemoryService&) = delete;

    // Reads the history file and the late samples' delays.
    void Load(ProfileStore& profile);
    // The late samples are timed on this window from now on; null: no longer.
    void AttachTimers(HWND window);
    // True for the late samples' timers, which it has handled.
    bool OnTimer(UINT_PTR id);

    MemoryService& Service() noexcept { return m_service; }
    const MemoryService& Service() const noexcept { return m_service; }
    HistoryFile& File() noexcept { return m_file; }
    const HistoryFile& File() const noexcept { return m_file; }
    MemoryReader& Reader() noexcept { return m_reader; }

private:
    Win32ProcessSystem m_processes;
    CrtSweepHeap m_heap;
    Win32MemoryAreaCalls m_areaCalls;
    Win32MemoryReader m_systemReader;
    MemoryReader& m_reader;
    HistoryFile m_file;
    RunHistory m_history{m_file};
    SystemServiceClock m_clock;
    WindowLateSampleTimers m_timers;
    MemoryService m_service;
};

}  // namespace qmo
