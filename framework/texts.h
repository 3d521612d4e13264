#pragma once
// The texts a user sees, by their ids in the resources' string tables. The
// Windows build reads them from the program's resources in the language chosen
// at start; the native build from the English table generated from the same
// resource scripts.
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

namespace qmo {

using TextId = unsigned;

// The text of the id, UTF-8; empty when there is none.
std::string Text(TextId id);

// The text of the id with %1..%9 replaced by the inserts in order; a % not
// followed by a digit, or one whose insert is missing, stays as it is.
std::string FormatText(TextId id, std::initializer_list<std::string_view> inserts);
std::string FormatPattern(std::string_view pattern, std::initializer_list<std::string_view> inserts);

// Figures as the user's locale writes them: grouped digits (1,234 or 1.234)
// and the short time of day (14:02 or 2:02 PM). The native build writes them
// plainly (1234, 14:02).
std::string FormatCount(std::int64_t value);
std::string FormatClockTime(int hour, int minute);
// A figure with `decimals` digits after the locale's decimal sign (2.1 or
// 2,1); natively with a point.
std::string FormatFigure(double value, int decimals);

// A moment as the locale writes a short date and a time with seconds
// (natively 2026-12-09 14:02:05).
struct CalendarTime {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
};
std::string FormatDateAndTime(const CalendarTime& time);

}  // namespace qmo
