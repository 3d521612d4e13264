#pragma once
// The performance monitor's seams on the real system: PDH for the counters,
// the system's performance information for the commit charge and its
// processor times for the load when the counters are missing, and GDI for
// the gauge and graph pictures.
#include <windows.h>

#include "framework/unique_handle.h"
#include "perf/canvas.h"
#include "perf/performance_sampler.h"

namespace qmo {

class PdhCounterApi : public CounterApi {
public:
    bool OpenQuery(std::uintptr_t userData, Handle& query) override;
    bool AddEnglishCounter(Handle query, const std::string& path, std::uintptr_t userData, Handle& counter) override;
    bool AddCounter(Handle query, const std::string& path, std::uintptr_t userData, Handle& counter) override;
    bool CollectQueryData(Handle query) override;
    bool GetFormattedLong(Handle counter, std::int32_t& value) override;
    bool GetRawValue(Handle counter, RawCounterSample& sample) override;
    void CloseQuery(Handle query) override;
};

// GetPerformanceInfo's commit total against its commit limit.
class SystemCommitCharge : public CommitChargeSource {
public:
    std::optional<int> CommittedPercent() override;
};

// GetSystemTimes: idle, kernel and user time of all processors together.
class SystemProcessorTimes : public ProcessorTimesSource {
public:
    std::optional<ProcessorTimes> Read() override;
};

// Draws on a device context with the DC pen and brush; only a pen wider than
// one pixel is made, and it goes with the canvas. `font` is borrowed.
class GdiCanvas : public Canvas {
public:
    GdiCanvas(HDC dc, HFONT font) noexcept;
    GdiCanvas(const GdiCanvas&) = delete;
    GdiCanvas& operator=(const GdiCanvas&) = delete;
    ~GdiCanvas() override;

    void FillSolid(const Rect& rect, Color color) override;
    void FillVerticalGradient(const Rect& rect, Color top, Color bottom) override;
    void SelectPen(Color color, int width) override;
    void SelectBrush(Color color) override;
    void Pie(const Rect& bounds, Point start, Point end) override;
    void MoveTo(Point to) override;
    void LineTo(Point to) override;
    void Polyline(std::span<const Point> points) override;
    void Polygon(std::span<const Point> points) override;
    void Ellipse(const Rect& bounds) override;
    void Text(Point at, std::string_view utf8, Color color, Color background) override;

private:
    HDC m_dc;
    HGDIOBJ m_oldPen;
    HGDIOBJ m_oldBrush;
    HGDIOBJ m_oldFont = nullptr;
    unique_pen m_widePen;
};

}  // namespace qmo
