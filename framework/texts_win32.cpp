// The portable core's texts and figures on Windows: the string tables in the
// language chosen at start, the figures as the user's locale writes them.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>

#include "framework/resource_language.h"
#include "framework/text.h"
#include "framework/texts.h"

namespace qmo {

// The portable core's texts, from the same tables.
std::string Text(TextId id) {
    return Narrow(LoadResourceString(id));
}

namespace {

// Digits (and a point before the decimals) as the user's locale writes a
// number: its grouping, its separators; empty when the system cannot say.
std::string LocaleNumber(const std::wstring& digits, UINT decimals, bool negative) {
    wchar_t grouping[16] = L"3;0", thousands[8] = L",", decimal[8] = L".";
    ::GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, LOCALE_SGROUPING, grouping, 16);
    ::GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, LOCALE_STHOUSAND, thousands, 8);
    ::GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, LOCALE_SDECIMAL, decimal, 8);
    // "3;0" is 3, "3;2;0" is 32: the digits of the pattern with its final 0 dropped.
    UINT groups = 0;
    for (const wchar_t* c = grouping; *c; ++c) {
        if (*c >= L'0' && *c <= L'9')
            groups = groups * 10 + static_cast<UINT>(*c - L'0');
    }
    if (groups % 10 == 0 && groups > 9)
        groups /= 10;
    NUMBERFMTW format{};
    format.NumDigits = decimals;
    format.LeadingZero = 1;  // else wine writes zero as nothing
    format.Grouping = groups;
    format.lpDecimalSep = decimal;
    format.lpThousandSep = thousands;
    format.NegativeOrder = 1;
    wchar_t out[80];
    if (::GetNumberFormatEx(LOCALE_NAME_USER_DEFAULT, 0, digits.c_str(), &format, out, 80) <= 1)
        return {};
    std::string text = negative ? "-" : "";
    text += Narrow(out);
    return text;
}

}  // namespace

std::string FormatCount(std::int64_t value) {
    const std::wstring digits = std::to_wstring(value < 0 ? -static_cast<unsigned long long>(value)
                                                          : static_cast<unsigned long long>(value));
    const std::string text = LocaleNumber(digits, 0, value < 0);
    return text.empty() ? std::to_string(value) : text;
}

std::string FormatFigure(double value, int decimals) {
    const int kept = std::clamp(decimals, 0, 9);
    wchar_t plain[64];
    std::swprintf(plain, 64, L"%.*f", kept, value < 0 ? -value : value);
    std::string text = LocaleNumber(plain, static_cast<UINT>(kept), value < 0);
    if (!text.empty())
        return text;
    char fallback[64];
    std::snprintf(fallback, sizeof fallback, "%.*f", kept, value);
    return fallback;
}

std::string FormatDateAndTime(const CalendarTime& time) {
    SYSTEMTIME moment{};
    moment.wYear = static_cast<WORD>(std::clamp(time.year, 1601, 30827));
    moment.wMonth = static_cast<WORD>(std::clamp(time.month, 1, 12));
    moment.wDay = static_cast<WORD>(std::clamp(time.day, 1, 31));
    moment.wHour = static_cast<WORD>(std::clamp(time.hour, 0, 23));
    moment.wMinute = static_cast<WORD>(std::clamp(time.minute, 0, 59));
    moment.wSecond = static_cast<WORD>(std::clamp(time.second, 0, 59));
    wchar_t date[64], clock[64];
    if (::GetDateFormatEx(LOCALE_NAME_USER_DEFAULT, DATE_SHORTDATE, &moment, nullptr, date, 64, nullptr) <= 0 ||
        ::GetTimeFormatEx(LOCALE_NAME_USER_DEFAULT, 0, &moment, nullptr, clock, 64) <= 0) {
        char plain[40];
        std::snprintf(plain, sizeof plain, "%04u-%02u-%02u %02u:%02u:%02u", moment.wYear, moment.wMonth, moment.wDay,
                      moment.wHour, moment.wMinute, moment.wSecond);
        return plain;
    }
    return Narrow(date) + " " + Narrow(clock);
}

std::string FormatClockTime(int hour, int minute) {
    SYSTEMTIME time{};
    time.wYear = 2000;
    time.wMonth = 1;
    time.wDay = 1;
    time.wHour = static_cast<WORD>(std::clamp(hour, 0, 23));
    time.wMinute = static_cast<WORD>(std::clamp(minute, 0, 59));
    wchar_t out[32];
    if (::GetTimeFormatEx(LOCALE_NAME_USER_DEFAULT, TIME_NOSECONDS, &time, nullptr, out, 32) <= 0) {
        char plain[8];
        std::snprintf(plain, sizeof plain, "%02u:%02u", time.wHour, time.wMinute);
        return plain;
    }
    return Narrow(out);
}

}  // namespace qmo
