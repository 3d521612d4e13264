#pragma once
// Switches, paths and account names compare as Windows compares them,
// whatever the case of their letters. Portable.
#include <algorithm>
#include <cctype>
#include <string_view>

namespace qmo {

inline bool EqualIgnoringCase(std::string_view a, std::string_view b) noexcept {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
    });
}

}  // namespace qmo
