#include "optimizer/memory_service_win32.h"

namespace qmo {
namespace {

constexpr std::int64_t kUnixEpochIn100ns = 116444736000000000LL;

std::int64_t FileTimeTo100ns(const FILETIME& time) {
    return static_cast<std::int64_t>((static_cast<std::uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime);
}

}  // namespace

std::int64_t SystemServiceClock::UnixSeconds() {
    FILETIME now{};
    ::GetSystemTimeAsFileTime(&now);
    return (FileTimeTo100ns(now) - kUnixEpochIn100ns) / 10000000;
}

// The local clock against UTC at this moment, daylight saving included.
std::int32_t SystemServiceClock::UtcOffsetMinutes() {
    FILETIME utc{};
    ::GetSystemTimeAsFileTime(&utc);
    FILETIME local{};
    if (!::FileTimeToLocalFileTime(&utc, &local))
        return 0;
    return static_cast<std::int32_t>((FileTimeTo100ns(local) - FileTimeTo100ns(utc)) / 600000000);
}

std::uint64_t SystemServiceClock::SteadyMilliseconds() {
    return ::GetTickCount64();
}

void WindowLateSampleTimers::Start(LateSample sample, std::uint32_t delayMs) {
    if (m_window)
        ::SetTimer(m_window, sample == LateSample::First ? ID_TIMER_FIRST_SAMPLE : ID_TIMER_SECOND_SAMPLE, delayMs,
                   nullptr);
}

void WindowLateSampleTimers::Stop(LateSample sample) {
    if (m_window)
        ::KillTimer(m_window, sample == LateSample::First ? ID_TIMER_FIRST_SAMPLE : ID_TIMER_SECOND_SAMPLE);
}

std::optional<LateSample> WindowLateSampleTimers::SampleFor(UINT_PTR id) {
    if (id == ID_TIMER_FIRST_SAMPLE)
        return LateSample::First;
    if (id == ID_TIMER_SECOND_SAMPLE)
        return LateSample::Second;
    return std::nullopt;
}

SystemMemoryService::SystemMemoryService(MemoryReader* reader)
    : m_reader(reader ? *reader : m_systemReader),
      m_service({m_processes, m_heap, m_areaCalls, m_reader, m_history, m_clock, m_timers}) {}

void SystemMemoryService::Load(ProfileStore& profile) {
    m_history.Load();
    m_service.SetLateSampleDelays(ReadLateSampleDelays(profile));
    m_service.SetBusyPercent(ReadBusyPercentOfProcessor(profile));
}

void SystemMemoryService::AttachTimers(HWND window) {
    if (!window) {
        m_timers.Stop(LateSample::First);
        m_timers.Stop(LateSample::Second);
    }
    m_timers.AttachTo(window);
}

bool SystemMemoryService::OnTimer(UINT_PTR id) {
    const std::optional<LateSample> sample = WindowLateSampleTimers::SampleFor(id);
    if (!sample)
        return false;
    // One-shot: the window's timer would fire again.
    m_timers.Stop(*sample);
    m_service.LateSampleDue(*sample);
    return true;
}

}  // namespace qmo
