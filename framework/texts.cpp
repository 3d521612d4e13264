#include "framework/texts.h"

namespace qmo {

std::string FormatPattern(std::string_view pattern, std::initializer_list<std::string_view> inserts) {
    std::string out;
    out.reserve(pattern.size() + 16);
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] == '%' && i + 1 < pattern.size() && pattern[i + 1] >= '1' && pattern[i + 1] <= '9') {
            const auto index = static_cast<std::size_t>(pattern[i + 1] - '1');
            if (index < inserts.size()) {
                out += *(inserts.begin() + index);
                ++i;
                continue;
            }
        }
        out += pattern[i];
    }
    return out;
}

std::string FormatText(TextId id, std::initializer_list<std::string_view> inserts) {
    return FormatPattern(Text(id), inserts);
}

}  // namespace qmo
