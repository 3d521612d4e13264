// The portable core's texts and figures in the native build: the English
// string tables of the resource scripts (generated at build time), the
// figures written plainly.
#include <algorithm>
#include <cstdio>
#include <iterator>

#include "framework/texts.h"
#include "res/resource.h"
#include "res/about_resource.h"
#include "res/history_resource.h"
#include "res/optimizer_resource.h"
#include "res/pages_resource.h"
#include "res/process_resource.h"

namespace qmo {
namespace {

struct EnglishText {
    TextId id;
    const char* text;
};

constexpr EnglishText kEnglish[] = {
#include "english_texts.inc"
};

}  // namespace

std::string Text(TextId id) {
    const auto found = std::find_if(std::begin(kEnglish), std::end(kEnglish),
                                    [id](const EnglishText& entry) { return entry.id == id; });
    return found == std::end(kEnglish) ? std::string() : std::string(found->text);
}

std::string FormatCount(std::int64_t value) {
    return std::to_string(value);
}

std::string FormatClockTime(int hour, int minute) {
    char text[8];
    std::snprintf(text, sizeof text, "%02d:%02d", std::clamp(hour, 0, 23), std::clamp(minute, 0, 59));
    return text;
}

std::string FormatFigure(double value, int decimals) {
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", std::clamp(decimals, 0, 9), value);
    return text;
}

std::string FormatDateAndTime(const CalendarTime& time) {
    char text[40];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", std::clamp(time.year, 0, 9999),
                  std::clamp(time.month, 0, 12), std::clamp(time.day, 0, 31), std::clamp(time.hour, 0, 23),
                  std::clamp(time.minute, 0, 59), std::clamp(time.second, 0, 59));
    return text;
}

}  // namespace qmo
