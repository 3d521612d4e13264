#include "perf/perf_win32.h"

#include <pdh.h>
#include <psapi.h>

#include <vector>

#include "framework/text.h"
#include "toolkit/ui_paint.h"

namespace qmo {
namespace {

template <typename T>
T FromHandle(CounterApi::Handle handle) noexcept {
    return reinterpret_cast<T>(handle);
}

template <typename T>
CounterApi::Handle ToHandle(T handle) noexcept {
    return reinterpret_cast<CounterApi::Handle>(handle);
}

std::uint64_t ToUInt64(FILETIME time) noexcept {
    return (static_cast<std::uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

std::int64_t ToInt64(FILETIME time) noexcept {
    return static_cast<std::int64_t>(ToUInt64(time));
}

}  // namespace

bool PdhCounterApi::OpenQuery(std::uintptr_t userData, Handle& query) {
    PDH_HQUERY opened = nullptr;
    if (::PdhOpenQueryW(nullptr, userData, &opened) != ERROR_SUCCESS)
        return false;
    query = ToHandle(opened);
    return true;
}

bool PdhCounterApi::AddEnglishCounter(Handle query, const std::string& path, std::uintptr_t userData,
                                      Handle& counter) {
    PDH_HCOUNTER added = nullptr;
    if (::PdhAddEnglishCounterW(FromHandle<PDH_HQUERY>(query), Widen(path).c_str(), userData, &added) !=
        ERROR_SUCCESS)
        return false;
    counter = ToHandle(added);
    return true;
}

bool PdhCounterApi::AddCounter(Handle query, const std::string& path, std::uintptr_t userData, Handle& counter) {
    PDH_HCOUNTER added = nullptr;
    if (::PdhAddCounterW(FromHandle<PDH_HQUERY>(query), Widen(path).c_str(), userData, &added) != ERROR_SUCCESS)
        return false;
    counter = ToHandle(added);
    return true;
}

bool PdhCounterApi::CollectQueryData(Handle query) {
    return ::PdhCollectQueryData(FromHandle<PDH_HQUERY>(query)) == ERROR_SUCCESS;
}

bool PdhCounterApi::GetFormattedLong(Handle counter, std::int32_t& value) {
    PDH_FMT_COUNTERVALUE formatted{};
    if (::PdhGetFormattedCounterValue(FromHandle<PDH_HCOUNTER>(counter), PDH_FMT_LONG, nullptr, &formatted) !=
            ERROR_SUCCESS ||
        formatted.CStatus != ERROR_SUCCESS)
        return false;
    value = formatted.longValue;
    return true;
}

bool PdhCounterApi::GetRawValue(Handle counter, RawCounterSample& sample) {
    PDH_RAW_COUNTER raw{};
    if (::PdhGetRawCounterValue(FromHandle<PDH_HCOUNTER>(counter), nullptr, &raw) != ERROR_SUCCESS)
        return false;
    sample = {raw.CStatus, ToInt64(raw.TimeStamp), raw.FirstValue, raw.SecondValue, raw.MultiCount};
    return true;
}

void PdhCounterApi::CloseQuery(Handle query) {
    ::PdhCloseQuery(FromHandle<PDH_HQUERY>(query));
}

std::optional<int> SystemCommitCharge::CommittedPercent() {
    PERFORMANCE_INFORMATION information{};
    information.cb = sizeof(information);
    if (!::GetPerformanceInfo(&information, sizeof(information)) || information.CommitLimit == 0)
        return std::nullopt;
    const auto total = static_cast<unsigned long long>(information.CommitTotal);
    return static_cast<int>(total * 100 / information.CommitLimit);
}

std::optional<ProcessorTimes> SystemProcessorTimes::Read() {
    FILETIME idle{}, kernel{}, user{};
    if (!::GetSystemTimes(&idle, &kernel, &user))
        return std::nullopt;
    return ProcessorTimes{ToUInt64(idle), ToUInt64(kernel), ToUInt64(user)};
}

GdiCanvas::GdiCanvas(HDC dc, HFONT font) noexcept
    : m_dc(dc), m_oldPen(::SelectObject(dc, ::GetStockObject(DC_PEN))),
      m_oldBrush(::SelectObject(dc, ::GetStockObject(DC_BRUSH))) {
    if (font)
        m_oldFont = ::SelectObject(dc, font);
}

GdiCanvas::~GdiCanvas() {
    ::SelectObject(m_dc, m_oldPen);
    ::SelectObject(m_dc, m_oldBrush);
    if (m_oldFont)
        ::SelectObject(m_dc, m_oldFont);
}

void GdiCanvas::FillSolid(const Rect& rect, Color color) {
    qmo::FillSolid(m_dc, ToRect(rect), ToColorRef(color));
}

void GdiCanvas::FillVerticalGradient(const Rect& rect, Color top, Color bottom) {
    qmo::FillVerticalGradient(m_dc, ToRect(rect), ToColorRef(top), ToColorRef(bottom));
}

void GdiCanvas::SelectPen(Color color, int width) {
    // The wide pen in use is put down before it is replaced.
    ::SelectObject(m_dc, ::GetStockObject(DC_PEN));
    m_widePen.reset();
    if (width <= 1) {
        ::SetDCPenColor(m_dc, ToColorRef(color));
        return;
    }
    m_widePen.reset(::CreatePen(PS_SOLID, width, ToColorRef(color)));
    if (m_widePen)
        ::SelectObject(m_dc, m_widePen.get());
    else
        ::SetDCPenColor(m_dc, ToColorRef(color));
}

void GdiCanvas::SelectBrush(Color color) {
    ::SetDCBrushColor(m_dc, ToColorRef(color));
}

void GdiCanvas::Pie(const Rect& bounds, Point start, Point end) {
    ::Pie(m_dc, bounds.left, bounds.top, bounds.right, bounds.bottom, start.x, start.y, end.x, end.y);
}

void GdiCanvas::MoveTo(Point to) {
    ::MoveToEx(m_dc, to.x, to.y, nullptr);
}

void GdiCanvas::LineTo(Point to) {
    ::LineTo(m_dc, to.x, to.y);
}

namespace {

std::vector<POINT> GdiPoints(std::span<const Point> points) {
    std::vector<POINT> converted;
    converted.reserve(points.size());
    for (const Point& point : points)
        converted.push_back({point.x, point.y});
    return converted;
}

}  // namespace

void GdiCanvas::Polyline(std::span<const Point> points) {
    const std::vector<POINT> corners = GdiPoints(points);
    ::Polyline(m_dc, corners.data(), static_cast<int>(corners.size()));
}

void GdiCanvas::Polygon(std::span<const Point> points) {
    const std::vector<POINT> corners = GdiPoints(points);
    ::Polygon(m_dc, corners.data(), static_cast<int>(corners.size()));
}

void GdiCanvas::Ellipse(const Rect& bounds) {
    ::Ellipse(m_dc, bounds.left, bounds.top, bounds.right, bounds.bottom);
}

void GdiCanvas::Text(Point at, std::string_view utf8, Color color, Color background) {
    const std::wstring text = Widen(utf8);
    const COLORREF oldColor = ::SetTextColor(m_dc, ToColorRef(color));
    const COLORREF oldBackground = ::SetBkColor(m_dc, ToColorRef(background));
    const int oldMode = ::SetBkMode(m_dc, OPAQUE);
    ::TextOutW(m_dc, at.x, at.y, text.c_str(), static_cast<int>(text.size()));
    ::SetBkMode(m_dc, oldMode);
    ::SetBkColor(m_dc, oldBackground);
    ::SetTextColor(m_dc, oldColor);
}

}  // namespace qmo
